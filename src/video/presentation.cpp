// Presentation: letter-box or stretch through the mixer, digital zoom through the renderer's
// source rectangle, and the cursor that hides itself over idle video.
#include "win/dshow.h"

#include "core/errors.h"
#include "core/geometry.h"
#include "video/renderer_picture.h"
#include "video/video_window.h"

namespace wallcine::video {

void TDSVideoWindowEx2::SetAspectRatio(TRatioModes value) {
    if (!active_renderer_ || !overlay_mixer_) {
        aspect_ratio_ = value;
        // On the wallpaper layer the picture's rectangle carries the mode: it changes at once.
        PlaceRendererOnLayer();
        return;
    }
    win::com_ptr<IEnumPins> pins;
    win::com_ptr<IPin> first_pin;
    if (SUCCEEDED(overlay_mixer_->EnumPins(pins.put()))) pins->Next(1, first_pin.put(), nullptr);
    if (auto config = first_pin.try_query<win::IMixerPinConfig2>();
        config && SUCCEEDED(config->SetAspectRatioMode(static_cast<win::AM_ASPECT_RATIO_MODE>(value))))
        aspect_ratio_ = value;
    if (overlay_active_ && !desktop_mode_) PaintColorKey();
}

void TDSVideoWindowEx2::SetDigitalZoom(LONG value) {
    if (value < 0 || value > 99)
        throw wallcine::Exception(Format("Value %ld out of range. Value must bee between 0 -> 99", static_cast<long>(value)));
    if (active_renderer_) {
        if (auto video = PictureInterface<IBasicVideo2>(active_renderer_.get())) {
            video->SetDefaultSourcePosition();
            long left = 0, top = 0, width = 0, height = 0;
            video->get_SourceLeft(&left);
            video->get_SourceTop(&top);
            video->get_SourceWidth(&width);
            video->get_SourceHeight(&height);
            // A picture of no width keeps its whole source rectangle (nothing to divide by).
            const ZoomRect zoom = ZoomSourceRect(width, height, value);
            video->put_SourceWidth(zoom.width);
            video->put_SourceHeight(zoom.height);
            video->put_SourceLeft(zoom.left);
            video->put_SourceTop(zoom.top);
        }
    }
    digital_zoom_ = value;
}

void TDSVideoWindowEx2::IdleCursorCheck(bool& done) {
    done = true;
    if (auto_hide_cursor_ == 0 || ::GetTickCount() - last_mouse_tick_ < static_cast<DWORD>(auto_hide_cursor_) ||
        !video_window_)
        return;
    if (overlay_active_) {
        // The video shows through the key in our own window: hide our cursor.
        if (!cursor_) return;
        saved_cursor_ = cursor_;
        cursor_ = nullptr;
    } else {
        // The renderer's own window shows the video: it hides its cursor.
        video_window_->IsCursorHidden(&cursor_hidden_);
        if (cursor_hidden_) return;
        video_window_->HideCursor(OATRUE);
        cursor_hidden_ = OATRUE;
    }
    // Moving the cursor onto itself makes the system show the new shape at once.
    POINT position;
    if (::GetCursorPos(&position)) ::SetCursorPos(position.x, position.y);
    if (OnCursorShowHide) OnCursorShowHide(*this, false);
}

void TDSVideoWindowEx2::ShowCursorAgain(bool store_position, int x, int y) {
    const auto remember = [&] {
        if (store_position) {
            last_mouse_x_ = x;
            last_mouse_y_ = y;
        }
        last_mouse_tick_ = ::GetTickCount();
    };
    if (overlay_active_) {
        if (cursor_) return;
        cursor_ = saved_cursor_;
        remember();
    } else {
        video_window_->IsCursorHidden(&cursor_hidden_);
        if (!cursor_hidden_) return;
        video_window_->HideCursor(OAFALSE);
        remember();
        cursor_hidden_ = OAFALSE;
    }
    if (OnCursorShowHide) OnCursorShowHide(*this, true);
}

void TDSVideoWindowEx2::MouseButton(int x, int y) {
    if (video_window_) ShowCursorAgain(true, x, y);
}

void TDSVideoWindowEx2::MouseMove(int x, int y) {
    if (x != last_mouse_x_ || y != last_mouse_y_) {
        last_mouse_x_ = x;
        last_mouse_y_ = y;
        last_mouse_tick_ = ::GetTickCount();
        if (video_window_) ShowCursorAgain(false, x, y);
    }
    if (OnMouseMove) OnMouseMove(*this, x, y);
}

}  // namespace wallcine::video
