// The manifest Quorvel.exe carries (resource 1 of type 24), read back by the
// system itself: an activation context made from the program file, and
// what the system then says it declares.
#include "win32/system_call.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <string>

namespace {

// Quorvel.exe is built beside the test programs. Wine names a program that
// lies outside every drive "unix\...", a path that opens as "\\?\unix\...".
std::string programPath() {
    char path[MAX_PATH] = {};
    std::string own(path, GetModuleFileNameA(nullptr, path, MAX_PATH));
    if (own.compare(0, 5, "unix\\") == 0) own.insert(0, "\\\\?\\");
    return own.substr(0, own.find_last_of("\\/") + 1) + "Quorvel.exe";
}

class ManifestTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::string path = programPath();
        ACTCTXA request = {};
        request.cbSize = sizeof request;
        request.dwFlags = ACTCTX_FLAG_RESOURCE_NAME_VALID;
        request.lpSource = path.c_str();
        request.lpResourceName = MAKEINTRESOURCEA(1);
        context = CreateActCtxA(&request);
        ASSERT_NE(context, INVALID_HANDLE_VALUE) << path << ": error " << GetLastError();
    }
    void TearDown() override {
        if (context != INVALID_HANDLE_VALUE) ReleaseActCtx(context);
    }

    // What the system answers for `what`, as bytes.
    std::string query(ULONG what, DWORD index = 0) {
        char answer[4096] = {};
        SIZE_T length = 0;
        DWORD subInstance = index;
        if (!QueryActCtxW(0, context, index ? &subInstance : nullptr, what, answer, sizeof answer, &length))
            return std::string();
        return std::string(answer, length);
    }

    HANDLE context = INVALID_HANDLE_VALUE;
};

TEST_F(ManifestTest, RunsAsItsInvokerWithoutUiAccess) {
    std::string answer = query(RunlevelInformationInActivationContext);
    ASSERT_EQ(answer.size(), sizeof(ACTIVATION_CONTEXT_RUN_LEVEL_INFORMATION));
    auto runLevel = reinterpret_cast<const ACTIVATION_CONTEXT_RUN_LEVEL_INFORMATION*>(answer.data());
    EXPECT_EQ(runLevel->RunLevel, ACTCTX_RUN_LEVEL_AS_INVOKER);
    EXPECT_EQ(runLevel->UiAccess, 0u);
}

// Vista, 7, 8, 8.1 and 10 (which 11 shares), each once. The answer's
// layout has grown between Windows versions: each id is looked for in it.
TEST_F(ManifestTest, SupportsVistaToWindows11) {
    const GUID systems[] = {
        {0xe2011457, 0x1546, 0x43c5, {0xa5, 0xfe, 0x00, 0x8d, 0xee, 0xe3, 0xd3, 0xf0}},
        {0x35138b9a, 0x5d96, 0x4fbd, {0x8e, 0x2d, 0xa2, 0x44, 0x02, 0x25, 0xf9, 0x3a}},
        {0x4a2f28e3, 0x53b9, 0x4441, {0xba, 0x9c, 0xd6, 0x9d, 0x4a, 0x4a, 0x6e, 0x38}},
        {0x1f676c76, 0x80e1, 0x4239, {0x95, 0xbb, 0x83, 0xd0, 0xf6, 0xd0, 0xda, 0x78}},
        {0x8e0f7a12, 0xbfb3, 0x4fe8, {0xb9, 0xa5, 0x48, 0xfd, 0x50, 0xa1, 0x5a, 0x9a}},
    };
    std::string answer = query(CompatibilityInformationInActivationContext);
    ASSERT_GE(answer.size(), sizeof(DWORD));
    EXPECT_EQ(*reinterpret_cast<const DWORD*>(answer.data()), 5u);
    for (const GUID& system : systems) {
        std::string id(reinterpret_cast<const char*>(&system), sizeof system);
        EXPECT_NE(answer.find(id), std::string::npos) << std::hex << system.Data1;
    }
}

// The first assembly after the program's own: Common Controls 6, found.
TEST_F(ManifestTest, DependsOnCommonControls6) {
    // Asked for first: Wine faults on an assembly index beyond the count.
    std::string context = query(ActivationContextDetailedInformation);
    ASSERT_GE(context.size(), sizeof(ACTIVATION_CONTEXT_DETAILED_INFORMATION));
    ASSERT_EQ(reinterpret_cast<const ACTIVATION_CONTEXT_DETAILED_INFORMATION*>(context.data())->ulAssemblyCount, 2u);
    std::string answer = query(AssemblyDetailedInformationInActivationContext, 2);
    ASSERT_GE(answer.size(), sizeof(ACTIVATION_CONTEXT_ASSEMBLY_DETAILED_INFORMATION));
    auto assembly = reinterpret_cast<const ACTIVATION_CONTEXT_ASSEMBLY_DETAILED_INFORMATION*>(answer.data());
    ASSERT_TRUE(assembly->lpAssemblyEncodedAssemblyIdentity);
    std::wstring identity = assembly->lpAssemblyEncodedAssemblyIdentity;
    for (const wchar_t* part : {L"Microsoft.Windows.Common-Controls,", L"publicKeyToken=\"6595b64144ccf1df\"",
                                L"version=\"6.0."})
        EXPECT_NE(identity.find(part), std::wstring::npos) << part;
}

TEST_F(ManifestTest, DrawsForTheSystemsDpi) {
    // Not in every import library: kernel32 has it from Windows 7 on.
    using QuerySettings = BOOL(WINAPI*)(DWORD, HANDLE, LPCWSTR, LPCWSTR, LPWSTR, SIZE_T, SIZE_T*);
    auto querySettings = systemCall<QuerySettings>("kernel32.dll", "QueryActCtxSettingsW");
    ASSERT_TRUE(querySettings);
    WCHAR value[32] = {};
    SIZE_T length = 0;
    ASSERT_TRUE(querySettings(0, context, L"http://schemas.microsoft.com/SMI/2005/WindowsSettings", L"dpiAware",
                              value, 32, &length));
    EXPECT_EQ(std::wstring(value), L"true");
}

}  // namespace
