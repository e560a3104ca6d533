// The card tests against dd on card images in the same run:
//   probe - ProbeCard on a 4 GB card image: its time (target under 2 s)
//           and the share of the card's bytes it wrote (target under 1 %);
//   scan  - ScanCard on a 1 GB image without clips, against dd writing the
//           image (bs=8M conv=notrunc,fdatasync) followed by dd reading it
//           back with iflag=direct, the two times added (target: ours at
//           most 1.15 times theirs).
// Each round runs both sides back to back, alternating which goes first,
// the image dropped from the cache before each; times and the ratio are
// medians of the rounds.
//
// bench_card_test [rounds] [folder] [--keep]   (folder on a disk, not a tmpfs)
#include "BenchCommon.h"
#include "CDisk.h"
#include "CardProbe.h"
#include "CardScan.h"
#include "Interaction.h"
#include "Progress.h"

#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <functional>
#include <string>
#include <vector>

namespace {

class CQuiet : public IInteraction {
public:
    int Show(int, unsigned, const std::string&) override { return kIdYes; }
};

double TimeCommand(const std::string& command)
{
    const auto start = Clock::now();
    if (std::system(command.c_str()) != 0)
        std::fprintf(stderr, "failed: %s\n", command.c_str());
    return Seconds(Clock::now() - start);
}



// A formatted card image of `bytes` bytes with its blocks allocated.
bool MakeCard(const std::string& path, long long bytes)
{
    std::remove(path.c_str());
    if (std::system(("fallocate -l " + std::to_string(bytes) + " " + path).c_str()) != 0 &&
        std::system(("truncate -s " + std::to_string(bytes) + " " + path).c_str()) != 0)
        return false;
    CQuiet ui;
    CDisk disk;
    disk.SetInteraction(&ui);
    if (disk.OpenPath(path) != 0)
        return false;
    disk.Format();
    return disk.WriteFAT() != 0;
}

bool Open(const std::string& path, CDisk& disk, CQuiet& ui)
{
    disk.SetInteraction(&ui);
    return disk.OpenPath(path) == 0 && disk.ReadFAT() != 0;
}

} // namespace

int main(int argc, char** argv)
{
    const BenchArgs args = ParseBenchArgs(argc, argv, 5);
    const std::string probeImage = args.folder + "/bench_probe.img";
    const std::string scanImage = args.folder + "/bench_scan.img";
    const long long probeBytes = 4096ll << 20;
    const long long scanBytes = 1024ll << 20;
    if (!MakeCard(probeImage, probeBytes) || !MakeCard(scanImage, scanBytes)) {
        std::fprintf(stderr, "cannot make the card images in %s\n", args.folder.c_str());
        return 1;
    }
    CQuiet ui;
    CNullProgress progress;

    std::vector<double> probeTimes;
    double written = 0;
    bool genuine = true;
    for (int round = 0; round < args.count; ++round) {
        DropFromCache(probeImage);
        CDisk disk;
        if (!Open(probeImage, disk, ui))
            return 1;
        CardProbeReport report;
        const auto start = Clock::now();
        genuine = ProbeCard(disk, progress, report) == kProbeGenuine && genuine;
        probeTimes.push_back(Seconds(Clock::now() - start));
        written = static_cast<double>(report.bytesWritten) / static_cast<double>(probeBytes);
    }
    std::printf("probe    4096 MB image: %.2f s (target < 2 s), %.2f %% of the card written (target < 1 %%), %s\n",
                Median(probeTimes), written * 100, genuine ? "genuine" : "NOT GENUINE");

    const std::string size = std::to_string(scanBytes >> 20);
    const std::string ddWrite = "dd if=/dev/zero of=" + scanImage + " bs=1M count=" + size +
                                " conv=notrunc,fdatasync status=none";
    const std::string ddRead = "dd if=" + scanImage + " of=/dev/null bs=1M iflag=direct status=none";
    std::vector<double> ours, dd, ratios;
    bool fit = true;
    for (int round = 0; round < args.count; ++round) {
        const auto runOurs = [&] {
            // dd wrote over the table: formatted again, outside the time.
            CDisk disk;
            disk.SetInteraction(&ui);
            if (disk.OpenPath(scanImage) != 0)
                return 0.0;
            disk.Format();
            if (!disk.WriteFAT())
                return 0.0;
            DropFromCache(scanImage);
            CardScanReport report;
            const auto start = Clock::now();
            fit = ScanCard(disk, {}, progress, report) == kScanDone && report.Fit() && fit;
            return Seconds(Clock::now() - start);
        };
        const auto runDd = [&] {
            DropFromCache(scanImage);
            return TimeCommand(ddWrite) + TimeCommand(ddRead);
        };
        const double first = round % 2 == 0 ? runDd() : runOurs();
        const double second = round % 2 == 0 ? runOurs() : runDd();
        ours.push_back(round % 2 == 0 ? second : first);
        dd.push_back(round % 2 == 0 ? first : second);
        ratios.push_back(ours.back() / dd.back());
    }
    std::printf("scan     1024 MB image: ours %.2f s (%.1f MB/s each way)   dd write + dd read %.2f s   "
                "ours / dd %.2f (target <= 1.15), %s\n",
                Median(ours), 1024.0 * 1.048576 / (Median(ours) / 2), Median(dd), Median(ratios),
                fit ? "fit" : "NOT FIT");
    std::printf("ratios:");
    for (double r : ratios)
        std::printf(" %.2f", r);
    std::printf("\n");
    if (!args.keep) {
        std::remove(probeImage.c_str());
        std::remove(scanImage.c_str());
    }
    return 0;
}
