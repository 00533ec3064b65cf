// docs_screenshot <scene> <out.bmp>: shows the real prompt in one of the README's scenes and
// saves the dialog as it is on the screen. Scenes: reboot, shutdown, postponed, german, arabic
// (shutdown wording), and any shipped locale as <locale> or <locale>-shutdown
// (sr_Cyrl_RS-shutdown) to look at one.
#include <windows.h>
#include <commctrl.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <string>

#include "language_files.h"
#include "prompt_run.h"

namespace {

std::string Task(const char* action, int delay) {
    return std::string("[Settings]\r\nAction=") + action +
           "\r\nDefaultPostponeTime=" + std::to_string(delay) + "\r\nRemainPostponeCount=3\r\n";
}

// The window's pixels, frame and caption included, as a 24-bit bottom-up BMP file.
bool SaveWindow(HWND window, const char* path) {
    RECT rect{};
    ::GetWindowRect(window, &rect);
    const int width = rect.right - rect.left, height = rect.bottom - rect.top;
    const int stride = (width * 3 + 3) & ~3;
    BITMAPINFO info{};
    info.bmiHeader = {sizeof info.bmiHeader, width, height, 1, 24, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    HDC screen = ::GetDC(nullptr);
    HDC memory = ::CreateCompatibleDC(screen);
    HBITMAP bitmap = ::CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ previous = ::SelectObject(memory, bitmap);
    ::BitBlt(memory, 0, 0, width, height, screen, rect.left, rect.top, SRCCOPY);
    ::GdiFlush();
    BITMAPFILEHEADER file{0x4D42, 0, 0, 0, sizeof file + sizeof info.bmiHeader};
    file.bfSize = file.bfOffBits + static_cast<DWORD>(stride * height);
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(&file), sizeof file);
    out.write(reinterpret_cast<const char*>(&info.bmiHeader), sizeof info.bmiHeader);
    out.write(static_cast<const char*>(bits), stride * height);
    ::SelectObject(memory, previous);
    ::DeleteObject(bitmap);
    ::DeleteDC(memory);
    ::ReleaseDC(nullptr, screen);
    return out.good();
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fputs("usage: docs_screenshot reboot|shutdown|postponed|german|arabic|<locale>[-shutdown] "
                   "<out.bmp>\n",
                   stderr);
        return 2;
    }
    std::string scene = argv[1];
    const bool shutdown = scene.size() > 9 && scene.ends_with("-shutdown");
    if (shutdown) scene.resize(scene.size() - 9);
    const bool english = scene == "reboot" || scene == "shutdown" || scene == "postponed";
    const std::string locale = scene == "german"   ? "de_DE"
                               : scene == "arabic" ? "ar_SA"
                               : english           ? ""
                                                   : scene;
    // Whatever the prompt would run ends in the stand-in; these scenes end with Esc anyway.
    if (!e2e::InstallRestartStandIn().empty()) return 1;
    testsupport::InstalledLanguageFiles files;
    if (!locale.empty()) {
        // The running language mapped to the locale's file: no other locale needed.
        char map[600] = {};
        std::snprintf(map, sizeof map, "%04X %s\r\n", ::GetUserDefaultUILanguage(), locale.c_str());
        const std::wstring file(locale.begin(), locale.end());
        if (!files.Write(L"i18n.ini", map) || !files.InstallShipped((file + L".prop").c_str())) {
            return 1;
        }
    }
    e2e::PromptRun run;
    // Arabic in the one-clause shutdown wording: Wine sets a two-clause message's clauses in
    // reverse order (README, "What only Windows shows").
    const bool shutdownWording = shutdown || scene == "shutdown" || scene == "arabic";
    run.WriteProgramFile(L"defer.cfg", Task(shutdownWording ? "Shutdown" : "Reboot",
                                            scene == "postponed" ? 300 : 900));
    if (!run.Start() || run.WaitForDialog() == nullptr) return 1;
    if (scene == "postponed") {
        // Four minutes is not above the five-minute threshold: back at once, red.
        ::SendMessageW(run.Item(1003), TBM_SETPOS, TRUE, 4);
        ::PostMessageW(run.Item(1004), BM_CLICK, 0, 0);
        ::Sleep(1500);
        ::SetForegroundWindow(run.Dialog());
    }
    ::Sleep(2600);  // a few seconds into the countdown
    const bool saved = SaveWindow(run.Dialog(), argv[2]);
    run.PressEscape();
    run.WaitForExit(5000);
    return saved ? 0 : 1;
}
