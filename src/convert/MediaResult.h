// Result codes of the frame decoder and of the conversions.
#pragma once

enum MediaResult : int {
    kMediaDone = 0,            // decoded, or converted
    kMediaNoDecoder = 1,       // the DV decoder (or encoder) is missing: nothing was done
    kMediaFileNotCreatable = 2, // the temporary or output file cannot be created
    kMediaGraphFailed = 3,     // the media graph cannot read, decode or write
    kMediaAborted = 4,         // a conversion stopped by Abort; its output is removed
    kMediaNotVideo = 5,        // the source holds no video that decodes; no output is made
    kMediaWriteFailed = 6,     // a conversion could not write its output (a full disk); output removed
};
