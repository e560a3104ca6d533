// Converting a 12-second 1080p30 H.264 clip with AAC sound at 44.1 kHz (a
// phone clip) into raw PAL DV with ConvertVideoToDv (4:3 frame, the picture
// letterboxed), against the ffmpeg command-line tool doing the same
// conversion on the same file in the same run:
//   ffmpeg -i in.mp4 -vf scale=720:432,pad=720:576:0:72,setsar=16/15,fps=25
//          -target pal-dv out.dv
//
// Usage: bench_convert_video [seconds] [folder] [--keep]
//   Has the ffmpeg tool write in.mp4 (default 12 seconds; a moving test
//   picture with grain at 16 Mbit/s, so that it decodes like camera
//   footage) into
//   `folder` (default $TMPDIR or /tmp), converts it three times each way,
//   alternating, and prints the best time of each and the speed ratio (the
//   tool's time over ours); the target is a ratio of at least 0.9. The
//   tool's time includes starting its process. Exits with status 1 when the
//   target is missed, 2 when ffmpeg or its H.264 encoder is missing or a
//   conversion fails.
#include "BenchCommon.h"
#include "ConvertVideoToDv.h"
#include "Progress.h"

#include <cstdio>
#include <string>

namespace {

bool WriteInput(const std::string& path, int seconds)
{
    const std::string cmd =
        "ffmpeg -v error -y -f lavfi -i testsrc2=size=1920x1080:rate=30 "
        "-f lavfi -i sine=frequency=440:sample_rate=44100 -t " +
        std::to_string(seconds) +
        " -vf noise=alls=6:allf=t -c:v libx264 -preset veryfast -b:v 16M -maxrate 20M -bufsize 32M"
        " -pix_fmt yuv420p -c:a aac -b:a 128k -ac 2 '" +
        path + "'";
    return std::system(cmd.c_str()) == 0;
}

} // namespace

int main(int argc, char** argv)
{
    const BenchArgs args = ParseBenchArgs(argc, argv, 12);
    const int seconds = std::max(1, args.count);
    const std::string& folder = args.folder;
    if (std::system("ffmpeg -hide_banner -encoders 2>/dev/null | grep -q libx264") != 0) {
        std::fprintf(stderr, "the ffmpeg command-line tool with its libx264 encoder is needed\n");
        return 2;
    }
    const std::string in = folder + "/bench-video-in.mp4";
    const std::string ours = folder + "/bench-video-ours.dv";
    const std::string theirs = folder + "/bench-video-ffmpeg.dv";
    if (!WriteInput(in, seconds)) {
        std::fprintf(stderr, "cannot write %s\n", in.c_str());
        return 2;
    }
    const std::string cmd = "ffmpeg -v error -y -i '" + in +
                            "' -vf scale=720:432,pad=720:576:0:72,setsar=16/15,fps=25 -target pal-dv '" +
                            theirs + "'";

    bool ok = true;
    CNullProgress progress;
    // The tool may end with a complaint about the last frame's audio; its
    // output is compared by size below.
    const BestTimes best = BestOfAlternating(
        3, [&] { ok = ConvertVideoToDv(in, ours, kDvAspect4x3, progress) == 0 && ok; },
        [&] { (void)std::system(cmd.c_str()); });
    const double bestOurs = best.ours;
    const double bestTheirs = best.theirs;
    const long long oursFrames = FileSize(ours) / 144000;
    const long long theirFrames = FileSize(theirs) / 144000;
    std::printf("input:             %s, %d s of 1080p30 H.264 + AAC 44.1 kHz, %.1f MB\n", in.c_str(), seconds,
                static_cast<double>(FileSize(in)) / 1e6);
    std::printf("ConvertVideoToDv:  %.3f s  (%.1f frames/s), %lld frames\n", bestOurs, oursFrames / bestOurs,
                oursFrames);
    std::printf("ffmpeg tool:       %.3f s  (%.1f frames/s), %lld frames\n", bestTheirs,
                theirFrames / bestTheirs, theirFrames);
    const double ratio = bestTheirs / bestOurs;
    std::printf("speed ratio:       %.2f (target >= 0.9)\n", ratio);
    if (!args.keep) {
        std::remove(in.c_str());
        std::remove(ours.c_str());
        std::remove(theirs.c_str());
    }
    if (!ok || theirFrames <= 0) {
        std::fprintf(stderr, "a conversion failed\n");
        return 2;
    }
    return ratio >= 0.9 ? 0 : 1;
}
