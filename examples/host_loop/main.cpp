// pm-host-loop: a host of its own around the library, the loop a game or a tool runs. It runs scene
// scripts, opens the render pipe's window and then, each frame: pumps the window's messages (the pipe
// passes pointer and keys to the host's tracker), turns them into the widget input record, lets the
// window dispatch it (widgets raise events, handlers call the host, widget effects advance), steps the
// animation, gives the 3D channel the channel widget's place, draws and presents.
//
//   pm-host-loop [--frames N] [--click X Y] [--screenshot FILE] SCRIPT...
//
// The scripts name RenderPipe:Pipe, TWindow:ui and RenderChannel:Channel0, ... (drawn in that order);
// a WChannel:view gives its Viewport to RenderChannel:Channel1, and AnimationScheduler:Scheduler0 is
// stepped by the clock. Without --frames the loop runs until the window is closed. --click presses the
// left button at client pixel (X, Y) (y down) on frame 10, as if the pointer had, and releases it on
// frame 12; the window's own pointer events are ignored from frame 8 on. Exit 0, or 1 when the library, a script or the
// window failed, 2 for a bad command line.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include <pelmora/anim/AnimationClip.h>
#include <pelmora/anim/AnimationScheduler.h>
#include <pelmora/core/Log.h>
#include <pelmora/core/StartUp.h>
#include <pelmora/engine/Image.h>
#include <pelmora/platform/MessageQueue.h>
#include <pelmora/render/RenderChannel.h>
#include <pelmora/render/RenderPipe.h>
#include <pelmora/render/RenderSystemTraverse.h>
#include <pelmora/scene/ImportModelFunction.h>
#include <pelmora/script/lang/Parser.h>
#include <pelmora/script/object/ScriptEngine.h>
#include <pelmora/storage/Storage.h>
#include <pelmora/ui/ChannelViewport.h>
#include <pelmora/ui/WButton.h>
#include <pelmora/ui/WEffect.h>
#include <pelmora/ui/WEvent.h>
#include <pelmora/ui/WEventCallback.h>
#include <pelmora/ui/WidgetInputTracker.h>
#include <pelmora/ui/Window.h>

namespace {

using namespace PM;

struct Options {
  int frames = -1;  // -1: until the window closes
  int clickX = -1, clickY = -1;
  std::string screenshot;
  std::vector<std::string> scripts;
};

constexpr int kClickFrame = 10;
constexpr int kMaxMessagesPerFrame = 1000;
constexpr double kFrameSeconds = 1.0 / 60;

// What the event callback reaches: the script world and the frame it is called in.
struct Host {
  ScriptNamespace* names = nullptr;
  int frame = 0;
};
Host g_host;

template <typename T>
T* Named(const char* name) {
  ScriptObject* o = g_host.names->FindObject(String(name));
  return o && o->IsA(T::kClassId) ? static_cast<T*>(o) : nullptr;
}

// The host side of the widgets' events. The "spin" button stops and restarts the clip "turning", names
// what it will do next and has the effect "dim" grey the dialog while the quad stands still.
extern "C" void OnWidgetEvent(uint32_t, Widget_I* widget, WHandler_I*, uint32_t event, WidgetInput*) {
  const std::string name = widget->m_name.CStr();
  std::printf("frame %d: %s %s\n", g_host.frame, name.c_str(),
              event == kWEventButtonClicked    ? "ButtonClicked"
              : event == kWEventEffectFinished ? "EffectFinished"
                                               : "event");
  if (name != "spin" || event != kWEventButtonClicked) return;
  auto* clip = Named<AnimationClip_I>("turning");
  if (!clip) return;
  clip->m_enabled = !clip->m_enabled;
  static_cast<WButton_I*>(widget)->SetLabel(String(clip->m_enabled ? "Stop" : "Spin"));
  if (auto* dim = Named<WEffect_I>("dim")) dim->SetBlendTo(clip->m_enabled ? 0 : 1);
}

// A whole number from 0 to `hi`, or -2 (which every caller refuses).
int Number(const char* text, long hi) {
  char* end = nullptr;
  const long n = std::strtol(text, &end, 10);
  return *text && !*end && n >= 0 && n <= hi ? int(n) : -2;
}

int ParseArgs(int argc, char** argv, Options& o) {
  bool bad = false;
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    if (a == "--frames" && i + 1 < argc) {
      o.frames = Number(argv[++i], 1000000);
      bad = bad || o.frames < 0;
    } else if (a == "--click" && i + 2 < argc) {
      o.clickX = Number(argv[++i], 65535);
      o.clickY = Number(argv[++i], 65535);
      bad = bad || o.clickX < 0 || o.clickY < 0;
    } else if (a == "--screenshot" && i + 1 < argc) {
      o.screenshot = argv[++i];
    } else if (!a.empty() && a[0] == '-') {
      std::fprintf(stderr, "pm-host-loop: unknown or incomplete option \"%s\".\n", a.c_str());
      return 2;
    } else {
      o.scripts.push_back(a);
    }
  }
  if (o.scripts.empty() || bad) {
    std::fputs("usage: pm-host-loop [--frames N] [--click X Y] [--screenshot FILE] SCRIPT...\n", stderr);
    return 2;
  }
  return -1;
}

// Runs one script file with its folder as the read path (its images and includes lie beside it).
bool RunScript(ScriptEngine* engine, const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    LogError("pm-host-loop: cannot open \"", path.c_str(), "\".");
    return false;
  }
  std::stringstream text;
  text << in.rdbuf();
  const std::string bytes = text.str();
  const size_t slash = path.rfind('/');
  ReadPathScope scope(String(slash == std::string::npos ? "" : path.substr(0, slash + 1).c_str()));
  int errors = 0;
  Parser::ParseText(engine, String(bytes.data(), int(bytes.size())), String(path.c_str()), kParseCountLines, &errors);
  return errors == 0;
}

// The frame loop; false when the window could not be opened or the screenshot not written.
bool RunLoop(const Options& options) {
  auto* pipe = Named<RenderPipe_I>("Pipe");
  auto* window = Named<TWindow_I>("ui");
  if (!pipe || !window) {
    LogError("pm-host-loop: the scripts made no RenderPipe \"Pipe\" and TWindow \"ui\".");
    return false;
  }
  auto* input = NewCounted<WidgetInputTracker>();
  pipe->SetInputTracker(input);  // the pipe holds it
  // A screenshot reads the back buffer, which Direct3D 8 lets a host read only when the pipe asked for it
  // before its window opened.
  if (!options.screenshot.empty()) pipe->m_bufferBackColorAccessEnable = true;
  if (pipe->ApplyFormat() != 0 || !pipe->GetWindowHandle()) return false;
  int32_t left = 0, top = 0, width = 0, height = 0;
  pipe->GetWindowRect(&left, &top, &width, &height);
  input->SetClientRect(left, top, width, height);

  Ptr<RenderSystemTraverse_I> traverse(RenderSystemTraverse_I::Create());
  traverse->SetRenderPipe(pipe);
  for (int32_t i = 0; i < 16; ++i) {
    ScriptObject* channel = Named<RenderChannel_I>(("Channel" + std::to_string(i)).c_str());
    if (!channel) break;
    traverse->SetChannel(i, channel);
  }
  auto* scheduler = Named<AnimationScheduler_I>("Scheduler0");

  WidgetInput record;
  const auto start = std::chrono::steady_clock::now();
  auto next = start;
  for (int frame = 0; options.frames < 0 || frame < options.frames; ++frame) {
    g_host.frame = frame;
    if (options.clickX >= 0 && (frame == kClickFrame - 2 || frame == kClickFrame || frame == kClickFrame + 2)) {
      const int x = left + options.clickX, y = top + options.clickY;
      if (frame == kClickFrame - 2) input->ReplayMove(x, y, 0);
      if (frame == kClickFrame) input->ReplayDown(x, y, kInputButtonLeft);
      if (frame == kClickFrame + 2) input->ReplayUp(x, y, 0);
    }
    WindowMessage message;
    int messages = 0;
    for (; messages < kMaxMessagesPerFrame && PeekMessage(&message, nullptr, PM_REMOVE); ++messages)
      if (!pipe->FilterMessage(&message)) DispatchMessage(&message);
    if (messages == kMaxMessagesPerFrame)
      LogError("pm-host-loop: more than ", kMaxMessagesPerFrame, " window messages in one frame; the rest wait.");
    if (pipe->IsCloseRequested() || !pipe->GetWindowHandle()) break;  // closed, or destroyed from outside

    input->Fill(record, window);
    window->DispatchInput(&record);
    const double now = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    if (scheduler) scheduler->Update(now);
    // The widget's place as the last draw found it; the first frame draws the script's own Viewport.
    if (frame > 0) CopyChannelViewport(g_host.names, "view", "Channel1");
    if (options.frames > 0 && frame == options.frames - 1 && !options.screenshot.empty())
      pipe->RequestScreenShot(false, false);
    traverse->Draw(now, kFrameSeconds, 0);
    traverse->Present(0);
    next += std::chrono::microseconds(16667);
    std::this_thread::sleep_until(next);
  }
  record = WidgetInput();  // the record holds widgets: let go of them before the engine goes
  if (options.screenshot.empty()) return true;
  Image_I* shot = pipe->GetScreenShotImage();
  if (!shot || shot->ExportFile(String(options.screenshot.c_str())) != 0) {
    LogError("pm-host-loop: no screenshot for \"", options.screenshot.c_str(), "\".");
    return false;
  }
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  Options options;
  if (int r = ParseArgs(argc, argv, options); r >= 0) return r;
  g_LogLevel = kLevelNote;  // warnings and errors
  if (DLLInitialize(0) != 0) {
    std::fputs("pm-host-loop: the library did not start.\n", stderr);
    return 1;
  }
  bool ok = true;
  {
    Obj<ScriptEngine> engine(static_cast<ScriptEngine*>(ScriptEngine::Create()));
    RegisterImportModel(engine->GetNamespace());  // scripts may call ImportModel('FILE')
    g_host.names = engine->GetNamespace();
    // Handlers without a destination call the thread's default callback: set it before the scripts.
    Obj<WEventCallback_I> callback(static_cast<WEventCallback_I*>(WEventCallback_I::Create()));
    callback->SetFunction(&OnWidgetEvent);
    callback->SetDefaultCallback(callback.Get());
    for (const std::string& script : options.scripts) ok = RunScript(engine, script) && ok;
    if (ok) ok = RunLoop(options);
    callback->SetDefaultCallback(nullptr);
    if (auto* window = Named<TWindow_I>("ui")) window->m_input = WidgetInput();
  }
  DLLDeInitialize(0);
  return ok ? 0 : 1;
}
