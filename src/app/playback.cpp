#include "app/playback.h"

#include <exception>
#include <string_view>
#include <utility>

#include "app/playback_state.h"
#include "core/errors.h"
#include "media/directshow_error.h"
#include "win/code_page.h"
#include "win/scope_exit.h"

namespace wallcine::app {

void CheckItemName(const std::string& path) {
    // An empty playlist row names nothing; the media layer would only say "path not found".
    if (path.empty()) throw Exception("A playlist row is empty: it names no file to play.");
    // No file name holds '?' or '*'. A name with characters outside the system's code page
    // arrives that way through the ANSI calls (the command line, the file dialogs), and opening
    // it would at best fail with "not found", at worst open another file: say what is wrong.
    const std::string_view name = std::string_view(path).starts_with("\\\\?\\") ? std::string_view(path).substr(4)
                                                                                 : std::string_view(path);
    if (name.find_first_of("?*") == std::string_view::npos) return;
    throw Exception(Format("Cannot open \"%s\": its name holds characters outside this system's code page (ANSI), "
                           "which Wallcine cannot name. Rename the file or its folder with characters of that code page.",
                           path.c_str()));
}

Playback::StartScope::StartScope(Playback& playback) : playback_(playback) {
    playback_.activity_ = Activity::kStarting;
    playback_.tick_.SetEnabled(false);
    try {
        playback_.StopOutgoingItem();
    } catch (const std::exception&) {
        // A graph that will not stop is replaced all the same: Load starts with a fresh one.
    }
}

Playback::StartScope::~StartScope() {
    PlayNextPending = 0;
    playback_.activity_ = Activity::kIdle;
    if (started_) playback_.tick_.SetEnabled(true);
    if (playback_.OnIdle) playback_.OnIdle();
}

void Playback::StartScope::Load(const std::string& path) {
    started_ = false;
    try {
        CheckItemName(path);
        playback_.StartFreshGraph();
        CurrentFile = path;
        playback_.RenderCurrentFile();
        if (playback_.OnRendered) playback_.OnRendered();
        // The new range may have clamped a slider the user left beyond the new item's end, and
        // the clamp seeks there: the item still starts from its beginning. Rewound before it runs:
        // under Wine 8 a graph seeked while running (with sound) never returns from its next Stop.
        SeekTo(0);
        playback_.graph_.Play();
        playback_.graph_.SetVolume(VolumeLevel);
    } catch (...) {
        playback_.Abandon();
        throw;
    }
    started_ = true;
    if (playback_.OnStarted) playback_.OnStarted();
}

void Playback::Replace(const std::string& path) {
    StartScope start(*this);
    start.Load(path);
}

void Playback::StartFirst(const std::string& path) {
    activity_ = Activity::kStarting;
    const win::scope_exit idle_again([this] { activity_ = Activity::kIdle; });
    CheckItemName(path);
    StartFreshGraph();
    CurrentFile = path;
    RenderCurrentFile();
    graph_.Play();
}

void Playback::StopOutgoingItem() {
    // Stopped first: under Wine 8 a graph that was seeked while running (with its sound going to
    // an audio device) never returns from the Stop that follows.
    graph_.Stop();
    SeekTo(CurDuration);
}

void Playback::Abandon() noexcept {
    MediaPosition.reset();
    try {
        graph_.ResetGraph();
    } catch (const std::exception&) {
        // A graph that failed to start may fail to stop as well; it is stripped all the same.
    }
}

void Playback::StartFreshGraph() {
    // Released first, so the old graph goes with its deactivation, not at the next render.
    MediaPosition.reset();
    graph_.ResetGraph();
    graph_.SetActive(false);
    graph_.SetActive(true);
}

void Playback::RenderCurrentFile() {
    MediaPosition.reset();
    graph_.RenderFile(win::AnsiToWide(CurrentFile));
    auto position = graph_.Query<IMediaPosition>();
    if (!position) throw Exception("Interface not supported");
    MediaPosition = std::move(position);
}

}  // namespace wallcine::app
