// Finding runs of frames on a card whose table is lost, against dd reading
// the whole card image, on the same image in the same run: a 1 GB image
// holding 6000 PAL DV frames in 12 recordings (distinct timecodes and
// recording dates, gaps of zero clusters between them), its table all
// 0xFF. The image is dropped from the page cache before every timed run.
// Ours reads the first sector of each cluster; the ratio (ours / dd, the
// median of the rounds' ratios) should be at most 0.05, and every run must
// be found exactly (first cluster and frame count).
// The gaps and the rest of the image are unwritten (holes to its file
// system, as a backup's free clusters are), which the finder passes over
// unread; with --written they are written with zeros first, as a card's
// free clusters hold something, and each of them is read.
// Usage: bench_recover [FOLDER] [ROUNDS] [--written]   FOLDER on a disk, not a tmpfs.
#include "BenchCommon.h"
#include "CDisk.h"
#include "Interaction.h"
#include "RunFinder.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

constexpr long long kImageBytes = 1024ll * 1024 * 1024;
constexpr int kRecordings = 12;
constexpr int kFramesEach = 500;
constexpr int kGap = 37;

class CQuiet : public IInteraction {
public:
    int Show(int, unsigned, const std::string&) override { return kIdYes; }
};

double Seconds(const std::chrono::steady_clock::time_point& start)
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}



struct Expected {
    std::uint32_t first;
    int frames;
};

// The card image: every byte allocated (so that dd reads the disk), the
// recordings made by the ffmpeg tool copied into their clusters.
bool MakeImage(const std::string& folder, const std::string& image, bool written, std::vector<Expected>& expected)
{
    const std::string make = written ? "dd if=/dev/zero of=" + image + " bs=1M count=" +
                                           std::to_string(kImageBytes >> 20) + " status=none"
                                     : "fallocate -l " + std::to_string(kImageBytes) + " " + image;
    if (std::system(("rm -f " + image + " && " + make).c_str()) != 0)
        return false;
    const int fd = ::open(image.c_str(), O_WRONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    std::vector<std::uint8_t> fat(kFatSize, 0xFF);
    bool ok = ::pwrite(fd, fat.data(), fat.size(), 0) == static_cast<ssize_t>(fat.size());
    std::vector<std::uint8_t> cluster(kClusterSize, 0);
    std::uint32_t at = 3;
    for (int r = 0; r < kRecordings && ok; ++r) {
        const std::string dv = folder + "/bench_recover_" + std::to_string(r) + ".dv";
        char timecode[16];
        std::snprintf(timecode, sizeof timecode, "%02d:00:00:00", r + 1);
        char date[40];
        std::snprintf(date, sizeof date, "2026-11-%02dT%02d:00:00Z", r + 1, 8 + r);
        const std::string command = "ffmpeg -loglevel error -y -f lavfi -i testsrc=size=720x576:rate=25 -f lavfi -i "
                                    "sine=r=48000:d=30 -frames:v " + std::to_string(kFramesEach) +
                                    " -ac 2 -target pal-dv -timecode " + timecode + " -metadata creation_time=" +
                                    date + " " + dv;
        if (std::system(command.c_str()) != 0)
            return false;
        FILE* in = std::fopen(dv.c_str(), "rb");
        int frames = 0;
        while (in != nullptr && std::fread(cluster.data(), 1, kFrameSize, in) == static_cast<std::size_t>(kFrameSize)) {
            ok = ok && ::pwrite(fd, cluster.data(), kClusterSize, static_cast<off_t>(ClusterOffset(at + frames))) ==
                           kClusterSize;
            ++frames;
        }
        if (in != nullptr)
            std::fclose(in);
        std::remove(dv.c_str());
        expected.push_back({at, frames});
        at += static_cast<std::uint32_t>(frames + kGap);
    }
    ok = ::fsync(fd) == 0 && ok;
    return ::close(fd) == 0 && ok;
}

} // namespace

int main(int argc, char** argv)
{
    const std::string folder = argc > 1 ? argv[1] : "/tmp";
    const int rounds = argc > 2 ? std::max(1, std::atoi(argv[2])) : 7;
    const bool written = argc > 3 && std::string(argv[3]) == "--written";
    const std::string image = folder + "/bench_recover.img";
    std::vector<Expected> expected;
    if (!MakeImage(folder, image, written, expected)) {
        std::fprintf(stderr, "cannot make %s (the ffmpeg tool is needed)\n", image.c_str());
        return 1;
    }
    CQuiet ui;
    bool exact = true;
    std::vector<double> ours, dd, ratios, cached;
    for (int round = 0; round < rounds; ++round) {
        DropFromCache(image);
        auto start = std::chrono::steady_clock::now();
        CDisk disk;
        disk.SetInteraction(&ui);
        std::vector<FoundRun> runs;
        const bool found = disk.OpenPath(image) == 0 && !disk.ReadFAT() && FindFrameRuns(disk, runs);
        const double o = Seconds(start);
        // The same again from the cache: what the reads cost beyond the
        // program's own work.
        start = std::chrono::steady_clock::now();
        std::vector<FoundRun> again;
        FindFrameRuns(disk, again);
        cached.push_back(Seconds(start));
        disk.Close();
        exact = exact && found && runs.size() == expected.size();
        for (std::size_t i = 0; exact && i < runs.size(); ++i)
            exact = runs[i].firstCluster == expected[i].first && runs[i].frames == expected[i].frames;

        DropFromCache(image);
        start = std::chrono::steady_clock::now();
        if (std::system(("dd if=" + image + " of=/dev/null bs=1M status=none").c_str()) != 0)
            std::fprintf(stderr, "dd failed\n");
        const double d = Seconds(start);
        ours.push_back(o);
        dd.push_back(d);
        ratios.push_back(o / d);
    }
    std::remove(image.c_str());
    int frames = 0;
    for (const Expected& e : expected)
        frames += e.frames;
    std::printf("find runs: %d frames in %zu recordings on a 1 GB image (%s), table lost, %d rounds\n", frames,
                expected.size(), written ? "free clusters written with zeros" : "free clusters unwritten", rounds);
    std::printf("ours %.3f s (%.3f s from the cache)   dd %.3f s   ratio ours/dd %.3f (target <= 0.05)   runs %s\n", Median(ours), Median(cached), Median(dd),
                Median(ratios), exact ? "all found exactly" : "NOT FOUND EXACTLY");
    return exact ? 0 : 1;
}
