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
    if (length == 0 || length >= size) return;
    const std::wstring path(value.data(), length);
    m_folder = std::make_unique<vantrel::CheckedFolder>(path.c_str());
    if (m_folder->Rights() == vantrel::FolderRights::kTrusted) {
        m_name = vantrel::LeafName(path.c_str());
    }
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

std::string DiagnosticLog::FolderNote(const wchar_t* programPath) {
    const vantrel::CheckedFolder folder(programPath != nullptr ? programPath : L"");
    wchar_t account[512] = {};
    switch (folder.Rights(account, 512)) {
    case vantrel::FolderRights::kTrusted:
        return "folder: only the system, administrators and this account may write in it";
    case vantrel::FolderRights::kOpen:
        return "folder: " + Utf8(vantrel::FromWin(std::wstring_view(account))) +
               " may create or write files in it; task files are used only as plain files of "
               "this folder";
    case vantrel::FolderRights::kUnreadable:
        break;
    }
    return "folder: its owner and access list could not be read";
}

void DiagnosticLog::Write(std::string_view message) const {
    if (!Enabled()) return;

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
    const fw::UniqueFile file = vantrel::OpenLogFile(*m_folder, m_name.c_str(), kRotateBytes);
    if (!file) return;
    OVERLAPPED atEnd{};
    atEnd.Offset = atEnd.OffsetHigh = MAXDWORD;  // appends, whoever else writes
    DWORD written = 0;
    ::WriteFile(file.get(), line.data(), static_cast<DWORD>(line.size()), &written, &atEnd);
}
