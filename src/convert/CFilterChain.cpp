#include "CFilterChain.h"

extern "C" {
#include <libavfilter/buffersink.h>
#include <libavfilter/buffersrc.h>
}

bool CFilterChain::Build(bool audio, const std::string& sourceArgs, const std::string& chain)
{
    graph_.reset(avfilter_graph_alloc());
    if (!graph_)
        return false;
    graph_->nb_threads = 0; // filters that work in slices use every core
    const AVFilter* src = avfilter_get_by_name(audio ? "abuffer" : "buffer");
    const AVFilter* sink = avfilter_get_by_name(audio ? "abuffersink" : "buffersink");
    if (!src || !sink ||
        avfilter_graph_create_filter(&source_, src, "in", sourceArgs.c_str(), nullptr, graph_.get()) < 0 ||
        avfilter_graph_create_filter(&sink_, sink, "out", nullptr, nullptr, graph_.get()) < 0)
        return false;

    // The chain's open ends: its input is the source's output "in", its
    // output the sink's input "out".
    ff::InOut outputs(avfilter_inout_alloc());
    ff::InOut inputs(avfilter_inout_alloc());
    if (!outputs || !inputs)
        return false;
    outputs->name = av_strdup("in");
    outputs->filter_ctx = source_;
    inputs->name = av_strdup("out");
    inputs->filter_ctx = sink_;
    // The parser takes the lists and gives back what it left unconnected.
    AVFilterInOut* in = inputs.release();
    AVFilterInOut* out = outputs.release();
    const int parsed = avfilter_graph_parse_ptr(graph_.get(), chain.c_str(), &in, &out, nullptr);
    inputs.reset(in);
    outputs.reset(out);
    return parsed >= 0 && avfilter_graph_config(graph_.get(), nullptr) >= 0;
}

bool CFilterChain::Push(AVFrame* frame)
{
    return source_ && av_buffersrc_add_frame_flags(source_, frame, 0) >= 0;
}

bool CFilterChain::Close(std::int64_t pts)
{
    return source_ && av_buffersrc_close(source_, pts, AV_BUFFERSRC_FLAG_PUSH) >= 0;
}

CFilterChain::Pull CFilterChain::Result(int rc) const
{
    if (rc >= 0)
        return kFrame;
    if (rc == AVERROR(EAGAIN))
        return kHungry;
    // Only the end of the input drains the chain; any other error is a
    // filter that failed, never to be taken for the end of the source.
    return rc == AVERROR_EOF ? kDrained : kFailed;
}

CFilterChain::Pull CFilterChain::Take(AVFrame* frame)
{
    return sink_ ? Result(av_buffersink_get_frame(sink_, frame)) : kFailed;
}

CFilterChain::Pull CFilterChain::TakeSamples(AVFrame* frame, int samples)
{
    return sink_ ? Result(av_buffersink_get_samples(sink_, frame, samples)) : kFailed;
}

AVRational CFilterChain::OutputTimeBase() const
{
    return sink_ ? av_buffersink_get_time_base(sink_) : AVRational{1, 1};
}
