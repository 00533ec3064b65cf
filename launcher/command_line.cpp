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

bool IsBlank(wchar_t c) {
    return c == L' ' || c == L'\t';
}

// "C:\", "C:/", "\\server", "\": a path that no search completes.
bool IsFullPath(std::wstring_view path) {
    return (!path.empty() && (path[0] == L'\\' || path[0] == L'/')) ||
           (path.size() > 2 && path[1] == L':' && (path[2] == L'\\' || path[2] == L'/'));
}

// Whether the first `end` characters of `text` end in a program's extension.
bool EndsInProgramExtension(std::wstring_view text, std::size_t end) {
    constexpr std::wstring_view kExtensions[] = {L".exe", L".com", L".bat", L".cmd"};
    for (const std::wstring_view extension : kExtensions) {
        if (end < extension.size()) continue;
        bool same = true;
        for (std::size_t k = 0; k < extension.size() && same; ++k) {
            const wchar_t c = text[end - extension.size() + k];
            same = c == extension[k] || c == extension[k] - L'a' + L'A';
        }
        if (same) return true;
    }
    return false;
}

// Views made by hand: substr could throw, which would bring in the library's exception
// support.
std::wstring_view Part(std::wstring_view text, std::size_t begin, std::size_t end) {
    return {text.data() + begin, end - begin};
}

// ".exe" when the last step of `name` has no extension, as the system adds it.
std::wstring_view AddedExtension(std::wstring_view name) {
    for (std::size_t i = name.size(); i > 0; --i) {
        if (name[i - 1] == L'.') return {};
        if (name[i - 1] == L'\\' || name[i - 1] == L'/') break;
    }
    return L".exe";
}

// The first file `name` names in the full paths of the lists `folders` gives; no buffer when
// none holds it.
WideText Search(std::wstring_view name, SearchFolders folders, FileTest isFile) {
    const std::wstring_view extension = AddedExtension(name);
    for (std::size_t n = 0;; ++n) {
        WideText list = folders(n);
        if (list.data() == nullptr) return {};
        const std::wstring_view entries = list.view();
        for (std::size_t begin = 0; begin <= entries.size();) {
            std::size_t end = begin;
            while (end < entries.size() && entries[end] != L';') ++end;
            const std::wstring_view folder = Part(entries, begin, end);
            begin = end + 1;
            if (!IsFullPath(folder)) continue;
            const wchar_t last = folder.back();
            WideText path = WideText::Join(
                {folder, last == L'\\' || last == L'/' ? L"" : L"\\", name, extension});
            if (path.data() != nullptr && isFile(path.data())) return path;
        }
    }
}

}  // namespace

StartCommand ResolveCommand(std::wstring_view command, SearchFolders folders, FileTest isFile) {
    using Problem = StartCommand::Problem;
    StartCommand start;
    std::size_t begin = 0;
    std::size_t end = 0;  // of the name
    std::size_t rest = 0;
    if (!command.empty() && command[0] == L'"') {
        begin = 1;
        end = command.find(L'"', 1);
        if (end == std::wstring_view::npos) end = command.size();
        rest = end + 1;
        if (rest > command.size() || (rest < command.size() && !IsBlank(command[rest]))) {
            start.problem = Problem::kStrayQuote;
            return start;
        }
    } else {
        while (end < command.size() &&
               !(IsBlank(command[end]) && EndsInProgramExtension(command, end))) {
            ++end;
        }
        rest = end;
        if (Part(command, 0, end).find(L'"') != std::wstring_view::npos) {
            start.problem = Problem::kStrayQuote;
            return start;
        }
    }
    const std::wstring_view name = Part(command, begin, end);
    if (IsFullPath(name)) {
        start.program = WideText::Join({name, AddedExtension(name)});
    } else if (!name.empty()) {
        start.program = Search(name, folders, isFile);
    }
    if (start.program.data() == nullptr) {
        start.problem = Problem::kNotFound;
        return start;
    }
    start.line =
        WideText::Join({L"\"", start.program.view(), L"\"", Part(command, rest, command.size())});
    return start;
}

}  // namespace selvaun
