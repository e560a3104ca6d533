// The journal of a table write, kept in the card's first spare sector (the
// one after the last cluster, which the player never reads) from byte 64
// on, after the move record (MoveIntent.h): while the program replaces the
// 10 sectors of the FAT area, the journal tells an opening after a power
// cut what the area is being turned into, so that a table torn between its
// sectors (or any of them lost) can be completed.
//
// The journal names the new area by its digest and carries the bytes that
// change: runs of bytes over the table the card holds (or over an empty
// table, when that is shorter), which rebuild the new area from any mix of
// the old and the new one, since the two agree everywhere else. The runs
// lie in the rest of the spare sector and the spare sectors after it when
// they fit there, else in the first sectors of a free cluster that the
// journal names. When there is room for neither, the journal has no runs;
// the digests of every sector of the old and of the new area still tell an
// opening whether the table it reads is the old one, the new one or a mix.
#pragma once
#include "CardLayout.h"
#include "FrameDigest.h"

#include <cstdint>
#include <vector>

// XXH3-128 of the whole area, as FrameDigest holds it.
using TableDigest = FrameDigest;

inline constexpr int kJournalAt = 64;          // the move record keeps the bytes before it
inline constexpr int kJournalHeaderSize = 240;
inline constexpr int kJournalInlineAt = kJournalAt + kJournalHeaderSize;
inline constexpr int kJournalInlineSize = kSectorSize - kJournalInlineAt; // runs in the same sector

// What the runs of a journal are laid over.
enum TableJournalBase : int {
    kJournalNoRuns = 0,     // none: no room for them
    kJournalOverCard = 1,   // the FAT area as the card holds it
    kJournalOverEmpty = 2,  // the area of empty tables (EncodeFatArea of nothing)
};
// Where the runs lie past the inline bytes.
enum TableJournalPlace : int {
    kJournalInSpare = 0,   // the rest of the spare sector, then the spare sectors after it
    kJournalInCluster = 1, // from the first sector of `cluster` on
};

struct TableJournal {
    std::uint32_t generation = 0; // counts the journals a card was given
    int base = kJournalNoRuns;
    int place = kJournalInSpare;
    std::uint32_t cluster = 0;
    std::uint32_t runsLength = 0; // bytes
    TableDigest runs;             // of those bytes
    TableDigest next;             // the area being written
    TableDigest replaced;         // the area it replaces; zero when not known for sure
    std::uint64_t nextSectors[kFatSectors] = {};
    std::uint64_t replacedSectors[kFatSectors] = {};

    // Into bytes [kJournalAt, kJournalInlineAt) of a spare sector: magic,
    // the fields, a checksum of both.
    void EncodeTo(std::uint8_t* sector) const;
};

enum TableJournalFound : int {
    kJournalNone = 0,    // no magic: no journal of ours
    kJournalValid = 1,
    kJournalDamaged = 2, // the magic, but a checksum that does not match
};
int DecodeTableJournal(const std::uint8_t* sector, TableJournal& journal);

TableDigest DigestTable(const std::vector<std::uint8_t>& fat);
std::uint64_t DigestTableSector(const std::uint8_t* sector);
// The FAT area of empty tables.
std::vector<std::uint8_t> EmptyFatArea();
// Sectors of two FAT areas that differ.
int DifferingSectors(const std::vector<std::uint8_t>& a, const std::vector<std::uint8_t>& b);

// The journal of writing `next` over `replaced` (null: the card's area is
// not known for sure) and its runs, the shorter of the two bases. The
// place, the cluster and the generation are the caller's.
TableJournal MakeTableJournal(const std::vector<std::uint8_t>* replaced, const std::vector<std::uint8_t>& next,
                              std::vector<std::uint8_t>& runs);
// The area `journal` writes, from its runs and `card` (the area as the card
// holds it). False when the runs do not match their digest, lie outside
// the area, or do not give the area the journal names.
bool RebuildTable(const TableJournal& journal, const std::vector<std::uint8_t>& runs,
                  const std::vector<std::uint8_t>& card, std::vector<std::uint8_t>& rebuilt);

// What a card's area is next to the journal that was writing it.
enum TableJournalMatch : int {
    kTableIsNext = 0,     // the write landed whole
    kTableIsReplaced = 1, // none of it landed
    kTableIsMixed = 2,    // each sector is the old or the new one, not all the same, or
                          // any other area when the old one was not known
    kTableIsForeign = 3,  // a sector that is neither: not the journal of this area
};
int MatchTable(const TableJournal& journal, const std::vector<std::uint8_t>& card);
