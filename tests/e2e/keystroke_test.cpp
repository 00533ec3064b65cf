// Keys typed as a keyboard delivers them, to whatever has the focus: no keystroke but a
// deliberate one on "Reboot now" restarts the computer, and none but one on "Postpone"
// postpones. The prompt never takes the keyboard from the program the user types into.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <ostream>
#include <string>
#include <vector>

#include "prompt_run.h"

namespace e2e {
namespace {

enum class Before {
    kNothing,       // the prompt has just appeared; nobody came to it
    kActivate,      // a click on its caption
    kClickSlider,   // a click on the slider's thumb
    kMousePostpone, // a postpone by mouse, then wait until the prompt is back
    kFocusThenLeave,  // focus on "Reboot now" by Tab, the user's own window activated, a raise
};

struct Case {
    const char* name;  // cppcheck-suppress unusedStructMember ; read by the name generator below
    int delay;
    int remain;
    Before before;
    std::vector<WORD> keys;
    bool restarts;
    int postpones;  // made by the keys
};

const Case kCases[] = {
    {"EnterOnTheSliderByKeyboard", 60, 3, Before::kActivate,
     {VK_TAB, VK_TAB, VK_TAB, VK_LEFT, VK_LEFT, VK_HOME, VK_RIGHT, VK_RIGHT, VK_END, VK_RETURN},
     false, 0},
    {"EnterOnTheSliderAfterAClick", 60, 3, Before::kClickSlider, {VK_RETURN}, false, 0},
    {"SpaceAndEnterAsItAppears", 60, 0, Before::kNothing, {VK_SPACE, VK_RETURN}, false, 0},
    {"EnterAsItAppearsWithPostponesLeft", 60, 3, Before::kNothing, {VK_RETURN}, false, 0},
    {"SpaceAndEnterAsItReturns", 118, 1, Before::kMousePostpone, {VK_SPACE, VK_RETURN}, false, 0},
    {"EnterAsItReturnsWithPostponesLeft", 118, 3, Before::kMousePostpone, {VK_RETURN}, false, 0},
    {"SpaceTwiceOnPostponeIsOnePostpone", 60, 3, Before::kActivate,
     {VK_TAB, VK_SPACE, VK_SPACE}, false, 1},
    {"SpaceAfterARaiseWithTheFocusLeftOnRebootNow", 60, 3, Before::kFocusThenLeave, {VK_SPACE},
     false, 0},
    {"TabToPostponeThenEnter", 60, 3, Before::kActivate, {VK_TAB, VK_RETURN}, false, 1},
    {"TabToRebootNowThenEnter", 60, 0, Before::kActivate, {VK_TAB, VK_RETURN}, true, 0},
};

void PrintTo(const Case& c, std::ostream* out) { *out << c.name; }

std::string Task(int delay, int remain) {
    return "[Settings]\r\nAction=Reboot\r\nDefaultPostponeTime=" + std::to_string(delay) +
           "\r\nRemainPostponeCount=" + std::to_string(remain) + "\r\n";
}

// Messages of this thread's windows handled for `ms`, as a program being typed into does.
void Pump(DWORD ms) {
    const ULONGLONG end = ::GetTickCount64() + ms;
    do {
        MSG msg;
        while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            ::TranslateMessage(&msg);
            ::DispatchMessageW(&msg);
        }
        ::Sleep(10);
    } while (::GetTickCount64() < end);
}

void Press(WORD key) {
    INPUT input[2] = {};
    for (INPUT& i : input) {
        i.type = INPUT_KEYBOARD;
        i.ki.wVk = key;
    }
    input[1].ki.dwFlags = KEYEVENTF_KEYUP;
    ::SendInput(2, input, sizeof(INPUT));
    Pump(140);  // about 7 keys a second, as a person types
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
        Pump(50);
    }
    return true;
}

// The program the user types into: a window of this test, with the keyboard.
class UserWindow {
public:
    UserWindow()
        : m_window(::CreateWindowExW(0, L"EDIT", L"",
                                     WS_OVERLAPPEDWINDOW | WS_VISIBLE | ES_MULTILINE | ES_AUTOVSCROLL,
                                     20, 20, 300, 200, nullptr, nullptr, nullptr, nullptr)) {}
    ~UserWindow() { ::DestroyWindow(m_window); }
    UserWindow(const UserWindow&) = delete;
    UserWindow& operator=(const UserWindow&) = delete;

    bool TakeKeyboard() const {
        ::SetForegroundWindow(m_window);
        ::SetFocus(m_window);
        return WaitFor([&] { return ::GetForegroundWindow() == m_window; }, 3000);
    }
    std::wstring Text() const { return WindowText(m_window); }

private:
    HWND m_window;
};

class Keystrokes : public ::testing::TestWithParam<Case> {};

TEST_P(Keystrokes, OnlyADeliberatePressActs) {
    const Case& c = GetParam();
    PromptRun run;
    UserWindow user;
    ASSERT_TRUE(run.WriteProgramFile(L"defer.cfg", Task(c.delay, c.remain)));
    ASSERT_TRUE(user.TakeKeyboard());
    ASSERT_TRUE(run.Start());
    ASSERT_NE(run.WaitForVisible(), nullptr);
    Pump(300);
    HWND dialog = run.Dialog();
    switch (c.before) {
        case Before::kNothing:
            break;
        case Before::kActivate:
            ASSERT_TRUE(run.Activate());
            break;
        case Before::kClickSlider:
            RealClick(run.Item(1003));
            ASSERT_EQ(Focus(dialog), run.Item(1003));
            break;
        case Before::kMousePostpone:
            // Two minutes, just above the threshold: back, urgent, two seconds later.
            ::SendMessageW(run.Item(1003), TBM_SETPOS, TRUE, 2);
            RealClick(run.Item(1004));
            ASSERT_TRUE(WaitFor([&] { return ::IsIconic(dialog) != FALSE; }, 5000));
            ASSERT_TRUE(WaitFor([&] { return !::IsIconic(dialog); }, 8000));
            Pump(300);
            break;
        case Before::kFocusThenLeave:
            ASSERT_TRUE(run.Activate());
            for (int tabs = 0; tabs < 4 && Focus(dialog) != run.Item(1005); ++tabs) Press(VK_TAB);
            ASSERT_EQ(Focus(dialog), run.Item(1005));
            ASSERT_TRUE(user.TakeKeyboard());
            Pump(6000);  // a raise every 5 s
            break;
    }
    const std::string cfg = run.ReadProgramFile(L"defer.cfg").value_or("");
    for (WORD key : c.keys) Press(key);

    if (c.restarts) {
        ASSERT_TRUE(run.WaitForExit(5000));
        EXPECT_EQ(run.ShutdownLog(), PromptRun::Restarted());
        return;
    }
    Pump(1000);
    EXPECT_TRUE(run.Running());
    EXPECT_EQ(run.ShutdownLog(), "");
    const std::string after = run.ReadProgramFile(L"defer.cfg").value_or("");
    if (c.postpones == 0) {
        EXPECT_EQ(after, cfg);  // no report either
    } else {
        EXPECT_NE(after.find("RemainPostponeCount=" + std::to_string(c.remain - c.postpones) + "\r\n"),
                  std::string::npos)
            << after;
    }
}

INSTANTIATE_TEST_SUITE_P(RealPrompt, Keystrokes, ::testing::ValuesIn(kCases),
                         [](const ::testing::TestParamInfo<Case>& test) {
                             return std::string(test.param.name);
                         });

// Somebody types into their own program as the prompt appears and is raised: every key
// stays theirs.
TEST(Typing, NeverReachesThePrompt) {
    PromptRun run;
    UserWindow user;
    ASSERT_TRUE(run.WriteProgramFile(L"defer.cfg", Task(60, 3)));
    const std::string cfg = run.ReadProgramFile(L"defer.cfg").value_or("");
    ASSERT_TRUE(user.TakeKeyboard());
    ASSERT_TRUE(run.Start());
    const WORD keys[] = {'A', VK_SPACE, 'B', VK_RETURN, 'C', VK_TAB, VK_SPACE};
    int typed = 0;
    bool promptInFront = false;
    const ULONGLONG end = ::GetTickCount64() + 7000;  // the first raise is 5 s after the start
    for (std::size_t i = 0; ::GetTickCount64() < end; ++i) {
        Press(keys[i % std::size(keys)]);
        typed += keys[i % std::size(keys)] == 'A';
        promptInFront |= run.Dialog() != nullptr && ::GetForegroundWindow() == run.Dialog();
        if (run.Dialog() == nullptr) run.WaitForVisible(1);
    }
    ASSERT_NE(run.Dialog(), nullptr);
    EXPECT_FALSE(promptInFront);
    EXPECT_TRUE(run.Running());
    EXPECT_EQ(run.ShutdownLog(), "");
    EXPECT_EQ(run.ReadProgramFile(L"defer.cfg"), cfg);
    const std::wstring text = user.Text();
    EXPECT_EQ(static_cast<int>(std::count(text.begin(), text.end(), L'a')), typed) << "keys lost";
}

}  // namespace
}  // namespace e2e
