#include "task_files.h"

#include <charconv>

#include "handle.h"

namespace agent {
namespace {

constexpr DWORD kRetryMs = 100;
// The prompt writes a few hundred bytes; an agent's own task is not much bigger.
constexpr LONGLONG kMaxCfgBytes = 64 * 1024;

bool Exists(const std::wstring& path) {
    return ::GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool RemoveIfPresent(const std::wstring& path) {
    return ::DeleteFileW(path.c_str()) || ::GetLastError() == ERROR_FILE_NOT_FOUND;
}

// Opened sharing read, write and delete, so that the agent never makes the prompt wait.
std::optional<std::string> ReadWhole(const std::wstring& path) {
    Handle file(::CreateFileW(path.c_str(), GENERIC_READ,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    LARGE_INTEGER size{};
    if (!file || !::GetFileSizeEx(file.get(), &size) || size.QuadPart > kMaxCfgBytes) {
        return std::nullopt;
    }
    std::string bytes(static_cast<std::size_t>(size.QuadPart), '\0');
    DWORD got = 0;
    if (!bytes.empty() &&
        !::ReadFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &got, nullptr)) {
        return std::nullopt;
    }
    bytes.resize(got);
    return bytes;
}

int ToInt(std::string_view text) {
    int value = 0;
    std::from_chars(text.data(), text.data() + text.size(), value);
    return value;
}

}  // namespace

TaskFiles::TaskFiles(const std::wstring& promptPath) {
    const std::wstring directory = promptPath.substr(0, promptPath.rfind(L'\\') + 1);
    m_cfg = directory + L"defer.cfg";
    m_lock = directory + L"defer.lock";
    m_cancelFlag = directory + L"cancel.flag";
}

bool TaskFiles::RemoveStaleFiles() const {
    return RemoveIfPresent(m_cancelFlag) && RemoveIfPresent(m_lock);
}

bool TaskFiles::WriteTask(std::string_view bytes) const {
    Handle file(::CreateFileW(m_cfg.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr));
    DWORD written = 0;
    return file &&
           ::WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written,
                       nullptr) &&
           written == bytes.size();
}

std::optional<std::string> TaskFiles::ReadReport(DWORD timeoutMs) const {
    const ULONGLONG end = ::GetTickCount64() + timeoutMs;
    for (;;) {
        // A rewrite is short, but it may begin and end within one read: two equal reads with
        // no lock before, between or after them hold a whole file.
        if (!Exists(m_lock)) {
            const auto first = ReadWhole(m_cfg);
            if (first && !Exists(m_lock)) {
                const auto second = ReadWhole(m_cfg);
                if (second == first && !Exists(m_lock)) return first;
            }
        }
        if (::GetTickCount64() >= end) return std::nullopt;
        ::Sleep(kRetryMs);
    }
}

bool TaskFiles::DropCancelFlag() const {
    return static_cast<bool>(Handle(::CreateFileW(m_cancelFlag.c_str(), GENERIC_WRITE, 0, nullptr,
                                                  CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr)));
}

bool TaskFiles::RemoveCancelFlag() const {
    return RemoveIfPresent(m_cancelFlag);
}

Report ParseReport(std::string_view bytes) {
    Report report;
    std::string_view section;
    std::string_view values[6];  // in the prompt's order, below
    bool seen[6] = {};
    constexpr std::string_view kKeys[6] = {"DefaultPostponeTime", "RemainPostponeCount", "Action",
                                           "Postponed",           "PostponeTime",        "Cancel"};
    int cancelLines = 0;
    std::size_t start = 0;
    for (std::size_t end; (end = bytes.find("\r\n", start)) != std::string_view::npos;
         start = end + 2) {
        const std::string_view line = bytes.substr(start, end - start);
        if (line.starts_with('[')) {
            section = line;
            continue;
        }
        const std::string_view key = line.substr(0, line.find('='));
        if (key == "Cancel") ++cancelLines;
        for (std::size_t k = 0; k < 6; ++k) {
            if (key == kKeys[k] && key.size() < line.size() &&
                section == (k < 3 ? "[Settings]" : "[Feedback]")) {
                values[k] = line.substr(key.size() + 1);
                seen[k] = true;
            }
        }
    }
    if (start != bytes.size() || cancelLines != 1 || !seen[5]) return report;
    // Written back as the prompt writes it: anything else is torn or not the prompt's.
    std::string rebuilt = "[Settings]\r\n";
    for (std::size_t k = 0; k < 6; ++k) {
        if (k == 3) rebuilt += "[Feedback]\r\n";
        if (seen[k]) rebuilt.append(kKeys[k]).append("=").append(values[k]).append("\r\n");
    }
    if (rebuilt != bytes || (values[5] != "yes" && values[5] != "no")) return report;
    report.written = true;
    report.cancel = values[5] == "yes";
    report.remaining = ToInt(values[1]);
    report.postponed = values[3] == "yes";
    report.postponeSeconds = ToInt(values[4]);
    return report;
}

long long BootTimeSeconds() {
    FILETIME now{};
    ::GetSystemTimeAsFileTime(&now);
    const ULONGLONG ticks = (static_cast<ULONGLONG>(now.dwHighDateTime) << 32) | now.dwLowDateTime;
    return static_cast<long long>(ticks / 10000000 - ::GetTickCount64() / 1000);
}

Verdict Decide(const Report& report, DWORD exitCode, bool bootTimeChanged) {
    if (bootTimeChanged) return Verdict::kRestarted;
    // The report is on the disk before the restart is asked for: only a clean end says the
    // request was made, and only a new boot that it was carried out.
    if (report.written && !report.postponed && exitCode == 0) return Verdict::kRestartRequested;
    return Verdict::kRunAgain;
}

std::string TaskBytes(std::string_view action, long long delaySeconds, long long postpones) {
    return "[Settings]\r\nAction=" + std::string(action) +
           "\r\nDefaultPostponeTime=" + std::to_string(delaySeconds) +
           "\r\nRemainPostponeCount=" + std::to_string(postpones) + "\r\n";
}

}  // namespace agent
