// The session's card list and the chosen card: discovery (at start-up, on
// Refresh, on a language switch, when a device comes or goes), opening the
// card chosen in the list, and the check made right before anything is
// written that the open device is still that card.
#pragma once
#include "CDisk.h"

class CCardSession;
class IInteraction;
struct ListedCard;

// Closes the open card (a probe would find it in use), lists the cards
// found now and opens the chosen one: with `keep` the card chosen before
// when it is still there, else the first. A first listing (`keep` false)
// that finds no card but a refused card reader says so (no rights).
void ListCards(CCardSession& session, IInteraction& ui, bool keep);
// Chooses card `index` of the list and opens it.
void ChooseCard(CCardSession& session, IInteraction& ui, int index);
// Opens the chosen card (none: closes the card) and reads its tables. A
// card that does not open shows as no card, one whose tables do not read as
// "Not formatted"; neither is silent.
void OpenChosenCard(CCardSession& session, IInteraction& ui);
// Opens listed card `card` into `disk` by its path, for reading alone or
// for writing (`access`), and reads its tables;
// refused access says so (no rights). A CardOpening result.
int OpenListedCard(CDisk& disk, const ListedCard& card, IInteraction& ui, CardAccess access);

// The open device is the card chosen in the list: the same node or image,
// the same size, and for a block device the same disk sequence number.
bool ChosenCardStillThere(const CCardSession& session);
// Says that the card changed and reads the card list again.
void ReportCardChanged(CCardSession& session, IInteraction& ui);
