// The entry points into the video module "Pelmora010276Video.DLL": each loads the module, resolves its
// factory and calls it. The object made keeps the module loaded until it is destroyed.
#pragma once

#include "core/Obj.h"
#include "render/VideoDecoder.h"

namespace PM {

inline constexpr const char kVideoModuleName[] = "Pelmora010276Video.DLL";

// Null when the module is not there (silently) or lacks the factory (logged at Error level).
Ptr<MovieRecorder> CreateMovieRecorder();
Ptr<VideoDecoder> CreateVideoDecoderExtension(const char* extension);
Ptr<VideoTranscoder> CreateVideoTranscoder();

}  // namespace PM
