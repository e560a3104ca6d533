#include "CDecodedStream.h"

int CDecodedStream::FindVideoStream() const
{
    int found = -1;
    for (unsigned i = 0; i < input_->nb_streams; ++i) {
        const AVStream* st = input_->streams[i];
        if (st->codecpar->codec_type != AVMEDIA_TYPE_VIDEO || (st->disposition & AV_DISPOSITION_ATTACHED_PIC) ||
            !avcodec_find_decoder(st->codecpar->codec_id))
            continue;
        if (found < 0 || (st->disposition & AV_DISPOSITION_DEFAULT))
            found = static_cast<int>(i);
        if (st->disposition & AV_DISPOSITION_DEFAULT)
            break;
    }
    return found;
}

bool CDecodedStream::Open(const std::string& path, AVMediaType type)
{
    input_ = ff::OpenMedia(path);
    if (!input_)
        return false;
    int index = -1;
    if (type == AVMEDIA_TYPE_VIDEO) {
        index = FindVideoStream();
    } else {
        const int related = FindVideoStream();
        index = av_find_best_stream(input_.get(), type, -1, related, nullptr, 0);
    }
    if (index < 0)
        return false;
    stream_ = input_->streams[index];
    for (unsigned i = 0; i < input_->nb_streams; ++i)
        input_->streams[i]->discard = static_cast<int>(i) == index ? AVDISCARD_DEFAULT : AVDISCARD_ALL;

    const AVCodec* codec = avcodec_find_decoder(stream_->codecpar->codec_id);
    if (!codec)
        return false;
    decoder_.reset(avcodec_alloc_context3(codec));
    if (!decoder_ || avcodec_parameters_to_context(decoder_.get(), stream_->codecpar) < 0)
        return false;
    decoder_->pkt_timebase = stream_->time_base;
    decoder_->thread_count = 0; // as many as the machine has
    decoder_->thread_type = FF_THREAD_FRAME | FF_THREAD_SLICE;
    if (avcodec_open2(decoder_.get(), codec, nullptr) < 0)
        return false;
    packet_.reset(av_packet_alloc());
    if (input_->start_time != AV_NOPTS_VALUE)
        start_ = av_rescale_q(input_->start_time, AV_TIME_BASE_Q, stream_->time_base);
    return packet_ != nullptr;
}

bool CDecodedStream::SendNextPacket()
{
    for (;;) {
        const int rc = av_read_frame(input_.get(), packet_.get());
        if (rc < 0) {
            // The end of the data, or data that cannot be parsed on: what
            // was read so far is kept. Anything else (an I/O error) fails.
            if (rc != AVERROR_EOF && rc != AVERROR_INVALIDDATA && rc != AVERROR(EAGAIN))
                failed_ = true;
            return false;
        }
        if (packet_->stream_index != stream_->index) {
            av_packet_unref(packet_.get());
            continue;
        }
        // A damaged packet is skipped; the decoder goes on with the next.
        avcodec_send_packet(decoder_.get(), packet_.get());
        av_packet_unref(packet_.get());
        return true;
    }
}

CDecodedStream::Next CDecodedStream::Read(AVFrame* frame)
{
    if (!decoder_)
        return kEnd;
    for (;;) {
        const int rc = avcodec_receive_frame(decoder_.get(), frame);
        if (rc == 0) {
            const std::int64_t pts = frame->best_effort_timestamp;
            frame->pts = pts == AV_NOPTS_VALUE ? AV_NOPTS_VALUE : pts - start_;
            return kFrame;
        }
        if (rc != AVERROR(EAGAIN) || draining_)
            return failed_ ? kFailed : kEnd;
        if (!SendNextPacket()) {
            draining_ = true;
            avcodec_send_packet(decoder_.get(), nullptr);
        }
    }
}
