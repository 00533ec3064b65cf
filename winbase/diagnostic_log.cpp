#include "diagnostic_log.h"

namespace winbase {

WideText EnvironmentValue(const wchar_t* name) {
    const DWORD size = ::GetEnvironmentVariableW(name, nullptr, 0);
    if (size <= 1) return {};
    WideText value(size);
    // A value that changed meanwhile is not taken.
    if (value.data() == nullptr || ::GetEnvironmentVariableW(name, value.data(), size) >= size ||
        value.view().empty()) {
        return {};
    }
    return value;
}

char* PutDecimal(char* out, std::uint64_t value, int width) {
    char digits[20];
    int count = 0;
    do {
        digits[count++] = static_cast<char>('0' + value % 10);
        value /= 10;
    } while (value != 0);
    for (int pad = count; pad < width && pad < 20; ++pad) *out++ = '0';
    while (count > 0) *out++ = digits[--count];
    return out;
}

char* LogPiece::Put(char* out) const {
    if (!m_number) {
        for (const char c : m_text) *out++ = c;
        return out;
    }
    if (m_negative) *out++ = '-';
    return PutDecimal(out, m_magnitude);
}

DiagnosticLog::DiagnosticLog(const wchar_t* variable, std::string_view program) {
    char* out = m_prefix;
    // Room is left for the brackets, the process id and the blank.
    for (std::size_t i = 0; i < program.size() && i < sizeof m_prefix - 24; ++i)
        *out++ = program[i];
    *out++ = '[';
    out = PutDecimal(out, ::GetCurrentProcessId());
    *out++ = ']';
    *out++ = ' ';
    *out = '\0';

    if (variable == nullptr) return;
    const WideText path = EnvironmentValue(variable);
    if (path.data() == nullptr) return;
    m_folder = CheckedFolder(path.c_str());
    if (m_folder.Rights() == FolderRights::kTrusted) {
        m_name = WideText::Join({std::wstring_view(LeafName(path.c_str()))});
    }
}

void DiagnosticLog::Write(std::initializer_list<LogPiece> pieces) const {
    if (!Enabled()) return;
    constexpr std::size_t kTimeSize = 32;  // "2026-12-09 14:25:54.123 ", any year
    const std::string_view prefix(m_prefix);
    std::size_t size = kTimeSize + prefix.size() + 2;
    for (const LogPiece& piece : pieces) {
        if (piece.MaxSize() > 0x7FFFFFFF - size) return;  // WriteFile takes a DWORD
        size += piece.MaxSize();
    }
    HeapText<char> line(size);
    char* out = line.data();
    if (out == nullptr) return;

    SYSTEMTIME now{};
    ::GetLocalTime(&now);
    const struct {
        WORD value;
        int width;
        char after;
    } time[] = {{now.wYear, 4, '-'},        {now.wMonth, 2, '-'},  {now.wDay, 2, ' '},
                {now.wHour, 2, ':'},        {now.wMinute, 2, ':'}, {now.wSecond, 2, '.'},
                {now.wMilliseconds, 3, ' '}};
    for (const auto& part : time) {
        out = PutDecimal(out, part.value, part.width);
        *out++ = part.after;
    }
    for (const char c : prefix) *out++ = c;
    char* const message = out;
    for (const LogPiece& piece : pieces) out = piece.Put(out);
    for (char* c = message; c != out; ++c) {
        if (static_cast<unsigned char>(*c) < 0x20) *c = ' ';
    }
    *out++ = '\r';
    *out++ = '\n';

    // Opened for each line and shared, so that the agent can read or remove it meanwhile.
    const UniqueFile file = OpenLogFile(m_folder, m_name.c_str(), kRotateBytes);
    if (!file) return;
    OVERLAPPED atEnd{};
    atEnd.Offset = atEnd.OffsetHigh = MAXDWORD;  // appends, whoever else writes
    DWORD written = 0;
    ::WriteFile(file.get(), line.data(), static_cast<DWORD>(out - line.data()), &written, &atEnd);
}

}  // namespace winbase
