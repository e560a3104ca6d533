#include "ConvertingWrite.h"

#include "CClipFile.h"
#include "CDisk.h"
#include "CDvFileSink.h"
#include "CStreamedSource.h"
#include "CTempFile.h"
#include "ClipChecks.h"
#include "ConvertVideoToDv.h"
#include "DvFrame.h"
#include "Interaction.h"
#include "Log.h"
#include "MediaGraph.h"
#include "MediaResult.h"
#include "Paths.h"

#include <unistd.h>

#include <memory>
#include <utility>

namespace {

// Every frame to the writer's queue and, when one is kept, to the DV copy,
// which is created when the first frame comes (a refused write makes none).
class CKeepingSink : public IDvFrameSink {
public:
    CKeepingSink(IDvFrameSink& next, const std::string& source, const std::string& keep)
        : next_(next), source_(source), keep_(keep)
    {
    }
    bool WriteFrame(const std::uint8_t* data, int size) override
    {
        if (!keep_.empty() && !copy_.IsOpen()) {
            if (!copy_.OpenConversionOutput(source_, keep_)) {
                failure_ = kMediaFileNotCreatable;
                keep_.clear();
                return false;
            }
            created_ = true;
        }
        if (copy_.IsOpen() && !copy_.WriteFrame(data, size)) {
            failure_ = kMediaWriteFailed;
            return false;
        }
        return next_.WriteFrame(data, size);
    }
    bool Created() const { return created_; }
    // The copy's own failure, which outranks what the conversion reports.
    int Finish(int result)
    {
        if (!copy_.Close() && result == kMediaDone)
            failure_ = kMediaWriteFailed;
        return failure_ != kMediaDone ? failure_ : result;
    }

private:
    IDvFrameSink& next_;
    const std::string& source_;
    std::string keep_;
    CDvFileSink copy_;
    int failure_ = kMediaDone;
    bool created_ = false;
};

// A DV file written under the name of the file it was made from.
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

// The frames of an AVI file whose first stream is PAL DV: one per frame of
// that stream.
int AviFrameCount(const std::string& path)
{
    CClipFile file;
    std::unique_ptr<std::uint8_t[]> frame(new std::uint8_t[kDvFrameSize]);
    const ClipCheck check = CheckClipFile(file, path, frame.get());
    return check.frames > 0 ? check.frames : 0;
}

// The streamed write: `produce` runs on the worker into the sink it is
// given until the source ends or the writer stops it.
int WriteStreamed(CDisk& disk, int slot, const std::string& path, int expected, const ConvertingWriteOptions& options,
                  IProgress& progress, IClipWriteView* view, ConvertingWriteReport& report,
                  const std::function<int(IDvFrameSink&, const std::function<bool()>&)>& produce)
{
    bool keptCopy = false; // the worker created the copy
    CStreamedSource source(path, expected, [&](IDvFrameSink& queue, const std::function<bool()>& stopped) {
        CKeepingSink sink(queue, path, options.keepPath);
        const int result = sink.Finish(produce(sink, stopped));
        keptCopy = sink.Created();
        return result;
    });
    const int outcome = WriteClip(disk, slot, source, progress, view, &report.write, options.verify);
    source.Stop();
    // The worker's own failure; a conversion the writer stopped (or never
    // started) has not failed.
    report.conversionResult = source.Result() >= 0 ? source.Result() : kMediaDone;
    const bool ranToEnd = source.Ended();
    if (keptCopy && !ranToEnd)
        ::unlink(options.keepPath.c_str());
    return outcome;
}

// Unknown duration: converted into a DV file first (the kept copy, or a
// temporary file in the cache folder), which is then written as a DV file.
int WriteThroughFile(CDisk& disk, int slot, const std::string& path, const ConvertingWriteOptions& options,
                     IProgress& progress, IClipWriteView* view, ConvertingWriteReport& report)
{
    report.temporaryFile = true;
    IInteraction* ui = disk.Interaction();
    CTempFile temp;
    std::string output = options.keepPath;
    if (output.empty()) {
        std::string folder = CacheFolder();
        if (folder.empty())
            folder = CTempFile::Folder();
        if (!temp.Create("Vor", folder) || !temp.CloseFd()) {
            report.conversionResult = kMediaFileNotCreatable;
            if (ui)
                ShowConversionFailure(*ui, kMediaFileNotCreatable, folder);
            return kWriteAborted;
        }
        output = temp.Path();
    }
    LogMessage("duration unknown, converting through %s", output.c_str());
    if (ui)
        ShowMessage(*ui, kIdsConvertThroughFile, kMsgInfo, output.c_str());
    report.conversionResult = ConvertVideoToDv(path, output, options.aspect, progress,
                                               [&] {
                                                   if (view)
                                                       view->UpdateControls();
                                               },
                                               &report.conversion);
    if (report.conversionResult != kMediaDone) {
        if (ui)
            ShowConversionFailure(*ui, report.conversionResult, output);
        return kWriteAborted;
    }
    CClipFile file;
    std::unique_ptr<std::uint8_t[]> frame(new std::uint8_t[kDvFrameSize]);
    const ClipCheck check = CheckClipFile(file, output, frame.get());
    if (!check.Usable() || !file.IsOpen()) {
        if (ui)
            ShowClipCheckMessage(*ui, check);
        return kWriteAborted;
    }
    CNamedSource source(file, path);
    return WriteClip(disk, slot, source, progress, view, &report.write, options.verify);
}

} // namespace

void ShowConversionFailure(IInteraction& ui, int result, const std::string& output)
{
    switch (result) {
    case kMediaDone:
    case kMediaNotVideo:
        return;
    case kMediaNoDecoder:
        ShowMessage(ui, kIdsNoDecoder, kMsgWarning);
        return;
    case kMediaFileNotCreatable:
        ShowMessagePath(ui, kIdsCannotOpenFile, kMsgError, output);
        return;
    case kMediaAborted:
        ShowMessage(ui, kIdsOperationAborted, kMsgInfo);
        return;
    case kMediaWriteFailed:
        ShowMessagePath(ui, kIdsCannotWriteFile, kMsgError, output);
        return;
    default:
        ShowMessage(ui, kIdsConversionFailed, kMsgError);
        return;
    }
}

int WriteConvertedClip(CDisk& disk, int slot, const std::string& path, const ConvertingWriteOptions& options,
                       IProgress& progress, IClipWriteView* view, ConvertingWriteReport* reportOut)
{
    ConvertingWriteReport localReport;
    ConvertingWriteReport& report = reportOut != nullptr ? *reportOut : localReport;
    report = ConvertingWriteReport();
    IInteraction* ui = disk.Interaction();

    int outcome = kWriteAborted;
    if (IsPalDvAvi(path)) {
        // Its DV frames are kept; the audio of its second stream goes in.
        const int frames = AviFrameCount(path);
        report.conversion.expected = frames;
        outcome = WriteStreamed(disk, slot, path, frames, options, progress, view, report,
                                [&](IDvFrameSink& sink, const std::function<bool()>&) {
                                    const MuxResult muxed = MuxAviToDv(path, sink);
                                    report.conversion.converted = frames;
                                    return muxed == kMuxDone ? kMediaDone : kMediaGraphFailed;
                                });
    } else {
        CVideoConversion conversion;
        report.conversionResult = conversion.Open(path, options.aspect);
        if (report.conversionResult != kMediaDone) {
            if (ui)
                ShowConversionFailure(*ui, report.conversionResult, options.keepPath);
            return kWriteAborted;
        }
        const int expected = conversion.ExpectedFrames();
        if (expected <= 0) {
            outcome = WriteThroughFile(disk, slot, path, options, progress, view, report);
        } else {
            outcome = WriteStreamed(disk, slot, path, expected, options, progress, view, report,
                                    [&](IDvFrameSink& sink, const std::function<bool()>& stopped) {
                                        return conversion.Run(sink, [&](int) { return !stopped(); },
                                                              report.conversion);
                                    });
        }
    }
    if (ui && report.conversion.stoppedShort)
        ShowMessage(*ui, kIdsConversionShort, kMsgWarning, FormatFrameTime(report.conversion.converted).c_str(),
                    FormatFrameTime(report.conversion.expected).c_str());
    if (ui && !report.temporaryFile)
        ShowConversionFailure(*ui, report.conversionResult == kMediaAborted ? kMediaDone : report.conversionResult,
                              options.keepPath);
    return outcome;
}
