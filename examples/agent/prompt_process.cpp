#include "prompt_process.h"

#include <tlhelp32.h>

namespace agent {
namespace {

constexpr DWORD kLauncherWaitMs = 30000;

bool SamePath(const std::wstring& a, const std::wstring& b) {
    return ::CompareStringOrdinal(a.c_str(), -1, b.c_str(), -1, TRUE) == CSTR_EQUAL;
}

std::wstring FileName(const std::wstring& path) { return path.substr(path.rfind(L'\\') + 1); }

std::wstring ImagePath(HANDLE process) {
    wchar_t image[MAX_PATH * 4] = {};
    DWORD size = MAX_PATH * 4;
    if (!::QueryFullProcessImageNameW(process, 0, image, &size)) return {};
    return std::wstring(image, size);
}

// What the launcher wrote, taken without waiting: it has ended, and nothing it started holds
// the pipe.
std::string Drain(HANDLE pipe) {
    std::string bytes;
    char chunk[512];
    DWORD available = 0;
    while (::PeekNamedPipe(pipe, nullptr, 0, nullptr, &available, nullptr) && available > 0) {
        DWORD got = 0;
        if (!::ReadFile(pipe, chunk, sizeof chunk, &got, nullptr) || got == 0) break;
        bytes.append(chunk, got);
    }
    return bytes;
}

}  // namespace

std::wstring FullPath(const std::wstring& path) {
    wchar_t full[MAX_PATH * 4] = {};
    const DWORD length = ::GetFullPathNameW(path.c_str(), MAX_PATH * 4, full, nullptr);
    if (length == 0 || length >= MAX_PATH * 4) return path;
    wchar_t longer[MAX_PATH * 4] = {};
    const DWORD longLength = ::GetLongPathNameW(full, longer, MAX_PATH * 4);
    if (longLength == 0 || longLength >= MAX_PATH * 4) return full;
    return longer;
}

std::vector<Handle> OpenPromptProcesses(const std::wstring& promptPath, DWORD access) {
    std::vector<Handle> found;
    Handle snapshot(::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    if (!snapshot) return found;
    const std::wstring name = FileName(promptPath);
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof entry;
    for (BOOL more = ::Process32FirstW(snapshot.get(), &entry); more;
         more = ::Process32NextW(snapshot.get(), &entry)) {
        if (!SamePath(entry.szExeFile, name)) continue;
        Handle process(::OpenProcess(access | PROCESS_QUERY_LIMITED_INFORMATION, FALSE,
                                     entry.th32ProcessID));
        if (process && SamePath(ImagePath(process.get()), promptPath)) {
            found.push_back(std::move(process));
        }
    }
    return found;
}

LaunchResult RunLauncher(const std::wstring& launcherPath, const std::wstring& promptPath,
                         const std::wstring& directory) {
    LaunchResult result;
    SECURITY_ATTRIBUTES inheritable{sizeof inheritable, nullptr, TRUE};
    HANDLE readEnd = nullptr;
    HANDLE writeEnd = nullptr;
    if (!::CreatePipe(&readEnd, &writeEnd, &inheritable, 0)) {
        result.error = ::GetLastError();
        return result;
    }
    const Handle output(readEnd);
    Handle launcherOutput(writeEnd);
    ::SetHandleInformation(output.get(), HANDLE_FLAG_INHERIT, 0);

    // One argument, the prompt's command line: its path, quoted.
    std::wstring command = L"\"" + launcherPath + L"\" \"" + promptPath + L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = launcherOutput.get();
    startup.hStdError = launcherOutput.get();
    PROCESS_INFORMATION info{};
    if (!::CreateProcessW(launcherPath.c_str(), command.data(), nullptr, nullptr, TRUE,
                          CREATE_NO_WINDOW, nullptr, directory.c_str(), &startup, &info)) {
        result.error = ::GetLastError();
        return result;
    }
    const Handle process(info.hProcess);
    const Handle thread(info.hThread);
    launcherOutput.reset();  // the launcher holds the only writing end now

    if (::WaitForSingleObject(process.get(), kLauncherWaitMs) != WAIT_OBJECT_0) {
        ::TerminateProcess(process.get(), ERROR_TIMEOUT);
        result.error = ERROR_TIMEOUT;
        return result;
    }
    result.ran = ::GetExitCodeProcess(process.get(), &result.exitCode) != FALSE;
    result.output = Drain(output.get());
    return result;
}

std::string DescribeLaunchFailure(const LaunchResult& result) {
    if (result.error == ERROR_TIMEOUT) return "the launcher did not end within 30 seconds";
    if (!result.ran) {
        return "the launcher could not be run (Windows error " + std::to_string(result.error) +
               ")";
    }
    if (result.exitCode == 0xFFFFFFFF) {
        if (result.output.empty()) {
            return "launcher exit status -1: the prompt could not be started (check its path "
                   "as the launcher sees it)";
        }
        std::string text = "launcher exit status -1:";
        for (char c : result.output) {
            if (c == '\n') {
                text += ' ';
            } else if (c != '\r') {
                text += c;
            }
        }
        while (!text.empty() && text.back() == ' ') text.pop_back();
        return text;
    }
    return "launcher exit status " + std::to_string(result.exitCode) +
           ": enabling SeRestorePrivilege failed with this Windows error";
}

}  // namespace agent
