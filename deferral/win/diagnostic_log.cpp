#include "diagnostic_log.h"

#include <vector>

#include "framework/unique_handle.h"
#include "number.h"
#include "wide_cast.h"

DiagnosticLog::DiagnosticLog(const wchar_t* variable, std::string_view program)
    : m_prefix(std::string(program) + "[" + vantrel::FormatDecimal(::GetCurrentProcessId()) + "]") {
    const DWORD size = ::GetEnvironmentVariableW(variable, nullptr, 0);
    if (size <= 1) return;
    std::vector<wchar_t> value(size, L'\0');
    const DWORD length = ::GetEnvironmentVariableW(variable, value.data(), size);
    if (length > 0 && length < size) m_path.assign(value.data(), length);
}

std::string DiagnosticLog::Utf8(vantrel::WideView text) {
    if (text.empty() || text.size() > 0x7FFFFFFF / 4) return {};
    const std::wstring wide = vantrel::ToWin(text);
    const int units = static_cast<int>(wide.size());
    const int bytes =
        ::WideCharToMultiByte(CP_UTF8, 0, wide.data(), units, nullptr, 0, nullptr, nullptr);
    if (bytes <= 0) return {};
    std::string utf8(static_cast<std::size_t>(bytes), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, wide.data(), units, utf8.data(), bytes, nullptr, nullptr);
    return utf8;
}

void DiagnosticLog::Write(std::string_view message) const {
    if (!Enabled()) return;
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (::GetFileAttributesExW(m_path.c_str(), GetFileExInfoStandard, &data) &&
        ((static_cast<LONGLONG>(data.nFileSizeHigh) << 32) | data.nFileSizeLow) >= kRotateBytes) {
        ::MoveFileExW(m_path.c_str(), (m_path + L".1").c_str(), MOVEFILE_REPLACE_EXISTING);
    }

    SYSTEMTIME now{};
    ::GetLocalTime(&now);
    using vantrel::FormatDecimal;
    std::string line = FormatDecimal(now.wYear, 4) + "-" + FormatDecimal(now.wMonth, 2) + "-" +
                       FormatDecimal(now.wDay, 2) + " " + FormatDecimal(now.wHour, 2) + ":" +
                       FormatDecimal(now.wMinute, 2) + ":" + FormatDecimal(now.wSecond, 2) + "." +
                       FormatDecimal(now.wMilliseconds, 3) + " " + m_prefix + " ";
    for (char c : message) line += static_cast<unsigned char>(c) < 0x20 ? ' ' : c;
    line += "\r\n";

    // Opened for each line and shared, so that the agent can read or remove it meanwhile.
    const fw::UniqueFile file(::CreateFileW(m_path.c_str(), FILE_APPEND_DATA,
                                            FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                            nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return;
    DWORD written = 0;
    ::WriteFile(file.get(), line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
}
