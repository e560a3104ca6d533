// The caption of a conversion: the file's name, the percentage and the time
// left estimated from the time taken so far, set again only when its text
// changes.
#include "ConversionProgress.h"
#include "ScriptedProgress.h"

#include <gtest/gtest.h>

TEST(ConversionProgress, TheTimeLeftFollowsThePaceSoFarAndTheCaptionChangesOnlyWithItsText)
{
    CScriptedProgress outer;
    double now = 100.0;
    CConversionProgress converting(outer, "phone.mp4", [&now] { return now; });
    converting.Begin(100);
    EXPECT_EQ(std::vector<std::string>{"Converting phone.mp4: 0 %"}, outer.captionTexts) << "no estimate yet";
    now = 102.0; // 40 frames in 2 s: 60 more take 3 s
    converting.Set(40);
    converting.Set(40);
    EXPECT_EQ(40, outer.lastPosition);
    EXPECT_EQ((std::vector<std::string>{"Converting phone.mp4: 0 %", "Converting phone.mp4: 40 %, 0:03 left"}),
              outer.captionTexts);
    EXPECT_TRUE(outer.captionCounted);

    // One frame in ten minutes leaves hours; a clock that went back, none.
    now = 700.0;
    converting.Start(100);
    now = 1300.0;
    converting.Set(1);
    EXPECT_EQ("Converting phone.mp4: 1 %, 16:30:00 left", outer.captionText);
    EXPECT_EQ("0:00", FormatTimeLeft(-5));
    EXPECT_EQ("12:05", FormatTimeLeft(725));
}
