#include "ClipLoadFlow.h"

#include "CCardSession.h"
#include "CSessionProgress.h"
#include "ClipExport.h"
#include "ConvertAviToDv.h"
#include "ConvertVideoToDv.h"
#include "DvFrame.h"
#include "DvPicture.h"
#include "FramePicture.h"
#include "IFlowHost.h"
#include "MediaResult.h"
#include "Texts.h"
#include "VideoProbe.h"

#include <memory>

namespace {

// One load of the session's file path. True when a conversion has just
// made a file and the path names it now: the caller loads that one.
class CClipLoad {
public:
    CClipLoad(CCardSession& session, IInteraction& ui, IProgress& progress, IFlowHost& host, LoadResult& result)
        : session_(session), ui_(ui), progress_(progress), host_(host), result_(result)
    {
    }

    bool Run();

private:
    void ShowCheck(const ClipCheck& check)
    {
        const ResultMessage message = LoadMessage(check);
        result_.reason.Note(message, check.path);
        ShowResult(ui_, message, check.path);
    }
    std::string ChooseConvertedName();
    bool ConversionDone(int result, const std::string& output);
    bool ConvertAvi();
    bool OfferVideoConversion(const ClipCheck& check);
    bool ConvertVideo();
    void ShowPicture(const std::uint8_t* frame);

    CCardSession& session_;
    IInteraction& ui_;
    IProgress& progress_;
    IFlowHost& host_;
    LoadResult& result_;
};

bool CClipLoad::Run()
{
    CClipFile& file = session_.ClipFile();
    session_.ClipPicture().Free();
    session_.NotifyClipFile();
    ClipCheck& check = result_.check;
    bool opened = false;
    {
        CHostWait wait(host_);
        opened = OpenClipForLoading(file, session_.FilePath(), check);
    }
    if (opened && check.separateAudio && ShowMessage(ui_, kIdsAskConvertAvi, kMbYesNo | kMbIconQuestion) == kIdYes) {
        file.Close();
        if (ConvertAvi())
            return true;
    } else if (opened) {
        std::unique_ptr<std::uint8_t[]> frame(new std::uint8_t[kFrameSize]);
        {
            CHostWait wait(host_);
            CheckFirstFrame(file, check, frame.get());
        }
        if (check.verdict != kVerdictNotDv)
            ShowCheck(check);
        else if (OfferVideoConversion(check))
            return true;
        if (check.Passed())
            ShowPicture(frame.get());
    } else if (OfferVideoConversion(check)) {
        return true;
    }
    result_.loaded = file.IsOpen();
    session_.NotifyClipFile();
    return false;
}

void CClipLoad::ShowPicture(const std::uint8_t* frame)
{
    CPicture reduced;
    int code = 0;
    {
        CHostWait wait(host_);
        code = DecodeFramePicture(frame, kClipPictureWidth, reduced, session_.DecoderPresent());
    }
    if (code != 0)
        session_.WarnNoDecoder(ui_, code);
    else
        session_.ClipPicture() = std::move(reduced);
}

std::string CClipLoad::ChooseConvertedName()
{
    ShowMessage(ui_, kIdsChooseConvertedName, kMsgInfo);
    return host_.ChooseConvertedFile();
}

bool CClipLoad::ConversionDone(int result, const std::string& output)
{
    result_.conversion = result;
    if (result == kMediaNoDecoder) {
        // Said once per session, as for the pictures.
        session_.WarnNoDecoder(ui_, 1);
        return false;
    }
    const ResultMessage message = ConversionMessage(result);
    result_.reason.Note(message, output, session_.FilePath());
    ShowResult(ui_, message, output, session_.FilePath());
    if (result != kMediaDone)
        return false;
    session_.SetFilePath(output);
    result_.converted = true;
    return true;
}

bool CClipLoad::ConvertAvi()
{
    const std::string output = ChooseConvertedName();
    if (output.empty())
        return false;
    int result = 0;
    {
        CHostWait wait(host_);
        result = ConvertAviToDv(session_.FilePath(), output, session_.DecoderPresent());
    }
    return ConversionDone(result, output);
}

bool CClipLoad::OfferVideoConversion(const ClipCheck& check)
{
    VideoFacts facts;
    bool convertible = false;
    {
        CHostWait wait(host_);
        convertible = IsConvertible(check, &facts);
    }
    if (!convertible) {
        ShowCheck(check);
        return false;
    }
    std::string question = LoadText(kIdsAskConvertVideo);
    const std::size_t at = question.find("%2");
    if (at != std::string::npos)
        question.replace(at, 2, FormatFrameTime(facts.frames));
    question = InsertArgument(question, check.path);
    if (ui_.Show(kIdsAskConvertVideo, kMsgYesNo, question) != kIdYes) {
        ShowCheck(check);
        return false;
    }
    session_.ClipFile().Close();
    return ConvertVideo();
}

bool CClipLoad::ConvertVideo()
{
    const std::string output = ChooseConvertedName();
    if (output.empty())
        return false;
    // The conversion runs under the progress, whose Abort stops it.
    CSessionProgress progress(progress_, session_.Busy());
    const int result = ConvertVideoToDv(session_.FilePath(), output, AspectSetting(), progress);
    return ConversionDone(result, output);
}

} // namespace

LoadResult LoadClip(CCardSession& session, const std::string& path, IInteraction& ui, IProgress& progress,
                    IFlowHost& host)
{
    LoadResult result;
    CFlowScope scope(session.FlowInteraction(), ui);
    session.SetFilePath(path);
    // A conversion's output is DV: the second load converts nothing more.
    if (CClipLoad(session, ui, progress, host, result).Run())
        CClipLoad(session, ui, progress, host, result).Run();
    return result;
}

int SaveClipAndLoad(CCardSession& session, int slot, const std::string& path, IInteraction& ui,
                    IProgress& progress, IFlowHost& host)
{
    if (!session.SlotHoldsClip(slot))
        return kSaveNothing;
    {
        CFlowScope scope(session.FlowInteraction(), ui);
        CSessionProgress sessionProgress(progress, session.Busy());
        // The export shows "Can't open file" or "Operation aborted." itself
        // and leaves the current clip file as it was.
        if (ExportClip(session.Disk(), slot, path, sessionProgress) != kExportDone)
            return kSaveFailed;
    }
    session.SetFilePath(path);
    LoadResult loaded;
    CClipLoad(session, ui, progress, host, loaded).Run();
    return kSavedAndLoaded;
}
