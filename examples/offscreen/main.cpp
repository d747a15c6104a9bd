// pm-offscreen: pictures with no window and no display, as a server or a build pipeline makes them. It
// runs scene scripts (which name RenderPipe:Pipe and RenderChannel:Channel0, ...), draws FRAMES frames a
// sixtieth of a second apart, stepping AnimationScheduler:Scheduler0 when there is one, and writes the last.
//   pm-offscreen FRAMES OUT.png SCRIPT...
#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <string_view>

#include <pelmora/anim/AnimationScheduler.h>
#include <pelmora/core/Log.h>
#include <pelmora/core/LogPipe.h>
#include <pelmora/core/StartUp.h>
#include <pelmora/engine/Image.h>
#include <pelmora/render/RenderChannel.h>
#include <pelmora/render/RenderPipe.h>
#include <pelmora/render/RenderSystemTraverse.h>
#include <pelmora/script/lang/Parser.h>
#include <pelmora/script/object/ScriptEngine.h>

using namespace PM;

template <typename T>
T* Named(ScriptEngine* engine, const std::string& name) {
  ScriptObject* o = engine->GetNamespace()->FindObject(String(name.c_str()));
  return o && o->IsA(T::kClassId) ? static_cast<T*>(o) : nullptr;
}

bool RunScript(ScriptEngine* engine, const char* path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    std::fprintf(stderr, "pm-offscreen: cannot read the script \"%s\".\n", path);
    return false;
  }
  std::stringstream text;
  text << in.rdbuf();
  const std::string bytes = text.str();
  int errors = 0;
  Parser::ParseText(engine, String(bytes.data(), int(bytes.size())), String(path), kParseCountLines, &errors);
  return in && errors == 0;
}

bool Draw(ScriptEngine* engine, int frames, const char* out) {
  auto* pipe = Named<RenderPipe_I>(engine, "Pipe");
  if (!pipe) {
    std::fputs("pm-offscreen: the scripts make no RenderPipe \"Pipe\" to draw with.\n", stderr);
    return false;
  }
  pipe->m_bufferBackColorAccessEnable = true;  // Direct3D 8 lets a host read what it drew only so
  if (pipe->ApplyFormat() != 0) return false;  // the pipe's error says why
  Ptr<RenderSystemTraverse_I> traverse(RenderSystemTraverse_I::Create());
  traverse->SetRenderPipe(pipe);
  for (int i = 0; i < 16; ++i)
    if (auto* channel = Named<RenderChannel_I>(engine, "Channel" + std::to_string(i))) traverse->SetChannel(i, channel);
  auto* scheduler = Named<AnimationScheduler_I>(engine, "Scheduler0");
  for (int frame = 0; frame < frames; ++frame) {
    const double now = frame / 60.0;
    if (scheduler) scheduler->Update(now);
    if (frame == frames - 1) pipe->RequestScreenShot(false, false);
    traverse->Draw(now, 1 / 60.0, 0);
    traverse->Present(0);
  }
  Image_I* shot = pipe->GetScreenShotImage();
  return shot && shot->ExportFile(String(out)) == 0;
}

int main(int argc, char** argv) {
  int frames = 0;
  if (argc > 3) {
    const std::string_view arg(argv[1]);
    const auto [end, error] = std::from_chars(arg.data(), arg.data() + arg.size(), frames);
    if (error != std::errc() || end != arg.data() + arg.size()) frames = 0;
  }
  if (frames < 1) {
    std::fputs("usage: pm-offscreen FRAMES OUT.png SCRIPT...\n", stderr);
    return 2;
  }
  // The log on standard error, where the library also writes each error report: one console, so a report
  // is shown once and standard output stays empty.
  auto* log = static_cast<LogPipe*>(LogOutPipe().Get());
  log->CloseConsole();
  log->OpenConsole(2);
  // Before any pipe opens: with no X display, pipes draw into memory instead of failing.
  RenderPipe_I::SetOffscreenWithoutDisplay(true);
  if (DLLInitialize(0) != 0) return 1;
  bool ok = true;
  {
    Obj<ScriptEngine> engine(static_cast<ScriptEngine*>(ScriptEngine::Create()));
    for (int i = 3; i < argc; ++i) ok = RunScript(engine, argv[i]) && ok;
    ok = ok && Draw(engine, frames, argv[2]);
  }
  DLLDeInitialize(0);
  if (!ok) std::fprintf(stderr, "pm-offscreen: no picture \"%s\" (the log above says why).\n", argv[2]);
  return ok ? 0 : 1;
}
