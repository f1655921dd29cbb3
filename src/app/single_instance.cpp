#include "app/single_instance.h"

namespace wallcine::app {

namespace {

constexpr char kInstanceMutex[] = "Local\\Wallcine.Instance";
// The running instance's main window is found by its class and caption.
constexpr char kMainClass[] = "TForm1";
constexpr char kMainCaption[] = "Wallcine";
// How long a second start waits for the first one's main window (it may be starting too).
constexpr DWORD kWaitForMainWindowMs = 5000;

}  // namespace

SingleInstance::SingleInstance() : mutex_(::CreateMutexA(nullptr, FALSE, kInstanceMutex)) {
    first_ = mutex_ && ::GetLastError() != ERROR_ALREADY_EXISTS;
}

bool HandOverToRunningInstance(const std::string& argument) {
    const DWORD start = ::GetTickCount();
    for (;;) {
        if (HWND main = ::FindWindowA(kMainClass, kMainCaption)) {
            // The running instance may bring its playing control to the front.
            DWORD owner = 0;
            ::GetWindowThreadProcessId(main, &owner);
            ::AllowSetForegroundWindow(owner);
            COPYDATASTRUCT data{kHandOverTag, static_cast<DWORD>(argument.size()),
                                const_cast<char*>(argument.data())};
            DWORD_PTR answer = 0;
            if (::SendMessageTimeoutA(main, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&data), SMTO_ABORTIFHUNG, 5000,
                                      &answer) &&
                answer == TRUE)
                return true;
        }
        if (::GetTickCount() - start > kWaitForMainWindowMs) return false;
        ::Sleep(50);
    }
}

std::optional<std::string> HandedOverArgument(const COPYDATASTRUCT& data) {
    if (data.dwData != kHandOverTag || (data.cbData > 0 && !data.lpData)) return std::nullopt;
    return std::string(static_cast<const char*>(data.lpData), data.cbData);
}

}  // namespace wallcine::app
