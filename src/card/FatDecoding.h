// Decoding a FAT area into clip slots and playlists, as ReadFAT loads a
// card's table: the validity checks ("Not formatted" when they fail), the
// packed slots, and the playlists re-linked to them by first sector. Also
// serves the tables kept in the table history.
#pragma once
#include "CardLayout.h"

#include <array>
#include <cstdint>
#include <vector>

// True when `fat` (kFatSize bytes) is a table; then `clips` holds the 144
// slots and `playlists` the 12 playlists it names. False leaves them empty.
bool DecodeFatArea(const std::vector<std::uint8_t>& fat, std::vector<ClipRecord>& clips,
                   std::array<Playlist, kPlaylistCount>& playlists);

// Empty tables: 144 empty slots, 12 empty playlists (logo mode 0, no loop).
void ClearTables(std::vector<ClipRecord>& clips, std::array<Playlist, kPlaylistCount>& playlists);
