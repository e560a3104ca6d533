// The main window's whole-card commands: Back up card... (a save dialog,
// then the backup of the chosen card), Restore card... (an open dialog,
// then the chosen card replaced by what the file holds) and Copy card to...
// (the targets dialog, then the copy onto the ticked cards). Each runs under
// the progress display with Abort; the flows, their questions and messages
// are the session's.
#include "CMainWin.h"

#include "CCopyTargetsDlg.h"
#include "CardCopyFlow.h"
#include "FileDialog.h"
#include "Texts.h"

#include <QFileInfo>

std::string CMainWin::ChooseCardImage(bool open, const std::string& fileName)
{
    // In the folder card images were last chosen in. An existing file is
    // asked about by the backup itself, which names it and keeps it until
    // the new backup is whole.
    const std::string name = QFileInfo(QString::fromStdString(fileName)).fileName().toStdString();
    return ChoosePath(open, name, kIdsFilterCardImage, open ? "" : ".img", kFolderImage, 0, false);
}

void CMainWin::OnBackupCard()
{
    if (Busy() || !session_.CardReady())
        return;
    const std::string path = ChooseCardImage(false, ProposedBackupPath(session_));
    if (!path.empty())
        BackupChosenCard(session_, path, *ui_, *progress_);
}

void CMainWin::OnRestoreCard()
{
    if (Busy() || !session_.CardReady())
        return;
    const std::string path = ChooseCardImage(true, "");
    if (!path.empty())
        RestoreChosenCard(session_, path, *ui_, *progress_);
}

void CMainWin::OnCopyCard()
{
    const ListedCard* chosen = session_.Cards().Chosen();
    if (Busy() || !session_.CardReady() || chosen == nullptr)
        return;
    const std::vector<int> candidates = CopyTargetCards(session_);
    if (candidates.empty()) {
        ShowMessage(*ui_, kIdsNoCopyTarget, kMsgInfo);
        return;
    }
    std::vector<std::string> names;
    for (const int index : candidates)
        names.push_back(session_.Cards().Cards()[static_cast<std::size_t>(index)].entry.text);
    CCopyTargetsDlg dialog(chosen->entry.text, names, this);
    if (dialog.DoModal(env_.answerCopyTargets) != QDialog::Accepted)
        return;
    std::vector<int> targets;
    for (const int ticked : dialog.Ticked())
        targets.push_back(candidates[static_cast<std::size_t>(ticked)]);
    if (!targets.empty())
        CloneChosenCard(session_, targets, *ui_, *progress_);
}
