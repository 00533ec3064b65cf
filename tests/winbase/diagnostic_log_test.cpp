// The opt-in log's own rules: off without its variable, rotated once past 1 MB, silent when
// its file can't be written.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "winbase/diagnostic_log.h"
#include "win_files.h"

namespace {

using testsupport::ReadBytes;
using winbase::DiagnosticLog;

class Variable {
public:
    explicit Variable(const std::wstring& value) {
        ::SetEnvironmentVariableW(kName, value.c_str());
    }
    ~Variable() { ::SetEnvironmentVariableW(kName, nullptr); }
    static constexpr wchar_t kName[] = L"VANTREL_TEST_LOG";
};

TEST(DiagnosticLogFile, IsOffWithoutItsVariable) {
    EXPECT_FALSE(DiagnosticLog(Variable::kName, "test").Enabled());
}

TEST(DiagnosticLogFile, IsMovedAsidePastAMegabyte) {
    testsupport::TempDirectory dir;
    const std::wstring path = dir / L"x.log";
    const Variable variable(path);
    const std::string full(DiagnosticLog::kRotateBytes, 'o');
    ASSERT_TRUE(testsupport::WriteBytes(path + L".1", "older"));
    ASSERT_TRUE(testsupport::WriteBytes(path, full));
    DiagnosticLog(Variable::kName, "test").Write("first\nline");
    EXPECT_EQ(ReadBytes(path + L".1"), full);  // replacing the older one
    const std::string line = ReadBytes(path).value_or("");
    EXPECT_NE(line.find(" test["), std::string::npos) << line;
    EXPECT_EQ(line.substr(line.size() - 12), "first line\r\n");
}

// One line as both programs write it: the time, the program and its process id, then the
// pieces, numbers in decimal whatever their type and sign.
TEST(DiagnosticLogFile, WritesTheTimeTheProgramAndThePieces) {
    testsupport::TempDirectory dir;
    const std::wstring path = dir / L"x.log";
    const Variable variable(path);
    DiagnosticLog(Variable::kName, "selvaun")
        .Write({"error ", DWORD{4294967295}, ", status ", -1, ", ", std::int64_t{INT64_MIN}, ", ",
                std::string_view("view")});
    const std::string line = ReadBytes(path).value_or("");
    const std::string expected = " selvaun[" + std::to_string(::GetCurrentProcessId()) +
                                 "] error 4294967295, status -1, -9223372036854775808, view\r\n";
    ASSERT_EQ(line.size(), 23 + expected.size()) << line;
    EXPECT_EQ(line.substr(23), expected);
    for (std::size_t at : {4u, 7u}) EXPECT_EQ(line[at], '-') << line;
    for (std::size_t at : {13u, 16u}) EXPECT_EQ(line[at], ':') << line;
    EXPECT_EQ(line[19], '.') << line;
}

TEST(DiagnosticLogFile, AFileThatCannotBeWrittenIsSkipped) {
    testsupport::TempDirectory dir;
    const Variable variable(dir.path());  // a directory
    DiagnosticLog(Variable::kName, "test").Write("nothing to see");
    EXPECT_TRUE(::GetFileAttributesW(dir.path().c_str()) & FILE_ATTRIBUTE_DIRECTORY);
}

}  // namespace
