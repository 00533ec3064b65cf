// Keys typed at the real prompt, as a keyboard delivers them to whatever has the focus: no
// keystroke but a deliberate one on "Reboot now" restarts the computer.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

#include "prompt_run.h"

namespace e2e {
namespace {

enum class Before {
    kNothing,
    kClickSlider,   // a mouse click on the slider's thumb
    kLastPostpone,  // the last postpone, then wait until the urgent prompt is back
};

struct Case {
    const char* name;  // cppcheck-suppress unusedStructMember ; read by CaseName below
    int delay;
    int remain;
    Before before;
    std::vector<WORD> keys;
    bool restarts;
};

const Case kCases[] = {
    {"EnterOnTheSliderByKeyboard", 60, 3, Before::kNothing,
     {VK_TAB, VK_TAB, VK_LEFT, VK_LEFT, VK_HOME, VK_RIGHT, VK_RIGHT, VK_END, VK_RETURN}, false},
    {"EnterOnTheSliderAfterAClick", 60, 3, Before::kClickSlider, {VK_RETURN}, false},
    {"SpaceAndEnterAsItAppears", 60, 0, Before::kNothing, {VK_SPACE, VK_RETURN}, false},
    {"SpaceAndEnterAsItReturns", 118, 1, Before::kLastPostpone, {VK_SPACE, VK_RETURN}, false},
    {"TabToRebootNowThenEnter", 60, 0, Before::kNothing, {VK_TAB, VK_RETURN}, true},
};

void PrintTo(const Case& c, std::ostream* out) { *out << c.name; }

std::string Task(int delay, int remain) {
    return "[Settings]\r\nAction=Reboot\r\nDefaultPostponeTime=" + std::to_string(delay) +
           "\r\nRemainPostponeCount=" + std::to_string(remain) + "\r\n";
}

void Press(WORD key) {
    INPUT input[2] = {};
    for (INPUT& i : input) {
        i.type = INPUT_KEYBOARD;
        i.ki.wVk = key;
    }
    input[1].ki.dwFlags = KEYEVENTF_KEYUP;
    ::SendInput(2, input, sizeof(INPUT));
    ::Sleep(100);  // one key at a time, as a person types
}

// A left click in the middle of `window`, as its thread receives one.
void ClickAt(HWND window) {
    RECT rc{};
    ::GetClientRect(window, &rc);
    const LPARAM at = MAKELPARAM(rc.right / 2, rc.bottom / 2);
    ::PostMessageW(window, WM_LBUTTONDOWN, MK_LBUTTON, at);
    ::PostMessageW(window, WM_LBUTTONUP, 0, at);
    ::Sleep(200);
}

HWND Focus(HWND dialog) {
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    ::GetGUIThreadInfo(::GetWindowThreadProcessId(dialog, nullptr), &info);
    return info.hwndFocus;
}

template <typename F>
bool WaitFor(F done, DWORD timeoutMs) {
    const ULONGLONG end = ::GetTickCount64() + timeoutMs;
    while (!done()) {
        if (::GetTickCount64() >= end) return false;
        ::Sleep(50);
    }
    return true;
}

class Keystrokes : public ::testing::TestWithParam<Case> {};

TEST_P(Keystrokes, OnlyADeliberateRebootNowRestarts) {
    const Case& c = GetParam();
    PromptRun run;
    ASSERT_TRUE(run.WriteProgramFile(L"defer.cfg", Task(c.delay, c.remain)));
    ASSERT_TRUE(run.Start());
    ASSERT_NE(run.WaitForDialog(), nullptr);
    HWND dialog = run.Dialog();
    switch (c.before) {
        case Before::kNothing:
            break;
        case Before::kClickSlider:
            ClickAt(run.Item(1003));
            ASSERT_EQ(Focus(dialog), run.Item(1003));
            break;
        case Before::kLastPostpone:
            // Two minutes, just above the threshold: back, urgent, two seconds later.
            ::SendMessageW(run.Item(1003), TBM_SETPOS, TRUE, 2);
            ::PostMessageW(run.Item(1004), BM_CLICK, 0, 0);
            ASSERT_TRUE(WaitFor([&] { return ::IsIconic(dialog) != FALSE; }, 5000));
            ASSERT_TRUE(WaitFor([&] { return !::IsIconic(dialog) && ::GetForegroundWindow() == dialog; },
                                8000));
            break;
    }
    const std::string cfg = run.ReadProgramFile(L"defer.cfg").value_or("");
    for (WORD key : c.keys) Press(key);

    if (c.restarts) {
        ASSERT_TRUE(run.WaitForExit(5000));
        EXPECT_EQ(run.ShutdownLog(), PromptRun::Restarted());
        return;
    }
    ::Sleep(1000);
    EXPECT_TRUE(run.Running());
    EXPECT_EQ(run.ShutdownLog(), "");
    EXPECT_EQ(run.ReadProgramFile(L"defer.cfg"), cfg);  // no report either
}

INSTANTIATE_TEST_SUITE_P(RealPrompt, Keystrokes, ::testing::ValuesIn(kCases),
                         [](const ::testing::TestParamInfo<Case>& test) {
                             return std::string(test.param.name);
                         });

}  // namespace
}  // namespace e2e
