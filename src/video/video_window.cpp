// TDSVideoWindowEx2: the window, its graph registration, the filter-client operations, the
// control and graph events, and the painting of the colour key.
#include "video/video_window.h"

#include "win/dshow.h"
#include <windowsx.h>

#include <stdexcept>

#include "core/errors.h"
#include "core/geometry.h"
#include "media/filter_list.h"
#include "video/desktop_form.h"
#include "video/wallpaper_layer.h"
#include "win/message_pump.h"
#include "win/object_factory.h"
#include "win/show_exception.h"
#include "win/window_binding.h"

namespace wallcine::video {

namespace {

constexpr char kVideoWindowClass[] = "TDSVideoWindowEx2";
// Posted by the overlay callback from the mixer's thread.
constexpr UINT WM_COLORKEY_REPORTED = WM_APP + 0x21;
constexpr UINT WM_VIDEOSIZE_REPORTED = WM_APP + 0x22;

}  // namespace

TDSVideoWindowEx2::TDSVideoWindowEx2(HWND parent, std::string name)
    : name_(std::move(name)),
      color_control_(std::make_unique<TColorControl>(*this)),
      caps_(std::make_unique<TDSVideoWindowEx2Caps>(*this)),
      takeover_(
          color_,
          [this] {
              if (!destroying_) return false;
              LeaveDesktopMode();
              return true;
          },
          [this](bool shell_restarted) { DesktopChanged(shell_restarted); }) {
    WNDCLASSEXA window_class{sizeof window_class};
    window_class.style = CS_DBLCLKS;
    window_class.lpfnWndProc =
        &win::BoundWindowProc<TDSVideoWindowEx2, &TDSVideoWindowEx2::window_, &TDSVideoWindowEx2::WndProc>;
    window_class.hInstance = ::GetModuleHandleA(nullptr);
    window_class.hCursor = ::LoadCursorA(nullptr, IDC_ARROW);
    window_class.lpszClassName = kVideoWindowClass;
    win::RegisterWindowClassOnce(window_class);
    cursor_ = ::LoadCursorA(nullptr, IDC_ARROW);
    // WM_NCCREATE binds the window to this object.
    if (!::CreateWindowExA(0, kVideoWindowClass, name_.c_str(),
                           WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN | WS_TABSTOP, 0, 0, 320, 240, parent,
                           nullptr, ::GetModuleHandleA(nullptr), this))
        throw std::runtime_error(Format("Cannot create the video window (error %lu)", ::GetLastError()));
    SetAspectRatio(rmLetterBox);
    SetDigitalZoom(0);
    idle_handler_ = win::IdleHandlerRegistration([this](bool& done) { IdleCursorCheck(done); });
    Loaded();
}

TDSVideoWindowEx2::~TDSVideoWindowEx2() {
    destroying_ = true;
    try {
        if (desktop_mode_) LeaveDesktopMode();
        // A window destroyed before its graph must not stay registered with it.
        SetFilterGraph(nullptr);
    } catch (...) {
        win::ShowCurrentException();
    }
    if (excl_mode_video_) excl_mode_video_->SetCallbackInterface(nullptr, 0);
    DropOverlayCallback();
    overlay_mixer_.reset();
    video_window_.reset();
    active_renderer_.reset();
    renderer_filter_.reset();
    // Our window first: in desktop mode it is a child of the desktop form, which goes next.
    win::Unbind(Handle());
    window_.reset();
    takeover_.ReleaseWindows();
}

HWND TDSVideoWindowEx2::Parent() const noexcept { return ::GetParent(Handle()); }

RECT TDSVideoWindowEx2::Bounds() const noexcept {
    RECT bounds{};
    ::GetWindowRect(Handle(), &bounds);
    ::MapWindowPoints(HWND_DESKTOP, Parent(), reinterpret_cast<POINT*>(&bounds), 2);
    return bounds;
}

void TDSVideoWindowEx2::SetBounds(int left, int top, int width, int height) {
    ::MoveWindow(Handle(), left, top, width, height, TRUE);
}

void TDSVideoWindowEx2::AlignToParentClient() {
    RECT client{};
    ::GetClientRect(Parent(), &client);
    SetBounds(0, 0, client.right, client.bottom);
}

void TDSVideoWindowEx2::SetColor(COLORREF value) {
    color_ = value;
    ::InvalidateRect(Handle(), nullptr, FALSE);
}

void TDSVideoWindowEx2::Loaded() {
    saved_style_ = static_cast<DWORD>(::GetWindowLongA(Handle(), GWL_STYLE));
    saved_ex_style_ = static_cast<DWORD>(::GetWindowLongA(Handle(), GWL_EXSTYLE));
}

HWND TDSVideoWindowEx2::DesktopFormHandle() const noexcept { return takeover_.FormHandle(); }

// --- The graph -------------------------------------------------------------------------------

void TDSVideoWindowEx2::SetFilterGraph(media::TFilterGraph* value) {
    if (value == filter_graph_) return;
    if (filter_graph_) {
        filter_graph_->RemoveFilterClient(this);
        filter_graph_->RemoveEventClient(this);
        filter_graph_->RemoveFreeNotification(this);
    }
    if (value) {
        value->AddFilterClient(this);
        value->AddEventClient(this);
        value->FreeNotification(this);
    }
    filter_graph_ = value;
}

void TDSVideoWindowEx2::GraphDestroyed(media::TFilterGraph& graph) noexcept {
    if (&graph == filter_graph_) filter_graph_ = nullptr;
}

HRESULT TDSVideoWindowEx2::QueryInterface(REFIID iid, void** object) {
    if (!object) return E_POINTER;
    *object = nullptr;
    if (iid == IID_IUnknown || iid == __uuidof(media::IGraphFilterClient))
        *object = static_cast<media::IGraphFilterClient*>(this);
    else if (iid == __uuidof(media::IGraphEventClient))
        *object = static_cast<media::IGraphEventClient*>(this);
    if (*object) {
        AddRef();
        return S_OK;
    }
    // The component answers for its renderer too.
    return renderer_filter_ ? renderer_filter_->QueryInterface(iid, object) : E_NOINTERFACE;
}

std::wstring TDSVideoWindowEx2::ProvideFilterName() { return std::wstring(name_.begin(), name_.end()); }

void TDSVideoWindowEx2::DropOverlayCallback() noexcept {
    if (overlay_callback_) overlay_callback_->Detach();
    overlay_callback_.reset();
}

void TDSVideoWindowEx2::StopAndDisconnect(IBaseFilter* filter) {
    filter->Stop();
    const media::TPinList pins(filter);
    for (int index = 0; index < pins.Count(); ++index) pins.Pins(index)->Disconnect();
}

void TDSVideoWindowEx2::HandleFilterOperation(media::TFilterClientOperation operation, LONG) {
    switch (operation) {
    case media::fcoBeforeAdd:
        overlay_checked_ = false;
        win::CreateObject(CLSID_VideoRenderer, renderer_filter_);
        break;
    case media::fcoAfterAdd:
        renderer_filter_.query_to(video_window_);
        // A renderer that arrives during desktop mode was never shown anywhere else.
        renderer_visible_before_layer_ = OATRUE;
        break;
    case media::fcoBeforeRemove:
        if (overlay_mixer_) {
            color_control_->RestoreOverlayControls();
            if (renderer_filter_) renderer_filter_->Stop();
            const media::TPinList mixer_pins(overlay_mixer_.get());
            for (int index = 0; index < mixer_pins.Count(); ++index) mixer_pins.Pins(index)->Disconnect();
        }
        if (renderer_filter_) StopAndDisconnect(renderer_filter_.get());
        if (excl_mode_video_) excl_mode_video_->SetCallbackInterface(nullptr, 0);
        DropOverlayCallback();
        break;
    case media::fcoAfterRemove:
        overlay_checked_ = false;
        excl_mode_video_.reset();
        overlay_mixer_.reset();
        active_renderer_.reset();
        video_window_.reset();
        renderer_filter_.reset();
        break;
    }
}

void TDSVideoWindowEx2::HandleGraphEvent(LONG event_code, LONG_PTR, LONG_PTR) {
    if (event_code == EC_PALETTE_CHANGED) {
        ApplyVideoWindow();
    } else if (event_code == EC_CLOCK_CHANGED) {
        if (overlay_active_) RefreshColorKey();
        // Hand both settings to the renderer and the mixer of this graph again.
        SetDigitalZoom(digital_zoom_);
        SetAspectRatio(aspect_ratio_);
        if (overlay_active_) PaintColorKey();
    }
}

void TDSVideoWindowEx2::SetUpOverlayAndApply() {
    overlay_active_ = SUCCEEDED(SetupOverlay());
    if (overlay_active_) {
        color_control_->SaveOverlayControls();
        color_control_->ApplyColorControls();
    }
    // In desktop mode the video is seen through the overlay or, failing that, on the layer.
    if (desktop_mode_) {
        if (overlay_active_)
            DetachWallpaperLayer();
        else
            AttachWallpaperLayer();
    }
    ApplyVideoWindow();
}

void TDSVideoWindowEx2::SetOverlayVisible(bool visible) {
    overlay_visible_ = visible;
    if (visible) {
        if (OnOverlayVisible) OnOverlayVisible(*this, true);
        PaintColorKey();
    } else {
        PaintColorKey();
        if (OnOverlayVisible) OnOverlayVisible(*this, false);
    }
}

void TDSVideoWindowEx2::HandleControlEvent(media::TGraphControlEvent event, LONG) {
    switch (event) {
    case media::gcePlay:
    case media::gcePause:
        if (!overlay_checked_) SetUpOverlayAndApply();
        if (overlay_active_ && !overlay_visible_ && !desktop_mode_) SetOverlayVisible(true);
        break;
    case media::gceStop:
        if (!overlay_checked_) SetUpOverlayAndApply();
        if (overlay_active_ && overlay_visible_) SetOverlayVisible(false);
        break;
    case media::gceRenderDone:
        SetUpOverlayAndApply();
        break;
    case media::gceReserved6:
        ReadoptRenderer();
        break;
    default:
        break;
    }
}

void TDSVideoWindowEx2::ReadoptRenderer() {
    if (!renderer_filter_ || !filter_graph_ || !filter_graph_->Graph()) return;
    {
        media::ScopedFilterInfo info;
        renderer_filter_->QueryFilterInfo(&info);
        if (info.pGraph) return;  // our own renderer is still in the graph
    }

    const media::TFilterList filters(filter_graph_->Graph());
    for (int index = 0; index < filters.Count(); ++index) {
        IBaseFilter* filter = filters.Filters(index);
        CLSID clsid{};
        if (FAILED(filter->GetClassID(&clsid))) continue;
        if (clsid == CLSID_VideoRenderer) {
            overlay_mixer_.reset();
            renderer_filter_.reset();
            video_window_.reset();
            active_renderer_.reset();
            renderer_filter_ = win::com_ptr<IBaseFilter>::copy_from(filter);
            renderer_filter_.query_to(video_window_);
            SetUpOverlayAndApply();
            return;
        }
        if (clsid == CLSID_VideoMixingRenderer) {
            overlay_mixer_.reset();
            renderer_filter_.reset();
            active_renderer_.reset();
            if (video_window_) {
                auto behind = video_window_.query<IBaseFilter>();
                const std::wstring filter_name = ProvideFilterName();
                filter_graph_->Graph()->AddFilter(behind.get(), filter_name.c_str());
            }
            renderer_filter_ = video_window_.query<IBaseFilter>();
            SetUpOverlayAndApply();
            return;
        }
    }
}

// --- Placing the renderer's window and painting -----------------------------------------------

void TDSVideoWindowEx2::ApplyVideoWindow() {
    if (!video_window_) return;
    WallpaperLayer* layer = takeover_.Layer();
    const RECT bounds = layer ? PictureOnLayer() : Bounds();
    // The renderer's window is a sibling of this window, owned by the same parent; in desktop
    // mode without an overlay it lies on the wallpaper layer instead.
    const HWND owner = layer ? layer->Handle() : Parent();
    video_window_->put_Owner(reinterpret_cast<OAHWND>(owner));
    video_window_->put_WindowStyle(static_cast<LONG>(saved_style_ | WS_CHILD | WS_CLIPSIBLINGS));
    // On the layer it is a tool window as well: no taskbar button, also with a taskbar that
    // remembers the window from when the renderer created it top-level (Wine's does).
    video_window_->put_WindowStyleEx(static_cast<LONG>(saved_ex_style_ | (layer ? WS_EX_TOOLWINDOW : 0)));
    video_window_->SetWindowPosition(bounds.left, bounds.top, bounds.right - bounds.left, bounds.bottom - bounds.top);
    const std::wstring caption = ProvideFilterName();
    if (const win::unique_bstr text(::SysAllocString(caption.c_str())); text) video_window_->put_Caption(text.get());
    video_window_->put_MessageDrain(reinterpret_cast<OAHWND>(Handle()));
    win::ProcessPendingMessages();
    // The messages just handled may have taken the renderer out of the graph (the next item,
    // an exit) or ended desktop mode: what follows goes by the state as it is now.
    if (!video_window_) return;
    layer = takeover_.Layer();
    video_window_->put_AutoShow(desktop_mode_ && !layer ? OAFALSE : OATRUE);
    if (layer) {
        // An item without a picture (sound only) leaves the desktop as it is.
        if (RendererHasPicture()) {
            // Shown now: a graph already running would show it only at its next start.
            video_window_->put_Visible(OATRUE);
            layer->Show();
        } else {
            layer->Hide();
        }
    }
}

HRESULT TDSVideoWindowEx2::UpdateVideoRect() {
    if (!video_window_ || !renderer_filter_ || !excl_mode_video_ || !active_renderer_ || !overlay_mixer_) return E_FAIL;
    RECT client{};
    ::GetClientRect(Handle(), &client);
    if (aspect_ratio_ == rmLetterBox) {
        DWORD width = 0, height = 0, aspect_x = 0, aspect_y = 0;
        excl_mode_video_->GetNativeVideoProps(&width, &height, &aspect_x, &aspect_y);
        // A mixer that reports no aspect gets the whole client area (AspectFitRect's rule for an
        // empty source), never a division by zero.
        const Rect fitted = AspectFitRect({client.left, client.top, client.right, client.bottom},
                                          {0, 0, static_cast<std::int32_t>(aspect_x), static_cast<std::int32_t>(aspect_y)});
        video_rect_ = {fitted.left, fitted.top, fitted.right, fitted.bottom};
    } else {
        video_rect_ = client;
    }
    return S_OK;
}

void TDSVideoWindowEx2::PaintColorKey() {
    if (destroying_ || !Handle()) return;
    RECT client{};
    ::GetClientRect(Handle(), &client);
    {
        win::unique_window_dc screen = win::unique_window_dc::get(Handle());
        win::unique_hdc memory(::CreateCompatibleDC(screen.get()));
        win::unique_hbitmap bitmap(::CreateCompatibleBitmap(screen.get(), client.right, client.bottom));
        if (memory && bitmap) {
            win::select_object_scope selected(memory.get(), bitmap.get());
            win::unique_hbrush background(::CreateSolidBrush(color_));
            ::FillRect(memory.get(), &client, background.get());
            if (SUCCEEDED(UpdateVideoRect()) && overlay_visible_) {
                win::unique_hbrush key(::CreateSolidBrush(color_key_));
                ::FillRect(memory.get(), &video_rect_, key.get());
            }
            // One copy: the window goes from the previous picture to the new one without an erase.
            ::BitBlt(screen.get(), 0, 0, client.right, client.bottom, memory.get(), 0, 0, SRCCOPY);
        }
    }
    if (OnPaint) OnPaint(*this);
}

void TDSVideoWindowEx2::Resize() {
    if (video_window_ && !full_screen_ && !desktop_mode_) {
        const RECT bounds = Bounds();
        video_window_->SetWindowPosition(bounds.left, bounds.top, bounds.right - bounds.left, bounds.bottom - bounds.top);
    }
}

void TDSVideoWindowEx2::ColorKeyReported(COLORREF key) noexcept {
    color_key_ = key;
    ::PostMessageA(Handle(), WM_COLORKEY_REPORTED, 0, 0);
}

void TDSVideoWindowEx2::VideoSizeReported() noexcept { ::PostMessageA(Handle(), WM_VIDEOSIZE_REPORTED, 0, 0); }

// --- Messages --------------------------------------------------------------------------------

LRESULT TDSVideoWindowEx2::WndProc(UINT message, WPARAM wparam, LPARAM lparam) {
    switch (message) {
    case WM_ERASEBKGND:
        // While the overlay is active the next paint covers everything: no erase in between.
        if (overlay_active_) return -1;
        break;
    case WM_SYSCOMMAND:
        if (no_screen_saver_ && ((wparam & 0xFFF0) == SC_SCREENSAVE || (wparam & 0xFFF0) == SC_MONITORPOWER)) return 0;
        break;
    case WM_PAINT: {
        win::paint_scope paint(Handle());
        (void)paint;
        PaintColorKey();
        return 0;
    }
    case WM_SIZE:
        Resize();
        break;
    case WM_SETCURSOR:
        if (LOWORD(lparam) == HTCLIENT) {
            ::SetCursor(cursor_);
            return TRUE;
        }
        break;
    case WM_MOUSEMOVE:
        MouseMove(GET_X_LPARAM(lparam), GET_Y_LPARAM(lparam));
        return 0;
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
    case WM_LBUTTONUP:
    case WM_RBUTTONUP:
    case WM_MBUTTONUP:
        MouseButton(GET_X_LPARAM(lparam), GET_Y_LPARAM(lparam));
        break;
    case WM_COLORKEY_REPORTED:
        if (OnColorKeyChanged) OnColorKeyChanged(*this);
        return 0;
    case WM_VIDEOSIZE_REPORTED:
        UpdateVideoRect();
        PaintColorKey();
        return 0;
    case WM_LAYER_LOST:
        if (takeover_.LayerLost()) ReattachWallpaperLayer();
        return 0;
    default:
        break;
    }
    return ::DefWindowProcA(Handle(), message, wparam, lparam);
}

}  // namespace wallcine::video
