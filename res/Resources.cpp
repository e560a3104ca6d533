#include "Resources.h"
#include "AviTemplates.h"

extern const std::uint8_t res_strings_tsv[];
extern const std::size_t res_strings_tsv_size;
extern const std::uint8_t res_dialog102_tsv[];
extern const std::size_t res_dialog102_tsv_size;
extern const std::uint8_t res_dialog133_tsv[];
extern const std::size_t res_dialog133_tsv_size;
extern const std::uint8_t res_icon128_xpm[];
extern const std::size_t res_icon128_xpm_size;
extern const std::uint8_t res_cursor135_xpm[];
extern const std::size_t res_cursor135_xpm_size;
extern const std::uint8_t res_cursor136_xpm[];
extern const std::size_t res_cursor136_xpm_size;

namespace {

struct ResourceEntry {
    int id;
    const std::uint8_t* data;
    const std::size_t* size;
};

// Binary blocks by id; add an entry for each block listed in CMakeLists.txt.
const ResourceEntry kBlocks[] = {
    {0, nullptr, nullptr},
    {102, res_dialog102_tsv, &res_dialog102_tsv_size},
    {133, res_dialog133_tsv, &res_dialog133_tsv_size},
    {128, res_icon128_xpm, &res_icon128_xpm_size},
    {135, res_cursor135_xpm, &res_cursor135_xpm_size},
    {136, res_cursor136_xpm, &res_cursor136_xpm_size},
    {kAviHeadBlockId, res_avi_head.bytes, &res_avi_head_size},
    {kAviTailBlockId, res_avi_tail.bytes, &res_avi_tail_size},
};

} // namespace

ResourceBlock FindResourceBlock(int id)
{
    for (const ResourceEntry& e : kBlocks) {
        if (e.id == id && e.data != nullptr)
            return ResourceBlock{e.data, *e.size};
    }
    return ResourceBlock{};
}

ResourceBlock StringTableBlock()
{
    return ResourceBlock{res_strings_tsv, res_strings_tsv_size};
}
