// Dialog templates as tables: the main window's template and the parser's
// refusal of damaged tables; dialog units.
#include "DialogTemplate.h"
#include "DialogUnits.h"

#include <gtest/gtest.h>

TEST(DialogTemplateTest, MainWindowTemplateHoldsEveryControlInTabOrder)
{
    CDialogTemplate t;
    ASSERT_TRUE(t.Load(102));
    EXPECT_EQ(102, t.Id());
    EXPECT_EQ("Tessaro M8", t.Caption());
    EXPECT_EQ(516, t.Width());
    EXPECT_EQ(388, t.Height());
    EXPECT_EQ("MS Sans Serif", t.FontFace());
    EXPECT_EQ(8, t.FontPoints());
    ASSERT_EQ(41u, t.Controls().size());
    EXPECT_EQ(2006, t.Controls().front().id);
    EXPECT_EQ(1013, t.Controls().back().id);

    const CDialogControl* abort = t.Find(2003);
    ASSERT_NE(nullptr, abort);
    EXPECT_EQ(2003, abort->captionId);
    EXPECT_EQ(unsigned(kResizeMoveRight | kResizeMoveDown), abort->resize);

    const CDialogControl* radio = t.Find(2026);
    ASSERT_NE(nullptr, radio);
    EXPECT_EQ(0, radio->captionId);
    EXPECT_EQ("-", radio->captionText);
    EXPECT_EQ(unsigned(kStateHidden | kStateDisabled | kStateGroupStart), radio->state);

    const CDialogControl* languages = t.Find(1013);
    ASSERT_NE(nullptr, languages);
    EXPECT_EQ(ControlKind::Combo, languages->kind);
    EXPECT_EQ((std::vector<std::string>{"English", "Russian"}), languages->items);

    EXPECT_TRUE(t.Find(1011)->Has(kStateAlignLeft));
    EXPECT_EQ(nullptr, t.Find(2024));
}

TEST(DialogTemplateTest, DamagedTablesAreRefusedWhole)
{
    const std::string head = "dialog\t7\t\"T\"\t100\t50\tSans\t8\t-\n";
    const std::string good = "1\tbutton\t2001\t1\t2\t3\t4\tdisabled\t0\n";
    CDialogTemplate t;
    ASSERT_TRUE(t.Parse(head + "# comment\n\n" + good));
    EXPECT_EQ(1u, t.Controls().size());
    EXPECT_EQ(7, t.Id());

    for (const std::string& bad : {
             good,                                                     // no dialog line
             head + head + good,                                       // two dialog lines
             head + good + good,                                       // duplicate id
             head + "1\tknob\t2001\t1\t2\t3\t4\t-\t0\n",               // unknown kind
             head + "1\tbutton\t2001\t1\t2\t3\t4\tblinking\t0\n",      // unknown state
             head + "1\tbutton\t2001\t1\t2\t3\t-\n",                   // missing columns
             head + "1\tbutton\t2001\t1\t2\tx\t4\t-\t0\n",             // not a number
             head + "1\tbutton\t2001\t1\t2\t-3\t4\t-\t0\n",            // negative size
             head + "1\tbutton\t2001\t1\t2\t3\t4\t-\t16\n",            // resize rule out of range
             head + "1\tbutton\t\"open\t1\t2\t3\t4\t-\t0\n",           // unclosed quote
             "dialog\t7\t\"T\"\t0\t50\tSans\t8\t-\n" + good,           // empty dialog
         }) {
        EXPECT_FALSE(t.Parse(bad)) << bad;
        EXPECT_TRUE(t.Controls().empty());
        EXPECT_EQ(0, t.Id());
    }
    EXPECT_FALSE(t.Load(99)) << "no such template";
}

TEST(DialogUnitsTest, UnitsScaleByQuarterWidthAndEighthHeightRounded)
{
    EXPECT_EQ(3, MulDiv(5, 5, 8));   // 3.125
    EXPECT_EQ(4, MulDiv(7, 4, 7));
    EXPECT_EQ(2, MulDiv(3, 3, 4));   // 2.25
    EXPECT_EQ(3, MulDiv(5, 2, 4));   // 2.5 rounds up
    EXPECT_EQ(-3, MulDiv(-5, 2, 4)); // and away from zero
    CDialogUnits units(6, 13);
    EXPECT_EQ(QRect(678, 592, 84, 23), units.ToPixels(452, 364, 56, 14));
    EXPECT_EQ(774, units.ToPixelsX(516));
    EXPECT_EQ(631, units.ToPixelsY(388)); // 630.5
}
