// Bad task and language files and a hostile file system, tried on the real program: it never
// crashes, shows the defaults the rules give, rewrites defer.cfg only as they say and never
// leaves its lock behind.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <cctype>
#include <functional>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "language_files.h"
#include "prompt_run.h"

namespace e2e {
namespace {

enum class End { kRebootNow, kEscape, kByItself };

struct Case {
    const char* name;  // cppcheck-suppress unusedStructMember ; read by CaseName below
    // Writes the case's files; the run's language files live as long as the run.
    std::function<void(PromptRun&, testsupport::InstalledLanguageFiles&)> prepare;
    LPARAM countdown;           // the bar's range: the first countdown, at least 1
    const wchar_t* postpone;    // button 1004
    int checkedId;              // one more control to check, 0 for none
    std::wstring checkedText;
    End end;
    std::optional<std::string> cfgAfter;  // nothing: defer.cfg as the case left it
    std::function<void(PromptRun&)> whileShown = nullptr;  // once the dialog shows
};

// The first prompt's path as started, or in capitals. (A short 8.3 name would be another
// spelling, but Wine reports a program started by it under its long path: README.)
enum class Spelling { kAsStarted, kLetterCase };

// A second prompt for the same folder, started by `spelling` of its path while the first one
// shows: it ends at once with exit code 0 and writes nothing; the first one runs on.
auto SecondPrompt(Spelling spelling) {
    return [spelling](PromptRun& run) {
    std::wstring path = run.Path();
    if (spelling == Spelling::kLetterCase) {
        ::CharUpperBuffW(path.data(), static_cast<DWORD>(path.size()));
    }
    const std::optional<std::string> before = run.ReadProgramFile(L"defer.cfg");
    std::wstring command = L"\"" + path + L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION second{};
    ASSERT_TRUE(::CreateProcessW(path.c_str(), command.data(), nullptr, nullptr, FALSE, 0,
                                 nullptr, run.WorkDir().c_str(), &startup, &second));
    const DWORD waited = ::WaitForSingleObject(second.hProcess, 5000);
    DWORD code = 1;
    if (waited != WAIT_OBJECT_0) ::TerminateProcess(second.hProcess, 1);
    ::GetExitCodeProcess(second.hProcess, &code);
    ::CloseHandle(second.hThread);
    ::CloseHandle(second.hProcess);
    EXPECT_EQ(waited, WAIT_OBJECT_0) << "the second prompt did not end at once";
    EXPECT_EQ(code, 0u);
    EXPECT_EQ(run.ReadProgramFile(L"defer.cfg"), before);
    EXPECT_TRUE(run.Running());
    };
}

std::string Settings(int delay, int remain, const std::string& action = "Reboot") {
    return "[Settings]\r\nDefaultPostponeTime=" + std::to_string(delay) +
           "\r\nRemainPostponeCount=" + std::to_string(remain) + "\r\nAction=" + action +
           "\r\n[Feedback]\r\n";
}

std::string Task(const std::string& number) {
    return "[Settings]\r\nDefaultPostponeTime=" + number + "\r\nRemainPostponeCount=" + number +
           "\r\n";
}

// Each file's bytes are made only when its case runs: some are large.
using Bytes = std::function<std::string()>;

auto Cfg(Bytes bytes) {
    return [bytes](const PromptRun& run, testsupport::InstalledLanguageFiles&) {
        ASSERT_TRUE(run.WriteProgramFile(L"defer.cfg", bytes()));
    };
}

// The customised files, with a message file of `bytes`.
auto MessageFile(Bytes bytes) {
    return [bytes](const PromptRun& run, testsupport::InstalledLanguageFiles&) {
        ASSERT_TRUE(run.WriteProgramFile(L"defer_customized.cfg", "[Settings]\r\nTitle=T\r\n"));
        ASSERT_TRUE(run.WriteProgramFile(L"defer_customized_msg.cfg", bytes()));
    };
}

// English (the tests' language) mapped to a property file of `bytes`.
auto Texts(Bytes bytes) {
    return [bytes](PromptRun&, testsupport::InstalledLanguageFiles& files) {
        ASSERT_TRUE(files.Write(L"i18n.ini", "0409 en_US\r\n"));
        ASSERT_TRUE(files.Write(L"en_US.prop", bytes()));
    };
}

std::string Repeat(const std::string& part, std::size_t times) {
    std::string all;
    all.reserve(part.size() * times);
    for (std::size_t i = 0; i < times; ++i) all += part;
    return all;
}

std::string RandomBytes(std::size_t size) {
    std::mt19937 random(20261208);
    std::string bytes(size, '\0');
    for (char& c : bytes) c = static_cast<char>(random() & 0xFF);
    return bytes;
}

std::string Utf16File(const std::wstring& text) {
    std::string bytes = "\xFF\xFE";
    for (wchar_t c : text) {
        bytes.push_back(static_cast<char>(c & 0xFF));
        bytes.push_back(static_cast<char>(c >> 8));
    }
    return bytes;
}

const std::string kTask = "[Settings]\r\nAction=Reboot\r\nDefaultPostponeTime=30\r\n";
const std::string kDefaultFeedback = Settings(60, 3) + "Cancel=no\r\n";

// Texts a language file from outside the guard would show.
const std::string kStrayTexts = "[IDD_VANTREL_DIALOG]\nIDREBOOT=Stray\n";
const std::string kSixSeconds = "[Settings]\r\nAction=Reboot\r\nDefaultPostponeTime=6\r\n";

const Case kCases[] = {
    {"a second prompt for the same folder", Cfg([] { return kSixSeconds; }), 6,
     L"Postpone (Remain: 3)", 0, L"", End::kByItself, Settings(6, 3) + "Cancel=no\r\n",
     SecondPrompt(Spelling::kAsStarted)},
    {"a second prompt by the path in other letter case", Cfg([] { return kSixSeconds; }), 6,
     L"Postpone (Remain: 3)", 0, L"", End::kByItself, Settings(6, 3) + "Cancel=no\r\n",
     SecondPrompt(Spelling::kLetterCase)},
    {"a property file that is a hard link",
     [](const PromptRun& run, testsupport::InstalledLanguageFiles& files) {
         ASSERT_TRUE(files.Write(L"i18n.ini", "0409 en_US\r\n"));
         ASSERT_TRUE(testsupport::WriteBytes(run.WorkDir() + L"\\stray.prop", kStrayTexts));
         ASSERT_TRUE(files.Link(L"en_US.prop", run.WorkDir() + L"\\stray.prop"));
     },
     60, L"Postpone (Remain: 3)", 1005, L"Reboot now", End::kEscape, {}},
    {"control a plain property file of the same texts", Texts([] { return kStrayTexts; }), 60,
     L"Postpone (Remain: 3)", 1005, L"Stray", End::kEscape, {}},
    {"a locale with dot dot backslash",
     [](PromptRun&, testsupport::InstalledLanguageFiles& files) {
         ASSERT_TRUE(files.Write(L"i18n.ini", "0409 ..\\stray\r\n"));
         ASSERT_TRUE(files.Write(L"..\\stray.prop", kStrayTexts));
     },
     60, L"Postpone (Remain: 3)", 1005, L"Reboot now", End::kEscape, {}},
    {"control the same texts under a locale name",
     [](PromptRun&, testsupport::InstalledLanguageFiles& files) {
         ASSERT_TRUE(files.Write(L"i18n.ini", "0409 st_RAY\r\n"));
         ASSERT_TRUE(files.Write(L"st_RAY.prop", kStrayTexts));
     },
     60, L"Postpone (Remain: 3)", 1005, L"Stray", End::kEscape, {}},
    {"defer.cfg of random bytes", Cfg([] { return RandomBytes(4096); }), 60, L"Postpone (Remain: 3)", 0, L"",
     End::kRebootNow, kDefaultFeedback},
    {"defer.cfg in UTF-16 with a byte-order mark",
     Cfg([] {
         return Utf16File(L"[Settings]\r\nAction=Shutdown\r\nDefaultPostponeTime=45\r\n"
                          L"RemainPostponeCount=2\r\n");
     }),
     45, L"Postpone (Remain: 2)", 1005, L"Shutdown now", End::kRebootNow,
     Settings(45, 2, "Shutdown") + "Cancel=no\r\n"},
    {"a 50 MB defer.cfg",
     Cfg([] {
         return "[Settings]\r\nDefaultPostponeTime=25\r\n" +
                Repeat("; " + std::string(1021, 'c') + "\r\n", 50 * 1024);
     }),
     25, L"Postpone (Remain: 3)", 0, L"", End::kRebootNow, Settings(25, 3) + "Cancel=no\r\n"},
    {"a 100 KB line", Cfg([] {
         return "[Settings]\r\nAction=" + std::string(100 * 1024, 'x') +
                "\r\nDefaultPostponeTime=20\r\n";
     }),
     20, L"Postpone (Remain: 3)", 1005, L"Shutdown now", End::kRebootNow,
     Settings(20, 3, std::string(99, 'x')) + "Cancel=no\r\n"},
    {"numbers -0", Cfg([] { return Task("-0"); }), 1, L"Postpone (Remain: 0)", 0, L"", End::kByItself,
     Settings(0, 0) + "Cancel=no\r\n"},
    {"numbers +7", Cfg([] { return Task("+7"); }), 7, L"Postpone (Remain: 7)", 0, L"", End::kEscape, {}},
    {"numbers 99999999999", Cfg([] { return Task("99999999999"); }), 2147483647,
     L"Postpone (Remain: 2147483647)", 1009, L"35791394", End::kEscape, {}},
    {"numbers 0x10", Cfg([] { return Task("0x10"); }), 1, L"Postpone (Remain: 0)", 0, L"", End::kByItself,
     Settings(0, 0) + "Cancel=no\r\n"},
    {"numbers blank and tab", Cfg([] { return Task(" \t12"); }), 12, L"Postpone (Remain: 12)", 0, L"",
     End::kEscape, {}},
    {"a 10 MB message file", MessageFile([] { return std::string(10 * 1024 * 1024, 'm'); }), 60,
     L"Postpone (Remain: 3)", 1000, std::wstring(10239, L'm'), End::kEscape, {}},
    {"a message file of line feeds", MessageFile([] { return std::string(1024 * 1024, '\n'); }), 60,
     L"Postpone (Remain: 3)", 1000, [] {
         std::wstring text;
         for (int i = 0; i < 5119; ++i) text += L"\r\n";
         return text;
     }(), End::kEscape, {}},
    {"a message file with a zero byte first", MessageFile([] { return std::string("\0text", 5); }), 60,
     L"Postpone (Remain: 3)", 1000, L"", End::kEscape, {}},
    {"a message file with bytes no code page has (no crash; its text unchecked)", MessageFile([] { return std::string("A\x81\x8D\x8F\x90\x9D" "B"); }), 60,
     L"Postpone (Remain: 3)", 0, L"", End::kEscape, {}},
    {"an i18n.ini of 100,000 lines",
     [](PromptRun&, testsupport::InstalledLanguageFiles& files) {
         ASSERT_TRUE(files.Write(L"i18n.ini", Repeat("0C0A es_ES\r\n", 100000) + "0409 de_DE\r\n"));
         ASSERT_TRUE(files.InstallShipped(L"de_DE.prop"));
     },
     60, L"Verschieben (noch 3)", 1005, L"Jetzt neu starten", End::kEscape, {}},
    {"a property file of invalid UTF-8",
     Texts([] { return std::string("[IDD_VANTREL_DIALOG]\nIDREBOOT=\xFF\xC3(\xE2\x82 ok\n"); }), 60,
     L"Postpone (Remain: 3)", 1005, L"\uFFFD\uFFFD(\uFFFD ok", End::kEscape, {}},
    {"a property file without line ends",
     Texts([] { return "[IDD_VANTREL_DIALOG]\nIDREBOOT=" + std::string(5000, 'y'); }), 60,
     L"Postpone (Remain: 3)", 1005, std::wstring(1013, L'y'), End::kEscape, {}},
    {"a property file of 5,000 sections of one name",
     Texts([] {
         return Repeat("[IDD_VANTREL_DIALOG]\nOTHER=x\n", 5000) +
                "[IDD_VANTREL_DIALOG]\nIDREBOOT=Found\n";
     }),
     60, L"Postpone (Remain: 3)", 1005, L"Found", End::kEscape, {}},
    {"defer.cfg read-only",
     [](PromptRun& run, testsupport::InstalledLanguageFiles&) {
         ASSERT_TRUE(run.WriteProgramFile(L"defer.cfg", kTask));
         ASSERT_TRUE(::SetFileAttributesW(run.ProgramFile(L"defer.cfg").c_str(),
                                          FILE_ATTRIBUTE_READONLY));
     },
     30, L"Postpone (Remain: 3)", 0, L"", End::kRebootNow, {}},
    {"defer.cfg a directory",
     [](PromptRun& run, testsupport::InstalledLanguageFiles&) {
         ASSERT_TRUE(::CreateDirectoryW(run.ProgramFile(L"defer.cfg").c_str(), nullptr));
     },
     60, L"Postpone (Remain: 3)", 0, L"", End::kRebootNow, {}},
    {"cancel.flag a directory",
     [](PromptRun& run, testsupport::InstalledLanguageFiles&) {
         ASSERT_TRUE(run.WriteProgramFile(L"defer.cfg", kTask));
         ASSERT_TRUE(::CreateDirectoryW(run.ProgramFile(L"cancel.flag").c_str(), nullptr));
     },
     30, L"Postpone (Remain: 3)", 0, L"", End::kByItself, Settings(30, 3) + "Cancel=yes\r\n"},
    {"a stale defer.lock",
     [](PromptRun& run, testsupport::InstalledLanguageFiles&) {
         ASSERT_TRUE(run.WriteProgramFile(L"defer.cfg", kTask));
         ASSERT_TRUE(run.WriteProgramFile(L"defer.lock", "left by a crash"));
         ASSERT_TRUE(::SetFileAttributesW(run.ProgramFile(L"defer.lock").c_str(),
                                          FILE_ATTRIBUTE_HIDDEN));
     },
     30, L"Postpone (Remain: 3)", 0, L"", End::kRebootNow, Settings(30, 3) + "Cancel=no\r\n"},
};

class Robustness : public ::testing::TestWithParam<Case> {};

TEST_P(Robustness, NoCrashTheRulesDefaultsAndNoLockLeft) {
    const Case& c = GetParam();
    testsupport::InstalledLanguageFiles files;
    PromptRun run;
    c.prepare(run, files);
    ASSERT_FALSE(HasFatalFailure());
    const std::optional<std::string> before = run.ReadProgramFile(L"defer.cfg");
    // A directory in a task file's place is never the prompt's to remove.
    std::vector<std::wstring> directories;
    for (const wchar_t* name : {L"defer.cfg", L"cancel.flag"}) {
        const DWORD attributes = ::GetFileAttributesW(run.ProgramFile(name).c_str());
        if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY)) {
            directories.push_back(run.ProgramFile(name));
        }
    }
    ASSERT_TRUE(run.Start());
    ASSERT_NE(run.WaitForVisible(), nullptr);
    EXPECT_EQ(::SendMessageW(run.Item(1002), PBM_GETRANGE, FALSE, 0), c.countdown);
    EXPECT_EQ(run.Text(1004), c.postpone);
    if (c.checkedId != 0) {
        EXPECT_EQ(run.Text(c.checkedId), c.checkedText) << c.checkedId;
    }
    if (c.whileShown) c.whileShown(run);
    if (c.end != End::kByItself) {
        ASSERT_NE(run.WaitForDialog(), nullptr);
    }
    if (c.end == End::kRebootNow) {
        ::PostMessageW(run.Item(1005), BM_CLICK, 0, 0);
    } else if (c.end == End::kEscape) {
        run.PressEscape();
    }

    DWORD code = 1;
    ASSERT_TRUE(run.WaitForExit(15000, &code));
    EXPECT_EQ(code, 0u);  // an exception would end it with its status
    EXPECT_EQ(run.ReadProgramFile(L"defer.cfg"), c.cfgAfter ? c.cfgAfter : before);
    EXPECT_FALSE(testsupport::Exists(run.ProgramFile(L"defer.lock")));
    for (const std::wstring& directory : directories) {
        const DWORD attributes = ::GetFileAttributesW(directory.c_str());
        EXPECT_TRUE(attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY))
            << "gone: " << directory;
    }
    EXPECT_EQ(run.ShutdownLog(), c.end == End::kEscape ? "" : PromptRun::Restarted());
}

std::string CaseName(const ::testing::TestParamInfo<Case>& param) {
    std::string name;
    for (const char* p = param.param.name; *p != '\0'; ++p) {
        if (std::isalnum(static_cast<unsigned char>(*p))) name += *p;
    }
    return name;
}

INSTANTIATE_TEST_SUITE_P(BadInput, Robustness, ::testing::ValuesIn(kCases), CaseName);

// An antivirus scanner holds defer.cfg without sharing as the user acts: the prompt keeps its
// lock, waits, and the feedback lands once the file is free.
TEST(HeldDeferCfg, TheFeedbackLandsAfterTheRelease) {
    PromptRun run;
    ASSERT_TRUE(run.WriteProgramFile(L"defer.cfg", kTask));
    ASSERT_TRUE(run.Start());
    ASSERT_NE(run.WaitForDialog(), nullptr);
    HANDLE holder = ::CreateFileW(run.ProgramFile(L"defer.cfg").c_str(), GENERIC_READ, 0, nullptr,
                                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(holder, INVALID_HANDLE_VALUE);
    ::PostMessageW(run.Item(1005), BM_CLICK, 0, 0);
    ::Sleep(500);
    EXPECT_TRUE(testsupport::Exists(run.ProgramFile(L"defer.lock")));  // the agent must wait
    ::Sleep(1000);
    EXPECT_TRUE(run.Running());
    ::CloseHandle(holder);
    ASSERT_TRUE(run.WaitForExit(10000));
    EXPECT_EQ(run.ReadProgramFile(L"defer.cfg"), Settings(30, 3) + "Cancel=no\r\n");
    EXPECT_FALSE(testsupport::Exists(run.ProgramFile(L"defer.lock")));
    EXPECT_EQ(run.ShutdownLog(), PromptRun::Restarted());
}

}  // namespace
}  // namespace e2e
