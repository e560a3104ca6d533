// The string table: both languages for every id the program uses, the
// +1000 rule, the application title, and filling of placeholders.
#include "Interaction.h"
#include "ScriptedInteraction.h"
#include "Texts.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

class TextsTest : public ::testing::Test {
protected:
    void TearDown() override { SetLanguage(0); }
};

std::vector<int> UsedIds()
{
    std::vector<int> ids;
    for (int id = 2001; id <= 2028; ++id) {
        if (id != 2024)
            ids.push_back(id);
    }
    for (int id : {4001, 4002, 4003, 10010, 10011, 10013, 10014, 10015, 10016, 10020, 10021, 10030, 10031,
                   10032, 10033, 10034, 10035, 10037, 10038, 10039, 10041, 10042, 10043, 10044, 10045,
                   10046, 10047, 10048, 10049, 10050, 10051, 10052, 10053, 10063, 10064, 10065})
        ids.push_back(id);
    return ids;
}

} // namespace

TEST_F(TextsTest, EveryUsedIdHasDistinctEnglishAndRussianTexts)
{
    for (int id : UsedIds()) {
        std::string en = LoadTextIn(id, 0);
        std::string ru = LoadTextIn(id, 1);
        EXPECT_FALSE(en.empty()) << id;
        EXPECT_FALSE(ru.empty()) << id + 1000;
        EXPECT_NE(en, ru) << id;
    }
    EXPECT_EQ("Pelko Tessaro M8", LoadTextIn(57344, 0));
    EXPECT_EQ("", LoadText(2024)) << "a missing string loads as an empty text";
    EXPECT_EQ("", LoadText(99999));
}

TEST_F(TextsTest, LanguageFlagPicksTheRussianIdPlusThousand)
{
    EXPECT_EQ("Clips", LoadText(2016));
    EXPECT_EQ("Empty", LoadText(10037));
    EXPECT_EQ("Play", LoadText(4001));
    SetLanguage(1);
    EXPECT_EQ(1, Language());
    EXPECT_EQ("Видеоклипы", LoadText(2016));
    EXPECT_EQ("Нет", LoadText(10037));
    EXPECT_EQ(">", LoadText(4001));
    EXPECT_EQ("Закрыть", LoadText(4003));
    EXPECT_EQ("Ошибка доступа к карте памяти!", LoadText(10015));
    EXPECT_EQ(LoadTextIn(3016, 0), LoadText(2016)) << "the Russian text is string id + 1000";
    SetLanguage(5);
    EXPECT_EQ(1, Language()) << "any non-zero value means Russian";
    SetLanguage(0);
    EXPECT_EQ("Memory card write error!\nPlease ensure that memory card is not write-protected.",
              LoadText(10016));
}

TEST_F(TextsTest, FiltersAndTitleAreKeptVerbatim)
{
    EXPECT_EQ("AVI files (*.avi)|*.avi|DV files (*.dv)|*.dv|All files (*.*)|*.*||", LoadText(10020));
    EXPECT_EQ("DV files(*.dv)|*.dv||", LoadText(10021));
    SetLanguage(1);
    EXPECT_EQ("Файлы AVI (*.avi)|*.avi|Файлы DV (*.dv)|*.dv|Все файлы (*.*)|*.*||", LoadText(10020));
    EXPECT_EQ("Файлы DV (*.dv)|*.dv||", LoadText(10021));
    EXPECT_EQ("Pelko Tessaro M8", AppTitle()) << "the title is not localised";
}

TEST_F(TextsTest, PrintfPlaceholdersAreFilledInBothLanguages)
{
    EXPECT_EQ("#01, clips: 2, time: 0:00:10.00", FormatText(10047, 1, 2, "0:00:10.00"));
    EXPECT_EQ("Clip 05 is used in 2 playlists.\n\nDelete clip?", FormatText(10032, 5, 2));
    SetLanguage(1);
    EXPECT_EQ("01, клипов: 2, время: 0:00:10.00", FormatText(10047, 1, 2, "0:00:10.00"));
    EXPECT_EQ("Удалить плейлист 12?", FormatText(10034, 12));
}

TEST_F(TextsTest, PathInsertionIsPositionalAndTakesThePathLiterally)
{
    CScriptedInteraction ui;
    const std::string path = "/tmp/a%d %s%1.dv";
    ShowMessagePath(ui, 10010, kMsgError, path);
    SetLanguage(1);
    ShowMessagePath(ui, 10011, kMsgError, path);
    ASSERT_EQ(2u, ui.Shown().size());
    EXPECT_EQ("Can't open file:\n\n/tmp/a%d %s%1.dv", ui.Shown()[0].text);
    EXPECT_EQ(kMsgError, ui.Shown()[0].flags);
    EXPECT_EQ("Ошибка чтения файла:\n\n/tmp/a%d %s%1.dv\n\nФайл не содержит DV видео поток 720x576.",
              ui.Shown()[1].text);
}

TEST_F(TextsTest, ShowMessageFormatsAndReturnsTheAnswer)
{
    CScriptedInteraction ui;
    ui.Answer(10032, kIdYes);
    EXPECT_EQ(kIdYes, ShowMessage(ui, 10032, kMsgYesNoDefNo, 7, 3));
    ASSERT_EQ(1u, ui.Shown().size());
    EXPECT_EQ(10032, ui.Shown()[0].id);
    EXPECT_EQ("Clip 07 is used in 3 playlists.\n\nDelete clip?", ui.Shown()[0].text);
}
