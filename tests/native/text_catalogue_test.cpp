// The two language-file formats, the loading order with its fallbacks, and our own files.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>

#include "dialog_texts.h"
#include "fake_platform.h"
#include "text_catalogue.h"
#include "text_conversion.h"
#include "text_mode.h"

namespace vantrel {
namespace {

// Copies, as both rules change the text in place.
// cppcheck-suppress passedByValue ; the copy is changed through data()
std::string Trim(std::string text) { return TrimSpaces(text.data()); }
// cppcheck-suppress passedByValue ; the copy is changed through data()
std::string Unescape(std::string text) { return UnescapeText(text.data()); }

TEST(TextRules, TrimmingRemovesOnlyAsciiWhiteSpace) {
    EXPECT_EQ(Trim("  a b \t\r\n"), "a b");
    EXPECT_EQ(Trim("\v\fx\v\f"), "x");
    EXPECT_EQ(Trim(" \t\r\n "), "");
    EXPECT_EQ(Trim(""), "");
    EXPECT_EQ(Trim("\xC2\xA0x\xC2\xA0"), "\xC2\xA0x\xC2\xA0");  // no-break space is text
    EXPECT_EQ(Trim("\xE3\x80\x80"), "\xE3\x80\x80");
}

TEST(TextRules, EscapesDecodeLeftToRight) {
    struct Case {
        const char* in;
        const char* out;
    };
    const Case cases[] = {
        {"a\\nb", "a\nb"},         {"a\\rb", "a\rb"},     {"\\t", "\t"},
        {"\\\"q\\\"", "\"q\""},    {"it\\'s", "it's"},    {"a\\\\b", "a\\b"},
        {"\\\\n", "\\n"},          // the pair first, then a plain n
        {"a\\xb", "a\\xb"},        // unknown: the backslash stays
        {"end\\", "end\\"},        {"\\\\\\", "\\\\"},    {"", ""},
        {"x\\r\\n", "x\r\n"},
    };
    for (const Case& c : cases) EXPECT_EQ(Unescape(c.in), c.out) << c.in;
}

TEST(TextRules, PiecesAreAtMost1022Bytes) {
    const std::string exact(1022, 'a');
    auto pieces = ReadPieces(exact + "\nnext");
    ASSERT_EQ(pieces.size(), 3u);  // 1022 bytes, the line end alone, then the next line
    EXPECT_EQ(pieces[0], exact);
    EXPECT_EQ(pieces[1], "\n");
    EXPECT_EQ(pieces[2], "next");
    pieces = ReadPieces(std::string(1021, 'a') + "\nb\n");
    ASSERT_EQ(pieces.size(), 2u);
    EXPECT_EQ(pieces[0].size(), 1022u);
    pieces = ReadPieces(std::string(2500, 'c'));
    ASSERT_EQ(pieces.size(), 3u);
    EXPECT_EQ(pieces[2].size(), 2500u - 2044u);
    // A zero byte ends a piece's text, as it ends a C text.
    pieces = ReadPieces(std::string("ab\0cd\nef", 8));
    EXPECT_EQ(pieces, (std::vector<std::string>{"ab", "ef"}));
}

// Files are read a chunk at a time; where a chunk ends must not change a piece or a line end.
TEST(TextRules, ChunksGiveWhatTheWholeFileGives) {
    const std::string inputs[] = {
        std::string(1021, 'a') + "\r\nb\rc\r\r\n" + std::string(2500, 'd') + "\n",
        std::string("x\0y\r\nz\x1A" "after", 13),
        "ends with CR\r",
    };
    for (const std::string& input : inputs) {
        const std::vector<std::string> pieces = ReadPieces(input);
        const std::string text = TextModeBytes(input, 2000);
        for (std::size_t chunk : {1u, 2u, 3u, 1021u, 1022u, 1023u}) {
            SCOPED_TRACE(chunk);
            std::vector<std::string> chunkedPieces;
            PieceReader reader;
            const PieceReader::Sink keep = [&](std::string_view p) { chunkedPieces.emplace_back(p); };
            std::string chunkedText;
            TextModeFilter filter(2000);
            const TextModeFilter::Sink append = [&](std::string_view b) { chunkedText.append(b); };
            for (std::size_t at = 0; at < input.size(); at += chunk) {
                reader.Feed(std::string_view(input).substr(at, chunk), keep);
                filter.Feed(std::string_view(input).substr(at, chunk), append);
            }
            reader.Finish(keep);
            filter.Finish(append);
            EXPECT_EQ(chunkedPieces, pieces);
            EXPECT_EQ(chunkedText, text);
        }
    }
}

PropertyFile Parse(const std::string& bytes) {
    PropertyFile file;
    file.Parse(bytes);
    return file;
}

std::string Look(const PropertyFile& file, const std::string& key,
                 const std::string& section = "S") {
    return file.Lookup(section, key, "<default>");
}

TEST(PropertyFile, ReadsSectionsAndEntriesByTheRules) {
    const PropertyFile file = Parse(
        "# comment\n"
        "EARLY=before any section\n"
        "[ S ] words after the bracket\n"
        "KEY = value \r\n"
        "EMPTY =\n"
        "NOEQUALS\n"
        "TWO=a=b\n"
        "HASH=not # a comment\n"
        " #LEAD=blank first\n"
        " [X]=blank bracket\n"
        "lower=case\n"
        "ESC=\\ttab\\t\n"
        "UTF=\xE2\x82\xAC \xC3\xA4\n"
        "[S\n"
        "AFTER=still in S\n"
        "[A]B]\n"
        "IN=section A]B\n");
    EXPECT_EQ(Look(file, "EARLY"), "<default>");
    EXPECT_EQ(Look(file, "KEY"), "value");
    EXPECT_EQ(Look(file, "EMPTY"), "");  // present but empty: not the default
    EXPECT_EQ(Look(file, "NOEQUALS"), "<default>");
    EXPECT_EQ(Look(file, "TWO"), "a=b");
    EXPECT_EQ(Look(file, "HASH"), "not # a comment");
    EXPECT_EQ(Look(file, "#LEAD"), "blank first");
    EXPECT_EQ(Look(file, "[X]"), "blank bracket");
    EXPECT_EQ(Look(file, "LOWER"), "<default>");  // keys compare exactly
    EXPECT_EQ(Look(file, "lower"), "case");
    EXPECT_EQ(Look(file, "ESC"), "\ttab\t");  // escaped ends survive trimming
    EXPECT_EQ(Look(file, "UTF"), "\xE2\x82\xAC \xC3\xA4");
    EXPECT_EQ(Look(file, "AFTER"), "still in S");
    EXPECT_EQ(Look(file, "IN", "A]B"), "section A]B");  // the last bracket ends the name
    EXPECT_EQ(Look(file, "KEY", "s"), "<default>");
    EXPECT_EQ(file.m_sections.size(), 2u);
}

TEST(PropertyFile, TheFirstOccurrenceWinsAcrossRepeatedSectionsAndKeys) {
    const PropertyFile file = Parse(
        "[S]\nA=first\nA=second\n[T]\nB=other\n[S]\nA=third\nC=only in the second S\n");
    EXPECT_EQ(Look(file, "A"), "first");
    EXPECT_EQ(Look(file, "C"), "only in the second S");
    EXPECT_EQ(file.m_sections.size(), 3u);
}

TEST(PropertyFile, NothingAfterTheEqualsSignAtTheEndOfTheFileAddsNothing) {
    EXPECT_EQ(Look(Parse("[S]\nLAST="), "LAST"), "<default>");
    EXPECT_EQ(Look(Parse("[S]\nLAST=\n"), "LAST"), "");
    EXPECT_EQ(Look(Parse("[S]\nLAST=x"), "LAST"), "x");
}

TEST(PropertyFile, AByteOrderMarkIsSkippedOnlyAtTheStart) {
    EXPECT_EQ(Look(Parse("\xEF\xBB\xBF[S]\nA=1\n"), "A"), "1");
    const PropertyFile later = Parse("[S]\n\xEF\xBB\xBF" "A=1\n");
    EXPECT_EQ(Look(later, "A"), "<default>");
    EXPECT_EQ(Look(later, "\xEF\xBB\xBF" "A"), "1");
}

TEST(PropertyFile, ALongLineIsCutAfterIts1022ndByte) {
    const std::string value(1022 - 2, 'v');  // "K=" and 1020 bytes fill the first piece
    const PropertyFile file = Parse("[S]\nK=" + value + "REST=tail\n");
    EXPECT_EQ(Look(file, "K"), value);
    EXPECT_EQ(Look(file, "REST"), "tail");  // the rest is a line of its own
}

TEST(LanguageMap, ScansANumberAndALocaleName) {
    const auto entries = ParseLanguageMap(
        "# LANGID and locale\n"
        "0409 en_US\n"
        "0x0809 en_US trailing words\n"
        "0409\n"
        "\n"
        "   \n"
        "zz de_DE\n"
        "  0407\tde_DE\n"
        "0407 de_AT\n"
        "-1 neg\n"
        "123456789ab big\n"
        "0xg x\n");
    ASSERT_EQ(entries.size(), 7u);
    EXPECT_EQ(entries[0].m_nLangId, 0x0409u);
    EXPECT_EQ(entries[0].m_szLocale, "en_US");
    EXPECT_EQ(entries[1].m_nLangId, 0x0809u);
    EXPECT_EQ(entries[2].m_nLangId, 0x0407u);
    EXPECT_EQ(entries[2].m_szLocale, "de_DE");
    EXPECT_EQ(entries[3].m_szLocale, "de_AT");
    EXPECT_EQ(entries[4].m_nLangId, 0xFFFFFFFFu);  // as the C conversion wraps it
    EXPECT_EQ(entries[5].m_nLangId, 0xFFFFFFFFu);  // beyond 32 bits: saturated
    // "0xg": the 0 is the number and "xg" the name, as a %x scan leaves it.
    EXPECT_EQ(entries[6].m_nLangId, 0u);
    EXPECT_EQ(entries[6].m_szLocale, "xg");
}

TEST(LanguageMap, ALocaleNameTooLongIsSkippedSoALaterLineCanAnswer) {
    testing::FakePlatform platform;
    TextCatalogue catalogue(platform);
    catalogue.m_szDirectory = "d";
    platform.m_narrowFiles["d\\i18n.ini"] =
        "0407 " + std::string(600, 'x') + "\n0407 de_DE\n" + "0410 " + std::string(511, 'i') + "\n";
    ASSERT_TRUE(catalogue.LoadLanguageMap());
    EXPECT_EQ(catalogue.FindLocale(0x0407), "de_DE");
    EXPECT_EQ(catalogue.FindLocale(0x0410), std::string(511, 'i'));  // 511 bytes still fit
}

TEST(LanguageMap, IsReadAsTextAndHasNoByteOrderMark) {
    testing::FakePlatform platform;
    TextCatalogue catalogue(platform);
    catalogue.m_szDirectory = "d";
    platform.m_narrowFiles["d\\i18n.ini"] = "\xEF\xBB\xBF" "0409 en_US\r\n0407 de_DE\r\n\x1A" "0410 it_IT\n";
    ASSERT_TRUE(catalogue.LoadLanguageMap());
    EXPECT_EQ(catalogue.FindLocale(0x0409), "");  // the mark spoils the first line
    EXPECT_EQ(catalogue.FindLocale(0x0407), "de_DE");  // CR LF served as a line end
    EXPECT_EQ(catalogue.FindLocale(0x0410), "");  // Ctrl-Z ended the text
    catalogue.m_szDirectory = "missing";
    EXPECT_FALSE(catalogue.LoadLanguageMap());
    EXPECT_TRUE(catalogue.m_languages.empty());
}

class CatalogueLoadTest : public ::testing::Test {
protected:
    CatalogueLoadTest() { m_catalogue.m_szDirectory = "lang"; }
    void File(const std::string& name, const std::string& bytes) {
        m_platform.m_narrowFiles[name] = bytes;
    }
    std::string Caption() { return m_catalogue.Lookup("IDD", "CAPTION", "<default>"); }

    testing::FakePlatform m_platform;
    TextCatalogue m_catalogue{m_platform};
};

TEST_F(CatalogueLoadTest, TheUsersLanguagePicksItsFile) {
    File("lang\\i18n.ini", "0409 en_US\n0407 de_DE\n0407 fr_FR\n");
    File("lang\\de_DE.prop", "[IDD]\nCAPTION=Neustart\n");
    File("lang\\fr_FR.prop", "[IDD]\nCAPTION=Redémarrage\n");
    m_platform.m_langId = 0x0407;
    EXPECT_TRUE(m_catalogue.Load());
    EXPECT_EQ(Caption(), "Neustart");  // the first line for a LANGID decides
}

TEST_F(CatalogueLoadTest, WithoutTheIndexEveryTextIsItsDefault) {
    File("lang\\en_US.prop", "[IDD]\nCAPTION=English\n");
    EXPECT_FALSE(m_catalogue.Load());
    EXPECT_EQ(Caption(), "<default>");
}

TEST_F(CatalogueLoadTest, AnUnknownLanguageGetsEnglishWithoutAPrimaryLanguageMatch) {
    File("lang\\i18n.ini", "0409 en_US\n0407 de_DE\n");
    File("lang\\en_US.prop", "[IDD]\nCAPTION=English\n");
    File("lang\\de_DE.prop", "[IDD]\nCAPTION=Deutsch\n");
    m_platform.m_langId = 0x0807;  // German (Switzerland): not listed
    EXPECT_TRUE(m_catalogue.Load());
    EXPECT_EQ(Caption(), "English");
}

TEST_F(CatalogueLoadTest, AMissingLocaleFileFallsBackToEnglish) {
    File("lang\\i18n.ini", "0407 de_DE\n");
    File("lang\\en_US.prop", "[IDD]\nCAPTION=Fallback\n");
    m_platform.m_langId = 0x0407;
    EXPECT_TRUE(m_catalogue.Load());
    EXPECT_EQ(Caption(), "Fallback");
    EXPECT_EQ(m_catalogue.m_szLoadedFile, "lang\\en_US.prop");
}

TEST(LocaleName, OnlyLettersDigitsAndUnderscoresInTheirPlaces) {
    for (const char* name : {"de_DE", "sr_Latn_RS", "arn_CL", "de", "zh_Hans_CN", "es_419"}) {
        EXPECT_TRUE(IsLocaleName(name)) << name;
    }
    for (const char* name : {"", "d", "deut_DE", "de_", "de_D", "de_DEUTS", "_DE", "1e_DE",
                             "de-DE", "de_DE.prop", "..\\x", "de_DE\\..", "de/DE", "c:de",
                             "de_DE ", "d\xC3\xA9_DE"}) {
        EXPECT_FALSE(IsLocaleName(name)) << name;
    }
}

// A name from i18n.ini that is not a locale's never becomes part of a path: read as the file
// were missing, though a file answers to the joined name.
TEST_F(CatalogueLoadTest, ALocaleThatIsNoLocaleNameFallsBackAsAMissingFile) {
    File("lang\\en_US.prop", "[IDD]\nCAPTION=English\n");
    for (const char* locale : {"..\\..\\sec\\victim", "de_DE\\..\\..\\victim", "c:victim"}) {
        SCOPED_TRACE(locale);
        File("lang\\i18n.ini", std::string("0407 ") + locale + "\n");
        File(std::string("lang\\") + locale + ".prop", "[IDD]\nCAPTION=Victim\n");
        m_platform.m_langId = 0x0407;
        EXPECT_TRUE(m_catalogue.Load());
        EXPECT_EQ(Caption(), "English");
        EXPECT_EQ(m_catalogue.m_szLoadedLocale, "en_US");
    }
}

TEST_F(CatalogueLoadTest, TheFileReadDecidesRightToLeft) {
    File("lang\\en_US.prop", "[IDD]\nCAPTION=English\n");
    File("lang\\ar_SA.prop", "[IDD]\n");
    File("lang\\fa_IR.prop", "[IDD]\n");
    File("lang\\arn_CL.prop", "[IDD]\n");
    File("lang\\i18n.ini", "0401 ar_SA\n040D he_IL\n0429 fa_IR\n047A arn_CL\n0409 en_US\n");
    const struct {
        std::uint16_t langId;
        bool rightToLeft;
    } rows[] = {
        {0x0401, true},   // Arabic
        {0x040D, false},  // Hebrew without its file: English is read
        {0x0429, true},   // a Persian file an administrator added
        {0x047A, false},  // Mapudungun is not Arabic
        {0x0409, false},
    };
    for (const auto& row : rows) {
        m_platform.m_langId = row.langId;
        EXPECT_TRUE(m_catalogue.Load());
        EXPECT_EQ(m_catalogue.RightToLeft(), row.rightToLeft) << std::hex << row.langId;
    }
}

TEST_F(CatalogueLoadTest, AnEmptyLocaleFileIsNotAMissingOne) {
    File("lang\\i18n.ini", "0407 de_DE\n");
    File("lang\\de_DE.prop", "");
    File("lang\\en_US.prop", "[IDD]\nCAPTION=Fallback\n");
    m_platform.m_langId = 0x0407;
    EXPECT_TRUE(m_catalogue.Load());
    EXPECT_EQ(Caption(), "<default>");
}

TEST_F(CatalogueLoadTest, LoadingAgainReplacesWhatWasThere) {
    File("lang\\i18n.ini", "0409 en_US\n");
    File("lang\\en_US.prop", "[IDD]\nCAPTION=One\n");
    EXPECT_TRUE(m_catalogue.Load());
    File("lang\\en_US.prop", "[IDD]\nOTHER=Two\n");
    EXPECT_TRUE(m_catalogue.Load());
    EXPECT_EQ(Caption(), "<default>");
    File("lang\\i18n.ini", "");
    m_platform.m_narrowFiles.erase("lang\\en_US.prop");
    EXPECT_FALSE(m_catalogue.Load());  // neither file: false
}

TEST(TextConversion, GivesWideTextOrNothing) {
    testing::FakePlatform platform;
    EXPECT_EQ(Utf8ToWide(platform, "Gr\xC3\xBC\xC3\x9F" "e \xE2\x82\xAC"), u"Grüße €");
    EXPECT_EQ(Utf8ToWide(platform, "\xF0\x9F\x98\x80"), u"\U0001F600");
    EXPECT_EQ(Utf8ToWide(platform, "a\xFF" "b"), u"a\uFFFDb");  // substituted, not failed
    EXPECT_EQ(Utf8ToWide(platform, std::string("ab\0cd", 5)), u"ab");
    EXPECT_EQ(AnsiToWide(platform, "Gr\xFC\xDF" "e"), u"Grüße");
}

// The files we ship, as the agent's installer copies them.
std::string Shipped(const std::string& name) {
    std::ifstream in(std::string(VANTREL_I18N_DIR) + "/" + name, std::ios::binary);
    std::stringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

TEST(ShippedLanguageFiles, EveryLocaleAnswersEveryKey) {
    const auto map = ParseLanguageMap(TextModeBytes(Shipped("i18n.ini"), kLanguageFileLimit));
    // Every .prop file in the directory, so that a new language is covered by being added.
    std::set<std::string> locales;
    for (const auto& file : std::filesystem::directory_iterator(VANTREL_I18N_DIR)) {
        if (file.path().extension() == ".prop") locales.insert(file.path().stem().string());
    }
    EXPECT_GE(locales.size(), 10u);
    std::set<std::uint32_t> langIds;  // a second line for a LANGID would never be read
    for (const LanguageEntry& e : map) {
        EXPECT_EQ(locales.count(e.m_szLocale), 1u) << std::hex << e.m_nLangId << " " << e.m_szLocale;
        EXPECT_TRUE(langIds.insert(e.m_nLangId).second) << std::hex << e.m_nLangId;
    }
    testing::FakePlatform platform;
    for (const std::string& locale : locales) {
        SCOPED_TRACE(locale);
        const bool listed = std::any_of(map.begin(), map.end(), [&](const LanguageEntry& e) {
            return e.m_szLocale == locale;
        });
        EXPECT_TRUE(listed);
        EXPECT_TRUE(IsLocaleName(locale));
        const std::string bytes = Shipped(locale + ".prop");
        ASSERT_FALSE(bytes.empty());
        PropertyFile file;
        file.Parse(bytes);
        for (const char* key : kDialogKeys) {
            const std::string value = file.Lookup("IDD_VANTREL_DIALOG", key, "");
            EXPECT_FALSE(value.empty()) << key;
            EXPECT_EQ(Utf8ToWide(platform, value).find(u'\uFFFD'), WideString::npos) << key;
        }
        EXPECT_EQ(file.Lookup("IDD_VANTREL_DIALOG", "CAPTION_DIALOG", ""), "Orvex Agent");
    }
    const auto german = std::find_if(map.begin(), map.end(),
                                     [](const LanguageEntry& e) { return e.m_nLangId == 0x0407; });
    ASSERT_NE(german, map.end());
    EXPECT_EQ(german->m_szLocale, "de_DE");
}

}  // namespace
}  // namespace vantrel
