// TFilterGraph against a fake graph manager, fake builders and fake clients: the order of
// activation and deactivation, clients joining and leaving, the three modes, the running object
// table and the log file, and the playback operations with their return rules.
#include <gtest/gtest.h>

#include <mferror.h>

#include <algorithm>
#include <optional>
#include <ostream>
#include <string>

#include "fakes/fake_dshow.h"
#include "fakes/fake_filter.h"
#include "fakes/fake_graph.h"
#include "fakes/fake_graph_client.h"
#include "fakes/fake_media_reader.h"
#include "media/directshow_error.h"
#include "media/filter_graph.h"
#include "media/graph_utilities.h"
#include "media/media_reader.h"
#include "media/mf_source_filter.h"
#include "media/own_source_render.h"
#include "win/object_factory.h"
#include "win/unique_handle.h"

namespace wallcine::media {
namespace {

using test::ConnectPins;
using test::ExpectOnlyOwnerReferences;
using test::FakeCaptureGraphBuilder;
using test::FakeDvdGraphBuilder;
using test::FakeFilter;
using test::FakeFilterGraph;
using test::FakeGraphClient;
using test::FakeMediaReaderFactory;
using test::FakeReaderScript;
using test::FakeObjectFactory;
using test::FakePin;
using test::FakeUnknown;
using test::Trace;
using test::Without;

// The ErrorResult of the EDirectShowException `action` raised; empty when it raised nothing.
template <class Action>
std::optional<HRESULT> RaisedResult(Action&& action) {
    try {
        action();
    } catch (const EDirectShowException& error) {
        return error.ErrorResult();
    }
    return std::nullopt;
}

const Trace kNormalCreation = {"factory.CreateInstance CLSID_FilterGraph IFilterGraph2"};
const Trace kNotificationOn = {"events.SetNotifyFlags 0", "events.SetNotifyWindow msg=$8001"};

Trace Concat(std::initializer_list<Trace> parts) {
    Trace all;
    for (const Trace& part : parts) all.insert(all.end(), part.begin(), part.end());
    return all;
}

// What a filter client is told, and what the graph is asked, when its filter joins or leaves.
Trace Joins(const std::string& client) {
    return {client + ".HandleFilterOperation fcoBeforeAdd", client + ".ProvideFilterName", client + ".ProvideFilter",
            "graph.AddFilter " + client + "-filter", client + ".HandleFilterOperation fcoAfterAdd"};
}
Trace Leaves(const std::string& client) {
    return {client + ".HandleFilterOperation fcoBeforeRemove", client + ".ProvideFilter",
            "graph.RemoveFilter " + client + "-filter", client + ".HandleFilterOperation fcoAfterRemove"};
}
std::string Control(const std::string& client, const char* event, LONG param = 0) {
    return client + ".HandleControlEvent " + event + " " + std::to_string(param);
}

class FilterGraphTest : public ::testing::Test {
protected:
    FilterGraphTest() {
        factory.capture_builder = &capture;
        factory.dvd_builder = &dvd;
        dvd.dvd_interface = &dvd_control;
        readers.open_result = MF_E_UNSUPPORTED_BYTESTREAM_TYPE;
        component.emplace();
        // The graph chooses its clock, whatever platform the tests run on; the clock tests below
        // switch OwnClock on.
        component->SetOwnClock(false);
    }

    void TearDown() override {
        component.reset();
        graph.DropFilters();
        ExpectOnlyOwnerReferences({&graph, &capture, &dvd, &dvd_control, &c1, &c2, &c1.filter, &c2.filter});
    }

    TFilterGraph& fg() { return *component; }
    void AddAsFilterAndEventClient(FakeGraphClient& client) {
        fg().AddFilterClient(client.AsFilterClient());
        fg().AddEventClient(client.AsEventClient());
    }
    // The component holds no reference on the graph objects any more.
    void ExpectGraphObjectsReleased() {
        EXPECT_EQ(graph.RefCount(), 1);
        EXPECT_EQ(capture.RefCount(), 1);
        EXPECT_EQ(dvd.RefCount(), 1);
        EXPECT_EQ(dvd_control.RefCount(), 1);
    }

    win::com_init_scope com;
    Trace trace;
    FakeFilterGraph graph{trace};
    FakeCaptureGraphBuilder capture{trace};
    FakeUnknown dvd_control{"DVD control"};
    FakeDvdGraphBuilder dvd{trace, graph};
    FakeObjectFactory factory{trace, graph};
    win::ScopedObjectFactory factory_scope{factory};
    FakeGraphClient c1{trace, "c1"};
    FakeGraphClient c2{trace, "c2"};
    // Files DirectShow cannot render go to Wallcine's own source; its reader opens nothing
    // unless a test scripts one.
    FakeReaderScript reader_script;
    FakeMediaReaderFactory readers{trace, reader_script};
    media::ScopedMediaReaderFactory readers_scope{readers};
    std::optional<TFilterGraph> component;
};

// --- Activation and deactivation --------------------------------------------------------------

TEST_F(FilterGraphTest, ActivationAddsTheClientFiltersInOrderThenAnnouncesItself) {
    AddAsFilterAndEventClient(c1);
    AddAsFilterAndEventClient(c2);
    fg().OnActivate = [&](TFilterGraph& sender) {
        EXPECT_EQ(&sender, &fg());
        trace.push_back(sender.Active() ? "OnActivate (active)" : "OnActivate (inactive)");
    };

    fg().SetActive(true);

    EXPECT_EQ(trace, Concat({kNormalCreation, kNotificationOn, Joins("c1"), Joins("c2"),
                             {"OnActivate (active)", Control("c1", "gceActiveChanged", 1),
                              Control("c2", "gceActiveChanged", 1)}}));
    EXPECT_TRUE(fg().Active());
    EXPECT_EQ(fg().Graph(), graph.Graph());
    EXPECT_EQ(graph.Filters(), (std::vector<IBaseFilter*>{&c1.filter, &c2.filter}));
    EXPECT_EQ(c1.filter.joined_graph, static_cast<IFilterGraph*>(graph.Graph()));
    EXPECT_EQ(graph.notify_window, fg().NotificationWindow());
    EXPECT_NE(graph.notify_window, nullptr);
    EXPECT_EQ(graph.notify_message, WM_GRAPHNOTIFY);

    trace.clear();
    fg().SetActive(true);  // already active: nothing happens
    EXPECT_EQ(trace, Trace{});
}

TEST_F(FilterGraphTest, DeactivationAnnouncesFirstThenRemovesTheFiltersAndSilencesEvents) {
    AddAsFilterAndEventClient(c1);
    AddAsFilterAndEventClient(c2);
    fg().SetActive(true);
    trace.clear();
    graph.log_file_calls.clear();

    fg().SetActive(false);

    EXPECT_EQ(trace, Concat({{Control("c1", "gceActiveChanged", 0), Control("c2", "gceActiveChanged", 0)},
                             Leaves("c1"),
                             Leaves("c2"),
                             {"events.SetNotifyFlags 1"}}));
    EXPECT_EQ(graph.log_file_calls, std::vector<DWORD_PTR>{0});
    EXPECT_FALSE(fg().Active());
    EXPECT_EQ(fg().Graph(), nullptr);
    EXPECT_TRUE(graph.Filters().empty());
    EXPECT_FALSE(c1.OffersFilter());
    ExpectGraphObjectsReleased();

    trace.clear();
    fg().SetActive(false);  // already inactive: nothing happens
    EXPECT_EQ(trace, Trace{});
}

TEST_F(FilterGraphTest, DestroyingAnActiveComponentReleasesTheGraphAndItsClients) {
    AddAsFilterAndEventClient(c1);
    fg().SetActive(true);
    component.reset();
    ExpectGraphObjectsReleased();
    EXPECT_EQ(c1.RefCount(), 1);
    // Only the graph itself may still hold the client's filter.
    EXPECT_EQ(c1.filter.RefCount(), 1 + static_cast<LONG>(graph.Filters().size()));
}

// --- Clients ------------------------------------------------------------------------------------

TEST_F(FilterGraphTest, FilterClientAddedWhileInactiveIsOnlyListedWhileActiveJoinsAtOnce) {
    fg().AddFilterClient(c1.AsFilterClient());
    EXPECT_EQ(trace, Trace{});
    EXPECT_FALSE(c1.OffersFilter());

    fg().SetActive(true);
    trace.clear();
    fg().AddFilterClient(c2.AsFilterClient());

    EXPECT_EQ(trace, Joins("c2"));
    EXPECT_EQ(graph.FilterNames(), (std::vector<std::string>{"c1-filter", "c2-filter"}));
}

TEST_F(FilterGraphTest, RemovingTheLastFilterClientWhileActiveTakesItsFilterOut) {
    fg().AddFilterClient(c1.AsFilterClient());
    fg().SetActive(true);
    trace.clear();

    fg().RemoveFilterClient(c1.AsFilterClient());

    EXPECT_EQ(trace, Leaves("c1"));
    EXPECT_TRUE(graph.Filters().empty());
    EXPECT_EQ(c1.RefCount(), 1) << "the component still holds the removed client";
    EXPECT_EQ(c1.filter.RefCount(), 1);

    trace.clear();
    fg().SetActive(false);
    EXPECT_EQ(Without(trace, {"events."}), Trace{}) << "a removed client is not told of deactivation";
}

TEST_F(FilterGraphTest, FilterClientRemovedWhileInactiveIsToldNothing) {
    fg().AddFilterClient(c1.AsFilterClient());
    fg().RemoveFilterClient(c1.AsFilterClient());
    EXPECT_EQ(trace, Trace{});
    EXPECT_EQ(c1.RefCount(), 1);

    fg().SetActive(true);
    EXPECT_EQ(trace, Concat({kNormalCreation, kNotificationOn}));
}

TEST_F(FilterGraphTest, EventClientsHearControlEventsInListOrderOncePerEntry) {
    fg().AddEventClient(c1.AsEventClient());
    fg().AddEventClient(c2.AsEventClient());
    fg().AddEventClient(c1.AsEventClient());
    EXPECT_EQ(trace, Trace{}) << "adding an event client tells nobody";

    fg().NotifyControlEvent(gcePause, 7);
    EXPECT_EQ(trace, (Trace{Control("c1", "gcePause", 7), Control("c2", "gcePause", 7), Control("c1", "gcePause", 7)}));

    trace.clear();
    fg().RemoveEventClient(c1.AsEventClient());
    fg().NotifyControlEvent(gceStop, 0);
    EXPECT_EQ(trace, (Trace{Control("c2", "gceStop"), Control("c1", "gceStop")}));
}

// --- Creation failures ----------------------------------------------------------------------------

enum class Failing { Graph, Capture, Dvd, DvdGraph };

struct CreationFailureCase {
    const char* name;
    TGraphMode mode;
    Failing failing;
    HRESULT code;
    Trace expected;  // everything that happens
    friend void PrintTo(const CreationFailureCase& c, std::ostream* os) { *os << c.name; }
};

class FilterGraphCreationFailure : public FilterGraphTest,
                                   public ::testing::WithParamInterface<CreationFailureCase> {};

TEST_P(FilterGraphCreationFailure, RaisesStaysInactiveTellsNoClientAndKeepsPlaybackSafe) {
    const CreationFailureCase& c = GetParam();
    switch (c.failing) {
    case Failing::Graph: factory.graph_result = c.code; break;
    case Failing::Capture: factory.capture_result = c.code; break;
    case Failing::Dvd: factory.dvd_result = c.code; break;
    case Failing::DvdGraph: dvd.get_graph_result = c.code; break;
    }
    AddAsFilterAndEventClient(c1);
    fg().SetMode(c.mode);
    bool activated = false;
    fg().OnActivate = [&](TFilterGraph&) { activated = true; };

    EXPECT_EQ(RaisedResult([&] { fg().SetActive(true); }), c.code);

    EXPECT_FALSE(fg().Active());
    EXPECT_FALSE(activated);
    EXPECT_EQ(fg().Graph(), nullptr);
    EXPECT_EQ(trace, c.expected);
    ExpectGraphObjectsReleased();

    // Without a graph every operation is a quiet no-op.
    trace.clear();
    EXPECT_FALSE(fg().Play());
    EXPECT_FALSE(fg().Pause());
    EXPECT_FALSE(fg().Stop());
    EXPECT_EQ(fg().RenderFile(L"C:\\clip.avi"), S_FALSE);
    fg().ResetGraph();
    fg().SetVolume(5000);
    void* object = nullptr;
    EXPECT_EQ(fg().QueryInterface(__uuidof(IMediaControl), &object), E_NOINTERFACE);
    EXPECT_EQ(object, nullptr);
    EXPECT_EQ(trace, Trace{});
}

INSTANTIATE_TEST_SUITE_P(
    Cases, FilterGraphCreationFailure,
    ::testing::Values(
        CreationFailureCase{"GraphNotRegistered", gmNormal, Failing::Graph, REGDB_E_CLASSNOTREG, kNormalCreation},
        CreationFailureCase{"CaptureBuilderMissing", gmCapture, Failing::Capture, REGDB_E_CLASSNOTREG,
                            {"factory.CreateInstance CLSID_CaptureGraphBuilder2 ICaptureGraphBuilder2"}},
        // The capture builder made before the failure is released again.
        CreationFailureCase{"CaptureGraphMissing", gmCapture, Failing::Graph, E_OUTOFMEMORY,
                            {"factory.CreateInstance CLSID_CaptureGraphBuilder2 ICaptureGraphBuilder2",
                             "factory.CreateInstance CLSID_FilterGraph IFilterGraph2"}},
        CreationFailureCase{"DvdBuilderMissing", gmDVD, Failing::Dvd, REGDB_E_CLASSNOTREG,
                            {"factory.CreateInstance CLSID_DvdGraphBuilder IDvdGraphBuilder"}},
        CreationFailureCase{"DvdBuilderWithoutGraph", gmDVD, Failing::DvdGraph, E_FAIL,
                            {"factory.CreateInstance CLSID_DvdGraphBuilder IDvdGraphBuilder", "dvd.GetFiltergraph"}}),
    [](const auto& info) { return std::string(info.param.name); });

// --- Modes and QueryInterface ------------------------------------------------------------------

enum class Identity { Graph, Capture, Dvd };

struct ModeCase {
    const char* name;
    TGraphMode mode;
    Trace creation;
    Identity first;  // the object whose interfaces the component offers first
    friend void PrintTo(const ModeCase& c, std::ostream* os) { *os << c.name; }
};

class FilterGraphModes : public FilterGraphTest, public ::testing::WithParamInterface<ModeCase> {
protected:
    IUnknown* IdentityOf(Identity identity) {
        switch (identity) {
        case Identity::Graph: return graph.Graph();
        case Identity::Capture: return &capture;
        case Identity::Dvd: return &dvd;
        }
        return nullptr;
    }
};

TEST_P(FilterGraphModes, CreatesTheModesObjectsAndOffersTheirInterfacesFirst) {
    const ModeCase& c = GetParam();
    fg().SetMode(c.mode);
    EXPECT_EQ(fg().Mode(), c.mode);
    EXPECT_EQ(trace, Trace{}) << "a mode change while inactive is only stored";
    void* object = nullptr;
    EXPECT_EQ(fg().QueryInterface(__uuidof(IUnknown), &object), E_NOINTERFACE);

    fg().SetActive(true);

    EXPECT_EQ(trace, Concat({c.creation, kNotificationOn}));
    EXPECT_EQ(fg().Graph(), graph.Graph());
    EXPECT_EQ(fg().Query<IUnknown>().get(), IdentityOf(c.first));
    // What the first object lacks comes from the graph.
    EXPECT_EQ(fg().Query<IMediaControl>().get(), static_cast<IMediaControl*>(&graph));
    EXPECT_EQ(fg().Query<IMediaPosition>().get(), static_cast<IMediaPosition*>(&graph));
    EXPECT_EQ(fg().Query<IPin>().get(), nullptr);
    if (c.mode == gmCapture) {
        EXPECT_EQ(fg().Query<ICaptureGraphBuilder2>().get(), static_cast<ICaptureGraphBuilder2*>(&capture));
        EXPECT_EQ(capture.graph, static_cast<IGraphBuilder*>(graph.Graph()));
    }
    if (c.mode == gmDVD) {
        EXPECT_EQ(fg().Query<IDvdGraphBuilder>().get(), static_cast<IDvdGraphBuilder*>(&dvd));
        // Between the builder and the graph: the builder's DVD interfaces.
        win::com_ptr<IUnknown> control;
        EXPECT_EQ(fg().QueryInterface(__uuidof(IDvdControl2), control.put_void()), S_OK);
        EXPECT_EQ(control.get(), static_cast<IUnknown*>(&dvd_control));
    }

    fg().SetActive(false);
    EXPECT_EQ(fg().QueryInterface(__uuidof(IMediaControl), &object), E_NOINTERFACE);
    ExpectGraphObjectsReleased();
}

INSTANTIATE_TEST_SUITE_P(
    Cases, FilterGraphModes,
    ::testing::Values(ModeCase{"Normal", gmNormal, kNormalCreation, Identity::Graph},
                      ModeCase{"Capture", gmCapture,
                               {"factory.CreateInstance CLSID_CaptureGraphBuilder2 ICaptureGraphBuilder2",
                                "factory.CreateInstance CLSID_FilterGraph IFilterGraph2", "capture.SetFiltergraph"},
                               Identity::Capture},
                      ModeCase{"Dvd", gmDVD,
                               {"factory.CreateInstance CLSID_DvdGraphBuilder IDvdGraphBuilder", "dvd.GetFiltergraph"},
                               Identity::Dvd}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(FilterGraphTest, ModeChangeWhileActiveRebuildsTheGraphThroughAFullCycle) {
    AddAsFilterAndEventClient(c1);
    fg().SetActive(true);
    trace.clear();

    fg().SetMode(gmCapture);

    EXPECT_EQ(trace,
              Concat({{Control("c1", "gceActiveChanged", 0)},
                      Leaves("c1"),
                      {"events.SetNotifyFlags 1",
                       "factory.CreateInstance CLSID_CaptureGraphBuilder2 ICaptureGraphBuilder2",
                       "factory.CreateInstance CLSID_FilterGraph IFilterGraph2", "capture.SetFiltergraph"},
                      kNotificationOn,
                      Joins("c1"),
                      {Control("c1", "gceActiveChanged", 1)}}));
    EXPECT_TRUE(fg().Active());
    EXPECT_EQ(fg().Mode(), gmCapture);
    EXPECT_EQ(fg().Query<IUnknown>().get(), static_cast<IUnknown*>(&capture));
}

// --- Running object table and log file -----------------------------------------------------------

bool InRunningObjectTable(IUnknown* graph) {
    win::com_ptr<IRunningObjectTable> table;
    win::com_ptr<IMoniker> moniker;
    if (FAILED(GetRunningObjectTable(0, table.put()))) return false;
    const std::wstring name = RotItemName(graph, GetCurrentProcessId());
    if (FAILED(CreateItemMoniker(L"!", name.c_str(), moniker.put()))) return false;
    return table->IsRunning(moniker.get()) == S_OK;
}

TEST_F(FilterGraphTest, GraphEditRegistersTheGraphOnlyWhileActive) {
    ASSERT_EQ(com.result(), S_OK);
    fg().SetGraphEdit(true);
    EXPECT_TRUE(fg().GraphEdit());
    EXPECT_FALSE(InRunningObjectTable(graph.Graph())) << "nothing to register while inactive";

    fg().SetActive(true);
    EXPECT_TRUE(InRunningObjectTable(graph.Graph()));

    fg().SetGraphEdit(false);
    EXPECT_FALSE(InRunningObjectTable(graph.Graph()));
    fg().SetGraphEdit(true);
    EXPECT_TRUE(InRunningObjectTable(graph.Graph()));

    fg().SetActive(false);
    EXPECT_FALSE(InRunningObjectTable(graph.Graph()));
    EXPECT_TRUE(fg().GraphEdit()) << "the setting outlives the graph";
    ExpectGraphObjectsReleased();
}

std::wstring TempPath(const wchar_t* name) {
    wchar_t directory[MAX_PATH];
    const DWORD length = GetTempPathW(MAX_PATH, directory);
    EXPECT_GT(length, 0u);
    return std::wstring(directory, length) + name;
}

TEST_F(FilterGraphTest, LogFileOpensWithTheGraphAndClosesWithIt) {
    const std::wstring path = TempPath(L"wallcine_filter_graph_test.log");
    DeleteFileW(path.c_str());
    fg().SetLogFile(path);
    EXPECT_EQ(fg().LogFile(), path);
    EXPECT_TRUE(graph.log_file_calls.empty());

    fg().SetActive(true);
    ASSERT_FALSE(graph.log_file_calls.empty());
    EXPECT_NE(graph.log_file_calls.back(), 0u) << "the graph ends up with the open log's handle";
    EXPECT_NE(GetFileAttributesW(path.c_str()), INVALID_FILE_ATTRIBUTES);

    fg().SetActive(false);
    EXPECT_EQ(graph.log_file_calls.back(), 0u);
    EXPECT_TRUE(DeleteFileW(path.c_str())) << "the log is still open after deactivation";
}

TEST_F(FilterGraphTest, LogFileInAMissingDirectoryDetachesTheLogAndKeepsTheName) {
    fg().SetActive(true);
    graph.log_file_calls.clear();

    EXPECT_NO_THROW(fg().SetLogFile(TempPath(L"wallcine no such directory\\graph.log")));

    EXPECT_EQ(fg().LogFile(), L"");
    ASSERT_FALSE(graph.log_file_calls.empty()) << "SetLogFile(0) was not called";
    for (DWORD_PTR handle : graph.log_file_calls) EXPECT_EQ(handle, 0u);
}

// --- Playback --------------------------------------------------------------------------------

enum class Operation { Play, Pause, Stop };

struct PlaybackCase {
    const char* name;
    Operation operation;
    HRESULT result;
    std::optional<bool> returns;  // empty: raises with `result`
    friend void PrintTo(const PlaybackCase& c, std::ostream* os) { *os << c.name; }
};

class FilterGraphPlayback : public FilterGraphTest, public ::testing::WithParamInterface<PlaybackCase> {};

TEST_P(FilterGraphPlayback, TellsClientsThenCallsTheGraphAndMapsTheResult) {
    const PlaybackCase& c = GetParam();
    fg().AddEventClient(c1.AsEventClient());
    fg().SetActive(true);
    trace.clear();

    const char* event = nullptr;
    const char* call = nullptr;
    std::optional<bool> returned;
    std::optional<HRESULT> raised;
    switch (c.operation) {
    case Operation::Play:
        graph.run_result = c.result;
        event = "gcePlay", call = "control.Run";
        raised = RaisedResult([&] { returned = fg().Play(); });
        break;
    case Operation::Pause:
        graph.pause_result = c.result;
        event = "gcePause", call = "control.Pause";
        raised = RaisedResult([&] { returned = fg().Pause(); });
        break;
    case Operation::Stop:
        graph.stop_result = c.result;
        event = "gceStop", call = "control.Stop";
        raised = RaisedResult([&] { returned = fg().Stop(); });
        break;
    }

    EXPECT_EQ(trace, (Trace{Control("c1", event), call}));
    EXPECT_EQ(returned, c.returns);
    EXPECT_EQ(raised, c.returns ? std::nullopt : std::optional<HRESULT>(c.result));
}

INSTANTIATE_TEST_SUITE_P(Cases, FilterGraphPlayback,
                         ::testing::Values(PlaybackCase{"PlayOk", Operation::Play, S_OK, true},
                                           PlaybackCase{"PlayNotYetRunning", Operation::Play, S_FALSE, true},
                                           PlaybackCase{"PlayFails", Operation::Play, VFW_E_NO_CLOCK, std::nullopt},
                                           PlaybackCase{"PauseOk", Operation::Pause, S_OK, true},
                                           PlaybackCase{"PauseNotYetPaused", Operation::Pause, S_FALSE, false},
                                           PlaybackCase{"PauseFails", Operation::Pause, E_FAIL, std::nullopt},
                                           PlaybackCase{"StopOk", Operation::Stop, S_OK, true},
                                           PlaybackCase{"StopNotYetStopped", Operation::Stop, S_FALSE, false},
                                           PlaybackCase{"StopFails", Operation::Stop, E_UNEXPECTED, std::nullopt}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(FilterGraphTest, PlaybackWithoutMediaControlSendsNothing) {
    fg().AddEventClient(c1.AsEventClient());
    graph.has_media_control = false;
    fg().SetActive(true);
    trace.clear();

    EXPECT_FALSE(fg().Play());
    EXPECT_FALSE(fg().Pause());
    EXPECT_FALSE(fg().Stop());
    EXPECT_EQ(trace, Trace{});
}

// --- The graph's clock (OwnClock) ---------------------------------------------------------------

// The references on a COM object, read by adding one and letting it go.
ULONG References(IUnknown* object) {
    object->AddRef();
    return object->Release();
}

TEST_F(FilterGraphTest, WithOwnClockTheFirstRunOrPauseOfEachGraphGivesItAClockOfItsOwn) {
    fg().AddEventClient(c1.AsEventClient());
    fg().SetOwnClock(true);
    fg().SetActive(true);
    trace.clear();

    EXPECT_TRUE(fg().Pause());
    EXPECT_EQ(trace, (Trace{Control("c1", "gcePause"), "graph.SetSyncSource clock", "control.Pause"}));
    ASSERT_NE(graph.sync_source, nullptr);
    EXPECT_EQ(References(graph.sync_source), 1u) << "the graph keeps the clock; the component holds none";

    trace.clear();
    EXPECT_TRUE(fg().Play());
    EXPECT_TRUE(fg().Stop());
    EXPECT_TRUE(fg().Play());
    EXPECT_EQ(Without(trace, {"HandleControlEvent"}), (Trace{"control.Run", "control.Stop", "control.Run"}));

    // The next graph gets a clock of its own.
    const IReferenceClock* first_clock = graph.sync_source;
    fg().SetActive(false);
    fg().SetActive(true);
    trace.clear();
    EXPECT_TRUE(fg().Play());
    EXPECT_EQ(Without(trace, {"HandleControlEvent"}), (Trace{"graph.SetSyncSource clock", "control.Run"}));
    EXPECT_NE(graph.sync_source, first_clock);
}

struct ClockCase {
    const char* name;
    bool own_clock;
    TGraphMode mode;
    HRESULT set_sync_source_result;
    bool has_media_filter;
    Trace expected;  // the calls of two Play, control events left out
    friend void PrintTo(const ClockCase& c, std::ostream* os) { *os << c.name; }
};

class FilterGraphClock : public FilterGraphTest, public ::testing::WithParamInterface<ClockCase> {};

TEST_P(FilterGraphClock, LeavesTheClockToTheGraphWhereItDoesNotGiveOne) {
    const ClockCase& c = GetParam();
    fg().SetOwnClock(c.own_clock);
    fg().SetMode(c.mode);
    graph.set_sync_source_result = c.set_sync_source_result;
    graph.has_media_filter = c.has_media_filter;
    fg().SetActive(true);
    trace.clear();

    EXPECT_TRUE(fg().Play());
    EXPECT_TRUE(fg().Play());

    EXPECT_EQ(trace, c.expected);
    EXPECT_EQ(graph.sync_source, nullptr);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, FilterGraphClock,
    ::testing::Values(ClockCase{"Off", false, gmNormal, S_OK, true, {"control.Run", "control.Run"}},
                      ClockCase{"CaptureGraph", true, gmCapture, S_OK, true, {"control.Run", "control.Run"}},
                      ClockCase{"DvdGraph", true, gmDVD, S_OK, true, {"control.Run", "control.Run"}},
                      // Offered once per graph: a refusal is not met again at every start.
                      ClockCase{"Refused", true, gmNormal, VFW_E_NOT_STOPPED, true,
                                {"graph.SetSyncSource clock", "control.Run", "control.Run"}},
                      ClockCase{"GraphWithoutMediaFilter", true, gmNormal, S_OK, false, {"control.Run", "control.Run"}}),
    [](const auto& info) { return std::string(info.param.name); });

struct RenderCase {
    const char* name;
    HRESULT result;
    bool raises;
    friend void PrintTo(const RenderCase& c, std::ostream* os) { *os << c.name; }
};

class FilterGraphRender : public FilterGraphTest, public ::testing::WithParamInterface<RenderCase> {};

TEST_P(FilterGraphRender, FramesTheRenderWithControlEventsAndPassesSuccessCodes) {
    const RenderCase& c = GetParam();
    fg().AddEventClient(c1.AsEventClient());
    fg().SetActive(true);
    trace.clear();
    graph.render_result = c.result;

    HRESULT returned = E_NOTIMPL;
    const std::optional<HRESULT> raised = RaisedResult([&] { returned = fg().RenderFile(L"C:\\clips\\clip.avi"); });

    if (c.raises) {
        EXPECT_EQ(raised, c.result);
        Trace expected = {Control("c1", "gceRenderStarting"), "graph.RenderFile C:\\clips\\clip.avi"};
        // Where DirectShow had no way to play it, the own source was tried (and could not open it).
        if (DirectShowCannotRender(c.result)) expected.push_back("reader.Open C:\\clips\\clip.avi");
        EXPECT_EQ(trace, expected);
    } else {
        EXPECT_EQ(raised, std::nullopt);
        EXPECT_EQ(returned, c.result);
        EXPECT_EQ(trace, (Trace{Control("c1", "gceRenderStarting"), "graph.RenderFile C:\\clips\\clip.avi",
                                Control("c1", "gceRenderDone")}));
    }
}

INSTANTIATE_TEST_SUITE_P(Cases, FilterGraphRender,
                         ::testing::Values(RenderCase{"Rendered", S_OK, false},
                                           RenderCase{"PartiallyRendered", VFW_S_PARTIAL_RENDER, false},
                                           RenderCase{"AudioNotRendered", VFW_S_AUDIO_NOT_RENDERED, false},
                                           RenderCase{"NotFound", VFW_E_NOT_FOUND, true},
                                           RenderCase{"UnsupportedStream", VFW_E_UNSUPPORTED_STREAM, true}),
                         [](const auto& info) { return std::string(info.param.name); });

// --- Rendering through Wallcine's own source ------------------------------------------------------

// An MP4 DirectShow has no parser for: the own source opens it (a picture and sound) and joins
// the graph, and the graph renders each of its pins.
class FilterGraphOwnSource : public FilterGraphTest {
protected:
    FilterGraphOwnSource() {
        readers.open_result = S_OK;
        reader_script.video = media::VideoStreamFormat{320, 240, 400'000, {PictureFormat::kRgb32}};
        reader_script.audio = media::AudioStreamFormat{2, 44100, 16, 0};
        reader_script.duration = 20'000'000;
        fg().AddEventClient(c1.AsEventClient());
        fg().SetActive(true);
        trace.clear();
    }

    // RenderFile of the clip after DirectShow answered `directshow`: what it returned or raised.
    struct Outcome {
        std::optional<HRESULT> returned;
        std::optional<HRESULT> raised;
    };
    Outcome Render(HRESULT directshow) {
        graph.render_result = directshow;
        Outcome outcome;
        outcome.raised = RaisedResult([&] { outcome.returned = fg().RenderFile(L"C:\\clips\\clip.mp4"); });
        return outcome;
    }

    static inline const std::string kSource = test::Narrow(kMediaFoundationSourceName);
    const std::string kRenderVideo = "graph.Render " + kSource + ".Video";
    const std::string kRenderAudio = "graph.Render " + kSource + ".Audio";
};

TEST_F(FilterGraphOwnSource, OnlyTheFailuresThatLeaveDirectShowNoWayToRenderTryTheOwnSource) {
    const struct {
        const char* name;
        HRESULT directshow;
        bool tries_own_source;
    } cases[] = {
        {"unsupported stream", VFW_E_UNSUPPORTED_STREAM, true},
        {"unknown file type", VFW_E_UNKNOWN_FILE_TYPE, true},
        {"no source filter", VFW_E_CANNOT_LOAD_SOURCE_FILTER, true},
        {"cannot render", VFW_E_CANNOT_RENDER, true},
        {"cannot connect", VFW_E_CANNOT_CONNECT, true},
        {"rendered", S_OK, false},
        {"partly rendered", VFW_S_PARTIAL_RENDER, false},
        {"missing file", HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND), false},
        {"out of memory", E_OUTOFMEMORY, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        fg().ResetGraph();
        trace.clear();
        const Outcome outcome = Render(c.directshow);
        const bool opened = std::find(trace.begin(), trace.end(), "reader.Open C:\\clips\\clip.mp4") != trace.end();
        EXPECT_EQ(opened, c.tries_own_source);
        if (c.tries_own_source) {
            EXPECT_EQ(outcome.returned, std::optional<HRESULT>(S_OK));
        }
    }
}

TEST_F(FilterGraphOwnSource, TheSourceJoinsUnderItsOwnNameAndEachOfItsPinsIsRendered) {
    const Outcome outcome = Render(VFW_E_UNSUPPORTED_STREAM);
    EXPECT_EQ(outcome.raised, std::nullopt);
    EXPECT_EQ(outcome.returned, std::optional<HRESULT>(S_OK));
    EXPECT_EQ(trace, (Trace{Control("c1", "gceRenderStarting"), "graph.RenderFile C:\\clips\\clip.mp4",
                            "reader.Open C:\\clips\\clip.mp4", "graph.AddFilter " + kSource, kRenderVideo,
                            kRenderAudio, Control("c1", "gceRenderDone")}));
    EXPECT_EQ(graph.FilterNames(), (std::vector<std::string>{kSource}));
}

TEST_F(FilterGraphOwnSource, APinThatDoesNotRenderMakesAPartialRender) {
    const struct {
        const char* name;
        bool has_video;
        std::vector<std::string> failing_pins;
        HRESULT expected;
    } cases[] = {
        {"no way to show the picture", true, {"Video"}, VFW_S_VIDEO_NOT_RENDERED},
        {"no way to play the sound", true, {"Audio"}, VFW_S_AUDIO_NOT_RENDERED},
        {"a file with sound only", false, {}, S_OK},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        fg().ResetGraph();
        graph.render_failures.clear();
        for (const std::string& pin : c.failing_pins) graph.render_failures[kSource + "." + pin] = VFW_E_CANNOT_RENDER;
        if (!c.has_video) reader_script.video.reset();
        EXPECT_EQ(Render(VFW_E_UNSUPPORTED_STREAM).returned, std::optional<HRESULT>(c.expected));
        EXPECT_EQ(graph.FilterNames(), (std::vector<std::string>{kSource}));
    }
}

TEST_F(FilterGraphOwnSource, AFileNeitherCanPlayRaisesDirectShowsErrorAndLeavesNoSourceBehind) {
    // The reader cannot open it.
    readers.open_result = MF_E_UNSUPPORTED_BYTESTREAM_TYPE;
    EXPECT_EQ(Render(VFW_E_CANNOT_RENDER).raised, std::optional<HRESULT>(VFW_E_CANNOT_RENDER));
    EXPECT_TRUE(graph.FilterNames().empty());

    // It opens, but nothing downstream takes either stream.
    readers.open_result = S_OK;
    graph.render_failures = {{kSource + ".Video", VFW_E_CANNOT_RENDER}, {kSource + ".Audio", VFW_E_NO_AUDIO_HARDWARE}};
    trace.clear();
    EXPECT_EQ(Render(VFW_E_UNSUPPORTED_STREAM).raised, std::optional<HRESULT>(VFW_E_UNSUPPORTED_STREAM));
    EXPECT_EQ(trace, (Trace{Control("c1", "gceRenderStarting"), "graph.RenderFile C:\\clips\\clip.mp4",
                            "reader.Open C:\\clips\\clip.mp4", "graph.AddFilter " + kSource, kRenderVideo,
                            kRenderAudio, "graph.RemoveFilter " + kSource}));
    EXPECT_TRUE(graph.FilterNames().empty());
    const Trace reader_calls = reader_script.Calls();
    EXPECT_TRUE(!reader_calls.empty() && reader_calls.back() == "destroyed") << "the source that left was not released";
}

// --- ResetGraph and DisconnectAllPins ----------------------------------------------------------

// A file rendered into source -> decoder -> renderer; the source also has an audio pin that
// stays unconnected.
class FilterGraphTopology : public FilterGraphTest {
protected:
    // Renders into the client's input pin when given, into a renderer of its own otherwise.
    void RenderInto(FakePin* client_in) {
        graph.on_render = [=, this](FakeFilterGraph& g, const std::wstring&) {
            g.AddFilter(&source, L"source");
            g.AddFilter(&decoder, L"decoder");
            ConnectPins(source_out, decoder_in);
            if (client_in) {
                ConnectPins(decoder_out, *client_in);
            } else {
                g.AddFilter(&renderer, L"renderer");
                ConnectPins(decoder_out, renderer_in_);
            }
        };
        ASSERT_EQ(fg().RenderFile(L"clip.avi"), S_OK);
    }
    void TearDown() override {
        FilterGraphTest::TearDown();
        ExpectOnlyOwnerReferences(
            {&source, &decoder, &renderer, &source_out, &source_audio, &decoder_in, &decoder_out, &renderer_in_,
             &c1_in});
    }

    FakeFilter source{L"source", &trace};
    FakePin source_out{source, L"Out", PINDIR_OUTPUT};
    FakePin source_audio{source, L"Audio", PINDIR_OUTPUT};
    FakeFilter decoder{L"decoder", &trace};
    FakePin decoder_in{decoder, L"In", PINDIR_INPUT};
    FakePin decoder_out{decoder, L"Out", PINDIR_OUTPUT};
    FakeFilter renderer{L"renderer", &trace};
    FakePin renderer_in_{renderer, L"In", PINDIR_INPUT};
    FakePin c1_in{c1.filter, L"In", PINDIR_INPUT};
};

TEST_F(FilterGraphTopology, ResetGraphStopsDisconnectsEverythingAndKeepsOnlyClientFilters) {
    AddAsFilterAndEventClient(c1);
    fg().SetActive(true);
    RenderInto(&c1_in);
    ASSERT_EQ(graph.FilterNames(), (std::vector<std::string>{"c1-filter", "source", "decoder"}));
    trace.clear();

    fg().ResetGraph();

    // Every connection is broken from its output end, output pin first, filters in enumeration
    // order (as added); the unconnected audio pin is left alone. The client is not told of the
    // removals.
    EXPECT_EQ(Without(trace, {"ProvideFilter"}),
              (Trace{Control("c1", "gceStop"), "control.Stop", "pin source.Out Disconnect", "pin decoder.In Disconnect",
                     "pin decoder.Out Disconnect", "pin c1-filter.In Disconnect", "graph.RemoveFilter source",
                     "graph.RemoveFilter decoder"}));
    EXPECT_EQ(graph.FilterNames(), std::vector<std::string>{"c1-filter"});
    for (const FakePin* pin : {&c1_in, &source_out, &source_audio, &decoder_in, &decoder_out})
        EXPECT_FALSE(pin->IsConnected()) << pin->Label();
    EXPECT_TRUE(c1.OffersFilter());
}

TEST_F(FilterGraphTopology, ResetGraphWithoutClientsEmptiesTheGraph) {
    fg().SetActive(true);
    RenderInto(nullptr);
    trace.clear();

    fg().ResetGraph();

    EXPECT_EQ(Without(trace, {"Disconnect", "Stop"}),
              (Trace{"graph.RemoveFilter source", "graph.RemoveFilter decoder", "graph.RemoveFilter renderer"}));
    EXPECT_TRUE(graph.Filters().empty());
    for (const FakePin* pin : {&source_out, &decoder_in, &decoder_out, &renderer_in_})
        EXPECT_FALSE(pin->IsConnected()) << pin->Label();
}

TEST_F(FilterGraphTopology, DisconnectAllPinsRaisesAPinsFailure) {
    fg().SetActive(true);
    RenderInto(nullptr);
    decoder_out.disconnect_failure = VFW_E_NOT_STOPPED;

    EXPECT_EQ(RaisedResult([&] { fg().DisconnectAllPins(); }), VFW_E_NOT_STOPPED);

    // Leave no connection behind for the reference checks.
    decoder_out.disconnect_failure = S_OK;
    fg().DisconnectAllPins();
    EXPECT_FALSE(decoder_out.IsConnected());
    EXPECT_FALSE(renderer_in_.IsConnected());
}

TEST_F(FilterGraphTopology, ResetGraphRaisesWhenTheGraphRefusesARemoval) {
    fg().SetActive(true);
    RenderInto(nullptr);
    graph.remove_filter_result = VFW_E_NOT_STOPPED;

    EXPECT_EQ(RaisedResult([&] { fg().ResetGraph(); }), VFW_E_NOT_STOPPED);
    graph.remove_filter_result = S_OK;
}

// --- Volume --------------------------------------------------------------------------------------

struct VolumeCase {
    LONG volume;
    std::string expected;
    friend void PrintTo(const VolumeCase& c, std::ostream* os) { *os << c.volume; }
};

class FilterGraphVolume : public FilterGraphTest, public ::testing::WithParamInterface<VolumeCase> {};

TEST_P(FilterGraphVolume, MapsTheLinearRangeToAttenuation) {
    fg().SetActive(true);
    trace.clear();
    fg().SetVolume(GetParam().volume);
    EXPECT_EQ(trace, Trace{GetParam().expected});
}

INSTANTIATE_TEST_SUITE_P(Cases, FilterGraphVolume,
                         ::testing::Values(VolumeCase{10000, "audio.put_Volume 0"},
                                           VolumeCase{0, "audio.put_Volume -10000"},
                                           VolumeCase{5000, "audio.put_Volume -5000"}));

TEST_F(FilterGraphTest, SetVolumeNeverRaises) {
    fg().SetActive(true);
    trace.clear();
    graph.put_volume_result = VFW_E_NOT_CONNECTED;
    EXPECT_NO_THROW(fg().SetVolume(10000));
    EXPECT_EQ(trace, Trace{"audio.put_Volume 0"});

    trace.clear();
    graph.has_basic_audio = false;
    EXPECT_NO_THROW(fg().SetVolume(10000));
    EXPECT_EQ(trace, Trace{}) << "no audio interface, no call";
}

}  // namespace
}  // namespace wallcine::media
