// Where files dropped onto the clip list go: the slot dropped on, or the
// lowest empty one over empty space, then the empty slots after it, as
// plain functions of the card's tables.
#pragma once
#include <vector>

class CDisk;

// The lowest empty slot at or after `from`, else the lowest empty slot of
// the card; slots in `taken` count as used. -1 when there is none, or the
// card's tables are not loaded.
int NextEmptySlot(const CDisk& disk, int from, const std::vector<int>& taken = {});

// Where `count` files dropped on slot `slot` (-1: empty space of the list)
// go, each written: that slot (over empty space the lowest empty slot),
// then the empty slots after it, going round to the lowest ones. Empty
// when there is no slot for the first file.
std::vector<int> DropSlots(const CDisk& disk, int slot, int count);
