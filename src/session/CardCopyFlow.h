// The whole-card commands on the session's chosen card: its backup into a
// file (CardBackup.h), a backup or card image put back onto it
// (CardRestore.h) and its copy onto other cards of the card list
// (CardClone.h). Each checks first that the open card is still the chosen
// one, keeps the session busy while it runs, and reads the chosen card
// again afterwards, whatever came of it, so that the views show what it
// holds now. Messages name cards as the card list shows them.
#pragma once
#include <string>
#include <vector>

class CCardSession;
class IInteraction;
class IProgress;

// A further outcome besides those of BackupCard and CloneCard: the open
// card is not the chosen one any more; nothing was written, the
// card-changed message was shown and the card list read again.
inline constexpr int kCopyFlowCardChanged = 100;

// Where a backup of the chosen card is proposed: "CARD1.img" in the folder
// of the last clip file used (none: the name alone).
std::string ProposedBackupPath(const CCardSession& session);
// Backs the chosen card up into `path`. A CardBackupResult.
int BackupChosenCard(CCardSession& session, const std::string& path, IInteraction& ui, IProgress& progress);
// Puts the backup, card image or card at `sourcePath` onto the chosen card
// after the question naming it. A CardCloneResult.
int RestoreChosenCard(CCardSession& session, const std::string& sourcePath, IInteraction& ui, IProgress& progress);

// The cards of the list a copy of the chosen card may go onto: every other
// one, by its place in the list.
std::vector<int> CopyTargetCards(const CCardSession& session);
// Copies the chosen card onto the cards at places `targets` of the list. A
// target that does not open is named with its reason and left out; the
// others go on. A CardCloneResult.
int CloneChosenCard(CCardSession& session, const std::vector<int>& targets, IInteraction& ui, IProgress& progress);
