// The video module's factories, looked up by name by the library: decoders by file extension, the movie
// recorder and the transcoder, which decodes a file into the recorder frame by frame.
#include <string_view>

#include "core/Obj.h"

#include "render/video/MovieRecorderFFmpeg.h"
#include "render/video/VideoDecoderFFmpeg.h"
#include "render/video/VideoStream.h"
#include "render/video/VideoTranscoderFFmpeg.h"

extern "C" {

__attribute__((visibility("default"))) PM::VideoDecoder* CreateVideoDecoderExtension(const char* extension) {
  // ".gcv" has no decoder here: no description of that format exists.
  const char* format = PM::VideoStream::FormatOfExtension(extension ? extension : "");
  return format ? PM::NewCounted<PM::VideoDecoderFFmpeg>(format) : nullptr;
}

__attribute__((visibility("default"))) PM::MovieRecorder* CreateMovieRecorder() {
  return PM::NewCounted<PM::MovieRecorderFFmpeg>();
}

__attribute__((visibility("default"))) PM::VideoTranscoder* CreateVideoTranscoder() {
  return PM::NewCounted<PM::VideoTranscoderFFmpeg>();
}

}  // extern "C"
