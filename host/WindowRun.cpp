#include "WindowRun.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <thread>

#include <pelmora/core/ErrorTally.h>
#include <pelmora/core/Log.h>
#include <pelmora/engine/Image.h>
#include <pelmora/engine/RenderEngine.h>
#include <pelmora/platform/InertText.h>
#include <pelmora/platform/MessageQueue.h>
#include <pelmora/render/RenderStatistics.h>
#include <pelmora/script/object/ClassDatabase.h>
#include <pelmora/storage/Streams.h>
#include <pelmora/ui/ChannelViewport.h>
#include <pelmora/ui/Widget.h>
#include <pelmora/ui/WidgetInputTracker.h>
#include <pelmora/ui/Window.h>

#include "PictureFile.h"

namespace PMHost {

using namespace PM;

namespace {

constexpr int kMaxMessagesPerFrame = 1000;
constexpr auto kFramePeriod = std::chrono::microseconds(16667);
constexpr double kStep = 1.0 / 60;

extern "C" void PrintWidgetEvent(uint32_t, Widget_I* widget, WHandler_I*, uint32_t event, WidgetInput*) {
  // The scripts' own print output goes first, so that the lines keep their order.
  PrintPipe()->Flush();
  std::printf("event %s %s\n", widget->m_name.CStr(), MemberName(event));
  std::fflush(stdout);
}

enum class WindowState { kOpen, kCloseAsked, kGone };

// Hands the window's messages to the pipe (which passes pointer and keys to its tracker, notes a close
// request and lets go of a window destroyed from outside); what became of the window.
WindowState PumpMessages(RenderPipe_I* pipe) {
  WindowMessage message;
  int messages = 0;
  for (; messages < kMaxMessagesPerFrame && PeekMessage(&message, nullptr, PM_REMOVE); ++messages)
    if (!pipe->FilterMessage(&message)) DispatchMessage(&message);
  if (messages == kMaxMessagesPerFrame)
    LogWarn("pm-run: more than ", kMaxMessagesPerFrame, " window messages in one frame; the rest wait.");
  if (!pipe->GetWindowHandle() || !pipe->GetRenderEngine()) return WindowState::kGone;
  return pipe->IsCloseRequested() ? WindowState::kCloseAsked : WindowState::kOpen;
}

// Frames counted by --frames without a pipe: the steps alone.
void StepOnly(ScriptNamespace* names, const Effects& effects, int frames) {
  for (int frame = 0; frame < frames; ++frame) {
    StepSchedulers(names, (frame + 1) * kStep);
    for (const Obj<ParticleEffect>& e : effects) e->Update(kStep);
  }
}

// The frames of an open pipe.
class FrameLoop {
 public:
  FrameLoop(ScriptNamespace* names, RenderPipe_I* pipe, const Effects& effects, const FrameRequest& request)
      : m_names(names), m_pipe(pipe), m_effects(effects), m_request(request) {}

  // Draws until the count is reached or the window closes; the number of frames drawn.
  int Run();
  WindowState Ended() const { return m_ended; }
  // The statistics of the last frame drawn (null before the first).
  RenderStatistics_I* LastStatistics() const { return m_stats.Get(); }
  bool Photographed() const { return m_photographed; }
  // A sequence's picture could not be written (told once; the frames after it write none).
  bool SequenceFailed() const { return m_sequenceFailed; }
  // The errors reported since the last frame began (those of a frame whose window went meanwhile).
  uint64_t ErrorsOfLastFrame() const { return ErrorReportCount() - m_errorsBefore; }

 private:
  void TakeInput();
  void Draw(double time, double step, bool photograph);

  ScriptNamespace* m_names;
  RenderPipe_I* m_pipe;
  const Effects& m_effects;
  const FrameRequest& m_request;
  Ptr<RenderSystemTraverse_I> m_traverse;
  TWindow_I* m_window = nullptr;  // --window: the TWindow "ui" the input goes to
  WidgetInputTracker* m_input = nullptr;
  WidgetInput m_record;
  Ptr<RenderStatistics_I> m_stats;
  WindowState m_ended = WindowState::kOpen;
  bool m_photographed = false;
  bool m_sequenceFailed = false;
  uint64_t m_errorsBefore = 0;
};

void FrameLoop::TakeInput() {
  if (!m_window) return;
  // Read each frame: the window may have been moved or resized.
  int32_t left = 0, top = 0, width = 0, height = 0;
  m_pipe->GetWindowRect(&left, &top, &width, &height);
  m_input->SetClientRect(left, top, width, height);
  m_input->Fill(m_record, m_window);
  m_window->DispatchInput(&m_record);
}

void FrameLoop::Draw(double time, double step, bool photograph) {
  if (photograph) {
    // Threaded texture loads finish before the photographed frame, so the picture does not depend on
    // the loaders' timing.
    WaitForTextureLoads();
    m_pipe->RequestScreenShot(false, false);
    m_photographed = true;
  }
  if (m_request.pointSize) {
    // The window's size as it is now (a resized window's), else the pipe's own without a window.
    int32_t left = 0, top = 0, width = 0, height = 0;
    m_pipe->GetWindowRect(&left, &top, &width, &height);
    if (width <= 0 || height <= 0) {
      const Vector2f size = m_pipe->GetResolution();
      width = int32_t(size.x), height = int32_t(size.y);
    }
    if (RenderEngine* engine = m_pipe->GetRenderEngine()) engine->SetPointSize(m_request.pointSize(width, height));
  }
  m_traverse->Draw(time, step, 0);
  m_traverse->Present(0);
  if (m_request.stats) m_stats = m_pipe->GetStatistics();
}

int FrameLoop::Run() {
  const bool window = m_request.frames == 0;
  if (window && m_request.input) {
    m_pipe->SetInputTracker(m_request.input.Get());
  } else if (window) {
    ScriptObject* found = m_names->FindObject(String("ui"));
    m_window = found && found->IsA(TWindow_I::kClassId) ? static_cast<TWindow_I*>(found) : nullptr;
    m_input = NewCounted<WidgetInputTracker>();
    m_pipe->SetInputTracker(m_input);  // the pipe holds it
  }
  if (!m_request.engineType.empty()) m_pipe->m_renderEngineType = String(m_request.engineType.c_str());
  // A Direct3D 8 back buffer can be read only when it was made lockable; OpenGL ignores the flag.
  if (!m_request.screenshot.empty()) m_pipe->m_bufferBackColorAccessEnable = true;
  m_pipe->ApplyFormat();
  if (!m_pipe->GetWindowHandle() || !m_pipe->GetRenderEngine()) return -1;  // the pipe said why
  m_traverse = MakeTraverse(m_names, m_pipe, m_request.passes);

  const auto start = std::chrono::steady_clock::now();
  auto next = start;
  double last = 0;
  int drawn = 0;
  for (; window || drawn < m_request.frames; ++drawn) {
    m_ended = PumpMessages(m_pipe);
    if (m_ended != WindowState::kOpen) break;
    m_errorsBefore = ErrorReportCount();
    TakeInput();
    if (m_request.beforeFrame && !m_request.beforeFrame()) {
      m_ended = WindowState::kCloseAsked;
      break;
    }
    const double now =
        window ? std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count() : (drawn + 1) * kStep;
    if (m_request.stepAnimation)
      m_request.stepAnimation(now);
    else
      StepSchedulers(m_names, now);
    for (const Obj<ParticleEffect>& e : m_effects) e->Update(window ? now - last : kStep);
    // The widget's place as the last draw found it; the first frame draws the script's own Viewport.
    if (window && drawn > 0) CopyChannelViewport(m_names, "view", "Channel1");
    const bool lastFrame = !window && drawn == m_request.frames - 1;
    const bool sequence = !m_sequenceFailed && IsPictureSequence(m_request.screenshot);
    Draw(window ? now : drawn * kStep, window ? now - last : kStep,
         sequence || (lastFrame && !m_request.screenshot.empty()));
    if (sequence)
      m_sequenceFailed = !WritePicture(m_pipe->GetScreenShotImage(), PictureFileOf(m_request.screenshot, drawn + 1));
    last = now;
    if (window) {
      // A frame that took longer than its period starts the count anew rather than hurrying the next ones.
      next = std::max(next + kFramePeriod, std::chrono::steady_clock::now());
      std::this_thread::sleep_until(next);
    }
  }
  // Asked to close: the last frame drawn is drawn once more for its picture, the window still being there.
  if (m_ended == WindowState::kCloseAsked && drawn > 0 && !m_request.screenshot.empty() && !m_photographed)
    Draw(window ? last : (drawn - 1) * kStep, 0, true);
  // The records hold widgets: they let go of them before the engine goes.
  m_record = WidgetInput();
  if (m_window) m_window->m_input = WidgetInput();
  return drawn;
}

// The one line that tells how the window ended before its frames did, with the picture that cannot be
// taken any more; non-zero when that is a failure.
int TellEnd(WindowState ended, int drawn, const FrameRequest& request) {
  const bool window = request.frames == 0;
  if (ended == WindowState::kCloseAsked) {
    if (!window) LogWarn("pm-run: the window was closed after ", drawn, " of ", request.frames, " frames.");
    return 0;
  }
  if (ended != WindowState::kGone) return 0;
  const std::string frames = std::to_string(drawn) + (window ? "" : " of " + std::to_string(request.frames)) +
                             (window && drawn == 1 ? " frame" : " frames");
  const std::string lost =
      request.screenshot.empty() ? "" : "; no picture is written to \"" + request.screenshot + "\"";
  // Under --window closing is how the run ends: only a picture that cannot be written fails it.
  if (window && lost.empty()) {
    LogWarn("pm-run: the window was destroyed from outside after ", frames.c_str(), ".");
    return 0;
  }
  LogError("pm-run: the window was destroyed from outside after ", frames.c_str(), lost.c_str(), ".");
  return 1;
}

}  // namespace

WidgetEventPrinter::WidgetEventPrinter() : m_callback(static_cast<WEventCallback_I*>(WEventCallback_I::Create())) {
  m_callback->SetFunction(&PrintWidgetEvent);
  m_callback->SetDefaultCallback(m_callback.Get());
}

WidgetEventPrinter::~WidgetEventPrinter() { m_callback->SetDefaultCallback(nullptr); }

int RunFrames(ScriptEngine* engine, const Effects& effects, FrameRequest& request) {
  static constexpr char kNoPipe[] =
      "the scripts made no RenderPipe \"Pipe\" to draw it (make one, as the guide's scenes do, or view a "
      "model with --view FILE)";
  ScriptNamespace* names = engine->GetNamespace();
  RenderPipe_I* pipe = FindPipe(names);
  if (!pipe && request.frames == 0) {
    LogError("pm-run: --window needs a RenderPipe \"Pipe\".");
    return 1;
  }
  int status = 0;
  bool photographed = false;
  bool gone = false;  // the window was destroyed: its line told of the picture too
  bool sequenceFailed = false;
  Ptr<RenderStatistics_I> stats;
  if (!pipe) {
    StepOnly(names, effects, request.frames);
    // Nothing drawn, nothing to number: the one line a single picture gets.
    sequenceFailed = IsPictureSequence(request.screenshot) && !WritePicture(nullptr, request.screenshot, kNoPipe);
  } else {
    FrameLoop loop(names, pipe, effects, request);
    const int drawn = loop.Run();
    if (drawn < 0) {
      // The pipe told why once; a missing picture or statistics need no second word.
      WaitForTextureLoads();
      return 1;
    }
    status = TellEnd(loop.Ended(), drawn, request);
    photographed = loop.Photographed();
    sequenceFailed = loop.SequenceFailed();
    stats = loop.LastStatistics();
    gone = loop.Ended() == WindowState::kGone;
    if (gone) request.inFlightErrors = loop.ErrorsOfLastFrame();
  }
  // Loaders still running would outlive the engine and the library's shutdown.
  WaitForTextureLoads();
  if (!request.screenshot.empty() && !gone && !IsPictureSequence(request.screenshot) &&
      !WritePicture(photographed ? pipe->GetScreenShotImage() : nullptr, request.screenshot, pipe ? nullptr : kNoPipe))
    status = 1;
  if (sequenceFailed) status = 1;
  if (request.stats) {
    if (!stats) {
      LogError("pm-run: no render statistics: the script made no RenderPipe \"Pipe\" with an engine.");
      return 1;
    }
    // No frame rate: the engines sample it only while their statistics overlay is shown, which would
    // draw over the frames.
    std::printf("primitives %d\nlines %d\npoints %d\ntextures %d\ntexture memory %d\ntexture download %d\n",
                stats->GetPrimitiveCount(), stats->GetLineCount(), stats->GetPointCount(), stats->GetTextureCount(),
                stats->GetTextureMemory(), stats->GetTextureDownloadBytes());
  }
  return status;
}

}  // namespace PMHost
