// The session holds the chosen card open for reading alone, so that merely
// looking at a card never makes the system read its partitions again (it
// does when a descriptor that could write is closed). Before a command
// writes, the card is opened for writing, once it is found to be still the
// card the user chose; a write-protected card refuses every such command.
#pragma once

class CCardSession;
class IInteraction;

enum CardWriteAccess : int {
    kCardWritable = 0,    // open for writing: the command may write
    kCardReadOnly = 1,    // write-protected: the read-only message was shown
    kCardChanged = 2,     // not the chosen card: the card-changed message shown, the list read again
    kCardNotReopened = 3, // it did not open for writing (its message shown); still open for reading
};

// Opens the chosen card for writing unless it is already. Nothing is
// written by this alone, except that an opening for writing finishes a move
// that the card for reading alone left pending (CDisk::MovePending). The
// tables read again must be the ones shown: other tables are a changed
// card.
int OpenChosenCardForWriting(CCardSession& session, IInteraction& ui);
