// What the benchmarks share: the clock and its seconds, file sizes, a file
// dropped from the system's cache, the median of runs, the
// command line [count] [folder] [--keep], and the best time of each side
// when ours and the ffmpeg tool run alternately on the same input.
#pragma once

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <string>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

using Clock = std::chrono::steady_clock;

inline double Seconds(Clock::duration d) { return std::chrono::duration<double>(d).count(); }

// Writes back what the system holds of `path` and drops it from the cache,
// so that the next read of it reads the disk.
inline void DropFromCache(const std::string& path)
{
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return;
    ::fdatasync(fd);
    ::posix_fadvise(fd, 0, 0, POSIX_FADV_DONTNEED);
    ::close(fd);
}

// The median of `v`; 0 for no runs.
inline double Median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}

inline long long FileSize(const std::string& path)
{
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 ? static_cast<long long>(st.st_size) : -1;
}

// [count] [folder] [--keep]; the folder is $TMPDIR or /tmp by default.
// `option(argv, i)` sees every other argument starting with "--" first and
// says whether it took it (moving i past a value it read).
struct BenchArgs {
    int count = 0;
    std::string folder;
    bool keep = false;
};

template <typename Option>
BenchArgs ParseBenchArgs(int argc, char** argv, int defaultCount, Option option)
{
    BenchArgs args;
    args.count = defaultCount;
    const char* tmp = std::getenv("TMPDIR");
    args.folder = tmp != nullptr && tmp[0] != 0 ? tmp : "/tmp";
    int positional = 0;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        if (a == "--keep")
            args.keep = true;
        else if (a.rfind("--", 0) == 0 && option(argv, i))
            continue;
        else if (positional++ == 0)
            args.count = std::atoi(argv[i]);
        else
            args.folder = a;
    }
    return args;
}

inline BenchArgs ParseBenchArgs(int argc, char** argv, int defaultCount)
{
    return ParseBenchArgs(argc, argv, defaultCount, [](char**, int&) { return false; });
}

// Runs ours, then theirs, `rounds` times; each side's best time in seconds.
struct BestTimes {
    double ours = 1e9;
    double theirs = 1e9;
};

template <typename Ours, typename Theirs>
BestTimes BestOfAlternating(int rounds, Ours ours, Theirs theirs)
{
    BestTimes best;
    for (int round = 0; round < rounds; ++round) {
        const auto t0 = Clock::now();
        ours();
        const auto t1 = Clock::now();
        theirs();
        const auto t2 = Clock::now();
        best.ours = std::min(best.ours, Seconds(t1 - t0));
        best.theirs = std::min(best.theirs, Seconds(t2 - t1));
    }
    return best;
}
