// The main window's current clip file: Open clip (the loading with its
// checks and conversion offers is the session's), the first-frame picture,
// Read clip (a card clip saved as a raw DV file, which then becomes the
// current clip file) and Preview.
#include "CMainWin.h"

#include "CPictureWnd.h"
#include "CPlayerDlg.h"
#include "CWaitCursor.h"
#include "ClipExport.h"
#include "ClipLoadFlow.h"
#include "FileDialog.h"
#include "Settings.h"
#include "Texts.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QStandardPaths>

std::string CMainWin::ChooseFile(bool open, const std::string& fileName)
{
    return ChoosePath(open, fileName, open ? kIdsFilterOpenClip : kIdsFilterDv, open ? "" : ".dv",
                      open ? kFolderOpenClip : kFolderSaveClip);
}

std::string CMainWin::ChoosePath(bool open, const std::string& fileName, int filterId, const std::string& extension,
                                 const char* folderKey, int titleId, bool confirmReplace)
{
    std::string start = fileName;
    if (QFileInfo(QString::fromStdString(fileName)).isRelative()) {
        std::string folder = GetProfileString("Folders", folderKey, "");
        if (folder.empty() || !QFileInfo(QString::fromStdString(folder)).isDir())
            folder = QStandardPaths::writableLocation(QStandardPaths::MoviesLocation).toStdString();
        if (folder.empty() || !QFileInfo(QString::fromStdString(folder)).isDir())
            folder = QDir::homePath().toStdString();
        start = folder + "/" + fileName;
    }
    CFileDialog dialog(open, extension, start, LoadText(filterId), this);
    if (titleId != 0)
        dialog.Dialog().setWindowTitle(QString::fromStdString(LoadText(titleId)));
    if (!open && !confirmReplace)
        dialog.Dialog().setOption(QFileDialog::DontConfirmOverwrite, true);
    if (dialog.DoModal(env_.answerFileDialog) != kIdOk)
        return std::string();
    const std::string path = dialog.PathName();
    WriteProfileString("Folders", folderKey, QFileInfo(QString::fromStdString(path)).absolutePath().toStdString());
    return path;
}

std::string CMainWin::ChooseConvertedFile() { return ChooseFile(false, ""); }

void CMainWin::Waiting(bool on)
{
    // The wait cursor covers the work; the messages in between get the
    // normal cursor, as message boxes do over a waiting window.
    if (on && waiting_++ == 0)
        waitCursor_ = std::make_unique<CWaitCursor>();
    else if (!on && waiting_ > 0 && --waiting_ == 0)
        waitCursor_.reset();
}

void CMainWin::OnOpenClip()
{
    if (Busy())
        return;
    const std::string path = ChooseFile(true, session_.FilePath());
    if (!path.empty())
        LoadClipPath(path);
}

void CMainWin::LoadClipPath(const std::string& path) { LoadClip(session_, path, *ui_, *this); }

void CMainWin::ClipFileChanged()
{
    if (picture_ != nullptr) {
        picture_->Picture().Fill(0, 0, 0, 0, 0);
        const CPicture& reduced = session_.ClipPicture();
        if (!reduced.IsEmpty())
            picture_->Picture().Blit(reduced, 0, 0, kPictureWidth, kPictureHeight, 0, 0);
        picture_->update();
    }
    UpdateControls();
}

void CMainWin::OnPreview()
{
    if (Busy() || !session_.ClipFile().IsOpen())
        return;
    RunPlayer(this, session_.ClipFile(), env_.decoderPresent);
}

void CMainWin::OnReadClip()
{
    const int slot = SelectedClip();
    if (Busy() || !session_.SlotHoldsClip(slot))
        return;
    const std::string path = ChooseFile(false, ExportFileName(session_.Disk(), slot));
    if (path.empty())
        return;
    SaveClipAndLoad(session_, slot, path, *ui_, *progress_, *this);
}
