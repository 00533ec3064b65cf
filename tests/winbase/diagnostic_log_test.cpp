// The opt-in log's own rules: off without its variable, rotated once past 1 MB, silent when
// its file can't be written.
#include <gtest/gtest.h>

#include "diagnostic_log.h"
#include "win_files.h"

namespace {

using testsupport::ReadBytes;

class Variable {
public:
    explicit Variable(const std::wstring& value) { ::SetEnvironmentVariableW(kName, value.c_str()); }
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

TEST(DiagnosticLogFile, AFileThatCannotBeWrittenIsSkipped) {
    testsupport::TempDirectory dir;
    const Variable variable(dir.path());  // a directory
    DiagnosticLog(Variable::kName, "test").Write("nothing to see");
    EXPECT_TRUE(::GetFileAttributesW(dir.path().c_str()) & FILE_ATTRIBUTE_DIRECTORY);
}

}  // namespace
