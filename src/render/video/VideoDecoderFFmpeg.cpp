#include "render/video/VideoDecoderFFmpeg.h"

#include <algorithm>
#include <cmath>

namespace PM {

namespace {

// How often a held frame is offered again while nothing else wakes the thread.
constexpr auto kOfferInterval = std::chrono::milliseconds(5);
// Frames decoded past a seek's key frame before the search gives up (about a minute at 60 fps).
constexpr int kMaxFramesPerSeek = 4096;

}  // namespace

void VideoDecoderFFmpeg::SetFrameCallbacks(VideoFrameFunction frame, VideoPendingFunction pending, void* context) {
  std::lock_guard<std::mutex> lock(m_mutex);
  m_frameFn = frame;
  m_pendingFn = pending;
  m_context = context;
}

bool VideoDecoderFFmpeg::Open(const char* fileName) {
  Close();
  if (!fileName || !m_stream.Open(fileName, m_formatName)) return false;
  std::lock_guard<std::mutex> lock(m_mutex);
  m_open = true;
  m_closing = m_finished = m_seekWanted = m_hasHeld = m_hasNext = false;
  m_position = m_basePosition = 0.0;
  m_width = m_stream.Width();
  m_height = m_stream.Height();
  m_length = m_stream.Length();
  m_frameRate = m_stream.FrameRate();
  return true;
}

double VideoDecoderFFmpeg::GetLength() {
  std::lock_guard<std::mutex> lock(m_mutex);
  return m_length;
}
int32_t VideoDecoderFFmpeg::GetWidth() {
  std::lock_guard<std::mutex> lock(m_mutex);
  return m_width;
}
int32_t VideoDecoderFFmpeg::GetHeight() {
  std::lock_guard<std::mutex> lock(m_mutex);
  return m_height;
}
double VideoDecoderFFmpeg::GetFrameRate() {
  std::lock_guard<std::mutex> lock(m_mutex);
  return m_frameRate;
}
bool VideoDecoderFFmpeg::IsFinished() {
  std::lock_guard<std::mutex> lock(m_mutex);
  return m_finished;
}
bool VideoDecoderFFmpeg::IsPaused() {
  std::lock_guard<std::mutex> lock(m_mutex);
  return m_paused;
}

void VideoDecoderFFmpeg::SetPosition(double seconds) {
  {
    std::lock_guard<std::mutex> lock(m_mutex);
    if (!m_open) return;
    // Not clamped to the length, which some containers only estimate: past the end shows the last frame.
    m_seekTarget = std::clamp(std::isnan(seconds) ? 0.0 : seconds, 0.0, 1e9);
    m_seekWanted = true;
    m_position = m_seekTarget;
  }
  m_wake.notify_all();
}

double VideoDecoderFFmpeg::GetPosition() {
  std::lock_guard<std::mutex> lock(m_mutex);
  return m_position;
}

void VideoDecoderFFmpeg::SetPaused(bool paused) {
  {
    std::lock_guard<std::mutex> lock(m_mutex);
    if (m_paused == paused) return;
    m_paused = paused;
    // Playing on resumes from the frame shown, not from where the clock would have been.
    m_basePosition = m_position;
    m_baseTime = Clock::now();
  }
  m_wake.notify_all();
}

void VideoDecoderFFmpeg::Start() {
  std::lock_guard<std::mutex> lock(m_mutex);
  if (!m_open || m_thread.joinable()) return;
  m_basePosition = m_position;
  m_baseTime = Clock::now();
  m_thread = std::thread([this] { Run(); });
}

void VideoDecoderFFmpeg::Update() { m_wake.notify_all(); }

void VideoDecoderFFmpeg::Close() {
  {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_closing = true;
  }
  m_wake.notify_all();
  if (m_thread.joinable()) m_thread.join();
  std::lock_guard<std::mutex> lock(m_mutex);
  m_stream.Close();
  m_open = false;
  m_hasHeld = false;
}

double VideoDecoderFFmpeg::ClockPosition(Clock::time_point now) const {
  return m_basePosition + std::chrono::duration<double>(now - m_baseTime).count();
}

bool VideoDecoderFFmpeg::OfferHeld() {
  VideoFrameFunction frame;
  VideoPendingFunction pending;
  void* context;
  {
    std::lock_guard<std::mutex> lock(m_mutex);
    frame = m_frameFn, pending = m_pendingFn, context = m_context;
  }
  if (!frame || (pending && !pending(context))) return false;
  frame(context, m_held.data(), m_width, m_height);
  m_hasHeld = false;
  return true;
}

bool VideoDecoderFFmpeg::DecodeTo(double target, std::vector<uint8_t>& pixels, double& time) {
  // The frame shown at `target` is the last one starting by then; half a frame absorbs rounding.
  const double slack = 0.5 / m_frameRate;
  m_hasNext = false;
  for (int attempt = 0; attempt < 2; ++attempt) {
    if (!(attempt == 0 ? m_stream.Seek(target) : m_stream.Rewind())) return false;
    bool found = false;
    for (int frames = 0; frames < kMaxFramesPerSeek; ++frames) {
      if (!m_stream.Next(m_next, m_nextTime)) return found;
      if (m_nextTime > target + slack) {
        // One frame past the target: kept for playing on. Past it at once: the container seeked too
        // far, and the search starts again from the first frame.
        if (found) {
          m_hasNext = true;
          return true;
        }
        break;
      }
      pixels.swap(m_next);
      time = m_nextTime;
      found = true;
    }
    if (found) return true;
  }
  return false;
}

void VideoDecoderFFmpeg::Run() {
  std::unique_lock<std::mutex> lock(m_mutex);
  while (!m_closing) {
    if (m_seekWanted) {
      const double target = m_seekTarget;
      m_seekWanted = false;
      lock.unlock();
      std::vector<uint8_t> pixels;
      double time = target;
      const bool found = DecodeTo(target, pixels, time);
      lock.lock();
      if (found) m_held.swap(pixels), m_hasHeld = true;
      m_finished = false;
      m_basePosition = target;
      m_baseTime = Clock::now();
      continue;
    }
    if (m_hasHeld) {
      lock.unlock();
      OfferHeld();
      lock.lock();
      if (m_seekWanted || m_closing) continue;
    }
    if (m_paused || m_finished) {
      if (m_hasHeld)
        m_wake.wait_for(lock, kOfferInterval);
      else
        m_wake.wait(lock);
      continue;
    }
    if (!m_hasNext) {
      lock.unlock();
      const bool more = m_stream.Next(m_next, m_nextTime);
      lock.lock();
      if (more)
        m_hasNext = true;
      else
        m_finished = true;  // playback stops at the end and shows the last frame
      continue;
    }
    const Clock::time_point now = Clock::now();
    if (m_nextTime <= ClockPosition(now)) {
      // Due: it replaces a frame the receiver has not taken yet.
      m_held.swap(m_next);
      m_hasHeld = true;
      m_hasNext = false;
      m_position = m_nextTime;
      continue;
    }
    Clock::time_point due = m_baseTime + std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(
                                             std::min(m_nextTime - m_basePosition, 3600.0)));
    if (m_hasHeld) due = std::min(due, now + kOfferInterval);
    m_wake.wait_until(lock, due);
  }
}

}  // namespace PM
