#pragma once
// A stream for the launcher's output that the test reads back byte for byte.

#include <cstdio>
#include <string>

#include "win_files.h"

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

}  // namespace selvaun::testing
