// pm-run: the sample host. Initialises the library and runs scripts: text scripts through the text
// parser with the script's folder as read path, compiled scripts ("BSB") through the stream parser.
// Print output goes to standard output, the log to standard error. Exit 0, or 1 when any error was
// reported while it ran (by a script, an included one or the library), 2 for a bad command line.
#include <fcntl.h>
#include <strings.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include <pelmora/anim/Fire.h>
#include <pelmora/anim/Smoke.h>
#include <pelmora/core/Axis.h>
#include <pelmora/core/ErrorTally.h>
#include <pelmora/core/GeneratorSeed.h>
#include <pelmora/core/Log.h>
#include <pelmora/core/LogPipe.h>
#include <pelmora/core/StartUp.h>
#include <pelmora/engine/Image.h>
#include <pelmora/geometry/SpriteGeometry.h>
#include <pelmora/platform/InertText.h>
#include <pelmora/platform/PlatformWindow.h>
#include <pelmora/platform/X11Display.h>
#include <pelmora/render/RenderPipe.h>
#include <pelmora/render/RenderStatistics.h>
#include <pelmora/render/Texture.h>
#include <pelmora/render/dialog/GraphicsSetupDialog.h>
#include <pelmora/render/dialog/GraphicsSetupDialogX11.h>
#include <pelmora/scene/ImportModelFunction.h>
#include <pelmora/script/lang/ObjectMentions.h>
#include <pelmora/script/lang/Parser.h>
#include <pelmora/script/object/ScriptEngine.h>
#include <pelmora/sound/SoundDevice.h>
#include <pelmora/storage/Storage.h>
#include <pelmora/storage/Streams.h>

#include "HostScene.h"
#include "LoadProgress.h"
#include "ModelList.h"
#include "ModelRow.h"
#include "ModelView.h"
#include "PictureFile.h"
#include "ViewControls.h"
#include "ViewKeyTable.h"
#include "WindowRun.h"

namespace {

using namespace PM;
using PMHost::Effects;

const char kUsageBeforeKeys[] =
    "usage: pm-run [OPTION]... FILE... [--then FILE...]\n"
    "       pm-run [OPTION]... MODEL...\n"
    "       pm-run [OPTION]... -e TEXT\n"
    "Runs scripts: text scripts, or compiled ones (starting with \"BSB\").\n"
    "  -e TEXT          run the script text\n"
    "  --quiet          print nothing but errors: no summary lines, no warnings, no load progress, and\n"
    "                   no report of a script's errors (the exit code still tells)\n"
    "  --log-level N    write log messages above level N only (2 Debug, 3 Info, 4 Note, 5 Warn, 6 Error);\n"
    "                   4 by default: warnings and errors\n"
    "  --seed N         seed the random generators (particle systems) from N instead of the clock,\n"
    "                   so that runs repeat\n"
    "  --frames N       after the scripts, run N frames 1/60 s apart: each steps the animation\n"
    "                   schedulers \"Scheduler0\", \"Scheduler1\", ... (to the first missing name), then\n"
    "                   draws the RenderPipe \"Pipe\" with the RenderChannels \"Channel0\", ... if it exists\n"
    "                   (in a window, or into memory when no X display can be opened)\n"
    "  --window         after the scripts, open the RenderPipe \"Pipe\" in a window and draw it until the\n"
    "                   window is closed; the pointer and keys go to the widgets of the TWindow \"ui\",\n"
    "                   widget events no handler sends elsewhere print as \"event WIDGET EVENT\", and the\n"
    "                   WChannel \"view\" gives its Viewport to the RenderChannel \"Channel1\" before each\n"
    "                   frame after the first\n"
    "  --engine TYPE    the render engine type the RenderPipe \"Pipe\" opens instead of its\n"
    "                   RenderEngineType: OpenGL (or gl), OpenGL1.2, OpenGL1.3, DirectX8 (or d3d8),\n"
    "                   DirectX or Auto, in any case\n"
    "  --fire NAME, --smoke NAME  a fire or smoke effect drives the sprites of the TSpriteGeometry NAME,\n"
    "                   stepped before each frame (repeatable)\n"
    "  --screenshot FILE  write a picture of the last frame drawn to FILE (.png, .jpg or .jpeg, .bmg,\n"
    "                   .tga): the last of --frames, or the one on screen when the window (--window or\n"
    "                   --view's own) is closed. A FILE with one %d (f%d.png, f%03d.png: 0 and a width of\n"
    "                   at most two digits) gets one picture of every frame drawn, numbered from 1\n"
    "  --size WxH       the size of the RenderPipe \"Pipe\"'s window and pictures in pixels (as 640x480)\n"
    "  --passes WORD    set every channel's pass flag word (a number; 0x prefix for hexadecimal)\n"
    "  --stats          print the render statistics of the last frame drawn\n"
    "                   (--engine, --fire, --smoke, --screenshot, --size, --passes and --stats act on the\n"
    "                   frames: they need --frames N, --window or --view's window)\n"
    "  --sound TYPE     the sound device the scripts' sounds play on: \"openal\" (the default, needs an\n"
    "                   audio output) or \"null\" (plays nothing, needs nothing)\n"
    "  --then           the scripts after it run once the frames are drawn (the window is closed)\n"
    "  --graphics-setup after the scripts, show the graphics configuration dialog for the pipe \"Pipe\" and\n"
    "                   print its result and the video and texture memory figures\n"
    "  --dialogs x11    dialogs wait for a person in X11 windows (by default they answer at once)\n"
    "  --texture NAME FILE  after the scripts, load texture NAME (images from \"Images/\") and write\n"
    "                   its image to FILE as PNG\n"
    "  --view FILE...   import the model FILE and view it in a window (when there is a display and no\n"
    "                   --frames or --list; a FILE named without --view whose first bytes or name say\n"
    "                   model, as box.glb, is viewed so too): print its summary line, make the pipe \"Pipe\"\n"
    "                   and the channel \"Channel0\" with a camera framing it and a light (before the\n"
    "                   scripts, which may change them), framing the bounds its clip sweeps, both sides of\n"
    "                   its faces drawn; the file's lights light it when it has some. A file that does not\n"
    "                   load ends the run at once (exit 1, no window). The names after FILE up to the\n"
    "                   next option are model files too (so is a second --view): each is imported, with\n"
    "                   its summary line, and placed beside the last along X, all framed together\n"
    "                   (--camera and --clip choose among the first file's). A load that takes more than\n"
    "                   a second says how far it has come on one line of standard error when that is a\n"
    "                   terminal (not with --quiet). In the window:\n";
// The view's keys go between: ViewKeyTable's rows.
const char kUsageAfterKeys[] =
    "  --list           with --view: print the summary line and the file's clips, cameras, lights and\n"
    "                   materials with their textures (or the texture not drawn and why), without drawing\n"
    "  --camera NAME    with --view: look through the file's camera NAME instead\n"
    "  --clip NAME      with --view: play the file's clip NAME in a loop instead of its first clip;\n"
    "                   none holds the pose the file's nodes give\n"
    "  --up AXIS        with --view: the file's axis AXIS (x, y, z, -x, -y, -z) points up, whatever the\n"
    "                   file says (it turns the model's transform \"ModelUp\")\n"
    "  --asset-root DIR imported models may read files beneath DIR (by default each model's own folder:\n"
    "                   the model's reader is confined to its asset root)\n"
    "  --texture-path DIR  after the model's own folder, look for each texture by its file name (in any\n"
    "                   letter case) in DIR, which the reader may read textures beneath; repeated, in order\n"
    "  --reader-memory MIB  the model reader's memory budget (by default 64 times what it reads, at least\n"
    "                   1024, at most half the machine's memory)\n"
    "  --help           this text\n"
    "A window closed or destroyed from outside ends the frames; the --then scripts still run. Files are\n"
    "written whole or not at all. At the end, a warning names each object that only a reference in another\n"
    "object's member made (no statement of its own addresses it): most often a misspelled name.\n"
    "Exit status: 0 when every run went without errors, 1 otherwise, 2 for a bad command line.\n";

std::string Usage() { return kUsageBeforeKeys + PMHost::ViewKeyLines("                     ") + kUsageAfterKeys; }

struct OptionRow;

struct Options {
  uint32_t flags = kParseCountLines;
  int logLevel = kLevelNote;
  int frames = 0;
  bool window = false;
  SDType sound = kSDDefault;  // the library's default
  bool then = false;          // files now go to thenFiles
  std::vector<std::string> files;
  std::vector<std::string> texts;
  std::vector<std::string> thenFiles;
  long seed = -1;                                             // -1: from the clock
  std::string engineType;                                     // empty: the pipe's own RenderEngineType
  std::vector<std::pair<std::string, std::string>> textures;  // texture name, PNG file
  std::string screenshot;                                     // empty: none
  std::vector<std::string> views;                             // the models to view, none for no view
  bool viewFiles = false;                                     // the names now are --view files
  std::string camera;                                         // the file's camera to look through
  std::string clip;                                           // the file's clip to play; empty: the first
  std::string up;                                             // the file's axis that points up; empty: its own
  bool list = false;                                          // --list: tell what the --view file holds
  std::vector<std::string> texturePath;                       // --texture-path, in order
  long passes = -1;                                           // -1: as the channels say
  int width = 0, height = 0;                                  // --size; 0: the pipe's own Resolution
  std::vector<std::string> modelsNamed;                       // models named without --view
  std::string displayProblem;  // the line that tells why a set DISPLAY gave the view no window
  bool stats = false;
  bool graphicsSetup = false;
  bool x11Dialogs = false;
  std::vector<std::pair<bool, std::string>> effects;  // smoke (else fire), TSpriteGeometry name
  std::vector<const OptionRow*> given;                // the options of the command line, in order
};

// A whole number from `lo` to `hi`, or a message naming the option and -1.
long NumberArg(const char* option, const char* text, long lo, long hi) {
  char* end = nullptr;
  long n = std::strtol(text, &end, 10);
  if (!*text || *end || n < lo || n > hi) {
    std::fprintf(stderr, "pm-run: %s takes a number from %ld to %ld, not \"%s\".\n", option, lo, hi, text);
    return -1;
  }
  return n;
}

// A --size WxH, or a message and false.
bool SizeArg(const char* text, int& width, int& height) {
  char *end = nullptr, *second = nullptr;
  const long w = std::strtol(text, &end, 10);
  const long h = *end == 'x' || *end == 'X' ? std::strtol(end + 1, &second, 10) : 0;
  if (w < 1 || h < 1 || w > kMaxWindowSide || h > kMaxWindowSide || !second || *second ||
      !std::isdigit(static_cast<unsigned char>(text[0])) || !std::isdigit(static_cast<unsigned char>(end[1]))) {
    std::fprintf(stderr, "pm-run: --size takes WIDTHxHEIGHT in pixels, each from 1 to %d (as 640x480), not \"%s\".\n",
                 int(kMaxWindowSide), InertText(text).c_str());
    return false;
  }
  width = int(w);
  height = int(h);
  return true;
}

// A pass flag word in decimal or with a 0x prefix in hexadecimal, or a message and -1.
long PassWord(const char* text) {
  char* end = nullptr;
  long n = std::strtol(text, &end, 0);
  if (!*text || *end || n < 0 || n > long(INT32_MAX)) {
    std::fprintf(stderr, "pm-run: --passes takes a pass flag word, not \"%s\".\n", text);
    return -1;
  }
  return n;
}

// The device type a --sound word names, or a message and kSDDefault.
SDType SoundType(const char* word) {
  if (std::strcmp(word, "null") == 0) return kSDDirectSound;  // the DirectSound road ends at the null device
  if (std::strcmp(word, "openal") == 0) return kSDOpenAL;
  std::fprintf(stderr, "pm-run: --sound takes \"null\" or \"openal\", not \"%s\".\n", word);
  return kSDDefault;
}

// The engine types a RenderPipe knows, with the short form users type; names are taken in any case.
const struct {
  const char* type;
  const char* shortForm;  // null: none
} kEngineTypes[] = {
    {"OpenGL", "gl"},     {"OpenGL1.2", nullptr}, {"OpenGL1.3", nullptr},
    {"DirectX8", "d3d8"}, {"DirectX", nullptr},   {"Auto", nullptr},
};

// The RenderEngineType an --engine word names, or a message listing the names and false.
bool EngineType(const char* word, std::string& type) {
  for (const auto& e : kEngineTypes) {
    if (strcasecmp(word, e.type) == 0 || (e.shortForm && strcasecmp(word, e.shortForm) == 0)) {
      type = e.type;
      return true;
    }
  }
  std::string names;
  for (const auto& e : kEngineTypes) {
    names += names.empty() ? "" : ", ";
    names += e.type;
    if (e.shortForm) names.append(" (").append(e.shortForm).append(")");
  }
  std::fprintf(stderr, "pm-run: --engine takes one of %s, not \"%s\".\n", names.c_str(), word);
  return false;
}

// A --screenshot name, or a message naming what is wrong with it and false: before anything is imported
// or drawn.
bool PictureName(const char* name, std::string& screenshot) {
  const std::string problem = PMHost::PictureNameProblem(name);
  if (problem.empty()) return screenshot = name, true;
  std::fprintf(stderr, "pm-run: --screenshot \"%s\": %s.\n", InertText(name).c_str(), problem.c_str());
  return false;
}

// Whether an X display opens (its connection let go at once); else what stops it in `why`.
bool DisplayOpens(std::string* why = nullptr) {
  if (AcquireDisplay()) {
    ReleaseDisplay();
    return true;
  }
  if (why) *why = PlatformErrorText(kNoDisplayError);
  return false;
}

// One command-line option: its name, whether it takes a value, and what it does (false: a bad value,
// already told). An option that acts on the frames says how (`onFrames`): without --frames N or
// --window it would do nothing, and the command line is refused with that text.
struct OptionRow {
  const char* name;
  bool takesValue;
  bool (*apply)(Options& o, const char* value);
  const char* onFrames;
};

const OptionRow kOptions[] = {
    {"--quiet", false, [](Options& o, const char*) { return o.flags |= kParseQuiet, true; }, nullptr},
    {"--log-level", true,
     [](Options& o, const char* v) { return (o.logLevel = int(NumberArg("--log-level", v, 0, 7))) >= 0; }, nullptr},
    {"-e", true, [](Options& o, const char* v) { return o.texts.push_back(v), true; }, nullptr},
    {"--frames", true,
     [](Options& o, const char* v) { return (o.frames = int(NumberArg("--frames", v, 0, 1000000))) >= 0; }, nullptr},
    {"--seed", true,
     [](Options& o, const char* v) { return (o.seed = NumberArg("--seed", v, 0, long(UINT32_MAX))) >= 0; }, nullptr},
    {"--then", false, [](Options& o, const char*) { return o.then = true; }, nullptr},
    {"--engine", true, [](Options& o, const char* v) { return EngineType(v, o.engineType); },
     "chooses the engine that draws the frames"},
    {"--screenshot", true, [](Options& o, const char* v) { return PictureName(v, o.screenshot); },
     "writes a picture of the last frame drawn"},
    {"--size", true, [](Options& o, const char* v) { return SizeArg(v, o.width, o.height); },
     "sizes the window and the pictures"},
    {"--passes", true, [](Options& o, const char* v) { return (o.passes = PassWord(v)) >= 0; },
     "sets the pass flags of the channels drawn"},
    {"--stats", false, [](Options& o, const char*) { return o.stats = true; },
     "prints the statistics of the last frame drawn"},
    {"--graphics-setup", false, [](Options& o, const char*) { return o.graphicsSetup = true; }, nullptr},
    {"--dialogs", true,
     [](Options& o, const char* v) {
       o.x11Dialogs = std::strcmp(v, "x11") == 0;
       if (o.x11Dialogs) return true;
       std::fprintf(stderr, "pm-run: --dialogs takes \"x11\", not \"%s\".\n", v);
       return false;
     },
     nullptr},
    {"--window", false, [](Options& o, const char*) { return o.window = true; }, nullptr},
    {"--sound", true, [](Options& o, const char* v) { return (o.sound = SoundType(v)) != kSDDefault; }, nullptr},
    {"--fire", true, [](Options& o, const char* v) { return o.effects.emplace_back(false, v), true; },
     "steps its effect before each frame"},
    {"--smoke", true, [](Options& o, const char* v) { return o.effects.emplace_back(true, v), true; },
     "steps its effect before each frame"},
    {"--view", true, [](Options& o, const char* v) { return o.views.emplace_back(v), o.viewFiles = *v != 0; }, nullptr},
    {"--camera", true, [](Options& o, const char* v) { return o.camera = v, !o.camera.empty(); }, nullptr},
    {"--clip", true, [](Options& o, const char* v) { return o.clip = v, !o.clip.empty(); }, nullptr},
    {"--up", true,
     [](Options& o, const char* v) {
       std::string word = v;
       for (char& c : word) c = char(std::tolower(static_cast<unsigned char>(c)));
       if (PM::AxisFromWord(word) != PM::Axis::None) return o.up = word, true;
       std::fprintf(stderr, "pm-run: --up %s: the axis is one of x, y, z, -x, -y, -z.\n", v);
       return false;
     },
     nullptr},
    {"--list", false, [](Options& o, const char*) { return o.list = true; }, nullptr},
    {"--asset-root", true,
     [](Options&, const char* v) {
       // A file here would fail each import with the confinement's words; said once, before any import.
       if (struct stat s{}; *v && stat(v, &s) == 0 && !S_ISDIR(s.st_mode))
         return std::fprintf(stderr, "pm-run: --asset-root %s: that is a file; the option takes a folder.\n", v), false;
       return SetImportAssetRoot(v), *v != 0;
     },
     nullptr},
    {"--texture-path", true,
     [](Options& o, const char* v) {
       if (!*v) return std::fputs("pm-run: --texture-path takes a folder, not an empty name.\n", stderr), false;
       o.texturePath.emplace_back(v);
       return SetImportTexturePath(o.texturePath), true;
     },
     nullptr},
    {"--reader-memory", true,
     [](Options&, const char* v) {
       const long mib = NumberArg("--reader-memory", v, 16, 1L << 30);
       return mib > 0 && (SetImportReaderMemory(uint64_t(mib) << 20), true);
     },
     nullptr},
};

// What an option's value is, for the line that refuses an empty one.
const char* ValueWord(const char* option) {
  static const struct {
    const char* option;
    const char* word;
  } kWords[] = {{"--view", "a model file"},
                {"--camera", "a camera's name"},
                {"--clip", "a clip's name"},
                {"--asset-root", "a folder"},
                {"--screenshot", "a picture file"},
                {"--fire", "a TSpriteGeometry's name"},
                {"--smoke", "a TSpriteGeometry's name"}};
  for (const auto& w : kWords)
    if (!std::strcmp(option, w.option)) return w.word;
  return "a value (see pm-run --help)";
}

// Whether a file named as a script is a model: its first bytes or, for text formats, its name's ending
// say so. A compiled script starts "BSB"; a text script has no model's ending.
bool LooksLikeModel(const std::string& path) {
  static const char* const kMagic[] = {"glTF", "Kaydara FBX Binary", "AC3D", "BLENDER", "ply\n", "ply\r", "xof 0"};
  static const char* const kEndings[] = {
      "glb", "gltf", "obj", "fbx", "dae", "3ds", "ac",  "blend", "ply", "stl", "x",   "md2",     "md3",  "md5mesh",
      "mdl", "ms3d", "lwo", "lws", "off", "ase", "ifc", "x3d",   "3mf", "b3d", "irr", "irrmesh", "ogex", "q3o",
      "cob", "smd",  "nff", "dxf", "lxo", "raw", "xgl", "zgl",   "ter", "hmp", "csm", "mesh.xml"};
  // Only a regular file is opened: a FIFO or a device would block or never end, and the script
  // reader refuses those by name.
  struct stat st;
  if (stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return false;
  char head[32] = {};
  if (FILE* f = std::fopen(path.c_str(), "rb")) {
    const size_t n = std::fread(head, 1, sizeof head - 1, f);
    std::fclose(f);
    head[n] = 0;
    if (n >= 3 && !std::memcmp(head, "BSB", 3)) return false;
    for (const char* magic : kMagic)
      if (!std::strncmp(head, magic, std::strlen(magic))) return true;
  }
  for (const char* ending : kEndings) {
    const size_t n = std::strlen(ending);
    if (path.size() > n + 1 && path[path.size() - n - 1] == '.' && !strcasecmp(path.c_str() + path.size() - n, ending))
      return true;
  }
  return false;
}

// The combinations of options that cannot work, told as a usage error; false when there is one.
bool OptionsAgree(const Options& o) {
  if (o.window && o.frames > 0) {
    std::fputs("pm-run: --window draws until the window is closed; it takes no --frames.\n", stderr);
    return false;
  }
  if (!o.camera.empty() && o.views.empty()) {
    std::fputs("pm-run: --camera chooses a camera of the --view model; it needs --view FILE.\n", stderr);
    return false;
  }
  if (o.list && (o.views.empty() || o.window || o.frames > 0)) {
    std::fputs(
        "pm-run: --list tells what the --view model holds without drawing; it needs --view FILE and takes "
        "no --window or --frames.\n",
        stderr);
    return false;
  }
  if (!o.clip.empty() && o.views.empty()) {
    std::fputs("pm-run: --clip chooses a clip of the --view model; it needs --view FILE.\n", stderr);
    return false;
  }
  if (!o.up.empty() && o.views.empty()) {
    std::fputs("pm-run: --up turns the --view model; it needs --view FILE.\n", stderr);
    return false;
  }
  const bool draws = o.window || o.frames > 0;
  for (const OptionRow* row : o.given) {
    if (row->onFrames && !draws) {
      std::fprintf(stderr, "pm-run: %s %s: it needs --frames N (N above 0) or --window.\n", row->name, row->onFrames);
      return false;
    }
  }
  return true;
}

bool Given(const Options& o, const char* option) {
  for (const OptionRow* row : o.given)
    if (!std::strcmp(row->name, option)) return true;
  return false;
}

int ParseArgs(int argc, char** argv, Options& o) {
  for (int i = 1; i < argc; ++i) {
    std::string a = argv[i];
    if (a == "--help" || a == "-h") {
      std::fputs(Usage().c_str(), stdout);
      return 0;
    }
    if (a == "--texture" && i + 2 < argc) {  // the one option with two values
      o.textures.emplace_back(argv[i + 1], argv[i + 2]);
      i += 2;
      continue;
    }
    const OptionRow* row = nullptr;
    for (const OptionRow& r : kOptions)
      if (a == r.name && (!r.takesValue || i + 1 < argc)) row = &r;
    if (row) {
      o.viewFiles = false;
      const char* value = row->takesValue ? argv[++i] : nullptr;
      // An empty value (an unset variable, a stray '') names nothing; -e's empty script is a script.
      if (value && !*value && std::strcmp(row->name, "-e") != 0 && std::strcmp(row->name, "--texture-path") != 0) {
        std::fprintf(stderr, "pm-run: %s was given an empty value; it takes %s.\n", row->name, ValueWord(row->name));
        return 2;
      }
      if (!row->apply(o, value)) return 2;
      o.given.push_back(row);
    } else if (a.size() > 1 && a[0] == '-') {
      std::fprintf(stderr, "pm-run: unknown or incomplete option \"%s\"; see pm-run --help.\n", InertText(a).c_str());
      return 2;
    } else if (o.viewFiles) {
      o.views.push_back(a);
    } else if (!o.then && LooksLikeModel(a)) {
      o.views.push_back(a);
      o.modelsNamed.push_back(a);
    } else {
      (o.then ? o.thenFiles : o.files).push_back(a);
    }
  }
  // A model to view is shown, as other viewers show it, when nothing else is asked of it (a picture of
  // it is taken from that window when it closes).
  if (!o.views.empty() && !o.window && o.frames == 0 && !o.list) {
    std::string why;
    o.window = DisplayOpens(&why);
    // An unset DISPLAY means no display, as documented; a set one that fails is a mistake to tell.
    const char* display = std::getenv("DISPLAY");
    if (!o.window && display && *display)
      o.displayProblem = "pm-run: no window shows the model: " + why +
                         ". To draw without a display, use --frames 1 --screenshot FILE (or unset DISPLAY).\n";
  }
  if (!OptionsAgree(o)) return 2;
  if (o.files.empty() && o.texts.empty() && o.thenFiles.empty() && o.views.empty()) {
    std::fputs(Usage().c_str(), stderr);
    return 2;
  }
  return -1;
}

// Scripts are held as one String, whose length is an int.
constexpr int64_t kMaxScriptBytes = INT_MAX;

// Reads a whole regular file; folders, devices, FIFOs and sockets are refused before anything is read
// (a FIFO is opened without waiting for a writer). Every refusal is logged.
bool ReadWhole(const std::string& path, std::string& bytes) {
  int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) {
    LogError("pm-run: cannot open \"", InertText(path).c_str(), "\": ", std::strerror(errno), ".");
    return false;
  }
  struct stat st {};
  bool ok = ::fstat(fd, &st) == 0;
  if (!ok) {
    LogError("pm-run: cannot read \"", InertText(path).c_str(), "\": ", std::strerror(errno), ".");
  } else if (!S_ISREG(st.st_mode)) {
    LogError("pm-run: \"", InertText(path).c_str(), "\" is ", S_ISDIR(st.st_mode) ? "a folder" : "no regular file",
             ", not a script.");
    ok = false;
  } else if (int64_t(st.st_size) > kMaxScriptBytes) {
    LogError("pm-run: \"", InertText(path).c_str(), "\" has ", int64_t(st.st_size),
             " bytes; a script may have at most ", kMaxScriptBytes, ".");
    ok = false;
  }
  if (ok) {
    bytes.resize(size_t(st.st_size));
    size_t have = 0;
    // The size is the one seen now: a file that grows meanwhile is read to that size, one that shrinks
    // ends early.
    while (ok && have < bytes.size()) {
      ssize_t n = ::read(fd, bytes.data() + have, bytes.size() - have);
      if (n < 0 && errno == EINTR) continue;
      if (n < 0) {
        LogError("pm-run: cannot read \"", InertText(path).c_str(), "\": ", std::strerror(errno), ".");
        ok = false;
      } else if (n == 0) {
        bytes.resize(have);
        break;
      } else {
        have += size_t(n);
      }
    }
  }
  ::close(fd);
  return ok;
}

// The folder of a path with its "/" ("" for a bare name).
std::string FolderOf(const std::string& path) {
  size_t slash = path.rfind('/');
  return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

int RunFile(ScriptEngine* engine, const std::string& path, uint32_t flags) {
  std::string bytes;
  if (!ReadWhole(path, bytes)) return 1;
  int errors = 0;
  ReadPathScope scope(String(FolderOf(path).c_str()));
  if (bytes.compare(0, 3, "BSB") == 0) {
    StreamPipeRef stream(NewMemoryStream(bytes.data(), bytes.size()));
    Parser::ParseStream(engine, stream.Get(), String(path.c_str()), flags & ~kParseCountLines, &errors);
  } else {
    Parser::ParseText(engine, String(bytes.data(), int(bytes.size())), String(path.c_str()), flags, &errors);
  }
  return errors ? 1 : 0;
}

// The --fire and --smoke effects, each on the description of the TSpriteGeometry it names; false
// (logged) when a name has none.
bool MakeEffects(ScriptEngine* engine, const Options& o, Effects& effects) {
  bool ok = true;
  for (const auto& [smoke, name] : o.effects) {
    ScriptObject* node = engine->GetNamespace()->FindObject(String(name.c_str()));
    if (!node || !node->IsA(TSpriteGeometry_I::kClassId)) {
      LogError("pm-run: no TSpriteGeometry \"", name.c_str(), "\" for ", smoke ? "--smoke" : "--fire", ".");
      ok = false;
      continue;
    }
    Obj<ParticleEffect> e(smoke ? static_cast<ParticleEffect*>(Smoke::Create()) : Fire::Create());
    e->SetSpriteGeometry(static_cast<TSpriteGeometry_I*>(node)->GetSNode());
    effects.push_back(e);
  }
  return ok;
}

// Shows the graphics configuration dialog for the script's pipe and prints what it answered.
int RunGraphicsSetup(ScriptEngine* engine) {
  ScriptObject* pipe = engine->GetNamespace()->FindObject(String("Pipe"));
  if (!pipe || !pipe->IsA(RenderPipe_I::kClassId)) {
    LogError("pm-run: --graphics-setup needs a RenderPipe \"Pipe\".");
    return 1;
  }
  GraphicsSetupDialog dialog;
  dialog.SetRenderPipe(static_cast<RenderPipe_I*>(pipe));
  const int32_t result = dialog.Show();
  std::printf("result %d\nvideo memory %d\ntexture memory %d\n", result, dialog.GetVideoMemory(),
              dialog.GetTextureMemory());
  return 0;
}

// Loads the named texture the way an engine would on its own thread, and writes its image.
int WriteTexture(ScriptEngine* engine, const std::string& name, const std::string& file) {
  ScriptObject* o = engine->GetNamespace()->FindObject(String(name.c_str()));
  if (!o || IsNilObject(o) || !o->IsA(Texture_I::kClassId)) {
    LogError("pm-run: no texture \"", InertText(name).c_str(), "\".");
    return 1;
  }
  Obj<Image_I> image(Image_I::New());
  static_cast<Texture_I*>(o)->LoadSync(String("Images/"), image);
  if (image->GetFormat() == 0 || image->ExportFile(String(file.c_str())) != 0) {
    LogError("pm-run: texture \"", InertText(name).c_str(), "\" gave no image for \"", InertText(file).c_str(), "\".");
    return 1;
  }
  return 0;
}

// One warning for each named object that only a reference in another object's member made: most often a
// misspelled name, which the language quietly turns into a new, empty object.
void WarnUnaddressed(const ObjectMentions& mentions) {
  for (const ObjectMentions::Mention& m : mentions.Unaddressed()) {
    const std::string line = m.line > 0 ? " line " + std::to_string(m.line) : std::string();
    LogWarn("pm-run: ", m.className, ":", InertText(m.name.CStr()).c_str(), " (first mentioned in ",
            InertText(m.file.CStr()).c_str(), line.c_str(),
            ") was made by a reference in another object's member, and no statement addresses it itself: "
            "is its name misspelled?");
  }
}

// The title of a scene's window: its scripts' names (the file names without their folders), "-e" for
// a script text.
std::string WindowTitle(const Options& options) {
  std::string title;
  for (const std::string& file : options.files) {
    const size_t slash = file.rfind('/');
    title += (title.empty() ? "" : " ") + InertText(slash == std::string::npos ? file : file.substr(slash + 1));
  }
  if (!options.texts.empty()) title += title.empty() ? "-e" : " -e";
  return (title.empty() ? std::string("pm-run") : title + " - pm-run");
}

// The scripts, the frames, the --then scripts and what comes after them; 1 when any failed.
int RunAll(ScriptEngine* engine, const Options& options, const PMHost::ModelView& view, uint64_t& inFlightErrors) {
  int status = 0;
  std::optional<PMHost::WidgetEventPrinter> events;
  if (options.window) events.emplace();
  for (const std::string& text : options.texts) {
    int errors = 0;
    Parser::ParseText(engine, String(text.data(), int(text.size())), String("-e"), options.flags, &errors);
    if (errors) status = 1;
  }
  for (const std::string& file : options.files)
    if (RunFile(engine, file, options.flags)) status = 1;
  Effects effects;
  if (!MakeEffects(engine, options, effects)) status = 1;
  if (options.frames > 0 || options.window) {
    PMHost::FrameRequest request;
    request.frames = options.window ? 0 : options.frames;
    request.passes = options.passes;
    request.engineType = options.engineType;
    request.screenshot = options.screenshot;
    request.stats = options.stats;
    RenderPipe_I* pipe = PMHost::FindPipe(engine->GetNamespace());
    // Before the view's overlay is laid out for the pipe's size.
    if (pipe && options.width > 0) pipe->SetResolution({float(options.width), float(options.height)});
    if (!view.root.IsNil()) request.pointSize = &PMHost::ViewPointSize;
    if (options.window && !view.root.IsNil()) PMHost::ControlModelView(engine, view, request);
    // A scene's window with no title of its own says what runs in it.
    if (pipe && pipe->m_windowTitle.IsEmpty()) pipe->m_windowTitle = String(WindowTitle(options).c_str());
    if (std::string why; options.window && !DisplayOpens(&why)) {
      LogError("pm-run: no window can open: ", why.c_str(),
               ". To draw without a display, use --frames N --screenshot FILE instead of --window.");
      status = 1;
    } else if (PMHost::RunFrames(engine, effects, request)) {
      status = 1;
    }
    inFlightErrors += request.inFlightErrors;
  }
  for (const std::string& file : options.thenFiles)
    if (RunFile(engine, file, options.flags)) status = 1;
  if (options.graphicsSetup && RunGraphicsSetup(engine)) status = 1;
  for (const auto& [name, file] : options.textures)
    if (WriteTexture(engine, name, file)) status = 1;
  return status;
}

}  // namespace

int main(int argc, char** argv) {
  Options options;
  if (int r = ParseArgs(argc, argv, options); r >= 0) return r;

  g_LogLevel = options.logLevel;
  // --quiet: errors alone, unless a level was asked for.
  if ((options.flags & kParseQuiet) && !Given(options, "--log-level")) g_LogLevel = kLevelWarn;
  // The log (and with it the error reports) on standard error; print output alone on standard output.
  auto* out = static_cast<LogPipe*>(LogOutPipe().Get());
  out->CloseConsole();
  out->OpenConsole(2);
  auto* print = NewCounted<LogPipe>();
  print->OpenConsole(1);
  PrintPipe() = StreamPipeRef(print);

  uint64_t errorsBefore = ErrorReportCount();
  if (DLLInitialize(0) != 0) {
    std::fputs("pm-run: the library did not start.\n", stderr);
    return 1;
  }
  if (options.seed >= 0) SetGeneratorSeedBase(uint32_t(options.seed));
  if (options.x11Dialogs) InstallX11DialogHandlers();
  // Frames drawn for their pictures need no one to see them: without a display the pipe draws into memory.
  RenderPipe_I::SetOffscreenWithoutDisplay(options.frames > 0);
  if (options.sound != kSDDefault) SetDefaultSoundDeviceType(options.sound);
  PMHost::InstallLoadProgress((options.flags & kParseQuiet) != 0);
  for (const std::string& model : options.modelsNamed)
    if (!(options.flags & kParseQuiet))
      std::fprintf(stderr, "pm-run: \"%s\" is a model, not a script: viewing it as --view %s does.\n",
                   InertText(model).c_str(), InertText(model).c_str());
  if (!(options.flags & kParseQuiet)) std::fputs(options.displayProblem.c_str(), stderr);
  int status = 0;
  {
    // Its weak references go before the library does.
    ObjectMentions mentions;
    ObjectMentions::Install(&mentions);
    Obj<ScriptEngine> engine(static_cast<ScriptEngine*>(ScriptEngine::Create()));
    RegisterImportModel(engine->GetNamespace());
    PMHost::ModelView view;
    uint64_t inFlight = 0;
    // A view that cannot be made (the file did not load, or has no such camera or clip) ends the run at
    // once: no scripts, no window.
    view.quiet = (options.flags & kParseQuiet) != 0;
    if (options.list) {
      for (const std::string& file : options.views) status |= PMHost::ListModel(engine, file);
    } else {
      const bool viewFailed = !options.views.empty() && PMHost::SetUpModelViews(engine, options.views, options.camera,
                                                                                options.clip, options.up, view);
      if (viewFailed) status = 1;
      if (!viewFailed) status |= RunAll(engine, options, view, inFlight);
    }
    WarnUnaddressed(mentions);
    errorsBefore += inFlight;
  }
  PrintPipe()->Flush();
  DLLDeInitialize(0);
  // Errors the runs' own counts miss: those of included scripts and those the library logs.
  if (ErrorReportCount() != errorsBefore) status = 1;
  return status;
}
