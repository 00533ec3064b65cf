// The real selvaun.exe, started as a service would start it, with the recorder standing in
// for the program it starts.
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "command_line.h"
#include "glob.h"
#include "launcher_run.h"
#include "win_files.h"

namespace selvaun::e2e {
namespace {

using testsupport::Exists;
using testsupport::TempDirectory;

constexpr char kUsage[] =
    "selvaun is an application for services running GUI applications.\r\n"
    "Usage: selvaun AppFullPath\r\n"
    "\r\n";

std::string Ansi(const std::wstring& wide) {
    const int length =
        ::WideCharToMultiByte(CP_ACP, 0, wide.c_str(), -1, nullptr, 0, nullptr, nullptr);
    std::string text(static_cast<std::size_t>(length), '\0');
    ::WideCharToMultiByte(CP_ACP, 0, wide.c_str(), -1, text.data(), length, nullptr, nullptr);
    text.pop_back();
    return text;
}

TEST(LauncherRun, WrongArgumentCountPrintsUsageAndExitsWithMinusOne) {
    for (const wchar_t* arguments : {L"", L"C:\\Program Files\\App\\app.exe", L"a b c"}) {
        SCOPED_TRACE(Utf8(arguments));
        const LauncherResult result = RunLauncher(arguments);
        ASSERT_TRUE(result.exited);
        EXPECT_EQ(result.exitCode, 0xFFFFFFFFu);
        EXPECT_EQ(result.out, kUsage);
        EXPECT_EQ(result.err, "");
    }
}

TEST(LauncherRun, StartsTheProgramWithItsArgumentsAndDoesNotWaitForIt) {
    TempDirectory programDir(L"selvaun-prog");
    TempDirectory workDir(L"selvaun-work");
    Planted helper(programDir / L"helper.exe");
    ASSERT_TRUE(InstallRecorder(helper.path()));

    // The helper holds until the event is set, which happens only after the launcher ended.
    const std::wstring hold = L"selvaun-e2e-hold-" + std::to_wstring(::GetCurrentProcessId());
    HANDLE event = ::CreateEventW(nullptr, TRUE, FALSE, hold.c_str());
    ASSERT_NE(event, nullptr);
    ScopedVariable holdVariable(L"VANTREL_RECORDER_HOLD", hold);
    ScopedVariable tagVariable(L"VANTREL_RECORDER_TAG", L"inherited");

    const std::wstring program = QuoteArgument(helper.path()) + L" first \"second arg\"";
    const LauncherResult result = RunLauncher(QuoteArgument(program), workDir.path());
    const auto records = WaitForRecords(LogOf(helper.path()));
    ::SetEvent(event);
    ::CloseHandle(event);

    ASSERT_TRUE(result.exited) << "the launcher waited for its program";
    EXPECT_EQ(result.exitCode, 0u);
    EXPECT_EQ(result.out, "");
    EXPECT_EQ(result.err, "");
    ASSERT_EQ(records.size(), 1u);
    EXPECT_EQ(records[0].commandLine, Utf8(program));
    EXPECT_EQ(records[0].argv,
              (std::vector<std::string>{Utf8(helper.path()), "first", "second arg"}));
    // The launcher's own environment and current directory.
    EXPECT_EQ(records[0].tag, "inherited");
    EXPECT_EQ(records[0].directory, Utf8(workDir.path()));
}

// SELVAUN_LOG names the file that gets one line per step, with the error code of a failure.
TEST(LauncherRun, WritesItsLogWhenAsked) {
    TempDirectory dir(L"selvaun-prog");
    Planted helper(dir / L"helper.exe");
    ASSERT_TRUE(InstallRecorder(helper.path()));
    const std::wstring log = dir / L"selvaun.log";
    {
        ScopedVariable logVariable(L"SELVAUN_LOG", log);
        ASSERT_EQ(RunLauncher(QuoteArgument(helper.path())).exitCode, 0u);
        ASSERT_TRUE(testsupport::WriteBytes(dir / L"empty.exe", ""));
        ASSERT_EQ(RunLauncher(QuoteArgument(dir / L"empty.exe")).exitCode, 0xFFFFFFFFu);
    }
    WaitForRecords(LogOf(helper.path()));
    const std::vector<std::string> expected = {
        "start: version *, command line \"*selvaun.exe\" \"*\\helper.exe\"",
        "hardening: DLL search System32 only ok, image load ok, strict handles ok, *",
        "SeRestorePrivilege: AdjustTokenPrivileges succeeded, last error *",
        "token: a copy of the launcher's own, moved to console session *",
        "starting \"*\\helper.exe\"",
        "started process * on winsta0\\default",
        "exit status 0",
        "start: version *, command line \"*selvaun.exe\" \"*\\empty.exe\"",
        "hardening: *",
        "SeRestorePrivilege: AdjustTokenPrivileges succeeded, last error *",
        "token: a copy of the launcher's own, moved to console session *",
        "starting \"*\\empty.exe\"",
        "CreateProcessAsUserW failed, error *",
        "exit status -1",
    };
    const auto messages =
        testsupport::LogMessages(testsupport::ReadBytes(log).value_or(""), "selvaun");
    EXPECT_TRUE(testsupport::MatchesAll(messages, expected)) << ::testing::PrintToString(messages);
}

// A program in a "C:\Program Files" directory of the test's own, and a planted
// "C:\Program.exe" that records any start of it.
class PlantedDecoy : public ::testing::Test {
protected:
    static constexpr const wchar_t* kDecoy = L"C:\\Program.exe";

    void SetUp() override {
        // A decoy that a killed run left behind is this test's recorder: its log would be
        // taken for a start in this run, so both go first.
        const std::wstring decoyLog = LogOf(kDecoy);
        if (testsupport::ReadBytes(kDecoy) == testsupport::ReadBytes(RecorderPath()) ||
            (!Exists(kDecoy) && !WaitForRecords(decoyLog, 1, 0).empty())) {
            Planted leftover(kDecoy);
        }
        ASSERT_FALSE(Exists(kDecoy)) << "C:\\Program.exe is another program, not ours to replace";
        ASSERT_FALSE(Exists(decoyLog)) << "C:\\Program.log is another program's";
        m_decoy.emplace(kDecoy);
        ASSERT_TRUE(::CreateDirectoryW(m_dir.path().c_str(), nullptr));
        ASSERT_TRUE(InstallRecorder(m_helper));
        ASSERT_TRUE(InstallRecorder(kDecoy));
    }
    // The helper's command lines so far; none of the decoy's.
    std::vector<std::string> Started(std::size_t count) {
        std::vector<std::string> lines;
        for (const Record& record : WaitForRecords(LogOf(m_helper), count)) {
            lines.push_back(record.commandLine);
        }
        EXPECT_FALSE(Exists(LogOf(kDecoy))) << "the decoy ran";
        return lines;
    }

    std::optional<Planted> m_decoy;  // with its log; planted only when it is ours
    Planted m_dir{L"C:\\Program Files\\selvaun-e2e-" + std::to_wstring(::GetCurrentProcessId())};
    const std::wstring m_helper = m_dir.path() + L"\\helper.exe";
};

TEST_F(PlantedDecoy, AnUnquotedProgramFilesPathNeverStartsAPlantedProgramExe) {
    // Without quotes the system itself starts the decoy: the danger is real here.
    {
        std::wstring unquoted = m_helper;
        STARTUPINFOW startup{};
        startup.cb = sizeof startup;
        PROCESS_INFORMATION process{};
        ASSERT_TRUE(::CreateProcessW(nullptr, unquoted.data(), nullptr, nullptr, FALSE, 0, nullptr,
                                     nullptr, &startup, &process));
        ::WaitForSingleObject(process.hProcess, 15000);
        ::CloseHandle(process.hThread);
        ::CloseHandle(process.hProcess);
        ASSERT_EQ(WaitForRecords(LogOf(kDecoy)).size(), 1u)
            << "this system does not try C:\\Program.exe first; the test would prove nothing";
        ASSERT_TRUE(::DeleteFileW(LogOf(kDecoy).c_str()));
    }

    struct Case {
        std::wstring argument, started;
    };
    const Case cases[] = {
        {m_helper, L"\"" + m_helper + L"\""},
        {m_helper + L" /s  x", L"\"" + m_helper + L"\" /s  x"},
    };
    std::vector<std::string> expected;
    for (const Case& c : cases) {
        SCOPED_TRACE(Utf8(c.argument));
        const LauncherResult result = RunLauncher(QuoteArgument(c.argument));
        ASSERT_TRUE(result.exited);
        EXPECT_EQ(result.exitCode, 0u);
        EXPECT_EQ(result.out + result.err, "");
        expected.push_back(Utf8(c.started));
        EXPECT_EQ(Started(expected.size()), expected);
    }
}

// Each row: a clear status, 0 or -1 and never a crash's code, nothing printed, and nothing
// started but the program named (the decoy stays planted throughout).
TEST_F(PlantedDecoy, BadInputGivesAClearStatusAndStartsNothingElse) {
    TempDirectory elsewhere(L"selvaun-bad");
    ASSERT_TRUE(::CreateDirectoryW((elsewhere / L"a dir").c_str(), nullptr));
    ASSERT_TRUE(testsupport::WriteBytes(m_dir.path() + L"\\notes.txt", "not a program\r\n"));
    ASSERT_TRUE(testsupport::WriteBytes(m_dir.path() + L"\\empty.exe", ""));
    // A longer name beside the helper, which the longest existing part would be; its
    // records go to the helper's log, where they show.
    ASSERT_TRUE(InstallRecorder(m_helper + L" x"));

    // The longest argument a command line carries: 32,767 characters with the terminator,
    // less the launcher's own quoted path, a blank and the argument's quotes.
    const std::size_t longest =
        32766 - QuoteArgument(testsupport::ModuleDirectory() + L"selvaun.exe").size() - 3;
    std::wstring longArgument = m_helper;
    while (longArgument.size() + 2 <= longest) longArgument += L" x";

    struct Case {
        std::wstring argument;
        DWORD status;
        std::wstring started;  // empty when nothing starts
    };
    const Case cases[] = {
        {L"", 0xFFFFFFFF, L""},
        {longArgument, 0, L"\"" + m_helper + L"\"" + longArgument.substr(m_helper.size())},
        {m_helper + L" say \"hi there\" a\"\"b", 0,
         L"\"" + m_helper + L"\" say \"hi there\" a\"\"b"},
        // Names of nothing lie elsewhere: under "C:\Program Files" the system's own search
        // would find the decoy. U+FF02 comes to the runtime's ANSI argument as a quote, so
        // its bytes are neither UTF-8 nor the wide command line's argument.
        {elsewhere / L"Caf\u00E9\uFF02x.exe", 0xFFFFFFFF, L""},
        {elsewhere / L"a dir", 0xFFFFFFFF, L""},
        {m_dir.path() + L"\\notes.txt", 0xFFFFFFFF, L""},
        {m_dir.path() + L"\\empty.exe /s", 0xFFFFFFFF, L""},
        {m_helper + L"\t/s", 0, L"\"" + m_helper + L"\"\t/s"},
        // A missing program under "C:\Program Files": the system's search would run the decoy.
        {m_dir.path() + L"\\missing.exe", 0xFFFFFFFF, L""},
        {m_dir.path() + L"\\missing.bat x", 0xFFFFFFFF, L""},
        // The program ends at its extension, whatever exists, and a stray quote is refused.
        {m_helper + L" x y", 0, L"\"" + m_helper + L"\" x y"},
        {m_helper + L"\" x", 0xFFFFFFFF, L""},
    };
    std::vector<std::string> expected;
    for (const Case& c : cases) {
        SCOPED_TRACE(Utf8(c.argument.substr(0, 120)));
        const LauncherResult result = RunLauncher(QuoteArgument(c.argument));
        ASSERT_TRUE(result.exited);
        EXPECT_EQ(result.exitCode, c.status);
        EXPECT_EQ(result.out + result.err, "");
        if (!c.started.empty()) expected.push_back(Utf8(c.started));
        EXPECT_EQ(Started(expected.size()), expected);
    }
}

// A batch file runs through the command processor, quoted: the blank in its folder's name
// splits nothing, and the decoy never runs.
TEST_F(PlantedDecoy, ABatchFileRunsThroughTheCommandProcessor) {
    const std::wstring batch = m_dir.path() + L"\\run.bat";
    const std::wstring written = m_dir.path() + L"\\run.txt";
    ASSERT_TRUE(testsupport::WriteBytes(batch, "@echo %*>\"%~dp0run.txt\"\r\n"));
    const LauncherResult result = RunLauncher(QuoteArgument(batch + L" one two"));
    EXPECT_EQ(result.exitCode, 0u);
    for (int i = 0; i < 300 && !testsupport::ReadBytes(written).value_or("").ends_with("\n"); ++i) {
        ::Sleep(50);
    }
    EXPECT_EQ(testsupport::ReadBytes(written), "one two\r\n");
    EXPECT_EQ(Started(0), std::vector<std::string>{});
}

// A bare or relative name is looked for in the system directory, the Windows directory and
// PATH's full paths, and started by its full path. A recorder planted in the launcher's own
// folder (this test's, and the current one) runs when the system searches, as the control
// shows, but never through the launcher.
TEST(LauncherRun, ABareNameIsNeverTakenFromTheLaunchersOrTheCurrentFolder) {
    const std::wstring pid = std::to_wstring(::GetCurrentProcessId());
    const std::wstring name = L"selvaun-e2e-bare-" + pid + L".exe";
    const Planted beside(testsupport::ModuleDirectory() + name);
    ASSERT_TRUE(InstallRecorder(beside.path()));
    {
        std::wstring bare = name;
        STARTUPINFOW startup{};
        startup.cb = sizeof startup;
        PROCESS_INFORMATION process{};
        ASSERT_TRUE(::CreateProcessW(nullptr, bare.data(), nullptr, nullptr, FALSE, 0, nullptr,
                                     nullptr, &startup, &process));
        ::WaitForSingleObject(process.hProcess, 15000);
        ::CloseHandle(process.hThread);
        ::CloseHandle(process.hProcess);
        ASSERT_EQ(WaitForRecords(LogOf(beside.path())).size(), 1u);
        ASSERT_TRUE(::DeleteFileW(LogOf(beside.path()).c_str()));
    }
    TempDirectory bin(L"selvaun-bin");
    const std::wstring onPath = L"selvaun-e2e-path-" + pid + L".exe";
    const Planted found(bin / onPath);
    ASSERT_TRUE(InstallRecorder(found.path()));
    wchar_t path[32767] = {};
    ::GetEnvironmentVariableW(L"PATH", path, 32767);
    const ScopedVariable pathVariable(L"PATH", std::wstring(path) + L";.;" + bin.path());

    const std::wstring here = testsupport::ModuleDirectory();
    EXPECT_EQ(RunLauncher(QuoteArgument(name), here).exitCode, 0xFFFFFFFFu);
    EXPECT_EQ(RunLauncher(QuoteArgument(L".\\" + name + L" x"), here).exitCode, 0xFFFFFFFFu);
    EXPECT_EQ(RunLauncher(QuoteArgument(onPath + L" x"), here).exitCode, 0u);
    const auto records = WaitForRecords(LogOf(found.path()));
    ASSERT_EQ(records.size(), 1u);
    EXPECT_EQ(records[0].commandLine, Utf8(L"\"" + found.path() + L"\" x"));
    EXPECT_FALSE(Exists(LogOf(beside.path()))) << "the planted program ran";
}

TEST(LauncherRun, APathWithLettersOutsideAsciiStarts) {
    TempDirectory base(L"selvaun-prog");
    const std::wstring dir = base / L"Caf\u00E9";
    ASSERT_TRUE(::CreateDirectoryW(dir.c_str(), nullptr));
    const std::wstring helper = dir + L"\\helper.exe";
    Planted installed(helper);
    ASSERT_TRUE(InstallRecorder(helper));
    if (IsValidUtf8(Ansi(helper))) {
        GTEST_SKIP() << "the ANSI code page here gives this path as UTF-8 or not at all";
    }

    const LauncherResult result = RunLauncher(QuoteArgument(helper));
    ASSERT_TRUE(result.exited);
    EXPECT_EQ(result.exitCode, 0u);
    EXPECT_EQ(result.out + result.err, "");
    const auto records = WaitForRecords(LogOf(helper));
    ASSERT_EQ(records.size(), 1u);
    EXPECT_EQ(records[0].commandLine, Utf8(L"\"" + helper + L"\""));
}

TEST(LauncherRun, AProgramThatCannotStartGivesMinusOneSilently) {
    TempDirectory dir(L"selvaun-prog");
    const LauncherResult result = RunLauncher(QuoteArgument(dir / L"missing.exe"));
    ASSERT_TRUE(result.exited);
    EXPECT_EQ(result.exitCode, 0xFFFFFFFFu);
    EXPECT_EQ(result.out, "");
    EXPECT_EQ(result.err, "");
}

TEST(LauncherRun, WildcardsInTheArgumentAreNotExpanded) {
    TempDirectory dir(L"selvaun-prog");
    ASSERT_EQ(dir.path().find(L' '), std::wstring::npos);
    ASSERT_TRUE(testsupport::WriteBytes(dir / L"a.exe", ""));
    ASSERT_TRUE(testsupport::WriteBytes(dir / L"b.exe", ""));
    // Expanded, the pattern would become two arguments and the usage would show.
    const LauncherResult result = RunLauncher(dir / L"*.exe");
    ASSERT_TRUE(result.exited);
    EXPECT_EQ(result.out, "");
    EXPECT_EQ(result.exitCode, 0xFFFFFFFFu);
}

TEST(LauncherRun, CarriesTheManifest) {
    const std::wstring exe = testsupport::ModuleDirectory() + L"selvaun.exe";
    HMODULE image = ::LoadLibraryExW(exe.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_NE(image, nullptr);
    HRSRC manifest = ::FindResourceW(image, MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(24));
    ASSERT_NE(manifest, nullptr);
    const std::string text(
        static_cast<const char*>(::LockResource(::LoadResource(image, manifest))),
        ::SizeofResource(image, manifest));
    ::FreeLibrary(image);
    EXPECT_NE(text.find("<requestedExecutionLevel level=\"asInvoker\" uiAccess=\"false\"/>"),
              std::string::npos);
}

// The wide command line splits as the C runtime splits the narrow one for main.
TEST(CommandLineSplit, MatchesTheRuntime) {
    TempDirectory dir(L"selvaun-prog");
    const std::wstring recorder = dir / L"recorder.exe";
    Planted installed(recorder);
    ASSERT_TRUE(InstallRecorder(recorder));
    const wchar_t* lines[] = {
        L"p a  b\tc ",
        L"\"p q\"x y",
        // Left out: Wine splits the program name C:\a\"b c as if a backslash could escape a
        // quote there, against the documented rule (a program path holds no quotes anyway).
        L"p a\\\\\\\"b \"c\\\\\" d",
        L"p \\\\\\\\\"a b\"",
        L"p a\\b\\\\c C:\\dir\\",
        L"p \"a\"\"b\" c",
        L"p \"a\"\"\"b\" c",
        L"p \"a\"\"b c\" d",
        L"p x\"y z\"w \"\" e",
        L"p \"unterminated x",
        L"p \\",
    };
    for (std::size_t n = 0; n < std::size(lines); ++n) {
        std::wstring line = lines[n];
        SCOPED_TRACE(Utf8(line));
        STARTUPINFOW startup{};
        startup.cb = sizeof startup;
        PROCESS_INFORMATION process{};
        ASSERT_TRUE(::CreateProcessW(recorder.c_str(), line.data(), nullptr, nullptr, FALSE, 0,
                                     nullptr, nullptr, &startup, &process));
        ::WaitForSingleObject(process.hProcess, 15000);
        ::CloseHandle(process.hThread);
        ::CloseHandle(process.hProcess);
        const auto records = WaitForRecords(LogOf(recorder), n + 1);
        ASSERT_EQ(records.size(), n + 1);
        std::vector<std::string> split;
        WideText argument;
        for (std::size_t i = 0; i < SplitCommandLine(lines[n], i, argument); ++i) {
            split.push_back(Utf8(std::wstring(argument.view())));
        }
        EXPECT_EQ(split, records[n].argv);
    }
}

}  // namespace
}  // namespace selvaun::e2e
