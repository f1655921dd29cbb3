// Wallcine's media source against a scripted reader and fake renderer inputs: which type a pin
// connects with, the samples it pushes and their times, state changes, seeks and their flushes,
// the stop position, a reader error in the middle of a stream, a renderer that refuses samples or
// asks for wider rows, and the filter's references. Every test ends as a graph ends: renderers
// stopped, then the source, pins disconnected, the last reference released; the source must then
// be gone (its reader destroyed) and every fake back to its owner's reference.
#include <gtest/gtest.h>

#include <windows.h>
#include <strmif.h>
#include <amvideo.h>
#include <mferror.h>
#include <uuids.h>

#include <memory>
#include <vector>

#include "fakes/fake_dshow.h"
#include "fakes/fake_filter.h"
#include "fakes/fake_media_reader.h"
#include "fakes/fake_stream_sink.h"
#include "media/mf_source_filter.h"
#include "win/com_ptr.h"
#include "win/unique_handle.h"

namespace wallcine::media {
namespace {

using test::FakeEventSinkGraph;
using test::FakeFilter;
using test::FakeMediaReader;
using test::FakeReaderScript;
using test::FakeSinkPin;
using test::Trace;
using win::com_ptr;

constexpr LONGLONG Ms(LONGLONG milliseconds) { return milliseconds * 10'000; }

ULONG RefCount(IUnknown* object) {
    object->AddRef();
    return object->Release();
}

class MediaSourceFilterTest : public ::testing::Test {
protected:
    MediaSourceFilterTest() {
        // Five 40 ms pictures of 4x2 pixels and five 40 ms pieces of sound at 20000 bytes a second.
        script.video = VideoStreamFormat{4, 2, Ms(40), {PictureFormat::kRgb32, PictureFormat::kNv12}};
        script.audio = AudioStreamFormat{1, 10000, 16, 0};
        script.duration = Ms(200);
        for (int i = 0; i < 5; ++i) {
            script.video_steps.push_back({Ms(40 * i), Ms(40)});
            script.audio_steps.push_back({Ms(40 * i), Ms(40)});
        }
        video_in.accepted_subtypes = {MEDIASUBTYPE_RGB32, MEDIASUBTYPE_NV12};
        audio_in.accepted_subtypes = {MEDIASUBTYPE_PCM};
    }

    void CreateSource() {
        source = CreateMediaFoundationSource(std::make_unique<FakeMediaReader>(script));
        ASSERT_EQ(source->JoinFilterGraph(&graph, kMediaFoundationSourceName), S_OK);
    }

    com_ptr<IPin> Pin(const wchar_t* name) {
        com_ptr<IPin> pin;
        EXPECT_EQ(source->FindPin(name, pin.put()), S_OK) << "no pin " << test::Narrow(name);
        return pin;
    }

    com_ptr<IMediaSeeking> Seeking(const wchar_t* pin) { return Pin(pin).query<IMediaSeeking>(); }

    void ConnectBoth() {
        ASSERT_EQ(Pin(L"Video")->Connect(&video_in, nullptr), S_OK);
        ASSERT_EQ(Pin(L"Audio")->Connect(&audio_in, nullptr), S_OK);
    }

    void TearDown() override {
        if (source) {
            video_in.Stop();
            audio_in.Stop();
            EXPECT_EQ(source->Stop(), S_OK);
            for (const wchar_t* name : {L"Video", L"Audio"}) {
                com_ptr<IPin> pin;
                if (SUCCEEDED(source->FindPin(name, pin.put()))) pin->Disconnect();
            }
            video_in.Disconnect();
            audio_in.Disconnect();
            source->JoinFilterGraph(nullptr, nullptr);
            EXPECT_EQ(source.detach()->Release(), 0u) << "the source holds references on itself";
            const Trace calls = script.Calls();
            EXPECT_TRUE(!calls.empty() && calls.back() == "destroyed") << "the source did not let go of its reader";
        }
        std::vector<const test::FakeComObject*> fakes = {&graph, &video_filter, &audio_filter, &video_in,
                                                         &audio_in, &video_in.allocator, &audio_in.allocator};
        for (auto* sink : {&video_in, &audio_in})
            for (const auto* sample : sink->allocator.Samples()) fakes.push_back(sample);
        test::ExpectOnlyOwnerReferences(fakes);
    }

    win::com_init_scope com;
    FakeReaderScript script;
    FakeEventSinkGraph graph;
    FakeFilter video_filter{L"video renderer"};
    FakeSinkPin video_in{video_filter, L"In"};
    FakeFilter audio_filter{L"audio renderer"};
    FakeSinkPin audio_in{audio_filter, L"In"};
    com_ptr<IBaseFilter> source;
};

// The whole run of one pin: segment, five samples, end.
Trace FiveSamples(const char* bytes, const char* first = "0") {
    const std::string size = std::string(" ") + bytes + "B";
    return {std::string("NewSegment ") + first + "..200",
            "Receive 0..40 #1" + size + " disc",
            "Receive 40..80 #2" + size,
            "Receive 80..120 #3" + size,
            "Receive 120..160 #4" + size,
            "Receive 160..200 #5" + size,
            "EndOfStream"};
}

// --- Connection -----------------------------------------------------------------------------------

TEST_F(MediaSourceFilterTest, ConnectsWithTheFirstOfItsTypesTheInputTakesAndTellsTheReader) {
    video_in.accepted_subtypes = {MEDIASUBTYPE_NV12};
    CreateSource();
    ASSERT_EQ(Pin(L"Video")->Connect(&video_in, nullptr), S_OK);

    const AM_MEDIA_TYPE& type = video_in.ConnectionType();
    EXPECT_EQ(type.majortype, MEDIATYPE_Video);
    EXPECT_EQ(type.subtype, MEDIASUBTYPE_NV12);
    ASSERT_EQ(type.formattype, FORMAT_VideoInfo);
    const auto* info = reinterpret_cast<const VIDEOINFOHEADER*>(type.pbFormat);
    EXPECT_EQ(info->AvgTimePerFrame, Ms(40));
    EXPECT_EQ(info->bmiHeader.biWidth, 4);
    EXPECT_EQ(info->bmiHeader.biHeight, 2);
    EXPECT_EQ(info->bmiHeader.biBitCount, 12);
    EXPECT_EQ(info->bmiHeader.biSizeImage, 12u);
    EXPECT_EQ(script.Calls(), Trace{"SetPictureFormat nv12"});
    EXPECT_EQ(video_in.allocator.Calls(), Trace{"SetProperties 3x12"});

    com_ptr<IPin> peer;
    ASSERT_EQ(Pin(L"Video")->ConnectedTo(peer.put()), S_OK);
    EXPECT_EQ(peer.get(), static_cast<IPin*>(&video_in));
    AM_MEDIA_TYPE connected{};
    ASSERT_EQ(Pin(L"Video")->ConnectionMediaType(&connected), S_OK);
    EXPECT_TRUE(SameMediaType(connected, type));
    FreeMediaTypeContents(connected);
}

TEST_F(MediaSourceFilterTest, AConnectionNobodyCanMakeLeavesBothPinsFree) {
    struct Case {
        const char* name;
        std::vector<GUID> accepted;
        HRESULT reader_result;
    };
    const Case cases[] = {
        {"the input takes none of the types", {MEDIASUBTYPE_YUY2}, S_OK},
        {"the reader cannot deliver the type", {MEDIASUBTYPE_RGB32, MEDIASUBTYPE_NV12}, MF_E_INVALIDMEDIATYPE},
    };
    CreateSource();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        video_in.accepted_subtypes = c.accepted;
        script.picture_format_result = c.reader_result;
        EXPECT_EQ(Pin(L"Video")->Connect(&video_in, nullptr), VFW_E_NO_ACCEPTABLE_TYPES);
        EXPECT_FALSE(video_in.IsConnected());
        com_ptr<IPin> peer;
        EXPECT_EQ(Pin(L"Video")->ConnectedTo(peer.put()), VFW_E_NOT_CONNECTED);
    }
}

// --- Streaming ------------------------------------------------------------------------------------

TEST_F(MediaSourceFilterTest, PausingPushesEverySampleWithItsTimeThenTheEndOfEachStream) {
    CreateSource();
    ConnectBoth();
    ASSERT_EQ(source->Pause(), S_OK);
    ASSERT_TRUE(video_in.WaitForEvent("EndOfStream"));
    ASSERT_TRUE(audio_in.WaitForEvent("EndOfStream"));

    // A 4x2 RGB32 picture is 32 bytes; 40 ms of the sound 800.
    EXPECT_EQ(video_in.Events(), FiveSamples("32"));
    EXPECT_EQ(audio_in.Events(), FiveSamples("800"));
    EXPECT_EQ(script.Calls(), (Trace{"SetPictureFormat rgb32", "SetStreamEnabled video 1", "SetStreamEnabled audio 1",
                                     "Seek 0"}));
    EXPECT_EQ(audio_in.allocator.Calls(), (Trace{"SetProperties 8x5000", "Commit"}));

    // Running changes nothing for a source; stopping gives the buffers back.
    ASSERT_EQ(source->Run(0), S_OK);
    FILTER_STATE state{};
    ASSERT_EQ(source->GetState(0, &state), S_OK);
    EXPECT_EQ(state, State_Running);
    ASSERT_EQ(source->Stop(), S_OK);
    EXPECT_EQ(video_in.allocator.Calls().back(), "Decommit");
    EXPECT_EQ(audio_in.allocator.Calls().back(), "Decommit");
}

TEST_F(MediaSourceFilterTest, AStreamWithoutAConnectionIsSwitchedOffAndTheOtherPinSeeks) {
    CreateSource();
    ASSERT_EQ(Pin(L"Audio")->Connect(&audio_in, nullptr), S_OK);
    // Stopped, a seek only moves where the next run starts.
    LONGLONG start = Ms(80);
    ASSERT_EQ(Seeking(L"Audio")->SetPositions(&start, AM_SEEKING_AbsolutePositioning, nullptr, AM_SEEKING_NoPositioning),
              S_OK);
    EXPECT_TRUE(audio_in.Events().empty());

    ASSERT_EQ(source->Pause(), S_OK);
    ASSERT_TRUE(audio_in.WaitForEvent("EndOfStream"));
    EXPECT_EQ(audio_in.Events(),
              (Trace{"NewSegment 80..200", "Receive 0..40 #3 800B disc", "Receive 40..80 #4 800B",
                     "Receive 80..120 #5 800B", "EndOfStream"}));
    EXPECT_EQ(script.Calls(), (Trace{"SetStreamEnabled video 0", "SetStreamEnabled audio 1", "Seek 800000"}));
}

TEST_F(MediaSourceFilterTest, ASeekWhilePausedFlushesBothPinsOnceAndGoesOnFromThere) {
    // Key frames at 0 and 80 ms only: a seek to 120 ms reads from 80 and drops what ends by 120.
    for (auto& step : script.video_steps) step.key = step.time == 0 || step.time == Ms(80);
    video_in.hold_first_sample = true;
    audio_in.hold_first_sample = true;
    CreateSource();
    ConnectBoth();
    ASSERT_EQ(source->Pause(), S_OK);
    const auto one_sample = [](const Trace& events) { return events.size() == 2; };
    ASSERT_TRUE(video_in.WaitForEvents(one_sample));
    ASSERT_TRUE(audio_in.WaitForEvents(one_sample));

    // Each renderer passes the graph's seek on; the first pin's carries it out for both.
    for (const wchar_t* pin : {L"Video", L"Audio"}) {
        LONGLONG start = Ms(120);
        ASSERT_EQ(Seeking(pin)->SetPositions(&start, AM_SEEKING_AbsolutePositioning | AM_SEEKING_ReturnTime, nullptr,
                                             AM_SEEKING_NoPositioning),
                  S_OK);
        EXPECT_EQ(start, Ms(120));
    }
    const Trace after_seek = {"NewSegment 0..200", "Receive 0..40 #1 32B disc", "BeginFlush", "EndFlush",
                              "NewSegment 120..200", "Receive 0..40 #4 32B disc"};
    ASSERT_TRUE(video_in.WaitForEvents([](const Trace& events) { return events.size() == 6; }));
    EXPECT_EQ(video_in.Events(), after_seek);
    ASSERT_TRUE(audio_in.WaitForEvents([](const Trace& events) { return events.size() == 6; }));
    EXPECT_EQ(audio_in.Events()[4], "NewSegment 120..200");
    EXPECT_EQ(audio_in.Events()[5], "Receive 0..40 #4 800B disc");

    video_in.Run();
    ASSERT_TRUE(video_in.WaitForEvent("EndOfStream"));
    EXPECT_EQ(video_in.Events().size(), 8u);
    EXPECT_EQ(video_in.Events()[6], "Receive 40..80 #5 32B");
    EXPECT_EQ(script.Calls(), (Trace{"SetPictureFormat rgb32", "SetStreamEnabled video 1", "SetStreamEnabled audio 1",
                                     "Seek 0", "SetStreamEnabled video 1", "SetStreamEnabled audio 1",
                                     "Seek 1200000"}));
}

TEST_F(MediaSourceFilterTest, TheStopPositionEndsTheStreamsEarly) {
    CreateSource();
    ConnectBoth();
    LONGLONG stop = Ms(80);
    ASSERT_EQ(Seeking(L"Video")->SetPositions(nullptr, AM_SEEKING_NoPositioning, &stop, AM_SEEKING_AbsolutePositioning),
              S_OK);
    LONGLONG current = -1, reported_stop = -1;
    ASSERT_EQ(Seeking(L"Audio")->GetPositions(&current, &reported_stop), S_OK);
    EXPECT_EQ(current, 0);
    EXPECT_EQ(reported_stop, Ms(80));

    ASSERT_EQ(source->Pause(), S_OK);
    ASSERT_TRUE(video_in.WaitForEvent("EndOfStream"));
    EXPECT_EQ(video_in.Events(),
              (Trace{"NewSegment 0..80", "Receive 0..40 #1 32B disc", "Receive 40..80 #2 32B", "EndOfStream"}));
}

TEST_F(MediaSourceFilterTest, AReaderErrorInTheMiddleIsReportedAndEndsOnlyThatStream) {
    script.video_steps[2].failure = E_FAIL;
    CreateSource();
    ConnectBoth();
    ASSERT_EQ(source->Pause(), S_OK);
    ASSERT_TRUE(video_in.WaitForEvent("EndOfStream"));
    ASSERT_TRUE(audio_in.WaitForEvent("EndOfStream"));
    EXPECT_EQ(video_in.Events(),
              (Trace{"NewSegment 0..200", "Receive 0..40 #1 32B disc", "Receive 40..80 #2 32B", "EndOfStream"}));
    EXPECT_EQ(audio_in.Events(), FiveSamples("800"));
    EXPECT_EQ(graph.Events(), Trace{"Notify EC_ERRORABORT 80004005"});
}

TEST_F(MediaSourceFilterTest, ARendererThatRefusesASampleGetsNoMoreAndNoEnd) {
    video_in.receive_result = S_FALSE;
    CreateSource();
    ConnectBoth();
    ASSERT_EQ(source->Pause(), S_OK);
    ASSERT_TRUE(audio_in.WaitForEvent("EndOfStream"));
    // Stopping joins the delivery threads: whatever the video pin was going to send, it has.
    video_in.Stop();
    audio_in.Stop();
    ASSERT_EQ(source->Stop(), S_OK);
    EXPECT_EQ(video_in.Events(), (Trace{"NewSegment 0..200", "Receive 0..40 #1 32B disc"}));
    EXPECT_TRUE(graph.Events().empty());
}

TEST_F(MediaSourceFilterTest, SoundLargerThanABufferGoesInPiecesStampedWhereTheyStart) {
    // Half a second of sound, twice what a buffer holds (a quarter second).
    script.audio_steps = {{0, Ms(500)}};
    script.duration = Ms(500);
    CreateSource();
    ASSERT_EQ(Pin(L"Audio")->Connect(&audio_in, nullptr), S_OK);
    ASSERT_EQ(source->Pause(), S_OK);
    ASSERT_TRUE(audio_in.WaitForEvent("EndOfStream"));
    EXPECT_EQ(audio_in.Events(), (Trace{"NewSegment 0..500", "Receive 0..250 #1 5000B disc", "Receive 250..500 #1 5000B",
                                        "EndOfStream"}));
}

// A renderer whose surface rows are wider than the picture says so with a type on a buffer; the
// picture then goes into those rows, bottom-up, and the rest of each row is left alone.
TEST_F(MediaSourceFilterTest, APictureGoesIntoTheWiderRowsARendererAsksFor) {
    script.video_steps.resize(1);
    video_in.keep_bytes = true;
    video_in.allocator.minimum_buffer_size = 64;
    CreateSource();
    ASSERT_EQ(Pin(L"Video")->Connect(&video_in, nullptr), S_OK);
    media_type wider = media_type::copy_of(video_in.ConnectionType());
    reinterpret_cast<VIDEOINFOHEADER*>(wider.edit().pbFormat)->bmiHeader.biWidth = 8;
    EXPECT_EQ(Pin(L"Video")->QueryAccept(&wider.get()), S_OK);
    media_type taller = wider.clone();
    reinterpret_cast<VIDEOINFOHEADER*>(taller.edit().pbFormat)->bmiHeader.biHeight = 4;
    EXPECT_EQ(Pin(L"Video")->QueryAccept(&taller.get()), S_FALSE);
    video_in.allocator.AttachTypeToNextBuffer(wider.get());

    ASSERT_EQ(source->Pause(), S_OK);
    ASSERT_TRUE(video_in.WaitForEvent("EndOfStream"));
    EXPECT_EQ(video_in.Events()[1], "Receive 0..40 #1 64B disc");
    const auto received = video_in.ReceivedBytes();
    ASSERT_EQ(received.size(), 1u);
    std::vector<BYTE> expected(64, 0);
    for (int row = 0; row < 2; ++row)
        for (int byte = 0; byte < 16; ++byte) expected[row * 32 + byte] = 1;
    EXPECT_EQ(received[0], expected);
}

// --- References -----------------------------------------------------------------------------------

// Everything the source hands out holds a reference that its release gives back: pins share the
// filter's count, enumerators hold the filter, the graph and the peer come with one of their own.
TEST_F(MediaSourceFilterTest, EveryReferenceHandedOutIsGivenBack) {
    CreateSource();
    ConnectBoth();
    const ULONG baseline = RefCount(source.get());
    {
        com_ptr<IPin> video = Pin(L"Video");
        EXPECT_EQ(RefCount(video.get()), baseline + 1) << "a pin shares its filter's count";
        com_ptr<IEnumPins> pins, clone;
        ASSERT_EQ(source->EnumPins(pins.put()), S_OK);
        ASSERT_EQ(pins->Clone(clone.put()), S_OK);
        IPin* listed[3] = {};
        ULONG fetched = 0;
        EXPECT_EQ(pins->Next(3, listed, &fetched), S_FALSE);
        ASSERT_EQ(fetched, 2u);
        EXPECT_EQ(listed[0], video.get());
        for (ULONG i = 0; i < fetched; ++i) listed[i]->Release();

        PIN_INFO pin_info{};
        ASSERT_EQ(video->QueryPinInfo(&pin_info), S_OK);
        EXPECT_EQ(pin_info.pFilter, source.get());
        pin_info.pFilter->Release();
        FILTER_INFO filter_info{};
        ASSERT_EQ(source->QueryFilterInfo(&filter_info), S_OK);
        EXPECT_STREQ(filter_info.achName, kMediaFoundationSourceName);
        EXPECT_EQ(filter_info.pGraph, static_cast<IFilterGraph*>(&graph));
        filter_info.pGraph->Release();

        com_ptr<IEnumMediaTypes> types;
        ASSERT_EQ(video->EnumMediaTypes(types.put()), S_OK);
        AM_MEDIA_TYPE* type = nullptr;
        while (types->Next(1, &type, nullptr) == S_OK) {
            FreeMediaTypeContents(*type);
            ::CoTaskMemFree(type);
        }
        com_ptr<IPin> peer;
        ASSERT_EQ(video->ConnectedTo(peer.put()), S_OK);
        com_ptr<IMediaSeeking> seeking = video.query<IMediaSeeking>();
        com_ptr<IReferenceClock> clock;
        EXPECT_EQ(source->GetSyncSource(clock.put()), S_OK);
        EXPECT_FALSE(clock);
    }
    EXPECT_EQ(RefCount(source.get()), baseline);
    EXPECT_EQ(graph.RefCount(), 1);
}

}  // namespace
}  // namespace wallcine::media
