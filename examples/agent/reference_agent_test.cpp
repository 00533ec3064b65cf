// The whole chain end to end: the reference agent starts the real plimsay.exe through the real
// selvaun.exe and reports what happened; prompt_driver plays the user. Restarts are recorded
// by the stand-in over the system's shutdown.exe.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "prompt_process.h"
#include "prompt_run.h"
#include "win_files.h"

namespace {

using testsupport::ModuleDirectory;

struct Finished {
    bool ended = false;
    DWORD exitCode = 0;
    std::string out;
    std::string err;
};

std::string Drain(HANDLE pipe) {
    std::string bytes;
    char chunk[512];
    DWORD available = 0;
    DWORD got = 0;
    while (::PeekNamedPipe(pipe, nullptr, 0, nullptr, &available, nullptr) && available > 0 &&
           ::ReadFile(pipe, chunk, sizeof chunk, &got, nullptr) && got > 0) {
        bytes.append(chunk, got);
    }
    return bytes;
}

// A program next to this test, started with its output and errors in pipes.
class Program {
public:
    Program(const std::wstring& name, const std::wstring& arguments) {
        SECURITY_ATTRIBUTES inheritable{sizeof inheritable, nullptr, TRUE};
        HANDLE out[2] = {};
        HANDLE err[2] = {};
        if (!::CreatePipe(&out[0], &out[1], &inheritable, 1 << 16)) return;
        if (!::CreatePipe(&err[0], &err[1], &inheritable, 1 << 16)) return;
        m_out = agent::Handle(out[0]);
        m_err = agent::Handle(err[0]);
        const agent::Handle outWrite(out[1]);
        const agent::Handle errWrite(err[1]);
        ::SetHandleInformation(out[0], HANDLE_FLAG_INHERIT, 0);
        ::SetHandleInformation(err[0], HANDLE_FLAG_INHERIT, 0);
        std::wstring command = L"\"" + ModuleDirectory() + name + L"\" " + arguments;
        STARTUPINFOW startup{};
        startup.cb = sizeof startup;
        startup.dwFlags = STARTF_USESTDHANDLES;
        startup.hStdOutput = out[1];
        startup.hStdError = err[1];
        PROCESS_INFORMATION info{};
        if (::CreateProcessW(nullptr, command.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr,
                             &startup, &info)) {
            m_process = agent::Handle(info.hProcess);
            ::CloseHandle(info.hThread);
        }
    }

    Finished Wait(DWORD timeoutMs) {
        Finished result;
        if (!m_process) return result;
        result.ended = ::WaitForSingleObject(m_process.get(), timeoutMs) == WAIT_OBJECT_0;
        if (!result.ended) ::TerminateProcess(m_process.get(), 1);
        ::GetExitCodeProcess(m_process.get(), &result.exitCode);
        result.out = Drain(m_out.get());
        result.err = Drain(m_err.get());
        return result;
    }

private:
    agent::Handle m_process;
    agent::Handle m_out;
    agent::Handle m_err;
};

std::wstring Quoted(const std::wstring& path) { return L"\"" + path + L"\""; }

class ReferenceAgent : public ::testing::Test {
protected:
    void SetUp() override {
        const std::wstring problem = e2e::InstallRestartStandIn();
        ASSERT_TRUE(problem.empty()) << std::string(problem.begin(), problem.end());
        ASSERT_TRUE(::CopyFileW((ModuleDirectory() + L"plimsay.exe").c_str(), Prompt().c_str(),
                                FALSE));
        ::SetEnvironmentVariableW(L"VANTREL_RESTART_LOG", (m_log / L"restart.log").c_str());
    }
    void TearDown() override {
        // A postponed prompt runs on after the agent stopped waiting.
        for (const agent::Handle& process :
             agent::OpenPromptProcesses(Prompt(), PROCESS_TERMINATE | SYNCHRONIZE)) {
            ::TerminateProcess(process.get(), 1);
            ::WaitForSingleObject(process.get(), 5000);
        }
        ::SetEnvironmentVariableW(L"VANTREL_RESTART_LOG", nullptr);
    }

    std::wstring Prompt() const { return m_program / L"plimsay.exe"; }
    std::wstring File(const wchar_t* name) const { return m_program / name; }
    Program Agent(const std::wstring& options) const {
        return Program(L"reference_agent.exe",
                       Quoted(ModuleDirectory() + L"selvaun.exe") + L" " + Quoted(Prompt()) + L" " +
                           options);
    }
    std::string RestartLog() const {
        return testsupport::ReadBytes(m_log / L"restart.log").value_or("");
    }

    testsupport::TempDirectory m_program{L"agent-prog"};
    testsupport::TempDirectory m_log{L"agent-log"};
};

TEST_F(ReferenceAgent, ReportsAPostponeWhileThePromptWaitsMinimised) {
    // Left by an earlier run: the flag would restart at once, the lock hold up every read.
    ASSERT_TRUE(testsupport::WriteBytes(File(L"cancel.flag"), ""));
    ASSERT_TRUE(testsupport::WriteBytes(File(L"defer.lock"), "left by a crash"));
    Program agent = Agent(L"--delay 60 --postpones 3 --wait 12");
    Program user(L"prompt_driver.exe", Quoted(Prompt()) + L" postpone 2");

    const Finished clicked = user.Wait(40000);
    const Finished reported = agent.Wait(40000);
    EXPECT_TRUE(clicked.ended && clicked.exitCode == 0) << clicked.err;
    ASSERT_TRUE(reported.ended);
    SCOPED_TRACE(reported.err);
    EXPECT_EQ(reported.exitCode, 0u);
    EXPECT_EQ(reported.out, "postponed 2 minutes, 2 left\r\n");
    EXPECT_EQ(testsupport::ReadBytes(File(L"defer.cfg")),
              "[Settings]\r\nDefaultPostponeTime=60\r\nRemainPostponeCount=2\r\nAction=Reboot\r\n"
              "[Feedback]\r\nPostponed=yes\r\nPostponeTime=120\r\nCancel=no\r\n");
    EXPECT_EQ(agent::OpenPromptProcesses(Prompt(), 0).size(), 1u) << "the prompt waits on";
    EXPECT_EQ(RestartLog(), "");
}

TEST_F(ReferenceAgent, TheCancelFlagRestartsAndIsRemovedAfterwards) {
    Program agent = Agent(L"--action Shutdown --delay 60 --postpones 1 --cancel-after 2");
    const Finished reported = agent.Wait(40000);
    ASSERT_TRUE(reported.ended);
    SCOPED_TRACE(reported.err);
    EXPECT_EQ(reported.exitCode, 0u);
    EXPECT_EQ(reported.out, "restart requested (cancel flag)\r\n");
    EXPECT_EQ(testsupport::ReadBytes(File(L"defer.cfg")),
              "[Settings]\r\nDefaultPostponeTime=60\r\nRemainPostponeCount=1\r\nAction=Shutdown\r\n"
              "[Feedback]\r\nCancel=yes\r\n");
    EXPECT_EQ(RestartLog(), e2e::PromptRun::Restarted());
    EXPECT_FALSE(testsupport::Exists(File(L"cancel.flag")));
    EXPECT_TRUE(agent::OpenPromptProcesses(Prompt(), 0).empty());
}

}  // namespace
