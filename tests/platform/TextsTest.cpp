// The string table: both languages for every id the program uses, the
// Russian offset, the application title, and filling of placeholders.
#include "Interaction.h"
#include "ScriptedInteraction.h"
#include "Texts.h"

#include <gtest/gtest.h>

#include <cctype>
#include <cstring>
#include <set>
#include <string>
#include <vector>

namespace {

class TextsTest : public ::testing::Test {
protected:
    void TearDown() override { SetLanguage(0); }
};

} // namespace

TEST_F(TextsTest, EveryUsedIdHasDistinctEnglishAndRussianTexts)
{
    for (TextId id : kTranslatedTextIds) {
        std::string en = LoadTextIn(id, 0);
        std::string ru = LoadTextIn(id, 1);
        EXPECT_FALSE(en.empty()) << id;
        EXPECT_FALSE(ru.empty()) << id + kRussianTextOffset;
        EXPECT_NE(en, ru) << id;
    }
    EXPECT_EQ("Pelko Tessaro M8", LoadTextIn(kIdsAppTitle, 0));
    EXPECT_EQ("", LoadText(2024)) << "a missing string loads as an empty text";
    EXPECT_EQ("", LoadText(99999));
}

TEST_F(TextsTest, LanguageFlagPicksTheRussianIdPlusThousand)
{
    EXPECT_EQ("Clips", LoadText(kIdsCaptionClips));
    EXPECT_EQ("Empty", LoadText(kIdsNoCardFound));
    EXPECT_EQ("Play", LoadText(kIdsCaptionPlay));
    SetLanguage(1);
    EXPECT_EQ(1, Language());
    EXPECT_EQ("Видеоклипы", LoadText(kIdsCaptionClips));
    EXPECT_EQ("Нет", LoadText(kIdsNoCardFound));
    EXPECT_EQ(">", LoadText(kIdsCaptionPlay));
    EXPECT_EQ("Закрыть", LoadText(kIdsCaptionClose));
    EXPECT_EQ("Ошибка доступа к карте памяти!", LoadText(kIdsCardAccessError));
    EXPECT_EQ(LoadTextIn(kIdsCaptionClips + kRussianTextOffset, 0), LoadText(kIdsCaptionClips))
        << "the Russian text is the id plus the offset";
    SetLanguage(5);
    EXPECT_EQ(1, Language()) << "any non-zero value means Russian";
    SetLanguage(0);
    EXPECT_EQ("Memory card write error!\nPlease ensure that memory card is not write-protected.",
              LoadText(kIdsCardWriteError));
}

TEST_F(TextsTest, FiltersAndTitleAreKeptVerbatim)
{
    EXPECT_EQ("Video files (*.dv *.avi *.mp4 *.mov *.m4v *.mkv *.webm *.mts *.m2ts *.ts *.mpg *.vob *.3gp *.wmv *.flv)|*.dv;*.avi;*.mp4;*.mov;*.m4v;*.mkv;*.webm;*.mts;*.m2ts;*.ts;*.mpg;*.vob;*.3gp;*.wmv;*.flv|AVI files (*.avi)|*.avi|DV files (*.dv)|*.dv|All files (*.*)|*.*||",
              LoadText(kIdsFilterOpenClip));
    EXPECT_EQ("DV files(*.dv)|*.dv||", LoadText(kIdsFilterDv));
    SetLanguage(1);
    EXPECT_EQ("Видеофайлы (*.dv *.avi *.mp4 *.mov *.m4v *.mkv *.webm *.mts *.m2ts *.ts *.mpg *.vob *.3gp *.wmv *.flv)|*.dv;*.avi;*.mp4;*.mov;*.m4v;*.mkv;*.webm;*.mts;*.m2ts;*.ts;*.mpg;*.vob;*.3gp;*.wmv;*.flv|Файлы AVI (*.avi)|*.avi|Файлы DV (*.dv)|*.dv|Все файлы (*.*)|*.*||",
              LoadText(kIdsFilterOpenClip));
    EXPECT_EQ("Файлы DV (*.dv)|*.dv||", LoadText(kIdsFilterDv));
    EXPECT_EQ("Pelko Tessaro M8", AppTitle()) << "the title is not localised";
}

TEST_F(TextsTest, PrintfPlaceholdersAreFilledInBothLanguages)
{
    EXPECT_EQ("#01, clips: 2, time: 0:00:10.00", FormatText(kIdsPlaylistInfo, 1, 2, "0:00:10.00"));
    EXPECT_EQ("Clip 05 is used in 2 playlists.\n\nDelete clip?", FormatText(kIdsAskDeleteClip, 5, 2));
    SetLanguage(1);
    EXPECT_EQ("01, клипов: 2, время: 0:00:10.00", FormatText(kIdsPlaylistInfo, 1, 2, "0:00:10.00"));
    EXPECT_EQ("Удалить плейлист 12?", FormatText(kIdsAskDeletePlaylist, 12));
}

TEST_F(TextsTest, PathInsertionIsPositionalAndTakesThePathLiterally)
{
    CScriptedInteraction ui;
    const std::string path = "/tmp/a%d %s%1.dv";
    ShowMessagePath(ui, kIdsCannotOpenFile, kMsgError, path);
    SetLanguage(1);
    ShowMessagePath(ui, kIdsCannotReadFile, kMsgError, path);
    ASSERT_EQ(2u, ui.Shown().size());
    EXPECT_EQ("Can't open file:\n\n/tmp/a%d %s%1.dv", ui.Shown()[0].text);
    EXPECT_EQ(kMsgError, ui.Shown()[0].flags);
    EXPECT_EQ("Ошибка чтения файла:\n\n/tmp/a%d %s%1.dv\n\nФайл не содержит DV видео поток 720x576.",
              ui.Shown()[1].text);
}

TEST_F(TextsTest, ShowMessageFormatsAndReturnsTheAnswer)
{
    CScriptedInteraction ui;
    ui.Answer(kIdsAskDeleteClip, kIdYes);
    EXPECT_EQ(kIdYes, ShowMessage(ui, kIdsAskDeleteClip, kMsgYesNoDefNo, 7, 3));
    ASSERT_EQ(1u, ui.Shown().size());
    EXPECT_EQ(kIdsAskDeleteClip, ui.Shown()[0].id);
    EXPECT_EQ("Clip 07 is used in 3 playlists.\n\nDelete clip?", ui.Shown()[0].text);
}

namespace {

// The printf conversions of `text`, in order ("%02d", "%s",
// "%%"); "%1" and "%2" are positional insertions, not conversions.
std::vector<std::string> Conversions(const std::string& text)
{
    std::vector<std::string> found;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '%')
            continue;
        std::size_t j = i + 1;
        while (j < text.size() && std::strchr("-+ #0", text[j]) != nullptr)
            ++j;
        while (j < text.size() && std::isdigit(static_cast<unsigned char>(text[j])))
            ++j;
        if (j < text.size() && text[j] == '.') {
            ++j;
            while (j < text.size() && std::isdigit(static_cast<unsigned char>(text[j])))
                ++j;
        }
        while (j < text.size() && std::strchr("hljztL", text[j]) != nullptr)
            ++j;
        if (j < text.size() && std::strchr("diouxXeEfFgGaAcspn%", text[j]) != nullptr) {
            found.push_back(text.substr(i, j - i + 1));
            i = j;
        }
    }
    return found;
}

} // namespace

// Both texts of a message go to the same vsnprintf call with the same
// arguments: a translation whose conversions differ in number, order or
// type reads the arguments wrongly.
TEST_F(TextsTest, EveryRussianTextHasTheConversionsOfItsEnglishText)
{
    EXPECT_EQ((std::vector<std::string>{"%02d", "%d", "%s", "%%"}), Conversions("%02d %1 %d%s 100 %%"));
    std::set<int> compared;
    // Every English id of the table, named or not: ids whose thousands are
    // even (2xxx, 10xxx, 20xxx); the Russian ones are odd.
    for (int id = 1; id < kIdsAppTitle; ++id) {
        if ((id / kRussianTextOffset) % 2 != 0)
            continue;
        const std::string en = LoadTextIn(id, 0);
        if (en.empty())
            continue;
        compared.insert(id);
        EXPECT_EQ(Conversions(en), Conversions(LoadTextIn(id, 1))) << "text " << id << ": " << en;
    }
    for (TextId id : kTranslatedTextIds)
        EXPECT_EQ(1u, compared.count(id)) << id << " was not compared";
}
