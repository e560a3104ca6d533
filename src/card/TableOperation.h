// The program's operations that write the card's table, as the table
// history names the one that replaced a kept table.
#pragma once
#include "TextId.h"

enum TableOperation : int {
    kTableEdit = 0,         // any other table write
    kTableFormat = 1,
    kTableDeleteClip = 2,
    kTableWriteClip = 3,    // a written clip recorded, or one moved by a compaction
    kTablePlaylistEdit = 4,
    kTableRecover = 5,      // a table put back, or found runs recorded
};

// The operation's name in the string table ("Format", "Delete clip"...).
TextId TableOperationText(int operation);
