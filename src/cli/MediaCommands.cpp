// The commands that work on pictures and files without a card in between
// the steps: convert and frame.
#include "CClipFile.h"
#include "CDisk.h"
#include "CliCommands.h"
#include "CliExitStatus.h"
#include "CliSession.h"
#include "ConvertAviToDv.h"
#include "ConvertVideoToDv.h"
#include "DvFrame.h"
#include "FramePicture.h"
#include "Interaction.h"
#include "MediaGraph.h"
#include "ResultMessages.h"
#include "SavePicturePng.h"

#include <memory>
#include <vector>

namespace {

// Shows the warning that frame decoding needs the DV decoder.
void DecoderMissing(CCliSession& session) { ShowMessage(session.Ui(), kIdsNoDecoder, kMsgWarning); }

// Reads frame `index` of SOURCE: a file, or CARD:SLOT (SLOT a number or
// @NAME without a slash, so that a file's path is not taken for one).
bool ReadSourceFrame(CCliSession& session, const std::string& source, int index, std::uint8_t* frame,
                     bool& usage)
{
    usage = false;
    const std::size_t colon = source.rfind(':');
    long long slotNumber = 0;
    const std::string slotText = colon == std::string::npos ? std::string() : source.substr(colon + 1);
    if (colon != std::string::npos &&
        (ParseNumber(slotText, slotNumber) ||
         (CCliSession::IsClipName(slotText) && slotText.find('/') == std::string::npos))) {
        int slot = 0;
        CDisk disk(session.Env());
        const int status = session.OpenClipSlot(source.substr(0, colon), slotText, disk, slot, kCardRead);
        if (status != kExitDone) {
            usage = status == kExitUsage;
            return false;
        }
        const ClipRecord& clip = disk.Clips()[static_cast<std::size_t>(slot)];
        if (index >= clip.frames || !disk.ReadClipFrame(slot, index, frame)) {
            if (!disk.ErrorShown())
                session.Error(kIdsCliNoFrame, index);
            return false;
        }
        return true;
    }
    CClipFile file;
    const int result = file.Open(source, CClipFile::IsRawDvPath(source));
    if (result != kClipOpenOk) {
        ShowMessagePath(session.Ui(), ClipOpenMessage(result), kMsgError, source);
        return false;
    }
    if (!file.ReadFrame(index, frame)) {
        session.Error(kIdsCliNoFrame, index);
        return false;
    }
    return true;
}

} // namespace

int CmdConvert(CCliSession& session)
{
    const auto& args = session.Options().args;
    if (args.size() != 2)
        return kExitUsage;
    // An AVI file whose first stream is PAL DV keeps its frames: the audio
    // of its second stream is put inside them. Anything else is converted
    // as any video, with Ctrl-C as Abort from the start, so that its output
    // is removed on every way out.
    int result = kMediaGraphFailed;
    ConversionReport report;
    if (IsPalDvAvi(args[0])) {
        result = ConvertAviToDv(args[0], args[1]);
    } else {
        CInterruptScope interrupts;
        result = ConvertVideoToDv(args[0], args[1], session.Aspect(), session.Progress(), {}, &report);
    }
    // A source that could not be converted to its end says how much was;
    // the output is kept (exit 0) when that makes a clip.
    if (report.stoppedShort)
        ShowMessage(session.Ui(), kIdsConversionShort, kMsgWarning, FormatFrameTime(report.converted).c_str(),
                    FormatFrameTime(report.expected).c_str());
    if (result != kMediaDone) {
        ShowResult(session.Ui(), ConversionMessage(result), args[1], args[0]);
        return kExitFailed;
    }
    if (!report.stoppedShort)
        ShowResult(session.Ui(), ConversionMessage(result), args[1], args[0]);
    return kExitDone;
}

int CmdFrame(CCliSession& session)
{
    const auto& args = session.Options().args;
    if (args.size() != 3)
        return kExitUsage;
    long long index = 0;
    if (!ParseNumber(args[1], index) || index > 65535) {
        session.Error(kIdsCliOutOfRange, "N", 0, 65535);
        return kExitUsage;
    }
    const int width = session.Options().size < 0 ? 720 : session.Options().size;
    if (width != 720 && width != 360 && width != 180 && width != 90) {
        session.Error(kIdsCliOutOfRange, "--size", 90, 720);
        return kExitUsage;
    }
    std::unique_ptr<std::uint8_t[]> frame(new std::uint8_t[kClusterSize]);
    bool usage = false;
    if (!ReadSourceFrame(session, args[0], static_cast<int>(index), frame.get(), usage))
        return usage ? kExitUsage : kExitFailed;
    CPicture picture;
    const int decoded = DecodeFramePicture(frame.get(), width, picture);
    if (decoded == 1) {
        DecoderMissing(session);
        return kExitFailed;
    }
    if (decoded != 0) {
        session.Error(kIdsCliDecodeFailed);
        return kExitFailed;
    }
    if (!SavePicturePng(picture, args[2])) {
        session.Error(kIdsCliCannotCreate, args[2].c_str(), "PNG");
        return kExitFailed;
    }
    session.Say(kIdsCliFrameSaved, static_cast<int>(index), args[2].c_str(), picture.Width(), picture.Height());
    return kExitDone;
}
