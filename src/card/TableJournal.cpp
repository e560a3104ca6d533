// The table journal's record, its runs of bytes, and what it tells of a
// card's FAT area.
#include "TableJournal.h"

#define XXH_INLINE_ALL
#include <xxhash.h>

#include <algorithm>
#include <cstring>

namespace {

constexpr std::uint8_t kMagic[8] = {'T', 'S', 'R', 'T', 'A', 'B', 'L', '1'};
constexpr int kChecksumAt = kJournalHeaderSize - 8; // the checksum covers the bytes before it
constexpr int kRunHeader = 4;                        // offset and length, 16 bits each
// Runs closer than this are one run: a run's header costs more than the
// bytes between them.
constexpr int kRunGap = kRunHeader;

void Put32(std::uint8_t* p, std::uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        p[i] = static_cast<std::uint8_t>(v >> (8 * i));
}

void Put64(std::uint8_t* p, std::uint64_t v)
{
    for (int i = 0; i < 8; ++i)
        p[i] = static_cast<std::uint8_t>(v >> (8 * i));
}

std::uint32_t Get32(const std::uint8_t* p)
{
    return static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8 |
           static_cast<std::uint32_t>(p[2]) << 16 | static_cast<std::uint32_t>(p[3]) << 24;
}

std::uint64_t Get64(const std::uint8_t* p)
{
    std::uint64_t v = 0;
    for (int i = 7; i >= 0; --i)
        v = v << 8 | p[i];
    return v;
}

void PutDigest(std::uint8_t* p, const TableDigest& d)
{
    Put64(p, d.low);
    Put64(p + 8, d.high);
}

TableDigest GetDigest(const std::uint8_t* p) { return TableDigest{Get64(p), Get64(p + 8)}; }

TableDigest DigestBytes(const std::uint8_t* bytes, std::size_t length)
{
    const XXH128_hash_t h = XXH3_128bits(bytes, length);
    return TableDigest{h.low64, h.high64};
}

// The runs that turn `base` into `next`.
std::vector<std::uint8_t> Runs(const std::vector<std::uint8_t>& base, const std::vector<std::uint8_t>& next)
{
    std::vector<std::uint8_t> runs;
    int i = 0;
    while (i < kFatSize) {
        if (base[static_cast<std::size_t>(i)] == next[static_cast<std::size_t>(i)]) {
            ++i;
            continue;
        }
        // The run ends at the last differing byte before more than kRunGap
        // equal ones.
        int last = i;
        for (int j = i + 1; j < kFatSize && j - last <= kRunGap; ++j) {
            if (base[static_cast<std::size_t>(j)] != next[static_cast<std::size_t>(j)])
                last = j;
        }
        const int end = last + 1;
        const std::uint8_t header[kRunHeader] = {static_cast<std::uint8_t>(i), static_cast<std::uint8_t>(i >> 8),
                                                 static_cast<std::uint8_t>(end - i),
                                                 static_cast<std::uint8_t>((end - i) >> 8)};
        runs.insert(runs.end(), header, header + kRunHeader);
        runs.insert(runs.end(), next.begin() + i, next.begin() + end);
        i = end;
    }
    return runs;
}

} // namespace

void TableJournal::EncodeTo(std::uint8_t* sector) const
{
    std::uint8_t* h = sector + kJournalAt;
    std::memset(h, 0, kJournalHeaderSize);
    std::memcpy(h, kMagic, sizeof kMagic);
    Put32(h + 8, generation);
    h[12] = static_cast<std::uint8_t>(base);
    h[13] = static_cast<std::uint8_t>(place);
    Put32(h + 16, cluster);
    Put32(h + 20, runsLength);
    PutDigest(h + 24, runs);
    PutDigest(h + 40, next);
    PutDigest(h + 56, replaced);
    for (int s = 0; s < kFatSectors; ++s) {
        Put64(h + 72 + 8 * s, nextSectors[s]);
        Put64(h + 152 + 8 * s, replacedSectors[s]);
    }
    Put64(h + kChecksumAt, XXH3_64bits(h, kChecksumAt));
}

int DecodeTableJournal(const std::uint8_t* sector, TableJournal& journal)
{
    const std::uint8_t* h = sector + kJournalAt;
    if (std::memcmp(h, kMagic, sizeof kMagic) != 0)
        return kJournalNone;
    if (Get64(h + kChecksumAt) != XXH3_64bits(h, kChecksumAt) || h[12] > kJournalOverEmpty ||
        h[13] > kJournalInCluster)
        return kJournalDamaged;
    TableJournal j;
    j.generation = Get32(h + 8);
    j.base = h[12];
    j.place = h[13];
    j.cluster = Get32(h + 16);
    j.runsLength = Get32(h + 20);
    j.runs = GetDigest(h + 24);
    j.next = GetDigest(h + 40);
    j.replaced = GetDigest(h + 56);
    for (int s = 0; s < kFatSectors; ++s) {
        j.nextSectors[s] = Get64(h + 72 + 8 * s);
        j.replacedSectors[s] = Get64(h + 152 + 8 * s);
    }
    journal = j;
    return kJournalValid;
}

TableDigest DigestTable(const std::vector<std::uint8_t>& fat) { return DigestBytes(fat.data(), fat.size()); }

std::uint64_t DigestTableSector(const std::uint8_t* sector) { return XXH3_64bits(sector, kSectorSize); }

std::vector<std::uint8_t> EmptyFatArea() { return EncodeFatArea({}, {}); }

int DifferingSectors(const std::vector<std::uint8_t>& a, const std::vector<std::uint8_t>& b)
{
    int differing = 0;
    for (int s = 0; s < kFatSectors; ++s)
        differing += std::memcmp(a.data() + s * kSectorSize, b.data() + s * kSectorSize, kSectorSize) != 0 ? 1 : 0;
    return differing;
}

TableJournal MakeTableJournal(const std::vector<std::uint8_t>* replaced, const std::vector<std::uint8_t>& next,
                              std::vector<std::uint8_t>& runs)
{
    TableJournal j;
    j.next = DigestTable(next);
    for (int s = 0; s < kFatSectors; ++s)
        j.nextSectors[s] = DigestTableSector(next.data() + s * kSectorSize);
    if (replaced != nullptr) {
        j.replaced = DigestTable(*replaced);
        for (int s = 0; s < kFatSectors; ++s)
            j.replacedSectors[s] = DigestTableSector(replaced->data() + s * kSectorSize);
    }
    runs = Runs(EmptyFatArea(), next);
    j.base = kJournalOverEmpty;
    if (replaced != nullptr) {
        std::vector<std::uint8_t> over = Runs(*replaced, next);
        if (over.size() < runs.size()) {
            runs = std::move(over);
            j.base = kJournalOverCard;
        }
    }
    j.runsLength = static_cast<std::uint32_t>(runs.size());
    j.runs = DigestBytes(runs.data(), runs.size());
    return j;
}

bool RebuildTable(const TableJournal& journal, const std::vector<std::uint8_t>& runs,
                  const std::vector<std::uint8_t>& card, std::vector<std::uint8_t>& rebuilt)
{
    if (journal.base == kJournalNoRuns || runs.size() != journal.runsLength ||
        !(DigestBytes(runs.data(), runs.size()) == journal.runs) || card.size() != static_cast<std::size_t>(kFatSize))
        return false;
    std::vector<std::uint8_t> table = journal.base == kJournalOverCard ? card : EmptyFatArea();
    std::size_t at = 0;
    while (at < runs.size()) {
        if (runs.size() - at < static_cast<std::size_t>(kRunHeader))
            return false;
        const std::size_t offset = runs[at] | static_cast<std::size_t>(runs[at + 1]) << 8;
        const std::size_t length = runs[at + 2] | static_cast<std::size_t>(runs[at + 3]) << 8;
        at += kRunHeader;
        if (offset + length > table.size() || runs.size() - at < length)
            return false;
        std::copy(runs.begin() + static_cast<std::ptrdiff_t>(at), runs.begin() + static_cast<std::ptrdiff_t>(at + length),
                  table.begin() + static_cast<std::ptrdiff_t>(offset));
        at += length;
    }
    if (!(DigestTable(table) == journal.next))
        return false;
    rebuilt = std::move(table);
    return true;
}

int MatchTable(const TableJournal& journal, const std::vector<std::uint8_t>& card)
{
    if (DigestTable(card) == journal.next)
        return kTableIsNext;
    // Written over a table the card was not sure to hold (a write of it had
    // failed): any other table may be torn.
    if (journal.replaced == TableDigest{})
        return kTableIsMixed;
    bool anyNext = false;
    bool anyReplaced = false;
    for (int s = 0; s < kFatSectors; ++s) {
        const std::uint64_t d = DigestTableSector(card.data() + s * kSectorSize);
        const bool isNext = d == journal.nextSectors[s];
        const bool isReplaced = d == journal.replacedSectors[s];
        if (!isNext && !isReplaced)
            return kTableIsForeign;
        // A sector the write leaves as it was is both.
        anyNext = anyNext || (isNext && !isReplaced);
        anyReplaced = anyReplaced || (isReplaced && !isNext);
    }
    if (!anyNext)
        return DigestTable(card) == journal.replaced ? kTableIsReplaced : kTableIsForeign;
    return anyReplaced ? kTableIsMixed : kTableIsForeign;
}
