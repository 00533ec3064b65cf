#pragma once
// A stream for the launcher's output that the test reads back byte for byte.

#include <cstdio>
#include <optional>
#include <string>

#include "win_files.h"
#include "winbase/diagnostic_log.h"

namespace selvaun::testing {

class OutputFile {
public:
    OutputFile() : m_file(_wfopen((m_dir / L"out.txt").c_str(), L"w+b")) {}
    ~OutputFile() {
        if (m_file != nullptr) std::fclose(m_file);
    }
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;

    std::FILE* get() const { return m_file; }
    std::string Bytes() const {
        std::fflush(m_file);
        std::string bytes;
        std::rewind(m_file);
        for (int c; (c = std::fgetc(m_file)) != EOF;) bytes += static_cast<char>(c);
        return bytes;
    }

private:
    testsupport::TempDirectory m_dir{L"selvaun-out"};
    std::FILE* m_file;
};

// The launcher's log in a file of a temporary folder, read back whole.
class LogFile {
public:
    LogFile() {
        ::SetEnvironmentVariableW(kVariable, m_path.c_str());
        m_log.emplace(kVariable, "selvaun");
        ::SetEnvironmentVariableW(kVariable, nullptr);
    }
    const winbase::DiagnosticLog& get() const { return *m_log; }
    std::string Bytes() const { return testsupport::ReadBytes(m_path).value_or(""); }

private:
    static constexpr wchar_t kVariable[] = L"SELVAUN_TEST_LOG";
    testsupport::TempDirectory m_dir{L"selvaun-log"};
    std::wstring m_path = m_dir / L"selvaun.log";
    std::optional<winbase::DiagnosticLog> m_log;
};

// No log, as for a call without the variable.
inline const winbase::DiagnosticLog kNoLog(nullptr, "selvaun");

}  // namespace selvaun::testing
