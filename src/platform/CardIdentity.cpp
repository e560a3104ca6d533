#include "CardIdentity.h"

#include "SysfsAttribute.h"

#include <climits>
#include <cstdlib>
#include <fstream>
#include <unistd.h>

namespace {

std::string RealPath(const std::string& path)
{
    std::string out;
    if (char* real = realpath(path.c_str(), nullptr)) {
        out = real;
        std::free(real);
    }
    return out;
}

// The serial of the disk's device: the MMC card's own (device/serial), else
// that of the nearest parent device that has one (the USB device of a
// reader), up to the root of the device tree.
std::string DeviceSerial(const std::string& disk, const std::string& sysRoot)
{
    std::string serial = ReadSysfsLine(disk + "/device/serial");
    if (!serial.empty())
        return serial;
    std::string dir = RealPath(disk + "/device");
    const std::string devices = RealPath(sysRoot + "/devices");
    while (!dir.empty() && !devices.empty() && dir.size() > devices.size() && dir.compare(0, devices.size(), devices) == 0) {
        serial = ReadSysfsLine(dir + "/serial");
        if (!serial.empty())
            return serial;
        dir = dir.substr(0, dir.find_last_of('/'));
    }
    return "";
}

// `text` with every byte outside letters, digits, '.' and '-' written as
// "_XX" (hex), so that different texts give different names.
std::string Escape(const std::string& text)
{
    static const char kHex[] = "0123456789abcdef";
    std::string out;
    for (unsigned char c : text) {
        if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '.' || c == '-') {
            out += static_cast<char>(c);
        } else {
            out += '_';
            out += kHex[c >> 4];
            out += kHex[c & 15];
        }
    }
    return out;
}

// A file name stays well below the 255 bytes that file systems allow: a
// longer key keeps its end and a 64-bit FNV-1a hash of the whole.
std::string Shorten(const std::string& key)
{
    constexpr std::size_t kMax = 160;
    if (key.size() <= kMax)
        return key;
    std::uint64_t hash = 14695981039346656037ull;
    for (unsigned char c : key) {
        hash ^= c;
        hash *= 1099511628211ull;
    }
    char hex[17];
    static const char kHex[] = "0123456789abcdef";
    for (int i = 15; i >= 0; --i, hash >>= 4)
        hex[i] = kHex[hash & 15];
    hex[16] = 0;
    return std::string(hex) + "-" + key.substr(key.size() - (kMax - 17));
}

} // namespace

std::string CardIdentity::Key() const
{
    const std::string size = std::to_string(sizeBytes);
    if (image)
        return path.empty() ? "" : Shorten("image-" + Escape(path) + "-" + size);
    if (!serial.empty())
        return Shorten("serial-" + Escape(serial) + "-" + size);
    if (!model.empty())
        return Shorten("model-" + Escape(model) + "-" + size);
    return "";
}

bool CardIdentity::SameCard(const CardIdentity& other) const
{
    if (path != other.path || sizeBytes != other.sizeBytes)
        return false;
    return diskseq == 0 || other.diskseq == 0 || diskseq == other.diskseq;
}

CardIdentity IdentifyCard(const std::string& path, bool image, std::uint64_t sizeBytes, const std::string& sysRoot)
{
    CardIdentity id;
    id.image = image;
    id.sizeBytes = sizeBytes;
    if (image) {
        // The folder of an image does not change with the working folder
        // it was named from.
        std::string absolute = RealPath(path);
        if (absolute.empty() && !path.empty() && path[0] != '/') {
            char cwd[PATH_MAX];
            if (getcwd(cwd, sizeof cwd) != nullptr)
                absolute = std::string(cwd) + "/" + path;
        }
        id.path = absolute.empty() ? path : absolute;
        return id;
    }
    id.path = path;
    const std::string name = DeviceNodeName(path);
    if (name.empty())
        return id;
    const std::string disk = sysRoot + "/block/" + name;
    id.diskseq = std::strtoull(ReadSysfsLine(disk + "/diskseq").c_str(), nullptr, 10);
    id.serial = DeviceSerial(disk, sysRoot);
    id.model = DiskModel(name, sysRoot);
    return id;
}
