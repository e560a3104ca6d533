#include "CardImages.h"

#include "CDisk.h"

#include <algorithm>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

long long CardImageBytes(int clusters)
{
    return static_cast<long long>(ClusterOffset(static_cast<std::uint64_t>(clusters))) + kSectorSize;
}

bool WriteBlankImage(const std::string& path, int clusters)
{
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0)
        return false;
    const bool ok = ::ftruncate(fd, CardImageBytes(clusters)) == 0;
    return ::close(fd) == 0 && ok;
}

bool WriteCardImage(const std::string& path, int clusters, const std::vector<TestClip>& clips,
                    const std::vector<TestPlaylist>& playlists)
{
    if (!WriteBlankImage(path, clusters))
        return false;
    CDisk disk;
    if (disk.OpenPath(path) != kOpenOk)
        return false;
    disk.Format();
    int cluster = 0;
    std::vector<std::uint8_t> buffer(kClusterSize, 0);
    for (const TestClip& clip : clips) {
        const std::vector<std::uint8_t> frame = convfix::MakeBarsFrame(clip.bottom);
        if (frame.size() != static_cast<std::size_t>(kFrameSize) || cluster + clip.frames > clusters)
            return false;
        std::copy(frame.begin(), frame.end(), buffer.begin());
        if (!disk.WriteCluster(cluster, buffer.data()))
            return false;
        ClipRecord& r = disk.Clips()[static_cast<std::size_t>(clip.slot)];
        r.frames = static_cast<std::uint16_t>(clip.frames);
        r.firstSector = CDisk::SectorOfCluster(static_cast<std::uint32_t>(cluster));
        std::memset(r.name, 0, sizeof r.name);
        std::memcpy(r.name, clip.name.data(), std::min<std::size_t>(clip.name.size(), kNameLength));
        cluster += clip.frames;
    }
    for (std::size_t j = 0; j < playlists.size() && j < static_cast<std::size_t>(kPlaylistCount); ++j) {
        Playlist& p = disk.Playlists()[j];
        p.loop = playlists[j].loop ? 1 : 0;
        for (std::size_t k = 0; k < playlists[j].entries.size(); ++k) {
            const bool automatic = k < playlists[j].autoTransitions.size() && playlists[j].autoTransitions[k];
            p.entries.push_back(PlaylistEntry{playlists[j].entries[k], automatic ? kTransitionAuto : kTransitionCut, 0});
        }
    }
    return disk.WriteFAT() != 0;
}
