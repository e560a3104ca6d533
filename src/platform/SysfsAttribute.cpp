#include "SysfsAttribute.h"

#include <fstream>

std::string ReadSysfsLine(const std::string& file)
{
    std::ifstream in(file);
    std::string line;
    std::getline(in, line);
    const std::size_t first = line.find_first_not_of(" \t\r\n");
    if (first == std::string::npos)
        return "";
    const std::size_t last = line.find_last_not_of(" \t\r\n");
    return line.substr(first, last - first + 1);
}
