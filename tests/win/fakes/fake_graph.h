// FakeFilterGraph: one object that answers IFilterGraph2 (and IGraphBuilder, IFilterGraph),
// IMediaControl, IMediaEventEx (and IMediaEvent), IBasicAudio, IMediaPosition and IMediaFilter
// (its clock), as a real filter graph manager does. It keeps its filters in add order (holding a reference on each),
// records the calls a component makes on the shared trace, returns the HRESULTs the test set
// beforehand, and queues graph events that it announces to the notification window.
//
// The builders of the capture and DVD modes and an object factory that hands all of them out
// are here too.
#pragma once

#include <windows.h>
#include <strmif.h>
#include <vfwmsgs.h>
#include <control.h>

#include <deque>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "fakes/fake_dshow.h"
#include "win/object_factory.h"

namespace wallcine::test {

class FakeFilterGraph final : public IFilterGraph2,
                              public IMediaControl,
                              public IMediaEventEx,
                              public IBasicAudio,
                              public IMediaPosition,
                              public FakeComObject {
public:
    explicit FakeFilterGraph(Trace& trace);
    ~FakeFilterGraph() override;

    struct Event {
        LONG code;
        LONG_PTR param1;
        LONG_PTR param2;
        bool operator==(const Event&) const = default;
    };

    // --- Knobs --------------------------------------------------------------------------
    HRESULT run_result = S_OK;
    HRESULT pause_result = S_OK;
    HRESULT stop_result = S_OK;
    HRESULT render_result = S_OK;
    HRESULT remove_filter_result = S_OK;  // a failure leaves the filter in the graph
    HRESULT add_filter_result = S_OK;     // a failure leaves the filter out of the graph
    HRESULT put_volume_result = S_OK;
    // Runs inside RenderFile before it returns render_result: add filters, connect pins.
    std::function<void(FakeFilterGraph& graph, const std::wstring& file_name)> on_render;
    // IGraphBuilder::Connect joins the two pins directly, as intelligent connect does when
    // they agree; the n-th call (counting from 1) returns connect_failures[n] instead.
    std::map<int, HRESULT> connect_failures;
    // IGraphBuilder::Render of a pin ("<filter>.<pin>" by their names) answers this instead of
    // S_OK; it connects nothing.
    std::map<std::string, HRESULT> render_failures;
    // Which of the graph's optional interfaces QueryInterface answers.
    bool has_media_control = true;
    bool has_media_event = true;
    bool has_basic_audio = true;
    bool has_media_position = true;
    bool has_media_filter = true;
    HRESULT set_sync_source_result = S_OK;
    // IMediaPosition: what the reads answer (a seek moves `position`), and their result.
    double position = 0;
    double duration = 0;
    HRESULT position_result = S_OK;

    // --- State --------------------------------------------------------------------------
    std::vector<IBaseFilter*> Filters() const;
    std::vector<std::string> FilterNames() const;
    // Every SetLogFile argument, in order (0 detaches the log).
    std::vector<DWORD_PTR> log_file_calls;
    HWND notify_window = nullptr;
    UINT notify_message = 0;
    LONG_PTR notify_instance = 0;
    LONG notify_flags = 0;
    std::vector<Event> freed_events;
    int connect_calls = 0;
    // The clock SetSyncSource last gave, with a reference held as a real graph holds it, until
    // another clock replaces it or the graph's final release (DropFilters).
    IReferenceClock* sync_source = nullptr;

    // The identity (IUnknown) of the graph, which is also its IFilterGraph2.
    IFilterGraph2* Graph() noexcept { return this; }
    // Appends an event and, while notification is on, posts the notification message (one
    // post per event, as DirectShow does).
    void QueueEvent(LONG code, LONG_PTR param1 = 0, LONG_PTR param2 = 0);
    size_t QueuedEvents() const noexcept { return queued_.size(); }
    // What the graph's own final release does: lets go of every filter still in it, and of its clock.
    void DropFilters();

    // --- IUnknown -----------------------------------------------------------------------
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override;
    WALLCINE_FAKE_REFCOUNT

    // --- IFilterGraph / IGraphBuilder / IFilterGraph2 -----------------------------------
    HRESULT STDMETHODCALLTYPE AddFilter(IBaseFilter* filter, LPCWSTR name) override;
    HRESULT STDMETHODCALLTYPE RemoveFilter(IBaseFilter* filter) override;
    HRESULT STDMETHODCALLTYPE EnumFilters(IEnumFilters** out) override;
    HRESULT STDMETHODCALLTYPE FindFilterByName(LPCWSTR name, IBaseFilter** out) override;
    HRESULT STDMETHODCALLTYPE ConnectDirect(IPin*, IPin*, const AM_MEDIA_TYPE*) override {
        return Unexpected("ConnectDirect");
    }
    HRESULT STDMETHODCALLTYPE Reconnect(IPin*) override { return Unexpected("Reconnect"); }
    HRESULT STDMETHODCALLTYPE Disconnect(IPin*) override { return Unexpected("IFilterGraph::Disconnect"); }
    HRESULT STDMETHODCALLTYPE SetDefaultSyncSource() override { return Unexpected("SetDefaultSyncSource"); }
    // Records "graph.Connect <filter>.<pin> -> <filter>.<pin>" with the names in the graph.
    HRESULT STDMETHODCALLTYPE Connect(IPin* output, IPin* input) override;
    // Records "graph.Render <filter>.<pin>".
    HRESULT STDMETHODCALLTYPE Render(IPin* output) override;
    HRESULT STDMETHODCALLTYPE RenderFile(LPCWSTR file_name, LPCWSTR play_list) override;
    HRESULT STDMETHODCALLTYPE AddSourceFilter(LPCWSTR, LPCWSTR, IBaseFilter**) override {
        return Unexpected("IGraphBuilder::AddSourceFilter");
    }
    HRESULT STDMETHODCALLTYPE SetLogFile(DWORD_PTR file) override;
    HRESULT STDMETHODCALLTYPE Abort() override { return Unexpected("Abort"); }
    HRESULT STDMETHODCALLTYPE ShouldOperationContinue() override { return Unexpected("ShouldOperationContinue"); }
    HRESULT STDMETHODCALLTYPE AddSourceFilterForMoniker(IMoniker*, IBindCtx*, LPCWSTR, IBaseFilter**) override {
        return Unexpected("AddSourceFilterForMoniker");
    }
    HRESULT STDMETHODCALLTYPE ReconnectEx(IPin*, const AM_MEDIA_TYPE*) override { return Unexpected("ReconnectEx"); }
    HRESULT STDMETHODCALLTYPE RenderEx(IPin*, DWORD, DWORD*) override { return Unexpected("RenderEx"); }

    // --- IDispatch (of every automation interface) --------------------------------------
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT*) override { return Unexpected("GetTypeInfoCount"); }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return Unexpected("GetTypeInfo"); }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override {
        return Unexpected("GetIDsOfNames");
    }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) override {
        return Unexpected("Invoke");
    }

    // --- IMediaControl ------------------------------------------------------------------
    HRESULT STDMETHODCALLTYPE Run() override;
    HRESULT STDMETHODCALLTYPE Pause() override;
    HRESULT STDMETHODCALLTYPE Stop() override;
    HRESULT STDMETHODCALLTYPE GetState(LONG, OAFilterState*) override { return Unexpected("GetState"); }
    HRESULT STDMETHODCALLTYPE RenderFile(BSTR) override { return Unexpected("IMediaControl::RenderFile"); }
    HRESULT STDMETHODCALLTYPE AddSourceFilter(BSTR, IDispatch**) override {
        return Unexpected("IMediaControl::AddSourceFilter");
    }
    HRESULT STDMETHODCALLTYPE get_FilterCollection(IDispatch**) override { return Unexpected("get_FilterCollection"); }
    HRESULT STDMETHODCALLTYPE get_RegFilterCollection(IDispatch**) override {
        return Unexpected("get_RegFilterCollection");
    }
    HRESULT STDMETHODCALLTYPE StopWhenReady() override { return Unexpected("StopWhenReady"); }

    // --- IMediaEvent / IMediaEventEx ----------------------------------------------------
    HRESULT STDMETHODCALLTYPE GetEventHandle(OAEVENT*) override { return Unexpected("GetEventHandle"); }
    HRESULT STDMETHODCALLTYPE GetEvent(LONG* code, LONG_PTR* param1, LONG_PTR* param2, LONG timeout) override;
    HRESULT STDMETHODCALLTYPE WaitForCompletion(LONG, LONG*) override { return Unexpected("WaitForCompletion"); }
    HRESULT STDMETHODCALLTYPE CancelDefaultHandling(LONG) override { return Unexpected("CancelDefaultHandling"); }
    HRESULT STDMETHODCALLTYPE RestoreDefaultHandling(LONG) override { return Unexpected("RestoreDefaultHandling"); }
    HRESULT STDMETHODCALLTYPE FreeEventParams(LONG code, LONG_PTR param1, LONG_PTR param2) override;
    HRESULT STDMETHODCALLTYPE SetNotifyWindow(OAHWND window, LONG message, LONG_PTR instance) override;
    HRESULT STDMETHODCALLTYPE SetNotifyFlags(LONG flags) override;
    HRESULT STDMETHODCALLTYPE GetNotifyFlags(LONG* flags) override;

    // --- IBasicAudio --------------------------------------------------------------------
    HRESULT STDMETHODCALLTYPE put_Volume(LONG volume) override;
    HRESULT STDMETHODCALLTYPE get_Volume(LONG*) override { return Unexpected("get_Volume"); }
    HRESULT STDMETHODCALLTYPE put_Balance(LONG) override { return Unexpected("put_Balance"); }
    HRESULT STDMETHODCALLTYPE get_Balance(LONG*) override { return Unexpected("get_Balance"); }

    // --- IMediaPosition: reads answer the knobs; a seek is traced as "position.put_CurrentPosition 1.5"
    HRESULT STDMETHODCALLTYPE get_Duration(REFTIME* value) override;
    HRESULT STDMETHODCALLTYPE put_CurrentPosition(REFTIME value) override;
    HRESULT STDMETHODCALLTYPE get_CurrentPosition(REFTIME* value) override;
    HRESULT STDMETHODCALLTYPE get_StopTime(REFTIME*) override { return Unexpected("get_StopTime"); }
    HRESULT STDMETHODCALLTYPE put_StopTime(REFTIME) override { return Unexpected("put_StopTime"); }
    HRESULT STDMETHODCALLTYPE get_PrerollTime(REFTIME*) override { return Unexpected("get_PrerollTime"); }
    HRESULT STDMETHODCALLTYPE put_PrerollTime(REFTIME) override { return Unexpected("put_PrerollTime"); }
    HRESULT STDMETHODCALLTYPE put_Rate(double) override { return Unexpected("put_Rate"); }
    HRESULT STDMETHODCALLTYPE get_Rate(double*) override { return Unexpected("get_Rate"); }
    HRESULT STDMETHODCALLTYPE CanSeekForward(LONG*) override { return Unexpected("CanSeekForward"); }
    HRESULT STDMETHODCALLTYPE CanSeekBackward(LONG*) override { return Unexpected("CanSeekBackward"); }

private:
    // The graph's IMediaFilter apart from its IMediaControl, whose Run, Pause and Stop share
    // names with it; one identity and one count with the graph. Only SetSyncSource is expected.
    class MediaFilter final : public IMediaFilter {
    public:
        explicit MediaFilter(FakeFilterGraph& graph) : graph_(graph) {}
        HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
            return graph_.QueryInterface(iid, object);
        }
        ULONG STDMETHODCALLTYPE AddRef() override { return graph_.AddRef(); }
        ULONG STDMETHODCALLTYPE Release() override { return graph_.Release(); }
        HRESULT STDMETHODCALLTYPE GetClassID(CLSID*) override { return graph_.Unexpected("IMediaFilter::GetClassID"); }
        HRESULT STDMETHODCALLTYPE Stop() override { return graph_.Unexpected("IMediaFilter::Stop"); }
        HRESULT STDMETHODCALLTYPE Pause() override { return graph_.Unexpected("IMediaFilter::Pause"); }
        HRESULT STDMETHODCALLTYPE Run(REFERENCE_TIME) override { return graph_.Unexpected("IMediaFilter::Run"); }
        HRESULT STDMETHODCALLTYPE GetState(DWORD, FILTER_STATE*) override {
            return graph_.Unexpected("IMediaFilter::GetState");
        }
        // Records "graph.SetSyncSource <label>" ("none" for null, "clock" for any other).
        HRESULT STDMETHODCALLTYPE SetSyncSource(IReferenceClock* clock) override;
        HRESULT STDMETHODCALLTYPE GetSyncSource(IReferenceClock**) override {
            return graph_.Unexpected("IMediaFilter::GetSyncSource");
        }

    private:
        FakeFilterGraph& graph_;
    };

    struct Entry {
        IBaseFilter* filter;  // one reference held
        std::wstring name;
    };
    std::string NameOf(IBaseFilter* filter) const;

    Trace& trace_;
    MediaFilter media_filter_{*this};
    std::vector<Entry> entries_;
    std::deque<Event> queued_;
    std::vector<Event> handed_out_;  // given by GetEvent, not yet freed
};

// ICaptureGraphBuilder2 of the capture mode: only the graph hand-over is expected.
class FakeCaptureGraphBuilder final : public ICaptureGraphBuilder2, public FakeComObject {
public:
    explicit FakeCaptureGraphBuilder(Trace& trace) : FakeComObject("capture builder"), trace_(trace) {}

    // What SetFiltergraph gave. Kept without a reference: the fake never dies, so a reference
    // held here would outlive the component and read as its leak.
    IGraphBuilder* graph = nullptr;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override;
    WALLCINE_FAKE_REFCOUNT

    HRESULT STDMETHODCALLTYPE SetFiltergraph(IGraphBuilder* filter_graph) override;
    HRESULT STDMETHODCALLTYPE GetFiltergraph(IGraphBuilder**) override { return Unexpected("GetFiltergraph"); }
    HRESULT STDMETHODCALLTYPE SetOutputFileName(const GUID*, LPCOLESTR, IBaseFilter**, IFileSinkFilter**) override {
        return Unexpected("SetOutputFileName");
    }
    HRESULT STDMETHODCALLTYPE FindInterface(const GUID*, const GUID*, IBaseFilter*, REFIID, void**) override {
        return Unexpected("FindInterface");
    }
    HRESULT STDMETHODCALLTYPE RenderStream(const GUID*, const GUID*, IUnknown*, IBaseFilter*, IBaseFilter*) override {
        return Unexpected("RenderStream");
    }
    HRESULT STDMETHODCALLTYPE ControlStream(const GUID*, const GUID*, IBaseFilter*, REFERENCE_TIME*, REFERENCE_TIME*,
                                            WORD, WORD) override {
        return Unexpected("ControlStream");
    }
    HRESULT STDMETHODCALLTYPE AllocCapFile(LPCOLESTR, DWORDLONG) override { return Unexpected("AllocCapFile"); }
    HRESULT STDMETHODCALLTYPE CopyCaptureFile(LPOLESTR, LPOLESTR, int, IAMCopyCaptureFileProgress*) override {
        return Unexpected("CopyCaptureFile");
    }
    HRESULT STDMETHODCALLTYPE FindPin(IUnknown*, PIN_DIRECTION, const GUID*, const GUID*, WINBOOL, int,
                                      IPin**) override {
        return Unexpected("FindPin");
    }

private:
    Trace& trace_;
};

// A bare COM object, for an interface some fake hands out that the test only compares.
class FakeUnknown final : public IUnknown, public FakeComObject {
public:
    explicit FakeUnknown(std::string label) : FakeComObject(std::move(label)) {}
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override;
    WALLCINE_FAKE_REFCOUNT
};

// IDvdGraphBuilder of the DVD mode: hands out its graph, and one DVD interface.
class FakeDvdGraphBuilder final : public IDvdGraphBuilder, public FakeComObject {
public:
    FakeDvdGraphBuilder(Trace& trace, FakeFilterGraph& graph)
        : FakeComObject("DVD builder"), trace_(trace), graph_(graph) {}

    // Knobs.
    HRESULT get_graph_result = S_OK;
    // GetDvdInterface answers `dvd_interface_iid` with this object, everything else with
    // E_NOINTERFACE.
    IID dvd_interface_iid = __uuidof(IDvdControl2);
    FakeUnknown* dvd_interface = nullptr;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override;
    WALLCINE_FAKE_REFCOUNT

    HRESULT STDMETHODCALLTYPE GetFiltergraph(IGraphBuilder** out) override;
    HRESULT STDMETHODCALLTYPE GetDvdInterface(REFIID iid, void** out) override;
    HRESULT STDMETHODCALLTYPE RenderDvdVideoVolume(LPCWSTR, DWORD, AM_DVD_RENDERSTATUS*) override {
        return Unexpected("RenderDvdVideoVolume");
    }

private:
    Trace& trace_;
    FakeFilterGraph& graph_;
};

// The object factory a test installs with ScopedObjectFactory: the fakes above for their
// class ids (each creation AddRef'd through QueryInterface), or the failure a knob holds.
// Any other class fails the test.
class FakeObjectFactory final : public win::IObjectFactory {
public:
    FakeObjectFactory(Trace& trace, FakeFilterGraph& graph) : trace_(trace), graph_(graph) {}

    FakeCaptureGraphBuilder* capture_builder = nullptr;
    FakeDvdGraphBuilder* dvd_builder = nullptr;
    HRESULT graph_result = S_OK;
    HRESULT capture_result = S_OK;
    HRESULT dvd_result = S_OK;

    // Further classes it hands out (renderers, the overlay mixer, decoders): `object` answers
    // the query; after Refuse, creation returns `failure` instead.
    void Provide(REFCLSID clsid, IUnknown* object);
    void Refuse(REFCLSID clsid, HRESULT failure);

    // Records "factory.CreateInstance <class> <interface>".
    HRESULT CreateInstance(REFCLSID clsid, REFIID iid, void** object) override;

private:
    struct Provided {
        CLSID clsid;
        IUnknown* object;
        HRESULT failure;
    };
    Provided* Find(REFCLSID clsid);

    Trace& trace_;
    FakeFilterGraph& graph_;
    std::vector<Provided> provided_;
};

}  // namespace wallcine::test
