// A unique temporary file in $TMPDIR (or /tmp), or in a folder given,
// created empty and removed again when the object goes, on every path.
#pragma once
#include <string>

class CTempFile {
public:
    CTempFile() = default;
    ~CTempFile();
    CTempFile(const CTempFile&) = delete;
    CTempFile& operator=(const CTempFile&) = delete;

    // Creates a new empty file named `prefix` followed by six unique
    // characters and keeps it open for writing. False when it cannot be made.
    bool Create(const char* prefix);
    // The same in `folder`.
    bool Create(const char* prefix, const std::string& folder);
    int Fd() const { return fd_; }
    const std::string& Path() const { return path_; }
    // Closes the descriptor; false when the close reports a failed write.
    bool CloseFd();

    // The folder temporary files go to: $TMPDIR when set, else /tmp.
    static std::string Folder();

private:
    int fd_ = -1;
    std::string path_;
};
