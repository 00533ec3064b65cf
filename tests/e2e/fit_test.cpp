// Every language file we ship, in both wordings, shown by the real prompt: each label, each
// button and the caption must fit its control when drawn in that control's own font. Under
// Wine the widths mean something only with the fonts that wine_env_fonts (scripts/
// wine_env.sh) maps, so the test checks that they are in effect.
// ctest runs it at 96, 120, 144 and 192 DPI (tests/e2e/at_dpi.cmake).
// One language alone: --gtest_filter=*/TextFit.*/de_DE_*
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <tuple>
#include <type_traits>
#include <vector>

#include "language_files.h"
#include "prompt_run.h"
#include "text_catalogue.h"

namespace e2e {
namespace {

enum class Kind { kCaption, kLabel, kButton };

struct Control {
    int id;  // 0: the caption
    Kind kind;
    const char* rebootKey;  // what the failure message names
    const char* shutdownKey;
};

constexpr Control kControls[] = {
    {0, Kind::kCaption, "CAPTION_DIALOG - CAPTION_REBOOT", "CAPTION_DIALOG - CAPTION_SHUTDOWN"},
    {1001, Kind::kLabel, "IDC_STATIC_SYSTEM_REBOOT", "IDC_STATIC_SYSTEM_SHUTDOWN"},
    {1009, Kind::kLabel, "(minutes left)", "(minutes left)"},
    {1010, Kind::kLabel, "IDC_STATIC_TXT_MIN", "IDC_STATIC_TXT_MIN"},
    {1011, Kind::kLabel, "(seconds left)", "(seconds left)"},
    {1012, Kind::kLabel, "IDC_STATIC_TXT_SEC", "IDC_STATIC_TXT_SEC"},
    {1006, Kind::kLabel, "IDC_STATIC_POSTPONE_REBOOT", "IDC_STATIC_POSTPONE_SHUTDOWN"},
    {1007, Kind::kLabel, "(slider value)", "(slider value)"},
    {1008, Kind::kLabel, "IDC_STATIC_PCMIN", "IDC_STATIC_PCMIN"},
    {1005, Kind::kButton, "IDREBOOT", "IDSHUTDOWN"},
    {1004, Kind::kButton, "IDPOSTPONE (IDPOSTPONE_REMAIN n)", "IDPOSTPONE (IDPOSTPONE_REMAIN n)"},
};

// A push button keeps its text clear, on each side, of the default button's 1-pixel frame,
// the 2-pixel raised edge and the 1-pixel focus rectangle, plus 1 pixel so that no glyph
// touches the focus dots. Wine and classic Windows draw exactly the first three; themed
// Windows has a 3-pixel content margin inside its edge, which this covers too.
constexpr int kButtonMarginPerSideAt96Dpi = 5;

struct ScriptProbe {
    const char* script;
    const wchar_t* narrow;
    const wchar_t* wide;
};

constexpr ScriptProbe kScriptProbes[] = {
    {"Cyrillic", L"\u0433", L"\u0436"},  // г ж
    {"Greek", L"\u03B9", L"\u03C9"},     // ι ω
    {"Hebrew", L"\u05D5", L"\u05E9"},    // ו ש
    {"Arabic", L"\u0627", L"\u0634"},    // ا ش
    {"Thai", L"\u0E23", L"\u0E12"},      // ร ฒ
};

using UniqueFont = std::unique_ptr<std::remove_pointer_t<HFONT>, decltype(&::DeleteObject)>;

bool UnderWine() {
    return ::GetProcAddress(::GetModuleHandleW(L"ntdll.dll"), "wine_get_version") != nullptr;
}

std::wstring Widen(const std::string& utf8) {
    std::wstring wide(utf8.size(), L'\0');
    const int n = ::MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()),
                                        wide.data(), static_cast<int>(wide.size()));
    wide.resize(n > 0 ? static_cast<std::size_t>(n) : 0);
    return wide;
}

int ClientWidth(HWND window) {
    RECT rc{};
    ::GetClientRect(window, &rc);
    return rc.right - rc.left;
}

// The prompt's dialog, made hidden in this process from plimsay.exe's own template 102:
// its WM_GETFONT is the very font the prompt's controls draw with. (The prompt's own font
// handle belongs to its process and is of no use here.)
class TemplateDialog {
public:
    explicit TemplateDialog(const std::wstring& exe) {
        const INITCOMMONCONTROLSEX classes{sizeof(INITCOMMONCONTROLSEX), ICC_WIN95_CLASSES};
        ::InitCommonControlsEx(&classes);
        m_image = ::LoadLibraryExW(exe.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
        HRSRC found = m_image ? ::FindResourceW(m_image, MAKEINTRESOURCEW(102), RT_DIALOG) : nullptr;
        HGLOBAL loaded = found ? ::LoadResource(m_image, found) : nullptr;
        if (loaded == nullptr) return;
        const DWORD size = ::SizeofResource(m_image, found);
        std::vector<DWORD> copy((size + 3) / 4);
        std::memcpy(copy.data(), ::LockResource(loaded), size);
        copy[3] &= ~static_cast<DWORD>(WS_VISIBLE);  // DLGTEMPLATEEX: the style's DWORD
        m_dialog = ::CreateDialogIndirectParamW(
            ::GetModuleHandleW(nullptr), reinterpret_cast<LPCDLGTEMPLATEW>(copy.data()), nullptr,
            [](HWND, UINT, WPARAM, LPARAM) -> INT_PTR { return FALSE; }, 0);
    }
    ~TemplateDialog() {
        if (m_dialog != nullptr) ::DestroyWindow(m_dialog);
        if (m_image != nullptr) ::FreeLibrary(m_image);
    }
    TemplateDialog(const TemplateDialog&) = delete;
    TemplateDialog& operator=(const TemplateDialog&) = delete;

    HWND Window() const { return m_dialog; }
    HFONT Font() const {
        return reinterpret_cast<HFONT>(::SendMessageW(m_dialog, WM_GETFONT, 0, 0));
    }

private:
    HMODULE m_image = nullptr;
    HWND m_dialog = nullptr;
};

// A screen-compatible memory DC with one font selected.
class MeasuringDc {
public:
    explicit MeasuringDc(HFONT font) : m_dc(::CreateCompatibleDC(nullptr)) {
        m_old = ::SelectObject(m_dc, font);
    }
    ~MeasuringDc() {
        ::SelectObject(m_dc, m_old);
        ::DeleteDC(m_dc);
    }
    MeasuringDc(const MeasuringDc&) = delete;
    MeasuringDc& operator=(const MeasuringDc&) = delete;

    int Width(const std::wstring& text) const {
        SIZE size{};
        ::GetTextExtentPoint32W(m_dc, text.c_str(), static_cast<int>(text.size()), &size);
        return size.cx;
    }
    int Dpi() const { return ::GetDeviceCaps(m_dc, LOGPIXELSX); }
    // The font's own family name, not the name asked for, which a substitute keeps.
    std::wstring Family() const {
        const UINT size = ::GetOutlineTextMetricsW(m_dc, 0, nullptr);
        if (size < sizeof(OUTLINETEXTMETRICW)) return L"";
        std::vector<char> buffer(size);
        auto* metrics = reinterpret_cast<OUTLINETEXTMETRICW*>(buffer.data());
        if (::GetOutlineTextMetricsW(m_dc, size, metrics) == 0) return L"";
        const auto offset = reinterpret_cast<UINT_PTR>(metrics->otmpFamilyName);
        return reinterpret_cast<const wchar_t*>(buffer.data() + offset);
    }
    int Em() const {
        TEXTMETRICW metrics{};
        ::GetTextMetricsW(m_dc, &metrics);
        return metrics.tmHeight - metrics.tmInternalLeading;
    }

private:
    HDC m_dc;
    HGDIOBJ m_old;
};

// Stands for an empty list, so that a build without language files fails instead of
// running no test at all.
constexpr char kNoLocale[] = "no_language_files";

// The locales whose files the build copied next to this program.
std::vector<std::string> ShippedLocales() {
    std::vector<std::string> locales;
    for (std::wstring name : testsupport::ShippedPropertyFiles()) {
        name.resize(name.size() - 5);  // ".prop"
        std::string ascii;
        for (wchar_t c : name) ascii.push_back(static_cast<char>(c));  // locale names are ASCII
        locales.push_back(ascii);
    }
    if (locales.empty()) locales.emplace_back(kNoLocale);
    return locales;
}

using Case = std::tuple<std::string, std::string>;  // locale, Action

class TextFit : public ::testing::TestWithParam<Case> {};

TEST_P(TextFit, EveryTextFitsItsControl) {
    const auto& [locale, action] = GetParam();
    const bool reboot = action == "Reboot";
    ASSERT_NE(locale, kNoLocale) << "no .prop file lies in i18n\\ beside this program";

    // The running UI language maps to the locale under test, so one LANG serves them all.
    testsupport::InstalledLanguageFiles files;
    char index[64];
    std::snprintf(index, sizeof index, "%04X %s\r\n", ::GetUserDefaultUILanguage(), locale.c_str());
    ASSERT_TRUE(files.Write(L"i18n.ini", index));
    const std::wstring propName = Widen(locale) + L".prop";
    ASSERT_TRUE(files.InstallShipped(propName));
    vantrel::PropertyFile shipped;
    shipped.Parse(
        testsupport::ReadBytes(testsupport::ModuleDirectory() + L"i18n\\" + propName).value_or(""));

    // A countdown far longer than the test, and a two-digit count for the widest button.
    PromptRun run;
    ASSERT_TRUE(run.WriteProgramFile(L"defer.cfg", "[Settings]\r\nAction=" + action +
                                                       "\r\nDefaultPostponeTime=3600\r\n"
                                                       "RemainPostponeCount=10\r\n"));
    ASSERT_TRUE(run.Start());
    ASSERT_NE(run.WaitForVisible(), nullptr);
    // Measuring the English defaults by mistake would pass for any translation.
    ASSERT_EQ(run.Text(1005), Widen(shipped.Lookup("IDD_VANTREL_DIALOG",
                                                   reboot ? "IDREBOOT" : "IDSHUTDOWN", "")));

    TemplateDialog copy(run.ProgramFile(L"plimsay.exe"));
    ASSERT_NE(copy.Window(), nullptr);
    // The template's sizes follow its font, so equal sizes show the font is the prompt's.
    ASSERT_EQ(ClientWidth(copy.Window()), ClientWidth(run.Dialog()));
    const MeasuringDc controlFont(copy.Font());
    NONCLIENTMETRICSW nonClient{};
    nonClient.cbSize = sizeof nonClient;
    ASSERT_TRUE(::SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof nonClient, &nonClient, 0));
    const UniqueFont captionHandle(::CreateFontIndirectW(&nonClient.lfCaptionFont), &::DeleteObject);
    const MeasuringDc captionFont(captionHandle.get());
    if (UnderWine()) {
        ASSERT_EQ(controlFont.Family(), L"Liberation Sans") << "wine_env_fonts has not run";
        ASSERT_EQ(captionFont.Family(), L"Liberation Sans") << "wine_env_fonts has not run";
        ASSERT_GE(controlFont.Width(L"\u518D"), controlFont.Em()) << "no CJK font linked";
        // A missing glyph is drawn as a box of one width: a narrow and a wide letter of each
        // script must measure differently.
        for (const ScriptProbe& probe : kScriptProbes) {
            ASSERT_LT(controlFont.Width(probe.narrow), controlFont.Width(probe.wide))
                << "no " << probe.script << " glyphs";
        }
    }

    // The DPI the ctest entry set up: without it every row would pass at 96 once more.
    char dpi[8] = {};
    if (::GetEnvironmentVariableA("VANTREL_FIT_DPI", dpi, sizeof dpi) > 0) {
        ASSERT_EQ(controlFont.Dpi(), std::atoi(dpi));
    }

    const int buttonMargin = 2 * ::MulDiv(kButtonMarginPerSideAt96Dpi, controlFont.Dpi(), 96);
    // No system menu, so neither icon nor caption buttons: the title has the width inside
    // the frame, less an edge either side.
    const int captionRoom = ClientWidth(run.Dialog()) - 2 * ::GetSystemMetrics(SM_CXEDGE);

    for (const Control& control : kControls) {
        const bool caption = control.kind == Kind::kCaption;
        const std::wstring text = caption ? WindowText(run.Dialog()) : run.Text(control.id);
        const int width = (caption ? captionFont : controlFont).Width(text);
        int room = caption ? captionRoom : ClientWidth(run.Item(control.id));
        if (control.kind == Kind::kButton) room -= buttonMargin;
        const char* key = reboot ? control.rebootKey : control.shutdownKey;
        EXPECT_FALSE(text.empty()) << locale << " " << action << ", " << key;
        EXPECT_LE(width, room) << locale << " " << action << ", " << key << ": \"" << text
                               << "\" is " << width << " px wide; "
                               << (caption ? "the title bar"
                                   : control.kind == Kind::kButton
                                       ? "its button, less edges and focus rectangle,"
                                       : "its label")
                               << " leaves " << room << " px";
    }
}

INSTANTIATE_TEST_SUITE_P(ShippedLanguages, TextFit,
                         ::testing::Combine(::testing::ValuesIn(ShippedLocales()),
                                            ::testing::Values("Reboot", "Shutdown")),
                         [](const ::testing::TestParamInfo<Case>& test) {
                             return std::get<0>(test.param) + "_" + std::get<1>(test.param);
                         });

}  // namespace
}  // namespace e2e
