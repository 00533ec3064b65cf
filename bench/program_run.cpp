#include "program_run.h"

namespace bench {
namespace {

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
    if (pid == search->pid && lstrcmpW(cls, L"#32770") == 0 && ::IsWindowVisible(window)) {
        search->found = window;
        return FALSE;
    }
    return TRUE;
}

}  // namespace

double Now() {
    LARGE_INTEGER frequency, counter;
    ::QueryPerformanceFrequency(&frequency);
    ::QueryPerformanceCounter(&counter);
    return static_cast<double>(counter.QuadPart) / static_cast<double>(frequency.QuadPart);
}

ProgramRun::ProgramRun(const wchar_t* program) : m_path(m_program / program) {
    ::CopyFileW((testsupport::ModuleDirectory() + program).c_str(), m_path.c_str(), FALSE);
}

ProgramRun::~ProgramRun() {
    if (m_process.hProcess == nullptr) return;
    if (!WaitForExit(0)) {
        ::TerminateProcess(m_process.hProcess, 1);
        ::WaitForSingleObject(m_process.hProcess, 5000);
    }
    ::CloseHandle(m_process.hThread);
    ::CloseHandle(m_process.hProcess);
}

bool ProgramRun::WriteProgramFile(const wchar_t* name, const std::string& bytes) const {
    return testsupport::WriteBytes(ProgramFile(name), bytes);
}

std::string ProgramRun::ReadProgramFile(const wchar_t* name) const {
    return testsupport::ReadBytes(ProgramFile(name)).value_or("");
}

std::string ProgramRun::RestartLog() const {
    return testsupport::ReadBytes(m_work / L"restart.log").value_or("");
}

bool ProgramRun::Start() {
    ::SetEnvironmentVariableW(L"VANTREL_RESTART_LOG", (m_work / L"restart.log").c_str());
    std::wstring command = L"\"" + m_path + L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    return ::CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr,
                            m_work.path().c_str(), &startup, &m_process) != FALSE;
}

HWND ProgramRun::WaitForVisible(DWORD timeoutMs) {
    const ULONGLONG end = ::GetTickCount64() + timeoutMs;
    do {
        Search search{m_process.dwProcessId, nullptr};
        ::EnumWindows(FindDialogOf, reinterpret_cast<LPARAM>(&search));
        if (search.found != nullptr) return m_dialog = search.found;
        if (WaitForExit(0)) break;
        // Short enough for a fine figure, long enough to leave the CPU to the program.
        ::Sleep(2);
    } while (::GetTickCount64() < end);
    return nullptr;
}

HWND ProgramRun::WaitForReady(DWORD timeoutMs) {
    const ULONGLONG end = ::GetTickCount64() + timeoutMs;
    if (WaitForVisible(timeoutMs) == nullptr) return nullptr;
    while (::GetForegroundWindow() != m_dialog) {
        if (::GetTickCount64() >= end) return nullptr;
        ::Sleep(20);
    }
    // Wine maps a new window asynchronously and for a moment after undoes a minimise.
    ::Sleep(300);
    return m_dialog;
}

bool ProgramRun::WaitForExit(DWORD timeoutMs) {
    return m_process.hProcess != nullptr &&
           ::WaitForSingleObject(m_process.hProcess, timeoutMs) == WAIT_OBJECT_0;
}

void ProgramRun::Close() {
    if (m_process.hProcess == nullptr || WaitForExit(0)) return;
    if (m_dialog != nullptr) {
        HWND target = Item(1004);
        ::PostMessageW(target, WM_KEYDOWN, VK_ESCAPE, 0x00010001);
        ::PostMessageW(target, WM_KEYUP, VK_ESCAPE, static_cast<LPARAM>(0xC0010001u));
        if (WaitForExit(5000)) return;
    }
    ::TerminateProcess(m_process.hProcess, 1);
    ::WaitForSingleObject(m_process.hProcess, 5000);
}

}  // namespace bench
