// The two template blocks of the one-frame AVI: the bytes before the DV frame
// (head, block 146) and after it (tail, block 145). They are built by the
// compiler from the field list in AviTemplates.cpp and looked up by id
// through FindResourceBlock.
#pragma once
#include <cstddef>
#include <cstdint>

inline constexpr int kAviHeadBlockId = 146;
inline constexpr int kAviTailBlockId = 145;
inline constexpr std::size_t kAviHeadSize = 65032;
inline constexpr std::size_t kAviTailSize = 888;

template <std::size_t N>
struct TemplateBytes {
    std::uint8_t bytes[N];
};

extern const TemplateBytes<kAviHeadSize> res_avi_head;
extern const std::size_t res_avi_head_size;
extern const TemplateBytes<kAviTailSize> res_avi_tail;
extern const std::size_t res_avi_tail_size;
