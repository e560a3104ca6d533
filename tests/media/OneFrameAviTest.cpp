// The head and tail templates checked field by field, and the one-frame AVI
// they make: its size, what varies between frames, its RIFF structure, and
// how libavformat and the clip reader see it.
#include "AviTemplates.h"
#include "CClipFile.h"
#include "DvFixtures.h"
#include "DvFrame.h"
#include "FfmpegPtr.h"
#include "OneFrameAvi.h"
#include "Resources.h"
#include "TempDir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <fcntl.h>
#include <string>
#include <unistd.h>
#include <vector>

extern "C" {
#include <libavformat/avformat.h>
}

namespace {

// One documented field: a four-character code, or an integer of 1, 2, 4 or 8
// bytes.
struct Field {
    std::size_t at;
    std::size_t size;
    std::uint64_t value;
    const char* tag = nullptr;
};

Field Tag(std::size_t at, const char* tag) { return Field{at, 4, 0, tag}; }
Field U8(std::size_t at, std::uint64_t v) { return Field{at, 1, v}; }
Field U16(std::size_t at, std::uint64_t v) { return Field{at, 2, v}; }
Field U32(std::size_t at, std::uint64_t v) { return Field{at, 4, v}; }
Field U64(std::size_t at, std::uint64_t v) { return Field{at, 8, v}; }

const std::vector<Field> kHeadFields = {
    Tag(0, "RIFF"), U32(4, 209912), Tag(8, "AVI "),
    Tag(12, "LIST"), U32(16, 32716), Tag(20, "hdrl"),
    Tag(24, "avih"), U32(28, 56), U32(32, 40000), U32(36, 0), U32(40, 512), U32(44, 0x810),
    U32(48, 1), U32(52, 0), U32(56, 1), U32(60, 144008), U32(64, 720), U32(68, 576),
    U64(72, 0), U64(80, 0),
    Tag(88, "LIST"), U32(92, 32372), Tag(96, "strl"),
    Tag(100, "strh"), U32(104, 56), Tag(108, "vids"), Tag(112, "dvsd"), U32(116, 0),
    U16(120, 0), U16(122, 0), U32(124, 0), U32(128, 400000), U32(132, 10000000), U32(136, 0),
    U32(140, 1), U32(144, 144008), U32(148, 0), U32(152, 0),
    U16(156, 0), U16(158, 0), U16(160, 720), U16(162, 576),
    Tag(164, "strf"), U32(168, 40),
    U32(172, 40), U32(176, 720), U32(180, 576), U16(184, 1), U16(186, 24), Tag(188, "dvsd"),
    U32(192, 1244160), U32(196, 0), U32(200, 0), U32(204, 0), U32(208, 0),
    Tag(212, "indx"), U32(216, 32248), U16(220, 4), U8(222, 0), U8(223, 0), U32(224, 1),
    Tag(228, "00db"), U32(232, 0), U32(236, 0), U32(240, 0),
    U64(244, 32768), U32(252, 32256), U32(256, 1),
    Tag(32468, "LIST"), U32(32472, 260), Tag(32476, "odml"),
    Tag(32480, "dmlh"), U32(32484, 248), U32(32488, 1),
    Tag(32736, "JUNK"), U32(32740, 12),
    Tag(32756, "LIST"), U32(32760, 176644), Tag(32764, "movi"),
    Tag(32768, "ix00"), U32(32772, 32248), U16(32776, 2), U8(32778, 0), U8(32779, 1),
    U32(32780, 1), Tag(32784, "00db"), U64(32788, 65024), U32(32796, 0),
    U32(32800, 8), U32(32804, 144000),
    Tag(65024, "00db"), U32(65028, 144000),
};

std::vector<Field> TailFields()
{
    std::vector<Field> f = {
        Tag(0, "JUNK"), U32(4, 368),
        Tag(376, "idx1"), U32(380, 504),
        Tag(384, "7Fxx"), U32(388, 0), U32(392, 32768), U32(396, 0),
        Tag(400, "00db"), U32(404, 0x10), U32(408, 65024), U32(412, 144000),
    };
    for (std::size_t e = 2; e <= 30; ++e)
        f.push_back(Tag(384 + 16 * e, "7Fxx"));
    return f;
}

// Checks every listed field and that every byte outside them is zero.
void ExpectFields(const ResourceBlock& block, const std::vector<Field>& fields)
{
    std::vector<bool> listed(block.size, false);
    for (const Field& f : fields) {
        ASSERT_LE(f.at + f.size, block.size);
        if (f.tag) {
            EXPECT_EQ(0, std::memcmp(block.data + f.at, f.tag, 4)) << "tag at " << f.at;
        } else {
            std::uint64_t v = 0;
            for (std::size_t i = 0; i < f.size; ++i)
                v |= std::uint64_t(block.data[f.at + i]) << (8 * i);
            EXPECT_EQ(f.value, v) << "field at " << f.at;
        }
        for (std::size_t i = 0; i < f.size; ++i)
            listed[f.at + i] = true;
    }
    for (std::size_t i = 0; i < block.size; ++i) {
        if (!listed[i]) {
            ASSERT_EQ(0, block.data[i]) << "unlisted byte " << i;
        }
    }
}

std::uint32_t Le32(const std::vector<std::uint8_t>& b, std::size_t at)
{
    return b[at] | b[at + 1] << 8 | b[at + 2] << 16 | std::uint32_t(b[at + 3]) << 24;
}

// Walks RIFF chunks in [at, end) and writes their names, lists with their
// form type and contents in brackets. False when a chunk overruns its parent.
bool Walk(const std::vector<std::uint8_t>& b, std::size_t at, std::size_t end, std::string& out)
{
    while (at < end) {
        if (end - at < 8)
            return false;
        const std::string id(reinterpret_cast<const char*>(&b[at]), 4);
        const std::size_t size = Le32(b, at + 4);
        const std::size_t next = at + 8 + size + (size & 1);
        if (at + 8 + size > end)
            return false;
        if (!out.empty() && out.back() != '[')
            out += ' ';
        if (id == "RIFF" || id == "LIST") {
            out += std::string(reinterpret_cast<const char*>(&b[at + 8]), 4) + "[";
            if (!Walk(b, at + 12, at + 8 + size, out))
                return false;
            out += "]";
        } else {
            out += id;
        }
        at = next;
    }
    return at == end;
}

std::vector<std::uint8_t> PatternFrame(int seed)
{
    std::vector<std::uint8_t> f(kDvFrameSize);
    for (int i = 0; i < kDvFrameSize; ++i)
        f[i] = static_cast<std::uint8_t>(i * 7 + seed * 31 + (i >> 11));
    return f;
}

// Writes the one-frame AVI of `frame` to `path`; true when it was written.
bool WriteAvi(const std::string& path, const std::uint8_t* frame)
{
    const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    if (fd < 0)
        return false;
    const bool written = WriteOneFrameAvi(fd, frame);
    return close(fd) == 0 && written;
}

// The one-frame AVI of `frame` as it is written.
std::vector<std::uint8_t> AviBytes(const std::uint8_t* frame)
{
    CTempDir dir;
    const std::string path = dir.File("one.avi");
    return WriteAvi(path, frame) ? dvfix::ReadBytes(path) : std::vector<std::uint8_t>();
}

} // namespace

TEST(AviTemplateTest, HeadMatchesItsFieldList)
{
    const ResourceBlock head = FindResourceBlock(146);
    ASSERT_EQ(65032u, head.size);
    ExpectFields(head, kHeadFields);
}

TEST(AviTemplateTest, TailMatchesItsFieldList)
{
    const ResourceBlock tail = FindResourceBlock(145);
    ASSERT_EQ(888u, tail.size);
    ExpectFields(tail, TailFields());
}

TEST(AviTemplateTest, UnknownIdGivesAnEmptyBlock)
{
    for (int id : {0, 144, 147, -1}) {
        const ResourceBlock b = FindResourceBlock(id);
        EXPECT_EQ(nullptr, b.data) << id;
        EXPECT_EQ(0u, b.size) << id;
    }
}

TEST(OneFrameAviTest, OnlyTheFrameBytesDifferBetweenFrames)
{
    const auto a = AviBytes(PatternFrame(1).data());
    const auto b = AviBytes(PatternFrame(2).data());
    ASSERT_EQ(std::size_t(kOneFrameAviSize), a.size());
    ASSERT_EQ(std::size_t(209920), b.size());
    std::size_t first = a.size(), last = 0;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (a[i] != b[i]) {
            first = std::min(first, i);
            last = i;
        }
    EXPECT_EQ(65032u, first);
    EXPECT_EQ(209031u, last);
    EXPECT_EQ(0, std::memcmp(a.data() + kOneFrameAviFrameOffset, PatternFrame(1).data(), kDvFrameSize));
}

TEST(OneFrameAviTest, RiffStructureHasNoBytesLeftOver)
{
    const auto file = AviBytes(PatternFrame(3).data());
    std::string tree;
    ASSERT_TRUE(Walk(file, 0, file.size(), tree)) << tree;
    EXPECT_EQ("AVI [hdrl[avih strl[strh strf indx] odml[dmlh]] JUNK movi[ix00 00db JUNK] idx1]",
              tree);
}

TEST(OneFrameAviTest, WrittenFileIsTheTemplatesAroundTheFrameAndReadsBack)
{
    CTempDir dir;
    const auto frame = dvfix::MakeDvFrames(1, 48000);
    ASSERT_EQ(std::size_t(kDvFrameSize), frame.size());
    const std::string path = dir.File("one.avi");
    ASSERT_TRUE(WriteAvi(path, frame.data()));
    const std::vector<std::uint8_t> bytes = dvfix::ReadBytes(path);
    ASSERT_EQ(std::size_t(kOneFrameAviSize), bytes.size());
    const ResourceBlock head = FindResourceBlock(kAviHeadBlockId);
    const ResourceBlock tail = FindResourceBlock(kAviTailBlockId);
    EXPECT_EQ(0, std::memcmp(bytes.data(), head.data, head.size));
    EXPECT_EQ(0, std::memcmp(bytes.data() + head.size, frame.data(), kDvFrameSize));
    EXPECT_EQ(0, std::memcmp(bytes.data() + head.size + kDvFrameSize, tail.data, tail.size));

    // The clip reader takes it as DV video with separate audio, one frame.
    CClipFile clip;
    ASSERT_EQ(kClipOpenOk, clip.Open(path, false));
    EXPECT_TRUE(clip.HasSeparateAudio());
    EXPECT_EQ(1, clip.FrameCount());
    std::vector<std::uint8_t> buf(kDvFrameSize);
    ASSERT_TRUE(clip.ReadFrame(0, buf.data()));
    EXPECT_EQ(frame, buf);
}

TEST(OneFrameAviTest, WritingToAClosedDescriptorFails)
{
    const auto frame = PatternFrame(4);
    EXPECT_FALSE(WriteOneFrameAvi(-1, frame.data()));
}

TEST(OneFrameAviTest, LibavformatSeesOneDvVideoFrameAt25PerSecond)
{
    CTempDir dir;
    const auto frame = dvfix::MakeDvFrames(1, 48000);
    const std::string path = dir.File("one.avi");
    ASSERT_TRUE(WriteAvi(path, frame.data()));

    AVFormatContext* opened = nullptr;
    ASSERT_EQ(0, avformat_open_input(&opened, path.c_str(), nullptr, nullptr));
    const ff::Input ctx(opened);
    EXPECT_STREQ("avi", ctx->iformat->name);
    ASSERT_GE(avformat_find_stream_info(ctx.get(), nullptr), 0);
    ASSERT_EQ(1u, ctx->nb_streams);
    const AVStream* st = ctx->streams[0];
    EXPECT_EQ(AVMEDIA_TYPE_VIDEO, st->codecpar->codec_type);
    EXPECT_EQ(AV_CODEC_ID_DVVIDEO, st->codecpar->codec_id);
    EXPECT_EQ(MKTAG('d', 'v', 's', 'd'), st->codecpar->codec_tag);
    EXPECT_EQ(720, st->codecpar->width);
    EXPECT_EQ(576, st->codecpar->height);
    EXPECT_EQ(1, st->nb_frames);
    EXPECT_EQ(0, av_cmp_q(AVRational{25, 1}, st->avg_frame_rate));

    int packets = 0;
    const ff::Packet pkt(av_packet_alloc());
    while (av_read_frame(ctx.get(), pkt.get()) >= 0) {
        ++packets;
        EXPECT_EQ(kDvFrameSize, pkt->size);
        av_packet_unref(pkt.get());
    }
    EXPECT_EQ(1, packets);
}
