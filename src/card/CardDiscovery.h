// Card discovery: probes every drive of the drive table with a temporary
// CDisk and lists the ones that open as cards, with the text the card list
// shows ("CARD%d  (%d MB)"). A card the system holds (a mounted partition)
// is listed too, marked in use, so that choosing it says why it cannot be
// used. The window's card list and the command line's `devices` both use it.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

struct CardListEntry {
    int index = 0;          // drive index for CDisk::Open
    unsigned sizeMB = 0;
    std::uint64_t sizeBytes = 0; // the opened device's size (sysfs's for a card in use)
    std::string path;       // the device or image behind it
    std::string text;       // "CARD%d  (%d MB)"
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
