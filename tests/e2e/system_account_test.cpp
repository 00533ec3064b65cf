// The programs run as the local system account among files users may plant. Links under the
// task files' and logs' names to a file only the system may touch: each row runs the real
// program, the victim stays as it was, and the run goes on as with the file missing. Planted
// DLLs never run, and the prompt keeps only the privileges it uses.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <string>
#include <vector>

#include "glob.h"
#include "prompt_run.h"

namespace e2e {
namespace {

const std::string kVictim = "[Settings]\r\nDefaultPostponeTime=7\r\nRemainPostponeCount=9\r\nSECRET\r\n";
const std::string kTask = "[Settings]\r\nAction=Reboot\r\nDefaultPostponeTime=30\r\n";

// A path or name of ASCII characters as the log and the test's output write it.
std::string Narrow(const std::wstring& text) {
    std::string narrow;
    for (wchar_t c : text) narrow += static_cast<char>(c);
    return narrow;
}

using UnixName = char* (*)(const wchar_t*);  // cdecl, as Wine exports it

// Wine's own call for a Windows path's Unix name; null elsewhere.
UnixName UnixNameCall() {
    return reinterpret_cast<UnixName>(reinterpret_cast<void*>(
        ::GetProcAddress(::GetModuleHandleW(L"kernel32.dll"), "wine_get_unix_file_name")));
}

// The Unix name of an existing path, in quotes, for a Unix command line.
std::wstring Unix(const std::wstring& path) {
    char* name = UnixNameCall()(path.c_str());
    if (name == nullptr) return L"\"\"";
    std::wstring quoted = L"\"";
    for (const char* p = name; *p != '\0'; ++p) quoted += static_cast<wchar_t>(*p);
    ::HeapFree(::GetProcessHeap(), 0, name);
    return quoted + L"\"";
}

// Runs a Unix program from Wine; Wine does not wait for its end, so `done` is polled.
template <typename Done>
bool RunUnix(const wchar_t* program, std::wstring command, const Done& done) {
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!::CreateProcessW(program, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                          &startup, &process)) {
        return false;
    }
    ::CloseHandle(process.hThread);
    ::CloseHandle(process.hProcess);
    for (int i = 0; i < 100 && !done(); ++i) ::Sleep(50);
    return done();
}

// A symbolic link: under Wine a Unix one (its own call makes nothing), on Windows the system's.
bool SymbolicLink(const std::wstring& target, const std::wstring& link) {
    if (UnixNameCall() == nullptr) {
        return ::CreateSymbolicLinkW(link.c_str(), target.c_str(),
                                     SYMBOLIC_LINK_FLAG_ALLOW_UNPRIVILEGED_CREATE) != 0;
    }
    // The link's own name does not exist yet: its folder's Unix name and the leaf.
    const std::size_t slash = link.rfind(L'\\');
    std::wstring folder = Unix(link.substr(0, slash));
    folder.insert(folder.size() - 1, L"/" + link.substr(slash + 1));
    return RunUnix(L"Z:\\bin\\ln", L"/bin/ln -s " + Unix(target) + L" " + folder,
                   [&] { return testsupport::Exists(link); });
}

enum class Planted { kCfg, kLock, kMessage, kPromptLog, kLauncherLog };

struct LinkCase {
    const char* name;  // cppcheck-suppress unusedStructMember ; the row's test name, read below
    Planted file;
    bool hard;
};

class LinkedFile : public ::testing::TestWithParam<LinkCase> {};

TEST_P(LinkedFile, NeverReachesTheVictim) {
    const LinkCase& c = GetParam();
    testsupport::TempDirectory victimDir(L"victim");
    const std::wstring victim = victimDir / L"victim.txt";
    ASSERT_TRUE(testsupport::WriteBytes(victim, kVictim));

    PromptRun run;
    const wchar_t* names[] = {L"defer.cfg", L"defer.lock", L"defer_customized_msg.cfg"};
    const std::wstring link = c.file == Planted::kPromptLog     ? run.WorkDir() + L"\\plimsay.log"
                              : c.file == Planted::kLauncherLog ? run.WorkDir() + L"\\selvaun.log"
                                                                : run.ProgramFile(names[static_cast<int>(c.file)]);
    if (c.file != Planted::kCfg) {
        ASSERT_TRUE(run.WriteProgramFile(L"defer.cfg", kTask));
    }
    if (c.file == Planted::kMessage) {
        ASSERT_TRUE(run.WriteProgramFile(L"defer_customized.cfg", "[Settings]\r\nTitle=T\r\n"));
    }
    ASSERT_TRUE(c.hard ? ::CreateHardLinkW(link.c_str(), victim.c_str(), nullptr) != 0
                       : SymbolicLink(victim, link));

    if (c.file == Planted::kLauncherLog) {
        ::SetEnvironmentVariableW(L"SELVAUN_LOG", link.c_str());
        std::wstring command = L"\"" + testsupport::ModuleDirectory() + L"selvaun.exe\" \"" +
                               run.WorkDir() + L"\\missing.exe\"";
        STARTUPINFOW startup{};
        startup.cb = sizeof startup;
        PROCESS_INFORMATION process{};
        const BOOL started = ::CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0,
                                              nullptr, nullptr, &startup, &process);
        ::SetEnvironmentVariableW(L"SELVAUN_LOG", nullptr);
        ASSERT_TRUE(started);
        DWORD code = 0;
        EXPECT_EQ(::WaitForSingleObject(process.hProcess, 15000), WAIT_OBJECT_0);
        ::GetExitCodeProcess(process.hProcess, &code);
        EXPECT_EQ(code, 0xFFFFFFFFu);  // a failed start, as without a log
        ::CloseHandle(process.hThread);
        ::CloseHandle(process.hProcess);
    } else {
        if (c.file == Planted::kPromptLog) ::SetEnvironmentVariableW(L"PLIMSAY_LOG", link.c_str());
        const bool started = run.Start();
        ::SetEnvironmentVariableW(L"PLIMSAY_LOG", nullptr);
        ASSERT_TRUE(started);
        ASSERT_NE(run.WaitForDialog(), nullptr);
        // The countdown as with defer.cfg missing or customised (60 s), or as the task says.
        EXPECT_EQ(::SendMessageW(run.Item(1002), PBM_GETRANGE, FALSE, 0),
                  c.file == Planted::kCfg || c.file == Planted::kMessage ? 60 : 30);
        if (c.file == Planted::kMessage) {
            EXPECT_EQ(run.Text(1000), L"");
        }
        ::PostMessageW(run.Item(1005), BM_CLICK, 0, 0);
        DWORD code = 1;
        ASSERT_TRUE(run.WaitForExit(15000, &code));
        EXPECT_EQ(code, 0u);
        EXPECT_EQ(run.ShutdownLog(), PromptRun::Restarted());
    }
    EXPECT_EQ(testsupport::ReadBytes(victim), kVictim);
}

const LinkCase kLinkCases[] = {
    {"defer_cfg_hard", Planted::kCfg, true},
    {"defer_cfg_symbolic", Planted::kCfg, false},
    {"defer_lock_hard", Planted::kLock, true},
    {"defer_lock_symbolic", Planted::kLock, false},
    {"message_file_hard", Planted::kMessage, true},
    {"message_file_symbolic", Planted::kMessage, false},
    {"plimsay_log_hard", Planted::kPromptLog, true},
    {"plimsay_log_symbolic", Planted::kPromptLog, false},
    {"selvaun_log_hard", Planted::kLauncherLog, true},
    {"selvaun_log_symbolic", Planted::kLauncherLog, false},
};

INSTANTIATE_TEST_SUITE_P(Attacks, LinkedFile, ::testing::ValuesIn(kLinkCases),
                         [](const ::testing::TestParamInfo<LinkCase>& row) {
                             return std::string(row.param.name);
                         });

// Makes `folder` one that every account may write: under Wine a 777 folder gives everyone full
// control. False on Windows, where the README says how to check it by hand.
bool OpenToEveryone(const PromptRun& run, const std::wstring& folder) {
    if (UnixNameCall() == nullptr) return false;
    const std::wstring marker = run.WorkDir() + L"\\chmod.done";
    ::DeleteFileW(marker.c_str());
    return RunUnix(L"Z:\\bin\\sh",
                   L"/bin/sh -c \"chmod 777 " + Unix(folder) + L" && touch " +
                       Unix(run.WorkDir()) + L"/chmod.done\"",
                   [&] { return testsupport::Exists(marker); });
}

// The bare program beside the prompt, loading `dlls` by name; true once it has ended.
bool RunProbe(const PromptRun& run, const std::vector<const wchar_t*>& dlls) {
    const std::wstring probe = run.ProgramFile(L"planted_probe.exe");
    if (!::CopyFileW((testsupport::ModuleDirectory() + L"planted_probe.exe").c_str(), probe.c_str(),
                     FALSE)) {
        return false;
    }
    std::wstring command = L"\"" + probe + L"\"";
    for (const wchar_t* dll : dlls) command += L" " + std::wstring(dll);
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!::CreateProcessW(probe.c_str(), command.data(), nullptr, nullptr, FALSE, 0, nullptr,
                          run.WorkDir().c_str(), &startup, &process)) {
        return false;
    }
    const bool ended = ::WaitForSingleObject(process.hProcess, 15000) == WAIT_OBJECT_0;
    ::CloseHandle(process.hThread);
    ::CloseHandle(process.hProcess);
    return ended;
}

struct PlantedCase {
    const char* name;  // cppcheck-suppress unusedStructMember ; the row's test name, read below
    bool openFolder;   // the prompt's folder open to every account
    std::vector<const wchar_t*> late;   // loaded by name after the program's first line
    // Loaded by Wine's own user32 before the program's first line, which no guard inside can
    // stop (README: what only Windows shows); whether they ran is recorded, not judged.
    std::vector<const wchar_t*> early;
};

class PlantedDll : public ::testing::TestWithParam<PlantedCase> {};

// DLLs planted beside the prompt under system DLLs' names, which Wine prefers over its own only
// in this test's ctest entry (e2e_planted_dll), as Windows would a DLL it does not know. The
// late ones never run: in a trusted folder the prompt takes them from the system directory, in
// an open one it refuses before it loads anything. The control: a bare program beside the
// prompt, loading the same names the ordinary way, runs every planted copy.
TEST_P(PlantedDll, BesideThePromptNeverRuns) {
    const PlantedCase& c = GetParam();
    PromptRun run;
    ASSERT_TRUE(run.WriteProgramFile(L"defer.cfg", kTask));
    std::vector<const wchar_t*> all = c.late;
    all.insert(all.end(), c.early.begin(), c.early.end());
    const std::wstring planted = testsupport::ModuleDirectory() + L"planted.dll";
    for (const wchar_t* dll : all) {
        ASSERT_TRUE(::CopyFileW(planted.c_str(), run.ProgramFile(dll).c_str(), FALSE));
    }
    if (c.openFolder && !OpenToEveryone(run, run.ProgramFile(L""))) {
        GTEST_SKIP() << "a Windows check: see the README";
    }
    ASSERT_TRUE(run.Start());
    if (c.openFolder) {
        EXPECT_EQ(run.WaitForVisible(5000), nullptr);
    } else {
        ASSERT_NE(run.WaitForDialog(), nullptr);
        run.PressEscape();
    }
    DWORD code = 1;
    ASSERT_TRUE(run.WaitForExit(15000, &code));
    EXPECT_EQ(code, c.openFolder ? 5u : 0u);
    const auto ran = [&](const wchar_t* dll) {
        return testsupport::Exists(run.ProgramFile(dll) + L".ran");
    };
    for (const wchar_t* dll : c.late) EXPECT_FALSE(ran(dll)) << dll;
    for (const wchar_t* dll : c.early) {
        RecordProperty(Narrow(dll), ran(dll) ? "ran before the first line" : "never ran");
        ::DeleteFileW((run.ProgramFile(dll) + L".ran").c_str());
    }
    ASSERT_TRUE(RunProbe(run, all));
    for (const wchar_t* dll : all) EXPECT_TRUE(ran(dll)) << Narrow(dll) << " did not run in the probe";
}

const PlantedCase kPlantedCases[] = {
    {"trusted_folder", false, {L"msimg32.dll"}, {}},
    {"open_folder", true, {L"msimg32.dll"}, {L"uxtheme.dll", L"imm32.dll"}},
};

INSTANTIATE_TEST_SUITE_P(Rows, PlantedDll, ::testing::ValuesIn(kPlantedCases),
                         [](const ::testing::TestParamInfo<PlantedCase>& row) {
                             return std::string(row.param.name);
                         });

enum class Open { kNone, kProgramFolder, kLogFolder };

struct OpenFolderCase {
    const char* name;  // cppcheck-suppress unusedStructMember ; the row's test name, read below
    Open open;         // which folder every account may write
    bool cancelFlag;
};

class OpenFolder : public ::testing::TestWithParam<OpenFolderCase> {};

// A folder every account may write. The prompt refuses its own before it reads any task file:
// a planted cancel.flag restarts nothing, no report is written, and the log names the folder
// and the account. The same flag in a trusted folder restarts at once. A log in an open
// folder is not written at all.
TEST_P(OpenFolder, IsRefusedAndHoldsNoLog) {
    const OpenFolderCase& c = GetParam();
    PromptRun run;
    ASSERT_TRUE(run.WriteProgramFile(L"defer.cfg", kTask));
    if (c.cancelFlag) {
        ASSERT_TRUE(run.WriteProgramFile(L"cancel.flag", ""));
    }
    if (c.open != Open::kNone &&
        !OpenToEveryone(run, c.open == Open::kProgramFolder ? run.ProgramFile(L"") : run.WorkDir())) {
        GTEST_SKIP() << "a Windows check: see the README";
    }
    const std::wstring log = run.WorkDir() + L"\\plimsay.log";
    ::SetEnvironmentVariableW(L"PLIMSAY_LOG", log.c_str());
    const bool started = run.Start();
    ::SetEnvironmentVariableW(L"PLIMSAY_LOG", nullptr);
    ASSERT_TRUE(started);
    if (c.open == Open::kProgramFolder) {
        EXPECT_EQ(run.WaitForVisible(5000), nullptr);
    } else if (!c.cancelFlag) {
        ASSERT_NE(run.WaitForDialog(), nullptr);
        run.PressEscape();
    }
    DWORD code = 1;
    ASSERT_TRUE(run.WaitForExit(5000, &code));
    const std::string written = testsupport::ReadBytes(log).value_or("<no log>");
    if (c.open == Open::kProgramFolder) {
        EXPECT_EQ(code, 5u);
        EXPECT_EQ(run.ReadProgramFile(L"defer.cfg"), kTask);
        EXPECT_EQ(run.ShutdownLog(), "");
        std::string folder = Narrow(run.ProgramFile(L""));
        folder.pop_back();  // its last backslash
        EXPECT_EQ(testsupport::LogMessages(written, "plimsay"),
                  std::vector<std::string>{
                      "refused: folder \"" + folder +
                      "\": Everyone (S-1-1-0) may change it, a folder above it or the program; "
                      "no task file read, nothing shown or written, no restart, exit code 5"});
    } else if (c.cancelFlag) {
        EXPECT_EQ(code, 0u);
        EXPECT_EQ(run.ShutdownLog(), PromptRun::Restarted());
        EXPECT_NE(run.ReadProgramFile(L"defer.cfg").value_or("").find("Cancel=yes"), std::string::npos);
        EXPECT_NE(written.find("cancel flag seen"), std::string::npos) << written;
    } else {
        EXPECT_EQ(code, 0u);
        EXPECT_EQ(written, "<no log>");
    }
}

const OpenFolderCase kOpenFolderCases[] = {
    {"program_folder_with_a_cancel_flag", Open::kProgramFolder, true},
    {"control_trusted_folder_with_a_cancel_flag", Open::kNone, true},
    {"log_folder", Open::kLogFolder, false},
};

INSTANTIATE_TEST_SUITE_P(Rows, OpenFolder, ::testing::ValuesIn(kOpenFolderCases),
                         [](const ::testing::TestParamInfo<OpenFolderCase>& row) {
                             return std::string(row.param.name);
                         });

// Every privilege but the restart's and the one every process has is gone from the prompt's
// token, as another process of the same account reads it.
TEST(PromptToken, KeepsOnlyWhatTheRestartNeeds) {
    PromptRun run;
    ASSERT_TRUE(run.Start());
    ASSERT_NE(run.WaitForDialog(), nullptr);
    HANDLE token = nullptr;
    ASSERT_TRUE(::OpenProcessToken(run.Process(), TOKEN_QUERY, &token));
    alignas(TOKEN_PRIVILEGES) unsigned char buffer[4096] = {};
    DWORD size = 0;
    const BOOL read = ::GetTokenInformation(token, TokenPrivileges, buffer, sizeof buffer, &size);
    ::CloseHandle(token);
    ASSERT_TRUE(read);
    const auto* privileges = reinterpret_cast<const TOKEN_PRIVILEGES*>(buffer);
    std::vector<std::wstring> names;
    for (DWORD i = 0; i < privileges->PrivilegeCount; ++i) {
        LUID luid = privileges->Privileges[i].Luid;
        wchar_t name[64] = {};
        DWORD length = 64;
        ASSERT_TRUE(::LookupPrivilegeNameW(nullptr, &luid, name, &length));
        names.emplace_back(name);
    }
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::wstring>{L"SeChangeNotifyPrivilege", L"SeShutdownPrivilege"}));
    run.PressEscape();
    ASSERT_TRUE(run.WaitForExit(15000));
}

}  // namespace
}  // namespace e2e
