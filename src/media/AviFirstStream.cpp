#include "AviFirstStream.h"

#include "FileIo.h"

extern "C" {
#include <libavformat/avformat.h>
}

#include <climits>
#include <cmath>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>


void CAviFirstStream::Close()
{
    packet_.reset();
    ctx_.reset();
    if (fd_ >= 0) {
        ::close(fd_);
        fd_ = -1;
    }
    spans_.clear();
    indexed_ = true;
    kind_ = kOther;
    frames_ = 0;
    lastPts_ = -1;
}

bool CAviFirstStream::Open(const std::string& path)
{
    Close();
    ctx_ = ff::OpenAvi(path);
    if (!ctx_)
        return false;
    packet_.reset(av_packet_alloc());
    if (!packet_ || ctx_->nb_streams == 0) {
        Close();
        return false;
    }

    AVStream* st = ctx_->streams[0];
    const AVCodecParameters* par = st->codecpar;
    if (par->codec_type == AVMEDIA_TYPE_VIDEO && par->codec_id == AV_CODEC_ID_DVVIDEO) {
        // The demuxer turns an "iavs" stream into a DV video stream without a
        // codec tag (its audio becomes further streams); a "vids" stream keeps
        // the compression code of its format block.
        if (par->codec_tag == 0)
            kind_ = kInterleavedDv;
        else if (par->codec_tag == MKTAG('d', 'v', 's', 'd'))
            kind_ = kDvVideo;
    }

    long long frames = 0;
    const int entries = avformat_index_get_entries_count(st);
    indexed_ = entries > 0;
    if (indexed_) {
        if (const AVIndexEntry* last = avformat_index_get_entry(st, entries - 1))
            frames = last->timestamp + 1;
    } else {
        frames = st->nb_frames;
        if (frames <= 0 && ctx_->duration > 0)
            frames = std::llround(static_cast<double>(ctx_->duration) * 25 / AV_TIME_BASE);
        fd_ = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
        if (fd_ < 0) {
            Close();
            return false;
        }
    }
    frames_ = frames < 0 ? 0 : frames > INT_MAX ? INT_MAX : static_cast<int>(frames);
    return true;
}

bool CAviFirstStream::ReadStreamPacket()
{
    for (;;) {
        av_packet_unref(packet_.get());
        if (av_read_frame(ctx_.get(), packet_.get()) < 0)
            return false;
        if (packet_->stream_index == 0)
            return true;
    }
}

int CAviFirstStream::CopyOut(std::uint8_t* buffer, int capacity) const
{
    if (packet_->size > capacity)
        return -1;
    if (packet_->size > 0)
        std::memcpy(buffer, packet_->data, static_cast<std::size_t>(packet_->size));
    return packet_->size;
}

int CAviFirstStream::ReadUnindexed(int index, std::uint8_t* buffer, int capacity)
{
    while (static_cast<int>(spans_.size()) <= index) {
        if (!ReadStreamPacket())
            return -1;
        Span span{packet_->pos, packet_->size};
        // A frame the file leaves out (an empty chunk) reads as the one
        // before it.
        if (span.size == 0 && !spans_.empty())
            span = spans_.back();
        spans_.push_back(span);
        if (static_cast<int>(spans_.size()) == index + 1 && packet_->size > 0)
            return CopyOut(buffer, capacity);
    }
    const Span span = spans_[static_cast<std::size_t>(index)];
    if (span.pos < 0 || span.size > capacity)
        return -1;
    const auto size = static_cast<std::size_t>(span.size);
    if (ReadFully(fd_, static_cast<std::uint64_t>(span.pos), buffer, size) != span.size)
        return -1;
    return span.size;
}

int CAviFirstStream::ReadFrame(int index, std::uint8_t* buffer, int capacity)
{
    if (!ctx_ || index < 0 || index >= frames_)
        return -1;
    if (!indexed_)
        return ReadUnindexed(index, buffer, capacity);

    // The next frame in order follows without a seek when the file delivers
    // exactly that frame.
    if (lastPts_ >= 0 && index == lastPts_ + 1) {
        if (ReadStreamPacket() && packet_->pts == index) {
            lastPts_ = index;
            return CopyOut(buffer, capacity);
        }
    }

    // Frame-exact seek: the index entry of this frame, or of the last frame
    // before it when the file leaves this one out.
    lastPts_ = -1;
    if (av_seek_frame(ctx_.get(), 0, index, AVSEEK_FLAG_ANY | AVSEEK_FLAG_BACKWARD) < 0)
        return -1;
    if (!ReadStreamPacket())
        return -1;
    const long long pts = packet_->pts;
    if (pts != AV_NOPTS_VALUE && pts > index)
        return -1;
    lastPts_ = (pts == AV_NOPTS_VALUE) ? -1 : pts;
    return CopyOut(buffer, capacity);
}
