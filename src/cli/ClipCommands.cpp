// The commands that move clips between files and the card: write, read,
// check.
#include "CClipFile.h"
#include "CDisk.h"
#include "ClipChecks.h"
#include "ClipExport.h"
#include "ClipWriter.h"
#include "CliCommands.h"
#include "CliExitStatus.h"
#include "CliSession.h"
#include "ConvertAviToDv.h"
#include "ConvertVideoToDv.h"
#include "CTempFile.h"
#include "DvFrame.h"
#include "JsonWriter.h"
#include "ResultMessages.h"
#include "Texts.h"
#include "VideoProbe.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>

namespace {

// The file a clip is read into when none is named: the export's name for
// it, or "clipNN", with ".dv".
std::string DefaultOutput(const CDisk& disk, int slot)
{
    std::string name = ExportFileName(disk, slot);
    if (name.empty()) {
        char text[16];
        std::snprintf(text, sizeof text, "clip%02d", slot + 1);
        name = text;
    }
    return name + ".dv";
}

bool Exists(const std::string& path)
{
    struct stat st;
    return ::stat(path.c_str(), &st) == 0;
}

void PrintCheck(const ClipCheck& check, bool convertible, bool json)
{
    const std::string kind = check.Kind();
    if (!json) {
        std::printf("kind: %s\n", kind.empty() ? "-" : kind.c_str());
        if (check.frames >= 0)
            std::printf("frames: %d\nduration: %s\n", check.frames,
                        FormatFrameTimeSize(check.frames, false).c_str());
        if (check.audioClass >= 0)
            std::printf("audio class: %d\n", check.audioClass);
        std::printf("verdict: %s\n", check.VerdictName());
        if (convertible)
            std::printf("convertible: yes\n");
        return;
    }
    CJsonWriter j;
    j.BeginObject();
    j.Key("path").String(check.path);
    j.Key("kind");
    kind.empty() ? j.Null() : j.String(kind);
    j.Key("open_result").Number(check.openResult);
    j.Key("frames");
    check.frames >= 0 ? j.Number(check.frames) : j.Null();
    j.Key("dv");
    check.dv >= 0 ? j.Bool(check.dv != 0) : j.Null();
    j.Key("audio_class");
    check.audioClass >= 0 ? j.Number(check.audioClass) : j.Null();
    j.Key("verdict").String(check.VerdictName());
    j.Key("convertible").Bool(convertible);
    j.EndObject();
    std::printf("%s\n", j.Text().c_str());
}

// The converted file goes onto the card under the name of the file it was
// made from, not under the temporary file's.
class CNamedSource : public IFrameSource {
public:
    CNamedSource(IFrameSource& frames, std::string path) : frames_(frames), path_(std::move(path)) {}
    int FrameCount() const override { return frames_.FrameCount(); }
    int ReadFrame(int frame, std::uint8_t* buffer) override { return frames_.ReadFrame(frame, buffer); }
    std::string SourcePath() const override { return path_; }

private:
    IFrameSource& frames_;
    std::string path_;
};

// Converts `path` into a new temporary file ("Vor" prefix) and checks the
// result into `file` and `check`: an AVI file with a separate audio track
// by putting its audio into its frames, anything else as any video. False
// (the reason shown) when no usable DV file came of it.
bool ConvertForWriting(CCliSession& session, const std::string& path, const VideoFacts& facts, CTempFile& temp,
                       CClipFile& file, ClipCheck& check, std::uint8_t* frame)
{
    const bool separateAudio = check.separateAudio;
    file.Close();
    if (!temp.Create("Vor") || !temp.CloseFd()) {
        session.Error(kIdsCliCannotCreate, CTempFile::Folder().c_str(), std::strerror(errno));
        return false;
    }
    session.Say(kIdsCliConverting, path.c_str(),
                FormatFrameTime(separateAudio ? check.frames : facts.frames).c_str());
    const int result = separateAudio ? ConvertAviToDv(path, temp.Path())
                                     : ConvertVideoToDv(path, temp.Path(), session.Aspect(), session.Progress());
    // Success goes on without a word: the write says what it did.
    if (result != kMediaDone) {
        ShowResult(session.Ui(), ConversionMessage(result), temp.Path(), path);
        return false;
    }
    check = CheckClipFile(file, temp.Path(), frame);
    ShowClipCheckMessage(session.Ui(), check);
    return check.Usable() && file.IsOpen();
}

} // namespace

int CmdWrite(CCliSession& session)
{
    const auto& args = session.Options().args;
    if (args.size() != 2)
        return kExitUsage;
    int slot = -1;
    if (session.Options().slot >= 0 &&
        !session.Index(std::to_string(session.Options().slot), "--slot", kSlotCount, slot))
        return kExitUsage;

    // With --convert, Ctrl-C is Abort from here on, so that the temporary
    // file is removed on every way out.
    std::unique_ptr<CInterruptScope> interrupts;
    if (session.Options().convert)
        interrupts = std::make_unique<CInterruptScope>();
    CClipFile file;
    std::unique_ptr<std::uint8_t[]> frame(new std::uint8_t[kFrameSize]);
    ClipCheck check = CheckClipFile(file, args[1], frame.get());
    VideoFacts facts;
    const bool convert = session.Options().convert && (check.separateAudio || IsConvertible(check, &facts));
    if (!convert) {
        ShowClipCheckMessage(session.Ui(), check);
        if (!check.Usable() || !file.IsOpen()) {
            if (!session.Options().convert && IsConvertible(check))
                session.Error(kIdsCliConvertHint, args[1].c_str());
            return kExitFailed;
        }
        if (check.separateAudio)
            session.Error(kIdsCliSeparateAudio);
    }

    CDisk disk(session.Env());
    if (!session.OpenCard(args[0], disk, true))
        return kExitFailed;
    CTempFile temp;
    if (convert && !ConvertForWriting(session, args[1], facts, temp, file, check, frame.get()))
        return kExitFailed;
    CNamedSource source(file, args[1]);
    ClipWriteReport report;
    // Read back and compared unless --no-verify, or Verify=0 in the settings.
    const bool verify = !session.Options().noVerify && VerifyAfterWriting();
    const int outcome = WriteClip(disk, slot, source, session.Progress(), nullptr, &report, verify);
    if (outcome == kWriteNothing && report.slot < 0)
        session.Error(kIdsCliNoFreeSlot);
    if (outcome != kWriteDone)
        return kExitFailed;
    // The card keeps its clips dense: the next opening numbers the clip
    // after the clips before it, whatever slot it was written into.
    int dense = 0;
    for (int s = 0; s < report.slot; ++s)
        dense += disk.Clips()[static_cast<std::size_t>(s)].frames != 0 ? 1 : 0;
    if (session.Options().slot >= 0 && dense != report.slot)
        session.Say(kIdsCliSlotMoves, dense + 1, report.slot + 1);
    return kExitDone;
}

int CmdRead(CCliSession& session)
{
    const auto& args = session.Options().args;
    if (args.size() != 2 && args.size() != 3)
        return kExitUsage;
    int slot = 0;
    CDisk disk(session.Env());
    if (const int status = session.OpenClipSlot(args[0], args[1], disk, slot); status != kExitDone)
        return status;
    const std::string output = args.size() == 3 ? args[2] : DefaultOutput(disk, slot);
    // A device, a pipe or a folder is refused by the export without a
    // question.
    if (Exists(output) && IsExportTarget(output)) {
        const std::string question = FormatText(kIdsCliOverwrite, output.c_str());
        if (session.Ui().Show(kIdsCliOverwrite, kMsgYesNoDefNo, question) != kIdYes)
            return kExitFailed;
    }
    ExportReport report;
    const int result = ExportClip(disk, slot, output, session.Progress(), {}, &report);
    if (result != kExportDone)
        return kExitFailed;
    session.Say(kIdsCliSaved, report.framesWritten, output.c_str());
    return kExitDone;
}

int CmdCheck(CCliSession& session)
{
    const auto& args = session.Options().args;
    if (args.size() != 1)
        return kExitUsage;
    CClipFile file;
    std::unique_ptr<std::uint8_t[]> frame(new std::uint8_t[kFrameSize]);
    const ClipCheck check = CheckClipFile(file, args[0], frame.get());
    ShowClipCheckMessage(session.Ui(), check);
    PrintCheck(check, IsConvertible(check), session.Options().json);
    return check.Passed() ? kExitDone : kExitFailed;
}
