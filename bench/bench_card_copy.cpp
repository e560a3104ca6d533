// Whole-card copies against dd, in the same run, on a 1 GB card image
// holding 1000 frames of clips (four clips of 250 frames, 144 MB):
//   backup  - BackupCard into a new file (with the read-back, and without
//             it), against dd copying just the clips' clusters into a new
//             file at their places (conv=notrunc,fdatasync), and against dd
//             copying the whole image (bs=1M conv=fdatasync);
//   clone   - CloneCard onto two new images in FOLDER, and onto one in
//             FOLDER and one in SECOND (another device, /dev/shm by
//             default), against RestoreCard onto one new image in FOLDER.
// Every image read is dropped from the page cache before each timed run.
// The ratios printed are those of the medians over the rounds.
// Usage: bench_card_copy [FOLDER] [SECOND] [ROUNDS]
//   FOLDER: default /tmp, a folder on a disk (needs about 2.5 GB);
//   SECOND: default /dev/shm; ROUNDS: default 3.
#include "BenchCommon.h"
#include "CDisk.h"
#include "CardBackup.h"
#include "CardClone.h"
#include "CardRestore.h"
#include "ClipWriter.h"
#include "FrameSource.h"
#include "Interaction.h"
#include "Progress.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

namespace {

constexpr int kClips = 4;
constexpr int kClipFrames = 250;
constexpr long long kImageBytes = 1024ll * 1024 * 1024;

class CQuiet : public IInteraction {
public:
    int Show(int, unsigned, const std::string&) override { return kIdYes; }
};

// Frames of a pattern that changes with the frame and the clip.
class CPatternSource : public IFrameSource {
public:
    explicit CPatternSource(int clip) : clip_(clip) {}
    int FrameCount() const override { return kClipFrames; }
    int ReadFrame(int frame, std::uint8_t* buffer) override
    {
        for (int i = 0; i < kFrameSize; ++i)
            buffer[i] = static_cast<std::uint8_t>(i * 7 + frame * 13 + clip_ * 29);
        return 1;
    }
    std::string SourcePath() const override { return "clip" + std::to_string(clip_) + ".dv"; }

private:
    int clip_;
};

double Seconds(const std::chrono::steady_clock::time_point& start)
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

double TimeCommand(const std::string& command)
{
    const auto start = std::chrono::steady_clock::now();
    if (std::system(command.c_str()) != 0)
        std::fprintf(stderr, "failed: %s\n", command.c_str());
    return Seconds(start);
}


// A new, unformatted card image of the source's size with no blocks yet.
bool MakeTarget(const std::string& path)
{
    std::remove(path.c_str());
    return std::system(("truncate -s " + std::to_string(kImageBytes) + " " + path).c_str()) == 0;
}


// The median time of `run` over `rounds` rounds; `prepare` runs untimed
// before each.
double Time(int rounds, const std::function<void()>& prepare, const std::function<bool()>& run, int& failures)
{
    std::vector<double> times;
    for (int i = 0; i < rounds; ++i) {
        prepare();
        const auto start = std::chrono::steady_clock::now();
        if (!run())
            ++failures;
        times.push_back(Seconds(start));
    }
    return Median(times);
}

} // namespace

int main(int argc, char** argv)
{
    const std::string folder = argc > 1 ? argv[1] : "/tmp";
    const std::string second = argc > 2 ? argv[2] : "/dev/shm";
    const int rounds = argc > 3 ? std::max(1, std::atoi(argv[3])) : 3;
    const std::string image = folder + "/bench_copy_card.img";
    const std::string backup = folder + "/bench_copy_backup.img";
    const std::string target1 = folder + "/bench_copy_target1.img";
    const std::string target2 = folder + "/bench_copy_target2.img";
    const std::string target3 = second + "/bench_copy_target3.img";
    CQuiet ui;
    CNullProgress progress;

    // The card: allocated on the disk, formatted, four clips from cluster 0
    // and free clusters after them.
    std::remove(image.c_str());
    if (std::system(("fallocate -l " + std::to_string(kImageBytes) + " " + image).c_str()) != 0)
        return 1;
    std::vector<std::pair<int, int>> runs; // first cluster, frames
    {
        CDisk disk;
        disk.SetInteraction(&ui);
        if (disk.OpenPath(image) != kOpenOk)
            return 1;
        disk.Format();
        disk.WriteFAT();
        for (int c = 0; c < kClips; ++c) {
            CPatternSource source(c);
            ClipWriteReport report;
            if (WriteClip(disk, c, source, progress, nullptr, &report, false) != kWriteDone)
                return 1;
            runs.emplace_back(report.firstCluster, kClipFrames);
        }
    }

    int failures = 0;
    const auto openSource = [&](CDisk& disk) {
        disk.SetInteraction(&ui);
        return disk.OpenPath(image) == kOpenOk && disk.ReadFAT();
    };
    const auto backupRun = [&](bool verify) {
        CDisk disk;
        return openSource(disk) && BackupCard(disk, image, backup, ui, progress, nullptr, verify) == kBackupDone;
    };
    const auto prepareBackup = [&] {
        std::remove(backup.c_str());
        DropFromCache(image);
    };
    std::string ddClips = "true";
    for (const auto& run : runs) {
        const std::string cluster = std::to_string(kClusterSize);
        ddClips += " && dd if=" + image + " of=" + backup + " bs=" + cluster + " skip=" +
                   std::to_string(ClusterOffset(static_cast<std::uint64_t>(run.first))) + " seek=" +
                   std::to_string(ClusterOffset(static_cast<std::uint64_t>(run.first))) +
                   " iflag=skip_bytes oflag=seek_bytes count=" + std::to_string(run.second) +
                   " conv=notrunc,fdatasync status=none";
    }
    const double ours = Time(rounds, prepareBackup, [&] { return backupRun(true); }, failures);
    const double oursNoVerify = Time(rounds, prepareBackup, [&] { return backupRun(false); }, failures);
    const double dd = Time(rounds, prepareBackup, [&] { return TimeCommand(ddClips) >= 0; }, failures);
    const double ddWhole = Time(rounds, prepareBackup, [&] {
        return TimeCommand("dd if=" + image + " of=" + backup + " bs=1M conv=fdatasync status=none") >= 0;
    }, failures);

    // The backup is the source of the restore and the clones.
    prepareBackup();
    if (!backupRun(true))
        return 1;
    const auto copyRun = [&](const std::vector<std::string>& paths) {
        CDisk source;
        source.SetInteraction(&ui);
        if (source.OpenPath(backup) != kOpenOk || !source.ReadFAT())
            return false;
        std::vector<std::unique_ptr<CDisk>> disks;
        std::vector<CloneTarget> targets;
        for (const std::string& path : paths) {
            disks.push_back(std::make_unique<CDisk>());
            if (disks.back()->OpenPath(path) != kOpenOk)
                return false;
            targets.push_back(CloneTarget{path, path, disks.back().get()});
        }
        if (targets.size() == 1)
            return RestoreCard(source, backup, *targets[0].disk, paths[0], paths[0], ui, progress) == kCloneDone;
        return CloneCard(source, backup, targets, ui, progress) == kCloneDone;
    };
    const auto prepareCopy = [&](const std::vector<std::string>& paths) {
        return [&, paths] {
            for (const std::string& path : paths)
                MakeTarget(path);
            DropFromCache(backup);
        };
    };
    const std::vector<std::string> one = {target1};
    const std::vector<std::string> twoSame = {target1, target2};
    const std::vector<std::string> twoApart = {target1, target3};
    const double restore = Time(rounds, prepareCopy(one), [&] { return copyRun(one); }, failures);
    const double cloneSame = Time(rounds, prepareCopy(twoSame), [&] { return copyRun(twoSame); }, failures);
    const double cloneApart = Time(rounds, prepareCopy(twoApart), [&] { return copyRun(twoApart); }, failures);

    const double megabytes = 144.384 * kClips * kClipFrames / 1000.0;
    std::printf("card image 1 GB with %d frames of clips (%.0f MB), %d rounds, medians\n", kClips * kClipFrames,
                megabytes, rounds);
    std::printf("backup with read-back  %6.2f s   without %6.2f s\n", ours, oursNoVerify);
    std::printf("dd of the clips' bytes %6.2f s   dd of the whole image %6.2f s\n", dd, ddWhole);
    std::printf("ratio backup / dd clips            %5.2f (target <= 1.10; without read-back %5.2f)\n", ours / dd,
                oursNoVerify / dd);
    std::printf("ratio dd whole image / backup      %5.2f (target >= 5)\n", ddWhole / ours);
    std::printf("restore onto one image  %6.2f s\n", restore);
    std::printf("clone onto two images, same disk %6.2f s, ratio to restore %5.2f (target <= 1.6)\n", cloneSame,
                cloneSame / restore);
    std::printf("clone onto %s and %s %6.2f s, ratio to restore %5.2f (target <= 1.2)\n", folder.c_str(),
                second.c_str(), cloneApart, cloneApart / restore);
    for (const std::string& path : {image, backup, target1, target2, target3})
        std::remove(path.c_str());
    if (failures > 0)
        std::fprintf(stderr, "%d runs failed\n", failures);
    return failures == 0 ? 0 : 1;
}
