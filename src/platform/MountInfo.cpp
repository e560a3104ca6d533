#include "MountInfo.h"

#include <dirent.h>
#include <fstream>
#include <set>
#include <sstream>
#include <sys/stat.h>

namespace {

std::string ReadDevNumber(const std::string& dir)
{
    std::ifstream in(dir + "/dev");
    std::string number;
    in >> number;
    return number;
}

// "major:minor" of the disk and of each of its partitions (the folders
// below the disk that carry a "partition" attribute).
std::set<std::string> DevNumbersOfDisk(const std::string& disk)
{
    std::set<std::string> numbers;
    const std::string own = ReadDevNumber(disk);
    if (own.empty())
        return numbers;
    numbers.insert(own);
    if (DIR* dir = opendir(disk.c_str())) {
        while (dirent* e = readdir(dir)) {
            const std::string sub = disk + "/" + e->d_name;
            struct stat st {};
            if (e->d_name[0] != '.' && stat((sub + "/partition").c_str(), &st) == 0) {
                const std::string number = ReadDevNumber(sub);
                if (!number.empty())
                    numbers.insert(number);
            }
        }
        closedir(dir);
    }
    return numbers;
}

// Mount points escape blanks, tabs, newlines and backslashes as \ooo.
std::string Unescape(const std::string& field)
{
    std::string out;
    for (std::size_t i = 0; i < field.size(); ++i) {
        if (field[i] == '\\' && i + 3 < field.size() &&
            field.find_first_not_of("01234567", i + 1) >= i + 4) {
            out += static_cast<char>(std::stoi(field.substr(i + 1, 3), nullptr, 8));
            i += 3;
            continue;
        }
        out += field[i];
    }
    return out;
}

} // namespace

std::string MountPointOfDisk(const std::string& name, const std::string& sysRoot,
                             const std::string& mountInfo)
{
    if (name.empty() || name.find('/') != std::string::npos)
        return "";
    const std::set<std::string> numbers = DevNumbersOfDisk(sysRoot + "/block/" + name);
    if (numbers.empty())
        return "";
    // Each line: mount id, parent id, major:minor, root, mount point, ...
    std::ifstream in(mountInfo);
    std::string line;
    while (std::getline(in, line)) {
        std::istringstream fields(line);
        std::string id, parent, number, root, point;
        if (fields >> id >> parent >> number >> root >> point && numbers.count(number) != 0)
            return Unescape(point);
    }
    return "";
}
