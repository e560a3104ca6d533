// A private folder for the fuzz targets that must hand the clip file reader
// a path: created once per process under $TMPDIR (else /dev/shm or /tmp)
// and removed with its files when the process ends.
#pragma once
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>

class CFuzzScratch {
public:
    static CFuzzScratch& Get()
    {
        static CFuzzScratch scratch;
        return scratch;
    }

    std::string File(const std::string& name) const { return dir_ + "/" + name; }

    // Replaces `name` with exactly these bytes; false when it cannot.
    bool Write(const std::string& name, const std::uint8_t* data, std::size_t size) const
    {
        std::ofstream out(File(name), std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
        return static_cast<bool>(out);
    }

    ~CFuzzScratch()
    {
        std::error_code ec;
        if (!dir_.empty())
            std::filesystem::remove_all(dir_, ec);
    }

private:
    CFuzzScratch()
    {
        // Memory-backed /dev/shm keeps the file writes of every run cheap.
        const char* tmp = std::getenv("TMPDIR");
        std::string base = tmp != nullptr && *tmp != 0 ? tmp : "/tmp";
        if ((tmp == nullptr || *tmp == 0) && ::access("/dev/shm", W_OK) == 0)
            base = "/dev/shm";
        std::string pattern = base + "/tessaro-fuzz-XXXXXX";
        if (::mkdtemp(pattern.data()) != nullptr)
            dir_ = pattern;
        else
            std::abort();
    }

    std::string dir_;
};
