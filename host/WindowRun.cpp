#include "WindowRun.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <thread>

#include <pelmora/core/Log.h>
#include <pelmora/platform/MessageQueue.h>
#include <pelmora/script/object/ClassDatabase.h>
#include <pelmora/storage/Streams.h>
#include <pelmora/ui/Widget.h>
#include <pelmora/ui/WidgetInputTracker.h>
#include <pelmora/ui/Window.h>

namespace PMHost {

using namespace PM;

namespace {

constexpr int kMaxMessagesPerFrame = 1000;
constexpr auto kFramePeriod = std::chrono::microseconds(16667);

extern "C" void PrintWidgetEvent(uint32_t, Widget_I* widget, WHandler_I*, uint32_t event, WidgetInput*) {
  // The scripts' own print output goes first, so that the lines keep their order.
  PrintPipe()->Flush();
  std::printf("event %s %s\n", widget->m_name.CStr(), MemberName(event));
  std::fflush(stdout);
}

// Hands the window's messages to the pipe (which passes pointer and keys to its tracker); false once
// the window was asked to close.
bool PumpMessages(RenderPipe_I* pipe) {
  WindowMessage message;
  int messages = 0;
  for (; messages < kMaxMessagesPerFrame && PeekMessage(&message, nullptr, PM_REMOVE); ++messages)
    if (!pipe->FilterMessage(&message)) DispatchMessage(&message);
  if (messages == kMaxMessagesPerFrame)
    LogWarn("pm-run: more than ", kMaxMessagesPerFrame, " window messages in one frame; the rest wait.");
  return !pipe->IsCloseRequested();
}

}  // namespace

WidgetEventPrinter::WidgetEventPrinter() : m_callback(static_cast<WEventCallback_I*>(WEventCallback_I::Create())) {
  m_callback->SetFunction(&PrintWidgetEvent);
  m_callback->SetDefaultCallback(m_callback.Get());
}

WidgetEventPrinter::~WidgetEventPrinter() { m_callback->SetDefaultCallback(nullptr); }

int RunWindow(ScriptEngine* engine, const Effects& effects, long passes) {
  ScriptNamespace* names = engine->GetNamespace();
  RenderPipe_I* pipe = FindPipe(names);
  if (!pipe) {
    LogError("pm-run: --window needs a RenderPipe \"Pipe\".");
    return 1;
  }
  ScriptObject* found = names->FindObject(String("ui"));
  TWindow_I* window = found && found->IsA(TWindow_I::kClassId) ? static_cast<TWindow_I*>(found) : nullptr;
  auto* input = NewCounted<WidgetInputTracker>();
  pipe->SetInputTracker(input);  // the pipe holds it
  if (pipe->ApplyFormat() != 0 || !pipe->GetWindowHandle()) return 1;
  Ptr<RenderSystemTraverse_I> traverse = MakeTraverse(names, pipe, passes);

  WidgetInput record;
  const auto start = std::chrono::steady_clock::now();
  auto next = start;
  double last = 0;
  while (PumpMessages(pipe)) {
    if (window) {
      // Read each frame: the window may have been moved or resized.
      int32_t left = 0, top = 0, width = 0, height = 0;
      pipe->GetWindowRect(&left, &top, &width, &height);
      input->SetClientRect(left, top, width, height);
      input->Fill(record, window);
      window->DispatchInput(&record);
    }
    const double now = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    StepSchedulers(names, now);
    for (const Obj<ParticleEffect>& e : effects) e->Update(now - last);
    traverse->Draw(now, now - last, 0);
    traverse->Present(0);
    last = now;
    // A frame that took longer than its period starts the count anew rather than hurrying the next ones.
    next = std::max(next + kFramePeriod, std::chrono::steady_clock::now());
    std::this_thread::sleep_until(next);
  }
  // The records hold widgets: they let go of them before the engine goes.
  record = WidgetInput();
  if (window) window->m_input = WidgetInput();
  return 0;
}

}  // namespace PMHost
