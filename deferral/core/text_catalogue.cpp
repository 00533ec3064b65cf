#include "text_catalogue.h"

#include <algorithm>
#include <cstring>

#include "text_mode.h"

namespace vantrel {
namespace {

constexpr std::size_t kPieceBytes = 1022;  // a 1024-byte buffer read with a limit of 1023
constexpr std::size_t kLocaleBytes = 511;
constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

bool IsSpace(unsigned char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// "%x %s" of one line: a hexadecimal number, then the next run of non-blank bytes.
bool ScanLanguageLine(std::string_view line, LanguageEntry& entry) {
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
    entry.m_szLocale.assign(line.substr(start, i - start));
    return true;
}

void AddLanguageLine(std::string_view piece, std::optional<std::uint32_t> only,
                     std::vector<LanguageEntry>& entries) {
    if (only && !entries.empty()) return;  // its first entry is all a lookup finds
    LanguageEntry entry;
    if (!piece.empty() && piece[0] != '#' && ScanLanguageLine(piece, entry) &&
        (!only || entry.m_nLangId == *only)) {
        entries.push_back(std::move(entry));
    }
}

// TrimSpaces on a view, so that nothing is copied until it is kept.
std::string_view TrimView(std::string_view text) {
    std::size_t begin = 0, end = text.size();
    while (begin < end && IsSpace(static_cast<unsigned char>(text[begin]))) ++begin;
    while (end > begin && IsSpace(static_cast<unsigned char>(text[end - 1]))) --end;
    return text.substr(begin, end - begin);
}

}  // namespace

// Builds a property file from its pieces as they are read.
class PropertyFileParser {
public:
    explicit PropertyFileParser(PropertyFile& file) : m_file(file) {}

    void operator()(std::string_view piece) {
        if (m_first && piece.substr(0, kByteOrderMark.size()) == kByteOrderMark) {
            piece.remove_prefix(kByteOrderMark.size());
        }
        m_first = false;
        if (piece.empty() || piece[0] == '#') return;
        if (piece[0] == '[') {
            const std::size_t close = piece.rfind(']');
            if (close == std::string_view::npos) return;  // the current section stays
            OpenSection(TrimView(piece.substr(1, close - 1)));
            return;
        }
        const std::size_t equals = piece.find('=');
        // Before any section, without "=", or with nothing at all after it: no entry.
        if (m_current == kNone || equals == std::string_view::npos || equals + 1 == piece.size()) {
            return;
        }
        const std::string_view key = TrimView(piece.substr(0, equals));
        std::vector<TextEntry>& entries = m_file.m_sections[m_current].m_entries;
        if (m_file.m_filtered && !Wanted(key, entries)) return;
        std::string value(TrimView(piece.substr(equals + 1)));
        value.resize(std::strlen(UnescapeText(value.data())));
        entries.push_back({std::string(key), std::move(value)});
    }

private:
    static constexpr std::size_t kNone = static_cast<std::size_t>(-1);

    void OpenSection(std::string_view name) {
        if (!m_file.m_filtered) {
            m_file.m_sections.push_back({std::string(name), {}});
            m_current = m_file.m_sections.size() - 1;
            return;
        }
        // One section holds the kept entries: a lookup finds the first value of a key across
        // sections of the same name, and only first values are kept.
        m_current = kNone;
        if (name != m_file.m_keptSection) return;
        if (m_file.m_sections.empty()) m_file.m_sections.push_back({std::string(name), {}});
        m_current = 0;
    }

    // A key asked for whose first value this is.
    bool Wanted(std::string_view key, const std::vector<TextEntry>& entries) const {
        const auto same = [key](const std::string& k) { return k == key; };
        if (std::none_of(m_file.m_keptKeys.begin(), m_file.m_keptKeys.end(), same)) return false;
        return std::none_of(entries.begin(), entries.end(),
                            [&](const TextEntry& e) { return same(e.m_szKey); });
    }

    PropertyFile& m_file;
    std::size_t m_current = kNone;
    bool m_first = true;  // only the file's first piece may start with a byte-order mark
};

char* TrimSpaces(char* text) {
    const std::string_view trimmed = TrimView(text);
    std::memmove(text, trimmed.data(), trimmed.size());
    text[trimmed.size()] = '\0';
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

void PieceReader::Feed(std::string_view bytes, const Sink& sink) {
    // Each piece ends at its first zero byte, as the C text a line reader fills does.
    const auto emit = [&sink](std::string_view piece) { sink(piece.substr(0, piece.find('\0'))); };
    while (!bytes.empty()) {
        const std::size_t room = kPieceBytes - m_partial.size();
        const std::size_t lineEnd = bytes.substr(0, room).find('\n');
        const bool whole = lineEnd != std::string_view::npos || bytes.size() >= room;
        const std::size_t take = lineEnd != std::string_view::npos ? lineEnd + 1
                                 : whole                         ? room
                                                                 : bytes.size();
        if (!whole) {
            m_partial.append(bytes);  // the rest of the piece comes with the next chunk
            return;
        }
        if (m_partial.empty()) {
            emit(bytes.substr(0, take));
        } else {
            m_partial.append(bytes.substr(0, take));
            emit(m_partial);
            m_partial.clear();
        }
        bytes.remove_prefix(take);
    }
}

void PieceReader::Finish(const Sink& sink) {
    if (m_partial.empty()) return;
    sink(std::string_view(m_partial).substr(0, m_partial.find('\0')));
    m_partial.clear();
}

std::vector<std::string> ReadPieces(std::string_view bytes) {
    std::vector<std::string> pieces;
    PieceReader reader;
    const PieceReader::Sink keep = [&pieces](std::string_view piece) { pieces.emplace_back(piece); };
    reader.Feed(bytes, keep);
    reader.Finish(keep);
    return pieces;
}

void PropertyFile::KeepOnly(std::string section, std::vector<std::string> keys) {
    m_filtered = true;
    m_keptSection = std::move(section);
    m_keptKeys = std::move(keys);
}

bool PropertyFile::Load(Platform& platform, const std::string& folder, const std::string& name) {
    Clear();
    PieceReader reader;
    PropertyFileParser parser(*this);
    const PieceReader::Sink onPiece = std::ref(parser);
    if (!platform.ReadFileChunks(folder, name, kLanguageFileLimit,
                                 [&](std::string_view chunk) { reader.Feed(chunk, onPiece); })) {
        return false;
    }
    reader.Finish(onPiece);
    return true;
}

void PropertyFile::Parse(std::string_view bytes) {
    PieceReader reader;
    PropertyFileParser parser(*this);
    const PieceReader::Sink onPiece = std::ref(parser);
    reader.Feed(bytes, onPiece);
    reader.Finish(onPiece);
}

std::string PropertyFile::Lookup(const std::string& section, const std::string& key,
                                 std::string fallback) const {
    for (const TextSection& s : m_sections) {
        if (s.m_szName != section) continue;
        for (const TextEntry& entry : s.m_entries) {
            if (entry.m_szKey == key) return entry.m_szValue;
        }
    }
    return fallback;
}

std::vector<LanguageEntry> ParseLanguageMap(std::string_view text,
                                            std::optional<std::uint32_t> only) {
    std::vector<LanguageEntry> entries;
    PieceReader reader;
    const PieceReader::Sink onPiece = [&entries, only](std::string_view piece) {
        AddLanguageLine(piece, only, entries);
    };
    reader.Feed(text, onPiece);
    reader.Finish(onPiece);
    return entries;
}

bool TextCatalogue::LoadLanguageMap(std::optional<std::uint32_t> only) {
    m_languages.clear();
    PieceReader reader;
    const PieceReader::Sink onPiece = [this, only](std::string_view piece) {
        AddLanguageLine(piece, only, m_languages);
    };
    // Opened as text: the runtime's line-end translation sits between the file and the lines.
    TextModeFilter text(kLanguageFileLimit);
    const TextModeFilter::Sink toReader = [&](std::string_view bytes) { reader.Feed(bytes, onPiece); };
    if (!m_platform.ReadFileChunks(m_szDirectory, "i18n.ini", kLanguageFileLimit,
                                   [&](std::string_view chunk) { text.Feed(chunk, toReader); })) {
        return false;
    }
    text.Finish(toReader);
    reader.Finish(onPiece);
    return true;
}

std::string TextCatalogue::FindLocale(std::uint32_t langId) const {
    for (const LanguageEntry& entry : m_languages) {
        if (entry.m_nLangId == langId) return entry.m_szLocale;
    }
    return {};
}

bool IsLocaleName(std::string_view locale) {
    const auto letter = [](char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); };
    const auto digit = [](char c) { return c >= '0' && c <= '9'; };
    // Runs of allowed bytes between "_", each of a length its place allows.
    std::size_t at = 0;
    for (bool first = true;; first = false) {
        std::size_t end = at;
        while (end < locale.size() && (letter(locale[end]) || (!first && digit(locale[end])))) ++end;
        const std::size_t length = end - at;
        if (length < 2 || length > (first ? 3u : 4u)) return false;
        if (end == locale.size()) return true;
        if (locale[end] != '_') return false;
        at = end + 1;
    }
}

bool IsRightToLeftLocale(std::string_view locale) {
    const std::string_view language = locale.substr(0, locale.find('_'));
    for (std::string_view rtl : {"ar", "fa", "he", "ps", "ug", "ur", "yi"}) {
        if (language == rtl) return true;
    }
    return false;
}

bool TextCatalogue::Load() {
    m_szLoadedFile.clear();
    m_szLoadedLocale.clear();
    const std::uint32_t language = m_platform.UserUiLanguage();
    if (!LoadLanguageMap(language)) return false;
    std::string locale = FindLocale(language);
    if (locale.empty()) locale = "en_US";
    // The name becomes part of a file name: one that is not a locale's is a missing file.
    const std::string first = IsLocaleName(locale) ? locale + ".prop" : std::string();
    for (const std::string& name : {first, std::string("en_US.prop")}) {
        if (!name.empty() && m_propFile.Load(m_platform, m_szDirectory, name)) {
            m_szLoadedFile = m_szDirectory + "\\" + name;
            m_szLoadedLocale = locale;
            return true;
        }
        locale = "en_US";
    }
    return false;
}

}  // namespace vantrel
