#include "app/playback_state.h"

namespace wallcine::app {

std::string CurrentFile;
win::com_ptr<IMediaPosition> MediaPosition;
double CurPosition = 0;
double CurDuration = 0;
LONG VolumeLevel = 10000;
bool IsPlaying = false;
LONG PlayNextPending = 0;
std::uint32_t TickCounter = 0;

void ResetPlaybackState() noexcept {
    CurrentFile.clear();
    MediaPosition.reset();
    CurPosition = 0;
    CurDuration = 0;
    VolumeLevel = 10000;
    IsPlaying = false;
    PlayNextPending = 0;
    TickCounter = 0;
}

void ReadPosition() {
    REFTIME value = 0;
    if (MediaPosition && SUCCEEDED(MediaPosition->get_CurrentPosition(&value))) CurPosition = value;
}

void ReadDuration() {
    REFTIME value = 0;
    if (MediaPosition && SUCCEEDED(MediaPosition->get_Duration(&value))) CurDuration = value;
}

void SeekTo(double seconds) {
    if (MediaPosition) MediaPosition->put_CurrentPosition(seconds);
}

}  // namespace wallcine::app
