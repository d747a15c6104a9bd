// The statistics pm-run's model view shows over the model (s): the frame rate, what the last frame drew,
// the up axis and draw mode, and the clip playing.
#pragma once

#include <chrono>
#include <string>

#include <pelmora/render/RenderPipe.h>

namespace PMHost {

class ViewStatistics {
 public:
  void Start(PM::RenderPipe_I* pipe) { m_pipe = pipe; }
  // Counts a frame begun now into the smoothed frame time.
  void FrameBegun();
  // The text: the frame rate, what the last frame drew (the overlay's own `overlayTextures` left out),
  // "up UP, MODE" and `clipLine`.
  std::string Text(int overlayTextures, const char* up, const char* mode, const std::string& clipLine) const;

 private:
  // The line of what the last frame drew, each kind named.
  std::string DrawnLine(int overlayTextures) const;

  PM::RenderPipe_I* m_pipe = nullptr;
  std::chrono::steady_clock::time_point m_lastFrame = std::chrono::steady_clock::now();
  double m_frameSeconds = 0;  // smoothed
};

}  // namespace PMHost
