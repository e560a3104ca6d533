#include "PowerCut.h"

#include "CardLayout.h"
#include "TaggedCard.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

namespace {

int SectorsOf(const JournalEvent& e) { return static_cast<int>((e.bytes.size() + kSectorSize - 1) / kSectorSize); }

// The events before the last completed flush among the first `after`.
int DurableEvents(const WriteJournal& journal, int after)
{
    for (int e = after; e > 0; --e) {
        if (journal.events[static_cast<std::size_t>(e - 1)].flush)
            return e;
    }
    return 0;
}

void Land(MemoryDeviceState& card, const JournalEvent& e, int sectors)
{
    const std::size_t n = std::min(e.bytes.size(), static_cast<std::size_t>(sectors) * kSectorSize);
    std::memcpy(card.bytes.data() + e.offset, e.bytes.data(), n);
}

} // namespace

std::string PowerCut::Describe(const WriteJournal& journal) const
{
    int writes = 0;
    for (int e = 0; e < after; ++e)
        writes += journal.events[static_cast<std::size_t>(e)].flush ? 0 : 1;
    return "after event " + std::to_string(after) + " of " + std::to_string(journal.events.size()) + " (write " +
           std::to_string(writes) + " of " + std::to_string(journal.Writes()) + "); " +
           std::to_string(landed.size() + static_cast<std::size_t>(lost)) + " writes since the last flush: " +
           std::to_string(landed.size() - static_cast<std::size_t>(torn)) + " whole, " + std::to_string(torn) +
           " torn, " + std::to_string(lost) + " lost";
}

PowerCut DrawPowerCut(const WriteJournal& journal, std::mt19937& random)
{
    PowerCut cut;
    cut.after = std::uniform_int_distribution<int>(0, static_cast<int>(journal.events.size()))(random);
    for (int e = DurableEvents(journal, cut.after); e < cut.after; ++e) {
        const JournalEvent& w = journal.events[static_cast<std::size_t>(e)];
        const int sectors = SectorsOf(w);
        switch (std::uniform_int_distribution<int>(0, 2)(random)) {
        case 0:
            ++cut.lost;
            break;
        case 1:
            cut.landed.push_back({e, sectors});
            break;
        default:
            if (sectors > 1) {
                cut.landed.push_back({e, std::uniform_int_distribution<int>(1, sectors - 1)(random)});
                ++cut.torn;
            } else {
                cut.landed.push_back({e, sectors});
            }
        }
    }
    std::shuffle(cut.landed.begin(), cut.landed.end(), random);
    return cut;
}

unsigned PowerCutSeed(unsigned fallback)
{
    const char* text = std::getenv("TESSARO_CUT_SEED");
    return text != nullptr && *text != '\0' ? static_cast<unsigned>(std::strtoul(text, nullptr, 10)) : fallback;
}

void ApplyPowerCut(const MemoryDeviceState& before, const WriteJournal& journal, const PowerCut& cut,
                   MemoryDeviceState& card)
{
    RestoreCard(card, before);
    const int durable = DurableEvents(journal, cut.after);
    for (int e = 0; e < durable; ++e) {
        const JournalEvent& w = journal.events[static_cast<std::size_t>(e)];
        if (!w.flush)
            Land(card, w, SectorsOf(w));
    }
    for (const PowerCut::Landed& l : cut.landed)
        Land(card, journal.events[static_cast<std::size_t>(l.event)], l.sectors);
}

CPowerCutCard::CPowerCutCard(const MemoryDeviceState& before, const WriteJournal& journal)
    : before_(before), journal_(journal), durable_(CopyCard(before))
{
}

void CPowerCutCard::Apply(const PowerCut& cut, MemoryDeviceState& card)
{
    const int durable = DurableEvents(journal_, cut.after);
    if (durable < durableEvents_) {
        RestoreCard(*durable_, before_);
        durableEvents_ = 0;
    }
    for (; durableEvents_ < durable; ++durableEvents_) {
        const JournalEvent& e = journal_.events[static_cast<std::size_t>(durableEvents_)];
        if (!e.flush)
            Land(*durable_, e, SectorsOf(e));
    }
    RestoreCard(card, *durable_);
    for (const PowerCut::Landed& l : cut.landed)
        Land(card, journal_.events[static_cast<std::size_t>(l.event)], l.sectors);
}
