#include "app/overlay_patch.h"

namespace wallcine::app {

bool NeedsOverlayPatch(DWORD version) {
    const unsigned major = version & 0xFF;
    const unsigned minor = (version >> 8) & 0xFF;
    return major == 6 && minor >= 2;
}

OverlayPatchOutcome ApplyOverlayPatch(win::IDesktopServices& services, const std::string& exe_path) {
    if (!NeedsOverlayPatch(services.GetVersion())) return OverlayPatchOutcome::NotNeeded;

    if (services.CreateRegistryKey(HKEY_CURRENT_USER, kOverlayShimKey) != ERROR_SUCCESS)
        return OverlayPatchOutcome::CouldNotWrite;

    win::RegistryValue current;
    if (services.QueryRegistryValue(HKEY_CURRENT_USER, kOverlayShimKey, exe_path, current) == ERROR_SUCCESS &&
        current.IsDword() && current.AsDword() == 1)
        return OverlayPatchOutcome::AlreadyEnabled;

    // Missing, another number, or not a DWORD at all: the switch is off, so write it. The
    // warning claims success, so it is shown only when the write really succeeded.
    if (services.SetRegistryValue(HKEY_CURRENT_USER, kOverlayShimKey, exe_path, win::RegistryValue::Dword(1)) !=
        ERROR_SUCCESS)
        return OverlayPatchOutcome::CouldNotWrite;

    services.MessageBoxA(nullptr, kOverlayPatchText, kOverlayPatchCaption, MB_OK | MB_ICONWARNING);
    return OverlayPatchOutcome::WrittenRestart;
}

}  // namespace wallcine::app
