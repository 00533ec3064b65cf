#pragma once
// Runs the real plimsay.exe as the agent would: copied into a directory of its own with the
// task files, started with another directory as its current one. Restarts are recorded by
// the stand-in installed over the system's shutdown.exe; both directories also hold planted
// shutdown.bat, .cmd and .exe files, which must never run.

#include <windows.h>

#include <optional>
#include <string>

#include "win_files.h"

namespace e2e {

class PromptRun {
public:
    // `program`: plimsay.exe, or another dialog program next to this one (the benchmark's
    // baselines).
    explicit PromptRun(const wchar_t* program = L"plimsay.exe");
    ~PromptRun();  // ends a prompt that is still running
    PromptRun(const PromptRun&) = delete;
    PromptRun& operator=(const PromptRun&) = delete;

    const std::wstring& WorkDir() const { return m_work.path(); }
    const std::wstring& Path() const { return m_path; }
    HANDLE Process() const { return m_process.hProcess; }
    std::wstring ProgramFile(const wchar_t* name) const { return m_program / name; }
    bool WriteProgramFile(const wchar_t* name, const std::string& bytes) const;
    std::optional<std::string> ReadProgramFile(const wchar_t* name) const;
    // What ran in place of a restart, one line per run; empty when nothing ran.
    std::string ShutdownLog() const;
    // The line the system's shutdown.exe records for the restart command.
    static std::string Restarted();

    bool Start();
    // The prompt's dialog once it is visible, clicked on its caption as a user comes to it,
    // and so in the foreground; null after the timeout. The prompt never takes the
    // foreground itself.
    HWND WaitForDialog(DWORD timeoutMs = 15000);
    // The dialog as soon as it is visible, without waiting for it to settle.
    HWND WaitForVisible(DWORD timeoutMs = 15000);
    // A click on the dialog's caption; true once the dialog is in the foreground.
    bool Activate(DWORD timeoutMs = 5000) const;
    // True once the process has ended, with its exit code.
    bool WaitForExit(DWORD timeoutMs, DWORD* exitCode = nullptr);
    bool Running() const;

    HWND Dialog() const { return m_dialog; }
    HWND Item(int id) const { return ::GetDlgItem(m_dialog, id); }
    std::wstring Text(int id) const;
    // An Esc key press, delivered to the dialog's modal loop.
    void PressEscape() const;

private:
    testsupport::TempDirectory m_program{L"prog"};
    testsupport::TempDirectory m_work{L"work"};
    std::wstring m_path;  // the program's copy in its own directory
    PROCESS_INFORMATION m_process{};
    HWND m_dialog = nullptr;
};

// A real left click (mouse input, not a message) at a point of the screen, or in the middle
// of `window`, which activates the window under it as a user's click does.
void RealClick(POINT at);
void RealClick(HWND window);

// The text of any window, read through WM_GETTEXT as another process sees it.
std::wstring WindowText(HWND window);

// Installs the stand-in (restart_standin.exe, next to this program) over the system's
// shutdown.exe and checks that it is what runs; empty, or what is wrong.
std::wstring InstallRestartStandIn();

}  // namespace e2e
