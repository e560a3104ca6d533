// Writes the seed corpora of the fuzz targets into OUT/fat_table,
// OUT/clip_file and OUT/first_frame: FAT areas made by the card code itself
// (empty, with clips, with playlists of every kind of flag), DV frames from
// FFmpeg's encoder and dv muxer, raw DV files and AVI files of both DV kinds
// and of no DV at all. Nothing here is committed; the fuzz script runs it.
#include "CDisk.h"
#include "DvFixtures.h"

#include <array>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace {

struct SeedClip {
    int cluster;
    int frames;
    const char* name;
};

struct SeedPlaylist {
    std::vector<int> slots;
    bool loop;
    int logoMode;
    std::uint32_t transition;
};

// The FAT area of a card of `clusters` clusters holding these clips and
// playlists, as the card's own encoder writes it, followed by the cluster
// count.
std::vector<std::uint8_t> FatSeed(std::uint32_t clusters, const std::vector<SeedClip>& clips,
                                  const std::vector<SeedPlaylist>& playlists)
{
    std::vector<ClipRecord> table(kSlotCount);
    for (std::size_t i = 0; i < clips.size(); ++i) {
        table[i].frames = static_cast<std::uint16_t>(clips[i].frames);
        table[i].firstSector = CDisk::SectorOfCluster(static_cast<std::uint32_t>(clips[i].cluster));
        std::strncpy(table[i].name, clips[i].name, sizeof table[i].name);
    }
    std::array<Playlist, kPlaylistCount> lists;
    for (std::size_t j = 0; j < playlists.size(); ++j) {
        for (int s : playlists[j].slots)
            lists[j].entries.push_back(PlaylistEntry{s, playlists[j].transition, 0});
        lists[j].loop = playlists[j].loop;
        lists[j].logoMode = playlists[j].logoMode;
    }
    std::vector<std::uint8_t> seed = EncodeFatArea(table, lists);
    for (int i = 0; i < 4; ++i)
        seed.push_back(static_cast<std::uint8_t>(clusters >> (8 * i)));
    return seed;
}

bool Save(const std::string& path, const std::vector<std::uint8_t>& bytes)
{
    if (bytes.empty() || !dvfix::WriteBytes(path, bytes)) {
        std::fprintf(stderr, "fuzz_seeds: cannot make %s\n", path.c_str());
        return false;
    }
    return true;
}

bool FatSeeds(const std::string& dir)
{
    bool ok = true;
    ok &= Save(dir + "/formatted", FatSeed(7092, {}, {}));
    ok &= Save(dir + "/beach", FatSeed(1000, {{0, 100, "beach"}}, {{{0}, true, 0, kTransitionCut}}));
    ok &= Save(dir + "/clips-playlists",
               FatSeed(2000,
                       {{0, 100, "holiday_"}, {100, 75, "a"}, {300, 600, "party"}, {1200, 90, ""}},
                       {{{0, 1, 2, 1}, false, 1, kTransitionAuto},
                        {{3, 3, 0}, true, 2, kTransitionCut},
                        {{}, false, 0, kTransitionCut},
                        {{2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2}, true, 0, kTransitionAuto}}));
    std::vector<SeedClip> many;
    for (int i = 0; i < kSlotCount; ++i)
        many.push_back({i * 75, 75, "clip"});
    ok &= Save(dir + "/full-table", FatSeed(144 * 75, many, {{{143, 0, 71}, true, 1, kTransitionCut}}));
    ok &= Save(dir + "/tiny-card", FatSeed(0, {}, {}));
    return ok;
}

bool ClipFileSeeds(const std::string& dir)
{
    const std::vector<std::uint8_t> frames = dvfix::MakeDvFrames(2, 48000);
    bool ok = Save(dir + "/raw-2-frames.dv", frames);
    ok &= Save(dir + "/raw-1-frame.dv", dvfix::Frame(frames, 0));
    ok &= dvfix::WriteDvVideoAvi(dir + "/dv-video-separate-audio.avi", frames);
    ok &= dvfix::WriteInterleavedAvi(dir + "/interleaved.avi", frames);
    dvfix::AviLayout audioFirst;
    audioFirst.audioFirst = true;
    ok &= dvfix::WriteDvVideoAvi(dir + "/audio-first.avi", frames, audioFirst);
    dvfix::AviLayout notDv;
    notDv.dvVideo = false;
    ok &= dvfix::WriteMuxedAvi(dir + "/not-dv.avi", {std::vector<std::uint8_t>(4000, 0x42)}, notDv);
    return ok;
}

bool FirstFrameSeeds(const std::string& dir)
{
    bool ok = true;
    for (int rate : {48000, 44100, 32000, 0}) {
        const std::vector<std::uint8_t> frames = dvfix::MakeDvFrames(1, rate);
        ok &= Save(dir + "/frame-" + std::to_string(rate), frames);
    }
    // A 48 kHz frame whose AF_SIZE is beyond what the rate allows.
    std::vector<std::uint8_t> noSamples = dvfix::MakeDvFrames(1, 48000);
    if (noSamples.size() == static_cast<std::size_t>(dvfix::kFrameBytes)) {
        noSamples[4324] = static_cast<std::uint8_t>((noSamples[4324] & 0xC0) | 50);
        ok &= Save(dir + "/frame-af-50", noSamples);
    }
    return ok;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: fuzz_seeds OUTDIR\n");
        return 2;
    }
    const std::string out = argv[1];
    std::error_code ec;
    for (const char* sub : {"fat_table", "clip_file", "first_frame"})
        std::filesystem::create_directories(out + "/" + sub, ec);
    const bool ok = FatSeeds(out + "/fat_table") && ClipFileSeeds(out + "/clip_file") &&
                    FirstFrameSeeds(out + "/first_frame");
    return ok ? 0 : 1;
}
