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
#include "ConvertingWrite.h"
#include "MediaResult.h"
#include "DvFrame.h"
#include "JsonWriter.h"
#include "ResultMessages.h"
#include "Texts.h"
#include "VideoProbe.h"

#include <sys/stat.h>

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

} // namespace

int CmdWrite(CCliSession& session)
{
    const auto& args = session.Options().args;
    if (args.size() != 2 || (!session.Options().keep.empty() && !session.Options().convert))
        return kExitUsage;
    int slot = -1;
    if (session.Options().slot >= 0 &&
        !session.Index(std::to_string(session.Options().slot), "--slot", kSlotCount, slot))
        return kExitUsage;

    // With --convert, Ctrl-C is Abort from here on, so that what the
    // conversion made is removed on every way out.
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
    if (!session.OpenCard(args[0], disk, true, kCardWrite))
        return kExitFailed;
    // Read back and compared unless --no-verify, or Verify=0 in the settings.
    const bool verify = !session.Options().noVerify && VerifyAfterWriting();
    int outcome = kWriteNothing;
    int writtenSlot = slot;
    if (convert) {
        // Converted on the way: the frames go onto the card as they are made.
        file.Close();
        const int frames = check.separateAudio ? check.frames : facts.frames;
        session.Say(kIdsCliConverting, args[1].c_str(), frames > 0 ? FormatFrameTime(frames).c_str() : "?");
        ConvertingWriteOptions options;
        options.aspect = session.Aspect();
        options.keepPath = session.Options().keep;
        options.verify = verify;
        ConvertingWriteReport report;
        outcome = WriteConvertedClip(disk, slot, args[1], options, session.Progress(), nullptr, &report);
        if (report.conversionResult == kMediaNotVideo)
            session.Error(kIdsCliNotVideo, args[1].c_str());
        writtenSlot = report.write.slot;
    } else {
        ClipWriteReport report;
        outcome = WriteClip(disk, slot, file, session.Progress(), nullptr, &report, verify);
        writtenSlot = report.slot;
    }
    if (outcome == kWriteNothing && writtenSlot < 0)
        session.Error(kIdsCliNoFreeSlot);
    if (outcome != kWriteDone)
        return kExitFailed;
    // The card keeps its clips dense: the next opening numbers the clip
    // after the clips before it, whatever slot it was written into.
    int dense = 0;
    for (int s = 0; s < writtenSlot; ++s)
        dense += disk.Clips()[static_cast<std::size_t>(s)].frames != 0 ? 1 : 0;
    if (session.Options().slot >= 0 && dense != writtenSlot)
        session.Say(kIdsCliSlotMoves, dense + 1, writtenSlot + 1);
    return kExitDone;
}

int CmdRead(CCliSession& session)
{
    const auto& args = session.Options().args;
    if (args.size() != 2 && args.size() != 3)
        return kExitUsage;
    int slot = 0;
    CDisk disk(session.Env());
    if (const int status = session.OpenClipSlot(args[0], args[1], disk, slot, kCardRead); status != kExitDone)
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
