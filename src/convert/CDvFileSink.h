// CDvFileSink: the raw DV file a conversion writes. Each muxed frame is
// appended as it comes; nothing else is written, and there is no header.
#pragma once
#include "IDvFrameSink.h"

#include <string>

class CDvFileSink : public IDvFrameSink {
public:
    CDvFileSink() = default;
    ~CDvFileSink() override;
    CDvFileSink(const CDvFileSink&) = delete;
    CDvFileSink& operator=(const CDvFileSink&) = delete;

    // Creates `path` for writing, truncating an existing file. False when it
    // cannot be created or is not a regular file (a device, a pipe).
    bool Open(const std::string& path);
    // Opens `output` as the file a conversion of `source` writes; false
    // also when `output` names `source` itself (it is not touched then).
    bool OpenConversionOutput(const std::string& source, const std::string& output);
    bool IsOpen() const { return fd_ >= 0; }
    // Closes the file; false when the close reports that written data was
    // lost. Harmless when nothing is open.
    bool Close();

    // Appends the bytes at the end of the file. False when the file is not
    // open or they could not all be written (a full disk).
    bool WriteFrame(const std::uint8_t* data, int size) override;

private:
    // True when both paths name one existing file: creating the output of
    // a conversion would then destroy its source.
    static bool SameFile(const std::string& a, const std::string& b);

    int fd_ = -1;
};
