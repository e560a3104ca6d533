// The Format command without its window: the question, the empty tables
// written over sectors 0 to 9 of the card, and the closing message. The
// window and the command line both run it and react to its result.
#pragma once
#include <functional>
#include <string>

class CDisk;
class IInteraction;

enum FormatResult : int {
    // No card open, or the user did not answer Yes: nothing changed.
    kFormatNotDone = 0,
    // The card holds empty tables; "Formatting complete..." was shown.
    kFormatDone = 1,
    // The tables in memory are empty but writing them failed (the card's
    // write message was shown once). The card still holds its old tables:
    // the caller reads them again (the window reruns card discovery).
    kFormatWriteFailed = 2,
};

// Asks whether the card called `cardName` (as the card list calls it) is
// to be formatted, saying how many clips and playlists it holds, or that
// its table could not be read (Yes/No, No the default); on
// Yes formats the tables of `disk` and writes them. Only the FAT area is
// written; the clusters keep their old frames, now free. `formatted`, when
// given, runs after a successful write and before the closing message (the
// window refills its lists there).
int FormatCard(CDisk& disk, IInteraction& ui, const std::string& cardName,
               const std::function<void()>& formatted = {});
