// The dv muxer started again every so many frames (to keep its sound FIFO
// small) gives the bytes one muxer gives: the timecode and the recording
// time carry on across each new start, from a creation time with a
// fraction of a second, from none, and from "now".
#include "CDvMuxer.h"
#include "DvFixtures.h"
#include "FrameHead.h"

#include <gtest/gtest.h>

extern "C" {
#include <libavcodec/dv_profile.h>
}

namespace {

constexpr int kFrames = 80;

class CCollect : public IDvFrameSink {
public:
    bool WriteFrame(const std::uint8_t* data, int size) override
    {
        bytes.insert(bytes.end(), data, data + size);
        return true;
    }
    std::vector<std::uint8_t> bytes;
};

std::vector<std::uint8_t> Mux(int segmentFrames, const std::string& recorded, const std::vector<std::uint8_t>& video)
{
    CCollect sink;
    CDvMuxer muxer(sink, segmentFrames);
    const AVDVProfile* profile = av_dv_codec_profile2(720, 576, AV_PIX_FMT_YUV420P, AVRational{25, 1});
    EXPECT_TRUE(profile != nullptr && muxer.Start(*profile, recorded));
    std::vector<std::uint8_t> pcm(CDvMuxer::kSamplesPerFrame * 4);
    for (int f = 0; f < kFrames; ++f) {
        for (std::size_t i = 0; i < pcm.size(); ++i)
            pcm[i] = static_cast<std::uint8_t>(f * 7 + i);
        EXPECT_TRUE(muxer.Put(f, video.data() + static_cast<std::size_t>(f) * 144000, pcm.data())) << f;
    }
    EXPECT_TRUE(muxer.Finish());
    return sink.bytes;
}

TEST(DvMuxer, StartedAgainEverySecondItGivesTheBytesOfOneMuxer)
{
    const std::vector<std::uint8_t> video = dvfix::MakeDvFrames(kFrames, 0);
    ASSERT_EQ(static_cast<std::size_t>(kFrames) * 144000, video.size());
    for (const std::string recorded : {"2026-12-09T23:59:58.700000Z", ""}) {
        const std::vector<std::uint8_t> once = Mux(100000, recorded, video);
        ASSERT_EQ(video.size(), once.size());
        EXPECT_EQ(once, Mux(25, recorded, video)) << recorded;
        // Frame 79: 3 s 4 frames on, past midnight.
        const FrameHead last = ParseFrameHead(once.data() + 79 * 144000);
        EXPECT_EQ(79, last.timecode);
        if (!recorded.empty()) {
            EXPECT_EQ(10, last.day);
            EXPECT_EQ(1, last.second);
        }
    }
    // "now" is fixed once for every muxer of the clip.
    const std::vector<std::uint8_t> now = Mux(25, "now", video);
    const FrameHead first = ParseFrameHead(now.data());
    const FrameHead last = ParseFrameHead(now.data() + 79 * 144000);
    ASSERT_TRUE(first.hasRecorded && last.hasRecorded);
    EXPECT_EQ(3, last.recorded - first.recorded);
}

} // namespace
