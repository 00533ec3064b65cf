#include "launcher.h"

#include <climits>
#include <cstring>
#include <iterator>
#include <string_view>
#include <utility>

#include "command_line.h"
#include "winbase/guarded_file.h"
#include "winbase/start_hardening.h"
#include "vantrel_version.h"

namespace selvaun {
namespace {

constexpr char kUsage[] =
    "selvaun is an application for services running GUI applications.\n"
    "Usage: selvaun AppFullPath\n";

}  // namespace

int Launcher::Main(int argc, char** argv) {
    // The log's own calls only with a log: without one the launcher does what it always did.
    if (m_log.Enabled()) {
        Note({"start: version ", VANTREL_VERSION_TEXT, ", command line ",
              ToAnsi(m_api.GetCommandLineW(), CP_UTF8).view()});
        Note({winbase::HardeningNote()});
    }
    if (argc != 2) {
        Note({"usage printed: ", argc - 1, " arguments, not 1; exit status -1"});
        std::fputs(kUsage, m_out);
        std::fputs("\n", m_out);
        return -1;
    }
    // The duplicate made below carries the privilege's state, so this comes first.
    if (const DWORD error = EnableRestorePrivilege(); error != 0) {
        Note({"SeRestorePrivilege could not be enabled, error ", error, "; exit status ", error});
        return static_cast<int>(error);
    }
    const int status = LaunchInActiveSession(argv[1]);
    Note({"exit status ", status});
    return status;
}

DWORD Launcher::EnableRestorePrivilege() {
    UniqueHandle token = Owned();
    if (!m_api.OpenProcessToken(m_api.GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY,
                                token.put())) {
        return m_api.GetLastError();
    }
    TOKEN_PRIVILEGES privileges{};
    privileges.PrivilegeCount = 1;
    privileges.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
    if (!m_api.LookupPrivilegeValueW(nullptr, L"SeRestorePrivilege",
                                     &privileges.Privileges[0].Luid)) {
        return m_api.GetLastError();
    }
    // Success here includes "not all assigned": a caller without the privilege goes on.
    if (!m_api.AdjustTokenPrivileges(token.get(), FALSE, &privileges, 0, nullptr, nullptr)) {
        return m_api.GetLastError();
    }
    if (m_log.Enabled()) {
        Note({"SeRestorePrivilege: AdjustTokenPrivileges succeeded, last error ",
              m_api.GetLastError(), " (1300: not held)"});
    }
    return 0;
}

bool Launcher::GetActiveSessionToken(HANDLE* token) {
    *token = nullptr;
    UniqueHandle processToken = Owned();
    if (!m_api.OpenProcessToken(m_api.GetCurrentProcess(), TOKEN_ALL_ACCESS, processToken.put())) {
        const DWORD error = m_api.GetLastError();
        Note({"token: OpenProcessToken failed, error ", error});
        std::fputs("Failed to open process token with all access privelege.\n", m_err);
        return TokenFailure(error, processToken);
    }
    UniqueHandle duplicate = Owned();
    if (!m_api.DuplicateTokenEx(processToken.get(), MAXIMUM_ALLOWED, nullptr,
                                SecurityIdentification, TokenPrimary, duplicate.put())) {
        const DWORD error = m_api.GetLastError();
        Note({"token: DuplicateTokenEx failed, error ", error});
        std::fputs("Failed to duplicate token.\n", m_err);
        return TokenFailure(error, processToken);
    }
    processToken.reset();

    // Only a caller that may act as part of the operating system can change this.
    DWORD sessionId = m_api.WTSGetActiveConsoleSessionId();
    if (!m_api.SetTokenInformation(duplicate.get(), TokenSessionId, &sessionId, sizeof sessionId)) {
        const DWORD error = m_api.GetLastError();
        Note({"token: SetTokenInformation to console session ", sessionId, " failed, error ",
              error});
        PrintError(
            {"Failed to set the active session id on a token, ", static_cast<int>(error), ".\n"});
        return TokenFailure(error, duplicate);
    }
    Note({"token: a copy of the launcher's own, moved to console session ", sessionId});
    *token = duplicate.release();
    return true;
}

// Closes what is open and leaves `error` as the last error, so that the caller reports the
// call that failed rather than whatever the printing or the closing left behind.
bool Launcher::TokenFailure(DWORD error, UniqueHandle& open) {
    open.reset();
    m_api.SetLastError(error);
    return false;
}

int Launcher::LaunchInActiveSession(const char* commandLine) {
    // The interactive desktop of the console session, whatever the caller's window station.
    wchar_t desktop[] = L"winsta0\\default";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.lpDesktop = desktop;
    PROCESS_INFORMATION process{};

    HANDLE sessionToken = nullptr;
    if (!GetActiveSessionToken(&sessionToken)) {
        PrintError({"Failed to get an active session token, ",
                    static_cast<int>(m_api.GetLastError()), "\n"});
        return -1;
    }
    UniqueHandle token = Owned(sessionToken);

    StartCommand start = Resolve(WideCommandLine(commandLine).view());
    if (!MayStart(start)) return -1;
    if (m_log.Enabled()) Note({"starting ", ToAnsi(start.line.data(), CP_UTF8).view()});
    const BOOL created =
        m_api.CreateProcessAsUserW(token.get(), nullptr, start.line.data(), nullptr, nullptr, FALSE,
                                   NORMAL_PRIORITY_CLASS, nullptr, nullptr, &startup, &process);
    const DWORD error = created ? 0 : m_api.GetLastError();
    token.reset();
    if (!created) {
        Note({"CreateProcessAsUserW failed, error ", error});
        return -1;
    }
    Note({"started process ", process.dwProcessId, " on winsta0\\default"});
    // The program lives on by itself: nothing waits for it.
    m_api.CloseHandle(process.hProcess);
    m_api.CloseHandle(process.hThread);
    return 0;
}

WideText Launcher::Utf8ToWide(const char* text) const {
    const std::size_t bytes = std::strlen(text);
    if (bytes >= INT_MAX) return WideText(1);
    WideText wide(bytes + 1);
    if (wide.data() == nullptr) return wide;
    if (m_api.MultiByteToWideChar(CP_UTF8, 0, text, -1, wide.data(),
                                  static_cast<int>(wide.capacity())) == 0) {
        wide.data()[0] = L'\0';  // a failed conversion may leave a part behind
    }
    return wide;
}

// The argument is meant as UTF-8. One that is not came through the ANSI code page, and only
// the wide command line still holds its letters: the same argument is taken from there, when
// splitting it by the runtime's rules gives back exactly what the runtime passed.
WideText Launcher::WideCommandLine(const char* argument) const {
    if (!IsValidUtf8(argument)) {
        WideText wide;
        if (SplitCommandLine(m_api.GetCommandLineW(), 1, wide) == 2 &&
            ToAnsi(wide.data()).view() == std::string_view(argument)) {
            return wide;
        }
    }
    return Utf8ToWide(argument);
}

// An unquoted "C:\Program Files\App\app.exe" would go to the system's search, which tries
// "C:\Program.exe" first, and a bare name would be looked for in the launcher's own folder
// and the current one: a planted file would run under the service's token. The program is
// settled here and started by its full path, quoted.
StartCommand Launcher::Resolve(std::wstring_view command) const {
    return ResolveCommand(
        command, [this](std::size_t n) { return SearchList(n); },
        [this](const wchar_t* path) { return IsFile(path); });
}

// The system directory, the Windows directory (the system's own, not a session's copy) and
// PATH; nothing after them.
WideText Launcher::SearchList(std::size_t n) const {
    if (n == 2) {
        const DWORD size = m_api.GetEnvironmentVariableW(L"PATH", nullptr, 0);
        WideText path(size != 0 ? size : 1);
        if (size != 0 && path.data() != nullptr &&
            m_api.GetEnvironmentVariableW(L"PATH", path.data(), size) >= size) {
            path.data()[0] = L'\0';  // changed meanwhile: not searched
        }
        return path;
    }
    if (n > 2) return {};
    WideText folder(MAX_PATH + 1);
    const auto get = n == 0 ? m_api.GetSystemDirectoryW : m_api.GetSystemWindowsDirectoryW;
    if (folder.data() != nullptr && get(folder.data(), MAX_PATH + 1) > MAX_PATH) {
        folder.data()[0] = L'\0';
    }
    return folder;
}

// Anyone who may change the program, or the folders that hold it, could have it run what
// they like under the service's token, and a DLL planted beside it loads before any of its
// own code: such a program is never started.
bool Launcher::MayStart(const StartCommand& start) const {
    if (start.problem == StartCommand::Problem::kStrayQuote) {
        Note({"refused: the program's name holds a double quote, or one is left open"});
        return false;
    }
    if (start.problem == StartCommand::Problem::kNotFound) {
        Note(
            {"refused: no such program in the system directory, the Windows directory or a "
             "full path on PATH"});
        return false;
    }
    if (start.line.view().empty()) return false;  // no memory
    wchar_t account[256] = {};
    const winbase::FolderRights rights =
        m_api.ProgramRights(start.program.view().data(), account, std::size(account));
    if (rights == winbase::FolderRights::kTrusted) return true;
    if (!m_log.Enabled()) return false;
    const wchar_t* program = start.program.view().data();
    const std::size_t folderLength =
        static_cast<std::size_t>(winbase::LeafName(program) - program) - 1;
    WideText folder = WideText::Join({std::wstring_view(program, folderLength)});
    if (rights == winbase::FolderRights::kOpen) {
        Note({"refused \"", ToAnsi(program, CP_UTF8).view(),
              "\": ", ToAnsi(account, CP_UTF8).view(), " may change its folder \"",
              ToAnsi(folder.data(), CP_UTF8).view(), "\", a folder above it or the file itself"});
    } else {
        Note({"refused \"", ToAnsi(program, CP_UTF8).view(), "\": who may change its folder \"",
              ToAnsi(folder.data(), CP_UTF8).view(),
              "\", a folder above it or the file itself could not be read"});
    }
    return false;
}

// Without the printf family, which would take a third of the program.
void Launcher::PrintError(std::initializer_list<winbase::LogPiece> pieces) const {
    for (const winbase::LogPiece& piece : pieces) {
        winbase::HeapText<char> text(piece.MaxSize() + 1);  // zeroed: ends the text
        if (text.data() == nullptr) return;
        piece.Put(text.data());
        std::fputs(text.data(), m_err);
    }
}

bool Launcher::IsFile(const wchar_t* path) const {
    if (path == nullptr) return false;
    const DWORD attributes = m_api.GetFileAttributesW(path);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

AnsiText Launcher::ToAnsi(const wchar_t* text, UINT codePage) const {
    if (text == nullptr) return {};
    const int length =
        m_api.WideCharToMultiByte(codePage, 0, text, -1, nullptr, 0, nullptr, nullptr);
    if (length <= 0) return {};
    AnsiText ansi(static_cast<std::size_t>(length));
    if (ansi.data() == nullptr || m_api.WideCharToMultiByte(codePage, 0, text, -1, ansi.data(),
                                                            length, nullptr, nullptr) == 0) {
        return {};
    }
    return ansi;
}

}  // namespace selvaun
