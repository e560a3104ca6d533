// The user's folder of kept program state ($XDG_STATE_HOME/tessaro, else
// ~/.local/state/tessaro) and the folder of each card in it, where what is
// kept about one card (its table history) lives.
#pragma once
#include "CardIdentity.h"

#include <string>

// $XDG_STATE_HOME/tessaro when that variable holds an absolute path, else
// $HOME/.local/state/tessaro; "" when neither is known. Not created.
std::string StateFolder();

// StateFolder()/cards/KEY for the card `id`; with `create` the folder is
// made with its parents (private to the user). "" when the card has no key,
// there is no state folder, or it cannot be made.
std::string CardStateFolder(const CardIdentity& id, bool create);
