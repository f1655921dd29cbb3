// Playback: the one way an item starts playing, whoever asks for it ("Load File", play-next, the
// playlist's double-click, the deletion of the playing row), with one failure policy; and the
// activity that keeps the main window's commands from running inside each other.
//
// Starting an item and closing the program both pump messages (the video window places the
// renderer's window through the queue; a message box runs a loop of its own), so a command can
// arrive in the middle of either. While Busy(), such a command is dropped or deferred by the
// window that receives it, never run inside the sequence.
//
// It owns no window and no graph: the main window lends it its graph and its supervision tick,
// and says through three callbacks what the windows show of a new item. GUI thread only.
#pragma once

#include <functional>
#include <string>

#include "media/filter_graph.h"
#include "timer/multimedia_timer.h"

namespace wallcine::app {

// Raises a clear error for a path no file can have: an empty one, or one whose characters the
// system's code page could not carry (they arrive as '?').
void CheckItemName(const std::string& path);

class Playback {
public:
    Playback(media::TFilterGraph& graph, TMultimediaTimer& tick) noexcept : graph_(graph), tick_(tick) {}
    Playback(const Playback&) = delete;
    Playback& operator=(const Playback&) = delete;

    // After the render, before the item plays: the position slider's range (a clamp may seek).
    std::function<void()> OnRendered;
    // Once the item plays: its title, the active filters list.
    std::function<void()> OnStarted;
    // A start has ended, however it ended: a command deferred meanwhile may run now.
    std::function<void()> OnIdle;

    bool Busy() const noexcept { return activity_ != Activity::kIdle; }
    bool Closing() const noexcept { return activity_ == Activity::kClosing; }

    // One start of an item in place of the one playing, from its first step to its last. Made,
    // it switches the tick off and stops the outgoing item; Load then starts an item (or fails).
    // On every way out PlayNextPending is 0 again, and the tick runs again only when an item
    // was started.
    class StartScope {
    public:
        explicit StartScope(Playback& playback);
        ~StartScope();
        StartScope(const StartScope&) = delete;
        StartScope& operator=(const StartScope&) = delete;

        // A fresh graph, `path` rendered as CurrentFile, the slider's range, a rewind, play and
        // the volume, then OnStarted. On failure the graph is left empty and without a position
        // interface, and the error goes on to the caller; Load may be tried again with another path.
        void Load(const std::string& path);
        bool Started() const noexcept { return started_; }

    private:
        Playback& playback_;
        bool started_ = false;
    };

    // Held while the program closes: every command that arrives meanwhile is dropped.
    class CloseScope {
    public:
        explicit CloseScope(Playback& playback) noexcept : playback_(playback) {
            playback_.activity_ = Activity::kClosing;
        }
        ~CloseScope() = default;  // closing is for good
        CloseScope(const CloseScope&) = delete;
        CloseScope& operator=(const CloseScope&) = delete;

    private:
        Playback& playback_;
    };

    // Starts `path` in place of the item playing (a StartScope and one Load).
    void Replace(const std::string& path);
    // The first item, at creation: a fresh graph, `path` rendered as CurrentFile, play. Nothing
    // plays before it, and the start-up timer starts the tick later.
    void StartFirst(const std::string& path);
    // Stops the graph, then seeks the outgoing item to its end (as last read by the tick).
    void StopOutgoingItem();
    // Stops the graph and strips it back to the video window's renderer: what a failed start
    // leaves, so no half-built graph of a file that cannot play lingers.
    void Abandon() noexcept;

private:
    enum class Activity { kIdle, kStarting, kClosing };

    // ResetGraph, then Active false and true: an empty, fresh graph with the video window's renderer.
    void StartFreshGraph();
    // RenderFile(CurrentFile), then MediaPosition from the graph; a graph without
    // IMediaPosition raises "Interface not supported".
    void RenderCurrentFile();

    media::TFilterGraph& graph_;
    TMultimediaTimer& tick_;
    Activity activity_ = Activity::kIdle;
};

}  // namespace wallcine::app
