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

}  // namespace selvaun
