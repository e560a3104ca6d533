// Clip names: UTF-8 at the edges, Windows-1251 on the card.
#include "CodePage.h"

#include <gtest/gtest.h>

TEST(CodePage, AsciiAndCyrillicRoundTrip)
{
    EXPECT_EQ("beach", Utf8ToCard("beach"));
    const std::string moscow = "Москва";
    const std::string card = Utf8ToCard(moscow);
    ASSERT_EQ(6u, card.size());
    EXPECT_EQ('\xCC', card[0]);
    EXPECT_EQ(moscow, CardToUtf8(card));
    EXPECT_EQ("Ёё№", CardToUtf8(Utf8ToCard("Ёё№")));
}

TEST(CodePage, UnmappableCharactersBecomeUnderscore)
{
    EXPECT_EQ("a_b", Utf8ToCard("a日b"));
    EXPECT_EQ("_x", Utf8ToCard("\xFFx")) << "invalid UTF-8";
    EXPECT_EQ("_", Utf8ToCard("\xD0")) << "truncated sequence";
}
