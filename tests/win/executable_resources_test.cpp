// Wallcine.exe's compiled-in manifest and version record, read back from the built exe with
// the system's own calls: the activation context Windows makes from the manifest, and the
// version API Explorer's file properties use.
#include <gtest/gtest.h>

#include <windows.h>
#include <shellapi.h>

#include <cstring>
#include <string>
#include <vector>

#include "app/version.h"
#include "win/unique_handle.h"

namespace wallcine {
namespace {

// The exe of this build tree, as Wine sees it (compiled in by CMake).
const wchar_t kExe[] = WALLCINE_EXE_PATH;

struct ActivationContextTraits {
    using type = HANDLE;
    static HANDLE invalid() noexcept { return INVALID_HANDLE_VALUE; }
    static void close(HANDLE context) noexcept { ::ReleaseActCtx(context); }
};
using unique_actctx = win::unique_handle<ActivationContextTraits>;

// The activation context Windows builds for the exe when it starts.
unique_actctx ExeActivationContext() {
    ACTCTXW request{sizeof request};
    request.dwFlags = ACTCTX_FLAG_RESOURCE_NAME_VALID;
    request.lpSource = kExe;
    request.lpResourceName = MAKEINTRESOURCEW(1);  // CREATEPROCESS_MANIFEST_RESOURCE_ID
    return unique_actctx(::CreateActCtxW(&request));
}

template <class Info>
std::vector<BYTE> QueryContext(HANDLE context, ULONG info_class, DWORD index = 0) {
    SIZE_T needed = 0;
    ::QueryActCtxW(0, context, &index, info_class, nullptr, 0, &needed);
    std::vector<BYTE> buffer(needed < sizeof(Info) ? sizeof(Info) : needed);
    if (!::QueryActCtxW(0, context, &index, info_class, buffer.data(), buffer.size(), &needed)) buffer.clear();
    return buffer;
}

std::wstring Setting(HANDLE context, const wchar_t* name_space, const wchar_t* name) {
    wchar_t value[128] = {};
    SIZE_T written = 0;
    if (!::QueryActCtxSettingsW(0, context, name_space, name, value, std::size(value), &written)) return L"(none)";
    return value;
}

std::wstring GuidText(const GUID& guid) {
    wchar_t text[40] = {};
    ::StringFromGUID2(guid, text, static_cast<int>(std::size(text)));
    return text;
}

// The supportedOS entries of a CompatibilityInformationInActivationContext answer. Windows 10
// 1903 and later (and Wine) give each element a MaxVersionTested field too, which MinGW's
// declaration lacks: the element size follows from the answer's size.
std::vector<std::wstring> SupportedSystems(const std::vector<BYTE>& answer) {
    struct ElementWithMaxVersion {
        GUID id;
        ACTCTX_COMPATIBILITY_ELEMENT_TYPE type;
        ULONGLONG max_version_tested;
    };
    DWORD count = 0;
    std::memcpy(&count, answer.data(), sizeof count);
    const bool with_max_version = answer.size() == 8 + count * sizeof(ElementWithMaxVersion);
    const std::size_t first = with_max_version ? 8 : sizeof(DWORD);
    const std::size_t stride = with_max_version ? sizeof(ElementWithMaxVersion) : sizeof(COMPATIBILITY_CONTEXT_ELEMENT);
    std::vector<std::wstring> systems;
    for (DWORD i = 0; i < count && first + (i + 1) * stride <= answer.size(); ++i) {
        COMPATIBILITY_CONTEXT_ELEMENT element{};
        std::memcpy(&element, answer.data() + first + i * stride, sizeof element);
        if (element.Type == ACTCTX_COMPATIBILITY_ELEMENT_TYPE_OS) systems.push_back(GuidText(element.Id));
    }
    return systems;
}

TEST(ExecutableManifest, DeclaresWindows7To11DpiAwarenessAndCommonControls6) {
    const unique_actctx context = ExeActivationContext();
    ASSERT_TRUE(context) << "no manifest resource in the exe: error " << ::GetLastError();

    // supportedOS: without the Windows 10 entry Windows 10 and 11 report 6.2.
    const std::vector<BYTE> compatibility =
        QueryContext<ACTIVATION_CONTEXT_COMPATIBILITY_INFORMATION>(context.get(), CompatibilityInformationInActivationContext);
    ASSERT_FALSE(compatibility.empty()) << "error " << ::GetLastError();
    EXPECT_EQ(SupportedSystems(compatibility), (std::vector<std::wstring>{L"{35138B9A-5D96-4FBD-8E2D-A2440225F93A}",    // 7
                                                  L"{4A2F28E3-53B9-4441-BA9C-D69D4A4A6E38}",    // 8
                                                  L"{1F676C76-80E1-4239-95BB-83D0F6D0DA78}",    // 8.1
                                                  L"{8E0F7A12-BFB3-4FE8-B9A5-48FD50A15A9A}"}));  // 10 and 11

    EXPECT_EQ(Setting(context.get(), nullptr, L"dpiAware"), L"true/pm");
    EXPECT_EQ(Setting(context.get(), L"http://schemas.microsoft.com/SMI/2016/WindowsSettings", L"dpiAwareness"),
              L"PerMonitorV2, PerMonitor");

    // The exe's own assembly is the first; its dependencies follow.
    const std::vector<BYTE> detail =
        QueryContext<ACTIVATION_CONTEXT_DETAILED_INFORMATION>(context.get(), ActivationContextDetailedInformation);
    ASSERT_FALSE(detail.empty());
    const DWORD assemblies = reinterpret_cast<const ACTIVATION_CONTEXT_DETAILED_INFORMATION*>(detail.data())->ulAssemblyCount;
    std::vector<std::wstring> identities;
    for (DWORD index = 1; index <= assemblies; ++index) {
        const std::vector<BYTE> assembly = QueryContext<ACTIVATION_CONTEXT_ASSEMBLY_DETAILED_INFORMATION>(
            context.get(), AssemblyDetailedInformationInActivationContext, index);
        if (assembly.empty()) continue;
        const auto& a = *reinterpret_cast<const ACTIVATION_CONTEXT_ASSEMBLY_DETAILED_INFORMATION*>(assembly.data());
        if (a.lpAssemblyEncodedAssemblyIdentity) identities.emplace_back(a.lpAssemblyEncodedAssemblyIdentity);
    }
    ASSERT_GE(identities.size(), 2u);
    EXPECT_NE(identities[0].find(L"Wallcine"), std::wstring::npos) << identities[0].c_str();
    bool common_controls_6 = false;
    for (const std::wstring& identity : identities)
        if (identity.find(L"Microsoft.Windows.Common-Controls") != std::wstring::npos &&
            identity.find(L"version=\"6.") != std::wstring::npos)
            common_controls_6 = true;
    EXPECT_TRUE(common_controls_6);
}

std::wstring VersionString(const std::vector<BYTE>& record, const wchar_t* name) {
    void* value = nullptr;
    UINT length = 0;
    const std::wstring path = std::wstring(L"\\StringFileInfo\\040904b0\\") + name;
    if (!::VerQueryValueW(record.data(), path.c_str(), &value, &length) || length == 0) return L"(none)";
    return static_cast<const wchar_t*>(value);
}

std::wstring Wide(const char* text) { return std::wstring(text, text + std::char_traits<char>::length(text)); }

TEST(ExecutableVersionRecord, CarriesTheProjectVersionNameDescriptionAndCopyright) {
    const DWORD size = ::GetFileVersionInfoSizeW(kExe, nullptr);
    ASSERT_NE(size, 0u) << "no version record: error " << ::GetLastError();
    std::vector<BYTE> record(size);
    ASSERT_TRUE(::GetFileVersionInfoW(kExe, 0, size, record.data()));

    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    ASSERT_TRUE(::VerQueryValueW(record.data(), L"\\", reinterpret_cast<void**>(&fixed), &length));
    ASSERT_EQ(fixed->dwSignature, 0xFEEF04BDu);
    const DWORD high = MAKELONG(WALLCINE_VERSION_MINOR, WALLCINE_VERSION_MAJOR);
    const DWORD low = MAKELONG(0, WALLCINE_VERSION_PATCH);
    EXPECT_EQ(fixed->dwFileVersionMS, high);
    EXPECT_EQ(fixed->dwFileVersionLS, low);
    EXPECT_EQ(fixed->dwProductVersionMS, high);
    EXPECT_EQ(fixed->dwProductVersionLS, low);
    EXPECT_EQ(fixed->dwFileType, static_cast<DWORD>(VFT_APP));

    EXPECT_EQ(VersionString(record, L"ProductName"), L"Wallcine");
    EXPECT_EQ(VersionString(record, L"FileDescription"), L"Wallcine video wallpaper player");
    EXPECT_EQ(VersionString(record, L"ProductVersion"), Wide(WALLCINE_VERSION_TEXT));
    EXPECT_EQ(VersionString(record, L"FileVersion"), Wide(WALLCINE_VERSION_FULL));
    EXPECT_EQ(VersionString(record, L"OriginalFilename"), L"Wallcine.exe");
    EXPECT_EQ(VersionString(record, L"LegalCopyright").rfind(L"Copyright", 0), 0u);
}

TEST(ExecutableIcon, IsWhatExplorerTheShortcutAndTheUninstallEntryShow) {
    // They all show the exe's first icon (index 0).
    HICON large = nullptr;
    ASSERT_EQ(::ExtractIconExW(kExe, 0, &large, nullptr, 1), 1u) << "the exe has no icon";
    const win::unique_hicon icon(large);
    ICONINFO info{};
    EXPECT_TRUE(::GetIconInfo(icon.get(), &info));
    const win::unique_hbitmap colour(info.hbmColor), mask(info.hbmMask);
}

}  // namespace
}  // namespace wallcine
