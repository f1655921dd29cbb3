#include "fakes/fake_graph.h"

#include <uuids.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <utility>

#include "core/errors.h"
#include "fakes/fake_filter.h"

namespace wallcine::test {

// --- FakeFilterGraph ----------------------------------------------------------------------

FakeFilterGraph::FakeFilterGraph(Trace& trace) : FakeComObject("filter graph"), trace_(trace) {}

FakeFilterGraph::~FakeFilterGraph() {
    if (sync_source) sync_source->Release();
}

std::vector<IBaseFilter*> FakeFilterGraph::Filters() const {
    std::vector<IBaseFilter*> result;
    for (const Entry& entry : entries_) result.push_back(entry.filter);
    return result;
}

std::vector<std::string> FakeFilterGraph::FilterNames() const {
    std::vector<std::string> result;
    for (const Entry& entry : entries_) result.push_back(Narrow(entry.name));
    return result;
}

std::string FakeFilterGraph::NameOf(IBaseFilter* filter) const {
    for (const Entry& entry : entries_)
        if (entry.filter == filter) return Narrow(entry.name);
    return filter ? "(not in the graph)" : "(null)";
}

void FakeFilterGraph::QueueEvent(LONG code, LONG_PTR param1, LONG_PTR param2) {
    queued_.push_back({code, param1, param2});
    if (notify_window && (notify_flags & AM_MEDIAEVENT_NONOTIFY) == 0) {
        EXPECT_TRUE(PostMessageW(notify_window, notify_message, 0, notify_instance));
    }
}

void FakeFilterGraph::DropFilters() {
    for (Entry& entry : entries_) {
        entry.filter->JoinFilterGraph(nullptr, nullptr);
        entry.filter->Release();
    }
    entries_.clear();
    if (sync_source) std::exchange(sync_source, nullptr)->Release();
}

HRESULT FakeFilterGraph::QueryInterface(REFIID iid, void** object) {
    if (!object) return E_POINTER;
    *object = nullptr;
    if (iid == __uuidof(IUnknown) || iid == __uuidof(IFilterGraph) || iid == __uuidof(IGraphBuilder) ||
        iid == __uuidof(IFilterGraph2)) {
        *object = static_cast<IFilterGraph2*>(this);
    } else if (iid == __uuidof(IMediaControl)) {
        if (has_media_control) *object = static_cast<IMediaControl*>(this);
    } else if (iid == __uuidof(IMediaEvent) || iid == __uuidof(IMediaEventEx)) {
        if (has_media_event) *object = static_cast<IMediaEventEx*>(this);
    } else if (iid == __uuidof(IBasicAudio)) {
        if (has_basic_audio) *object = static_cast<IBasicAudio*>(this);
    } else if (iid == __uuidof(IMediaPosition)) {
        if (has_media_position) *object = static_cast<IMediaPosition*>(this);
    } else if (iid == __uuidof(IMediaFilter)) {
        if (has_media_filter) *object = static_cast<IMediaFilter*>(&media_filter_);
    }
    if (!*object) return E_NOINTERFACE;
    AddRef();
    return S_OK;
}

HRESULT FakeFilterGraph::MediaFilter::SetSyncSource(IReferenceClock* clock) {
    graph_.trace_.push_back(std::string("graph.SetSyncSource ") + (clock ? "clock" : "none"));
    if (FAILED(graph_.set_sync_source_result)) return graph_.set_sync_source_result;
    if (clock) clock->AddRef();
    if (graph_.sync_source) graph_.sync_source->Release();
    graph_.sync_source = clock;
    return S_OK;
}

HRESULT FakeFilterGraph::AddFilter(IBaseFilter* filter, LPCWSTR name) {
    trace_.push_back("graph.AddFilter " + Narrow(name));
    if (!filter) return E_POINTER;
    if (FAILED(add_filter_result)) return add_filter_result;
    entries_.push_back({filter, name ? name : L""});
    filter->AddRef();
    return filter->JoinFilterGraph(this, name);
}

HRESULT FakeFilterGraph::RemoveFilter(IBaseFilter* filter) {
    trace_.push_back("graph.RemoveFilter " + NameOf(filter));
    if (FAILED(remove_filter_result)) return remove_filter_result;
    const auto found =
        std::find_if(entries_.begin(), entries_.end(), [&](const Entry& entry) { return entry.filter == filter; });
    if (found == entries_.end()) return E_FAIL;
    IBaseFilter* removed = found->filter;
    entries_.erase(found);
    removed->JoinFilterGraph(nullptr, nullptr);
    removed->Release();
    return S_OK;
}

HRESULT FakeFilterGraph::EnumFilters(IEnumFilters** out) {
    if (!out) return E_POINTER;
    *out = new FakeEnumFilters(Filters());
    return S_OK;
}

HRESULT FakeFilterGraph::FindFilterByName(LPCWSTR name, IBaseFilter** out) {
    if (!name || !out) return E_POINTER;
    *out = nullptr;
    for (const Entry& entry : entries_) {
        if (entry.name == name) {
            *out = entry.filter;
            entry.filter->AddRef();
            return S_OK;
        }
    }
    return VFW_E_NOT_FOUND;
}

namespace {

// "<filter name in the graph>.<pin name>" of a pin, for the trace.
std::string PinName(IPin* pin) {
    if (!pin) return "(null)";
    PIN_INFO info{};
    if (FAILED(pin->QueryPinInfo(&info))) return "(pin)";
    std::string filter = "(no filter)";
    if (info.pFilter) {
        FILTER_INFO filter_info{};
        if (SUCCEEDED(info.pFilter->QueryFilterInfo(&filter_info))) {
            filter = Narrow(filter_info.achName);
            if (filter_info.pGraph) filter_info.pGraph->Release();
        }
        info.pFilter->Release();
    }
    return filter + "." + Narrow(info.achName);
}

}  // namespace

HRESULT FakeFilterGraph::Render(IPin* output) {
    const std::string name = PinName(output);
    trace_.push_back("graph.Render " + name);
    if (!output) return E_POINTER;
    const auto failure = render_failures.find(name);
    return failure != render_failures.end() ? failure->second : S_OK;
}

HRESULT FakeFilterGraph::Connect(IPin* output, IPin* input) {
    const int call = ++connect_calls;
    trace_.push_back("graph.Connect " + PinName(output) + " -> " + PinName(input));
    if (!output || !input) return E_POINTER;
    if (const auto failure = connect_failures.find(call); failure != connect_failures.end()) return failure->second;
    return output->Connect(input, nullptr);
}

HRESULT FakeFilterGraph::RenderFile(LPCWSTR file_name, LPCWSTR play_list) {
    trace_.push_back("graph.RenderFile " + Narrow(file_name));
    EXPECT_EQ(play_list, nullptr) << "RenderFile's play list argument is reserved";
    if (on_render) on_render(*this, file_name ? file_name : L"");
    return render_result;
}

HRESULT FakeFilterGraph::SetLogFile(DWORD_PTR file) {
    log_file_calls.push_back(file);
    return S_OK;
}

HRESULT FakeFilterGraph::Run() {
    trace_.push_back("control.Run");
    return run_result;
}

HRESULT FakeFilterGraph::Pause() {
    trace_.push_back("control.Pause");
    return pause_result;
}

HRESULT FakeFilterGraph::Stop() {
    trace_.push_back("control.Stop");
    return stop_result;
}

HRESULT FakeFilterGraph::GetEvent(LONG* code, LONG_PTR* param1, LONG_PTR* param2, LONG timeout) {
    EXPECT_EQ(timeout, 0) << "GetEvent on the GUI thread must not wait";
    if (!code || !param1 || !param2) return E_POINTER;
    if (queued_.empty()) {
        trace_.push_back("events.GetEvent none");
        return E_ABORT;
    }
    const Event event = queued_.front();
    queued_.pop_front();
    handed_out_.push_back(event);
    trace_.push_back("events.GetEvent " + std::to_string(event.code));
    *code = event.code;
    *param1 = event.param1;
    *param2 = event.param2;
    return S_OK;
}

HRESULT FakeFilterGraph::FreeEventParams(LONG code, LONG_PTR param1, LONG_PTR param2) {
    trace_.push_back("events.FreeEventParams " + std::to_string(code));
    const Event event{code, param1, param2};
    const auto found = std::find(handed_out_.begin(), handed_out_.end(), event);
    if (found == handed_out_.end()) {
        ADD_FAILURE() << "FreeEventParams of an event GetEvent never gave: " << code << " " << param1 << " "
                      << param2;
    } else {
        handed_out_.erase(found);
    }
    freed_events.push_back(event);
    return S_OK;
}

HRESULT FakeFilterGraph::SetNotifyWindow(OAHWND window, LONG message, LONG_PTR instance) {
    trace_.push_back(Format("events.SetNotifyWindow msg=$%lX", static_cast<unsigned long>(message)));
    notify_window = reinterpret_cast<HWND>(window);
    notify_message = static_cast<UINT>(message);
    notify_instance = instance;
    return S_OK;
}

HRESULT FakeFilterGraph::SetNotifyFlags(LONG flags) {
    trace_.push_back("events.SetNotifyFlags " + std::to_string(flags));
    if (flags != 0 && flags != AM_MEDIAEVENT_NONOTIFY) return E_INVALIDARG;
    notify_flags = flags;
    return S_OK;
}

HRESULT FakeFilterGraph::GetNotifyFlags(LONG* flags) {
    if (!flags) return E_POINTER;
    *flags = notify_flags;
    return S_OK;
}

HRESULT FakeFilterGraph::put_Volume(LONG volume) {
    trace_.push_back("audio.put_Volume " + std::to_string(volume));
    return put_volume_result;
}

HRESULT FakeFilterGraph::get_Duration(REFTIME* value) {
    if (!value) return E_POINTER;
    if (FAILED(position_result)) return position_result;
    *value = duration;
    return S_OK;
}

HRESULT FakeFilterGraph::get_CurrentPosition(REFTIME* value) {
    if (!value) return E_POINTER;
    if (FAILED(position_result)) return position_result;
    *value = position;
    return S_OK;
}

HRESULT FakeFilterGraph::put_CurrentPosition(REFTIME value) {
    char line[64];
    std::snprintf(line, sizeof line, "position.put_CurrentPosition %g", value);
    trace_.push_back(line);
    if (FAILED(position_result)) return position_result;
    position = value;
    return S_OK;
}

// --- Builders -------------------------------------------------------------------------------

HRESULT FakeCaptureGraphBuilder::QueryInterface(REFIID iid, void** object) {
    if (!object) return E_POINTER;
    if (iid == __uuidof(IUnknown) || iid == __uuidof(ICaptureGraphBuilder2)) {
        *object = static_cast<ICaptureGraphBuilder2*>(this);
        AddRef();
        return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
}

HRESULT FakeCaptureGraphBuilder::SetFiltergraph(IGraphBuilder* filter_graph) {
    trace_.push_back("capture.SetFiltergraph");
    graph = filter_graph;
    return S_OK;
}

HRESULT FakeUnknown::QueryInterface(REFIID iid, void** object) {
    if (!object) return E_POINTER;
    if (iid == __uuidof(IUnknown)) {
        *object = static_cast<IUnknown*>(this);
        AddRef();
        return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
}

HRESULT FakeDvdGraphBuilder::QueryInterface(REFIID iid, void** object) {
    if (!object) return E_POINTER;
    if (iid == __uuidof(IUnknown) || iid == __uuidof(IDvdGraphBuilder)) {
        *object = static_cast<IDvdGraphBuilder*>(this);
        AddRef();
        return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
}

HRESULT FakeDvdGraphBuilder::GetFiltergraph(IGraphBuilder** out) {
    trace_.push_back("dvd.GetFiltergraph");
    if (!out) return E_POINTER;
    *out = nullptr;
    if (FAILED(get_graph_result)) return get_graph_result;
    *out = graph_.Graph();
    (*out)->AddRef();
    return S_OK;
}

HRESULT FakeDvdGraphBuilder::GetDvdInterface(REFIID iid, void** out) {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (!dvd_interface || !IsEqualGUID(iid, dvd_interface_iid)) return E_NOINTERFACE;
    *out = static_cast<IUnknown*>(dvd_interface);
    dvd_interface->AddRef();
    return S_OK;
}

// --- FakeObjectFactory --------------------------------------------------------------------

FakeObjectFactory::Provided* FakeObjectFactory::Find(REFCLSID clsid) {
    for (Provided& entry : provided_)
        if (IsEqualGUID(entry.clsid, clsid)) return &entry;
    return nullptr;
}

void FakeObjectFactory::Provide(REFCLSID clsid, IUnknown* object) {
    if (Provided* entry = Find(clsid))
        *entry = {clsid, object, S_OK};
    else
        provided_.push_back({clsid, object, S_OK});
}

void FakeObjectFactory::Refuse(REFCLSID clsid, HRESULT failure) {
    if (Provided* entry = Find(clsid))
        entry->failure = failure;
    else
        provided_.push_back({clsid, nullptr, failure});
}

HRESULT FakeObjectFactory::CreateInstance(REFCLSID clsid, REFIID iid, void** object) {
    trace_.push_back("factory.CreateInstance " + GuidName(clsid) + " " + GuidName(iid));
    if (!object) return E_POINTER;
    *object = nullptr;
    if (IsEqualGUID(clsid, CLSID_FilterGraph)) {
        return FAILED(graph_result) ? graph_result : graph_.QueryInterface(iid, object);
    }
    if (IsEqualGUID(clsid, CLSID_CaptureGraphBuilder2) && capture_builder) {
        return FAILED(capture_result) ? capture_result : capture_builder->QueryInterface(iid, object);
    }
    if (IsEqualGUID(clsid, CLSID_DvdGraphBuilder) && dvd_builder) {
        return FAILED(dvd_result) ? dvd_result : dvd_builder->QueryInterface(iid, object);
    }
    if (Provided* entry = Find(clsid)) {
        if (FAILED(entry->failure)) return entry->failure;
        if (entry->object) return entry->object->QueryInterface(iid, object);
    }
    ADD_FAILURE() << "unexpected object creation: " << GuidName(clsid);
    return REGDB_E_CLASSNOTREG;
}

}  // namespace wallcine::test
