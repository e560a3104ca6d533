#include "TableHistory.h"

#include "CardLayout.h"

#include <algorithm>
#include <cstdio>
#include <dirent.h>
#include <fstream>
#include <sstream>
#include <unistd.h>

namespace {

constexpr const char* kMagic = "tessaro table 1";
constexpr const char* kPrefix = "table-";
constexpr const char* kSuffix = ".txt";

// The sequence numbers of the kept files of `folder`, oldest first.
std::vector<long long> KeptNumbers(const std::string& folder)
{
    std::vector<long long> numbers;
    if (DIR* dir = opendir(folder.c_str())) {
        while (dirent* e = readdir(dir)) {
            const std::string name = e->d_name;
            const std::size_t prefix = std::char_traits<char>::length(kPrefix);
            const std::size_t suffix = std::char_traits<char>::length(kSuffix);
            if (name.size() <= prefix + suffix || name.compare(0, prefix, kPrefix) != 0 ||
                name.compare(name.size() - suffix, suffix, kSuffix) != 0)
                continue;
            const std::string digits = name.substr(prefix, name.size() - prefix - suffix);
            if (digits.find_first_not_of("0123456789") == std::string::npos && digits.size() < 18)
                numbers.push_back(std::stoll(digits));
        }
        closedir(dir);
    }
    std::sort(numbers.begin(), numbers.end());
    return numbers;
}

std::string FileOf(const std::string& folder, long long number)
{
    char name[40];
    std::snprintf(name, sizeof name, "%s%010lld%s", kPrefix, number, kSuffix);
    return folder + "/" + name;
}

std::string ToHex(const std::vector<std::uint8_t>& bytes)
{
    static const char kHex[] = "0123456789abcdef";
    std::string out;
    out.reserve(bytes.size() * 2);
    for (std::uint8_t b : bytes) {
        out += kHex[b >> 4];
        out += kHex[b & 15];
    }
    return out;
}

bool FromHex(const std::string& text, std::vector<std::uint8_t>& bytes)
{
    if (text.size() % 2 != 0)
        return false;
    bytes.clear();
    for (std::size_t i = 0; i < text.size(); i += 2) {
        int v = 0;
        for (int k = 0; k < 2; ++k) {
            const char c = text[i + static_cast<std::size_t>(k)];
            const int d = c >= '0' && c <= '9' ? c - '0' : (c >= 'a' && c <= 'f' ? c - 'a' + 10 : -1);
            if (d < 0)
                return false;
            v = v * 16 + d;
        }
        bytes.push_back(static_cast<std::uint8_t>(v));
    }
    return true;
}

bool ParseTable(std::istream& in, KeptTable& table)
{
    std::string line;
    if (!std::getline(in, line) || line != kMagic)
        return false;
    bool haveFat = false;
    while (std::getline(in, line)) {
        std::istringstream words(line);
        std::string key;
        words >> key;
        if (key == "time") {
            words >> table.time;
        } else if (key == "operation") {
            words >> table.operation;
        } else if (key == "clip") {
            KeptClip clip;
            unsigned long long sector = 0;
            unsigned frames = 0;
            std::string first;
            std::string last;
            words >> sector >> frames >> first >> last;
            if (!words || frames == 0 || frames > 0xFFFFu || sector > 0xFFFFFFFFull)
                return false;
            clip.firstSector = static_cast<std::uint32_t>(sector);
            clip.frames = static_cast<std::uint16_t>(frames);
            clip.known = FrameDigest::FromHex(first, clip.first) && FrameDigest::FromHex(last, clip.last);
            table.clips.push_back(clip);
        } else if (key == "fat") {
            std::string hex;
            words >> hex;
            haveFat = FromHex(hex, table.fat) && table.fat.size() == static_cast<std::size_t>(kFatSize);
        }
    }
    return haveFat;
}

} // namespace

bool SaveKeptTable(const std::string& folder, const KeptTable& table)
{
    if (folder.empty() || table.fat.size() != static_cast<std::size_t>(kFatSize))
        return false;
    std::vector<long long> numbers = KeptNumbers(folder);
    const long long number = numbers.empty() ? 1 : numbers.back() + 1;
    const std::string file = FileOf(folder, number);
    const std::string temporary = folder + "/.writing-" + std::to_string(getpid());
    {
        std::ofstream out(temporary, std::ios::trunc);
        out << kMagic << "\n"
            << "time " << table.time << "\n"
            << "operation " << table.operation << "\n";
        for (const KeptClip& c : table.clips) {
            out << "clip " << c.firstSector << " " << c.frames << " " << (c.known ? c.first.Hex() : "-") << " "
                << (c.known ? c.last.Hex() : "-") << "\n";
        }
        out << "fat " << ToHex(table.fat) << "\n";
        out.flush();
        if (!out) {
            out.close();
            unlink(temporary.c_str());
            return false;
        }
    }
    if (rename(temporary.c_str(), file.c_str()) != 0) {
        unlink(temporary.c_str());
        return false;
    }
    numbers.push_back(number);
    for (std::size_t i = 0; i + kHistoryLength < numbers.size(); ++i)
        unlink(FileOf(folder, numbers[i]).c_str());
    return true;
}

std::vector<KeptTable> LoadHistory(const std::string& folder)
{
    std::vector<KeptTable> tables;
    if (folder.empty())
        return tables;
    const std::vector<long long> numbers = KeptNumbers(folder);
    for (auto n = numbers.rbegin(); n != numbers.rend(); ++n) {
        std::ifstream in(FileOf(folder, *n));
        KeptTable table;
        if (in && ParseTable(in, table)) {
            table.file = FileOf(folder, *n);
            tables.push_back(std::move(table));
        }
    }
    return tables;
}
