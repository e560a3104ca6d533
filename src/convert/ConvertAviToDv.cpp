#include "ConvertAviToDv.h"

#include "CDvFileSink.h"
#include "HasDirectX8.h"
#include "MediaGraph.h"

#include <sys/stat.h>

namespace {

// True when both paths name one existing file: creating the output would
// then destroy the source.
bool SameFile(const std::string& a, const std::string& b)
{
    struct stat sa {};
    struct stat sb {};
    return ::stat(a.c_str(), &sa) == 0 && ::stat(b.c_str(), &sb) == 0 && sa.st_dev == sb.st_dev &&
           sa.st_ino == sb.st_ino;
}

} // namespace

int ConvertAviToDv(const std::string& source, const std::string& output)
{
    if (!HasDirectX8())
        return kMediaNoDecoder;
    if (SameFile(source, output))
        return kMediaFileNotCreatable;
    CDvFileSink sink;
    if (!sink.Open(output))
        return kMediaFileNotCreatable;
    const MuxResult muxed = MuxAviToDv(source, sink);
    const bool closed = sink.Close();
    return muxed == kMuxDone && closed ? kMediaDone : kMediaGraphFailed;
}
