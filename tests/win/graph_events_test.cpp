// TFilterGraph's graph events: the notification message drains the fake graph's queue on the GUI
// thread, each event goes to the event clients, OnDSEvent and its own handler with converted
// parameters, and is freed; a client's exception is reported once and does not lose the rest.
#include <gtest/gtest.h>

#include <evcode.h>
#include <dvdevcod.h>

#include <optional>
#include <ostream>
#include <string>

#include "core/errors.h"
#include "fakes/desktop_services_recorder.h"
#include "fakes/fake_dshow.h"
#include "fakes/fake_graph.h"
#include "fakes/fake_graph_client.h"
#include "media/filter_graph.h"
#include "win/desktop_services.h"
#include "win/object_factory.h"

namespace wallcine::media {
namespace {

using test::DesktopServicesRecorder;
using test::ExpectOnlyOwnerReferences;
using test::FakeFilterGraph;
using test::FakeGraphClient;
using test::FakeObjectFactory;
using test::GraphEventLine;
using test::Trace;

constexpr LONG_PTR kSize640x480 = 480 * 65536 + 640;

std::string DSEventLine(LONG code, LONG_PTR param1, LONG_PTR param2) {
    return Format("OnDSEvent %ld %lld %lld", static_cast<long>(code), static_cast<long long>(param1),
                  static_cast<long long>(param2));
}

// Event clients c1 and c2 (in that order), OnDSEvent and a few per-code handlers that write to
// the trace.
class GraphEventsTest : public ::testing::Test {
protected:
    GraphEventsTest() {
        component.emplace();
        fg().AddEventClient(c1.AsEventClient());
        fg().AddEventClient(c2.AsEventClient());
        fg().OnDSEvent = [this](TFilterGraph& sender, LONG code, LONG_PTR param1, LONG_PTR param2) {
            EXPECT_EQ(&sender, &fg());
            trace.push_back(DSEventLine(code, param1, param2));
        };
        fg().OnGraphClockChanged = [this](TFilterGraph&) { trace.push_back("OnGraphClockChanged"); };
        fg().OnGraphVideoSizeChanged = [this](TFilterGraph&, std::uint16_t width, std::uint16_t height) {
            trace.push_back(Format("OnGraphVideoSizeChanged %u %u", width, height));
        };
    }

    void TearDown() override {
        component.reset();
        graph.DropFilters();
        ExpectOnlyOwnerReferences({&graph, &c1, &c2, &c1.filter, &c2.filter});
    }

    TFilterGraph& fg() { return *component; }

    // Takes one notification message for the component's window off the queue and lets its
    // window procedure handle it; false when there is none.
    bool DispatchNextNotification() {
        MSG message;
        if (!PeekMessageW(&message, fg().NotificationWindow(), WM_GRAPHNOTIFY, WM_GRAPHNOTIFY, PM_REMOVE))
            return false;
        DispatchMessageW(&message);
        return true;
    }
    void DispatchAllNotifications() {
        while (DispatchNextNotification()) {
        }
    }

    // Everything one event brings about, up to its release, for events without a handler of
    // their own here (plus `handled` lines of those that have one).
    Trace Dispatched(LONG code, LONG_PTR param1 = 0, LONG_PTR param2 = 0, Trace handled = {}) {
        Trace lines{"events.GetEvent " + std::to_string(code), GraphEventLine("c1", code, param1, param2),
                    GraphEventLine("c2", code, param1, param2), DSEventLine(code, param1, param2)};
        lines.insert(lines.end(), handled.begin(), handled.end());
        lines.push_back("events.FreeEventParams " + std::to_string(code));
        return lines;
    }

    Trace trace;
    FakeFilterGraph graph{trace};
    FakeObjectFactory factory{trace, graph};
    win::ScopedObjectFactory factory_scope{factory};
    DesktopServicesRecorder desktop;
    win::ScopedDesktopServices desktop_scope{desktop};
    FakeGraphClient c1{trace, "c1"};
    FakeGraphClient c2{trace, "c2"};
    std::optional<TFilterGraph> component;
};

Trace Concat(std::initializer_list<Trace> parts) {
    Trace all;
    for (const Trace& part : parts) all.insert(all.end(), part.begin(), part.end());
    return all;
}

TEST_F(GraphEventsTest, OneNotificationDispatchesEveryQueuedEventInOrderAndFreesEachAfterIt) {
    fg().SetActive(true);
    trace.clear();
    graph.QueueEvent(EC_CLOCK_CHANGED);
    graph.QueueEvent(EC_VIDEO_SIZE_CHANGED, kSize640x480);
    graph.QueueEvent(EC_REPAINT);

    ASSERT_TRUE(DispatchNextNotification());

    EXPECT_EQ(trace, Concat({Dispatched(EC_CLOCK_CHANGED, 0, 0, {"OnGraphClockChanged"}),
                             Dispatched(EC_VIDEO_SIZE_CHANGED, kSize640x480, 0, {"OnGraphVideoSizeChanged 640 480"}),
                             Dispatched(EC_REPAINT),
                             {"events.GetEvent none"}}));
    EXPECT_EQ(graph.freed_events, (std::vector<FakeFilterGraph::Event>{{EC_CLOCK_CHANGED, 0, 0},
                                                                        {EC_VIDEO_SIZE_CHANGED, kSize640x480, 0},
                                                                        {EC_REPAINT, 0, 0}}));

    // The graph posted once per event: the later notifications find the queue empty.
    trace.clear();
    DispatchAllNotifications();
    EXPECT_EQ(trace, (Trace{"events.GetEvent none", "events.GetEvent none"}));
}

TEST_F(GraphEventsTest, AClientsExceptionIsShownOnceAndTheRestWaitsForTheNextNotification) {
    c1.throw_on_event = EC_VIDEO_SIZE_CHANGED;
    fg().SetActive(true);
    trace.clear();
    graph.QueueEvent(EC_CLOCK_CHANGED);
    graph.QueueEvent(EC_VIDEO_SIZE_CHANGED, kSize640x480);
    graph.QueueEvent(EC_REPAINT);

    ASSERT_TRUE(DispatchNextNotification());

    // The failing event goes no further than the client, but its parameters are freed.
    EXPECT_EQ(trace, Concat({Dispatched(EC_CLOCK_CHANGED, 0, 0, {"OnGraphClockChanged"}),
                             {"events.GetEvent 10", GraphEventLine("c1", EC_VIDEO_SIZE_CHANGED, kSize640x480, 0),
                              "events.FreeEventParams 10"}}));
    EXPECT_EQ(desktop.calls, (std::vector<std::string>{"MessageBoxA null [c1 failed on event 10] [Wallcine] 16"}));

    trace.clear();
    ASSERT_TRUE(DispatchNextNotification());
    EXPECT_EQ(trace, Concat({Dispatched(EC_REPAINT), {"events.GetEvent none"}}));
    EXPECT_EQ(desktop.calls.size(), 1u);
    EXPECT_EQ(graph.QueuedEvents(), 0u);
    DispatchAllNotifications();
}

TEST_F(GraphEventsTest, NotificationOutsideAnActiveGraphReadsNoEvent) {
    PostMessageW(fg().NotificationWindow(), WM_GRAPHNOTIFY, 0, 0);
    DispatchAllNotifications();
    EXPECT_EQ(trace, Trace{});

    fg().SetActive(true);
    fg().SetActive(false);
    trace.clear();
    graph.QueueEvent(EC_COMPLETE);  // notification is off: the graph posts nothing
    PostMessageW(fg().NotificationWindow(), WM_GRAPHNOTIFY, 0, 0);

    DispatchAllNotifications();

    EXPECT_EQ(trace, Trace{});
    EXPECT_EQ(graph.QueuedEvents(), 1u);
}

// --- Dispatch by code ----------------------------------------------------------------------------

// A DVD_TIMECODE as the graph packs it into Param1: two BCD digits each for hours, minutes,
// seconds and frames (frames tens on two bits), the frame-rate code in the top two bits.
constexpr LONG_PTR DvdTime(unsigned h, unsigned m, unsigned s, unsigned f, unsigned rate_code) {
    const DWORD packed = (h % 10) | (h / 10) << 4 | (m % 10) << 8 | (m / 10) << 12 | (s % 10) << 16 |
                         (s / 10) << 20 | (f % 10) << 24 | (f / 10) << 28 | rate_code << 30;
    return static_cast<LONG_PTR>(static_cast<DWORD_PTR>(packed));
}
static_assert(DvdTime(1, 23, 45, 12, 1) == 0x52452301);

struct DispatchCase {
    const char* name;
    LONG code;
    LONG_PTR param1;
    LONG_PTR param2;
    Trace handled;  // the per-code handler lines after OnDSEvent
    friend void PrintTo(const DispatchCase& c, std::ostream* os) { *os << c.name; }
};

class GraphEventDispatch : public GraphEventsTest, public ::testing::WithParamInterface<DispatchCase> {
protected:
    void SetHandlers() {
        fg().OnGraphComplete = [this](TFilterGraph&, HRESULT result, IBaseFilter* renderer) {
            trace.push_back(Format("OnGraphComplete $%08lX %s", static_cast<unsigned long>(result),
                                   renderer ? "renderer" : "null"));
        };
        fg().OnGraphUserAbort = [this](TFilterGraph&) { trace.push_back("OnGraphUserAbort"); };
        fg().OnGraphErrorAbort = [this](TFilterGraph&, HRESULT result) {
            trace.push_back(Format("OnGraphErrorAbort $%08lX", static_cast<unsigned long>(result)));
        };
        fg().OnGraphBufferingData = [this](TFilterGraph&, bool buffering) {
            trace.push_back(Format("OnGraphBufferingData %d", buffering));
        };
        fg().OnDVDDomainTitle = [this](TFilterGraph&) { trace.push_back("OnDVDDomainTitle"); };
        fg().OnDVDDomainStop = [this](TFilterGraph&) { trace.push_back("OnDVDDomainStop"); };
        fg().OnDVDTitleChange = [this](TFilterGraph&, LONG value) {
            trace.push_back(Format("OnDVDTitleChange %ld", static_cast<long>(value)));
        };
        fg().OnDVDStillOn = [this](TFilterGraph&, bool no_button, LONG seconds) {
            trace.push_back(Format("OnDVDStillOn %d %ld", no_button, static_cast<long>(seconds)));
        };
        fg().OnDVDCurrentTime = [this](TFilterGraph&, LONG h, LONG m, LONG s, LONG f, LONG rate) {
            trace.push_back(Format("OnDVDCurrentTime %ld %ld %ld %ld %ld", static_cast<long>(h), static_cast<long>(m),
                                   static_cast<long>(s), static_cast<long>(f), static_cast<long>(rate)));
        };
    }
};

TEST_P(GraphEventDispatch, ReachesClientsThenOnDSEventThenTheCodesHandler) {
    const DispatchCase& c = GetParam();
    SetHandlers();

    fg().DispatchGraphEvent(c.code, c.param1, c.param2);

    EXPECT_EQ(trace, Concat({{GraphEventLine("c1", c.code, c.param1, c.param2),
                              GraphEventLine("c2", c.code, c.param1, c.param2),
                              DSEventLine(c.code, c.param1, c.param2)},
                             c.handled}));
}

TEST_P(GraphEventDispatch, NeedsNoHandlerAssigned) {
    const DispatchCase& c = GetParam();
    TFilterGraph bare;
    EXPECT_NO_THROW(bare.DispatchGraphEvent(c.code, c.param1, c.param2));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, GraphEventDispatch,
    ::testing::Values(
        DispatchCase{"Complete", EC_COMPLETE, S_OK, 0, {"OnGraphComplete $00000000 null"}},
        DispatchCase{"ErrorAbort", EC_ERRORABORT, E_FAIL, 0, {"OnGraphErrorAbort $80004005"}},
        DispatchCase{"VideoSize", EC_VIDEO_SIZE_CHANGED, kSize640x480, 0, {"OnGraphVideoSizeChanged 640 480"}},
        DispatchCase{"ClockChanged", EC_CLOCK_CHANGED, 0, 0, {"OnGraphClockChanged"}},
        DispatchCase{"BufferingData", EC_BUFFERING_DATA, 1, 0, {"OnGraphBufferingData 1"}},
        DispatchCase{"RepaintHasNoHandler", EC_REPAINT, 0, 0, {}},
        DispatchCase{"UnknownCode", 0x7FFF, 3, 4, {}},
        DispatchCase{"DvdDomainTitle", EC_DVD_DOMAIN_CHANGE, DVD_DOMAIN_Title, 0, {"OnDVDDomainTitle"}},
        DispatchCase{"DvdTitleChange", EC_DVD_TITLE_CHANGE, 3, 0, {"OnDVDTitleChange 3"}},
        DispatchCase{"DvdStillOn", EC_DVD_STILL_ON, TRUE, 7, {"OnDVDStillOn 1 7"}},
        DispatchCase{"DvdTime25", EC_DVD_CURRENT_TIME, DvdTime(1, 23, 45, 12, 1), 0,
                     {"OnDVDCurrentTime 1 23 45 12 25"}},
        DispatchCase{"DvdTime30", EC_DVD_CURRENT_TIME, DvdTime(12, 59, 59, 29, 3), 0,
                     {"OnDVDCurrentTime 12 59 59 29 30"}},
        DispatchCase{"DvdTimeOtherRate", EC_DVD_CURRENT_TIME, DvdTime(10, 0, 7, 3, 2), 0,
                     {"OnDVDCurrentTime 10 0 7 3 0"}}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace wallcine::media
