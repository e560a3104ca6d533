// Converting a 1000-frame type-2 AVI (DV video, 48 kHz stereo PCM in a
// separate stream) into raw DV with ConvertAviToDv, against the ffmpeg
// command-line tool doing the same job on the same file in the same run:
//   ffmpeg -i in.avi -c:v copy -c:a pcm_s16le -ar 48000 -ac 2 -f dv out.dv
//
// Usage: bench_convert [frames] [folder] [--rate HZ] [--keep]
//   Has the ffmpeg tool write in.avi of `frames` frames (default 1000) into
//   `folder` (default $TMPDIR or /tmp), converts it three times each way,
//   alternating, and prints the best time of each and the speed ratio; the
//   target is a ratio of at least 0.8. --rate gives the source audio another rate (44100
//   shows the cost of resampling). The tool's time includes starting its
//   process. Exits with status 1 when the target is missed, 2 when ffmpeg
//   is not installed or the input cannot be made.
#include "BenchCommon.h"
#include "ConvertAviToDv.h"

#include <cstdio>
#include <string>

namespace {

// The input, made by the ffmpeg tool itself: its test picture encoded as
// DV into a "vids"/"dvsd" stream and a 1 kHz tone as 16-bit stereo PCM at
// `rate` in a second stream.
bool WriteInput(const std::string& path, int frames, int rate)
{
    char seconds[32];
    std::snprintf(seconds, sizeof seconds, "%.2f", frames / 25.0);
    const std::string cmd = "ffmpeg -v error -y -f lavfi -i testsrc=size=720x576:rate=25 -f lavfi -i sine=frequency=1000:sample_rate=" +
                            std::to_string(rate) + " -t " + seconds +
                            " -c:v dvvideo -pix_fmt yuv420p -c:a pcm_s16le -ac 2 '" + path + "'";
    return std::system(cmd.c_str()) == 0;
}

} // namespace

int main(int argc, char** argv)
{
    int rate = 48000;
    const BenchArgs args = ParseBenchArgs(argc, argv, 1000, [&](char** v, int& i) {
        if (std::string(v[i]) != "--rate" || i + 1 >= argc)
            return false;
        rate = std::atoi(v[++i]);
        return true;
    });
    const int frames = std::max(1, args.count);
    const std::string& folder = args.folder;
    if (std::system("ffmpeg -version >/dev/null 2>&1") != 0) {
        std::fprintf(stderr, "the ffmpeg command-line tool is needed for the comparison\n");
        return 2;
    }
    const std::string in = folder + "/bench-convert-in.avi";
    const std::string ours = folder + "/bench-convert-ours.dv";
    const std::string theirs = folder + "/bench-convert-ffmpeg.dv";
    if (!WriteInput(in, frames, rate)) {
        std::fprintf(stderr, "cannot write %s\n", in.c_str());
        return 2;
    }
    const std::string cmd = "ffmpeg -v error -y -i '" + in +
                            "' -c:v copy -c:a pcm_s16le -ar 48000 -ac 2 -f dv '" + theirs + "'";

    bool ok = true;
    const BestTimes best = BestOfAlternating(
        3, [&] { ok = ConvertAviToDv(in, ours) == 0 && ok; }, [&] { ok = std::system(cmd.c_str()) == 0 && ok; });
    const double bestOurs = best.ours;
    const double bestTheirs = best.theirs;
    const double mb = static_cast<double>(FileSize(in)) / 1e6;
    std::printf("input:            %s, %d frames, %.1f MB, audio %d Hz stereo\n", in.c_str(), frames, mb, rate);
    std::printf("ConvertAviToDv:   %.3f s  (%.0f frames/s), output %lld bytes\n", bestOurs, frames / bestOurs,
                FileSize(ours));
    std::printf("ffmpeg tool:      %.3f s  (%.0f frames/s), output %lld bytes\n", bestTheirs, frames / bestTheirs,
                FileSize(theirs));
    const double ratio = bestTheirs / bestOurs;
    std::printf("speed ratio:      %.2f (target >= 0.8)\n", ratio);
    if (!args.keep) {
        std::remove(in.c_str());
        std::remove(ours.c_str());
        std::remove(theirs.c_str());
    }
    if (!ok) {
        std::fprintf(stderr, "a conversion failed\n");
        return 2;
    }
    return ratio >= 0.8 ? 0 : 1;
}
