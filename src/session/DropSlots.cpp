#include "DropSlots.h"

#include "CDisk.h"

#include <algorithm>

namespace {

bool SlotFree(const CDisk& disk, int slot, const std::vector<int>& taken)
{
    return disk.Clips()[static_cast<std::size_t>(slot)].frames == 0 &&
           std::find(taken.begin(), taken.end(), slot) == taken.end();
}

} // namespace

int NextEmptySlot(const CDisk& disk, int from, const std::vector<int>& taken)
{
    if (!disk.IsOpen() || !disk.IsLoaded())
        return -1;
    const int count = static_cast<int>(disk.Clips().size());
    for (int slot = std::max(from, 0); slot < count; ++slot) {
        if (SlotFree(disk, slot, taken))
            return slot;
    }
    for (int slot = 0; slot < std::min(from, count); ++slot) {
        if (SlotFree(disk, slot, taken))
            return slot;
    }
    return -1;
}

std::vector<int> DropSlots(const CDisk& disk, int slot, int count)
{
    std::vector<int> chosen;
    if (!disk.IsOpen() || !disk.IsLoaded() || count <= 0)
        return chosen;
    const int first = slot >= 0 && slot < static_cast<int>(disk.Clips().size()) ? slot : NextEmptySlot(disk, 0);
    if (first < 0)
        return chosen;
    chosen.push_back(first);
    while (static_cast<int>(chosen.size()) < count) {
        const int next = NextEmptySlot(disk, chosen.back() + 1, chosen);
        if (next < 0)
            break;
        chosen.push_back(next);
    }
    return chosen;
}
