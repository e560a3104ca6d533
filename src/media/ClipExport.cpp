// The clip export: the output file, the frame loop, the file cut back to
// whole frames after an abort.
#include "ClipExport.h"

#include "CDisk.h"
#include "FrameTransfer.h"
#include "CardTexts.h"
#include "FileIo.h"
#include "Interaction.h"
#include "Paths.h"
#include "Progress.h"
#include "Texts.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

bool IsExportTarget(const std::string& path)
{
    struct stat st {};
    if (::stat(path.c_str(), &st) == 0)
        return S_ISREG(st.st_mode);
    // Nothing there yet, or nothing that can be looked at: opening it tells.
    return true;
}

int ExportClip(CDisk& disk, int slot, const std::string& path, IProgress& progress,
               const std::function<void()>& controlsChanged, ExportReport* report)
{
    ExportReport local;
    ExportReport& out = report != nullptr ? *report : local;
    out = ExportReport();
    if (!disk.IsOpen() || !disk.IsLoaded() || slot < 0 || slot >= kSlotCount)
        return kExportNothing;
    const ClipRecord clip = disk.Clips()[static_cast<std::size_t>(slot)];
    if (clip.frames == 0)
        return kExportNothing;
    IInteraction* ui = disk.Interaction();

    if (!IsExportTarget(path)) {
        if (ui != nullptr)
            ShowMessagePath(*ui, kIdsExportNotAFile, kMsgError, path);
        return kExportCannotCreate;
    }
    const int fd = OpenRegularOutput(path, 0644);
    if (fd < 0) {
        if (ui != nullptr)
            ShowMessagePath(*ui, kIdsCannotOpenFile, kMsgError, path);
        return kExportCannotCreate;
    }

    progress.Begin(clip.frames + 1);
    progress.SetCaptionText(FormatText(kIdsSavingClip, slot + 1, FileName(path).c_str()), false);
    if (controlsChanged)
        controlsChanged();
    // A failed write (a full disk) ends the export like an abort; the file
    // is cut back to the frames written whole.
    out.framesWritten = TransferFrames(
        clip.frames, progress, ProgressStep::kPumpThenSet,
        [&](int i, std::uint8_t* buffer) { return disk.ReadClipFrame(slot, i, buffer) != 0; },
        [&](int, const std::uint8_t* buffer) { return WriteAll(fd, buffer, kFrameSize); });
    const off_t whole = static_cast<off_t>(out.framesWritten) * kFrameSize;
    if (progress.Aborted()) {
        if (::ftruncate(fd, whole) != 0) {
            // The file keeps what it has; the export is reported aborted.
        }
    } else if (::fdatasync(fd) != 0) {
        progress.SetAbort(); // not on the disk: the export did not succeed
    }
    const bool closed = ::close(fd) == 0;
    if (!closed)
        progress.SetAbort();
    progress.End();
    if (progress.Aborted()) {
        if (controlsChanged)
            controlsChanged();
        if (ui != nullptr)
            ShowMessage(*ui, kIdsOperationAborted, kMsgInfo);
        return kExportAborted;
    }
    return kExportDone;
}

std::string ExportFileName(const CDisk& disk, int slot)
{
    std::string name = ClipName(disk, slot);
    for (char& c : name) {
        if (c == '/' || static_cast<unsigned char>(c) < 0x20)
            c = '_';
    }
    return name == "." || name == ".." ? std::string() : name;
}
