// A stand-in for the program a service starts: appends how it was started to the .log file
// next to itself, then, when VANTREL_RECORDER_HOLD names an event, waits for it (20 s at most)
// so that a test can see the launcher end while its program still runs.
// A record is its fields, each ended by a zero byte, then a line feed: the wide command line,
// the current directory and VANTREL_RECORDER_TAG (as UTF-8), then the runtime's argv.
#include <windows.h>

#include <string>

namespace {

std::string Utf8(const wchar_t* wide) {
    const int length = ::WideCharToMultiByte(CP_UTF8, 0, wide, -1, nullptr, 0, nullptr, nullptr);
    if (length <= 0) return {};
    std::string text(static_cast<std::size_t>(length), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, wide, -1, text.data(), length, nullptr, nullptr);
    text.pop_back();
    return text;
}

std::wstring Environment(const wchar_t* name) {
    wchar_t value[1024] = {};
    const DWORD length = ::GetEnvironmentVariableW(name, value, 1024);
    return length > 0 && length < 1024 ? value : L"";
}

}  // namespace

int main(int argc, char** argv) {
    wchar_t directory[MAX_PATH + 1] = {};
    ::GetCurrentDirectoryW(MAX_PATH + 1, directory);
    std::string record = Utf8(::GetCommandLineW()) + '\0' + Utf8(directory) + '\0' +
                         Utf8(Environment(L"VANTREL_RECORDER_TAG").c_str()) + '\0';
    for (int i = 0; i < argc; ++i) record += std::string(argv[i]) + '\0';
    record += '\n';

    wchar_t self[MAX_PATH + 1] = {};
    ::GetModuleFileNameW(nullptr, self, MAX_PATH + 1);
    const std::wstring program = self;
    const std::wstring log = program.substr(0, program.rfind(L'.')) + L".log";
    HANDLE file = ::CreateFileW(log.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ, nullptr,
                                OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return 2;
    DWORD written = 0;
    ::WriteFile(file, record.data(), static_cast<DWORD>(record.size()), &written, nullptr);
    ::CloseHandle(file);

    const std::wstring hold = Environment(L"VANTREL_RECORDER_HOLD");
    if (!hold.empty()) {
        HANDLE event = ::OpenEventW(SYNCHRONIZE, FALSE, hold.c_str());
        if (event != nullptr) {
            ::WaitForSingleObject(event, 20000);
            ::CloseHandle(event);
        }
    }
    return 0;
}
