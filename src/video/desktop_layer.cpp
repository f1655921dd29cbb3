// The wallpaper layer of desktop mode: where no overlay shows the video through the colour key,
// the renderer's own window is shown on a layer behind the desktop icons (wallpaper_layer.h),
// with the picture letterboxed, stretched or cropped over the monitor as the aspect-ratio mode
// says. The layer follows display changes and shell restarts, and leaving desktop mode hands
// the renderer's window back as it was.
#include "win/dshow.h"

#include "core/geometry.h"
#include "video/desktop_form.h"
#include "video/renderer_picture.h"
#include "video/video_window.h"
#include "video/wallpaper_layer.h"

namespace wallcine::video {

bool TDSVideoWindowEx2::RendererHasPicture() const { return RendererConnected(renderer_filter_.get()); }

HWND TDSVideoWindowEx2::WallpaperLayerHandle() const noexcept {
    WallpaperLayer* layer = takeover_.Layer();
    return layer ? layer->Handle() : nullptr;
}

void TDSVideoWindowEx2::AttachWallpaperLayer() {
    if (takeover_.HasLayer() || !desktop_mode_ || overlay_active_) return;
    if (!takeover_.MakeLayer([this] { WallpaperLayerLost(); })) return;
    renderer_visible_before_layer_ = OATRUE;
    if (video_window_ && FAILED(video_window_->get_Visible(&renderer_visible_before_layer_)))
        renderer_visible_before_layer_ = OATRUE;
}

void TDSVideoWindowEx2::DetachWallpaperLayer() {
    if (!takeover_.HasLayer()) return;
    // The renderer's window leaves the layer before the layer goes, or it would go with it (a
    // lost layer has already let it go).
    if (video_window_) {
        if (!takeover_.LayerLost()) video_window_->put_Owner(reinterpret_cast<OAHWND>(Parent()));
        video_window_->put_Visible(renderer_visible_before_layer_);
    }
    takeover_.DropLayer();
}

void TDSVideoWindowEx2::WallpaperLayerLost() noexcept {
    // The shell's window that held the layer is being destroyed (the shell ended): save the
    // renderer's window into our hidden form while it still exists, and find a new layer once
    // this destruction is over.
    takeover_.MarkLayerLost();
    if (video_window_) {
        video_window_->put_Visible(OAFALSE);
        video_window_->put_Owner(reinterpret_cast<OAHWND>(Parent()));
    }
    ::PostMessageA(Handle(), WM_LAYER_LOST, 0, 0);
}

void TDSVideoWindowEx2::ReattachWallpaperLayer() {
    if (!takeover_.HasLayer()) return;
    // The renderer's window keeps what it had before desktop mode, for the day it leaves.
    const long visible_before = renderer_visible_before_layer_;
    DetachWallpaperLayer();
    AttachWallpaperLayer();
    renderer_visible_before_layer_ = visible_before;
    ApplyVideoWindow();
}

RECT TDSVideoWindowEx2::PictureOnLayer() const {
    RECT area{};
    ::GetClientRect(takeover_.Layer()->Handle(), &area);
    if (aspect_ratio_ == rmStretched) return area;
    const SIZE shape = PictureShape(renderer_filter_.get());
    const Rect target{area.left, area.top, area.right, area.bottom};
    const Rect source{0, 0, shape.cx, shape.cy};
    // Letterbox: the whole picture with bars; crop: the area filled, the overflow cut off by the layer.
    const Rect picture = aspect_ratio_ == rmCrop ? AspectCoverRect(target, source) : AspectFitRect(target, source);
    return {picture.left, picture.top, picture.right, picture.bottom};
}

void TDSVideoWindowEx2::PlaceRendererOnLayer() {
    if (!takeover_.Layer() || !video_window_) return;
    const RECT picture = PictureOnLayer();
    video_window_->SetWindowPosition(picture.left, picture.top, picture.right - picture.left,
                                     picture.bottom - picture.top);
}

void TDSVideoWindowEx2::DesktopChanged(bool shell_restarted) {
    if (!desktop_mode_) return;
    takeover_.FollowDisplayChange();
    AlignToParentClient();
    if (shell_restarted) {
        ReattachWallpaperLayer();
    } else if (takeover_.Layer()) {
        ApplyVideoWindow();
    }
}

}  // namespace wallcine::video
