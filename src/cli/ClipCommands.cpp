// The commands that move clips between files and the card: write, read,
// check.
#include "CClipFile.h"
#include "CDisk.h"
#include "CardTexts.h"
#include "ClipChecks.h"
#include "ClipExport.h"
#include "ClipWriter.h"
#include "CliCommands.h"
#include "CliSession.h"
#include "CliTexts.h"
#include "DvFrame.h"
#include "JsonWriter.h"
#include "Texts.h"

#include <sys/stat.h>

#include <cstdio>
#include <memory>

namespace {

// The file name proposed for a clip: its name, or "clipNN", with ".dv".
// A name from the card never leaves the current folder.
std::string DefaultOutput(const CDisk& disk, int slot)
{
    std::string name = ClipName(disk, slot);
    for (char& c : name) {
        if (c == '/' || static_cast<unsigned char>(c) < 0x20)
            c = '_';
    }
    if (name.empty() || name == "." || name == "..") {
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

void PrintCheck(const ClipCheck& check, bool json)
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
    j.EndObject();
    std::printf("%s\n", j.Text().c_str());
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

    CClipFile file;
    std::unique_ptr<std::uint8_t[]> frame(new std::uint8_t[kFrameSize]);
    const ClipCheck check = CheckClipFile(file, args[1], frame.get());
    ShowClipCheckMessage(session.Ui(), check);
    if (!check.Usable() || !file.IsOpen())
        return kExitFailed;
    if (check.separateAudio)
        session.Error(kCliSeparateAudio);

    CDisk disk;
    if (!session.OpenCard(args[0], disk, true))
        return kExitFailed;
    ClipWriteReport report;
    // Read back and compared unless --no-verify, or Verify=0 in the settings.
    const bool verify = !session.Options().noVerify && VerifyAfterWriting();
    const int outcome = WriteClip(disk, slot, file, session.Progress(), nullptr, &report, verify);
    if (outcome == kWriteNothing && report.slot < 0)
        session.Error(kCliNoFreeSlot);
    return outcome == kWriteDone ? kExitDone : kExitFailed;
}

int CmdRead(CCliSession& session)
{
    const auto& args = session.Options().args;
    if (args.size() != 2 && args.size() != 3)
        return kExitUsage;
    int slot = 0;
    CDisk disk;
    if (const int status = session.OpenClipSlot(args[0], args[1], disk, slot); status != kExitDone)
        return status;
    const std::string output = args.size() == 3 ? args[2] : DefaultOutput(disk, slot);
    // A device, a pipe or a folder is refused by the export without a
    // question.
    if (Exists(output) && IsExportTarget(output)) {
        const std::string question = FormatText(kCliOverwrite, output.c_str());
        if (session.Ui().Show(kCliOverwrite, kMsgYesNoDefNo, question) != kIdYes)
            return kExitFailed;
    }
    ExportReport report;
    const int result = ExportClip(disk, slot, output, session.Progress(), {}, &report);
    if (result != kExportDone)
        return kExitFailed;
    session.Say(kCliSaved, report.framesWritten, output.c_str());
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
    PrintCheck(check, session.Options().json);
    return check.verdict == kVerdictOk || check.verdict == kVerdictNoAudio ? kExitDone : kExitFailed;
}
