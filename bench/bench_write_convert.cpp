// Writing a phone clip onto a card image with the conversion on the way
// (WriteConvertedClip, as `tessaro-card write CARD FILE --convert` does,
// with the read-back), against converting the same clip into a DV file
// (ConvertVideoToDv, as `tessaro-card convert` does), in the same run. The
// clip is 12 seconds of 1080p30 H.264 with AAC sound, as in
// bench_convert_video. Since the card writes run beside the conversion, the
// write should cost little more than the conversion alone.
//
// Usage: bench_write_convert [seconds] [folder] [--keep] [--memory]
//   Has the ffmpeg tool write the clip into `folder` (default $TMPDIR or
//   /tmp; a disk, not a tmpfs, for the card image), then writes it onto a
//   card image and converts it, three times each, alternating; prints the
//   best time of each and the ratio (write over convert; target at most
//   1.15). With --memory instead: writes a 1-minute and a 10-minute clip
//   (or one of `seconds` when more than 60) onto a card image, each in a
//   child process, and prints the peak resident memory of each (targets:
//   under 300 MB, and the two within 10 %). Exits with status 1 when a target is missed, 2 when the ffmpeg
//   tool is missing or a write fails.
#include "BenchCommon.h"
#include "CDisk.h"
#include "CardLayout.h"
#include "ConvertVideoToDv.h"
#include "ConvertingWrite.h"
#include "Progress.h"

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <string>

namespace {

// The clip: with `grain` the picture decodes like camera footage (for the
// speed); without, it is quicker to make (for the memory, which the
// picture's size decides).
bool WriteInput(const std::string& path, int seconds, bool grain)
{
    const std::string cmd =
        "ffmpeg -v error -y -f lavfi -i testsrc2=size=1920x1080:rate=30 "
        "-f lavfi -i sine=frequency=440:sample_rate=44100 -t " +
        std::to_string(seconds) + (grain ? " -vf noise=alls=6:allf=t -c:v libx264 -preset veryfast"
                                         : " -c:v libx264 -preset ultrafast") +
        " -b:v 16M -maxrate 20M -bufsize 32M -pix_fmt yuv420p -c:a aac -b:a 128k -ac 2 '" + path + "'";
    return std::system(cmd.c_str()) == 0;
}

// A formatted card image with room for `frames` frames.
bool MakeCardImage(const std::string& path, int frames)
{
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f)
        return false;
    const long long bytes = static_cast<long long>(ClusterOffset(static_cast<std::uint64_t>(frames))) + kSectorSize;
    const bool sized = ::ftruncate(fileno(f), bytes) == 0;
    std::fclose(f);
    CDisk disk;
    if (!sized || disk.OpenPath(path) != kOpenOk)
        return false;
    disk.Format();
    return disk.WriteFAT() != 0;
}

// Writes `in` into slot 1 of the card image (emptied first), read back.
bool WriteOnce(const std::string& image, const std::string& in)
{
    CDisk disk;
    if (disk.OpenPath(image) != kOpenOk || !disk.ReadFAT())
        return false;
    disk.Format();
    if (!disk.WriteFAT())
        return false;
    CNullProgress progress;
    ConvertingWriteOptions options;
    return WriteConvertedClip(disk, 0, in, options, progress) == kWriteDone;
}

// The peak resident memory of a child process that writes `in`, in MB;
// negative when the write failed.
double PeakMegabytes(const std::string& image, const std::string& in)
{
    const pid_t pid = ::fork();
    if (pid == 0)
        ::_exit(WriteOnce(image, in) ? 0 : 1);
    int status = 0;
    struct rusage usage {};
    if (pid < 0 || ::wait4(pid, &status, 0, &usage) != pid || !WIFEXITED(status) || WEXITSTATUS(status) != 0)
        return -1;
    return static_cast<double>(usage.ru_maxrss) / 1024;
}

int Memory(const std::string& folder, int longSeconds, bool keep)
{
    const std::string image = folder + "/bench-write-card.img";
    const std::string shortClip = folder + "/bench-write-1min.mp4";
    const std::string longClip = folder + "/bench-write-10min.mp4";
    if (!WriteInput(shortClip, 60, false) || !WriteInput(longClip, longSeconds, false) ||
        !MakeCardImage(image, longSeconds * 25 + 100)) {
        std::fprintf(stderr, "cannot write the clips or the card image in %s\n", folder.c_str());
        return 2;
    }
    const double one = PeakMegabytes(image, shortClip);
    const double ten = PeakMegabytes(image, longClip);
    std::printf("peak resident memory, 1-minute clip:  %.1f MB\n", one);
    std::printf("peak resident memory, %d-second clip: %.1f MB (target < 300 MB, within 10 %% of the 1-minute)\n",
                longSeconds, ten);
    if (!keep) {
        std::remove(image.c_str());
        std::remove(shortClip.c_str());
        std::remove(longClip.c_str());
    }
    if (one < 0 || ten < 0) {
        std::fprintf(stderr, "a write failed\n");
        return 2;
    }
    return ten < 300 && ten <= one * 1.1 ? 0 : 1;
}

} // namespace

int main(int argc, char** argv)
{
    bool memory = false;
    const BenchArgs args = ParseBenchArgs(argc, argv, 12, [&](char** v, int& i) {
        if (std::string(v[i]) != "--memory")
            return false;
        memory = true;
        return true;
    });
    if (std::system("ffmpeg -hide_banner -encoders 2>/dev/null | grep -q libx264") != 0) {
        std::fprintf(stderr, "the ffmpeg command-line tool with its libx264 encoder is needed\n");
        return 2;
    }
    if (memory)
        return Memory(args.folder, args.count > 60 ? args.count : 600, args.keep);

    const int seconds = std::max(1, args.count);
    const std::string in = args.folder + "/bench-write-in.mp4";
    const std::string dv = args.folder + "/bench-write-converted.dv";
    const std::string image = args.folder + "/bench-write-card.img";
    if (!WriteInput(in, seconds, true) || !MakeCardImage(image, seconds * 25 + 100)) {
        std::fprintf(stderr, "cannot write %s or the card image\n", in.c_str());
        return 2;
    }
    bool ok = true;
    CNullProgress progress;
    const BestTimes best = BestOfAlternating(
        3, [&] { ok = WriteOnce(image, in) && ok; },
        [&] { ok = ConvertVideoToDv(in, dv, kDvAspect4x3, progress) == kMediaDone && ok; });
    std::printf("input:               %s, %d s of 1080p30 H.264 + AAC 44.1 kHz\n", in.c_str(), seconds);
    std::printf("write --convert:     %.3f s (conversion, card writes and read-back)\n", best.ours);
    std::printf("convert to DV file:  %.3f s\n", best.theirs);
    const double ratio = best.ours / best.theirs;
    std::printf("ratio:               %.2f (target <= 1.15)\n", ratio);
    if (!args.keep) {
        std::remove(in.c_str());
        std::remove(dv.c_str());
        std::remove(image.c_str());
    }
    if (!ok) {
        std::fprintf(stderr, "a write or conversion failed\n");
        return 2;
    }
    return ratio <= 1.15 ? 0 : 1;
}
