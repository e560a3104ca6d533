// Lookup of the data blocks compiled into the executables (res/).
#pragma once
#include <cstddef>
#include <cstdint>

struct ResourceBlock {
    const std::uint8_t* data = nullptr;
    std::size_t size = 0;
};

// The binary block with the given numeric id, or an empty block when there
// is none.
ResourceBlock FindResourceBlock(int id);

// The string table file (tab-separated: id, text with \n escapes).
ResourceBlock StringTableBlock();
