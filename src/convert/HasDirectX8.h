// The probe for the decoding runtime that frame pictures, the preview and
// the conversion need: FFmpeg's DV video decoder. Probed once per run.
#pragma once

// True when FFmpeg's DV video decoder is available. The first call probes;
// every later call returns the same answer.
bool HasDirectX8();
