#include "video/restore_journal.h"

#include "core/errors.h"

namespace wallcine::video {

namespace {

constexpr char kDesktopKey[] = "Control Panel\\Desktop";
constexpr char kWallpaperValue[] = "WallPaper";

constexpr char kJournalWallpaper[] = "WallPaper";
constexpr char kJournalWallpaperExisted[] = "WallPaperExisted";
constexpr char kJournalDesktopColor[] = "DesktopColor";
constexpr char kJournalComplete[] = "Complete";
constexpr char kSetAsideNote[] = "Note";

// A value of the journal: nothing when absent, with its type checked when present.
std::optional<win::RegistryValue> JournalValue(win::IDesktopServices& services, const char* name) {
    win::RegistryValue value;
    if (services.QueryRegistryValue(HKEY_CURRENT_USER, kRestoreJournalKey, name, value) != ERROR_SUCCESS)
        return std::nullopt;
    return value;
}

bool IsText(const win::RegistryValue& value) {
    // Our own strings are written with their NUL; one without it was not written by us whole.
    return value.type == REG_SZ && !value.data.empty() && value.data.back() == '\0' &&
           value.data.find('\0') == value.data.size() - 1;
}

JournalReading Unreadable(std::string problem) {
    JournalReading reading;
    reading.state = JournalReading::State::kUnreadable;
    reading.problem = std::move(problem);
    return reading;
}

}  // namespace

bool WriteRestoreJournal(win::IDesktopServices& services, const DesktopOriginals& originals) {
    // The old record goes first, so no value of it can be taken for one of this record.
    services.DeleteRegistryKey(HKEY_CURRENT_USER, kRestoreJournalKey);
    const auto set = [&services](const char* name, const win::RegistryValue& value) {
        return services.SetRegistryValue(HKEY_CURRENT_USER, kRestoreJournalKey, name, value) == ERROR_SUCCESS;
    };
    bool written = set(kJournalWallpaper, win::RegistryValue::String(originals.wallpaper)) &&
                   set(kJournalWallpaperExisted, win::RegistryValue::Dword(originals.wallpaper_existed ? 1 : 0));
    if (written && originals.desktop_color)
        written = set(kJournalDesktopColor, win::RegistryValue::Dword(*originals.desktop_color));
    // Last: a record without it was cut short.
    return written && set(kJournalComplete, win::RegistryValue::Dword(1));
}

JournalReading ReadRestoreJournal(win::IDesktopServices& services) {
    const auto complete = JournalValue(services, kJournalComplete);
    const auto wallpaper = JournalValue(services, kJournalWallpaper);
    const auto existed = JournalValue(services, kJournalWallpaperExisted);
    const auto color = JournalValue(services, kJournalDesktopColor);
    if (!complete && !wallpaper && !existed && !color) {
        // No value at all: no journal (an empty key is what a removal cut short leaves).
        return {};
    }
    if (!complete || !complete->IsDword() || complete->AsDword() != 1)
        return Unreadable("the record was cut short before it was complete");
    if (!wallpaper || !IsText(*wallpaper)) return Unreadable("the wallpaper value is missing or not text");
    if (!existed || !existed->IsDword() || existed->AsDword() > 1)
        return Unreadable("whether the wallpaper value existed is missing or not 0 or 1");
    if (color && (!color->IsDword() || (color->AsDword() & 0xFF000000u) != 0))
        return Unreadable("the desktop colour is not an RGB value");

    JournalReading reading;
    reading.state = JournalReading::State::kReadable;
    reading.originals.wallpaper = wallpaper->AsString();
    reading.originals.wallpaper_existed = existed->AsDword() == 1;
    if (color) reading.originals.desktop_color = color->AsDword();
    return reading;
}

void RemoveRestoreJournal(win::IDesktopServices& services) {
    services.DeleteRegistryKey(HKEY_CURRENT_USER, kRestoreJournalKey);
}

void SetRestoreJournalAside(win::IDesktopServices& services, const std::string& problem) {
    services.DeleteRegistryKey(HKEY_CURRENT_USER, kSetAsideJournalKey);
    for (const char* name : {kJournalWallpaper, kJournalWallpaperExisted, kJournalDesktopColor, kJournalComplete}) {
        if (const auto value = JournalValue(services, name))
            services.SetRegistryValue(HKEY_CURRENT_USER, kSetAsideJournalKey, name, *value);
    }
    SYSTEMTIME now{};
    ::GetLocalTime(&now);
    const std::string note = Format("Set aside by Wallcine on %04u-%02u-%02u %02u:%02u:%02u and not applied: %s.",
                                    now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute, now.wSecond,
                                    problem.c_str());
    services.SetRegistryValue(HKEY_CURRENT_USER, kSetAsideJournalKey, kSetAsideNote, win::RegistryValue::String(note));
    RemoveRestoreJournal(services);
}

bool ApplyDesktopOriginals(win::IDesktopServices& services, const DesktopOriginals& originals) {
    bool applied = true;
    if (originals.desktop_color) {
        const int element = COLOR_BACKGROUND;
        const COLORREF color = *originals.desktop_color;
        applied = services.SetSysColors(1, &element, &color) != FALSE;
    }
    // Only an existing value is rewritten; nothing is created where the user had nothing.
    if (originals.wallpaper_existed)
        applied = services.SetRegistryValue(HKEY_CURRENT_USER, kDesktopKey, kWallpaperValue,
                                             win::RegistryValue::String(originals.wallpaper)) == ERROR_SUCCESS &&
                  applied;
    // The system re-applies the wallpaper the registry now names and tells running programs.
    services.SystemParametersInfoA(SPI_SETDESKWALLPAPER, 0, nullptr, SPIF_SENDWININICHANGE);
    return applied;
}

CrashRestore RestoreAfterCrash(win::IDesktopServices& services) {
    const JournalReading reading = ReadRestoreJournal(services);
    switch (reading.state) {
    case JournalReading::State::kNone:
        return CrashRestore::kNothing;
    case JournalReading::State::kUnreadable:
        SetRestoreJournalAside(services, reading.problem);
        return CrashRestore::kSetAside;
    case JournalReading::State::kReadable:
        break;
    }
    // Kept when the restore did not go through: the next start tries again.
    if (!ApplyDesktopOriginals(services, reading.originals)) return CrashRestore::kRestoreFailed;
    RemoveRestoreJournal(services);
    return CrashRestore::kRestored;
}

}  // namespace wallcine::video
