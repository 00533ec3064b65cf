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
    if (!bytes.empty() && !::ReadFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()),
                                      &got, nullptr)) {
        return std::nullopt;
    }
    bytes.resize(got);
    return bytes;
}

bool EndsWith(std::string_view text, std::string_view end) {
    return text.size() >= end.size() && text.substr(text.size() - end.size()) == end;
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
    Handle file(::CreateFileW(m_cfg.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                              CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
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

bool TaskFiles::RemoveCancelFlag() const { return RemoveIfPresent(m_cancelFlag); }

Report ParseReport(std::string_view bytes) {
    Report report;
    // The prompt's last line is always its Cancel line; anything else is not its report.
    const bool cancel = EndsWith(bytes, "\r\nCancel=yes\r\n");
    report.written = bytes.find("\r\n[Feedback]\r\n") != std::string_view::npos &&
                     (cancel || EndsWith(bytes, "\r\nCancel=no\r\n"));
    if (!report.written) return report;
    report.cancel = cancel;
    std::string_view section;
    for (std::size_t start = 0, end; (end = bytes.find("\r\n", start)) != std::string_view::npos;
         start = end + 2) {
        const std::string_view line = bytes.substr(start, end - start);
        if (line.starts_with('[')) {
            section = line;
            continue;
        }
        const std::size_t equals = line.find('=');
        if (equals == std::string_view::npos) continue;
        const std::string_view key = line.substr(0, equals);
        const std::string_view value = line.substr(equals + 1);
        if (section == "[Settings]" && key == "RemainPostponeCount") report.remaining = ToInt(value);
        if (section == "[Feedback]" && key == "Postponed") report.postponed = value == "yes";
        if (section == "[Feedback]" && key == "PostponeTime") report.postponeSeconds = ToInt(value);
    }
    return report;
}

std::string TaskBytes(std::string_view action, long long delaySeconds, long long postpones) {
    return "[Settings]\r\nAction=" + std::string(action) +
           "\r\nDefaultPostponeTime=" + std::to_string(delaySeconds) +
           "\r\nRemainPostponeCount=" + std::to_string(postpones) + "\r\n";
}

}  // namespace agent
