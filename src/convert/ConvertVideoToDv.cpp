#include "ConvertVideoToDv.h"

#include "CDvEncoder.h"
#include "CDvFileSink.h"
#include "CDvMuxer.h"
#include "CFileSound48k.h"
#include "CPalPictures.h"
#include "Progress.h"

#include <unistd.h>

#include <algorithm>
#include <vector>

namespace {

// The frame loop: every PAL picture encoded, given its sound and muxed.
int ConvertFrames(CPalPictures& pictures, CFileSound48k& sound, CDvEncoder& encoder, CDvMuxer& muxer,
                  IProgress& progress, int expected)
{
    ff::Frame picture(av_frame_alloc());
    if (!picture)
        return kMediaGraphFailed;
    std::vector<std::uint8_t> pcm(static_cast<std::size_t>(CDvMuxer::kSamplesPerFrame) * 4);
    int index = 0;
    for (;;) {
        const CDecodedStream::Next next = pictures.Read(picture.get());
        if (next == CDecodedStream::kFailed)
            return kMediaGraphFailed;
        if (next == CDecodedStream::kEnd)
            break;
        const AVPacket* frame = encoder.Encode(picture.get());
        av_frame_unref(picture.get());
        if (!frame)
            return kMediaGraphFailed;
        sound.Read(pcm.data());
        if (!muxer.Put(index, frame->data, pcm.data()))
            return muxer.SinkFailed() ? kMediaWriteFailed : kMediaGraphFailed;
        ++index;
        progress.Set(std::min(index, expected));
        if (progress.Pump())
            return kMediaAborted;
    }
    if (index == 0)
        return kMediaGraphFailed;
    if (!muxer.Finish())
        return muxer.SinkFailed() ? kMediaWriteFailed : kMediaGraphFailed;
    return kMediaDone;
}

// Everything after the output is open; the output is removed by the caller
// when this does not succeed.
int Convert(const std::string& source, CPalPictures& pictures, CDvEncoder& encoder, DvAspect aspect,
            IDvFrameSink& sink, IProgress& progress, const std::function<void()>& controlsChanged)
{
    CFileSound48k sound;
    sound.Open(source); // without sound, silence
    CDvMuxer muxer(sink);
    if (!pictures.Start(aspect) || !encoder.Profile() || !muxer.Start(*encoder.Profile()))
        return kMediaGraphFailed;
    const int expected = pictures.ExpectedFrames();
    progress.Begin(expected + 1);
    if (controlsChanged)
        controlsChanged();
    const int result = ConvertFrames(pictures, sound, encoder, muxer, progress, expected);
    progress.End();
    if (controlsChanged)
        controlsChanged();
    return result;
}

} // namespace

int ConvertVideoToDv(const std::string& source, const std::string& output, DvAspect aspect, IProgress& progress,
                     const std::function<void()>& controlsChanged)
{
    CPalPictures pictures;
    if (!pictures.Open(source))
        return kMediaNotVideo;
    CDvEncoder encoder;
    if (!encoder.Open(aspect))
        return kMediaNoDecoder;
    CDvFileSink sink;
    if (!sink.OpenConversionOutput(source, output))
        return kMediaFileNotCreatable;
    int result = Convert(source, pictures, encoder, aspect, sink, progress, controlsChanged);
    if (!sink.Close() && result == kMediaDone)
        result = kMediaWriteFailed;
    if (result != kMediaDone)
        ::unlink(output.c_str());
    return result;
}
