#include "launcher_run.h"

#include <tlhelp32.h>

#include <cwctype>

#include "win_files.h"

namespace selvaun::e2e {
namespace {

std::string Drain(HANDLE pipe) {
    std::string bytes;
    char chunk[512];
    DWORD available = 0;
    // The launcher has ended: take what it wrote without waiting on writers it may have
    // passed on.
    while (::PeekNamedPipe(pipe, nullptr, 0, nullptr, &available, nullptr) && available > 0) {
        DWORD got = 0;
        if (!::ReadFile(pipe, chunk, sizeof chunk, &got, nullptr) || got == 0) break;
        bytes.append(chunk, got);
    }
    return bytes;
}

}  // namespace

LauncherResult RunLauncher(const std::wstring& arguments, const std::wstring& directory,
                           DWORD timeoutMs) {
    LauncherResult result;
    SECURITY_ATTRIBUTES inheritable{sizeof inheritable, nullptr, TRUE};
    HANDLE outRead = nullptr, outWrite = nullptr, errRead = nullptr, errWrite = nullptr;
    if (!::CreatePipe(&outRead, &outWrite, &inheritable, 1 << 16)) return result;
    if (!::CreatePipe(&errRead, &errWrite, &inheritable, 1 << 16)) return result;
    ::SetHandleInformation(outRead, HANDLE_FLAG_INHERIT, 0);
    ::SetHandleInformation(errRead, HANDLE_FLAG_INHERIT, 0);

    std::wstring command =
        QuoteArgument(testsupport::ModuleDirectory() + L"selvaun.exe") + L" " + arguments;
    if (arguments.empty()) command.pop_back();
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = outWrite;
    startup.hStdError = errWrite;
    PROCESS_INFORMATION process{};
    const BOOL started =
        ::CreateProcessW(nullptr, command.data(), nullptr, nullptr, TRUE, CREATE_NO_WINDOW, nullptr,
                         directory.empty() ? nullptr : directory.c_str(), &startup, &process);
    ::CloseHandle(outWrite);
    ::CloseHandle(errWrite);
    if (started) {
        result.exited = ::WaitForSingleObject(process.hProcess, timeoutMs) == WAIT_OBJECT_0;
        if (!result.exited) ::TerminateProcess(process.hProcess, 1);
        ::GetExitCodeProcess(process.hProcess, &result.exitCode);
        ::CloseHandle(process.hThread);
        ::CloseHandle(process.hProcess);
        result.out = Drain(outRead);
        result.err = Drain(errRead);
    }
    ::CloseHandle(outRead);
    ::CloseHandle(errRead);
    return result;
}

std::wstring QuoteArgument(const std::wstring& argument) {
    std::wstring quoted = L"\"";
    std::size_t backslashes = 0;
    for (wchar_t c : argument) {
        if (c == L'\\') {
            ++backslashes;
            continue;
        }
        // Backslashes before a quote are doubled, and the quote escaped.
        quoted.append(c == L'"' ? backslashes * 2 + 1 : backslashes, L'\\');
        backslashes = 0;
        quoted += c;
    }
    quoted.append(backslashes * 2, L'\\');  // before the closing quote
    return quoted + L"\"";
}

std::vector<Record> WaitForRecords(const std::wstring& log, std::size_t count, DWORD timeoutMs) {
    std::vector<Record> records;
    const ULONGLONG end = ::GetTickCount64() + timeoutMs;
    for (;;) {
        records.clear();
        const std::string bytes = testsupport::ReadBytes(log).value_or("");
        std::size_t start = 0;
        for (std::size_t stop; (stop = bytes.find('\n', start)) != std::string::npos;
             start = stop + 1) {
            std::vector<std::string> fields;
            for (std::size_t field = start, zero;
                 (zero = bytes.find('\0', field)) != std::string::npos && zero < stop;
                 field = zero + 1) {
                fields.push_back(bytes.substr(field, zero - field));
            }
            if (fields.size() < 3) continue;
            records.push_back({fields[0], fields[1], fields[2],
                               std::vector<std::string>(fields.begin() + 3, fields.end())});
        }
        if (records.size() >= count || ::GetTickCount64() >= end) return records;
        ::Sleep(50);
    }
}

std::string Utf8(const std::wstring& wide) {
    const int length =
        ::WideCharToMultiByte(CP_UTF8, 0, wide.c_str(), -1, nullptr, 0, nullptr, nullptr);
    std::string text(static_cast<std::size_t>(length), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, wide.c_str(), -1, text.data(), length, nullptr, nullptr);
    text.pop_back();
    return text;
}

std::wstring RecorderPath() {
    return testsupport::ModuleDirectory() + L"recorder.exe";
}

bool InstallRecorder(const std::wstring& path) {
    return ::CopyFileW(RecorderPath().c_str(), path.c_str(), FALSE) != FALSE;
}

std::wstring LogOf(const std::wstring& program) {
    return program.substr(0, program.rfind(L'.')) + L".log";
}

ScopedVariable::ScopedVariable(const wchar_t* name, const std::wstring& value) : m_name(name) {
    const DWORD size = ::GetEnvironmentVariableW(name, nullptr, 0);
    if (size != 0) {
        std::wstring former(size, L'\0');
        former.resize(::GetEnvironmentVariableW(name, former.data(), size));
        m_former = former;
    }
    ::SetEnvironmentVariableW(name, value.c_str());
}

ScopedVariable::~ScopedVariable() {
    ::SetEnvironmentVariableW(m_name, m_former ? m_former->c_str() : nullptr);
}

int EndProcessesOf(const std::wstring& path) {
    int ended = 0;
    const auto lower = [](std::wstring text) {
        for (wchar_t& c : text) c = static_cast<wchar_t>(std::towlower(c));
        return text;
    };
    const std::wstring file = lower(path);
    const std::wstring folder = file + L"\\";
    HANDLE snapshot = ::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE) return 0;
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof entry;
    for (BOOL more = ::Process32FirstW(snapshot, &entry); more;
         more = ::Process32NextW(snapshot, &entry)) {
        HANDLE process =
            ::OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION | PROCESS_TERMINATE | SYNCHRONIZE,
                          FALSE, entry.th32ProcessID);
        if (process == nullptr) continue;
        wchar_t image[MAX_PATH * 4] = {};
        DWORD size = MAX_PATH * 4;
        if (::QueryFullProcessImageNameW(process, 0, image, &size)) {
            const std::wstring name = lower(std::wstring(image, size));
            if (name == file || name.rfind(folder, 0) == 0) {
                ::TerminateProcess(process, 1);
                ::WaitForSingleObject(process, 5000);
                ++ended;
            }
        }
        ::CloseHandle(process);
    }
    ::CloseHandle(snapshot);
    return ended;
}

Planted::~Planted() {
    EndProcessesOf(m_path);
    const std::wstring extension = m_path.substr(m_path.rfind(L'.') + 1);
    for (const std::wstring& file :
         {m_path, m_path + L".ran", extension == L"exe" ? LogOf(m_path) : std::wstring()}) {
        // A process just ended may still hold its file for a moment.
        for (int i = 0; i < 100 && !file.empty() && testsupport::Exists(file); ++i) {
            testsupport::RemoveTree(file);
            if (testsupport::Exists(file)) ::Sleep(50);
        }
    }
}

}  // namespace selvaun::e2e
