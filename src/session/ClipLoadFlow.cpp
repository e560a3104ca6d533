#include "ClipLoadFlow.h"

#include "CCardSession.h"
#include "CSessionProgress.h"
#include "ClipExport.h"
#include "FirstConvertedFrame.h"
#include "DvFrame.h"
#include "DvPicture.h"
#include "FramePicture.h"
#include "IFlowHost.h"
#include "Texts.h"
#include "VideoProbe.h"

#include <memory>

namespace {

// One load of the session's file path.
class CClipLoad {
public:
    CClipLoad(CCardSession& session, IInteraction& ui, IFlowHost& host, LoadResult& result)
        : session_(session), ui_(ui), host_(host), result_(result)
    {
    }

    void Run();

private:
    void ShowCheck(const ClipCheck& check)
    {
        const ResultMessage message = LoadMessage(check);
        result_.reason.Note(message, check.path);
        ShowResult(ui_, message, check.path);
    }
    void TakeVideo(const ClipCheck& check);
    void ShowPicture(const std::uint8_t* frame);

    CCardSession& session_;
    IInteraction& ui_;
    IFlowHost& host_;
    LoadResult& result_;
};

void CClipLoad::Run()
{
    CClipFile& file = session_.ClipFile();
    session_.ClipPicture().Free();
    session_.SetClipToConvert(false, 0);
    session_.NotifyClipFile();
    ClipCheck& check = result_.check;
    bool opened = false;
    {
        CHostWait wait(host_);
        opened = OpenClipForLoading(file, session_.FilePath(), check);
    }
    if (opened) {
        std::unique_ptr<std::uint8_t[]> frame(new std::uint8_t[kFrameSize]);
        {
            CHostWait wait(host_);
            CheckFirstFrame(file, check, frame.get());
        }
        if (check.verdict != kVerdictNotDv)
            ShowCheck(check);
        else
            TakeVideo(check);
        if (check.Passed())
            ShowPicture(frame.get());
        // Its DV frames are written with the sound of its second stream.
        if (file.IsOpen() && check.separateAudio)
            session_.SetClipToConvert(true, check.frames);
    } else {
        TakeVideo(check);
    }
    result_.loaded = session_.ClipReady();
    result_.toConvert = session_.ClipToConvert();
    session_.NotifyClipFile();
}

// A file the checks refused as not DV: a video the conversion can take
// becomes the file to convert, anything else is refused as the checks say.
void CClipLoad::TakeVideo(const ClipCheck& check)
{
    VideoFacts facts;
    bool convertible = false;
    {
        CHostWait wait(host_);
        convertible = IsConvertible(check, &facts);
    }
    if (!convertible) {
        ShowCheck(check);
        return;
    }
    session_.ClipFile().Close();
    session_.SetClipToConvert(true, facts.frames);
    std::unique_ptr<std::uint8_t[]> frame(new std::uint8_t[kFrameSize]);
    bool converted = false;
    {
        CHostWait wait(host_);
        converted = FirstConvertedFrame(session_.FilePath(), AspectSetting(), frame.get());
    }
    if (converted)
        ShowPicture(frame.get());
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

} // namespace

LoadResult LoadClip(CCardSession& session, const std::string& path, IInteraction& ui, IFlowHost& host)
{
    LoadResult result;
    CFlowScope scope(session.FlowInteraction(), ui);
    session.SetFilePath(path);
    CClipLoad(session, ui, host, result).Run();
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
    CClipLoad(session, ui, host, loaded).Run();
    return kSavedAndLoaded;
}
