// CDisk: one opened memory card. Moves whole clusters (one DV frame each)
// between memory and the card, and holds the card's tables (clip slots and
// playlists) decoded from its FAT area. The tables in memory are the master
// copy; every change is followed by WriteFAT.
#pragma once
#include "CardLayout.h"
#include "Device.h"
#include "TableChange.h"
#include "WriteBackWindow.h"

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

class CAlignedBuffer;
class IInteraction;
struct CEnvironment;
struct DriveEntry;

class CDisk {
public:
    // Opens cards as `env` says (which must outlive the CDisk); without
    // one, the machine's devices.
    CDisk();
    explicit CDisk(const CEnvironment& env);
    virtual ~CDisk();
    CDisk(const CDisk&) = delete;
    CDisk& operator=(const CDisk&) = delete;

    // Where transfer errors are shown; null shows nothing.
    void SetInteraction(IInteraction* ui) { ui_ = ui; }
    IInteraction* Interaction() const { return ui_; }

    // Opens drive `index` of the drive table: 0 opened, 1 not a card or not
    // openable, 2 access denied. A card that the system holds (a mounted
    // partition, another program) gives 1 with InUse() set; its message
    // ("in use", naming the mount point when there is one) is shown once,
    // as the error message of this opening, and nothing is read or written.
    int Open(int index);
    // The same for a drive table entry already built (discovery).
    int OpenDrive(const DriveEntry& drive, int index);
    // Opens a card image or block device by path (the command line). Block
    // devices must be card readers' disks; others are never opened.
    int OpenPath(const std::string& path);
    // Opens an already opened device as drive `index` (tests, fault
    // injection).
    int OpenDevice(std::unique_ptr<IDevice> device, int index);
    void Close();

    int SeekCluster(int cluster);
    int ReadCluster(int cluster, std::uint8_t* buffer);
    // Writes one cluster. A run of writes is handed to the card as it goes
    // (WriteBackWindow.h), so that no more than 16 MB of it wait in the
    // system's cache; a failed write-back fails the write.
    int WriteCluster(int cluster, const std::uint8_t* buffer);
    // Makes the clusters written so far durable; a failure is a write
    // failure (message and false).
    bool Flush();
    // Drops `count` clusters from `first` on from the system's cache, so
    // that reading them reads the card (after Flush). A failure is an
    // access failure (message and false).
    bool DropCachedClusters(int first, int count);
    // Reads the `count` clusters from `first` on in one request, from the
    // card itself where the device reads directly (direct I/O, the request
    // widened to its logical blocks), else through the system's cache.
    // Returns cluster `first` inside `buffer`, which it sizes, the others
    // following it; null when the read failed (the access message shown).
    const std::uint8_t* ReadClusterRun(int first, int count, CAlignedBuffer& buffer);
    // Shows the card's access message, or with `write` its write message,
    // unless one was shown since the card was opened.
    void ReportError(bool write);

    static std::uint32_t ClusterOfSector(std::uint32_t sector)
    {
        return (sector - kFirstClusterSector) / kSectorsPerCluster;
    }
    static std::uint32_t SectorOfCluster(std::uint32_t cluster)
    {
        return kSectorsPerCluster * cluster + kFirstClusterSector;
    }

    int ReadFAT();
    int WriteFAT();
    void Clear();
    void UpdateFreeSpace();

    // Formatting (CardFormat.cpp): log line, empty tables, free space, loaded
    // flag. Writing the tables is the caller's WriteFAT. Does nothing on a
    // card that is not open.
    void Format();

    // Clip slots and playlists (CDiskPlaylists.cpp). Playlists, entries and
    // slots count from 0. Each editing operation needs an open and loaded
    // card, checks its own preconditions, ends with WriteFAT and returns
    // what it changed (TableChange.h).
    TableChange InsertEntry(int playlist, int slot, int position = kAppendEntry);
    TableChange RemoveEntry(int playlist, int position);
    TableChange SwapEntries(int playlist, int a, int b);
    TableChange SwapPlaylists(int a, int b);
    // Asks "Delete playlist %02d?" through the interaction (No the default;
    // without an interaction nothing is deleted).
    TableChange DeletePlaylist(int playlist);
    TableChange ToggleTransition(int playlist, int position);
    TableChange SetLoop(int playlist, bool loop);
    // Derived values; 0 / -1 / false on a card that is not loaded.
    int PlaylistLength(int playlist) const; // frames, a clip counted once per entry
    int UseCount(int slot) const;           // playlists holding the slot
    bool TransitionMeaningful(int playlist, int position) const; // a successor follows

    // Clips (CDiskClips.cpp). Frame f of a clip is one ReadCluster; a read
    // failure shows the access message once and returns 0. A slot that is
    // empty or a frame past the clip's end reads nothing and returns 0.
    int ReadClipFrame(int slot, int frame, std::uint8_t* buffer);
    int ReadClipFirstFrame(int slot, std::uint8_t* buffer);
    // Asks "Clip %02d is used in %d playlists..." for an occupied slot,
    // removes its entries from every playlist, empties it and writes the
    // tables. 1 when the slot is empty afterwards (also when the table write
    // failed: the deletion stays in memory), 0 when declined, when there is
    // no interaction to ask, or on a card that is not loaded; `result`
    // (optional) tells what changed.
    int DeleteClip(int slot, ClipDeletion* result = nullptr);
    // Records a clip in `slot`: its name (card code page, the first 8 bytes
    // kept, zero-filled when shorter), its frame count and its first sector;
    // the slot's attribute stays. The writer records a new clip with it,
    // compaction a moved one. Refused for a slot out of range, a count that
    // no record holds (0 or above 65534), or a first sector inside the FAT
    // area. The change names the slot and the playlists that play it.
    TableChange RecordClip(int slot, std::string_view name, int frames, std::uint32_t firstSector);

    bool IsOpen() const { return device_ != nullptr; }
    bool IsLoaded() const { return loaded_; }
    bool ErrorShown() const { return errorShown_; }
    // The last Open found the card in use; where a partition of it is
    // mounted ("" when not mounted, or held by another program).
    bool InUse() const { return inUse_; }
    const std::string& InUseMountPoint() const { return mountPoint_; }
    // The message for a card in use: the mount point to unmount when there
    // is one, else the card's being held by the system or another program.
    static void ShowInUseMessage(IInteraction& ui, const std::string& mountPoint);
    std::uint32_t SizeMB() const { return sizeMB_; }
    std::uint32_t TotalClusters() const { return totalClusters_; }
    std::int32_t FreeClusters() const { return freeClusters_; }

    // The tables, read-only: every change goes through the operations above.
    const std::vector<ClipRecord>& Clips() const { return clips_; }
    const std::array<Playlist, kPlaylistCount>& Playlists() const { return playlists_; }

private:
    int OpenNamed(const std::string& path, int index);
    void ReportInUse(const std::string& path);
    void DecodeTables();
    // Playlist j from its records; `filled` counts the slots in use, which
    // a clip known only to the playlist adds to (SlotOfRun).
    void DecodePlaylist(const std::uint8_t* recordA, const std::uint8_t* recordB, Playlist& p, int& filled);
    int SlotOfRun(const ClipRun& run, int& filled);
    // Open and loaded with a full clip table: the table operations may run.
    bool TablesReady() const;
    // WriteFAT after an edit of `change`'s slots and playlists: its result
    // kEditStored or kEditNotStored.
    TableChange StoreEdit(TableChange change);
    // The change of one playlist's entries or flags.
    TableChange StorePlaylistEdit(int playlist);

    const CEnvironment& env_;
    IInteraction* ui_ = nullptr;
    std::unique_ptr<IDevice> device_;
    CWriteBackWindow writeBack_;
    bool loaded_ = false;
    bool errorShown_ = false;
    bool inUse_ = false;
    std::string mountPoint_;
    std::uint32_t sizeMB_ = 0;
    std::uint32_t totalClusters_ = 0;
    std::int32_t freeClusters_ = 0;

    std::vector<std::uint8_t> fat_;
    std::vector<ClipRecord> clips_;
    std::array<Playlist, kPlaylistCount> playlists_;
};
