// Opening a clip file and testing its first frame.
#include "ClipChecks.h"

#include "CClipFile.h"
#include "DvFrame.h"
#include "Interaction.h"

std::string ClipCheck::Kind() const
{
    if (openResult != 0)
        return raw && openResult >= 0 ? "raw" : std::string();
    if (raw)
        return "raw";
    return separateAudio ? "avi-separate-audio" : "avi-interleaved";
}

const char* ClipCheck::VerdictName() const
{
    switch (verdict) {
    case kVerdictOk: return "ok";
    case kVerdictNoAudio: return "no-audio";
    case kVerdictCannotOpen: return "cannot-open";
    case kVerdictNotDv: return "not-dv";
    case kVerdictIncompatibleAudio: return "incompatible-audio";
    default: return "unreadable-frame";
    }
}

bool OpenClipForLoading(CClipFile& file, const std::string& path, ClipCheck& check)
{
    check = ClipCheck();
    check.path = path;
    check.raw = CClipFile::IsRawDvPath(path);
    check.openResult = file.Open(path, check.raw);
    if (check.openResult != kClipOpenOk) {
        check.verdict = check.openResult == kClipOpenNotDv ? kVerdictNotDv : kVerdictCannotOpen;
        check.messageId = ClipOpenMessage(check.openResult);
        check.messageFlags = kMsgError;
        return false;
    }
    check.frames = file.FrameCount();
    check.separateAudio = file.HasSeparateAudio();
    check.verdict = kVerdictOk;
    return true;
}

void CheckFirstFrame(CClipFile& file, ClipCheck& check, std::uint8_t* frame)
{
    if (!file.IsOpen())
        return;
    if (!file.ReadFrame(0, frame)) {
        check.verdict = kVerdictUnreadableFrame;
        return;
    }
    check.dv = IsDvFrame(frame) && !IsNtscDvFrame(frame) ? 1 : 0;
    if (!check.dv) {
        check.verdict = kVerdictNotDv;
        check.messageId = kIdsCannotReadFile;
        check.messageFlags = kMsgError;
        file.Close();
        return;
    }
    check.audioClass = ClassifyDvAudio(frame);
    if (check.audioClass == kDvAudioNoSamples) {
        check.verdict = kVerdictNoAudio;
        check.messageId = kIdsNoAudio;
        check.messageFlags = kMsgWarning;
    } else if (check.audioClass != kDvAudio48k) {
        check.verdict = kVerdictIncompatibleAudio;
        check.messageId = kIdsIncompatibleAudio;
        check.messageFlags = kMsgError;
        file.Close();
    } else {
        check.verdict = kVerdictOk;
    }
}

ClipCheck CheckClipFile(CClipFile& file, const std::string& path, std::uint8_t* frame)
{
    ClipCheck check;
    if (OpenClipForLoading(file, path, check))
        CheckFirstFrame(file, check, frame);
    return check;
}

void ShowClipCheckMessage(IInteraction& ui, const ClipCheck& check)
{
    if (check.messageId == kIdsCannotOpenFile || check.messageId == kIdsCannotReadFile)
        ShowMessagePath(ui, check.messageId, check.messageFlags, check.path);
    else if (check.messageId != 0)
        ShowMessage(ui, check.messageId, check.messageFlags);
}
