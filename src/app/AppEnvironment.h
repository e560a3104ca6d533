// The window's environment: the machine's (Environment.h), and what only
// the window takes from the machine. The program makes it in main(); tests
// fill their own.
#pragma once
#include "CCopyTargetsDlg.h"
#include "DesktopNotifier.h"
#include "Environment.h"
#include "FileDialog.h"
#include "HasDirectX8.h"

#include <QStringList>
#include <Qt>

#include <functional>

class QDrag;

struct CAppEnvironment : CEnvironment {
    // Whether the DV decoder is there: the preview, the thumbnails, the
    // clip picture and the conversion need it.
    bool decoderPresent = HasDirectX8();
    // Answers the window's file dialogs in place of the user (CFileDialog's
    // DoModal); empty: the user does.
    CFileDialog::Answer answerFileDialog;
    // Chooses the size of a new card image among `sizes` in place of the
    // user (its place, -1 for Cancel); empty: the user does.
    std::function<int(const QStringList& sizes)> answerImageSize;
    // Answers the targets dialog of "Copy card to..." in place of the user;
    // empty: the user does.
    CCopyTargetsDlg::Answer answerCopyTargets;
    // Runs a drag of an item of the window's lists, ready to go and
    // offering `actions`, in place of the platform's pointer (QDrag::exec),
    // and returns the action it ended with; empty: the platform does.
    std::function<Qt::DropAction(QDrag& drag, Qt::DropActions actions)> runDrag;
    // Where the window tells how a long operation ended while the user was
    // in another program; null: nowhere.
    IDesktopNotifier* notifier = &SessionBusNotifier();
};
