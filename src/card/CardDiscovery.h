// Card discovery: probes every drive of the drive table with a temporary
// CDisk and lists the ones that open as cards, with the text the card list
// shows ("CARD%d  (%d MB)"). The window's card list and the command line's
// `devices` both use it.
#pragma once
#include <string>
#include <vector>

struct CardListEntry {
    int index = 0;          // drive index for CDisk::Open
    unsigned sizeMB = 0;
    std::string path;       // the device or image behind it
    std::string text;       // "CARD%d  (%d MB)"
};

struct CardDiscovery {
    std::vector<CardListEntry> cards;
    bool accessDenied = false; // some probe was refused access
};

CardDiscovery DiscoverCards();
