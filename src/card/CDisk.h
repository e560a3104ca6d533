// CDisk: one opened memory card. Moves whole clusters (one DV frame each)
// between memory and the card, and holds the card's tables (clip slots and
// playlists) decoded from its FAT area. The tables in memory are the master
// copy; every change is followed by WriteFAT.
#pragma once
#include "CardLayout.h"
#include "Device.h"

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class IInteraction;

class CDisk {
public:
    CDisk();
    virtual ~CDisk();
    CDisk(const CDisk&) = delete;
    CDisk& operator=(const CDisk&) = delete;

    // Where transfer errors are shown; null shows nothing.
    void SetInteraction(IInteraction* ui) { ui_ = ui; }
    IInteraction* Interaction() const { return ui_; }

    // Opens drive `index` of the drive table: 0 opened, 1 not a card or not
    // openable, 2 access denied.
    int Open(int index);
    // Opens a card image or block device by path (the command line). Block
    // devices must be removable media.
    int OpenPath(const std::string& path);
    // Opens an already opened device as drive `index` (tests, fault
    // injection).
    int OpenDevice(std::unique_ptr<IDevice> device, int index);
    void Close();

    int SeekCluster(int cluster);
    int ReadCluster(int cluster, std::uint8_t* buffer);
    int WriteCluster(int cluster, const std::uint8_t* buffer);
    // Makes the clusters written so far durable; a failure is a write
    // failure (message and 0).
    int Flush();
    void ReportError(int write);

    static std::uint32_t ClusterOfSector(std::uint32_t sector) { return (sector - 10u) / 282u; }
    static std::uint32_t SectorOfCluster(std::uint32_t cluster) { return 282u * cluster + 10u; }

    int ReadFAT();
    int WriteFAT();
    void Clear();
    void UpdateFreeSpace();

    bool IsOpen() const { return device_ != nullptr; }
    bool IsLoaded() const { return loaded_; }
    void SetLoaded(bool loaded) { loaded_ = loaded; }
    bool ErrorShown() const { return errorShown_; }
    std::uint32_t SizeMB() const { return sizeMB_; }
    std::uint32_t TotalClusters() const { return totalClusters_; }
    std::int32_t FreeClusters() const { return freeClusters_; }
    int DriveIndex() const { return driveIndex_; }
    const std::string& DevicePath() const { return path_; }

    const std::vector<std::uint8_t>& FatImage() const { return fat_; }
    std::vector<ClipRecord>& Clips() { return clips_; }
    const std::vector<ClipRecord>& Clips() const { return clips_; }
    std::array<Playlist, kPlaylistCount>& Playlists() { return playlists_; }
    const std::array<Playlist, kPlaylistCount>& Playlists() const { return playlists_; }

private:
    void DecodeTables();

    IInteraction* ui_ = nullptr;
    std::unique_ptr<IDevice> device_;
    std::string path_;
    int driveIndex_ = -1;
    bool loaded_ = false;
    bool errorShown_ = false;
    std::uint32_t sizeMB_ = 0;
    std::uint32_t totalClusters_ = 0;
    std::int32_t freeClusters_ = 0;

    std::vector<std::uint8_t> fat_;
    std::vector<ClipRecord> clips_;
    std::array<Playlist, kPlaylistCount> playlists_;
};
