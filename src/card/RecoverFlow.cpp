#include "RecoverFlow.h"

#include "CDisk.h"
#include "FatDecoding.h"
#include "Interaction.h"
#include "StateFolder.h"
#include "TableOperation.h"
#include "Texts.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <ctime>

namespace {

// The card's FAT area as its table stands in memory, or as read from the
// card when the table cannot be loaded.
std::vector<std::uint8_t> CurrentFat(const CDisk& disk)
{
    if (disk.IsLoaded())
        return EncodeFatArea(disk.Clips(), disk.Playlists());
    return {};
}

void DropSlot(EarlierTable& table, int slot)
{
    for (Playlist& p : table.playlists) {
        p.entries.erase(std::remove_if(p.entries.begin(), p.entries.end(),
                                       [slot](const PlaylistEntry& e) { return e.slot == slot; }),
                        p.entries.end());
        if (p.entries.empty()) {
            p.logoMode = 0;
            p.loop = false;
        }
    }
    ClipRecord& c = table.clips[static_cast<std::size_t>(slot)];
    c.frames = 0;
    c.firstSector = 0;
}

} // namespace

std::string SlotList(const std::vector<int>& slots)
{
    std::string text;
    for (int s : slots) {
        char number[16];
        std::snprintf(number, sizeof number, "%02d", s + 1);
        text += (text.empty() ? "" : ", ") + std::string(number);
    }
    return text;
}

namespace {

int Finish(CDisk& disk, IInteraction& ui, const TableChange& change)
{
    if (!change.Stored())
        return kRecoverWriteFailed;
    int clips = 0;
    int playlists = 0;
    for (const ClipRecord& c : disk.Clips())
        clips += c.frames != 0 ? 1 : 0;
    for (const Playlist& p : disk.Playlists())
        playlists += p.entries.empty() ? 0 : 1;
    ShowMessage(ui, kIdsRecoverDone, kMsgInfo, clips, playlists);
    return kRecoverDone;
}

} // namespace

int EarlierTable::ClipCount() const
{
    return static_cast<int>(std::count_if(clips.begin(), clips.end(), [](const ClipRecord& c) { return c.frames != 0; }));
}

int EarlierTable::PlaylistCount() const
{
    return static_cast<int>(
        std::count_if(playlists.begin(), playlists.end(), [](const Playlist& p) { return !p.entries.empty(); }));
}

std::vector<EarlierTable> EarlierTables(CDisk& disk)
{
    std::vector<EarlierTable> tables;
    const std::string folder = CardStateFolder(disk.Identity(), false);
    if (folder.empty() || !disk.IsOpen())
        return tables;
    const std::vector<std::uint8_t> current = CurrentFat(disk);
    for (KeptTable& kept : LoadHistory(folder)) {
        EarlierTable t;
        if (kept.fat == current || !DecodeFatArea(kept.fat, t.clips, t.playlists))
            continue;
        for (int s = 0; s < kSlotCount; ++s) {
            const ClipRecord& c = t.clips[static_cast<std::size_t>(s)];
            if (c.frames == 0)
                continue;
            // The digests kept with the table against the card's frames now.
            const auto keptClip = std::find_if(kept.clips.begin(), kept.clips.end(), [&](const KeptClip& k) {
                return k.firstSector == c.firstSector && k.frames == c.frames;
            });
            const KeptClip now = disk.ReadRunDigests(c.firstSector, c.frames);
            const bool known = keptClip != kept.clips.end() && keptClip->known && now.known;
            const bool firstWhole = known && keptClip->first == now.first;
            if (!firstWhole || keptClip->last != now.last)
                t.brokenSlots.push_back(s);
            if (!firstWhole)
                t.firstChanged.push_back(s);
        }
        t.kept = std::move(kept);
        tables.push_back(std::move(t));
    }
    return tables;
}

std::string KeptTimeText(std::int64_t time)
{
    const std::time_t t = static_cast<std::time_t>(time);
    std::tm local {};
    char text[32] = "";
    if (localtime_r(&t, &local) != nullptr)
        std::strftime(text, sizeof text, "%Y-%m-%d %H:%M", &local);
    return text;
}

std::string RecordedText(const FrameHead& h)
{
    if (!h.hasRecorded)
        return "";
    char text[80];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d", h.year, h.month, h.day, h.hour, h.minute,
                  h.second);
    return text;
}

std::string TimecodeText(const FrameHead& h)
{
    if (!h.hasTimecode)
        return "";
    const int f = h.timecode % 25;
    const int s = h.timecode / 25;
    char text[48];
    std::snprintf(text, sizeof text, "%02d:%02d:%02d:%02d", s / 3600, (s / 60) % 60, s % 60, f);
    return text;
}

std::string EarlierTableText(const EarlierTable& table)
{
    return FormatText(kIdsRecoverTableLine, LoadText(TableOperationText(table.kept.operation)).c_str(),
                      KeptTimeText(table.kept.time).c_str(), table.ClipCount(), table.PlaylistCount());
}

int PutBackEarlierTable(CDisk& disk, IInteraction& ui, const EarlierTable& table, bool partial)
{
    if (!disk.IsOpen())
        return kRecoverNotDone;
    EarlierTable chosen = table;
    if (!table.Whole()) {
        ShowMessage(ui, kIdsRecoverNotWhole, kMsgWarning, SlotList(table.brokenSlots).c_str());
        if (!partial)
            return kRecoverRefused;
        for (int s : table.brokenSlots)
            DropSlot(chosen, s);
    }
    if (ShowMessage(ui, kIdsRecoverAskTable, kMsgYesNoDefNo, LoadText(TableOperationText(table.kept.operation)).c_str(),
                    KeptTimeText(table.kept.time).c_str(), chosen.ClipCount(), chosen.PlaylistCount()) != kIdYes)
        return kRecoverNotDone;
    return Finish(disk, ui, disk.PutBackTables(chosen.clips, chosen.playlists));
}

int RecordFoundRuns(CDisk& disk, IInteraction& ui, const std::vector<FoundRun>& runs)
{
    if (!disk.IsOpen() || runs.empty())
        return kRecoverNotDone;
    std::vector<ClipRecord> clips = disk.IsLoaded() ? disk.Clips() : std::vector<ClipRecord>(kSlotCount);
    std::array<Playlist, kPlaylistCount> playlists;
    if (disk.IsLoaded())
        playlists = disk.Playlists();

    // Runs longer than a slot holds go into consecutive slots.
    std::vector<std::pair<std::uint32_t, int>> pieces;
    for (const FoundRun& run : runs) {
        for (int done = 0; done < run.frames; done += kMaxClipFrames)
            pieces.emplace_back(run.firstCluster + static_cast<std::uint32_t>(done),
                                std::min(kMaxClipFrames, run.frames - done));
    }
    std::vector<int> empty;
    for (int s = 0; s < kSlotCount; ++s) {
        if (clips[static_cast<std::size_t>(s)].frames == 0)
            empty.push_back(s);
    }
    if (empty.size() < pieces.size()) {
        ShowMessage(ui, kIdsRecoverNoSlots, kMsgWarning, static_cast<int>(pieces.size()), static_cast<int>(empty.size()));
        return kRecoverRefused;
    }
    const auto nameUsed = [&](const std::string& name) {
        return std::any_of(clips.begin(), clips.end(), [&](const ClipRecord& c) {
            return c.frames != 0 && std::strncmp(c.name, name.c_str(), kNameLength) == 0;
        });
    };
    std::string names;
    int number = 1;
    for (std::size_t i = 0; i < pieces.size(); ++i) {
        std::string name;
        do {
            char text[16];
            std::snprintf(text, sizeof text, "REC%02d", number++);
            name = text;
        } while (nameUsed(name) && number < 100000);
        ClipRecord& c = clips[static_cast<std::size_t>(empty[i])];
        std::memset(c.name, 0, sizeof c.name);
        std::memcpy(c.name, name.data(), std::min<std::size_t>(name.size(), kNameLength));
        c.frames = static_cast<std::uint16_t>(pieces[i].second);
        c.firstSector = CDisk::SectorOfCluster(pieces[i].first);
        if (i == 0)
            names = name;
        else if (i + 1 == pieces.size())
            names += " .. " + name;
    }
    if (ShowMessage(ui, kIdsRecoverAskRuns, kMsgYesNoDefNo, static_cast<int>(pieces.size()), names.c_str()) != kIdYes)
        return kRecoverNotDone;
    return Finish(disk, ui, disk.PutBackTables(clips, playlists));
}
