// Card images chosen or made from the window: an image is named in the
// settings' "Cards" section (Image1 to Image15, where the card list finds
// images), the cards are listed again and the image is chosen. A new image
// is created first and given empty tables, so it is ready for clips.
#pragma once
#include <string>

class CCardSession;
class IInteraction;

enum CardImageFlowResult : int {
    kImageChosen = 0,   // named in the settings and chosen in the list
    kImageNotChosen = 1 // its message was shown; the settings and the card list are as they were
};

// Names the existing image `path` (kept under its key when named already)
// and chooses it. A path that is not a regular file of at least one cluster
// is refused, as is a sixteenth card.
int AddCardImage(CCardSession& session, IInteraction& ui, const std::string& path);

// Creates the image `path` of `bytes` bytes (never over an existing file),
// writes empty tables on it, and names and chooses it as AddCardImage does.
int CreateCardImage(CCardSession& session, IInteraction& ui, const std::string& path, long long bytes);
