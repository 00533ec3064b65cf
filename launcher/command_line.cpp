#include "command_line.h"

#include <cstddef>

namespace selvaun {

bool IsValidUtf8(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size()) {
        const auto lead = static_cast<unsigned char>(text[i]);
        std::size_t length = 0;
        unsigned char low = 0x80;  // the range allowed for the second byte
        unsigned char high = 0xBF;
        if (lead < 0x80) {
            ++i;
            continue;
        }
        if (lead >= 0xC2 && lead <= 0xDF) {
            length = 2;
        } else if (lead >= 0xE0 && lead <= 0xEF) {
            length = 3;
            if (lead == 0xE0) low = 0xA0;   // overlong
            if (lead == 0xED) high = 0x9F;  // surrogates
        } else if (lead >= 0xF0 && lead <= 0xF4) {
            length = 4;
            if (lead == 0xF0) low = 0x90;   // overlong
            if (lead == 0xF4) high = 0x8F;  // above U+10FFFF
        } else {
            return false;
        }
        if (text.size() - i < length) return false;
        for (std::size_t k = 1; k < length; ++k) {
            const auto next = static_cast<unsigned char>(text[i + k]);
            if (next < (k == 1 ? low : 0x80) || next > (k == 1 ? high : 0xBF)) return false;
        }
        i += length;
    }
    return true;
}

std::size_t SplitCommandLine(std::wstring_view commandLine, std::size_t index, WideText& argument) {
    // No argument is longer than the whole line.
    argument = WideText(commandLine.size() + 1);
    wchar_t* out = argument.data();
    std::size_t count = 0;
    const auto emit = [&](wchar_t c, std::size_t times = 1) {
        if (count == index && out != nullptr) {
            for (; times > 0; --times) *out++ = c;
        }
    };
    const auto blank = [](wchar_t c) { return c == L' ' || c == L'\t'; };
    const std::size_t end = commandLine.size();
    std::size_t i = 0;

    // The program name: quotes only protect blanks, backslashes are plain.
    for (bool quoted = false; i < end && (quoted || !blank(commandLine[i])); ++i) {
        if (commandLine[i] == L'"') {
            quoted = !quoted;
        } else {
            emit(commandLine[i]);
        }
    }
    ++count;

    for (;;) {
        while (i < end && blank(commandLine[i])) ++i;
        if (i == end) break;
        bool quoted = false;
        while (i < end && (quoted || !blank(commandLine[i]))) {
            if (commandLine[i] == L'\\') {
                std::size_t run = 0;
                for (; i < end && commandLine[i] == L'\\'; ++i) ++run;
                const bool beforeQuote = i < end && commandLine[i] == L'"';
                emit(L'\\', beforeQuote ? run / 2 : run);
                if (beforeQuote && run % 2 == 1) emit(commandLine[i++]);
                // after an even run the quote is taken as a quote on the next turn
            } else if (commandLine[i] == L'"') {
                if (quoted && i + 1 < end && commandLine[i + 1] == L'"') {
                    emit(L'"');
                    ++i;
                } else {
                    quoted = !quoted;
                }
                ++i;
            } else {
                emit(commandLine[i++]);
            }
        }
        ++count;
    }
    return count;
}

namespace {

// Whether `text` starts with an absolute path: "C:\", "\\server" or "\".
bool StartsAbsolute(std::wstring_view text) {
    return text[0] == L'\\' || text[0] == L'/' ||
           (text.size() > 2 && text[1] == L':' && (text[2] == L'\\' || text[2] == L'/'));
}

// The length of the longest leading part that ends in ".exe" and is followed by a blank, a
// tab or the end; 0 when there is none.
std::size_t LongestExePart(std::wstring_view text) {
    constexpr std::wstring_view kExe = L".exe";
    for (std::size_t end = text.size(); end > kExe.size(); --end) {
        if (end < text.size() && text[end] != L' ' && text[end] != L'\t') continue;
        bool exe = true;
        for (std::size_t k = 0; k < kExe.size(); ++k) {
            const wchar_t c = text[end - kExe.size() + k];
            exe = exe && (c == kExe[k] || c == kExe[k] - L'a' + L'A');
        }
        if (exe) return end;
    }
    return 0;
}

WideText QuotedUpTo(std::wstring_view text, std::size_t end) {
    // Views made by hand: substr could throw, which would bring in the library's exception
    // support.
    const std::wstring_view part(text.data(), end);
    const std::wstring_view rest(text.data() + end, text.size() - end);
    return WideText::Join({L"\"", part, L"\"", rest});
}

}  // namespace

WideText QuoteLeadingFile(WideText command, FileTest isFile) {
    const auto blank = [](wchar_t c) { return c == L' ' || c == L'\t'; };
    const std::wstring_view text = command.view();
    if (text.empty() || text[0] == L'"') return command;
    if (text.find_first_of(L" \t") == std::wstring_view::npos) return command;

    // From an absolute path the program named up to its ".exe" is meant: when it is missing,
    // no shorter part may run in its place (a planted "C:\ProgramData\Orvex.exe" for a missing
    // "C:\ProgramData\Orvex Agent\plimsay.exe"), so that part, or everything, is quoted and
    // the start fails.
    const bool absolute = StartsAbsolute(text);
    const std::size_t exePart = absolute ? LongestExePart(text) : 0;

    constexpr std::wstring_view kExe = L".exe";
    // No file name holds a double quote, and no file system takes a name (one step of a path)
    // longer than 255 characters: no part reaching either is tried. The second also keeps the
    // system's work small for a program followed by a long list of arguments.
    constexpr std::size_t kLongestName = 255;
    std::size_t searched = 0;
    for (std::size_t name = 0; searched < text.size(); ++searched) {
        const wchar_t c = text[searched];
        if (c == L'"') break;
        name = c == L'\\' || c == L'/' || c == L':' ? 0 : name + 1;
        if (name > kLongestName) break;
    }
    // The parts are tried from the longest down, and each one writes its ending only at and
    // after its own length: the shorter parts still to come find their letters untouched.
    WideText scratch(searched + kExe.size() + 1);
    wchar_t* path = scratch.data();
    if (path == nullptr) return command;
    for (std::size_t i = 0; i < searched; ++i) path[i] = text[i];

    for (std::size_t end = searched; end > 0 && end >= exePart; --end) {
        if (blank(text[end - 1]) || (end < text.size() && !blank(text[end]))) continue;
        path[end] = L'\0';
        bool found = isFile(path);
        if (!found) {
            for (std::size_t k = 0; k < kExe.size(); ++k) path[end + k] = kExe[k];
            path[end + kExe.size()] = L'\0';
            found = isFile(path);
        }
        if (found) return QuotedUpTo(text, end);
    }
    if (!absolute) return command;
    return QuotedUpTo(text, exePart != 0 ? exePart : text.size());
}

}  // namespace selvaun
