#include "RealCapacity.h"

#include "CardLayout.h"
#include "StateFolder.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <string>
#include <unistd.h>

namespace {

constexpr const char* kFileName = "/capacity";

std::string CapacityFile(const CardIdentity& id, bool create)
{
    const std::string folder = CardStateFolder(id, create);
    return folder.empty() ? std::string() : folder + kFileName;
}

} // namespace

std::uint32_t ClustersWithin(std::uint64_t realBytes, std::uint32_t totalClusters)
{
    if (realBytes < static_cast<std::uint64_t>(kFatSize))
        return 0;
    return static_cast<std::uint32_t>(
        std::min<std::uint64_t>(totalClusters, (realBytes - kFatSize) / kClusterSize));
}

std::uint64_t KeptRealCapacity(const CardIdentity& id)
{
    const std::string path = CapacityFile(id, false);
    if (path.empty())
        return 0;
    std::FILE* file = std::fopen(path.c_str(), "re");
    if (file == nullptr)
        return 0;
    unsigned long long real = 0;
    unsigned long long reported = 0;
    const bool read = std::fscanf(file, "real_bytes=%llu reported_bytes=%llu", &real, &reported) == 2;
    std::fclose(file);
    if (!read || reported != id.sizeBytes || real >= reported)
        return 0;
    return real;
}

bool KeepRealCapacity(const CardIdentity& id, std::uint64_t realBytes)
{
    if (realBytes >= id.sizeBytes) {
        const std::string path = CapacityFile(id, false);
        return path.empty() || ::unlink(path.c_str()) == 0 || errno == ENOENT;
    }
    const std::string path = CapacityFile(id, true);
    if (path.empty())
        return false;
    // Written beside and renamed over: a cut leaves the old record or the
    // new one, never half of one.
    const std::string temporary = path + ".new";
    const int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    if (fd < 0)
        return false;
    char text[96];
    const int n = std::snprintf(text, sizeof text, "real_bytes=%llu\nreported_bytes=%llu\n",
                                static_cast<unsigned long long>(realBytes),
                                static_cast<unsigned long long>(id.sizeBytes));
    const bool ok = ::write(fd, text, static_cast<std::size_t>(n)) == n && ::fsync(fd) == 0;
    ::close(fd);
    if (!ok || ::rename(temporary.c_str(), path.c_str()) != 0) {
        ::unlink(temporary.c_str());
        return false;
    }
    return true;
}
