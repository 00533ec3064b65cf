#pragma once
// The localised texts: i18n.ini maps Windows language identifiers to locale names, and the
// locale's property file holds the texts (UTF-8) by section and key. Every miss gives the
// caller's default text, so the prompt is complete without any language file.

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform.h"

namespace vantrel {

struct LanguageEntry {
    std::uint32_t m_nLangId = 0;
    std::string m_szLocale;  // at most 511 bytes
};

struct TextEntry {
    std::string m_szKey;
    std::string m_szValue;
};

struct TextSection {
    std::string m_szName;
    std::vector<TextEntry> m_entries;
};

// Removes leading and trailing space, TAB, LF, VT, FF and CR; bytes from 0x80 are never
// white space. Works in place on a terminated text and returns it.
char* TrimSpaces(char* text);
// Decodes \n \r \t \" \' and \\ in place; any other backslash stays. Returns `text`.
char* UnescapeText(char* text);

// The lines a C line reader with a 1023-byte limit gives: at most 1022 bytes each, a longer
// line cut into pieces of its own; each piece ends at its first zero byte, as a C text does.
// Fed the bytes a chunk at a time; it keeps at most one piece, never the file.
class PieceReader {
public:
    using Sink = std::function<void(std::string_view piece)>;

    void Feed(std::string_view bytes, const Sink& sink);
    // The bytes have ended: the last piece, if it had no line end.
    void Finish(const Sink& sink);

private:
    std::string m_partial;  // a piece cut by the end of a chunk
};

// The same for bytes held whole.
std::vector<std::string> ReadPieces(std::string_view bytes);

class PropertyFile {
public:
    // From now on a parse keeps only these keys of this section, the first value of each:
    // all that a reader asking for nothing else needs, in memory no file can grow.
    void KeepOnly(std::string section, std::vector<std::string> keys);
    // The file `name` in `folder`, through the platform's guarded read.
    bool Load(Platform& platform, const std::string& folder, const std::string& name);
    // Adds what `bytes` hold, as a whole file.
    void Parse(std::string_view bytes);
    void Clear() { m_sections.clear(); }
    // The first value of `key` in a section named `section`, else `fallback`.
    std::string Lookup(const std::string& section, const std::string& key,
                       std::string fallback) const;

    std::vector<TextSection> m_sections;

private:
    friend class PropertyFileParser;
    bool m_filtered = false;
    std::string m_keptSection;
    std::vector<std::string> m_keptKeys;
};

// The entries of an i18n.ini file's contents (after text-mode reading), in file order; with
// `only`, just the first entry for that language, which is all a lookup of it finds.
std::vector<LanguageEntry> ParseLanguageMap(std::string_view text,
                                            std::optional<std::uint32_t> only = std::nullopt);

// Whether a locale name from i18n.ini may become part of a file name: two or three letters,
// then any number of "_" and two to four letters or digits ("de_DE", "sr_Latn_RS"). Nothing
// else is a locale, so no name reaches outside the language directory.
bool IsLocaleName(std::string_view locale);

// Whether a locale name ("ar_SA", "he_IL") is of a language written right to left.
bool IsRightToLeftLocale(std::string_view locale);

class TextCatalogue {
public:
    explicit TextCatalogue(Platform& platform) : m_platform(platform) {}

    // Reads i18n.ini and the property file of the user's interface language, falling back
    // to en_US as for a missing file when the file or the locale's name is not good; true
    // when a property file was read. Keeps only the user's language's entry.
    bool Load();
    std::string Lookup(const std::string& section, const std::string& key,
                       std::string fallback) const {
        return m_propFile.Lookup(section, key, std::move(fallback));
    }
    // i18n.ini of m_szDirectory.
    bool LoadLanguageMap(std::optional<std::uint32_t> only = std::nullopt);
    std::string FindLocale(std::uint32_t langId) const;

    std::string m_szDirectory;  // without a trailing separator
    PropertyFile m_propFile;
    std::vector<LanguageEntry> m_languages;
    std::string m_szLoadedFile;  // the property file read, empty for the built-in texts
    std::string m_szLoadedLocale;  // its locale: the user's, en_US after a fallback, or empty

    // Whether the texts read are of a right-to-left language: the dialog is mirrored for
    // them. A fallback to English is not, whatever the user's language.
    bool RightToLeft() const { return IsRightToLeftLocale(m_szLoadedLocale); }

private:
    Platform& m_platform;
};

// Language files are a few kilobytes; anything beyond this is not read.
inline constexpr std::size_t kLanguageFileLimit = std::size_t{16} * 1024 * 1024;

}  // namespace vantrel
