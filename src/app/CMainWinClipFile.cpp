// The main window's current clip file: Open clip with its checks and the
// conversion offers (an AVI file with a separate audio track; any video
// that is not DV), the first-frame picture, Read clip (a card clip saved as a raw DV file, which
// then becomes the current clip file) and Preview.
#include "CMainWin.h"

#include "CDisk.h"
#include "CPictureWnd.h"
#include "CPlayerDlg.h"
#include "CWaitCursor.h"
#include "ClipChecks.h"
#include "ClipExport.h"
#include "ConvertAviToDv.h"
#include "ConvertVideoToDv.h"
#include "DvFrame.h"
#include "FileDialog.h"
#include "FramePicture.h"
#include "MediaResult.h"
#include "Texts.h"
#include "VideoProbe.h"

#include <memory>

std::string CMainWin::ChooseFile(bool open, const std::string& fileName)
{
    CFileDialog dialog(open, open ? "" : ".dv", fileName, LoadText(open ? kIdsFilterOpenClip : kIdsFilterDv), this);
    return dialog.DoModal(env_.answerFileDialog) == kIdOk ? dialog.PathName() : std::string();
}

void CMainWin::OnOpenClip()
{
    if (busy_)
        return;
    const std::string path = ChooseFile(true, currentFilePath_);
    if (!path.empty())
        LoadClipPath(path);
}

void CMainWin::LoadClipPath(const std::string& path)
{
    currentFilePath_ = path;
    if (LoadClipFile())
        LoadClipFile();
}

bool CMainWin::LoadClipFile()
{
    if (picture_ != nullptr) {
        picture_->Picture().Fill(0, 0, 0, 0, 0);
        picture_->update();
    }
    // The wait cursor covers the work; the messages in between get the
    // normal cursor, as message boxes do over a waiting window.
    ClipCheck check;
    bool opened = false;
    {
        CWaitCursor wait;
        opened = OpenClipForLoading(clipFile_, currentFilePath_, check);
    }
    if (opened && check.separateAudio &&
        ShowMessage(*ui_, kIdsAskConvertAvi, kMbYesNo | kMbIconQuestion) == kIdYes) {
        clipFile_.Close();
        if (ConvertClipFile())
            return true;
    } else if (opened) {
        std::unique_ptr<std::uint8_t[]> frame(new std::uint8_t[kFrameSize]);
        {
            CWaitCursor wait;
            CheckFirstFrame(clipFile_, check, frame.get());
        }
        if (check.verdict != kVerdictNotDv)
            ShowClipCheckMessage(*ui_, check);
        else if (OfferVideoConversion(check))
            return true;
        if (check.Passed()) {
            CPicture reduced;
            int code = 0;
            {
                CWaitCursor wait;
                code = DecodeFramePicture(frame.get(), kPictureWidth, reduced, env_.decoderPresent);
            }
            if (code != 0)
                ShowDirectXWarning(code);
            else if (picture_ != nullptr)
                picture_->Picture().Blit(reduced, 0, 0, kPictureWidth, kPictureHeight, 0, 0);
        }
    } else if (OfferVideoConversion(check)) {
        return true;
    }
    if (picture_ != nullptr)
        picture_->update();
    UpdateControls();
    return false;
}

std::string CMainWin::ChooseConvertedName()
{
    ShowMessage(*ui_, kIdsChooseConvertedName, kMsgInfo);
    return ChooseFile(false, "");
}

bool CMainWin::ConvertClipFile()
{
    const std::string output = ChooseConvertedName();
    if (output.empty())
        return false;
    int result = 0;
    {
        CWaitCursor wait;
        result = ConvertAviToDv(currentFilePath_, output, env_.decoderPresent);
    }
    return ConversionDone(result, output);
}

bool CMainWin::ConversionDone(int result, const std::string& output)
{
    switch (result) {
    case kMediaDone:
        ShowMessage(*ui_, kIdsConversionComplete, kMsgInfo);
        currentFilePath_ = output;
        return true;
    case kMediaNoDecoder:
        ShowDirectXWarning(1);
        return false;
    case kMediaFileNotCreatable:
        ShowMessagePath(*ui_, kIdsCannotOpenFile, kMsgError, output);
        return false;
    case kMediaWriteFailed:
        ShowMessagePath(*ui_, kIdsCannotWriteFile, kMsgError, output);
        return false;
    case kMediaAborted:
        ShowMessage(*ui_, kIdsOperationAborted, kMsgInfo);
        return false;
    default:
        ShowMessage(*ui_, kIdsConversionFailed, kMsgError);
        return false;
    }
}

bool CMainWin::OfferVideoConversion(const ClipCheck& check)
{
    VideoFacts facts;
    bool convertible = false;
    {
        CWaitCursor wait;
        convertible = IsConvertible(check, &facts);
    }
    if (!convertible) {
        ShowClipCheckMessage(*ui_, check);
        return false;
    }
    std::string question = LoadText(kIdsAskConvertVideo);
    const std::size_t at = question.find("%2");
    if (at != std::string::npos)
        question.replace(at, 2, FormatFrameTime(facts.frames));
    question = InsertArgument(question, check.path);
    if (ui_->Show(kIdsAskConvertVideo, kMsgYesNo, question) != kIdYes) {
        ShowClipCheckMessage(*ui_, check);
        return false;
    }
    clipFile_.Close();
    return ConvertVideoClipFile();
}

bool CMainWin::ConvertVideoClipFile()
{
    const std::string output = ChooseConvertedName();
    if (output.empty())
        return false;
    // The conversion runs under the progress bar, whose Abort stops it.
    const int result = ConvertVideoToDv(currentFilePath_, output, AspectSetting(), *progress_,
                                        [this] { UpdateControls(); });
    return ConversionDone(result, output);
}

void CMainWin::OnPreview()
{
    if (busy_ || !clipFile_.IsOpen())
        return;
    RunPlayer(this, clipFile_, env_.decoderPresent);
}

void CMainWin::OnReadClip() { SaveClipAsDv(); }

void CMainWin::SaveClipAsDv()
{
    const int slot = SelectedClip();
    if (busy_ || slot < 0 || slot >= kSlotCount || !disk_.IsOpen() || !disk_.IsLoaded() ||
        disk_.Clips()[static_cast<std::size_t>(slot)].frames == 0)
        return;
    const std::string path = ChooseFile(false, ExportFileName(disk_, slot));
    if (path.empty())
        return;
    // The export shows "Can't open file" or "Operation aborted." itself and
    // leaves the current clip file as it was.
    if (ExportClip(disk_, slot, path, *progress_, [this] { UpdateControls(); }) != kExportDone) {
        UpdateControls();
        return;
    }
    currentFilePath_ = path;
    LoadClipFile();
}
