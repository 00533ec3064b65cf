#include "process_usage.h"

#include <psapi.h>

#include <cstdlib>
#include <cstring>
#include <sstream>
#include <vector>

namespace bench {
namespace {

constexpr wchar_t kHostProc[] = L"Z:\\proc\\";

std::string ReadSmallFile(const std::wstring& path) {
    HANDLE file = ::CreateFileW(path.c_str(), GENERIC_READ,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return {};
    std::string bytes;
    char chunk[4096];
    DWORD got = 0;
    // Files under /proc report no size: read until the end.
    while (::ReadFile(file, chunk, sizeof chunk, &got, nullptr) && got > 0)
        bytes.append(chunk, got);
    ::CloseHandle(file);
    return bytes;
}

std::string Lower(std::string text) {
    for (char& c : text) {
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
        if (c == '/') c = '\\';
        if (c == '\0') c = ' ';
    }
    return text;
}

std::string Ascii(const std::wstring& wide) {
    std::string text;
    for (wchar_t c : wide) text += c < 0x80 ? static_cast<char>(c) : '?';
    return text;
}

// The program's directory and file name: unique to the run, whatever form of the path
// (Windows or Unix) the host's command line holds.
std::string PathTail(const std::wstring& path) {
    const std::size_t name = path.rfind(L'\\');
    const std::size_t directory = name == std::wstring::npos ? name : path.rfind(L'\\', name - 1);
    return Lower(Ascii(directory == std::wstring::npos ? path : path.substr(directory + 1)));
}

std::wstring FindHostDirectory(const std::wstring& path) {
    const std::string tail = PathTail(path);
    WIN32_FIND_DATAW found;
    HANDLE search = ::FindFirstFileW((std::wstring(kHostProc) + L"*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return {};
    std::wstring match;
    do {
        if (found.cFileName[0] < L'0' || found.cFileName[0] > L'9') continue;
        const std::wstring directory = std::wstring(kHostProc) + found.cFileName;
        if (Lower(ReadSmallFile(directory + L"\\cmdline")).find(tail) != std::string::npos) {
            match = directory;
            break;
        }
    } while (::FindNextFileW(search, &found));
    ::FindClose(search);
    return match;
}

std::optional<double> StatusKb(const std::string& status, const char* field) {
    const std::size_t at = status.find(field);
    if (at == std::string::npos) return std::nullopt;
    return std::strtod(status.c_str() + at + std::strlen(field), nullptr);
}

int CountEntries(const std::wstring& directory) {
    WIN32_FIND_DATAW found;
    HANDLE search = ::FindFirstFileW((directory + L"\\*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return -1;
    int count = 0;
    do {
        if (found.cFileName[0] != L'.') ++count;
    } while (::FindNextFileW(search, &found));
    ::FindClose(search);
    return count;
}

std::optional<unsigned long> NonZero(unsigned long value) {
    return value != 0 ? std::optional<unsigned long>(value) : std::nullopt;
}

}  // namespace

ProcessUsageReader::ProcessUsageReader(HANDLE process, const std::wstring& path, long clockTicks)
    : m_process(process),
      m_clockTicks(clockTicks > 0 ? clockTicks : 100),
      m_hostDirectory(FindHostDirectory(path)) {}

ProcessUsage ProcessUsageReader::Read() const {
    ProcessUsage usage;
    PROCESS_MEMORY_COUNTERS memory{};
    memory.cb = sizeof memory;
    if (::GetProcessMemoryInfo(m_process, &memory, sizeof memory)) {
        usage.peakKb = static_cast<double>(memory.PeakWorkingSetSize) / 1024.0;
        usage.residentKb = static_cast<double>(memory.WorkingSetSize) / 1024.0;
    }
    FILETIME created, exited, kernel, user;
    if (::GetProcessTimes(m_process, &created, &exited, &kernel, &user)) {
        const auto ms = [](const FILETIME& t) {
            return static_cast<double>((static_cast<ULONGLONG>(t.dwHighDateTime) << 32) |
                                       t.dwLowDateTime) /
                   10000.0;
        };
        if (ms(kernel) + ms(user) > 0) usage.cpuMs = ms(kernel) + ms(user);
    }
    DWORD handles = 0;
    if (::GetProcessHandleCount(m_process, &handles)) usage.handles = NonZero(handles);
    usage.gdiObjects = NonZero(::GetGuiResources(m_process, GR_GDIOBJECTS));
    usage.userObjects = NonZero(::GetGuiResources(m_process, GR_USEROBJECTS));
    if (m_hostDirectory.empty()) return usage;

    // Fields 14 and 15 of stat, counted from the state after the command name in brackets.
    const std::string stat = ReadSmallFile(m_hostDirectory + L"\\stat");
    const std::size_t close = stat.rfind(')');
    if (close != std::string::npos) {
        std::istringstream fields(stat.substr(close + 1));
        std::vector<std::string> field;
        for (std::string f; fields >> f;) field.push_back(f);
        if (field.size() > 12) {
            const double ticks =
                std::strtod(field[11].c_str(), nullptr) + std::strtod(field[12].c_str(), nullptr);
            usage.cpuMs = ticks * 1000.0 / static_cast<double>(m_clockTicks);
        }
    }
    double runNs = 0;
    bool anyThread = false;
    WIN32_FIND_DATAW found;
    HANDLE search = ::FindFirstFileW((m_hostDirectory + L"\\task\\*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            if (found.cFileName[0] == L'.') continue;
            const std::string schedstat =
                ReadSmallFile(m_hostDirectory + L"\\task\\" + found.cFileName + L"\\schedstat");
            if (schedstat.empty()) continue;
            runNs += std::strtod(schedstat.c_str(), nullptr);
            anyThread = true;
        } while (::FindNextFileW(search, &found));
        ::FindClose(search);
    }
    if (anyThread) usage.runMs = runNs / 1e6;
    const std::string status = ReadSmallFile(m_hostDirectory + L"\\status");
    if (const auto rss = StatusKb(status, "VmRSS:")) usage.residentKb = rss;
    usage.anonKb = StatusKb(status, "RssAnon:");
    usage.fileKb = StatusKb(status, "RssFile:");
    usage.sharedKb = StatusKb(status, "RssShmem:");
    const int descriptors = CountEntries(m_hostDirectory + L"\\fd");
    if (descriptors >= 0) usage.fileDescriptors = descriptors;
    return usage;
}

}  // namespace bench
