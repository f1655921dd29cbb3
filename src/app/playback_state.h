// The playback state the four windows share: one instance each, touched on the GUI thread only
// (the 20 ms tick hands its work to the GUI thread, so no lock is needed).
#pragma once

#include <windows.h>
#include "win/dshow.h"

#include <cstdint>
#include <string>

#include "win/com_ptr.h"

namespace wallcine::app {

// Path of the item now in the graph, exactly as it was chosen; empty before the first item.
extern std::string CurrentFile;
// The graph's position interface, fetched afresh after every render; null when none.
extern win::com_ptr<IMediaPosition> MediaPosition;
// Position and duration of the current item in seconds, as last read.
extern double CurPosition;
extern double CurDuration;
// 0 (silence) .. 10000 (full); given to SetVolume whenever an item is (re)started.
extern LONG VolumeLevel;
// The play/pause button's state.
extern bool IsPlaying;
// 1 while a play-next request is on its way; a request carrying 1 is ignored.
extern LONG PlayNextPending;
// Ticks of the supervision loop so far (wraps).
extern std::uint32_t TickCounter;

// Back to the values at program start (the application's end, and tests).
void ResetPlaybackState() noexcept;

// Reads, seeks and queries through MediaPosition; every call is a no-op without one, and a
// failed read leaves the stored value as it was.
void ReadPosition();   // get_CurrentPosition into CurPosition
void ReadDuration();   // get_Duration into CurDuration
void SeekTo(double seconds);

}  // namespace wallcine::app
