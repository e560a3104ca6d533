#include "CVideoConversion.h"

#include "CDvMuxer.h"
#include "CFileSound48k.h"
#include "CardLayout.h"
#include "MediaResult.h"

extern "C" {
#include <libavutil/parseutils.h>
}

#include <vector>

int CVideoConversion::Open(const std::string& source, DvAspect aspect)
{
    source_ = source;
    aspect_ = aspect;
    if (!pictures_.Open(source))
        return kMediaNotVideo;
    if (!encoder_.Open(aspect))
        return kMediaNoDecoder;
    return kMediaDone;
}

std::string CVideoConversion::RecordingTime() const
{
    const std::string created = pictures_.CreationTime();
    std::int64_t when = 0;
    if (!created.empty() && av_parse_time(&when, created.c_str(), 0) == 0 && when > 0)
        return created;
    return "now";
}

int CVideoConversion::Run(IDvFrameSink& sink, const std::function<bool(int frames)>& step,
                          ConversionReport& report)
{
    report = ConversionReport();
    report.expected = ExpectedFrames();
    CFileSound48k sound;
    sound.Open(source_); // without sound, silence
    CDvMuxer muxer(sink);
    ff::Frame picture(av_frame_alloc());
    if (!picture || !pictures_.Start(aspect_) || !encoder_.Profile() ||
        !muxer.Start(*encoder_.Profile(), RecordingTime()))
        return kMediaGraphFailed;
    std::vector<std::uint8_t> pcm(static_cast<std::size_t>(CDvMuxer::kSamplesPerFrame) * 4);
    bool failed = false;
    for (;;) {
        const CDecodedStream::Next next = pictures_.Read(picture.get());
        if (next != CDecodedStream::kFrame) {
            failed = next == CDecodedStream::kFailed;
            break;
        }
        const AVPacket* frame = encoder_.Encode(picture.get());
        av_frame_unref(picture.get());
        if (!frame)
            return kMediaGraphFailed;
        sound.Read(pcm.data());
        if (!muxer.Put(report.converted, frame->data, pcm.data()))
            return muxer.SinkFailed() ? kMediaWriteFailed : kMediaGraphFailed;
        ++report.converted;
        if (step && !step(report.converted))
            return kMediaAborted;
    }
    // A failure part-way is never the end of the source: it is reported as
    // short, and what came before it (or before the end of a file cut
    // short) is kept only when it makes a clip.
    report.stoppedShort = (failed && report.converted > 0) ||
                          (report.expected > 0 && report.converted + kShortSlack < report.expected);
    if (report.converted == 0 || (report.stoppedShort && report.converted < kMinClipFrames))
        return kMediaGraphFailed;
    if (!muxer.Finish())
        return muxer.SinkFailed() ? kMediaWriteFailed : kMediaGraphFailed;
    return kMediaDone;
}
