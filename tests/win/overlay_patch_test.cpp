// Start-up's overlay switch against a recorder of the desktop services: which Windows versions
// touch the registry, what is written, and when the user is told to restart.
#include <gtest/gtest.h>

#include <optional>

#include "app/overlay_patch.h"
#include "fakes/desktop_services_recorder.h"

namespace wallcine::app {
namespace {

using test::DesktopServicesRecorder;

constexpr char kExe[] = "C:\\Program Files\\Wallcine\\Wallcine.exe";
const std::string kShimKey = "HKCU\\Software\\Microsoft\\Direct3D\\Shims\\EnableOverlays";

DWORD Version(unsigned major, unsigned minor) { return 0x23F00000u | (minor << 8) | major; }

struct VersionCase {
    const char* name;
    unsigned major, minor;
    std::optional<win::RegistryValue> stored;  // the value under the exe's path before start
    OverlayPatchOutcome expected;
};

class OverlayPatchByVersion : public ::testing::TestWithParam<VersionCase> {};

TEST_P(OverlayPatchByVersion, WritesTheSwitchOnlyWhereItIsNeededAndOff) {
    const VersionCase& c = GetParam();
    DesktopServicesRecorder services;
    services.version = Version(c.major, c.minor);
    if (c.stored) {
        services.keys.insert(kShimKey);
        services.values[{kShimKey, kExe}] = *c.stored;
    }

    EXPECT_EQ(ApplyOverlayPatch(services, kExe), c.expected);

    const auto value = services.values.find({kShimKey, kExe});
    switch (c.expected) {
    case OverlayPatchOutcome::NotNeeded:
        // Not even a key is opened on other versions.
        EXPECT_EQ(services.calls, std::vector<std::string>{"GetVersion"});
        break;
    case OverlayPatchOutcome::AlreadyEnabled:
        EXPECT_EQ(services.calls, (std::vector<std::string>{"GetVersion", "CreateRegistryKey " + kShimKey,
                                                             "QueryRegistryValue " + kShimKey + " [" + kExe + "]"}));
        break;
    case OverlayPatchOutcome::WrittenRestart:
        EXPECT_EQ(services.calls,
                  (std::vector<std::string>{
                      "GetVersion", "CreateRegistryKey " + kShimKey,
                      "QueryRegistryValue " + kShimKey + " [" + kExe + "]",
                      "SetRegistryValue " + kShimKey + " [" + kExe + "] type 4",
                      "MessageBoxA null [Windows 8 Overlay registry patch completed. You should restart the program "
                      "for changes to take effect.] [Wallcine - Windows 8 Warning] 48"}));
        ASSERT_NE(value, services.values.end());
        EXPECT_TRUE(value->second.IsDword());
        EXPECT_EQ(value->second.AsDword(), 1u);
        break;
    case OverlayPatchOutcome::CouldNotWrite:
        FAIL() << "not a version case";
    }
}

const win::RegistryValue kOne = win::RegistryValue::Dword(1);
const win::RegistryValue kZero = win::RegistryValue::Dword(0);
const win::RegistryValue kTwo = win::RegistryValue::Dword(2);
// A value of the right name but the wrong type: the switch is not on, so it is rewritten.
const win::RegistryValue kTextOne = win::RegistryValue::String("1");

INSTANTIATE_TEST_SUITE_P(
    Versions, OverlayPatchByVersion,
    ::testing::Values(VersionCase{"XP", 5, 1, std::nullopt, OverlayPatchOutcome::NotNeeded},
                      VersionCase{"Vista", 6, 0, std::nullopt, OverlayPatchOutcome::NotNeeded},
                      VersionCase{"Seven", 6, 1, kZero, OverlayPatchOutcome::NotNeeded},
                      VersionCase{"Eight_On", 6, 2, kOne, OverlayPatchOutcome::AlreadyEnabled},
                      VersionCase{"Eight_Off", 6, 2, kZero, OverlayPatchOutcome::WrittenRestart},
                      VersionCase{"Eight_Missing", 6, 2, std::nullopt, OverlayPatchOutcome::WrittenRestart},
                      VersionCase{"EightOne_On", 6, 3, kOne, OverlayPatchOutcome::AlreadyEnabled},
                      VersionCase{"EightOne_Two", 6, 3, kTwo, OverlayPatchOutcome::WrittenRestart},
                      VersionCase{"EightOne_Missing", 6, 3, std::nullopt, OverlayPatchOutcome::WrittenRestart},
                      VersionCase{"EightOne_TextOne", 6, 3, kTextOne, OverlayPatchOutcome::WrittenRestart},
                      VersionCase{"Seven_X", 7, 0, std::nullopt, OverlayPatchOutcome::NotNeeded},
                      // Windows 10 and 11 as the manifest lets them report: 10.0, switch untouched.
                      VersionCase{"Ten", 10, 0, std::nullopt, OverlayPatchOutcome::NotNeeded},
                      VersionCase{"Ten_SwitchOff", 10, 0, kZero, OverlayPatchOutcome::NotNeeded}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(OverlayPatch, SecondStartAfterThePatchProceeds) {
    DesktopServicesRecorder services;
    services.version = Version(6, 2);
    ASSERT_EQ(ApplyOverlayPatch(services, kExe), OverlayPatchOutcome::WrittenRestart);
    EXPECT_EQ(ApplyOverlayPatch(services, kExe), OverlayPatchOutcome::AlreadyEnabled);
    // A moved executable is another program to the switch.
    EXPECT_EQ(ApplyOverlayPatch(services, "D:\\Elsewhere\\Wallcine.exe"), OverlayPatchOutcome::WrittenRestart);
}

TEST(OverlayPatch, FailuresStartAnywayWithoutClaimingSuccess) {
    for (const bool key_fails : {true, false}) {
        SCOPED_TRACE(key_fails ? "key cannot be opened" : "value cannot be written");
        DesktopServicesRecorder services;
        services.version = Version(6, 3);
        (key_fails ? services.create_key_result : services.set_value_result) = ERROR_ACCESS_DENIED;

        EXPECT_EQ(ApplyOverlayPatch(services, kExe), OverlayPatchOutcome::CouldNotWrite);
        for (const std::string& call : services.calls) EXPECT_FALSE(call.starts_with("MessageBoxA")) << call;
    }
}

}  // namespace
}  // namespace wallcine::app
