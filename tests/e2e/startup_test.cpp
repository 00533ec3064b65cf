// The prompt starts, shows its dialog from template 102 and ends on Esc without a trace.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <vector>

#include "dialog_template.h"
#include "prompt_run.h"

namespace e2e {
namespace {

struct ExpectedItem {
    int id;
    const wchar_t* cls;
    const wchar_t* text;
    short x, y, cx, cy;
    DWORD style;
};

constexpr DWORD kChild = WS_CHILD | WS_VISIBLE;
constexpr DWORD kLabel = kChild | WS_GROUP | SS_LEFT;

// Template order is tab and z order.
const ExpectedItem kItems[] = {
    {1004, L"Button", L"Postpone", 170, 116, 95, 16, kChild | WS_TABSTOP | BS_PUSHBUTTON},
    {1005, L"Button", L"Reboot now", 61, 117, 95, 16, kChild | WS_TABSTOP | BS_DEFPUSHBUTTON},
    {1003, L"msctls_trackbar32", L"", 7, 100, 258, 15, kChild | WS_TABSTOP | TBS_HORZ | TBS_NOTICKS},
    {1000, L"Edit", L"", 7, 7, 258, 41,
     kChild | WS_TABSTOP | WS_BORDER | WS_VSCROLL | ES_MULTILINE | ES_READONLY | ES_WANTRETURN},
    {1001, L"Static", L"System will reboot in:", 7, 52, 115, 8, kLabel},
    {1009, L"Static", L"15", 141, 52, 20, 8, kLabel},
    {1010, L"Static", L"min", 174, 52, 29, 8, kLabel},
    {1011, L"Static", L"00", 209, 52, 19, 8, kLabel},
    {1012, L"Static", L"sec", 236, 52, 29, 8, kLabel},
    {1002, L"msctls_progress32", L"", 7, 65, 258, 14, 0x50800001},
    {1006, L"Static", L"Postpone reboot by:", 7, 87, 119, 8, kLabel},
    {1007, L"Static", L"15", 141, 87, 26, 8, kLabel},
    {1008, L"Static", L"min", 174, 87, 48, 8, kLabel},
};

std::wstring Plimsay() { return testsupport::ModuleDirectory() + L"plimsay.exe"; }

TEST(DialogTemplate, IsTemplate102ExactlyAsDesigned) {
    const auto dialog = LoadDialogTemplate(Plimsay(), 102);
    ASSERT_TRUE(dialog.has_value());
    EXPECT_EQ(dialog->caption, L"Orvex Agent - Reboot Required");
    EXPECT_EQ(dialog->font, L"Microsoft Sans Serif");
    EXPECT_EQ(dialog->pointSize, 8);
    EXPECT_EQ(dialog->weight, 400);
    EXPECT_EQ(dialog->italic, 0);
    EXPECT_EQ(dialog->cx, 272);
    EXPECT_EQ(dialog->cy, 140);
    EXPECT_EQ(dialog->style, static_cast<DWORD>(WS_POPUP | WS_VISIBLE | WS_CAPTION | DS_MODALFRAME |
                                                DS_SYSMODAL | DS_CENTER | DS_SETFONT));
    EXPECT_EQ(dialog->exStyle, static_cast<DWORD>(WS_EX_TOPMOST | WS_EX_APPWINDOW));
    ASSERT_EQ(dialog->items.size(), std::size(kItems));
    for (std::size_t i = 0; i < std::size(kItems); ++i) {
        const TemplateItem& got = dialog->items[i];
        const ExpectedItem& want = kItems[i];
        SCOPED_TRACE(want.id);
        EXPECT_EQ(got.id, static_cast<DWORD>(want.id));
        EXPECT_EQ(_wcsicmp(got.cls.c_str(), want.cls), 0) << got.cls;  // class names ignore case
        EXPECT_EQ(got.text, want.text);
        EXPECT_EQ(got.x, want.x);
        EXPECT_EQ(got.y, want.y);
        EXPECT_EQ(got.cx, want.cx);
        EXPECT_EQ(got.cy, want.cy);
        EXPECT_EQ(got.style, want.style);
        EXPECT_EQ(got.exStyle, 0u);
    }
}

TEST(DialogTemplate, CarriesTheIconAndTheManifest) {
    HMODULE image = ::LoadLibraryExW(Plimsay().c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_NE(image, nullptr);
    EXPECT_NE(::FindResourceW(image, MAKEINTRESOURCEW(137), MAKEINTRESOURCEW(14)), nullptr);
    // Each size is stored, not scaled from another, and decodes.
    HRSRC group = ::FindResourceW(image, MAKEINTRESOURCEW(137), MAKEINTRESOURCEW(14));
    const auto* directory = static_cast<const BYTE*>(::LockResource(::LoadResource(image, group)));
    std::vector<int> stored;  // GRPICONDIR: 6 bytes, then 14 a size, its width first (0: 256)
    for (int i = 0; i < directory[4]; ++i) stored.push_back(directory[6 + 14 * i] == 0 ? 256 : directory[6 + 14 * i]);
    EXPECT_EQ(stored, (std::vector<int>{16, 20, 24, 32, 40, 48, 64, 256}));
    for (int size : {16, 20, 24, 32, 40, 48, 64, 256}) {
        HICON icon = static_cast<HICON>(
            ::LoadImageW(image, MAKEINTRESOURCEW(137), IMAGE_ICON, size, size, 0));
        ASSERT_NE(icon, nullptr) << size;
        ICONINFO info{};
        ASSERT_TRUE(::GetIconInfo(icon, &info)) << size;
        BITMAP bitmap{};
        ::GetObjectW(info.hbmColor, sizeof bitmap, &bitmap);
        EXPECT_EQ(bitmap.bmWidth, size);
        ::DeleteObject(info.hbmColor);
        ::DeleteObject(info.hbmMask);
        ::DestroyIcon(icon);
    }
    HRSRC manifest = ::FindResourceW(image, MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(24));
    ASSERT_NE(manifest, nullptr);
    const std::string text(static_cast<const char*>(::LockResource(::LoadResource(image, manifest))),
                           ::SizeofResource(image, manifest));
    EXPECT_NE(text.find("level=\"asInvoker\" uiAccess=\"false\""), std::string::npos);
    EXPECT_NE(text.find("<dpiAware"), std::string::npos);
    EXPECT_NE(text.find(">PerMonitorV2, PerMonitor</dpiAwareness>"), std::string::npos);
    EXPECT_NE(text.find("Microsoft.Windows.Common-Controls\" version=\"6.0.0.0\""),
              std::string::npos);
    ::FreeLibrary(image);
}

class StartupTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_run.WriteProgramFile(L"defer.cfg", kTask));
        // The current directory holds task files too; the prompt must not use them.
        ASSERT_TRUE(testsupport::WriteBytes(m_run.WorkDir() + L"\\defer.cfg", kDecoy));
        ASSERT_TRUE(m_run.Start());
        ASSERT_NE(m_run.WaitForDialog(), nullptr);
    }
    static constexpr char kTask[] = "[Settings]\r\nAction=Reboot\r\nDefaultPostponeTime=30\r\n";
    static constexpr char kDecoy[] = "[Settings]\r\nAction=Decoy\r\n";
    PromptRun m_run;
};

TEST_F(StartupTest, TheDialogIsTopmostWithATaskbarButtonAndNoCaptionButtons) {
    HWND dialog = m_run.Dialog();
    const LONG style = ::GetWindowLongW(dialog, GWL_STYLE);
    const LONG exStyle = ::GetWindowLongW(dialog, GWL_EXSTYLE);
    EXPECT_TRUE(style & WS_POPUP);
    EXPECT_EQ(style & WS_CAPTION, WS_CAPTION);
    EXPECT_FALSE(style & (WS_SYSMENU | WS_MINIMIZEBOX | WS_MAXIMIZEBOX));
    EXPECT_TRUE(exStyle & WS_EX_TOPMOST);
    EXPECT_TRUE(exStyle & WS_EX_APPWINDOW);
}

TEST_F(StartupTest, TheControlsStandInTemplateOrderAndPlace) {
    HWND dialog = m_run.Dialog();
    RECT client{};
    ::GetClientRect(dialog, &client);
    // The dialog's base units, from its size of 272 by 140 dialog units.
    int baseX = 0, baseY = 0;
    for (int b = 1; b < 64; ++b) {
        if (::MulDiv(272, b, 4) == client.right) baseX = b;
        if (::MulDiv(140, b, 8) == client.bottom) baseY = b;
    }
    ASSERT_NE(baseX, 0) << client.right;
    ASSERT_NE(baseY, 0) << client.bottom;

    HWND child = ::GetWindow(dialog, GW_CHILD);
    for (const ExpectedItem& want : kItems) {
        SCOPED_TRACE(want.id);
        ASSERT_NE(child, nullptr);
        EXPECT_EQ(::GetDlgCtrlID(child), want.id);
        wchar_t cls[64] = {};
        ::GetClassNameW(child, cls, 64);
        EXPECT_EQ(_wcsicmp(cls, want.cls), 0) << cls;
        RECT rect{};
        ::GetWindowRect(child, &rect);
        ::MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&rect), 2);
        EXPECT_EQ(rect.left, ::MulDiv(want.x, baseX, 4));
        EXPECT_EQ(rect.top, ::MulDiv(want.y, baseY, 8));
        EXPECT_EQ(rect.right - rect.left, ::MulDiv(want.cx, baseX, 4));
        EXPECT_EQ(rect.bottom - rect.top, ::MulDiv(want.cy, baseY, 8));
        child = ::GetWindow(child, GW_HWNDNEXT);
    }
    EXPECT_EQ(child, nullptr);
}

TEST_F(StartupTest, TheDialogIsCentredInTheWorkArea) {
    RECT work{}, window{};
    ::SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    ::GetWindowRect(m_run.Dialog(), &window);
    EXPECT_LE(abs((window.left + window.right) - (work.left + work.right)), 2);
    EXPECT_LE(abs((window.top + window.bottom) - (work.top + work.bottom)), 2);
}

// Clicked on its caption, the dialog puts the focus where Space and Enter do nothing.
TEST_F(StartupTest, TheMessageHasTheFocus) {
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    DWORD thread = ::GetWindowThreadProcessId(m_run.Dialog(), nullptr);
    ASSERT_TRUE(::GetGUIThreadInfo(thread, &info));
    EXPECT_EQ(info.hwndFocus, m_run.Item(1000));
}

TEST_F(StartupTest, EscEndsItWithoutWritingOrRunningAnything) {
    m_run.PressEscape();
    DWORD code = 1;
    ASSERT_TRUE(m_run.WaitForExit(10000, &code));
    EXPECT_EQ(code, 0u);
    EXPECT_EQ(m_run.ReadProgramFile(L"defer.cfg"), kTask);
    EXPECT_FALSE(testsupport::Exists(m_run.ProgramFile(L"defer.lock")));
    EXPECT_EQ(testsupport::ReadBytes(m_run.WorkDir() + L"\\defer.cfg"), kDecoy);
    EXPECT_EQ(m_run.ShutdownLog(), "");
}

}  // namespace
}  // namespace e2e
