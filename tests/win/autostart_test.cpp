// "Start with Windows": which Run values Wallcine rewrites with the item last opened, and which
// it leaves alone, against a recorder of the desktop services.
#include <gtest/gtest.h>

#include <optional>

#include "app/autostart.h"
#include "fakes/desktop_services_recorder.h"

namespace wallcine::app {
namespace {

using test::DesktopServicesRecorder;

constexpr char kExe[] = "C:\\Users\\ann\\AppData\\Local\\Programs\\Wallcine\\Wallcine.exe";
constexpr char kItem[] = "D:\\Videos\\Sea shore.wcl";
const std::string kRun = "HKCU\\Software\\Microsoft\\Windows\\CurrentVersion\\Run";
const std::string kRemembered = std::string("\"") + kExe + "\" \"" + kItem + "\"";

struct RunValueCase {
    const char* name;
    std::optional<win::RegistryValue> stored;  // the value "Wallcine" before the item is opened
    bool rewritten;
};

class RememberForNextSessionByRunValue : public ::testing::TestWithParam<RunValueCase> {};

TEST_P(RememberForNextSessionByRunValue, RewritesOnlyTheUsersChoiceForThisExe) {
    const RunValueCase& c = GetParam();
    DesktopServicesRecorder services;
    if (c.stored) {
        services.keys.insert(kRun);
        services.values[{kRun, "Wallcine"}] = *c.stored;
    }

    EXPECT_EQ(RememberForNextSession(services, kExe, kItem), c.rewritten);

    const auto value = services.values.find({kRun, "Wallcine"});
    if (c.rewritten) {
        ASSERT_NE(value, services.values.end());
        EXPECT_EQ(value->second.type, static_cast<DWORD>(REG_SZ));
        EXPECT_EQ(value->second.AsString(), kRemembered);
    } else if (c.stored) {
        EXPECT_EQ(value->second.data, c.stored->data) << "another program's or copy's value was changed";
    } else {
        EXPECT_EQ(value, services.values.end()) << "Wallcine added autostart the user did not ask for";
    }
}

std::string Quoted(const char* path) { return std::string("\"") + path + "\""; }

INSTANTIATE_TEST_SUITE_P(
    RunValues, RememberForNextSessionByRunValue,
    ::testing::Values(
        RunValueCase{"NotChosen", std::nullopt, false},
        RunValueCase{"AsInstalled", win::RegistryValue::String(Quoted(kExe)), true},
        RunValueCase{"EarlierItem", win::RegistryValue::String(Quoted(kExe) + " \"D:\\old.avi\""), true},
        RunValueCase{"OtherCase", win::RegistryValue::String("\"C:\\USERS\\ANN\\APPDATA\\LOCAL\\PROGRAMS\\WALLCINE\\"
                                                             "WALLCINE.EXE\""),
                     true},
        RunValueCase{"Unquoted", win::RegistryValue::String(std::string(kExe) + " D:\\old.avi"), true},
        RunValueCase{"AnotherCopy", win::RegistryValue::String("\"E:\\Portable\\Wallcine.exe\""), false},
        RunValueCase{"AnotherProgram", win::RegistryValue::String("\"C:\\Tools\\Wallcine-helper.exe\""), false},
        RunValueCase{"NotText", win::RegistryValue::Dword(1), false},
        RunValueCase{"AlreadyThisItem", win::RegistryValue::String(kRemembered), false}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ProgramOfCommand, ReadsTheProgramAsWindowsDoes) {
    struct Case {
        const char* command;
        const char* program;
    };
    for (const Case& c : {Case{"\"C:\\A B\\W.exe\" \"x y.avi\"", "C:\\A B\\W.exe"},
                          Case{"  \"C:\\W.exe\"", "C:\\W.exe"},
                          Case{"C:\\Program Files\\W.EXE D:\\a.avi", "C:\\Program Files\\W.EXE"},
                          Case{"C:\\W.exe", "C:\\W.exe"},
                          Case{"C:\\W.exec.exe arg", "C:\\W.exec.exe"},
                          Case{"W arg", "W"},
                          Case{"\"unterminated", ""},
                          Case{"", ""}})
        EXPECT_EQ(ProgramOfCommand(c.command), c.program) << c.command;
}

}  // namespace
}  // namespace wallcine::app
