// The real capacity a probe or scan found for a card that stores less than
// it reports, kept with the card's identity in the user's state folder
// (CardStateFolder/capacity), so that the writer honours it whenever the
// card is opened again.
#pragma once
#include "CardIdentity.h"

#include <cstdint>

// The real capacity in bytes kept for the card `id`, 0 when none is kept
// (or what is kept was found for a card of another size).
std::uint64_t KeptRealCapacity(const CardIdentity& id);

// Keeps what a completed test of the card `id` found: a real capacity
// below the reported size is kept; a card found to store its whole size
// loses any capacity kept before. False when it could not be stored.
bool KeepRealCapacity(const CardIdentity& id, std::uint64_t realBytes);

// The clusters that lie wholly within `realBytes` on a card of
// `totalClusters` clusters.
std::uint32_t ClustersWithin(std::uint64_t realBytes, std::uint32_t totalClusters);
