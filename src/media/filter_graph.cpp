// TFilterGraph: construction, activation and deactivation in the three modes, clients, the
// interface query, the running object table entry and the graph builder's log file.
#include "media/filter_graph.h"

#include "win/dshow.h"

#include <algorithm>
#include <stdexcept>

#include "media/directshow_error.h"
#include "media/graph_utilities.h"
#include "win/object_factory.h"
#include "win/window_binding.h"
#include "win/wine.h"

namespace wallcine::media {

namespace {

constexpr char kNotificationClass[] = "WallcineGraphNotification";

template <class Client>
void RemoveFirst(std::vector<win::com_ptr<Client>>& clients, Client* client) {
    auto found = std::find_if(clients.begin(), clients.end(), [&](const auto& item) { return item.get() == client; });
    if (found != clients.end()) clients.erase(found);
}

}  // namespace

TFilterGraph::TFilterGraph() : own_clock_(win::RunningUnderWine()) {
    WNDCLASSEXA window_class{sizeof window_class};
    window_class.lpfnWndProc =
        &win::BoundWindowProc<TFilterGraph, &TFilterGraph::notification_window_, &TFilterGraph::NotificationMessage>;
    window_class.hInstance = ::GetModuleHandleA(nullptr);
    window_class.lpszClassName = kNotificationClass;
    win::RegisterWindowClassOnce(window_class);
    // A message-only window: it only receives the graph's posted notifications.
    if (!::CreateWindowExA(0, kNotificationClass, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, ::GetModuleHandleA(nullptr),
                           this))
        throw std::runtime_error("Cannot create the graph notification window");
}

TFilterGraph::~TFilterGraph() {
    try {
        SetActive(false);
    } catch (...) {
        // A client failing while the graph goes away must not stop the teardown.
    }
    win::Unbind(notification_window_.get());
    notification_window_.reset();
    // A copy: a listener may remove itself while it is told.
    const auto listeners = free_listeners_;
    for (IGraphFreeNotification* listener : listeners) listener->GraphDestroyed(*this);
    // The client lists release their references with the component.
}

void TFilterGraph::SetActive(bool value) {
    if (value == active_) return;
    if (value)
        Activate();
    else
        Deactivate();
}

void TFilterGraph::CreateGraphObjects() {
    capture_builder_.reset();
    dvd_builder_.reset();
    graph_.reset();
    switch (mode_) {
    case gmNormal:
        CheckGraphResult(win::CreateObject(CLSID_FilterGraph, graph_));
        break;
    case gmCapture:
        CheckGraphResult(win::CreateObject(CLSID_CaptureGraphBuilder2, capture_builder_));
        CheckGraphResult(win::CreateObject(CLSID_FilterGraph, graph_));
        capture_builder_->SetFiltergraph(graph_.get());
        break;
    case gmDVD: {
        CheckGraphResult(win::CreateObject(CLSID_DvdGraphBuilder, dvd_builder_));
        win::com_ptr<IGraphBuilder> builder;
        CheckGraphResult(dvd_builder_->GetFiltergraph(builder.put()));
        CheckGraphResult(builder.query_to(graph_));
        break;
    }
    }
}

void TFilterGraph::Activate() {
    // Without a graph object nothing can work: stay inactive and say why, rather than leave a
    // component that claims to be active around a null graph.
    try {
        CreateGraphObjects();
    } catch (...) {
        capture_builder_.reset();
        dvd_builder_.reset();
        graph_.reset();
        throw;
    }
    active_ = true;
    clock_chosen_ = false;

    if (SUCCEEDED(QueryInterface(IID_IMediaEventEx, media_event_.put_void())) && media_event_) {
        media_event_->SetNotifyFlags(0);
        media_event_->SetNotifyWindow(reinterpret_cast<OAHWND>(notification_window_.get()), WM_GRAPHNOTIFY,
                                      reinterpret_cast<LONG_PTR>(media_event_.get()));
    }
    SetGraphEdit(graph_edit_);
    SetLogFile(log_file_);
    // By index, each client held for its call: a client's handler may change the list.
    for (size_t index = 0; index < filter_clients_.size(); ++index) {
        auto client = filter_clients_[index].clone();
        AddClientFilter(*client);
    }
    if (OnActivate) OnActivate(*this);
    NotifyControlEvent(gceActiveChanged, 1);
}

void TFilterGraph::Deactivate() {
    NotifyControlEvent(gceActiveChanged, 0);
    for (size_t index = 0; index < filter_clients_.size(); ++index) {
        auto client = filter_clients_[index].clone();
        RemoveClientFilter(*client);
    }
    if (media_event_) {
        // Notifications off before the interface goes: no message may refer to a released graph.
        media_event_->SetNotifyFlags(AM_MEDIAEVENT_NONOTIFY);
        media_event_.reset();
    }
    if (rot_cookie_ != 0) {
        RevokeGraphFromRot(rot_cookie_);
        rot_cookie_ = 0;
    }
    CloseLog();
    graph_.reset();
    capture_builder_.reset();
    dvd_builder_.reset();
    active_ = false;
}

void TFilterGraph::SetMode(TGraphMode value) {
    if (value == mode_) return;
    const bool was_active = active_;
    SetActive(false);
    mode_ = value;
    SetActive(was_active);
}

void TFilterGraph::Loaded() {
    if (auto_create_ && !designing_) SetActive(true);
}

HRESULT TFilterGraph::QueryInterface(REFIID iid, void** object) {
    if (!object) return E_POINTER;
    *object = nullptr;
    // The component offers no interfaces of its own; while active it speaks for its graph.
    if (!active_ || !graph_) return E_NOINTERFACE;
    switch (mode_) {
    case gmNormal:
        break;
    case gmCapture:
        if (capture_builder_ && SUCCEEDED(capture_builder_->QueryInterface(iid, object))) return S_OK;
        break;
    case gmDVD:
        if (dvd_builder_) {
            if (SUCCEEDED(dvd_builder_->QueryInterface(iid, object))) return S_OK;
            if (SUCCEEDED(dvd_builder_->GetDvdInterface(iid, object))) return S_OK;
        }
        break;
    }
    return graph_->QueryInterface(iid, object);
}

void TFilterGraph::AddClientFilter(IGraphFilterClient& client) {
    client.HandleFilterOperation(fcoBeforeAdd, 0);
    const std::wstring name = client.ProvideFilterName();
    win::com_ptr<IBaseFilter> filter = client.ProvideFilter();
    graph_->AddFilter(filter.get(), name.c_str());
    client.HandleFilterOperation(fcoAfterAdd, 0);
}

void TFilterGraph::RemoveClientFilter(IGraphFilterClient& client) {
    client.HandleFilterOperation(fcoBeforeRemove, 0);
    win::com_ptr<IBaseFilter> filter = client.ProvideFilter();
    graph_->RemoveFilter(filter.get());
    client.HandleFilterOperation(fcoAfterRemove, 0);
}

void TFilterGraph::AddFilterClient(IGraphFilterClient* client) {
    if (!client) return;
    filter_clients_.push_back(win::com_ptr<IGraphFilterClient>::copy_from(client));
    if (active_) AddClientFilter(*client);
}

void TFilterGraph::RemoveFilterClient(IGraphFilterClient* client) {
    // Keep the client alive through its removal notifications even if the list held the last reference.
    auto keep = win::com_ptr<IGraphFilterClient>::copy_from(client);
    RemoveFirst(filter_clients_, client);
    if (active_ && client) RemoveClientFilter(*client);
}

void TFilterGraph::AddEventClient(IGraphEventClient* client) {
    if (client) event_clients_.push_back(win::com_ptr<IGraphEventClient>::copy_from(client));
}

void TFilterGraph::RemoveEventClient(IGraphEventClient* client) { RemoveFirst(event_clients_, client); }

void TFilterGraph::FreeNotification(IGraphFreeNotification* listener) {
    if (listener && std::find(free_listeners_.begin(), free_listeners_.end(), listener) == free_listeners_.end())
        free_listeners_.push_back(listener);
}

void TFilterGraph::RemoveFreeNotification(IGraphFreeNotification* listener) {
    std::erase(free_listeners_, listener);
}

void TFilterGraph::SetGraphEdit(bool value) {
    if (!value && rot_cookie_ != 0) {
        RevokeGraphFromRot(rot_cookie_);
        rot_cookie_ = 0;
    } else if (value && rot_cookie_ == 0 && active_) {
        DWORD cookie = 0;
        if (SUCCEEDED(RegisterGraphInRot(graph_.get(), cookie))) rot_cookie_ = cookie;
    }
    graph_edit_ = value;
}

void TFilterGraph::CloseLog() {
    if (graph_) graph_->SetLogFile(0);
    log_stream_.reset();
}

bool TFilterGraph::OpenLog(const std::wstring& name) {
    log_stream_.reset(::CreateFileW(name.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS,
                                    FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!log_stream_) return false;
    if (FAILED(graph_->SetLogFile(reinterpret_cast<DWORD_PTR>(log_stream_.get())))) {
        CloseLog();
        return false;
    }
    return true;
}

void TFilterGraph::SetLogFile(const std::wstring& name) {
    if (active_ && graph_) {
        CloseLog();
        // A log that cannot be written is simply not kept: the graph works without it.
        if (!name.empty() && !OpenLog(name)) return;
    }
    log_file_ = name;
}

}  // namespace wallcine::media
