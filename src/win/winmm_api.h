// The five winmm timer calls as a table of function pointers: the system's by default,
// a fake table in tests. The multimedia timer component is given the table it uses.
#pragma once

#include <windows.h>
#include <mmsystem.h>

namespace wallcine::win {

struct WinmmApi {
    MMRESULT(WINAPI* timeGetDevCaps)(LPTIMECAPS caps, UINT size);
    MMRESULT(WINAPI* timeBeginPeriod)(UINT period);
    MMRESULT(WINAPI* timeEndPeriod)(UINT period);
    MMRESULT(WINAPI* timeSetEvent)(UINT delay, UINT resolution, LPTIMECALLBACK callback, DWORD_PTR user,
                                   UINT flags);
    MMRESULT(WINAPI* timeKillEvent)(UINT timer_id);
};

const WinmmApi& SystemWinmm();

}  // namespace wallcine::win
