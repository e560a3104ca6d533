// Parsing of the command line.
#include "CliOptions.h"

#include <cerrno>
#include <cstdlib>

bool ParseNumber(const std::string& text, long long& value)
{
    if (text.empty() || text.size() > 18)
        return false;
    for (char c : text) {
        if (c < '0' || c > '9')
            return false;
    }
    value = std::strtoll(text.c_str(), nullptr, 10);
    return true;
}

namespace {

bool TakeNumber(int argc, char** argv, int& i, int& out, CliOptions& o)
{
    const std::string name = argv[i];
    long long v = 0;
    if (i + 1 >= argc || !ParseNumber(argv[i + 1], v) || v > 1000000) {
        o.error = name;
        return false;
    }
    out = static_cast<int>(v);
    ++i;
    return true;
}

} // namespace

CliOptions ParseCliOptions(int argc, char** argv)
{
    CliOptions o;
    bool endOfOptions = false;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        if (!endOfOptions && a == "--") {
            endOfOptions = true;
            continue;
        }
        if (endOfOptions || a.size() < 2 || a.compare(0, 2, "--") != 0) {
            if (o.command.empty())
                o.command = a;
            else
                o.args.push_back(a);
            continue;
        }
        o.given.push_back(a);
        if (a == "--yes") {
            o.yes = true;
        } else if (a == "--json") {
            o.json = true;
        } else if (a == "--help") {
            o.help = true;
        } else if (a == "--version") {
            o.version = true;
        } else if (a == "--convert") {
            o.convert = true;
        } else if (a == "--aspect") {
            const std::string v = i + 1 < argc ? argv[i + 1] : "";
            if (v != "4:3" && v != "16:9") {
                o.error = a;
                return o;
            }
            o.aspect = v == "16:9" ? 1 : 0;
            ++i;
        } else if (a == "--keep") {
            if (i + 1 >= argc || argv[i + 1][0] == '\0') {
                o.error = a;
                return o;
            }
            o.keep = argv[++i];
        } else if (a == "--no-verify") {
            o.noVerify = true;
        } else if (a == "--all") {
            o.all = true;
        } else if (a == "--lang") {
            if (i + 1 >= argc || (std::string(argv[i + 1]) != "en" && std::string(argv[i + 1]) != "ru")) {
                o.error = a;
                return o;
            }
            o.language = std::string(argv[++i]) == "ru" ? 1 : 0;
        } else if (a == "--slot") {
            if (!TakeNumber(argc, argv, i, o.slot, o))
                return o;
        } else if (a == "--at") {
            if (!TakeNumber(argc, argv, i, o.at, o))
                return o;
        } else if (a == "--table") {
            if (!TakeNumber(argc, argv, i, o.table, o))
                return o;
        } else if (a == "--partial") {
            o.partial = true;
        } else if (a == "--runs") {
            o.runs = true;
            // The list is optional: the next word is taken when it is one.
            const std::string v = i + 1 < argc ? argv[i + 1] : "";
            if (!v.empty() && v.find_first_not_of("0123456789,-") == std::string::npos) {
                o.runList = v;
                ++i;
            }
        } else if (a == "--size") {
            if (!TakeNumber(argc, argv, i, o.size, o))
                return o;
        } else {
            o.error = a;
            return o;
        }
    }
    return o;
}
