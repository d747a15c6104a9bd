// The video module's objects as this library sees them: the decoder that feeds a video texture, the movie
// recorder and the transcoder. The module ("Pelmora010276Video") derives from these and makes them in
// counted blocks; the slots are called in the order declared here.
#pragma once

#include <cstdint>

#include "classes/InterfaceBase.h"

namespace PM {

// Called by the decoder (on its own thread) with width x height R8G8B8A8 pixels, bottom row first.
using VideoFrameFunction = void (*)(void* context, const uint8_t* pixels, int32_t width, int32_t height);
// Whether the receiver is ready for another frame; the decoder holds its frame back while it is not.
using VideoPendingFunction = bool (*)(void* context);

class VideoDecoder : public InterfaceBase {
 public:
  // 1: a short name of the container read ("mpeg", "avi", "asf").
  virtual const char* GetFormatName() = 0;
  // 2: where frames go; set before Open.
  virtual void SetFrameCallbacks(VideoFrameFunction frame, VideoPendingFunction pending, void* context) = 0;
  // 3: opens the file and reads its first frame's size; false (logged) when it cannot be played.
  virtual bool Open(const char* fileName) = 0;
  // 4-6: seconds, and the frame size in pixels (0 before Open).
  virtual double GetLength() = 0;
  virtual int32_t GetWidth() = 0;
  virtual int32_t GetHeight() = 0;
  // 7-8: the play position in seconds; setting it also delivers the frame there while paused.
  virtual void SetPosition(double seconds) = 0;
  virtual double GetPosition() = 0;
  // 9-10
  virtual void SetPaused(bool paused) = 0;
  virtual bool IsPaused() = 0;
  // 11: frames a second of the stream.
  virtual double GetFrameRate() = 0;
  // 12: playback reached the end (it stops there).
  virtual bool IsFinished() = 0;
  // 13: starts the decoder thread; playback begins at the current position.
  virtual void Start() = 0;
  // 14: called once a drawn frame: lets a held-back frame go out.
  virtual void Update() = 0;
  // 15: stops and joins the thread, closes the file; no frame function runs after it returns.
  virtual void Close() = 0;

 protected:
  ~VideoDecoder() = default;
};

class MovieRecorder : public InterfaceBase {
 public:
  // 1: a new file of width x height at `framesPerSecond`; the codec follows the extension: ".mpg" and
  //    ".mpeg" MPEG-1, ".avi" MPEG-4, ".wmv" and ".asf" WMV2. False (logged) on failure.
  virtual bool Open(const char* fileName, int32_t width, int32_t height, double framesPerSecond) = 0;
  // 2: one frame of R8G8B8A8 pixels, bottom row first, of the size given to Open.
  virtual bool AddFrame(const uint8_t* pixels) = 0;
  // 3: flushes the encoder and finishes the file.
  virtual bool Close() = 0;

 protected:
  ~MovieRecorder() = default;
};

class VideoTranscoder : public InterfaceBase {
 public:
  // 1: decodes `source` frame by frame into a new `target` (codec by its extension, as the recorder's).
  virtual bool Transcode(const char* source, const char* target) = 0;

 protected:
  ~VideoTranscoder() = default;
};

// The module's entry points (extern "C"); the decoder's takes the file extension, dot included.
using CreateVideoDecoderExtensionFn = VideoDecoder* (*)(const char* extension);
using CreateMovieRecorderFn = MovieRecorder* (*)();
using CreateVideoTranscoderFn = VideoTranscoder* (*)();

}  // namespace PM
