// Card throughput against dd on the same card image, in the same run, on a
// 4000-frame clip (576 MB, so that starting a process is noise):
//   write   - WriteClip without the read-back, against
//             dd bs=144000 conv=notrunc,fdatasync copying the same frames in;
//   read    - the clip exported with ExportClip, against dd reading it out;
//   verify  - WriteClip with the read-back (against the digests kept
//             while writing: the source is read once), against the dd
//             write above followed at once by dd reading the clip back
//             with iflag=direct, the two times added;
//   compact - compaction moving a ~500 MB clip down the card, against dd
//             copying the same clusters the same way.
// The card image is dropped from the page cache before every timed run, so
// that every read comes from the disk. The read-back also reports how much
// the disk delivered while it ran (/sys/dev/block/.../stat): the clip's
// size when it read the card and not the cache.
// Usage: bench_card_io [FOLDER] [FRAMES] [verify]
//   FOLDER: default /tmp; use a folder on a disk, not a tmpfs (needs about
//   2.5 GB for 4000 frames). FRAMES: default 4000. "verify" runs only the
//   write with read-back.
#include "BenchCommon.h"
#include "CClipFile.h"
#include "CDisk.h"
#include "CardCompactor.h"
#include "ClipExport.h"
#include "ClipWriter.h"
#include "Interaction.h"
#include "Progress.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

namespace {

class CQuiet : public IInteraction {
public:
    int Show(int, unsigned, const std::string&) override { return kIdYes; }
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

bool MakeFile(const std::string& path, long long bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    std::vector<char> block(144000);
    for (long long done = 0; done < bytes; done += static_cast<long long>(block.size())) {
        for (std::size_t i = 0; i < block.size(); ++i)
            block[i] = static_cast<char>((done / 144000 + i) & 0xFF);
        out.write(block.data(), static_cast<std::streamsize>(block.size()));
    }
    return static_cast<bool>(out);
}

// Written back and out of the page cache: the next reads come from the disk.

// Bytes the disk holding `path` has delivered so far (-1 when unknown).
long long DiskBytesRead(const std::string& path)
{
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0)
        return -1;
    const std::string stat = "/sys/dev/block/" + std::to_string(major(st.st_dev)) + ":" +
                             std::to_string(minor(st.st_dev)) + "/stat";
    std::ifstream in(stat);
    long long ios = 0, merges = 0, sectors = -1;
    if (!(in >> ios >> merges >> sectors))
        return -1;
    return sectors * 512;
}

// A card image of `clusters` clusters, its blocks allocated, formatted.
bool MakeCard(const std::string& path, int clusters, CDisk& disk, CQuiet& ui)
{
    const long long bytes = static_cast<long long>(ClusterOffset(static_cast<std::uint64_t>(clusters))) + kSectorSize;
    std::remove(path.c_str());
    if (std::system(("fallocate -l " + std::to_string(bytes) + " " + path).c_str()) != 0 &&
        std::system(("truncate -s " + std::to_string(bytes) + " " + path).c_str()) != 0)
        return false;
    disk.SetInteraction(&ui);
    if (disk.OpenPath(path) != 0)
        return false;
    disk.Format();
    return disk.WriteFAT() != 0;
}

// Times of ours and of dd over several rounds, each round running the two
// back to back, alternating which goes first so that neither always finds
// the other's dirty pages or warm caches.
struct Comparison {
    double ours = 0; // median time
    double dd = 0;   // median time
    double ratio = 0; // median of the rounds' dd / ours
};


// The ratio is taken round by round: other work on the machine makes single
// runs vary by a quarter either way, mostly over stretches longer than a
// round, which a pair of runs side by side shares.
Comparison Compare(int rounds, const std::function<double()>& ours, const std::function<double()>& dd)
{
    std::vector<double> o, d, r;
    for (int round = 0; round < rounds; ++round) {
        const double first = round % 2 == 0 ? dd() : ours();
        const double second = round % 2 == 0 ? ours() : dd();
        o.push_back(round % 2 == 0 ? second : first);
        d.push_back(round % 2 == 0 ? first : second);
        r.push_back(d.back() / o.back());
    }
    return Comparison{Median(o), Median(d), Median(r)};
}

void Report(const char* what, double ours, double dd, double megabytes)
{
    std::printf("%-8s ours %6.2f s (%7.1f MB/s)   dd %6.2f s (%7.1f MB/s)\n", what, ours, megabytes / ours, dd,
                megabytes / dd);
}

} // namespace

int main(int argc, char** argv)
{
    const std::string folder = argc > 1 ? argv[1] : "/tmp";
    const int frames = argc > 2 ? std::atoi(argv[2]) : 4000;
    const bool verifyOnly = argc > 3 && std::string(argv[3]) == "verify";
    const int kRounds = 15;
    const std::string source = folder + "/bench_source.dv";
    const std::string image = folder + "/bench_card.img";
    const std::string output = folder + "/bench_out.dv";
    if (frames < 75 || !MakeFile(source, 144000ll * frames)) {
        std::fprintf(stderr, "cannot create %s\n", source.c_str());
        return 1;
    }
    const double megabytes = 144.0 * frames / 1000.0;
    const std::string count = std::to_string(frames);
    CQuiet ui;
    CNullProgress progress;
    {
        CDisk disk;
        if (!MakeCard(image, frames + 100, disk, ui))
            return 1;
    }

    // A clip written into slot 0 of the freshly formatted card.
    int failures = 0;
    const auto writeClip = [&](bool verify) {
        CDisk disk;
        disk.SetInteraction(&ui);
        CClipFile file;
        if (disk.OpenPath(image) != 0 || file.Open(source, true) != 0) {
            ++failures;
            return 1e9;
        }
        disk.Format();
        disk.WriteFAT();
        DropFromCache(image);
        const auto start = std::chrono::steady_clock::now();
        if (WriteClip(disk, 0, file, progress, nullptr, nullptr, verify) != kWriteDone)
            ++failures;
        return Seconds(start);
    };
    const std::string ddWrite = "dd if=" + source + " of=" + image + " bs=144000 count=" + count +
                                " oflag=seek_bytes seek=5120 conv=notrunc,fdatasync status=none";
    const auto ddWriteRun = [&] {
        DropFromCache(image);
        return TimeCommand(ddWrite);
    };

    Comparison write;
    if (!verifyOnly) {
        write = Compare(kRounds, [&] { return writeClip(false); }, ddWriteRun);
        Report("write", write.ours, write.dd, megabytes);
    }

    // Read: ExportClip of that clip, then dd reading the same bytes.
    Comparison read;
    if (!verifyOnly) {
        CDisk disk;
        disk.SetInteraction(&ui);
        if (disk.OpenPath(image) != 0 || !disk.ReadFAT())
            return 1;
        read = Compare(
            kRounds,
            [&] {
                // Each run writes a new file: freeing the last one's blocks
                // is not part of either time.
                std::remove(output.c_str());
                DropFromCache(image);
                const auto start = std::chrono::steady_clock::now();
                if (ExportClip(disk, 0, output, progress) != kExportDone)
                    ++failures;
                return Seconds(start);
            },
            [&] {
                std::remove(output.c_str());
                DropFromCache(image);
                return TimeCommand("dd if=" + image + " of=" + output + " bs=144384 count=" + count +
                                   " iflag=skip_bytes skip=5120 conv=fdatasync status=none");
            });
        Report("read", read.ours, read.dd, megabytes);
    }

    // Write with the read-back, against dd writing and then dd reading back,
    // one right after the other as the read-back follows the writing.
    double readBackDd = 1e9;
    long long diskRead = -1;
    const Comparison verify = Compare(
        kRounds,
        [&] {
            const long long before = DiskBytesRead(image);
            const double t = writeClip(true);
            const long long after = DiskBytesRead(image);
            diskRead = before >= 0 && after >= 0 ? after - before : -1;
            return t;
        },
        [&] {
            const double written = ddWriteRun();
            const double back = TimeCommand("dd if=" + image + " of=/dev/null bs=144384 count=" + count +
                                            " iflag=skip_bytes,direct skip=5120 status=none");
            readBackDd = std::min(readBackDd, back);
            return written + back;
        });
    Report("verify", verify.ours, verify.dd, megabytes);
    std::printf("         (dd writing, then dd reading back with iflag=direct: at best %.2f s of it; the disk "
                "delivered %.1f MB during the last write with read-back)\n",
                readBackDd, diskRead / 1e6);

    // Compaction: a clip of 3500 clusters (~505 MB) after a 100-cluster gap.
    const int moved = 3500;
    double compactOurs = 1e9, compactDd = 1e9;
    for (int round = 0; round < (verifyOnly ? 0 : 2); ++round) {
        CDisk disk;
        if (!MakeCard(image, moved + 200, disk, ui))
            return 1;
        if (!disk.RecordClip(0, "", moved, CDisk::SectorOfCluster(100)).Stored())
            return 1;
        std::vector<std::uint8_t> cluster(kClusterSize);
        for (int h = 0; h < moved; ++h) {
            std::fill(cluster.begin(), cluster.end(), static_cast<std::uint8_t>(h));
            disk.WriteCluster(100 + h, cluster.data());
        }
        disk.Flush();
        DropFromCache(image);
        std::vector<ClusterRun> runs = UsedRuns(disk);
        auto start = std::chrono::steady_clock::now();
        if (!CompactCard(disk, runs, progress, nullptr))
            return 1;
        compactOurs = std::min(compactOurs, Seconds(start));
        disk.Close();
        DropFromCache(image);
        compactDd = std::min(compactDd, TimeCommand("dd if=" + image + " of=" + image + " bs=144384 count=" +
                                                    std::to_string(moved) + " iflag=skip_bytes oflag=seek_bytes skip=" +
                                                    std::to_string(ClusterOffset(100)) +
                                                    " seek=5120 conv=notrunc,fdatasync status=none"));
    }
    if (!verifyOnly)
        Report("compact", compactOurs, compactDd, 144.384 * moved / 1000.0);

    std::printf("\nratios (medians of the ratios of %d rounds, ours and dd side by side; %d frames, %.0f MB):\n",
                kRounds, frames, megabytes);
    if (!verifyOnly) {
        std::printf("  write without read-back: dd / ours            %.2f  (target >= 0.95)\n", write.ratio);
        std::printf("  read:                    dd / ours            %.2f  (target >= 0.95)\n", read.ratio);
    }
    std::printf("  write with read-back:    ours / (dd + dd)     %.2f  (target <= 1.10)\n", 1.0 / verify.ratio);
    if (!verifyOnly)
        std::printf("  compaction (best of 2):  dd / ours            %.2f\n", compactDd / compactOurs);

    std::remove(source.c_str());
    std::remove(image.c_str());
    std::remove(output.c_str());
    return failures == 0 ? 0 : 1;
}
