// CDisk: one opened memory card. Moves whole clusters (one DV frame each)
// between memory and the card, and holds the card's tables (clip slots and
// playlists) decoded from its FAT area. The tables in memory are the master
// copy; every change is followed by WriteFAT.
#pragma once
#include "CardIdentity.h"
#include "CardLayout.h"
#include "Device.h"
#include "MoveIntent.h"
#include "TableChange.h"
#include "TableKeeper.h"
#include "TableOperation.h"
#include "WriteBackWindow.h"

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

class CAlignedBuffer;
class IInteraction;
struct CEnvironment;
struct DriveEntry;
struct MoveIntent;
struct TableJournal;

// How a move of a clip over its own old run ended (MoveOverOwnRun).
enum ClipMoveResult : int {
    kMoveDone = 0,       // every frame lies at the new place; EndMove follows the table write
    kMoveNotStarted = 1, // the clip lies whole at its old place
    kMoveStopped = 2,    // a write failed half-way: the next opening finishes the move
};

// How a card is opened: for reading alone (listing, tables, thumbnails,
// preview, export), or for writing too (a command that writes).
enum CardAccess : int {
    kCardRead = 0,
    kCardWrite = 1,
};

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
    // With kCardRead the device is opened for reading alone and nothing is
    // ever written to it; a write-protected card (WriteProtected) is opened
    // so whatever is asked.
    int Open(int index, CardAccess access = kCardWrite);
    // The same for a drive table entry already built (discovery).
    int OpenDrive(const DriveEntry& drive, int index, CardAccess access = kCardWrite);
    // Opens a card image or block device by path (the command line). Block
    // devices must be card readers' disks; others are never opened.
    int OpenPath(const std::string& path, CardAccess access = kCardWrite);
    // Opens the card open for reading alone again for writing too, by the
    // path it was opened by, and reads its tables again when they were
    // read (which finishes a pending move, MovePending). kOpenOk at once
    // when it is writable already; kOpenNotCard without trying on a
    // write-protected card, and when the device opened now is not the same
    // card (CardIdentity::SameCard); the openings' results otherwise. A
    // card that does not open for writing is opened for reading alone again.
    int ReopenForWriting();
    // Opens an already opened device as drive `index` (tests, fault
    // injection).
    int OpenDevice(std::unique_ptr<IDevice> device, int index);
    void Close();

    // Which card is open: filled by the openings by path or drive; a device
    // opened directly has only its size, unless SetIdentity names it.
    const CardIdentity& Identity() const { return identity_; }
    void SetIdentity(const CardIdentity& identity)
    {
        identity_ = identity;
        keeper_.Reset();
    }

    int SeekCluster(int cluster);
    int ReadCluster(int cluster, std::uint8_t* buffer);
    // Writes one cluster. A run of writes is handed to the card as it goes
    // (WriteBackWindow.h), so that no more than 16 MB of it wait in the
    // system's cache; a failed write-back fails the write.
    int WriteCluster(int cluster, const std::uint8_t* buffer);
    // Runs of `count` clusters from `first` on in one request each (the card
    // tests); the same checks and write-back as the single-cluster
    // transfers. With `quiet` a failure shows no message: a test that finds
    // an unreadable area reports it itself.
    int ReadClusters(int first, int count, std::uint8_t* buffer, bool quiet = false);
    int WriteClusters(int first, int count, const std::uint8_t* buffer, bool quiet = false);
    // The system error code of the last failed transfer (0 when none).
    int LastError() const { return device_ ? device_->LastError() : 0; }
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
    // following it; null when the read failed (the access message shown
    // unless `quiet`).
    const std::uint8_t* ReadClusterRun(int first, int count, CAlignedBuffer& buffer, bool quiet = false);
    // Whether ReadClusterRun reads these clusters from the card itself; a
    // read that must see the card drops them from the cache first when not.
    bool ReadsRunDirectly(int first, int count) const;
    // ReadClusterRun that always reads the card: a run it cannot read
    // directly is dropped from the cache first. Quiet: null on failure.
    const std::uint8_t* ReadCardRun(int first, int count, CAlignedBuffer& buffer);
    // The card's first spare sector, after the last cluster (every card has
    // one; the player never reads it): 512 bytes. A written sector is
    // flushed before success is reported. Failures are the card's access
    // or write failure (message and false).
    bool ReadSpareSector(std::uint8_t* sector);
    bool WriteSpareSector(const std::uint8_t* sector);
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

    // Reads the tables. A table write that a power cut interrupted is
    // finished first from its journal (TableJournal.h), then a move; a table
    // found torn with no way to complete it or to put back the one it
    // replaced is not loaded (its message shown): 0.
    int ReadFAT();
    // Writes the tables; the FAT area it replaces is kept first in the
    // card's table history (TableKeeper.h), named by `operation`. A write
    // that changes more than one of the area's sectors is journaled first
    // (CDiskJournal.cpp), so that a cut that tears it leaves a table that
    // the next opening completes.
    int WriteFAT(int operation = kTableEdit);
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
    // Gives the clip of `slot` the name `utf8` (ClipName.h: 1 to 8
    // characters of the card's code page) and writes the tables; its frames,
    // place and attribute stay. Refused, with nothing written, for an empty
    // slot, a name the card cannot hold or a card that is not loaded. The
    // change names the slot and the playlists that play it.
    TableChange RenameClip(int slot, const std::string& utf8);
    // Records a clip as another card's table holds it (a card copied onto
    // this one): its 8 name bytes, frame count and first sector, and its
    // attribute. Refused as above.
    TableChange RecordClip(int slot, const ClipRecord& clip);
    // Replaces every playlist by `playlists` (a card copied onto this one)
    // and writes the tables once. Refused, with nothing changed, when an
    // entry names a slot that holds no clip here, a playlist has more than
    // 12 entries or a logo mode is not 0, 1 or 2.
    TableChange SetPlaylists(const std::array<Playlist, kPlaylistCount>& playlists);

    // Moves (CDiskMoves.cpp). Moves the clip of `slot` down by `shift`
    // clusters when the runs overlap (0 < shift < its frames), restartably:
    // its record (MoveIntent.h) goes into the spare sector first, then the
    // frames are copied in steps of at most `shift`, each step flushed and
    // the record advanced before the next overwrites the frames it covers.
    // `eachFrame` runs after every frame. `transferFailed` tells that a
    // transfer failed on the way: a frame that cannot be read is left
    // unwritten at the new place and the move goes on; a step that fails is
    // tried once more from the record. After kMoveDone the caller records
    // the new place (RecordClip) and calls EndMove with whether that was
    // stored.
    int MoveOverOwnRun(int slot, int shift, const std::function<void()>& eachFrame, bool& transferFailed);
    // Clears the record of a move whose new place is stored; a move not
    // stored leaves it for the next opening. False when the card is
    // not left clean (message shown).
    bool EndMove(bool recorded);
    // A move is left half-done on the card (a write failed): nothing more
    // is written to this card until it is opened again, which finishes it.
    bool MoveUnfinished() const { return moveUnfinished_; }

    // Recovery (CDiskRecovery.cpp). Puts `clips` and `playlists` in place of
    // the tables, on a card loaded or not, and writes them: a table brought
    // back from the history or found runs recorded.
    TableChange PutBackTables(const std::vector<ClipRecord>& clips,
                              const std::array<Playlist, kPlaylistCount>& playlists);
    // Sector `sector` (the first unless told) of each of `count` clusters
    // `first`, `first + stride`, ... into `heads` (kSectorSize bytes each),
    // the reads started together. A read failure shows the access message
    // once and returns 0.
    int ReadClusterHeads(std::uint32_t first, std::uint32_t count, std::uint8_t* heads, int sector = 0,
                         std::uint32_t stride = 1);
    // Chunks of written clusters whose write-back may be under way
    // together (1, the writer's bound, unless a caller that only measures
    // the card asks for more; see CWriteBackWindow).
    void SetWriteBackUnderWay(int chunks) { writeBack_.SetUnderWay(chunks); }
    // Starts those reads without waiting for them, for a ReadClusterHeads
    // to come; nothing when they are not on the card.
    void PrefetchClusterHeads(std::uint32_t first, std::uint32_t count, int sector = 0, std::uint32_t stride = 1);
    // The first cluster from `cluster` on whose first sector may hold
    // anything but zeros (an image's holes read as zeros and hold no
    // frame); TotalClusters() when none does; `cluster` when the device
    // cannot tell.
    std::uint32_t NextClusterWithData(std::uint32_t cluster);
    // The digests of the first and last frame of a run as the card holds
    // them now (`known` false when they cannot be read).
    KeptClip ReadRunDigests(std::uint32_t firstSector, std::uint16_t frames);

    bool IsOpen() const { return device_ != nullptr; }
    // The card is open for writing: every write is refused otherwise (the
    // read-only message, or the write message on a card opened for reading
    // alone), without a call to the device.
    bool Writable() const { return device_ != nullptr && writable_; }
    // The open card cannot be written at all: sysfs shows it read-only, its
    // image file may not be written, or it opened for reading alone when
    // asked for writing.
    bool WriteProtected() const { return device_ != nullptr && writeProtected_; }
    // A card opened for reading alone holds the record of a move that was
    // interrupted (CDiskMoves.cpp): it was left as it is, and the moved
    // clip's frames are read from where they lie; an opening for writing
    // finishes the move.
    bool MovePending() const { return pendingSlot_ >= 0; }
    bool IsLoaded() const { return loaded_; }
    bool ErrorShown() const { return errorShown_; }
    // The card message the last transfer failure called for
    // (kIdsCardWriteError or kIdsCardAccessError), shown or not; 0 when none
    // failed since the card was opened or since ForgetFailure.
    int LastFailure() const { return lastFailure_; }
    void ForgetFailure() { lastFailure_ = 0; }
    // The last Open found the card in use; where a partition of it is
    // mounted ("" when not mounted, or held by another program).
    bool InUse() const { return inUse_; }
    const std::string& InUseMountPoint() const { return mountPoint_; }
    // The message for a card in use: the mount point to unmount when there
    // is one, else the card's being held by the system or another program.
    static void ShowInUseMessage(IInteraction& ui, const std::string& mountPoint);
    std::uint32_t SizeMB() const { return sizeMB_; }
    // The card's length in bytes; 0 when none is open.
    std::uint64_t SizeBytes() const;
    std::uint32_t TotalClusters() const { return totalClusters_; }
    // The real capacity a test of this card found (RealCapacity.h), read
    // when it is opened by path or drive; 0 when none is known. The writer
    // places clips only within UsableClusters().
    std::uint64_t RealCapacity() const { return realBytes_; }
    void SetRealCapacity(std::uint64_t realBytes);
    std::uint32_t UsableClusters() const;
    std::int32_t FreeClusters() const { return freeClusters_; }

    // The tables, read-only: every change goes through the operations above.
    const std::vector<ClipRecord>& Clips() const { return clips_; }
    const std::array<Playlist, kPlaylistCount>& Playlists() const { return playlists_; }

private:
    // DropCachedClusters without its message.
    bool DropRun(int first, int count);
    // Whether those cluster heads lie on the card.
    bool ClusterHeadsOnCard(std::uint32_t first, std::uint32_t count, int sector, std::uint32_t stride) const;
    int OpenNamed(const std::string& path, int index, CardAccess access);
    // The refusal of a write to a card that is not open for writing: the
    // message, and false.
    bool RefuseWrite();
    // What ReadFAT does on a card opened for reading alone in place of
    // FinishInterruptedMove (CDiskPendingMove.cpp): a record of an
    // interrupted move is noted, with its warning, and nothing is written.
    void NotePendingMove();
    // The cluster that holds frame `frame` of clip `slot` starting at
    // cluster `first`: while a move of it is pending, the frames already
    // copied are read at its new place.
    std::uint64_t FrameCluster(int slot, std::uint64_t first, int frame) const;
    void ReportInUse(const std::string& path);
    void IdentifyOpened(const std::string& path);
    // Finishes or undoes a move that a power cut or a lost card
    // interrupted, from its record in the spare sector (ReadFAT, once the
    // tables are loaded). A card without the record is not touched.
    void FinishInterruptedMove();
    // Copies the frames of `intent` until its progress is `target` (all
    // its frames: forward; 0: back to the old run), advancing the record on
    // the card after each step. False when a transfer failed.
    bool CopyMoveSteps(MoveIntent& intent, int target, const std::function<void()>& eachFrame, bool& frameLost);
    bool StoreMoveIntent(const MoveIntent& intent);
    bool ClearMoveIntent();
    // Another clip listed over `intent`'s new run.
    bool NewRunTaken(const MoveIntent& intent, int slot) const;
    std::uint64_t SpareSectorOffset() const { return ClusterOffset(totalClusters_); }
    // The card's spare sectors after the last cluster (at least one).
    std::uint64_t SpareSectors() const;
    // Table journal (CDiskJournal.cpp). The first spare sector as the card
    // holds it, read once an opening (quietly: unreadable is all zero).
    void LoadSpareSector();
    // Writes `next` over the card's FAT area with its journal around it.
    bool StoreTable(const std::vector<std::uint8_t>& next);
    // The journal of writing `next`, flushed; `journaled` false when the
    // write needs none (one sector or none changes).
    bool WriteTableJournal(const std::vector<std::uint8_t>& next, bool& journaled);
    // Clears the journal from the spare sector, flushed; quiet.
    bool ClearTableJournal();
    // A free cluster for the journal's runs: the last one free in `next`
    // and in every area the card may hold now; -1 when there is none.
    int JournalCluster(const std::vector<std::uint8_t>& next) const;
    // At the opening, before the tables are decoded: completes from its
    // journal a table write a cut interrupted, or puts back the table it
    // replaced. False when the area is torn and neither can be done (its
    // message shown).
    bool FinishInterruptedTableWrite(std::vector<std::uint8_t>& image);
    // Writes an area found at the opening and clears the journal.
    bool PutBackArea(const std::vector<std::uint8_t>& area);
    // The area the journal says was replaced, from an empty table or the
    // card's table history; false when neither holds it.
    bool FindReplacedArea(const TableJournal& journal, std::vector<std::uint8_t>& area) const;
    // Open and loaded with a full clip table: the table operations may run.
    bool TablesReady() const;
    // WriteFAT after an edit of `change`'s slots and playlists: its result
    // kEditStored or kEditNotStored.
    TableChange StoreEdit(TableChange change, int operation = kTablePlaylistEdit);
    // The change of one slot's record: the slot and the playlists naming it.
    TableChange SlotChange(int slot) const;
    // Keeps the FAT area that `next` replaces in the table history.
    void KeepReplacedTable(const std::vector<std::uint8_t>& next, int operation);
    // The change of one playlist's entries or flags.
    TableChange StorePlaylistEdit(int playlist);

    const CEnvironment& env_;
    IInteraction* ui_ = nullptr;
    std::unique_ptr<IDevice> device_;
    CWriteBackWindow writeBack_;
    bool loaded_ = false;
    bool errorShown_ = false;
    int lastFailure_ = 0;
    bool inUse_ = false;
    bool moveUnfinished_ = false;
    bool writable_ = false;
    bool writeProtected_ = false;
    int openIndex_ = 0;
    // A move found pending on a card opened for reading alone, and the
    // slot of its clip (-1: none).
    MoveIntent pendingMove_;
    int pendingSlot_ = -1;
    std::string mountPoint_;
    CardIdentity identity_;
    std::uint64_t realBytes_ = 0;
    CTableKeeper keeper_;
    std::uint32_t sizeMB_ = 0;
    std::uint32_t totalClusters_ = 0;
    std::int32_t freeClusters_ = 0;

    std::vector<std::uint8_t> fat_;
    // The FAT areas the card's may be a mix of: the last stored (or read),
    // and those of writes that failed since.
    std::vector<std::vector<std::uint8_t>> onCard_;
    // The first spare sector as the program last read or wrote it: the move
    // record, then the table journal.
    std::array<std::uint8_t, kSectorSize> spare_{};
    bool spareLoaded_ = false;
    std::uint32_t journalGeneration_ = 0;
    std::vector<ClipRecord> clips_;
    std::array<Playlist, kPlaylistCount> playlists_;
};
