// TFilterGraph: owns one DirectShow filter graph. `Active` creates and releases it (in the
// normal, capture or DVD mode); filter clients' filters join each activation; event clients
// hear every control event and graph event. Graph events arrive as a message posted to a hidden
// window and are dispatched on the GUI thread. Create, use and destroy it on the GUI thread.
#pragma once

#include <windows.h>
#include "win/dshow.h"

#include <string>
#include <vector>

#include "media/graph_clients.h"
#include "media/graph_event_handlers.h"
#include "win/com_ptr.h"
#include "win/unique_handle.h"

namespace wallcine::media {

enum TGraphMode { gmNormal = 0, gmCapture = 1, gmDVD = 2 };

// Posted by the graph to the notification window whenever an event is queued.
inline constexpr UINT WM_GRAPHNOTIFY = 0x8001;

class TFilterGraph : public TGraphEventHandlers {
public:
    TFilterGraph();
    virtual ~TFilterGraph();
    TFilterGraph(const TFilterGraph&) = delete;
    TFilterGraph& operator=(const TFilterGraph&) = delete;

    // --- The graph and its settings ---------------------------------------------------------
    bool Active() const noexcept { return active_; }
    // Activating creates the graph object; when the platform cannot create it, this raises
    // EDirectShowException and the component stays inactive.
    void SetActive(bool value);
    TGraphMode Mode() const noexcept { return mode_; }
    void SetMode(TGraphMode value);
    bool GraphEdit() const noexcept { return graph_edit_; }
    void SetGraphEdit(bool value);
    const std::wstring& LogFile() const noexcept { return log_file_; }
    void SetLogFile(const std::wstring& name);
    bool AutoCreate() const noexcept { return auto_create_; }
    void SetAutoCreate(bool value) noexcept { auto_create_ = value; }
    // Whether each graph of the normal mode runs on a clock the component gives it when it first
    // plays or pauses (a TReferenceClock), instead of the clock the graph would choose itself
    // (its audio renderer's). On by default under Wine only: Wine 8's DirectSound renderer never
    // frees its clock, so every graph with sound that played would leave the clock's thread and
    // about a megabyte behind; elsewhere the audio device's clock is the better choice. Capture
    // and DVD graphs keep the clock their source or builder chooses.
    bool OwnClock() const noexcept { return own_clock_; }
    void SetOwnClock(bool value) noexcept { own_clock_ = value; }
    // Design state (a form designer): Loaded never activates then.
    void SetDesigning(bool value) noexcept { designing_ = value; }
    // Called once the stored settings have been read: activates when AutoCreate asks for it.
    void Loaded();

    TNotifyEvent OnActivate;

    // The graph while active, null otherwise.
    IFilterGraph2* Graph() const noexcept { return graph_.get(); }
    // The component's interfaces, then (while active) the graph objects': the graph, or first the
    // capture builder (capture mode) or the DVD builder and its DVD interfaces (DVD mode).
    HRESULT QueryInterface(REFIID iid, void** object);
    template <class T>
    win::com_ptr<T> Query() {
        win::com_ptr<T> result;
        QueryInterface(__uuidof(T), result.put_void());
        return result;
    }

    // --- Clients ----------------------------------------------------------------------------
    void AddFilterClient(IGraphFilterClient* client);
    void RemoveFilterClient(IGraphFilterClient* client);
    void AddEventClient(IGraphEventClient* client);
    void RemoveEventClient(IGraphEventClient* client);
    // Listeners told when this component is destroyed.
    void FreeNotification(IGraphFreeNotification* listener);
    void RemoveFreeNotification(IGraphFreeNotification* listener);

    // --- Playback ---------------------------------------------------------------------------
    void NotifyControlEvent(TGraphControlEvent event, LONG param);
    // False without a graph (no event sent); true for any success code of Run.
    bool Play();
    // True only for S_OK.
    bool Pause();
    bool Stop();
    // S_FALSE without a graph; otherwise the graph builder's success code (partial renders too).
    // A file DirectShow cannot render (DirectShowCannotRender) goes through Wallcine's own media
    // source; when that cannot play it either, DirectShow's error is raised.
    HRESULT RenderFile(const std::wstring& file_name);
    // Stops and strips the graph back to the clients' filters, all disconnected.
    void ResetGraph();
    void DisconnectAllPins();
    // 0 (silence) .. 10000 (full volume).
    void SetVolume(LONG volume);

    // --- Graph events -----------------------------------------------------------------------
    // Reads and dispatches every queued event; run when the notification message arrives.
    void PumpGraphEvents();
    // Event clients first, then OnDSEvent, then the handler for the code.
    virtual void DispatchGraphEvent(LONG event_code, LONG_PTR param1, LONG_PTR param2);
    void BroadcastGraphEvent(LONG event_code, LONG_PTR param1, LONG_PTR param2);
    HWND NotificationWindow() const noexcept { return notification_window_.get(); }

private:
    void Activate();
    void Deactivate();
    void CreateGraphObjects();
    void AddClientFilter(IGraphFilterClient& client);
    void RemoveClientFilter(IGraphFilterClient& client);
    // The graph's clock, once per graph, where OwnClock asks for it (see there).
    void ChooseClock();
    void CloseLog();
    bool OpenLog(const std::wstring& name);
    void DispatchByCode(LONG event_code, LONG_PTR param1, LONG_PTR param2);
    void DispatchDvdByCode(LONG event_code, LONG_PTR param1, LONG_PTR param2);
    void DispatchDvdStreamChange(LONG event_code, LONG stream, const TOnDVDStreamChange& handler);
    LRESULT NotificationMessage(UINT message, WPARAM wparam, LPARAM lparam);

    bool active_ = false;
    bool auto_create_ = false;
    bool designing_ = false;
    bool own_clock_;
    bool clock_chosen_ = false;  // ChooseClock has run for this graph
    win::unique_hwnd notification_window_;
    TGraphMode mode_ = gmNormal;
    std::vector<win::com_ptr<IGraphFilterClient>> filter_clients_;
    std::vector<win::com_ptr<IGraphEventClient>> event_clients_;
    std::vector<IGraphFreeNotification*> free_listeners_;
    win::com_ptr<IMediaEventEx> media_event_;
    bool graph_edit_ = false;
    DWORD rot_cookie_ = 0;
    std::wstring log_file_;
    win::unique_hfile log_stream_;
    win::com_ptr<IFilterGraph2> graph_;
    win::com_ptr<ICaptureGraphBuilder2> capture_builder_;
    win::com_ptr<IDvdGraphBuilder> dvd_builder_;
};

}  // namespace wallcine::media
