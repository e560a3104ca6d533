#include "CardCli.h"

#include "CDisk.h"
#include "Texts.h"

#include <cstdio>
#include <string>

namespace {

int Usage()
{
    std::fprintf(stderr, "usage: tessaro-card info CARD\n");
    return 2;
}

int Info(const std::string& path)
{
    CDisk disk;
    int r = disk.OpenPath(path);
    if (r != 0) {
        std::fprintf(stderr, "%s: %s\n", path.c_str(), LoadText(10015).c_str());
        return 1;
    }
    std::printf("%s: %u MB, %u clusters\n", path.c_str(), disk.SizeMB(), disk.TotalClusters());
    if (!disk.ReadFAT()) {
        std::printf("%s\n", LoadText(10035).c_str());
        return 0;
    }
    std::printf("free clusters: %d\n", disk.FreeClusters());
    for (std::size_t i = 0; i < disk.Clips().size(); ++i) {
        const ClipRecord& c = disk.Clips()[i];
        if (c.frames != 0)
            std::printf("%02d: %d frames at sector %u\n", static_cast<int>(i) + 1, c.frames, c.firstSector);
    }
    return 0;
}

} // namespace

int RunCardCli(int argc, char** argv)
{
    if (argc == 3 && std::string(argv[1]) == "info")
        return Info(argv[2]);
    return Usage();
}
