#include "WriteJournal.h"

#include <algorithm>
#include <utility>

void WriteJournal::Write(std::uint64_t offset, const void* data, std::size_t len)
{
    JournalEvent e;
    e.offset = offset;
    e.bytes.assign(static_cast<const std::uint8_t*>(data), static_cast<const std::uint8_t*>(data) + len);
    events.push_back(std::move(e));
}

void WriteJournal::Flushed()
{
    JournalEvent e;
    e.flush = true;
    events.push_back(std::move(e));
}

int WriteJournal::Writes() const
{
    return static_cast<int>(std::count_if(events.begin(), events.end(), [](const JournalEvent& e) { return !e.flush; }));
}
