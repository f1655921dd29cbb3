// The restore journal against the desktop-services recorder: what desktop mode writes down before
// it changes the user's desktop, what a start after a crash does with good and bad records, and
// the takeover that writes and removes it.
#include <gtest/gtest.h>

#include <windows.h>

#include <optional>
#include <string>
#include <tuple>
#include <vector>

#include "fakes/desktop_services_recorder.h"
#include "video/desktop_takeover.h"
#include "video/restore_journal.h"
#include "win/desktop_services.h"

namespace wallcine::video {
namespace {

using win::RegistryValue;

const std::string kJournal = "HKCU\\Software\\Wallcine\\Restore";
const std::string kSetAside = "HKCU\\Software\\Wallcine\\Restore.SetAside";
const std::string kDesktop = "HKCU\\Control Panel\\Desktop";
constexpr COLORREF kKeyColour = RGB(16, 0, 16);
constexpr COLORREF kUsersColour = RGB(0, 78, 152);

class RestoreJournalTest : public ::testing::Test {
protected:
    RestoreJournalTest() {
        desktop.keys.insert(kDesktop);
        desktop.values[{kDesktop, "WallPaper"}] = RegistryValue::String("C:\\sunset.bmp");
        desktop.colors[COLOR_BACKGROUND] = kUsersColour;
    }
    void Journal(const std::string& name, const RegistryValue& value) {
        desktop.keys.insert(kJournal);
        desktop.values[{kJournal, name}] = value;
    }
    std::string Wallpaper() { return desktop.values[{kDesktop, "WallPaper"}].AsString(); }
    bool JournalThere() const { return desktop.keys.contains(kJournal); }

    test::DesktopServicesRecorder desktop;
    win::ScopedDesktopServices use_recorder{desktop};
};

TEST_F(RestoreJournalTest, TakingWritesTheJournalFirstAndGivingBackRemovesIt) {
    DesktopTakeover takeover;
    ASSERT_TRUE(takeover.Take(kKeyColour));
    EXPECT_EQ(Wallpaper(), "");
    EXPECT_EQ(desktop.colors[COLOR_BACKGROUND], kKeyColour);
    const JournalReading reading = ReadRestoreJournal(desktop);
    ASSERT_EQ(reading.state, JournalReading::State::kReadable);
    EXPECT_EQ(reading.originals, (DesktopOriginals{true, "C:\\sunset.bmp", kUsersColour}));

    takeover.GiveBack();
    EXPECT_EQ(Wallpaper(), "C:\\sunset.bmp");
    EXPECT_EQ(desktop.colors[COLOR_BACKGROUND], kUsersColour);
    EXPECT_FALSE(JournalThere());
}

TEST_F(RestoreJournalTest, ATakeoverGoneWithoutGivingBackGivesBackInItsDestructor) {
    {
        DesktopTakeover takeover;
        takeover.Take(std::nullopt);
        EXPECT_EQ(Wallpaper(), "");
    }
    EXPECT_EQ(Wallpaper(), "C:\\sunset.bmp");
    EXPECT_FALSE(JournalThere());
}

TEST_F(RestoreJournalTest, WithoutAJournalNothingOnTheDesktopChanges) {
    desktop.set_value_result = ERROR_ACCESS_DENIED;
    DesktopTakeover takeover;
    EXPECT_FALSE(takeover.Take(kKeyColour));
    EXPECT_FALSE(takeover.Taken());
    desktop.set_value_result = ERROR_SUCCESS;
    EXPECT_EQ(Wallpaper(), "C:\\sunset.bmp");
    EXPECT_EQ(desktop.colors[COLOR_BACKGROUND], kUsersColour);
}

// A run killed in desktop mode left the wallpaper empty and the desktop in the key's colour: the
// next start finds the journal and puts the user's values back.
TEST_F(RestoreJournalTest, GoodRecordsAreRestoredAndRemoved) {
    struct Case {
        const char* name;
        DesktopOriginals originals;
        std::string wallpaper_after;
        COLORREF colour_after;
    };
    const Case cases[] = {
        {"wallpaper and colour", {true, "C:\\sunset.bmp", kUsersColour}, "C:\\sunset.bmp", kUsersColour},
        {"the colour left alone", {true, "C:\\sunset.bmp", std::nullopt}, "C:\\sunset.bmp", kKeyColour},
        {"an empty wallpaper is the user's too", {true, "", kUsersColour}, "", kUsersColour},
        {"no wallpaper value: none is made", {false, "", kUsersColour}, "(none)", kUsersColour},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        desktop.values[{kDesktop, "WallPaper"}] = RegistryValue::String("");
        if (!c.originals.wallpaper_existed) desktop.values.erase({kDesktop, "WallPaper"});
        desktop.colors[COLOR_BACKGROUND] = kKeyColour;
        ASSERT_TRUE(WriteRestoreJournal(desktop, c.originals));

        EXPECT_EQ(RestoreAfterCrash(desktop), CrashRestore::kRestored);
        const auto wallpaper = desktop.values.find({kDesktop, "WallPaper"});
        EXPECT_EQ(wallpaper == desktop.values.end() ? "(none)" : wallpaper->second.AsString(), c.wallpaper_after);
        EXPECT_EQ(desktop.colors[COLOR_BACKGROUND], c.colour_after);
        EXPECT_FALSE(JournalThere());
        EXPECT_EQ(RestoreAfterCrash(desktop), CrashRestore::kNothing) << "restored once";
    }
}

// A record that cannot be read is never applied (the user's settings are not overwritten with
// garbage): it is set aside with a note, and the program goes on.
TEST_F(RestoreJournalTest, BadRecordsAreSetAsideAndNeverApplied) {
    const RegistryValue good_wallpaper = RegistryValue::String("C:\\old.bmp");
    const RegistryValue yes = RegistryValue::Dword(1);
    struct Case {
        const char* name;
        std::vector<std::pair<std::string, RegistryValue>> values;
        const char* problem;
    };
    const Case cases[] = {
        {"cut short: no completion mark", {{"WallPaper", good_wallpaper}, {"WallPaperExisted", yes}}, "cut short"},
        {"completion mark of 0", {{"WallPaper", good_wallpaper}, {"WallPaperExisted", yes}, {"Complete", RegistryValue::Dword(0)}}, "cut short"},
        {"completion mark as text", {{"WallPaper", good_wallpaper}, {"WallPaperExisted", yes}, {"Complete", RegistryValue::String("1")}}, "cut short"},
        {"wallpaper missing", {{"WallPaperExisted", yes}, {"Complete", yes}}, "wallpaper"},
        {"wallpaper as a number", {{"WallPaper", RegistryValue::Dword(7)}, {"WallPaperExisted", yes}, {"Complete", yes}}, "wallpaper"},
        {"wallpaper as binary garbage", {{"WallPaper", RegistryValue{REG_BINARY, std::string("\x01\xFF\x00\x7F", 4)}}, {"WallPaperExisted", yes}, {"Complete", yes}}, "wallpaper"},
        {"wallpaper text with a NUL inside", {{"WallPaper", RegistryValue{REG_SZ, std::string("C:\\a\0garbage\0", 13)}}, {"WallPaperExisted", yes}, {"Complete", yes}}, "wallpaper"},
        {"wallpaper text without its NUL", {{"WallPaper", RegistryValue{REG_SZ, "C:\\half"}}, {"WallPaperExisted", yes}, {"Complete", yes}}, "wallpaper"},
        {"existed flag missing", {{"WallPaper", good_wallpaper}, {"Complete", yes}}, "existed"},
        {"existed flag of 7", {{"WallPaper", good_wallpaper}, {"WallPaperExisted", RegistryValue::Dword(7)}, {"Complete", yes}}, "existed"},
        {"colour as text", {{"WallPaper", good_wallpaper}, {"WallPaperExisted", yes}, {"DesktopColor", RegistryValue::String("red")}, {"Complete", yes}}, "colour"},
        {"colour out of RGB", {{"WallPaper", good_wallpaper}, {"WallPaperExisted", yes}, {"DesktopColor", RegistryValue::Dword(0x1FFFFFFF)}, {"Complete", yes}}, "colour"},
        {"colour of three bytes", {{"WallPaper", good_wallpaper}, {"WallPaperExisted", yes}, {"DesktopColor", RegistryValue{REG_DWORD, "abc"}}, {"Complete", yes}}, "colour"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        desktop.values[{kDesktop, "WallPaper"}] = RegistryValue::String("C:\\current.bmp");
        desktop.colors[COLOR_BACKGROUND] = kUsersColour;
        for (const auto& [name, value] : c.values) Journal(name, value);
        desktop.calls.clear();

        EXPECT_EQ(RestoreAfterCrash(desktop), CrashRestore::kSetAside);
        EXPECT_EQ(Wallpaper(), "C:\\current.bmp") << "nothing applied";
        EXPECT_EQ(desktop.colors[COLOR_BACKGROUND], kUsersColour);
        for (const auto& call : desktop.calls) EXPECT_FALSE(call.starts_with("SetSysColors")) << call;
        EXPECT_FALSE(JournalThere());
        const std::string note = desktop.values[{kSetAside, "Note"}].AsString();
        EXPECT_NE(note.find(c.problem), std::string::npos) << note;
        for (const auto& [name, value] : c.values) {
            const std::tuple<std::string, std::string> kept{kSetAside, name};
            EXPECT_EQ(desktop.values[kept].data, value.data) << name;
        }
        desktop.DeleteRegistryKey(HKEY_CURRENT_USER, "Software\\Wallcine\\Restore.SetAside");
    }
}

TEST_F(RestoreJournalTest, ARestoreThatIsRefusedKeepsTheJournalForTheNextStart) {
    ASSERT_TRUE(WriteRestoreJournal(desktop, {true, "C:\\sunset.bmp", kUsersColour}));
    desktop.set_value_result = ERROR_ACCESS_DENIED;
    EXPECT_EQ(RestoreAfterCrash(desktop), CrashRestore::kRestoreFailed);
    EXPECT_TRUE(JournalThere());
    desktop.set_value_result = ERROR_SUCCESS;
    EXPECT_EQ(RestoreAfterCrash(desktop), CrashRestore::kRestored);
    EXPECT_FALSE(JournalThere());
}

}  // namespace
}  // namespace wallcine::video
