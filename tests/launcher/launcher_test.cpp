// The launcher's steps on faked Win32 calls: what reaches the system, in which order, what is
// printed and returned when any call fails, and that every handle is closed.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "command_line.h"
#include "fake_win_api.h"
#include "launcher.h"
#include "output_file.h"

namespace selvaun::testing {
namespace {

using Calls = std::vector<std::string>;

constexpr char kUsage[] =
    "selvaun is an application for services running GUI applications.\n"
    "Usage: selvaun AppFullPath\n"
    "\n";

// Main with argv as the runtime builds it: the program name, the arguments, a null.
int RunMain(Launcher& launcher, std::vector<std::string> arguments) {
    arguments.insert(arguments.begin(), "selvaun.exe");
    std::vector<char*> argv;
    for (std::string& argument : arguments) argv.push_back(argument.data());
    argv.push_back(nullptr);
    return launcher.Main(static_cast<int>(arguments.size()), argv.data());
}

class LauncherTest : public ::testing::Test {
protected:
    int Run(std::vector<std::string> arguments) {
        return RunMain(m_launcher, std::move(arguments));
    }
    std::wstring Started() const {
        return m_fake.creations.empty() ? L"<nothing>" : m_fake.creations.back().commandLine;
    }
    void ExpectAllClosed() const {
        EXPECT_EQ(m_fake.OpenHandles(), std::set<std::string>{});
        EXPECT_EQ(m_fake.badCloses, 0);
    }

    FakeWinApi m_fake;
    OutputFile m_out;
    OutputFile m_err;
    Launcher m_launcher{m_fake.Api(), m_out.get(), m_err.get(), kNoLog};
};

const Calls kPrivilegeStep = {
    "GetCurrentProcess",     "OpenProcessToken(current process, 0x28) -> token1",
    "LookupPrivilegeValueW", "AdjustTokenPrivileges(token1)",
    "CloseHandle(token1)",
};
const Calls kTokenStep = {
    "GetCurrentProcess",
    "OpenProcessToken(current process, 0xF01FF) -> token2",
    "DuplicateTokenEx(token2) -> token3",
    "CloseHandle(token2)",
    "WTSGetActiveConsoleSessionId",
    "SetTokenInformation(token3)",
};

Calls Join(std::initializer_list<Calls> parts) {
    Calls all;
    for (const Calls& part : parts) all.insert(all.end(), part.begin(), part.end());
    return all;
}

TEST(LauncherUsage, WrongArgumentCountPrintsUsageAndTouchesNothing) {
    for (const auto& arguments :
         {std::vector<std::string>{}, std::vector<std::string>{"C:\\Program", "Files\\app.exe"},
          std::vector<std::string>{"a", "b", "c"}}) {
        SCOPED_TRACE(arguments.size());
        FakeWinApi fake;
        OutputFile out, err;
        Launcher launcher(fake.Api(), out.get(), err.get(), kNoLog);
        EXPECT_EQ(RunMain(launcher, arguments), -1);
        EXPECT_EQ(out.Bytes(), kUsage);
        EXPECT_EQ(err.Bytes(), "");
        EXPECT_EQ(fake.calls, Calls{});
    }
}

TEST_F(LauncherTest, StartsTheProgramInOrderAndClosesEverything) {
    EXPECT_EQ(Run({"C:\\Tools\\app.exe"}), 0);
    EXPECT_EQ(m_out.Bytes(), "");
    EXPECT_EQ(m_err.Bytes(), "");
    EXPECT_EQ(m_fake.calls,
              Join({kPrivilegeStep,
                    kTokenStep,
                    {"MultiByteToWideChar", "ProgramRights", "CreateProcessAsUserW(token3)",
                     "CloseHandle(token3)", "CloseHandle(process)", "CloseHandle(thread)"}}));
    ExpectAllClosed();
}

TEST_F(LauncherTest, PassesTheFixedValues) {
    m_fake.sessionId = 5;
    ASSERT_EQ(Run({"\"C:\\Tools\\app.exe\" /quiet"}), 0);

    EXPECT_EQ(m_fake.openAccess, (std::vector<DWORD>{0x28, 0xF01FF}));
    EXPECT_EQ(m_fake.lookups, std::vector<std::wstring>{L"SeRestorePrivilege"});
    EXPECT_FALSE(m_fake.lookupSystemName);

    ASSERT_EQ(m_fake.adjusts.size(), 1u);
    const auto& adjust = m_fake.adjusts[0];
    EXPECT_EQ(adjust.token, "token1");
    EXPECT_EQ(adjust.disableAll, FALSE);
    EXPECT_EQ(adjust.count, 1u);
    EXPECT_EQ(adjust.luid.LowPart, m_fake.luid.LowPart);
    EXPECT_EQ(adjust.luid.HighPart, m_fake.luid.HighPart);
    EXPECT_EQ(adjust.attributes, 2u);
    EXPECT_EQ(adjust.length, 0u);
    EXPECT_FALSE(adjust.previous);
    EXPECT_FALSE(adjust.returnLength);

    ASSERT_EQ(m_fake.duplicates.size(), 1u);
    const auto& duplicate = m_fake.duplicates[0];
    EXPECT_EQ(duplicate.token, "token2");
    EXPECT_EQ(duplicate.access, 0x2000000u);
    EXPECT_FALSE(duplicate.attributes);
    EXPECT_EQ(duplicate.level, 1);
    EXPECT_EQ(duplicate.type, 1);

    ASSERT_EQ(m_fake.sessionInfos.size(), 1u);
    const auto& session = m_fake.sessionInfos[0];
    EXPECT_EQ(session.token, "token3");
    EXPECT_EQ(session.infoClass, 12);
    EXPECT_EQ(session.length, 4u);
    EXPECT_EQ(session.value, 5u);

    ASSERT_EQ(m_fake.conversions.size(), 1u);
    const auto& conversion = m_fake.conversions[0];
    EXPECT_EQ(conversion.codePage, 65001u);
    EXPECT_EQ(conversion.flags, 0u);
    EXPECT_EQ(conversion.length, -1);
    EXPECT_EQ(conversion.wideLength,
              static_cast<int>(std::strlen("\"C:\\Tools\\app.exe\" /quiet") + 1));

    ASSERT_EQ(m_fake.creations.size(), 1u);
    const auto& creation = m_fake.creations[0];
    EXPECT_EQ(creation.token, "token3");
    EXPECT_FALSE(creation.application);
    EXPECT_EQ(creation.commandLine, L"\"C:\\Tools\\app.exe\" /quiet");
    EXPECT_FALSE(creation.processAttributes);
    EXPECT_FALSE(creation.threadAttributes);
    EXPECT_EQ(creation.inheritHandles, FALSE);
    EXPECT_EQ(creation.flags, 0x20u);
    EXPECT_FALSE(creation.environment);
    EXPECT_FALSE(creation.directory);
    // The size and the console user's desktop; every other field stays zero.
    EXPECT_EQ(creation.startup.cb, sizeof(void*) == 4 ? 68u : 104u);
    EXPECT_EQ(creation.desktop, L"winsta0\\default");
    STARTUPINFOW rest = creation.startup;
    rest.cb = 0;
    rest.lpDesktop = nullptr;
    const STARTUPINFOW zero{};
    EXPECT_EQ(std::memcmp(&rest, &zero, sizeof rest), 0);
}

TEST_F(LauncherTest, ACallerWithoutTheRestorePrivilegeGoesOn) {
    m_fake.adjustLastError = ERROR_NOT_ALL_ASSIGNED;
    EXPECT_EQ(Run({"C:\\Tools\\app.exe"}), 0);
    EXPECT_EQ(m_fake.creations.size(), 1u);
    EXPECT_EQ(m_err.Bytes(), "");
}

struct FailurePoint {
    const char* call;
    int occurrence;
    DWORD error;
    int status;
    const char* stderrBytes;
    Calls calls;
};

const FailurePoint kFailurePoints[] = {
    {"OpenProcessToken",
     1,
     ERROR_ACCESS_DENIED,
     5,
     "",
     {"GetCurrentProcess", "OpenProcessToken(current process, 0x28) fails"}},
    {"LookupPrivilegeValueW",
     1,
     ERROR_NO_SUCH_PRIVILEGE,
     1313,
     "",
     {"GetCurrentProcess", "OpenProcessToken(current process, 0x28) -> token1",
      "LookupPrivilegeValueW fails", "CloseHandle(token1)"}},
    {"AdjustTokenPrivileges",
     1,
     ERROR_INVALID_PARAMETER,
     87,
     "",
     {"GetCurrentProcess", "OpenProcessToken(current process, 0x28) -> token1",
      "LookupPrivilegeValueW", "AdjustTokenPrivileges(token1) fails", "CloseHandle(token1)"}},
    {"OpenProcessToken", 2, ERROR_ACCESS_DENIED, -1,
     "Failed to open process token with all access privelege.\n"
     "Failed to get an active session token, 5\n",
     Join({kPrivilegeStep,
           {"GetCurrentProcess", "OpenProcessToken(current process, 0xF01FF) fails"}})},
    {"DuplicateTokenEx", 1, ERROR_BAD_IMPERSONATION_LEVEL, -1,
     "Failed to duplicate token.\n"
     "Failed to get an active session token, 1346\n",
     Join({kPrivilegeStep,
           {"GetCurrentProcess", "OpenProcessToken(current process, 0xF01FF) -> token2",
            "DuplicateTokenEx(token2) fails", "CloseHandle(token2)"}})},
    {"SetTokenInformation", 1, ERROR_PRIVILEGE_NOT_HELD, -1,
     "Failed to set the active session id on a token, 1314.\n"
     "Failed to get an active session token, 1314\n",
     Join({kPrivilegeStep,
           {"GetCurrentProcess", "OpenProcessToken(current process, 0xF01FF) -> token2",
            "DuplicateTokenEx(token2) -> token3", "CloseHandle(token2)",
            "WTSGetActiveConsoleSessionId", "SetTokenInformation(token3) fails",
            "CloseHandle(token3)"}})},
    // Codes print as signed 32-bit numbers.
    {"SetTokenInformation", 1, 0x80070005, -1,
     "Failed to set the active session id on a token, -2147024891.\n"
     "Failed to get an active session token, -2147024891\n",
     Join({kPrivilegeStep,
           {"GetCurrentProcess", "OpenProcessToken(current process, 0xF01FF) -> token2",
            "DuplicateTokenEx(token2) -> token3", "CloseHandle(token2)",
            "WTSGetActiveConsoleSessionId", "SetTokenInformation(token3) fails",
            "CloseHandle(token3)"}})},
    {"CreateProcessAsUserW", 1, ERROR_FILE_NOT_FOUND, -1, "",
     Join({kPrivilegeStep,
           kTokenStep,
           {"MultiByteToWideChar", "ProgramRights", "CreateProcessAsUserW(token3) fails",
            "CloseHandle(token3)"}})},
};

void PrintTo(const FailurePoint& point, std::ostream* os) {
    *os << point.call << " #" << point.occurrence << " failing with " << point.error;
}

class FailurePointTest : public LauncherTest, public ::testing::WithParamInterface<FailurePoint> {};

TEST_P(FailurePointTest, ReportsExactlyAndClosesEverything) {
    const FailurePoint& point = GetParam();
    m_fake.Fail(point.call, point.error, point.occurrence);
    // The closing that follows a failure leaves another code behind; the message must still
    // carry the failed call's.
    m_fake.errorAfterSuccess = ERROR_SUCCESS;
    EXPECT_EQ(Run({"C:\\Tools\\app.exe"}), point.status);
    EXPECT_EQ(m_out.Bytes(), "");
    EXPECT_EQ(m_err.Bytes(), point.stderrBytes);
    EXPECT_EQ(m_fake.calls, point.calls);
    ExpectAllClosed();
}

INSTANTIATE_TEST_SUITE_P(EachCall, FailurePointTest, ::testing::ValuesIn(kFailurePoints),
                         [](const auto& test) {
                             return std::string(test.param.call) +
                                    std::to_string(test.param.occurrence) + "_" +
                                    std::to_string(test.index);
                         });

TEST_F(LauncherTest, PrivilegeFailureCodeIsTheExitStatusAsIs) {
    m_fake.Fail("AdjustTokenPrivileges", 0xC0000022);
    EXPECT_EQ(static_cast<DWORD>(Run({"C:\\Tools\\app.exe"})), 0xC0000022u);
    EXPECT_EQ(m_err.Bytes(), "");
    ExpectAllClosed();
}

TEST_F(LauncherTest, AFailedConversionStartsNothing) {
    m_fake.Fail("MultiByteToWideChar", ERROR_NO_UNICODE_TRANSLATION);
    EXPECT_EQ(Run({"C:\\Tools\\app.exe"}), -1);
    EXPECT_EQ(Started(), L"<nothing>");
    ExpectAllClosed();
}

// The rule itself is tested natively; here, what the system's calls say decides it.
TEST_F(LauncherTest, SearchesTheSystemsFoldersAndPathOnly) {
    m_fake.systemDirectory = L"D:\\Win\\System32";
    m_fake.windowsDirectory = L"D:\\Win";
    m_fake.environment[L"PATH"] = L".;D:\\Tools";
    m_fake.files[L"D:\\Win\\System32\\cmd.exe"] = FILE_ATTRIBUTE_ARCHIVE;
    m_fake.files[L"D:\\Win\\regedit.exe"] = FILE_ATTRIBUTE_NORMAL;
    m_fake.files[L"D:\\Win\\System32\\tool.exe"] = FILE_ATTRIBUTE_DIRECTORY;
    m_fake.files[L"D:\\Tools\\tool.exe"] = FILE_ATTRIBUTE_NORMAL;
    m_fake.files[L".\\app.exe"] = FILE_ATTRIBUTE_NORMAL;
    const struct {
        const char* command;
        int status;
        const wchar_t* started;
    } cases[] = {
        {"cmd.exe /c exit", 0, L"\"D:\\Win\\System32\\cmd.exe\" /c exit"},
        {"regedit.exe", 0, L"\"D:\\Win\\regedit.exe\""},
        {"tool.exe x", 0, L"\"D:\\Tools\\tool.exe\" x"},  // past a directory of its name
        {"app.exe", -1, L"<nothing>"},                    // only under a relative PATH entry
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.command);
        m_fake.creations.clear();
        EXPECT_EQ(Run({c.command}), c.status);
        EXPECT_EQ(Started(), c.started);
    }
    ExpectAllClosed();
}

// A program that another account may change is never started; the log names the folder and
// the account. The same command with the rights trusted starts: the refusal is what stops it.
TEST(LauncherRights, AProgramOthersMayChangeIsRefused) {
    const struct {
        winbase::FolderRights rights;
        int status;
        const char* logLine;
    } cases[] = {
        {winbase::FolderRights::kOpen, -1,
         "refused \"C:\\Program Files\\App\\app.exe\": Everyone (S-1-1-0) may change its folder "
         "\"C:\\Program Files\\App\", a folder above it or the file itself\r\n"},
        {winbase::FolderRights::kUnreadable, -1,
         "refused \"C:\\Program Files\\App\\app.exe\": who may change its folder "
         "\"C:\\Program Files\\App\", a folder above it or the file itself could not be read\r\n"},
        {winbase::FolderRights::kTrusted, 0, "starting \"C:\\Program Files\\App\\app.exe\" /s\r\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.rights));
        FakeWinApi fake;
        OutputFile out, err;
        const LogFile log;
        fake.rights[L"C:\\Program Files\\App\\app.exe"] = c.rights;
        Launcher launcher(fake.Api(), out.get(), err.get(), log.get());
        EXPECT_EQ(RunMain(launcher, {"C:\\Program Files\\App\\app.exe /s"}), c.status);
        EXPECT_EQ(fake.rightsQueries,
                  std::vector<std::wstring>{L"C:\\Program Files\\App\\app.exe"});
        EXPECT_EQ(fake.creations.size(), c.status == 0 ? 1u : 0u);
        EXPECT_NE(log.Bytes().find(c.logLine), std::string::npos) << log.Bytes();
        EXPECT_EQ(out.Bytes() + err.Bytes(), "");
        EXPECT_EQ(fake.OpenHandles(), std::set<std::string>{});
    }
}

// The ANSI form of `wide`, as the runtime hands an argument to a narrow main.
std::string Ansi(const std::wstring& wide) {
    const int length =
        ::WideCharToMultiByte(CP_ACP, 0, wide.c_str(), -1, nullptr, 0, nullptr, nullptr);
    std::string ansi(static_cast<std::size_t>(length), '\0');
    ::WideCharToMultiByte(CP_ACP, 0, wide.c_str(), -1, ansi.data(), length, nullptr, nullptr);
    ansi.pop_back();
    return ansi;
}

TEST_F(LauncherTest, ValidUtf8IsDecodedWithoutTheWideCommandLine) {
    m_fake.commandLine = L"selvaun.exe something-else";
    EXPECT_EQ(m_launcher.WideCommandLine("C:\\Caf\xC3\xA9\\app.exe").view(),
              L"C:\\Caf\u00E9\\app.exe");
    EXPECT_EQ(std::count(m_fake.calls.begin(), m_fake.calls.end(), "GetCommandLineW"), 0);
}

TEST_F(LauncherTest, AnAnsiArgumentIsTakenFromTheWideCommandLine) {
    const std::wstring path = L"C:\\Caf\u00E9 \u00C5\\app.exe";
    const std::string ansi = Ansi(path);
    if (IsValidUtf8(ansi)) GTEST_SKIP() << "the ANSI code page here is UTF-8";
    m_fake.commandLine = L"\"C:\\Agent\\selvaun.exe\"  \"" + path + L"\"";
    EXPECT_EQ(m_launcher.WideCommandLine(ansi.c_str()).view(), path);
}

TEST_F(LauncherTest, AnAnsiArgumentThatTheWideLineDoesNotMatchIsDecodedAsBefore) {
    const std::string ansi = "C:\\Caf\xE9\\app.exe";
    const std::wstring asBefore = L"C:\\Caf\uFFFD\\app.exe";
    for (const wchar_t* line : {L"selvaun.exe C:\\Caf\u00E9\\app.exe extra",  // count differs
                                L"selvaun.exe C:\\Other\\app.exe", L"selvaun.exe"}) {
        SCOPED_TRACE(::testing::PrintToString(std::wstring(line)));
        m_fake.commandLine = line;
        EXPECT_EQ(m_launcher.WideCommandLine(ansi.c_str()).view(), asBefore);
    }
}

}  // namespace
}  // namespace selvaun::testing
