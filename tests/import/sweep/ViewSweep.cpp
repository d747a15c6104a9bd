// pm-view-sweep: the model viewer of pm-run (--view) over many files in one process, for the visibility
// sweep of the model corpus. Each file read from standard input, one path a line, is imported and framed
// as `pm-run --view FILE --frames N --screenshot` does it, drawn small on one engine, and photographed.
//
//     pm-view-sweep ENGINE FRAMES WIDTH HEIGHT OUTDIR < FILES
//
// For each file one line on standard output after the viewer's summary line: "view K TRIANGLES FILE" with
// its picture OUTDIR/K.png; "unread K FILE" when the import failed (it said why on standard error);
// "empty K FILE" when nothing in it is a triangle; "fail K TRIANGLES FILE" when its frames could not be
// drawn (logged). Exit 0 unless the command line is bad or a file's frames failed.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <string>

#include <pelmora/core/Log.h>
#include <pelmora/core/LogPipe.h>
#include <pelmora/core/StartUp.h>
#include <pelmora/scene/ImportModelFunction.h>
#include <pelmora/script/lang/Parser.h>
#include <pelmora/script/object/ScriptEngine.h>

#include "HostScene.h"
#include "ModelView.h"
#include "WindowRun.h"

namespace {

using namespace PM;

// One file's line, at once: a crash on a later file keeps it.
void Report(const char* word, int index, int64_t triangles, const std::string& file) {
  if (triangles < 0)
    std::printf("%s %d %s\n", word, index, file.c_str());
  else
    std::printf("%s %d %lld %s\n", word, index, static_cast<long long>(triangles), file.c_str());
  std::fflush(stdout);
}

// One file through a fresh script engine, as pm-run runs it: the view set up, the picture size set by a
// script after it, the frames drawn. False when a frame could not be drawn (logged).
bool ViewOne(const std::string& file, int index, const std::string& engineType, int frames, int width, int height,
             const std::string& outDir) {
  Obj<ScriptEngine> engine(static_cast<ScriptEngine*>(ScriptEngine::Create()));
  RegisterImportModel(engine->GetNamespace());
  PMHost::ModelView view;
  if (PMHost::SetUpModelView(engine, file, {}, {}, {}, view) != 0) {
    Report("unread", index, -1, file);
    return true;
  }
  ScriptObject* scene = engine->GetNamespace()->FindObject(String("viewScene"));
  const PMHost::ModelSummary summary = PMHost::SummarizeModel(scene);
  if (summary.triangles == 0) {
    Report("empty", index, -1, file);
    return true;
  }
  const std::string resize =
      "RenderPipe:Pipe.Resolution (" + std::to_string(width) + ", " + std::to_string(height) + ");";
  int errors = 0;
  Parser::ParseText(engine, String(resize.c_str()), String("-e"), kParseCountLines, &errors);
  PMHost::FrameRequest request;
  request.frames = frames;
  request.engineType = engineType;
  request.screenshot = outDir + "/" + std::to_string(index) + ".png";
  const bool drawn = errors == 0 && PMHost::RunFrames(engine, {}, request) == 0;
  Report(drawn ? "view" : "fail", index, summary.triangles, file);
  return drawn;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 6) {
    std::fputs("usage: pm-view-sweep ENGINE FRAMES WIDTH HEIGHT OUTDIR < FILES\n", stderr);
    return 2;
  }
  const std::string engineType = argv[1], outDir = argv[5];
  const int frames = std::atoi(argv[2]), width = std::atoi(argv[3]), height = std::atoi(argv[4]);
  if (frames < 1 || width < 1 || height < 1) {
    std::fputs("pm-view-sweep: FRAMES, WIDTH and HEIGHT are whole numbers above 0.\n", stderr);
    return 2;
  }
  // The log on standard error, as pm-run has it: warnings and errors.
  auto* out = static_cast<LogPipe*>(LogOutPipe().Get());
  out->CloseConsole();
  out->OpenConsole(2);
  g_LogLevel = kLevelNote;
  if (DLLInitialize(1) != 0) {
    std::fputs("pm-view-sweep: the library did not start.\n", stderr);
    return 1;
  }
  int status = 0;
  int index = 0;
  for (std::string file; std::getline(std::cin, file);)
    if (!file.empty() && !ViewOne(file, index++, engineType, frames, width, height, outDir)) status = 1;
  DLLDeInitialize(1);
  return status;
}
