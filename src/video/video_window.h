// TDSVideoWindowEx2: a child window that presents a TFilterGraph's video. It is the graph's
// filter client (it contributes its own Video Renderer) and event client (it follows play,
// pause, stop, render and graph events). After each render it routes the video through the
// Overlay Mixer so the picture lies on an overlay surface shown wherever the screen holds the
// colour key, which it paints over the video's rectangle; in desktop mode the key becomes the
// desktop background. It also letterboxes or stretches, zooms, and hides an idle cursor.
//
// Threads: everything runs on the GUI thread that created the window. The mixer's callback
// thread only stores the colour key and posts a message; the GUI thread does the rest.
#pragma once

#include <windows.h>
#include "win/dshow.h"

#include <atomic>
#include <functional>
#include <memory>
#include <string>

#include "media/filter_graph.h"
#include "media/graph_clients.h"
#include "video/color_control.h"
#include "video/desktop_takeover.h"
#include "video/overlay_callback.h"
#include "win/com_ptr.h"
#include "win/idle_handlers.h"
#include "win/unique_handle.h"

namespace wallcine::video {

enum TRatioModes { rmStretched = 0, rmLetterBox = 1, rmCrop = 2 };

// The framework's "no colour": the colour key until the mixer has reported one.
inline constexpr COLORREF clNone = 0x1FFFFFFF;
inline constexpr COLORREF clBlack = 0x00000000;

class DesktopForm;
class WallpaperLayer;

class TDSVideoWindowEx2 : public media::IGraphFilterClient,
                          public media::IGraphEventClient,
                          public IColorControlOwner,
                          public ICapsOwner,
                          public media::IGraphFreeNotification {
public:
    using TNotifyEvent = std::function<void(TDSVideoWindowEx2& sender)>;
    using TVisibleEvent = std::function<void(TDSVideoWindowEx2& sender, bool visible)>;

    // A child of `parent`, 320 x 240 at (0, 0), named `name` (the renderer joins the graph under it).
    TDSVideoWindowEx2(HWND parent, std::string name);
    virtual ~TDSVideoWindowEx2();
    TDSVideoWindowEx2(const TDSVideoWindowEx2&) = delete;
    TDSVideoWindowEx2& operator=(const TDSVideoWindowEx2&) = delete;

    // --- The window ---------------------------------------------------------------------
    HWND Handle() const noexcept { return window_.get(); }
    const std::string& Name() const noexcept { return name_; }
    HWND Parent() const noexcept;
    // Bounds in the parent's client coordinates.
    RECT Bounds() const noexcept;
    void SetBounds(int left, int top, int width, int height);
    // Fills the parent's client area; the parent calls it again when its size changes.
    void AlignToParentClient();
    COLORREF Color() const noexcept { return color_; }
    void SetColor(COLORREF value);
    // Reads the window's style words, as the stored settings leave them.
    void Loaded();

    // --- The graph ----------------------------------------------------------------------
    media::TFilterGraph* FilterGraph() const noexcept override { return filter_graph_; }
    void SetFilterGraph(media::TFilterGraph* value);
    // The graph component is going away: forget it without unregistering.
    void GraphDestroyed(media::TFilterGraph& graph) noexcept override;
    // The component's interfaces, then (when it has one) those of its renderer.
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override;
    ULONG STDMETHODCALLTYPE AddRef() override { return ++references_; }
    ULONG STDMETHODCALLTYPE Release() override { return --references_; }  // owned by its form, not by references

    // IGraphFilterClient
    win::com_ptr<IBaseFilter> ProvideFilter() override { return renderer_filter_.clone(); }
    std::wstring ProvideFilterName() override;
    void HandleFilterOperation(media::TFilterClientOperation operation, LONG param) override;
    // IGraphEventClient
    void HandleGraphEvent(LONG event_code, LONG_PTR param1, LONG_PTR param2) override;
    void HandleControlEvent(media::TGraphControlEvent event, LONG param) override;

    // --- Overlay and colour key ---------------------------------------------------------
    HRESULT SetupOverlay();
    void RefreshColorKey();
    COLORREF ColorKey() const noexcept { return color_key_; }
    bool OverlayActive() const noexcept { return overlay_active_; }
    bool OverlayVisible() const noexcept { return overlay_visible_; }
    bool OverlayChecked() const noexcept { return overlay_checked_; }
    IBaseFilter* OverlayMixer() const noexcept override { return overlay_mixer_.get(); }
    IBaseFilter* ActiveRenderer() const noexcept { return active_renderer_.get(); }
    IBaseFilter* RendererFilter() const noexcept { return renderer_filter_.get(); }
    IVideoWindow* VideoWindow() const noexcept { return video_window_.get(); }
    const RECT& VideoRect() const noexcept { return video_rect_; }
    HWND RendererWindow() const noexcept { return renderer_window_; }
    HRESULT UpdateVideoRect();
    void PaintColorKey();
    void ApplyVideoWindow();

    // Called by the overlay callback, on the mixer's thread: stores the key and has the GUI
    // thread announce it.
    void ColorKeyReported(COLORREF key) noexcept;
    // Called by the overlay callback, on the mixer's thread: has the GUI thread re-fit and repaint.
    void VideoSizeReported() noexcept;

    // --- Desktop mode -------------------------------------------------------------------
    void EnterDesktopMode();
    void EnterDesktopModeOn(HMONITOR monitor);
    void LeaveDesktopMode();
    bool DesktopMode() const noexcept { return desktop_mode_; }
    HMONITOR DesktopMonitor() const noexcept { return takeover_.Monitor(); }
    HWND DesktopFormHandle() const noexcept;
    // The window that shows the renderer's window in desktop mode while no overlay is active
    // (null otherwise).
    HWND WallpaperLayerHandle() const noexcept;

    // --- Presentation -------------------------------------------------------------------
    TRatioModes AspectRatio() const noexcept { return aspect_ratio_; }
    void SetAspectRatio(TRatioModes value);
    LONG DigitalZoom() const noexcept { return digital_zoom_; }
    void SetDigitalZoom(LONG value);
    LONG AutoHideCursor() const noexcept { return auto_hide_cursor_; }
    void SetAutoHideCursor(LONG milliseconds) noexcept { auto_hide_cursor_ = milliseconds; }
    bool NoScreenSaver() const noexcept { return no_screen_saver_; }
    void SetNoScreenSaver(bool value) noexcept { no_screen_saver_ = value; }
    bool FullScreenTopMost() const noexcept { return full_screen_top_most_; }
    void SetFullScreenTopMost(bool value) noexcept { full_screen_top_most_ = value; }
    bool FullScreen() const noexcept { return full_screen_; }
    // The application's idle handler: hides the cursor after AutoHideCursor ms without movement.
    void IdleCursorCheck(bool& done);
    // The cursor over the component's window; nullptr hides it.
    HCURSOR Cursor() const noexcept { return cursor_; }

    // --- Colour control and capabilities ------------------------------------------------
    TColorControl& ColorControl() noexcept override { return *color_control_; }
    TDSVideoWindowEx2Caps& Caps() noexcept { return *caps_; }
    bool Designing() const noexcept override { return false; }

    // --- Events ---------------------------------------------------------------------------
    TNotifyEvent OnColorKeyChanged;
    TNotifyEvent OnPaint;
    TVisibleEvent OnOverlayVisible;
    TVisibleEvent OnCursorShowHide;
    std::function<void(TDSVideoWindowEx2& sender, int x, int y)> OnMouseMove;

private:
    friend class OverlaySetup;
    // Posted when the shell destroyed the wallpaper layer under us.
    static constexpr UINT WM_LAYER_LOST = WM_APP + 0x23;

    LRESULT WndProc(UINT message, WPARAM wparam, LPARAM lparam);
    void Resize();
    void SetUpOverlayAndApply();
    void ReadoptRenderer();
    void SetOverlayVisible(bool visible);
    void StopAndDisconnect(IBaseFilter* filter);
    void DropOverlayCallback() noexcept;
    void MouseButton(int x, int y);
    void MouseMove(int x, int y);
    void ShowCursorAgain(bool store_position, int x, int y);
    // The wallpaper layer: the renderer's own window shown behind the desktop icons.
    void AttachWallpaperLayer();
    void DetachWallpaperLayer();
    void WallpaperLayerLost() noexcept;
    void ReattachWallpaperLayer();
    // Where the picture goes on the layer, with the aspect-ratio mode applied.
    RECT PictureOnLayer() const;
    // Whether the renderer is connected, i.e. the item has a picture to show.
    bool RendererHasPicture() const;
    void PlaceRendererOnLayer();
    // The display settings changed, or the shell restarted: fit the monitor, find the layer again.
    void DesktopChanged(bool shell_restarted);

    std::string name_;
    win::unique_hwnd window_;
    ULONG references_ = 0;
    bool destroying_ = false;
    COLORREF color_ = clBlack;
    DWORD saved_style_ = 0;
    DWORD saved_ex_style_ = 0;

    media::TFilterGraph* filter_graph_ = nullptr;
    win::com_ptr<IBaseFilter> renderer_filter_;
    win::com_ptr<IBaseFilter> overlay_mixer_;
    win::com_ptr<IBaseFilter> active_renderer_;
    win::com_ptr<IDDrawExclModeVideo> excl_mode_video_;
    win::com_ptr<IVideoWindow> video_window_;
    win::com_ptr<TOverlayCallback> overlay_callback_;  // the one last handed to the mixer

    bool full_screen_ = false;
    bool full_screen_top_most_ = false;
    std::atomic<COLORREF> color_key_{clNone};
    RECT video_rect_{};

    std::unique_ptr<TColorControl> color_control_;
    std::unique_ptr<TDSVideoWindowEx2Caps> caps_;
    LONG digital_zoom_ = 0;
    TRatioModes aspect_ratio_ = rmLetterBox;
    bool no_screen_saver_ = false;
    LONG auto_hide_cursor_ = 0;

    long renderer_visible_before_layer_ = OATRUE;
    bool overlay_checked_ = false;
    HWND saved_parent_ = nullptr;
    bool overlay_active_ = false;
    HWND renderer_window_ = nullptr;
    int last_mouse_x_ = 0;
    int last_mouse_y_ = 0;
    DWORD last_mouse_tick_ = 0;
    HCURSOR cursor_ = nullptr;
    HCURSOR saved_cursor_ = nullptr;
    LONG cursor_hidden_ = 0;
    bool overlay_visible_ = false;
    bool desktop_mode_ = false;

    win::IdleHandlerRegistration idle_handler_;
    // What desktop mode takes over (wallpaper, colour, monitor, the form and the layer that carry
    // the video) and gives back.
    DesktopTakeover takeover_;
};

}  // namespace wallcine::video
