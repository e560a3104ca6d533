// tessaro-card: parses the command line, sets the language and the
// settings file, and runs one command.
#include "CardCli.h"

#include "CliCommands.h"
#include "CliExitStatus.h"
#include "CliSession.h"
#include "MediaLog.h"
#include "Paths.h"
#include "Settings.h"
#include "Texts.h"
#include "UserLanguage.h"

#include <cstdio>
#include <string>
#include <vector>

namespace {

struct Command {
    const char* name;
    int (*run)(CCliSession&);
    std::vector<std::string> options; // options allowed beyond --yes and --lang
};

const std::vector<Command>& Commands()
{
    static const std::vector<Command> commands = {
        {"devices", CmdDevices, {}},
        {"mkimage", CmdMkImage, {}},
        {"info", CmdInfo, {"--json"}},
        {"format", CmdFormat, {}},
        {"write", CmdWrite, {"--slot", "--convert", "--aspect", "--keep", "--no-verify"}},
        {"read", CmdRead, {}},
        {"delete", CmdDelete, {}},
        {"rename", CmdRename, {}},
        {"playlist", CmdPlaylist, {"--at"}},
        {"check", CmdCheck, {"--json"}},
        {"convert", CmdConvert, {"--aspect"}},
        {"frame", CmdFrame, {"--size"}},
        {"backup", CmdBackup, {"--json", "--no-verify"}},
        {"restore", CmdRestore, {"--json", "--no-verify"}},
        {"clone", CmdClone, {"--json", "--no-verify"}},
        {"probe", CmdProbe, {"--json"}},
        {"scan", CmdScan, {"--json", "--all"}},
        {"recover", CmdRecover, {"--json", "--table", "--partial", "--runs"}},
    };
    return commands;
}

int Usage()
{
    std::fflush(stdout);
    std::fprintf(stderr, "%s\n", LoadText(kIdsCliUsage).c_str());
    return kExitUsage;
}

// Asked for: the usage text on standard output.
int Help()
{
    std::printf("%s\n", LoadText(kIdsCliUsage).c_str());
    return kExitDone;
}

bool OptionsAllowed(const CliOptions& o, const Command& c)
{
    for (const std::string& given : o.given) {
        if (given == "--yes" || given == "--lang")
            continue;
        bool allowed = false;
        for (const std::string& name : c.options)
            allowed = allowed || name == given;
        if (!allowed)
            return false;
    }
    return true;
}

} // namespace

int RunCardCli(int argc, char** argv, const CEnvironment& env)
{
    const CliOptions options = ParseCliOptions(argc, argv);
    RouteMediaLog();
    SetLanguage(options.language >= 0 ? options.language : DefaultLanguage());
    if (SettingsPath().empty())
        SetSettingsPath(AppDataPath(".ini"));
    if (options.version) {
        std::printf("tessaro-card %s\n", TESSARO_VERSION);
        return kExitDone;
    }
    if (options.help || options.command == "help")
        return Help();
    if (!options.error.empty() || options.command.empty())
        return Usage();
    for (const Command& command : Commands()) {
        if (options.command != command.name)
            continue;
        if (!OptionsAllowed(options, command))
            return Usage();
        CCliSession session(options, env);
        const int status = command.run(session);
        // A usage error that a command explained itself needs no usage text.
        return status == kExitUsage && !session.ErrorPrinted() ? Usage() : status;
    }
    std::fprintf(stderr, "%s\n", FormatText(kIdsCliUnknownCommand, options.command.c_str()).c_str());
    return Usage();
}
