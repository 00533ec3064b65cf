#pragma once
// One run of a dialog program of ours or of a baseline: copied into a directory of its own
// (where the agent puts the prompt and its task files) and started with another directory as
// its current one, as the harness of the end-to-end tests does. Restarts go to the stand-in
// over the system's shutdown.exe, which appends to this run's restart log.

#include <windows.h>

#include <optional>
#include <string>

#include "win_files.h"

namespace bench {

class ProgramRun {
public:
    // `program`: the name of a program next to this one.
    explicit ProgramRun(const wchar_t* program);
    ~ProgramRun();  // ends the program if it still runs
    ProgramRun(const ProgramRun&) = delete;
    ProgramRun& operator=(const ProgramRun&) = delete;

    const std::wstring& Path() const { return m_path; }
    std::wstring ProgramFile(const wchar_t* name) const { return m_program / name; }
    bool WriteProgramFile(const wchar_t* name, const std::string& bytes) const;
    std::string ReadProgramFile(const wchar_t* name) const;  // empty when missing
    std::string RestartLog() const;

    bool Start();
    // Its dialog as soon as it is visible, or null after the timeout.
    HWND WaitForVisible(DWORD timeoutMs);
    // Visible, in the foreground and given a moment to settle: ready for clicks.
    HWND WaitForReady(DWORD timeoutMs);
    bool WaitForExit(DWORD timeoutMs);
    // Esc, as a user would end the dialog; ended by force when that does not work.
    void Close();

    HANDLE Process() const { return m_process.hProcess; }
    HWND Dialog() const { return m_dialog; }
    HWND Item(int id) const { return ::GetDlgItem(m_dialog, id); }

private:
    testsupport::TempDirectory m_program{L"bprog"};
    testsupport::TempDirectory m_work{L"bwork"};
    std::wstring m_path;
    PROCESS_INFORMATION m_process{};
    HWND m_dialog = nullptr;
};

// Seconds since an arbitrary start, from the performance counter.
double Now();

}  // namespace bench
