// The real selvaun.exe asked to start the real prompt from a folder every account may change,
// beside a planted DLL. Its ctest entry has Wine prefer the planted copy to its own, from the
// environment Wine starts with, as only there it counts.
#include <windows.h>
#include <sddl.h>
#include <aclapi.h>

#include <gtest/gtest.h>

#include <string>

#include "launcher_run.h"
#include "win_files.h"

namespace selvaun::e2e {
namespace {

// Gives `folder` the access list `sddl`, protected so that nothing is inherited from above.
bool SetAccess(const std::wstring& folder, const wchar_t* sddl) {
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (!::ConvertStringSecurityDescriptorToSecurityDescriptorW(sddl, SDDL_REVISION_1, &descriptor,
                                                                nullptr)) {
        return false;
    }
    BOOL present = FALSE;
    BOOL defaulted = FALSE;
    PACL dacl = nullptr;
    ::GetSecurityDescriptorDacl(descriptor, &present, &dacl, &defaulted);
    std::wstring name = folder;
    const DWORD error =
        ::SetNamedSecurityInfoW(name.data(), SE_FILE_OBJECT,
                                DACL_SECURITY_INFORMATION | PROTECTED_DACL_SECURITY_INFORMATION,
                                nullptr, nullptr, dacl, nullptr);
    ::LocalFree(descriptor);
    return error == ERROR_SUCCESS;
}

bool WaitFor(const std::wstring& path, DWORD timeoutMs) {
    for (DWORD waited = 0; !testsupport::Exists(path) && waited < timeoutMs; waited += 50) {
        ::Sleep(50);
    }
    return testsupport::Exists(path);
}

// uxtheme.dll is loaded by name while the system starts the prompt, before any line of its
// own runs: no hardening inside the prompt can refuse it, only the launcher's refusal to start
// a program from a folder that others may change. The control is the same folder closed to
// others: the launcher starts the prompt, and the planted DLL runs.
TEST(PlantedDll, InAFolderOthersMayChangeNeverRunsThroughTheLauncher) {
    testsupport::TempDirectory logDir(L"selvaun-log");
    testsupport::TempDirectory base(L"selvaun-open");
    const Planted folder(base / L"agent");  // ends the prompt that the control starts
    ASSERT_TRUE(::CreateDirectoryW(folder.path().c_str(), nullptr));
    const std::wstring prompt = folder.path() + L"\\plimsay.exe";
    const std::wstring here = testsupport::ModuleDirectory();
    ASSERT_TRUE(::CopyFileW((here + L"plimsay.exe").c_str(), prompt.c_str(), FALSE));
    ASSERT_TRUE(::CopyFileW((here + L"planted.dll").c_str(),
                            (folder.path() + L"\\uxtheme.dll").c_str(), FALSE));
    const std::wstring marker = folder.path() + L"\\uxtheme.dll.ran";
    const std::wstring log = logDir / L"selvaun.log";
    const ScopedVariable logVariable(L"SELVAUN_LOG", log);

    ASSERT_TRUE(SetAccess(folder.path(), L"D:P(A;OICI;FA;;;WD)"));
    const LauncherResult refused = RunLauncher(QuoteArgument(prompt));
    EXPECT_EQ(refused.exitCode, 0xFFFFFFFFu);
    EXPECT_EQ(refused.out + refused.err, "");
    EXPECT_FALSE(WaitFor(marker, 2000)) << "the planted DLL ran";
    EXPECT_EQ(EndProcessesOf(prompt), 0) << "the prompt was started";
    const std::string written = testsupport::ReadBytes(log).value_or("");
    EXPECT_NE(written.find("refused \"" + Utf8(prompt) +
                           "\": Everyone (S-1-1-0) may change its "
                           "folder \"" +
                           Utf8(folder.path()) + "\""),
              std::string::npos)
        << written;

    ASSERT_TRUE(SetAccess(folder.path(), L"D:P(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)"));
    const LauncherResult started = RunLauncher(QuoteArgument(prompt));
    EXPECT_EQ(started.exitCode, 0u) << testsupport::ReadBytes(log).value_or("");
    EXPECT_TRUE(WaitFor(marker, 15000))
        << "the planted DLL did not run: the test proves nothing unless Wine prefers it "
           "(WINEDLLOVERRIDES=uxtheme=n,b where Wine starts)";
}

}  // namespace
}  // namespace selvaun::e2e
