#include "win/winmm_api.h"

namespace wallcine::win {

const WinmmApi& SystemWinmm() {
    static const WinmmApi api{::timeGetDevCaps, ::timeBeginPeriod, ::timeEndPeriod, ::timeSetEvent,
                              ::timeKillEvent};
    return api;
}

}  // namespace wallcine::win
