// Card discovery: probes every drive of the drive table with a temporary
// CDisk and lists the ones that open as cards, with the text the card list
// shows: "CARDn" first (the drive's number, which the command line takes
// for a card too), then what the card is (the reader's vendor and model
// from sysfs with its device node, or a card image's file name), then its
// size: "CARD1 - Generic SD/MMC (/dev/sdb), 1.9 GB", "CARD2 - demo.img,
// 64 MB". A card the system holds (a mounted partition) is listed too,
// marked in use, so that choosing it says why it cannot be used. The
// window's card list and the command line's `devices` both use it.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

struct DriveEntry;

struct CardListEntry {
    int index = 0;          // drive index for CDisk::Open
    unsigned sizeMB = 0;
    std::uint64_t sizeBytes = 0; // the opened device's size (sysfs's for a card in use)
    std::string path;       // the device or image behind it
    std::string name;       // CardListName: "CARD1 - Generic SD/MMC (/dev/sdb)"
    std::string text;       // the list's text: the name and the size
    bool inUse = false;     // held by the system; not opened
    std::string mountPoint; // where a partition of it is mounted, when in use
};

struct CardDiscovery {
    std::vector<CardListEntry> cards;
    bool accessDenied = false; // a card reader's disk was refused access
};

struct CEnvironment;

// Probes the drives that `env` finds, opening them as it says.
CardDiscovery DiscoverCards(const CEnvironment& env);

// What the card list calls drive `index` (from 0; -1: a card that is no
// drive of the table, named without "CARDn - "): "CARD1 - Generic SD/MMC
// (/dev/sdb)", "CARD2 - demo.img", "CARD3 - /dev/sdc" when sysfs names no
// model.
std::string CardListName(const DriveEntry& drive, int index);
// A card's size as the card list shows it, in the interface language:
// "64 MB" below a gigabyte, "1.9 GB" from there on.
std::string CardSizeText(std::uint64_t bytes);
// The name of the card at `path` (a device node or a card image) as the
// card list would call it: its drive of the table when it is one, else its
// model from sysfs below `sysRoot` or its file name.
std::string CardNameOfPath(const std::string& path, const CEnvironment& env);
