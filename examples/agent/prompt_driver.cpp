// prompt_driver: plays the user at a running prompt, for the demo and the agent's test.
//
//   prompt_driver <plimsay.exe> postpone MINUTES   sets the slider and clicks Postpone
//   prompt_driver <plimsay.exe> shown [SECONDS]    waits until the dialog shows (default 60)
//
// Each waits for the prompt started from that path and its dialog on the screen.
// Exit status 0 when done, 1 when the prompt or its dialog did not come in time.
#include <windows.h>
#include <commctrl.h>

#include <cstdio>
#include <cwchar>
#include <string>

#include "prompt_process.h"

namespace {

constexpr int kPostponeButton = 1004;
constexpr int kSlider = 1003;

struct Search {
    DWORD processId;
    HWND dialog;
};

BOOL CALLBACK FindDialog(HWND window, LPARAM param) {
    auto* search = reinterpret_cast<Search*>(param);
    DWORD processId = 0;
    ::GetWindowThreadProcessId(window, &processId);
    wchar_t className[16] = {};
    ::GetClassNameW(window, className, 16);
    if (processId == search->processId && std::wcscmp(className, L"#32770") == 0 &&
        ::IsWindowVisible(window)) {
        search->dialog = window;
        return FALSE;
    }
    return TRUE;
}

// The prompt's dialog once it shows, not minimised. It never takes the foreground itself; a
// click (BM_CLICK) on one of its buttons activates it first, as a user's click does.
HWND WaitForDialog(const std::wstring& prompt, DWORD timeoutMs) {
    const ULONGLONG end = ::GetTickCount64() + timeoutMs;
    do {
        for (const agent::Handle& process : agent::OpenPromptProcesses(prompt, 0)) {
            Search search{::GetProcessId(process.get()), nullptr};
            ::EnumWindows(FindDialog, reinterpret_cast<LPARAM>(&search));
            if (search.dialog != nullptr && !::IsIconic(search.dialog)) {
                // Wine maps a window asynchronously and, for a moment, undoes a minimise the
                // program asks for; no user is that quick.
                ::Sleep(300);
                return search.dialog;
            }
        }
        ::Sleep(50);
    } while (::GetTickCount64() < end);
    return nullptr;
}

bool Postpone(HWND dialog, int minutes) {
    ::SendMessageW(::GetDlgItem(dialog, kSlider), TBM_SETPOS, TRUE, minutes);
    ::PostMessageW(::GetDlgItem(dialog, kPostponeButton), BM_CLICK, 0, 0);
    // The prompt minimises its window, unless the postpone is within its urgency threshold.
    const ULONGLONG end = ::GetTickCount64() + 5000;
    while (!::IsIconic(dialog) && ::GetTickCount64() < end) ::Sleep(50);
    return ::IsIconic(dialog) != FALSE;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    const std::wstring command = argc >= 3 ? argv[2] : L"";
    const int number = argc >= 4 ? static_cast<int>(std::wcstol(argv[3], nullptr, 10)) : 0;
    if (command == L"postpone" && argc == 4 && number >= 1) {
        const HWND dialog = WaitForDialog(agent::FullPath(argv[1]), 60000);
        if (dialog == nullptr || !Postpone(dialog, number)) {
            std::fputs("prompt_driver: could not postpone\n", stderr);
            return 1;
        }
        return 0;
    }
    if (command == L"shown" && (argc == 3 || (argc == 4 && number >= 1))) {
        const DWORD seconds = argc == 4 ? static_cast<DWORD>(number) : 60;
        if (WaitForDialog(agent::FullPath(argv[1]), seconds * 1000) == nullptr) {
            std::fputs("prompt_driver: the dialog did not show\n", stderr);
            return 1;
        }
        return 0;
    }
    std::fputs("usage: prompt_driver <plimsay.exe> postpone MINUTES | shown [SECONDS]\n", stderr);
    return 2;
}
