#include "AppCommandLine.h"

#include "Texts.h"
#include "UserLanguage.h"

#include <cstdio>
#include <string>

int RunAppCommandLine(int argc, char** argv)
{
    if (argc <= 1)
        return -1;
    const std::string arg = argv[1];
    if (argc == 2 && arg == "--version") {
        std::printf("tessaro %s\n", TESSARO_VERSION);
        return 0;
    }
    SetLanguage(DefaultLanguage());
    const std::string usage = LoadText(kIdsAppUsage);
    if (argc == 2 && (arg == "--help" || arg == "-h")) {
        std::printf("%s\n", usage.c_str());
        return 0;
    }
    std::fprintf(stderr, "%s\n", usage.c_str());
    return 2;
}
