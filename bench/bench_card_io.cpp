// Card throughput against dd on the same card image, in the same run:
//   write  - a 1000-frame clip written with WriteClip, against
//            dd bs=144000 conv=notrunc,fdatasync copying the same frames in;
//   read   - the clip exported with ExportClip, against dd reading it out;
//   compact - compaction moving a ~500 MB clip down the card, against dd
//            copying the same clusters the same way.
// Usage: bench_card_io [FOLDER]   (default /tmp; needs about 1.5 GB there)
// Prints each ratio as dd time / our time (1.0 = as fast as dd).
#include "CClipFile.h"
#include "CDisk.h"
#include "CardCompactor.h"
#include "ClipExport.h"
#include "ClipWriter.h"
#include "Interaction.h"
#include "Progress.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
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

// A formatted card image of `clusters` clusters.
bool MakeCard(const std::string& path, int clusters, CDisk& disk, CQuiet& ui)
{
    const long long bytes = kFatSize + static_cast<long long>(kClusterSize) * clusters + kSectorSize;
    std::remove(path.c_str());
    if (std::system(("truncate -s " + std::to_string(bytes) + " " + path).c_str()) != 0)
        return false;
    disk.SetInteraction(&ui);
    if (disk.OpenPath(path) != 0)
        return false;
    disk.Format();
    return disk.WriteFAT() != 0;
}

void Report(const char* what, double ours, double dd, double megabytes)
{
    std::printf("%-8s ours %6.2f s (%7.1f MB/s)   dd %6.2f s (%7.1f MB/s)   ratio %.2f\n", what, ours,
                megabytes / ours, dd, megabytes / dd, dd / ours);
}

} // namespace

int main(int argc, char** argv)
{
    const std::string folder = argc > 1 ? argv[1] : "/tmp";
    const std::string source = folder + "/bench_source.dv";
    const std::string image = folder + "/bench_card.img";
    const std::string output = folder + "/bench_out.dv";
    const int frames = 1000;
    if (!MakeFile(source, 144000ll * frames)) {
        std::fprintf(stderr, "cannot create %s\n", source.c_str());
        return 1;
    }
    CQuiet ui;
    CNullProgress progress;

    // Write: WriteClip into an empty card, then dd over the same clusters.
    double ours = 1e9, dd = 1e9;
    // The first round allocates the image's blocks; the best round counts.
    {
        CDisk disk;
        if (!MakeCard(image, 1100, disk, ui))
            return 1;
    }
    for (int round = 0; round < 4; ++round) {
        CDisk disk;
        disk.SetInteraction(&ui);
        if (disk.OpenPath(image) != 0)
            return 1;
        disk.Format();
        if (!disk.WriteFAT())
            return 1;
        CClipFile file;
        if (file.Open(source, true) != 0)
            return 1;
        // The two alternate which goes first, so that neither always finds
        // the other's dirty pages or warm caches.
        const std::string command = "dd if=" + source + " of=" + image +
                                    " bs=144000 count=1000 oflag=seek_bytes seek=5120"
                                    " conv=notrunc,fdatasync status=none";
        if (round % 2 == 0)
            dd = std::min(dd, TimeCommand(command));
        auto start = std::chrono::steady_clock::now();
        if (WriteClip(disk, 0, file, progress) != kWriteDone)
            return 1;
        ours = std::min(ours, Seconds(start));
        if (round % 2 == 1)
            dd = std::min(dd, TimeCommand(command));
    }
    Report("write", ours, dd, 144.0 * frames / 1000.0);

    // Read: ExportClip of that clip, then dd reading the same bytes.
    ours = dd = 1e9;
    {
        CDisk disk;
        disk.SetInteraction(&ui);
        if (disk.OpenPath(image) != 0 || !disk.ReadFAT())
            return 1;
        for (int round = 0; round < 2; ++round) {
            auto start = std::chrono::steady_clock::now();
            if (ExportClip(disk, 0, output, progress) != kExportDone)
                return 1;
            ours = std::min(ours, Seconds(start));
            dd = std::min(dd, TimeCommand("dd if=" + image + " of=" + output +
                                          " bs=144384 count=1000 iflag=skip_bytes skip=5120"
                                          " conv=fdatasync status=none"));
        }
    }
    Report("read", ours, dd, 144.0 * frames / 1000.0);

    // Compaction: a clip of 3500 clusters (~505 MB) after a 100-cluster gap.
    const int moved = 3500;
    ours = dd = 1e9;
    for (int round = 0; round < 2; ++round) {
        CDisk disk;
        if (!MakeCard(image, moved + 200, disk, ui))
            return 1;
        ClipRecord& clip = disk.Clips()[0];
        clip.frames = moved;
        clip.firstSector = CDisk::SectorOfCluster(100);
        disk.UpdateFreeSpace();
        if (!disk.WriteFAT())
            return 1;
        std::vector<std::uint8_t> cluster(kClusterSize);
        for (int h = 0; h < moved; ++h) {
            std::fill(cluster.begin(), cluster.end(), static_cast<std::uint8_t>(h));
            disk.WriteCluster(100 + h, cluster.data());
        }
        disk.Flush();
        std::vector<ClusterRun> runs = UsedRuns(disk);
        auto start = std::chrono::steady_clock::now();
        if (!CompactCard(disk, runs, progress, nullptr))
            return 1;
        ours = std::min(ours, Seconds(start));
        disk.Close();
        dd = std::min(dd, TimeCommand("dd if=" + image + " of=" + image + " bs=144384 count=" +
                                      std::to_string(moved) + " iflag=skip_bytes oflag=seek_bytes skip=" +
                                      std::to_string(5120 + 144384ll * 100) +
                                      " seek=5120 conv=notrunc,fdatasync status=none"));
    }
    Report("compact", ours, dd, 144.384 * moved / 1000.0);

    std::remove(source.c_str());
    std::remove(image.c_str());
    std::remove(output.c_str());
    return 0;
}
