// Builds the head and tail of the one-frame AVI at compile time. The file they
// make with one 144000-byte DV frame between them is 209920 bytes: a RIFF
// "AVI " form with one "vids"/"dvsd" stream at 25 frames per second, 720x576,
// one frame, an OpenDML super index ("indx") and standard index ("ix00"), an
// "odml" list and a legacy "idx1" index. Nothing in them depends on the frame,
// so they are used unchanged for every frame. All integers are little-endian;
// every byte not written here is zero.
#include "AviTemplates.h"

namespace {

template <std::size_t N>
struct Writer {
    TemplateBytes<N> b{};

    constexpr void U16(std::size_t at, std::uint16_t v)
    {
        b.bytes[at] = static_cast<std::uint8_t>(v);
        b.bytes[at + 1] = static_cast<std::uint8_t>(v >> 8);
    }
    constexpr void U32(std::size_t at, std::uint32_t v)
    {
        for (int i = 0; i < 4; ++i)
            b.bytes[at + i] = static_cast<std::uint8_t>(v >> (8 * i));
    }
    constexpr void U64(std::size_t at, std::uint64_t v)
    {
        for (int i = 0; i < 8; ++i)
            b.bytes[at + i] = static_cast<std::uint8_t>(v >> (8 * i));
    }
    constexpr void Tag(std::size_t at, const char (&fourcc)[5])
    {
        for (int i = 0; i < 4; ++i)
            b.bytes[at + i] = static_cast<std::uint8_t>(fourcc[i]);
    }
};

constexpr std::uint32_t kFrameBytes = 144000;
constexpr std::uint32_t kFileSize = kAviHeadSize + kFrameBytes + kAviTailSize; // 209920

constexpr TemplateBytes<kAviHeadSize> MakeHead()
{
    Writer<kAviHeadSize> w;
    w.Tag(0, "RIFF");
    w.U32(4, kFileSize - 8);
    w.Tag(8, "AVI ");

    w.Tag(12, "LIST");
    w.U32(16, 32716);
    w.Tag(20, "hdrl");

    // Main AVI header.
    w.Tag(24, "avih");
    w.U32(28, 56);
    w.U32(32, 40000);  // microseconds per frame
    w.U32(36, 0);      // maximum bytes per second
    w.U32(40, 512);    // padding granularity
    w.U32(44, 0x810);  // has index, trust chunk type
    w.U32(48, 1);      // total frames
    w.U32(52, 0);      // initial frames
    w.U32(56, 1);      // streams
    w.U32(60, 144008); // suggested buffer size
    w.U32(64, 720);
    w.U32(68, 576);

    w.Tag(88, "LIST");
    w.U32(92, 32372);
    w.Tag(96, "strl");

    // Stream header.
    w.Tag(100, "strh");
    w.U32(104, 56);
    w.Tag(108, "vids");
    w.Tag(112, "dvsd");
    w.U32(128, 400000);   // scale
    w.U32(132, 10000000); // rate: 25 frames per second
    w.U32(136, 0);        // start
    w.U32(140, 1);        // length
    w.U32(144, 144008);   // suggested buffer size
    w.U16(160, 720);      // frame rectangle right
    w.U16(162, 576);      // frame rectangle bottom

    // Stream format: bitmap information header.
    w.Tag(164, "strf");
    w.U32(168, 40);
    w.U32(172, 40);
    w.U32(176, 720);
    w.U32(180, 576);
    w.U16(184, 1);  // planes
    w.U16(186, 24); // bit count
    w.Tag(188, "dvsd");
    w.U32(192, 1244160); // image size

    // OpenDML super index with room for 2014 entries; one in use.
    w.Tag(212, "indx");
    w.U32(216, 32248);
    w.U16(220, 4); // longs per entry
    w.b.bytes[222] = 0; // subtype
    w.b.bytes[223] = 0; // index of indexes
    w.U32(224, 1);      // entries in use
    w.Tag(228, "00db");
    w.U64(244, 32768);  // offset of "ix00"
    w.U32(252, 32256);  // its size with header
    w.U32(256, 1);      // duration

    w.Tag(32468, "LIST");
    w.U32(32472, 260);
    w.Tag(32476, "odml");
    w.Tag(32480, "dmlh");
    w.U32(32484, 248);
    w.U32(32488, 1); // total frames

    w.Tag(32736, "JUNK");
    w.U32(32740, 12);

    w.Tag(32756, "LIST");
    w.U32(32760, 176644);
    w.Tag(32764, "movi");

    // Standard index with room for 4028 entries; one in use.
    w.Tag(32768, "ix00");
    w.U32(32772, 32248);
    w.U16(32776, 2);      // longs per entry
    w.b.bytes[32778] = 0; // subtype
    w.b.bytes[32779] = 1; // index of chunks
    w.U32(32780, 1);      // entries in use
    w.Tag(32784, "00db");
    w.U64(32788, 65024);  // base offset
    w.U32(32800, 8);      // frame data from the base offset
    w.U32(32804, kFrameBytes); // size; top bit clear: key frame

    // Header of the frame chunk; the frame follows the head.
    w.Tag(65024, "00db");
    w.U32(65028, kFrameBytes);
    return w.b;
}

constexpr TemplateBytes<kAviTailSize> MakeTail()
{
    Writer<kAviTailSize> w;
    // Pads the "movi" list to its declared size.
    w.Tag(0, "JUNK");
    w.U32(4, 368);

    // Legacy index: 31 entries of 16 bytes and 8 zero bytes.
    w.Tag(376, "idx1");
    w.U32(380, 504);
    w.Tag(384, "7Fxx");
    w.U32(388, 0);
    w.U32(392, 32768);
    w.U32(396, 0);
    w.Tag(400, "00db");
    w.U32(404, 0x10); // key frame
    w.U32(408, 65024);
    w.U32(412, kFrameBytes);
    for (std::size_t at = 416; at < 880; at += 16)
        w.Tag(at, "7Fxx");
    return w.b;
}

} // namespace

constexpr TemplateBytes<kAviHeadSize> res_avi_head = MakeHead();
const std::size_t res_avi_head_size = kAviHeadSize;
constexpr TemplateBytes<kAviTailSize> res_avi_tail = MakeTail();
const std::size_t res_avi_tail_size = kAviTailSize;
