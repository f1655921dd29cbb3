// Wallcine's media source on Wine's real Media Foundation and DirectShow, with the clips
// scripts/make-test-clips makes. Wine's DirectShow could render most of these files itself
// (through GStreamer), so the tests add the source to the graph the way TFilterGraph::RenderFile
// does where DirectShow cannot (RenderWithOwnSource). The waits are bounded and generous: they
// catch playback that never gets there, not a slow machine.
#include <gtest/gtest.h>

#include <windows.h>

#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "media/filter_graph.h"
#include "media/mf_source_filter.h"
#include "media/own_source_render.h"
#include "real_graph.h"
#include "testsrc_picture.h"
#include "win/unique_handle.h"

namespace wallcine::media {
namespace {

using namespace wallcine::test;

// What RenderWithOwnSource answers when it cannot play a file: the failure DirectShow gave.
constexpr HRESULT kDirectShowError = VFW_E_UNSUPPORTED_STREAM;

// The renderer's current picture as a 32-bit DIB (IBasicVideo::GetCurrentImage).
class RendererImage {
public:
    explicit RendererImage(IBasicVideo& video) {
        // Wine refuses to say the size for a null buffer: one large enough for 32 bits a pixel.
        long width = 0, height = 0;
        if (FAILED(video.GetVideoSize(&width, &height)) || width <= 0 || height <= 0) return;
        long size = static_cast<long>(sizeof(BITMAPINFOHEADER)) + width * height * 4;
        bytes_.resize(static_cast<size_t>(size));
        if (FAILED(video.GetCurrentImage(&size, reinterpret_cast<long*>(bytes_.data())))) bytes_.clear();
    }
    bool Empty() const { return bytes_.size() < sizeof(BITMAPINFOHEADER); }
    const BITMAPINFOHEADER& Header() const { return *reinterpret_cast<const BITMAPINFOHEADER*>(bytes_.data()); }
    COLORREF PixelAt(int x, int y) const {
        const BITMAPINFOHEADER& header = Header();
        if (header.biBitCount != 32 || x < 0 || x >= header.biWidth || y < 0 || y >= std::abs(header.biHeight))
            return CLR_INVALID;
        const int row = header.biHeight > 0 ? header.biHeight - 1 - y : y;
        const BYTE* pixel = bytes_.data() + header.biSize + (static_cast<size_t>(row) * header.biWidth + x) * 4;
        return RGB(pixel[2], pixel[1], pixel[0]);
    }

private:
    std::vector<BYTE> bytes_;
};

class MediaSourceOnWine : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(SUCCEEDED(com_.result()));
        media_ = MediaFolder();
        ASSERT_FALSE(media_.empty()) << "WALLCINE_MEDIA is not set (ctest sets it to the clip folder)";
        client_ = new RendererClient;
        graph_.emplace();
        graph_->AddFilterClient(client_);
        graph_->AddEventClient(client_);
        graph_->SetActive(true);
        ASSERT_TRUE(graph_->Active());
    }

    void TearDown() override {
        graph_.reset();
        if (client_) {
            EXPECT_EQ(client_->References(), 1u);
            client_->Release();
        }
    }

    std::wstring Clip(const wchar_t* name) const { return media_ + name; }

    HRESULT RenderThroughOwnSource(const wchar_t* name) {
        return RenderWithOwnSource(*graph_->Graph(), Clip(name), kDirectShowError);
    }

    com_ptr<IBaseFilter> Source() const {
        com_ptr<IBaseFilter> source;
        graph_->Graph()->FindFilterByName(kMediaFoundationSourceName, source.put());
        return source;
    }

    // The filter downstream of the source's pin; empty when there is no such pin or it is not
    // connected.
    com_ptr<IBaseFilter> DownstreamOf(const wchar_t* pin_name) const {
        com_ptr<IBaseFilter> source = Source();
        com_ptr<IPin> pin, peer;
        if (!source || FAILED(source->FindPin(pin_name, pin.put())) || FAILED(pin->ConnectedTo(peer.put()))) return {};
        PIN_INFO info{};
        peer->QueryPinInfo(&info);
        return com_ptr<IBaseFilter>::attach(info.pFilter);
    }

    com_ptr<IMediaPosition> Position() { return graph_->Query<IMediaPosition>(); }

    REFTIME CurrentPosition() {
        REFTIME current = -1;
        if (auto position = Position()) position->get_CurrentPosition(&current);
        return current;
    }

    size_t Completions() const {
        size_t count = 0;
        for (const auto& e : client_->graph_events) count += e.code == EC_COMPLETE;
        return count;
    }

    // Runs the graph's messages until the clip has completed `count` times in all.
    bool PlayUntilCompletions(size_t count, DWORD timeout_ms = 10000) {
        return PumpUntil([&] { return Completions() >= count; }, timeout_ms);
    }

    // Pauses the graph and waits until its renderers hold a picture.
    void PauseAndSettle() {
        auto control = graph_->Query<IMediaControl>();
        ASSERT_TRUE(SUCCEEDED(control->Pause()));
        OAFilterState state = State_Stopped;
        ASSERT_EQ(control->GetState(5000, &state), S_OK);
        ASSERT_EQ(state, State_Paused);
    }

    // The picture the client's renderer shows has the clip's colours at their places. Wine's
    // renderer reports a paused graph complete again as soon as a seek's flush is over, before
    // the next picture has come: the picture is waited for.
    void ExpectTheClipsPicture(const char* when) {
        auto video = graph_->Query<IBasicVideo>();
        ASSERT_TRUE(video);
        std::optional<RendererImage> image;
        PumpUntil(
            [&] {
                image.emplace(*video);
                return !image->Empty();
            },
            5000);
        ASSERT_FALSE(image->Empty()) << when << ": the renderer has no picture";
        ASSERT_EQ(image->Header().biWidth, kTestsrcWidth);
        ASSERT_EQ(std::abs(image->Header().biHeight), kTestsrcHeight);
        std::string misses;
        for (const TestsrcColourPoint& point : kTestsrcColours) {
            const COLORREF shown = image->PixelAt(point.x, point.y);
            if (!NearColour(shown, point.colour))
                misses += " (" + std::to_string(point.x) + "," + std::to_string(point.y) + ") shows " + ColourText(shown) +
                          " for " + ColourText(point.colour) + ";";
        }
        EXPECT_TRUE(misses.empty()) << when << ":" << misses;
    }

    win::com_init_scope com_;
    std::wstring media_;
    RendererClient* client_ = nullptr;
    std::optional<TFilterGraph> graph_;
};

TEST_F(MediaSourceOnWine, PlaysAnMp4WithPictureAndSoundToItsEnd) {
    ASSERT_EQ(RenderThroughOwnSource(L"clip.mp4"), S_OK) << NamesOf(graph_->Graph());
    ASSERT_TRUE(Source());
    // The picture goes straight into the client's renderer, the sound into an audio renderer.
    EXPECT_TRUE(SameObject(DownstreamOf(L"Video").get(), client_->Renderer())) << NamesOf(graph_->Graph());
    com_ptr<IBaseFilter> sound = DownstreamOf(L"Audio");
    ASSERT_TRUE(sound) << NamesOf(graph_->Graph());
    EXPECT_TRUE(sound.try_query<IBasicAudio>()) << Narrow(NameOf(sound.get()));

    auto position = Position();
    ASSERT_TRUE(position);
    REFTIME duration = 0;
    ASSERT_EQ(position->get_Duration(&duration), S_OK);
    EXPECT_NEAR(duration, 2.0, 0.1);

    ASSERT_TRUE(graph_->Play());
    REFTIME current = 0;
    bool seen_between = false;
    const bool completed = PumpUntil(
        [&] {
            current = CurrentPosition();
            seen_between |= current > 0.2 && current < duration - 0.2;
            return Completions() > 0;
        },
        10000);
    EXPECT_TRUE(completed) << "no EC_COMPLETE; position " << current << " of " << duration;
    EXPECT_TRUE(seen_between) << "the position never stood inside the clip";
    EXPECT_GE(CurrentPosition(), duration - 0.2);
    for (const auto& e : client_->graph_events) EXPECT_EQ(e.thread, ::GetCurrentThreadId()) << "event " << e.code;
}

TEST_F(MediaSourceOnWine, ShowsThePictureTheRightWayUpWhereASeekWent) {
    ASSERT_EQ(RenderThroughOwnSource(L"clip.mp4"), S_OK);
    ASSERT_NO_FATAL_FAILURE(PauseAndSettle());
    ExpectTheClipsPicture("paused at the start");

    ASSERT_EQ(Position()->put_CurrentPosition(1.2), S_OK);
    ASSERT_NO_FATAL_FAILURE(PauseAndSettle());
    EXPECT_NEAR(CurrentPosition(), 1.2, 0.05);
    ExpectTheClipsPicture("paused after a seek");
}

TEST_F(MediaSourceOnWine, ASeekWhileRunningGoesOnFromThereToTheEnd) {
    ASSERT_EQ(RenderThroughOwnSource(L"clip.mp4"), S_OK);
    ASSERT_TRUE(graph_->Play());
    ASSERT_TRUE(PumpUntil([&] { return CurrentPosition() > 0.3; }, 5000));

    ASSERT_EQ(Position()->put_CurrentPosition(1.5), S_OK);
    const REFTIME after_seek = CurrentPosition();
    EXPECT_GE(after_seek, 1.5);
    EXPECT_LT(after_seek, 1.8);
    EXPECT_TRUE(PlayUntilCompletions(1)) << "position " << CurrentPosition();
    // Stopping after a seek while running returns (a graph that hangs here fails the test by time-out).
    EXPECT_TRUE(graph_->Stop());
}

// As Wallcine loops a single item: stop, rewind, play.
TEST_F(MediaSourceOnWine, LoopsByStopRewindAndPlay) {
    ASSERT_EQ(RenderThroughOwnSource(L"clip.mp4"), S_OK);
    ASSERT_TRUE(graph_->Play());
    ASSERT_TRUE(PlayUntilCompletions(1));
    for (size_t loop = 2; loop <= 3; ++loop) {
        SCOPED_TRACE("loop " + std::to_string(loop));
        ASSERT_TRUE(graph_->Stop());
        ASSERT_EQ(Position()->put_CurrentPosition(0), S_OK);
        ASSERT_TRUE(graph_->Play());
        EXPECT_LT(CurrentPosition(), 0.5) << "the loop did not start again from the beginning";
        ASSERT_TRUE(PlayUntilCompletions(loop));
        EXPECT_GE(CurrentPosition(), 1.8);
    }
}

// A playlist of an AVI (DirectShow's own parser) and an MP4 (the source), as Wallcine switches
// items: strip the graph back to the client's renderer, render the next one.
TEST_F(MediaSourceOnWine, APlaylistSwitchesBetweenDirectShowAndTheSource) {
    for (int round = 0; round < 2; ++round) {
        SCOPED_TRACE("round " + std::to_string(round));
        ASSERT_TRUE(SUCCEEDED(graph_->RenderFile(Clip(L"clip-1s.avi"))));
        EXPECT_FALSE(Source()) << "DirectShow renders AVI itself";
        ASSERT_TRUE(graph_->Play());
        ASSERT_TRUE(PlayUntilCompletions(Completions() + 1));
        graph_->ResetGraph();

        ASSERT_EQ(RenderThroughOwnSource(L"clip.mp4"), S_OK);
        EXPECT_TRUE(SameObject(DownstreamOf(L"Video").get(), client_->Renderer()));
        ASSERT_TRUE(graph_->Play());
        ASSERT_TRUE(PlayUntilCompletions(Completions() + 1));
        graph_->ResetGraph();
        const auto filters = FiltersOf(graph_->Graph());
        ASSERT_EQ(filters.size(), 1u) << NamesOf(graph_->Graph());
        EXPECT_TRUE(SameObject(filters[0].get(), client_->Renderer()));
    }
}

// --- Formats and bad input ------------------------------------------------------------------------

enum class Outcome { kPictureAndSound, kSoundOnly, kDirectShowError };

struct FormatCase {
    const char* label;
    const wchar_t* file;
    Outcome outcome;
};

void PrintTo(const FormatCase& c, std::ostream* out) { *out << c.label; }

class MediaSourceOnWineFormats : public MediaSourceOnWine, public ::testing::WithParamInterface<FormatCase> {};

// What Wine 8's Media Foundation here decodes (through GStreamer): the README's list of formats
// says the same.
TEST_P(MediaSourceOnWineFormats, RendersWhatTheReaderDecodesAndPlaysItToTheEnd) {
    const FormatCase& c = GetParam();
    const HRESULT rendered = RenderThroughOwnSource(c.file);
    if (c.outcome == Outcome::kDirectShowError) {
        EXPECT_EQ(rendered, kDirectShowError);
        EXPECT_FALSE(Source()) << "a source that cannot play stays out of the graph";
        EXPECT_EQ(FiltersOf(graph_->Graph()).size(), 1u) << NamesOf(graph_->Graph());
        return;
    }
    ASSERT_EQ(rendered, S_OK) << NamesOf(graph_->Graph());
    const bool picture = c.outcome == Outcome::kPictureAndSound;
    EXPECT_EQ(SameObject(DownstreamOf(L"Video").get(), client_->Renderer()), picture) << NamesOf(graph_->Graph());
    EXPECT_TRUE(DownstreamOf(L"Audio")) << NamesOf(graph_->Graph());
    REFTIME duration = 0;
    ASSERT_EQ(Position()->get_Duration(&duration), S_OK);
    EXPECT_NEAR(duration, 2.0, 0.1);
    ASSERT_TRUE(graph_->Play());
    EXPECT_TRUE(PlayUntilCompletions(1));
}

INSTANTIATE_TEST_SUITE_P(
    Wine8, MediaSourceOnWineFormats,
    ::testing::Values(FormatCase{"mp4_h264_aac", L"clip.mp4", Outcome::kPictureAndSound},
                      FormatCase{"m4v_h264_aac", L"clip.m4v", Outcome::kPictureAndSound},
                      FormatCase{"mov_h264_aac", L"clip.mov", Outcome::kPictureAndSound},
                      FormatCase{"mp4_hevc_aac", L"clip-hevc.mp4", Outcome::kPictureAndSound},
                      FormatCase{"mkv_h264_aac", L"clip-h264.mkv", Outcome::kPictureAndSound},
                      FormatCase{"webm_vp8_opus", L"clip-vp8.webm", Outcome::kPictureAndSound},
                      // No VP9 decoder behind Wine 8's reader: it refuses the whole file.
                      FormatCase{"webm_vp9_opus", L"clip-vp9.webm", Outcome::kDirectShowError},
                      FormatCase{"mkv_vp9_opus", L"clip-vp9.mkv", Outcome::kDirectShowError},
                      // No AV1 decoder either: the reader offers the sound alone.
                      FormatCase{"mkv_av1_opus", L"clip-av1.mkv", Outcome::kSoundOnly},
                      FormatCase{"mp4_sound_only", L"sound-only.mp4", Outcome::kSoundOnly},
                      FormatCase{"mp4_broken", L"broken.mp4", Outcome::kDirectShowError}),
    [](const auto& info) { return std::string(info.param.label); });

// An MP4 whose index promises more than the file holds: it plays what there is, and ends.
TEST_F(MediaSourceOnWine, AFileCutShortPlaysWhatItHoldsAndEnds) {
    ASSERT_TRUE(SUCCEEDED(RenderThroughOwnSource(L"cut-short.mp4"))) << NamesOf(graph_->Graph());
    ASSERT_TRUE(graph_->Play());
    EXPECT_TRUE(PlayUntilCompletions(1));
    EXPECT_TRUE(graph_->Stop());
}

}  // namespace
}  // namespace wallcine::media
