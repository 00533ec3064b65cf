#include "prompt_run.h"

#include <vector>

namespace e2e {
namespace {

constexpr wchar_t kRestartLogVariable[] = L"VANTREL_RESTART_LOG";
// What a planted script records if it ever runs.
constexpr char kPlantedScript[] = "@echo planted %~f0 %*>>\"%VANTREL_RESTART_LOG%\"\r\n";

std::wstring SystemDirectory() {
    wchar_t directory[MAX_PATH] = {};
    const UINT length = ::GetSystemDirectoryW(directory, MAX_PATH);
    return std::wstring(directory, length < MAX_PATH ? length : 0);
}

std::wstring StandIn() { return testsupport::ModuleDirectory() + L"restart_standin.exe"; }

std::string Utf8(const std::wstring& wide) {
    const int length =
        ::WideCharToMultiByte(CP_UTF8, 0, wide.c_str(), -1, nullptr, 0, nullptr, nullptr);
    std::string text(static_cast<std::size_t>(length > 0 ? length : 1), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, wide.c_str(), -1, text.data(), length, nullptr, nullptr);
    text.pop_back();
    return text;
}

struct Search {
    DWORD pid;
    HWND found;
};

BOOL CALLBACK FindDialogOf(HWND window, LPARAM param) {
    auto* search = reinterpret_cast<Search*>(param);
    DWORD pid = 0;
    ::GetWindowThreadProcessId(window, &pid);
    wchar_t cls[32] = {};
    ::GetClassNameW(window, cls, 32);
    if (pid == search->pid && std::wstring(cls) == L"#32770" && ::IsWindowVisible(window)) {
        search->found = window;
        return FALSE;
    }
    return TRUE;
}

}  // namespace

std::wstring WindowText(HWND window) {
    DWORD_PTR length = 0;
    if (!::SendMessageTimeoutW(window, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, 5000, &length)) {
        return L"<no answer>";
    }
    std::vector<wchar_t> text(length + 1, L'\0');
    DWORD_PTR copied = 0;
    ::SendMessageTimeoutW(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()),
                          SMTO_ABORTIFHUNG, 5000, &copied);
    return std::wstring(text.data(), copied);
}

std::wstring InstallRestartStandIn() {
    const std::wstring system = SystemDirectory() + L"\\shutdown.exe";
    if (testsupport::ReadBytes(system) != testsupport::ReadBytes(StandIn()) &&
        !::CopyFileW(StandIn().c_str(), system.c_str(), FALSE)) {
        return L"cannot install the stand-in over " + system;
    }
    testsupport::TempDirectory probe(L"standin");
    ::SetEnvironmentVariableW(kRestartLogVariable, (probe / L"log").c_str());
    std::wstring command = L"shutdown /probe";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (::CreateProcessW(system.c_str(), command.data(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW,
                         nullptr, nullptr, &startup, &process)) {
        ::WaitForSingleObject(process.hProcess, 15000);
        ::CloseHandle(process.hThread);
        ::CloseHandle(process.hProcess);
    }
    ::SetEnvironmentVariableW(kRestartLogVariable, nullptr);
    if (testsupport::ReadBytes(probe / L"log").value_or("").find("|shutdown /probe") ==
        std::string::npos) {
        return L"the system's own shutdown.exe runs, not the stand-in: under Wine, "
               L"WINEDLLOVERRIDES must name shutdown.exe=n";
    }
    return {};
}

PromptRun::PromptRun(const wchar_t* program) : m_path(m_program / program) {
    ::CopyFileW((testsupport::ModuleDirectory() + program).c_str(), m_path.c_str(), FALSE);
    // Planted where a search by name would look first; none of them may ever run.
    for (const std::wstring& dir : {m_program.path(), m_work.path()}) {
        testsupport::WriteBytes(dir + L"\\shutdown.bat", kPlantedScript);
        testsupport::WriteBytes(dir + L"\\shutdown.cmd", kPlantedScript);
        ::CopyFileW(StandIn().c_str(), (dir + L"\\shutdown.exe").c_str(), FALSE);
    }
}

PromptRun::~PromptRun() {
    if (m_process.hProcess != nullptr) {
        if (Running()) {
            ::TerminateProcess(m_process.hProcess, 1);
            ::WaitForSingleObject(m_process.hProcess, 5000);
        }
        ::CloseHandle(m_process.hThread);
        ::CloseHandle(m_process.hProcess);
    }
}

bool PromptRun::WriteProgramFile(const wchar_t* name, const std::string& bytes) const {
    return testsupport::WriteBytes(ProgramFile(name), bytes);
}

std::optional<std::string> PromptRun::ReadProgramFile(const wchar_t* name) const {
    return testsupport::ReadBytes(ProgramFile(name));
}

std::string PromptRun::ShutdownLog() const {
    return testsupport::ReadBytes(m_work / L"shutdown.log").value_or("");
}

std::string PromptRun::Restarted() {
    return Utf8(SystemDirectory()) + "\\shutdown.exe|shutdown /r /f\r\n";
}

bool PromptRun::Start() {
    ::SetEnvironmentVariableW(kRestartLogVariable, (m_work / L"shutdown.log").c_str());
    std::wstring command = L"\"" + m_path + L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    return ::CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr,
                            WorkDir().c_str(), &startup, &m_process) != FALSE;
}

HWND PromptRun::WaitForVisible(DWORD timeoutMs) {
    const ULONGLONG end = ::GetTickCount64() + timeoutMs;
    while (::GetTickCount64() < end) {
        Search search{m_process.dwProcessId, nullptr};
        ::EnumWindows(FindDialogOf, reinterpret_cast<LPARAM>(&search));
        if (search.found != nullptr) return m_dialog = search.found;
        if (!Running()) break;
        // Short enough for the benchmark's start-up figure, long enough to leave the CPU
        // to the program.
        ::Sleep(2);
    }
    return nullptr;
}

HWND PromptRun::WaitForDialog(DWORD timeoutMs) {
    if (WaitForVisible(timeoutMs) == nullptr || !Activate()) return nullptr;
    // Wine maps a new window asynchronously and, for a moment after, undoes a minimise
    // the program asks for; no user is that quick, so give it that moment.
    ::Sleep(300);
    return m_dialog;
}

bool PromptRun::Activate(DWORD timeoutMs) const {
    RECT frame{};
    ::GetWindowRect(m_dialog, &frame);
    POINT at{(frame.left + frame.right) / 2, frame.top};
    while (at.y < frame.bottom &&
           ::SendMessageW(m_dialog, WM_NCHITTEST, 0, MAKELPARAM(at.x, at.y)) != HTCAPTION) {
        ++at.y;
    }
    RealClick(at);
    const ULONGLONG end = ::GetTickCount64() + timeoutMs;
    while (::GetForegroundWindow() != m_dialog) {
        if (::GetTickCount64() >= end) return false;
        ::Sleep(20);
    }
    return true;
}

void RealClick(POINT at) {
    ::SetCursorPos(at.x, at.y);
    INPUT input[2] = {};
    input[0].type = input[1].type = INPUT_MOUSE;
    input[0].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
    input[1].mi.dwFlags = MOUSEEVENTF_LEFTUP;
    ::SendInput(2, input, sizeof(INPUT));
    ::Sleep(200);
}

void RealClick(HWND window) {
    RECT rc{};
    ::GetWindowRect(window, &rc);
    RealClick(POINT{(rc.left + rc.right) / 2, (rc.top + rc.bottom) / 2});
}

bool PromptRun::WaitForExit(DWORD timeoutMs, DWORD* exitCode) {
    if (m_process.hProcess == nullptr ||
        ::WaitForSingleObject(m_process.hProcess, timeoutMs) != WAIT_OBJECT_0) {
        return false;
    }
    if (exitCode != nullptr) ::GetExitCodeProcess(m_process.hProcess, exitCode);
    return true;
}

bool PromptRun::Running() const {
    return m_process.hProcess != nullptr &&
           ::WaitForSingleObject(m_process.hProcess, 0) == WAIT_TIMEOUT;
}

std::wstring PromptRun::Text(int id) const { return WindowText(Item(id)); }

void PromptRun::PressEscape() const {
    HWND target = Item(1004);
    ::PostMessageW(target, WM_KEYDOWN, VK_ESCAPE, 0x00010001);
    ::PostMessageW(target, WM_KEYUP, VK_ESCAPE, static_cast<LPARAM>(0xC0010001u));
}

}  // namespace e2e
