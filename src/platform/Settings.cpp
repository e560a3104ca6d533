#include "Settings.h"

#include "Paths.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <strings.h>
#include <unistd.h>
#include <vector>

namespace {

std::string g_path;
unsigned g_pointings = 0;

std::string Trim(const std::string& s)
{
    std::size_t b = s.find_first_not_of(" \t\r");
    if (b == std::string::npos)
        return std::string();
    std::size_t e = s.find_last_not_of(" \t\r");
    return s.substr(b, e - b + 1);
}

bool SameName(const std::string& a, const std::string& b)
{
    return strcasecmp(a.c_str(), b.c_str()) == 0;
}

std::vector<std::string> ReadLines(const std::string& path)
{
    std::vector<std::string> lines;
    std::ifstream in(path);
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        lines.push_back(line);
    }
    return lines;
}

// Section name of a "[name]" line, or false.
bool SectionOf(const std::string& line, std::string& name)
{
    std::string t = Trim(line);
    if (t.size() < 2 || t.front() != '[' || t.back() != ']')
        return false;
    name = Trim(t.substr(1, t.size() - 2));
    return true;
}

// Key and value of a "key=value" line, or false.
bool KeyOf(const std::string& line, std::string& key, std::string& value)
{
    std::size_t eq = line.find('=');
    if (eq == std::string::npos)
        return false;
    key = Trim(line.substr(0, eq));
    value = Trim(line.substr(eq + 1));
    return !key.empty() && key[0] != ';';
}

bool Lookup(const std::string& section, const std::string& key, std::string& value)
{
    std::string current;
    bool inSection = false;
    for (const std::string& line : ReadLines(SettingsPath())) {
        std::string name, k, v;
        if (SectionOf(line, name)) {
            inSection = SameName(name, section);
        } else if (inSection && KeyOf(line, k, v) && SameName(k, key)) {
            value = v;
            return true;
        }
    }
    return false;
}

// Writes the lines to a temporary file beside the settings file and renames
// it over the old one, so a failed write never leaves half a file.
bool WriteLines(const std::string& path, const std::vector<std::string>& lines)
{
    std::string tmp = path + ".tmp";
    {
        std::ofstream out(tmp, std::ios::trunc);
        if (!out)
            return false;
        for (const std::string& l : lines)
            out << l << '\n';
        out.flush();
        if (!out) {
            out.close();
            unlink(tmp.c_str());
            return false;
        }
    }
    if (std::rename(tmp.c_str(), path.c_str()) != 0) {
        unlink(tmp.c_str());
        return false;
    }
    return true;
}

} // namespace

void SetSettingsPath(const std::string& path)
{
    g_path = path;
    ++g_pointings;
}

unsigned SettingsPointings() { return g_pointings; }

std::string SettingsPath()
{
    if (g_path.empty())
        g_path = AppDataPath(".ini");
    return g_path;
}

int GetProfileInt(const std::string& section, const std::string& key, int defaultValue)
{
    std::string value;
    if (!Lookup(section, key, value))
        return defaultValue;
    // Like the profile functions: leading sign and digits; no digits give 0.
    return static_cast<int>(std::strtol(value.c_str(), nullptr, 10));
}

std::string GetProfileString(const std::string& section, const std::string& key,
                             const std::string& defaultValue)
{
    std::string value;
    if (!Lookup(section, key, value))
        return defaultValue;
    return value;
}

bool WriteProfileString(const std::string& section, const std::string& key,
                        const std::string& value)
{
    const std::string path = SettingsPath();
    std::vector<std::string> lines = ReadLines(path);
    const std::string entry = key + "=" + value;

    int sectionLine = -1;
    int lastInSection = -1;
    bool inSection = false;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        std::string name, k, v;
        if (SectionOf(lines[i], name)) {
            inSection = SameName(name, section);
            if (inSection && sectionLine < 0) {
                sectionLine = static_cast<int>(i);
                lastInSection = static_cast<int>(i);
            }
            continue;
        }
        if (!inSection)
            continue;
        if (KeyOf(lines[i], k, v) && SameName(k, key)) {
            // The existing key keeps its spelling; only the value changes.
            lines[i] = k + "=" + value;
            return WriteLines(path, lines);
        }
        if (!Trim(lines[i]).empty())
            lastInSection = static_cast<int>(i);
    }
    if (sectionLine < 0) {
        lines.push_back("[" + section + "]");
        lines.push_back(entry);
    } else {
        lines.insert(lines.begin() + lastInSection + 1, entry);
    }
    return WriteLines(path, lines);
}

bool WriteProfileInt(const std::string& section, const std::string& key, int value)
{
    return WriteProfileString(section, key, std::to_string(value));
}
