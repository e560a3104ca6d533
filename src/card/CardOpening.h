// What an opening of a card or card image came to, once its tables have
// been read: the one reading of an opening's result that the front ends
// map to their own messages (a card in use has shown its message already).
#pragma once

class CDisk;

enum CardOpening : int {
    kCardLoaded = 0,      // open, its tables read
    kCardUnformatted = 1, // open, its tables do not read (a read failure's message shown)
    kCardInUse = 2,       // held by the system; its message shown on opening
    kCardDenied = 3,      // access refused
    kCardNotOpened = 4,   // not a card, or it cannot be opened
};

// Finishes an opening of `disk` whose Open, OpenDrive or OpenPath gave
// `opened` (an OpenResult): reads the tables of a card that opened.
int FinishOpening(CDisk& disk, int opened);
