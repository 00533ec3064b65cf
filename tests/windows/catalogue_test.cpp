// The catalogue in the real language directory, with the user's language as Wine takes it
// from LANG: each suite runs as its own ctest entry with its own LANG.
#include <windows.h>

#include <gtest/gtest.h>

#include "language_files.h"
#include "text_catalogue.h"
#include "text_conversion.h"
#include "wide_cast.h"
#include "win_platform.h"

namespace vantrel {
namespace {

constexpr char kSection[] = "IDD_VANTREL_DIALOG";

class CatalogueUnder : public ::testing::Test {
protected:
    CatalogueUnder() { m_catalogue.m_szDirectory = "c:\\windows\\kestrond\\i18n\\plimsayui"; }
    // The language this suite's ctest entry runs under; checked before anything else.
    void ExpectLanguage(LANGID expected) {
        ASSERT_EQ(::GetUserDefaultUILanguage(), expected) << "the ctest entry's LANG is not in effect";
    }
    WideString Text(const char* key, const char* fallback = "<default>") {
        return Utf8ToWide(m_platform, m_catalogue.Lookup(kSection, key, fallback));
    }

    WinPlatform m_platform;
    TextCatalogue m_catalogue{m_platform};
    testsupport::InstalledLanguageFiles m_files;
};

class CatalogueEnglish : public CatalogueUnder {
protected:
    void SetUp() override { ExpectLanguage(0x0409); }
};

TEST_F(CatalogueEnglish, OurFilesGiveTheEnglishTexts) {
    ASSERT_TRUE(m_files.InstallAllShipped());
    EXPECT_TRUE(m_catalogue.Load());
    EXPECT_EQ(Text("CAPTION_REBOOT"), u"Reboot Required");
    EXPECT_EQ(Text("IDPOSTPONE_REMAIN"), u"Remain:");
}

class CatalogueGerman : public CatalogueUnder {
protected:
    void SetUp() override { ExpectLanguage(0x0407); }
};

TEST_F(CatalogueGerman, OurFilesGiveTheGermanTexts) {
    ASSERT_TRUE(m_files.InstallAllShipped());
    EXPECT_TRUE(m_catalogue.Load());
    EXPECT_EQ(Text("CAPTION_REBOOT"), u"Neustart erforderlich");
    EXPECT_EQ(Text("IDREBOOT"), u"Jetzt neu starten");
    EXPECT_EQ(Text("IDC_STATIC_ACTION_INFO_REBOOT"),
              u"Der Administrator hat Änderungen an diesem Computer vorgenommen, die einen "
              u"Neustart erfordern.");
    EXPECT_EQ(Text("MISSING_KEY"), u"<default>");
}

TEST_F(CatalogueGerman, AMissingLocaleFileFallsBackToEnglish) {
    ASSERT_TRUE(m_files.InstallShipped(L"i18n.ini"));
    ASSERT_TRUE(m_files.InstallShipped(L"en_US.prop"));
    EXPECT_TRUE(m_catalogue.Load());
    EXPECT_EQ(Text("CAPTION_REBOOT"), u"Reboot Required");
}

TEST_F(CatalogueGerman, WithoutTheIndexEveryTextIsItsDefault) {
    ASSERT_TRUE(m_files.InstallShipped(L"de_DE.prop"));
    ASSERT_TRUE(m_files.InstallShipped(L"en_US.prop"));
    EXPECT_FALSE(m_catalogue.Load());
    EXPECT_EQ(Text("CAPTION_REBOOT"), u"<default>");
}

TEST_F(CatalogueGerman, AnEmptyLocaleFileGivesDefaultsNotEnglish) {
    ASSERT_TRUE(m_files.InstallShipped(L"i18n.ini"));
    ASSERT_TRUE(m_files.InstallShipped(L"en_US.prop"));
    ASSERT_TRUE(m_files.Write(L"de_DE.prop", ""));
    EXPECT_TRUE(m_catalogue.Load());
    EXPECT_EQ(Text("CAPTION_REBOOT"), u"<default>");
}

class CatalogueIcelandic : public CatalogueUnder {
protected:
    void SetUp() override { ExpectLanguage(0x040F); }
};

TEST_F(CatalogueIcelandic, ALanguageOurIndexLacksGetsEnglish) {
    ASSERT_TRUE(m_files.InstallAllShipped());
    EXPECT_TRUE(m_catalogue.Load());
    EXPECT_EQ(Text("CAPTION_REBOOT"), u"Reboot Required");
}

TEST_F(CatalogueIcelandic, MalformedUtf8IsSubstitutedNotDropped) {
    ASSERT_TRUE(m_files.Write(L"i18n.ini", "040F is_IS\n"));
    ASSERT_TRUE(m_files.Write(L"is_IS.prop", "[IDD_VANTREL_DIALOG]\nIDREBOOT=Endurræsa \xFF núna\n"));
    EXPECT_TRUE(m_catalogue.Load());
    EXPECT_EQ(Text("IDREBOOT"), u"Endurræsa \uFFFD núna");
}

}  // namespace
}  // namespace vantrel
