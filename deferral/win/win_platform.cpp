#include "win_platform.h"

#include <windows.h>

#include <stdlib.h>

#include <algorithm>
#include <climits>
#include <vector>

#include "winbase/unique_handle.h"
#include "winbase/guarded_file.h"
#include "rewrite.h"
#include "wide_cast.h"

namespace vantrel {
using winbase::CheckedFolder;
using winbase::LeafName;

namespace {

constexpr DWORD kSystemProgramWaitMs = 30000;

std::wstring WinPath(const char16_t* path) { return ToWin(path != nullptr ? path : u""); }

// Reads an open file in chunks, so that no more than one is held here.
template <typename Sink>
void ReadInChunks(HANDLE file, std::size_t maxBytes, const Sink& sink) {
    char chunk[16384];
    for (std::size_t left = maxBytes; left > 0;) {
        DWORD got = 0;
        const auto wanted = static_cast<DWORD>(std::min(sizeof chunk, left));
        if (!::ReadFile(file, chunk, wanted, &got, nullptr) || got == 0) break;
        sink(std::string_view(chunk, got));
        left -= got;
    }
}

// 8-bit text in the ANSI code page, as the C runtime takes a path; empty when it is not.
std::wstring WidenAnsi(const std::string& text) {
    if (text.size() >= static_cast<std::size_t>(INT_MAX)) return {};
    std::vector<wchar_t> wide(text.size() + 1, L'\0');
    const int units = ::MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, text.c_str(), -1,
                                            wide.data(), static_cast<int>(wide.size()));
    return units > 0 ? std::wstring(wide.data()) : std::wstring();
}

// Held open with delete-on-close: the file goes when the handle is closed, also by the
// system when the process ends however it ends.
class MarkerFile : public Platform::HeldFile {
public:
    explicit MarkerFile(winbase::UniqueFile file) : m_file(std::move(file)) {}

private:
    winbase::UniqueFile m_file;
};

// A task file of the program's folder, never through a link (winbase/guarded_file.h).
winbase::UniqueFile OpenTaskFile(const char16_t* path, DWORD access, DWORD share, DWORD disposition) {
    const std::wstring name = WinPath(path);
    const CheckedFolder folder(name.c_str());
    return folder.Open(LeafName(name.c_str()), access, share, disposition);
}

// Held by another process: a scanner's or indexer's mapped view refuses a new length the
// way an open without write sharing refuses the open. Both end soon.
WriteResult Failure(DWORD error) {
    const bool busy = error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION ||
                      error == ERROR_USER_MAPPED_FILE;
    return {busy ? WriteOutcome::kBusy : WriteOutcome::kFailed, error};
}

// The rewrite's steps on the one handle held under the lock.
class HandleRewrite : public RewriteTarget {
public:
    explicit HandleRewrite(HANDLE file) : m_file(file) {}

    std::uint32_t SetLength(std::uint64_t bytes) override {
        LARGE_INTEGER at{};
        at.QuadPart = static_cast<LONGLONG>(bytes);
        if (!::SetFilePointerEx(m_file, at, nullptr, FILE_BEGIN) || !::SetEndOfFile(m_file)) {
            return ::GetLastError();
        }
        return 0;
    }
    std::uint32_t WriteFromStart(std::string_view bytes) override {
        const LARGE_INTEGER start{};
        if (!::SetFilePointerEx(m_file, start, nullptr, FILE_BEGIN)) return ::GetLastError();
        DWORD written = 0;
        const auto size = static_cast<DWORD>(bytes.size());
        // A part locked by another process fails the write with nothing written there.
        if (!::WriteFile(m_file, bytes.data(), size, &written, nullptr)) return ::GetLastError();
        return written == size ? 0 : ERROR_WRITE_FAULT;
    }
    // On the disk before the lock goes: a forced restart follows.
    std::uint32_t Flush() override { return ::FlushFileBuffers(m_file) ? 0 : ::GetLastError(); }

private:
    HANDLE m_file;
};

// Opens for writing without emptying and without caring for hidden or system attributes,
// which would make CREATE_ALWAYS fail on a file the agent marked so. A read-only file is
// refused outright: Windows refuses it anyway, but Wine running as root would not.
winbase::UniqueFile OpenForRewrite(const char16_t* path) {
    const std::wstring name = WinPath(path);
    const DWORD attributes = ::GetFileAttributesW(name.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY)) {
        ::SetLastError(ERROR_ACCESS_DENIED);
        return {};
    }
    return OpenTaskFile(path, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                        OPEN_ALWAYS);
}

}  // namespace

WideString WinPlatform::ReadProfileString(WideView section, WideView key, WideView fallback,
                                          std::uint32_t length, const char16_t* path) {
    if (length == 0) return {};
    // The profile API reads by name: the file is checked on a handle that shares no deletion,
    // so that it can be neither removed nor renamed, nor its name given to another file,
    // until the read is done.
    const winbase::UniqueFile checked =
        OpenTaskFile(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, OPEN_EXISTING);
    if (!checked) return WideString(fallback.substr(0, length - 1));
    std::vector<wchar_t> buffer(length, L'\0');
    const DWORD copied = ::GetPrivateProfileStringW(
        ToWin(section).c_str(), ToWin(key).c_str(), ToWin(fallback).c_str(), buffer.data(),
        length, WinPath(path).c_str());
    return FromWin(std::wstring_view(buffer.data(), copied < length ? copied : length - 1));
}

bool WinPlatform::FileExists(const char16_t* path) {
    // A planted cancel.flag would restart the computer at once: seen only through the guard.
    const std::wstring name = WinPath(path);
    // Asked every second and nearly always absent: a name that is not there needs no guard.
    if (::GetFileAttributesW(name.c_str()) == INVALID_FILE_ATTRIBUTES) {
        const DWORD error = ::GetLastError();
        if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) return false;
    }
    return CheckedFolder(name.c_str()).Holds(LeafName(name.c_str()));
}

std::unique_ptr<Platform::HeldFile> WinPlatform::HoldMarkerFile(const char16_t* path) {
    // OPEN_ALWAYS takes over a marker an earlier run left behind, hidden or not. Only once the
    // handle shows it is ours is it cut and marked for deletion, on the handle itself.
    constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
    winbase::UniqueFile file = OpenTaskFile(path, GENERIC_WRITE | DELETE, kShareAll, OPEN_ALWAYS);
    if (!file) return nullptr;
    ::SetEndOfFile(file.get());
    // A second handle on the same file with delete-on-close: the file goes when it closes,
    // also when the process ends however it ends, and stays visible to the agent till then.
    winbase::UniqueFile held(::ReOpenFile(file.get(), DELETE, kShareAll, FILE_FLAG_DELETE_ON_CLOSE));
    if (held) return std::make_unique<MarkerFile>(std::move(held));
    FILE_DISPOSITION_INFO disposition{TRUE};
    if (!::SetFileInformationByHandle(file.get(), FileDispositionInfo, &disposition,
                                      sizeof disposition)) {
        return nullptr;
    }
    return std::make_unique<MarkerFile>(std::move(file));
}

WriteResult WinPlatform::RewriteFile(const char16_t* path, std::string_view bytes) {
    if (bytes.size() > MAXDWORD) return Failure(ERROR_INVALID_PARAMETER);
    winbase::UniqueFile file = OpenForRewrite(path);
    if (!file) return Failure(::GetLastError());
    HandleRewrite target(file.get());
    const std::uint32_t error = RewriteInPlace(target, bytes);
    if (error != 0) return Failure(error);
    return {WriteOutcome::kWritten, 0};
}

std::optional<std::string> WinPlatform::ReadFileBytes(const char16_t* path, std::size_t maxBytes) {
    const winbase::UniqueFile file =
        OpenTaskFile(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, OPEN_EXISTING);
    if (!file) return std::nullopt;
    std::string bytes;
    ReadInChunks(file.get(), maxBytes, [&](std::string_view chunk) { bytes.append(chunk); });
    return bytes;
}

bool WinPlatform::ReadFileChunks(const std::string& ansiFolder, const std::string& name,
                                 std::size_t maxBytes, const ChunkSink& sink) {
    // The folder opened, the file then only as a plain file of it: a hard or symbolic link
    // planted under a language file's name, or a name that leads elsewhere, is not read.
    const std::wstring leaf = WidenAnsi(name);
    const std::wstring directory = WidenAnsi(ansiFolder);
    if (leaf.empty() || directory.empty()) return false;
    const std::wstring path = directory + L"\\" + leaf;
    const CheckedFolder folder(path.c_str());
    const winbase::UniqueFile file = folder.Open(leaf.c_str(), GENERIC_READ,
                                            FILE_SHARE_READ | FILE_SHARE_WRITE, OPEN_EXISTING);
    if (!file) return false;
    ReadInChunks(file.get(), maxBytes, sink);
    return true;
}

WideString WinPlatform::MultiByteToWide(unsigned codePage, std::string_view text) {
    // The call counts in int; no text of ours comes near that, but none may wrap it.
    if (text.size() >= static_cast<std::size_t>(INT_MAX)) return {};
    // Neither UTF-8 nor an ANSI code page gives more UTF-16 units than bytes.
    const std::string terminated(text);
    std::vector<wchar_t> buffer(terminated.size() + 1, L'\0');
    const int units = ::MultiByteToWideChar(codePage, 0, terminated.c_str(), -1, buffer.data(),
                                            static_cast<int>(buffer.size()));
    if (units == 0) return {};
    return FromWin(std::wstring_view(buffer.data()));
}

std::uint16_t WinPlatform::UserUiLanguage() { return ::GetUserDefaultUILanguage(); }

ProgramRun WinPlatform::RunSystemProgram(WideView program, WideView commandLine) {
    // The system's own program by its full path: the command processor's search would try
    // the current directory first, where anybody may have planted one.
    wchar_t directory[MAX_PATH] = {};
    const UINT length = ::GetSystemDirectoryW(directory, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return {ERROR_PATH_NOT_FOUND};
    const std::wstring application = std::wstring(directory, length) + L"\\" + ToWin(program);
    std::wstring command = ToWin(commandLine);  // the call may write into it
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!::CreateProcessW(application.c_str(), command.data(), nullptr, nullptr, FALSE,
                          CREATE_NO_WINDOW, nullptr, directory, &startup, &process)) {
        return {::GetLastError()};
    }
    const winbase::UniqueHandle processHandle(process.hProcess);
    const winbase::UniqueHandle threadHandle(process.hThread);
    // As the command processor did, wait for it, but never for ever.
    ProgramRun run;
    DWORD exitCode = 0;
    run.ended = ::WaitForSingleObject(process.hProcess, kSystemProgramWaitMs) == WAIT_OBJECT_0 &&
                ::GetExitCodeProcess(process.hProcess, &exitCode);
    run.exitCode = exitCode;
    return run;
}

void WinPlatform::Sleep(std::uint32_t milliseconds) { ::Sleep(milliseconds); }

}  // namespace vantrel
