#include "FirstConvertedFrame.h"

#include "CVideoConversion.h"
#include "DvFrame.h"
#include "IDvFrameSink.h"
#include "MediaResult.h"

#include <cstring>

namespace {

// Keeps the first frame and refuses the rest, which stops the conversion.
class CFirstFrameSink : public IDvFrameSink {
public:
    explicit CFirstFrameSink(std::uint8_t* frame) : frame_(frame) {}
    bool WriteFrame(const std::uint8_t* data, int size) override
    {
        if (got_ || size < kDvFrameSize)
            return false;
        std::memcpy(frame_, data, kDvFrameSize);
        got_ = true;
        return true;
    }
    bool Got() const { return got_; }

private:
    std::uint8_t* frame_;
    bool got_ = false;
};

} // namespace

bool FirstConvertedFrame(const std::string& path, DvAspect aspect, std::uint8_t* frame)
{
    CVideoConversion conversion;
    if (conversion.Open(path, aspect) != kMediaDone)
        return false;
    CFirstFrameSink sink(frame);
    ConversionReport report;
    conversion.Run(sink, [](int frames) { return frames < 1; }, report);
    return sink.Got();
}
