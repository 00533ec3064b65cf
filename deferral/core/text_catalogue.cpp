#include "text_catalogue.h"

#include <cstring>

#include "text_mode.h"

namespace vantrel {
namespace {

constexpr std::size_t kPieceBytes = 1022;  // a 1024-byte buffer read with a limit of 1023
constexpr std::size_t kLocaleBytes = 511;

bool IsSpace(unsigned char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// "%x %s" of one line: a hexadecimal number, then the next run of non-blank bytes.
bool ScanLanguageLine(const std::string& line, LanguageEntry& entry) {
    std::size_t i = 0;
    while (i < line.size() && IsSpace(static_cast<unsigned char>(line[i]))) ++i;
    bool negative = false;
    if (i < line.size() && (line[i] == '+' || line[i] == '-')) negative = line[i++] == '-';
    // A 0x prefix counts only with a digit after it; else the 0 is the number.
    if (i + 2 < line.size() && line[i] == '0' && (line[i + 1] == 'x' || line[i + 1] == 'X') &&
        HexDigit(line[i + 2]) >= 0) {
        i += 2;
    }
    if (i >= line.size() || HexDigit(line[i]) < 0) return false;
    std::uint64_t value = 0;
    for (; i < line.size() && HexDigit(line[i]) >= 0; ++i) {
        // Past 32 bits the number saturates, and then matches no language.
        if (value <= 0xFFFFFFFFu) value = value * 16 + static_cast<std::uint64_t>(HexDigit(line[i]));
    }
    std::uint32_t id = value > 0xFFFFFFFFu ? 0xFFFFFFFFu : static_cast<std::uint32_t>(value);
    if (negative && value <= 0xFFFFFFFFu) id = 0u - id;  // as the C conversion wraps it

    while (i < line.size() && IsSpace(static_cast<unsigned char>(line[i]))) ++i;
    const std::size_t start = i;
    while (i < line.size() && !IsSpace(static_cast<unsigned char>(line[i]))) ++i;
    // No name, or one too long for its field: the line says nothing usable.
    if (i == start || i - start > kLocaleBytes) return false;
    entry.m_nLangId = id;
    entry.m_szLocale = line.substr(start, i - start);
    return true;
}

std::string Trimmed(std::string text) {
    text.resize(std::strlen(TrimSpaces(text.data())));
    return text;
}

}  // namespace

char* TrimSpaces(char* text) {
    const std::size_t length = std::strlen(text);
    std::size_t begin = 0, end = length;
    while (begin < end && IsSpace(static_cast<unsigned char>(text[begin]))) ++begin;
    while (end > begin && IsSpace(static_cast<unsigned char>(text[end - 1]))) --end;
    std::memmove(text, text + begin, end - begin);
    text[end - begin] = '\0';
    return text;
}

char* UnescapeText(char* text) {
    char* out = text;
    for (const char* in = text; *in != '\0'; ++in) {
        if (*in != '\\' || in[1] == '\0') {
            *out++ = *in;
            continue;
        }
        switch (in[1]) {
            case 'n': *out++ = '\n'; break;
            case 'r': *out++ = '\r'; break;
            case 't': *out++ = '\t'; break;
            case '"': *out++ = '"'; break;
            case '\'': *out++ = '\''; break;
            case '\\': *out++ = '\\'; break;
            default:
                *out++ = '\\';  // kept; the byte after it is handled as usual
                continue;
        }
        ++in;
    }
    *out = '\0';
    return text;
}

std::vector<std::string> ReadPieces(std::string_view bytes) {
    std::vector<std::string> pieces;
    std::size_t at = 0;
    while (at < bytes.size()) {
        std::size_t end = at;
        while (end < bytes.size() && end - at < kPieceBytes) {
            if (bytes[end++] == '\n') break;
        }
        const std::string_view piece = bytes.substr(at, end - at);
        pieces.emplace_back(piece.substr(0, piece.find('\0')));
        at = end;
    }
    return pieces;
}

bool PropertyFile::Load(Platform& platform, const std::string& path) {
    if (path.empty()) return false;
    Clear();
    const auto bytes = platform.ReadFileBytes(path, kLanguageFileLimit);
    if (!bytes) return false;
    Parse(*bytes);
    return true;
}

void PropertyFile::Parse(std::string_view bytes) {
    TextSection* current = nullptr;
    bool first = true;
    for (std::string piece : ReadPieces(bytes)) {
        if (first && piece.rfind("\xEF\xBB\xBF", 0) == 0) piece.erase(0, 3);
        first = false;
        if (piece.empty() || piece[0] == '#') continue;
        if (piece[0] == '[') {
            const std::size_t close = piece.rfind(']');
            if (close == std::string::npos) continue;  // the current section stays
            m_sections.push_back({Trimmed(piece.substr(1, close - 1)), {}});
            current = &m_sections.back();
            continue;
        }
        const std::size_t equals = piece.find('=');
        // Before any section, without "=", or with nothing at all after it: no entry.
        if (current == nullptr || equals == std::string::npos || equals + 1 == piece.size()) {
            continue;
        }
        std::string value = Trimmed(piece.substr(equals + 1));
        value.resize(std::strlen(UnescapeText(value.data())));
        current->m_entries.push_back({Trimmed(piece.substr(0, equals)), std::move(value)});
    }
}

std::string PropertyFile::Lookup(std::string section, std::string key,
                                 std::string fallback) const {
    for (const TextSection& s : m_sections) {
        if (s.m_szName != section) continue;
        for (const TextEntry& entry : s.m_entries) {
            if (entry.m_szKey == key) return entry.m_szValue;
        }
    }
    return fallback;
}

std::vector<LanguageEntry> ParseLanguageMap(std::string_view text) {
    std::vector<LanguageEntry> entries;
    for (const std::string& piece : ReadPieces(text)) {
        LanguageEntry entry;
        if (!piece.empty() && piece[0] != '#' && ScanLanguageLine(piece, entry)) {
            entries.push_back(std::move(entry));
        }
    }
    return entries;
}

bool TextCatalogue::LoadLanguageMap(const std::string& path) {
    m_languages.clear();
    const auto bytes = m_platform.ReadFileBytes(path, kLanguageFileLimit);
    if (!bytes) return false;
    m_languages = ParseLanguageMap(TextModeBytes(*bytes, kLanguageFileLimit));
    return true;
}

std::string TextCatalogue::FindLocale(std::uint32_t langId) const {
    for (const LanguageEntry& entry : m_languages) {
        if (entry.m_nLangId == langId) return entry.m_szLocale;
    }
    return {};
}

bool TextCatalogue::Load() {
    if (!LoadLanguageMap(m_szDirectory + "\\i18n.ini")) return false;
    std::string locale = FindLocale(m_platform.UserUiLanguage());
    if (locale.empty()) locale = "en_US";
    if (m_propFile.Load(m_platform, m_szDirectory + "\\" + locale + ".prop")) return true;
    return m_propFile.Load(m_platform, m_szDirectory + "/en_US.prop");
}

}  // namespace vantrel
