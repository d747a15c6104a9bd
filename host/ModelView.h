// pm-run's model viewer (--view FILE): imports a model, prints its summary line and sets up a scene that
// frames it (the pipe "Pipe", the channel "Channel0", a camera and a light), which the frame loops draw.
#pragma once

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include <pelmora/anim/AnimationScheduler.h>
#include <pelmora/core/Obj.h>
#include <pelmora/core/Vector3f.h>
#include <pelmora/script/object/ScriptEngine.h>

namespace PM {
class RenderPipe_I;
}

namespace PMHost {

// What a tree draws: T-node counts (a geometry two nodes use counts twice), primitives, and the bounds
// of every drawn vertex after the node transforms (a skin's after its joints').
struct ModelSummary {
  int64_t nodes = 0, geometries = 0, triangles = 0, lines = 0, points = 0, textures = 0, joints = 0, clips = 0,
          cameras = 0, lights = 0;
  PM::Vector3f min{0, 0, 0}, max{0, 0, 0};
  bool empty = true;  // no vertex drawn: the bounds are zero
};

ModelSummary SummarizeModel(PM::ScriptObject* root);
// The summary of what ImportModel returned: the file's nodes, not the import's up turn, with the clips of
// `scheduler` (may be null).
ModelSummary SummarizeImport(PM::ScriptObject* root, PM::ScriptObject* scheduler);
// "FILE: N nodes, M geometries, T triangles, L lines, P points, X textures, J joints, C clips, K cameras,
// Q lights;
// bounds (x0, y0, z0) - (x1, y1, z1)"
std::string SummaryLine(const std::string& file, const ModelSummary& s);

// The model a view shows and what the view changed of it: each shader it draws with, with the
// culling, lighting and colour expression the file gave it.
struct ModelView {
  std::string file;
  PM::Obj<PM::ScriptObject> root;                // the import's root
  PM::Obj<PM::ScriptObject> scheduler;           // the AnimationScheduler of its clips, or nil
  std::vector<PM::Obj<PM::ScriptObject>> clips;  // its AnimationClips in the file's order (the scheduler sorts its own)
  struct Shader {
    PM::Obj<PM::ScriptObject> shader;  // a RenderShader
    bool cull = true, light = true;
    PM::Obj<PM::ScriptObject> color;  // its ShaderPhong's colour expression (a texture), or nil
  };
  std::vector<Shader> shaders;
  bool fileCamera = false;  // seen through the file's camera: the view's rig does not move it
  // Several files: each one's import root, side by side under `root` (ModelRow.h); empty for one.
  std::vector<PM::Obj<PM::ScriptObject>> models;
  // The view's lamps (the light along the view, then the ambient one) and the SLights the files bring.
  std::vector<PM::Obj<PM::ScriptObject>> lamps, fileLights;
  bool quiet = false;  // set before the set-up: no summary line (pm-run --quiet)
  float radius = 1;    // of the sphere round the bounds framed: the clipping and the zoom's reach
};

// What lights the model when its files bring lights ('l' steps through them in this order); a view
// without file lights has its lamp alone whatever the mode.
enum class ViewLights { kFileAndLamp, kLampAlone, kFileAlone };

// The lamp's strengths (a grey): full alone, dim beside a file's lights.
inline constexpr float kLampFull = 0.75f, kSkyFull = 0.25f, kLampDim = 0.1f, kSkyDim = 0.2f;

// Takes the lights under `root` (an imported file's) into the view and lights it as kFileAndLamp.
void AddFileLights(ModelView& view, PM::ScriptObject* root);
// Sets the file lights' and the lamps' visibility and the lamps' strength for `mode`.
void ApplyLights(const ModelView& view, ViewLights mode);

// The side in pixels of the squares the view draws points as (a file's points, the points mode): about
// 5 in a 640 x 480 window, growing with the window's shorter side, never a speck nor a blot.
inline float ViewPointSize(int width, int height) {
  const long side = std::lround(std::min(width, height) / 96.0);
  return float(std::clamp(side, 3L, 9L));
}

// A clip "in a loop", as the view plays one: cycles enough for days of any clip longer than a frame.
inline constexpr double kLoopCycles = 1e9;

// One file imported into a view: its root, the scheduler of its clips (or null) and its summary.
struct ImportedModel {
  PM::Obj<PM::ScriptObject> root;
  PM::AnimationScheduler_I* scheduler = nullptr;
  ModelSummary summary;
};
// Imports `file` as each of a view's files is: pm-run's word on textures not found, turned so that its
// axis `up` points up (when not empty), its summary line printed (unless view.quiet), its shaders added
// to view.shaders drawing both sides, its lights taken in (AddFileLights). False (logged) when it fails.
bool ImportIntoView(PM::ScriptEngine* engine, const std::string& file, const std::string& up, ModelView& view,
                    ImportedModel& out);

// Every RenderShader the model's geometries draw with, each once, with what the file gave it.
std::vector<ModelView::Shader> ModelShaders(PM::ScriptObject* root);

// Imports `file` through ImportModel's module, prints its summary line on standard output (unless
// view.quiet) and builds the
// view around it: seen through the file's camera named `camera` when it is not empty, else through one
// that frames the bounds the playing clip sweeps; lit by a head light, dim under the file's lights when
// it has some (AddFileLights); its clip named `clip` (the first when empty, none when "none") playing in a loop; turned
// so that the file's axis `up` points up when it is not empty (SetModelUp), else as the import turned it; both sides of
// its faces drawn. Non-zero (logged) when the import fails or the file has no camera or clip of that name.
int SetUpModelView(PM::ScriptEngine* engine, const std::string& file, const std::string& camera,
                   const std::string& clip, const std::string& up, ModelView& view);

// Places the view's camera rig where the box the model sweeps with the clips that play (sampled over
// their length; the rest pose when none plays) fits the pipe's picture (ViewAspect's shape), seen from `rotation`
// (pitch, yaw, roll); near and far hold the box's sphere (`view.radius`).
void FrameModelView(PM::ScriptEngine* engine, ModelView& view, const PM::Vector3f& rotation);
// The width / height of the view the framing fits: the pipe's window as it is now (resized since it
// opened, perhaps), else the pipe's resolution; 4 / 3 without a pipe.
float ViewAspect(PM::RenderPipe_I* pipe);

// The first view's rotation (pitch, yaw, roll) of the model in `view`: the usual one, turned a quarter
// about the vertical when it would look down the length of a model clearly longer one way than the others
// (a rifle seen down its barrel).
PM::Vector3f FirstViewRotation(PM::ScriptEngine* engine, const ModelView& view);

// The orbit's usual first rotation (pitch, yaw, roll in degrees).
inline constexpr float kViewPitch = -20, kViewYaw = 30;

}  // namespace PMHost
