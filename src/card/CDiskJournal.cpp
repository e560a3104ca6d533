// The table journal of CDisk (TableJournal.h): every write of the FAT area
// that changes more than one of its sectors goes
//   1. the journal (and its runs, where they lie outside the spare sector)
//      onto the card, flushed;
//   2. the FAT area, flushed;
//   3. the journal cleared, flushed.
// A cut before 2 leaves the old area, a cut in 2 any mix of its sectors,
// which the next opening completes from the journal's runs; after 3 the
// journal is gone. A change of one sector needs no journal: a sector lands
// whole or not at all. The journal's record lies in the first spare sector
// behind the move record (MoveIntent.h), and each write of that sector
// carries the other's bytes as the program last wrote them, so the two
// never undo each other.
//
// The runs lie in the spare sectors when they fit (always on a card of 11
// spare sectors or more), else in the last cluster free both in the area
// being written and in every area the card may hold; nothing else writes a
// cluster while a journal is on the card, and the journal is cleared
// before the cluster can be handed out. With neither (a full card of few
// spare sectors and a change too large for them) the journal carries no
// runs, only the digests of every sector of the old and of the new area:
// an opening that finds them mixed puts back the area the write replaced,
// from the card's table history or, for an empty one, rebuilt; without it
// the table is not loaded, and the message says why.
#include "CDisk.h"

#include "FatDecoding.h"
#include "Interaction.h"
#include "Log.h"
#include "StateFolder.h"
#include "TableHistory.h"
#include "TableJournal.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <utility>

std::uint64_t CDisk::SpareSectors() const
{
    const std::uint64_t offset = SpareSectorOffset();
    return device_ && device_->SizeBytes() > offset ? (device_->SizeBytes() - offset) / kSectorSize : 0;
}

void CDisk::LoadSpareSector()
{
    if (spareLoaded_ || !device_)
        return;
    spareLoaded_ = true;
    const std::uint64_t offset = SpareSectorOffset();
    if (offset + kSectorSize > device_->SizeBytes() ||
        device_->ReadAt(offset, spare_.data(), kSectorSize) != kSectorSize)
        spare_.fill(0);
}

int CDisk::JournalCluster(const std::vector<std::uint8_t>& next) const
{
    const std::uint64_t usable = UsableClusters();
    // The runs of clusters that the new area or any area the card may hold
    // names, as [first, end) pairs; a few hundred at most, whatever the
    // card's size.
    std::vector<std::pair<std::uint64_t, std::uint64_t>> used;
    const auto mark = [&](const std::vector<std::uint8_t>& area) {
        std::vector<ClipRecord> clips;
        std::array<Playlist, kPlaylistCount> playlists;
        if (!DecodeFatArea(area, clips, playlists))
            return false;
        for (const ClipRecord& c : clips) {
            if (c.frames == 0 || c.firstSector < kFirstClusterSector)
                continue;
            const std::uint64_t first = ClusterOfSector(c.firstSector);
            used.emplace_back(first, first + c.frames);
        }
        return true;
    };
    // An area that does not decode may name any cluster.
    if (!mark(next))
        return -1;
    for (const std::vector<std::uint8_t>& area : onCard_) {
        if (!mark(area))
            return -1;
    }
    // The last cluster no run covers: walk down from the end, past every
    // run that reaches the candidate.
    std::sort(used.begin(), used.end(), [](const auto& a, const auto& b) { return a.second > b.second; });
    std::uint64_t candidate = usable; // one past the cluster looked at
    for (const auto& [first, end] : used) {
        if (end < candidate)
            break; // the cluster before `candidate` is free
        candidate = std::min(candidate, first);
    }
    return candidate > 0 && candidate - 1 <= static_cast<std::uint64_t>(INT32_MAX) ? static_cast<int>(candidate - 1) : -1;
}

bool CDisk::WriteTableJournal(const std::vector<std::uint8_t>& next, bool& journaled)
{
    journaled = false;
    if (SpareSectors() == 0)
        return true;
    // Sure of the card's area only when no write of it failed since.
    const std::vector<std::uint8_t>* replaced = onCard_.size() == 1 ? &onCard_.front() : nullptr;
    if (replaced != nullptr && DifferingSectors(*replaced, next) <= 1)
        return true;
    LoadSpareSector();

    std::vector<std::uint8_t> runs;
    TableJournal journal = MakeTableJournal(replaced, next, runs);
    journal.generation = ++journalGeneration_;
    const std::uint64_t spareRoom = kJournalInlineSize + (SpareSectors() - 1) * kSectorSize;
    std::uint64_t runsAt = 0; // where the runs past the inline bytes go
    std::size_t inlineBytes = 0;
    int cluster = -1;
    if (runs.size() <= spareRoom) {
        journal.place = kJournalInSpare;
        inlineBytes = std::min<std::size_t>(runs.size(), kJournalInlineSize);
        runsAt = SpareSectorOffset() + kSectorSize;
    } else if ((cluster = JournalCluster(next)) >= 0) {
        journal.place = kJournalInCluster;
        journal.cluster = static_cast<std::uint32_t>(cluster);
        runsAt = ClusterOffset(static_cast<std::uint64_t>(cluster));
    } else {
        LogMessage("table journal: no room for its %d bytes, sector digests only", static_cast<int>(runs.size()));
        journal.base = kJournalNoRuns;
        journal.runsLength = 0;
        runs.clear();
    }

    bool ok = true;
    if (runs.size() > inlineBytes) {
        // Whole sectors, the last one zero-filled.
        std::vector<std::uint8_t> rest(runs.begin() + static_cast<std::ptrdiff_t>(inlineBytes), runs.end());
        rest.resize((rest.size() + kSectorSize - 1) / kSectorSize * kSectorSize, 0);
        if (cluster >= 0)
            keeper_.BeforeClusterWrite(*device_, identity_, clips_, static_cast<std::uint32_t>(cluster));
        ok = device_->WriteAt(runsAt, rest.data(), rest.size()) == static_cast<long long>(rest.size());
    }
    std::fill(spare_.begin() + kJournalAt, spare_.end(), std::uint8_t{0});
    journal.EncodeTo(spare_.data());
    std::copy(runs.begin(), runs.begin() + static_cast<std::ptrdiff_t>(inlineBytes), spare_.begin() + kJournalInlineAt);
    ok = ok && device_->WriteAt(SpareSectorOffset(), spare_.data(), kSectorSize) == kSectorSize && device_->Flush();
    LogMessage("table journal %u: %d bytes of runs %s, %d", static_cast<unsigned>(journal.generation),
               static_cast<int>(runs.size()), cluster >= 0 ? "in a free cluster" : "in the spare sectors", ok ? 1 : 0);
    journaled = ok;
    return ok;
}

bool CDisk::ClearTableJournal()
{
    LoadSpareSector();
    std::fill(spare_.begin() + kJournalAt, spare_.end(), std::uint8_t{0});
    const bool ok = device_ && device_->WriteAt(SpareSectorOffset(), spare_.data(), kSectorSize) == kSectorSize &&
                    device_->Flush();
    LogMessage("table journal cleared: %d", ok ? 1 : 0);
    return ok;
}

bool CDisk::StoreTable(const std::vector<std::uint8_t>& next)
{
    if (onCard_.empty()) {
        // A card formatted without its table read: the area it holds.
        std::vector<std::uint8_t> card(kFatSize);
        if (device_->ReadAt(0, card.data(), kFatSize) == kFatSize)
            onCard_.push_back(std::move(card));
    }
    bool journaled = false;
    if (!WriteTableJournal(next, journaled))
        return false;
    if (device_->WriteAt(0, next.data(), kFatSize) != kFatSize || !device_->Flush()) {
        // The card may hold any mix of the two now.
        onCard_.push_back(next);
        return false;
    }
    onCard_.assign(1, next);
    // The area is on the card; a journal left by a failure here is one the
    // next opening finds done. The failure is the card's all the same.
    return !journaled || ClearTableJournal();
}

bool CDisk::PutBackArea(const std::vector<std::uint8_t>& area)
{
    const bool ok = device_->WriteAt(0, area.data(), kFatSize) == kFatSize && device_->Flush();
    LogMessage("table put back from the journal: %d", ok ? 1 : 0);
    if (!ok) {
        // The journal stays for the next opening.
        ReportError(true);
        return false;
    }
    ClearTableJournal();
    return true;
}

bool CDisk::FindReplacedArea(const TableJournal& journal, std::vector<std::uint8_t>& area) const
{
    std::vector<std::uint8_t> empty = EmptyFatArea();
    if (DigestTable(empty) == journal.replaced) {
        area = std::move(empty);
        return true;
    }
    if (identity_.path.empty())
        return false;
    for (KeptTable& kept : LoadHistory(CardStateFolder(identity_, false))) {
        if (kept.fat.size() == static_cast<std::size_t>(kFatSize) && DigestTable(kept.fat) == journal.replaced) {
            area = std::move(kept.fat);
            return true;
        }
    }
    return false;
}

bool CDisk::FinishInterruptedTableWrite(std::vector<std::uint8_t>& image)
{
    LoadSpareSector();
    TableJournal journal;
    const int found = DecodeTableJournal(spare_.data(), journal);
    if (found == kJournalNone)
        return true;
    if (found == kJournalDamaged) {
        LogMessage("table journal damaged, ignored");
        return true;
    }
    journalGeneration_ = journal.generation;
    const int match = MatchTable(journal, image);
    if (match == kTableIsNext || match == kTableIsReplaced) {
        // The write landed whole, or none of it did: either is a table the
        // program wrote.
        LogMessage(match == kTableIsNext ? "table journal: the write had landed" : "table journal: the write had not begun");
        if (writable_)
            ClearTableJournal();
        return true;
    }

    // The runs, from the spare sector and where the journal names.
    std::vector<std::uint8_t> runs(spare_.begin() + kJournalInlineAt, spare_.end());
    bool runsRead = journal.base != kJournalNoRuns && journal.runsLength <= kFatSize * 2u;
    if (runsRead) {
        std::uint64_t at = SpareSectorOffset() + kSectorSize;
        std::size_t inlineBytes = kJournalInlineSize;
        if (journal.place == kJournalInCluster) {
            runsRead = journal.cluster < totalClusters_;
            at = ClusterOffset(journal.cluster);
            inlineBytes = 0;
            runs.clear();
        }
        runs.resize(std::min<std::size_t>(runs.size(), journal.runsLength));
        if (runsRead && journal.runsLength > inlineBytes) {
            const std::size_t rest = journal.runsLength - inlineBytes;
            runs.resize(journal.runsLength);
            runsRead = at + rest <= device_->SizeBytes() &&
                       device_->ReadAt(at, runs.data() + inlineBytes, rest) == static_cast<long long>(rest);
        }
    }
    std::vector<std::uint8_t> area;
    if (runsRead && RebuildTable(journal, runs, image, area)) {
        LogMessage("table journal %u: an interrupted table write, finished", static_cast<unsigned>(journal.generation));
        // A card opened for reading alone shows the finished table and is
        // not written: its first opening for writing finishes it on the card.
        if (writable_ && !PutBackArea(area))
            return false;
        image = std::move(area);
        return true;
    }
    if (match == kTableIsForeign) {
        LogMessage("table journal does not belong to this table, ignored");
        return true;
    }
    // Torn, with nothing to complete it from: the area it replaced.
    if (FindReplacedArea(journal, area)) {
        LogMessage("table journal %u: a torn table, the one it replaced put back",
                   static_cast<unsigned>(journal.generation));
        if (writable_ && !PutBackArea(area))
            return false;
        image = std::move(area);
        return true;
    }
    LogMessage("table journal %u: a torn table that cannot be completed, not loaded",
               static_cast<unsigned>(journal.generation));
    // This opening's error message: no other follows.
    errorShown_ = true;
    if (ui_ != nullptr)
        ShowMessage(*ui_, kIdsTableTorn, kMsgError);
    return false;
}
