// Result codes of the frame decoder and of the AVI-to-DV conversion.
#pragma once

enum MediaResult : int {
    kMediaDone = 0,            // decoded, or converted
    kMediaNoDecoder = 1,       // the DV decoder is missing: nothing was done
    kMediaFileNotCreatable = 2, // the temporary or output file cannot be created
    kMediaGraphFailed = 3,     // the media graph cannot read, decode or write
};
