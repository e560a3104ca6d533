// What the memory device hands to the card while an operation runs: every
// write it stores and every flush that completes, in order. Power cuts
// (PowerCut.h) are drawn from it.
#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

struct JournalEvent {
    bool flush = false; // a completed flush; otherwise a write
    std::uint64_t offset = 0;
    std::vector<std::uint8_t> bytes;
};

struct WriteJournal {
    std::vector<JournalEvent> events;

    void Write(std::uint64_t offset, const void* data, std::size_t len);
    void Flushed();
    int Writes() const;
};
