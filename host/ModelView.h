// pm-run's model viewer (--view FILE): imports a model, prints its summary line and sets up a scene that
// frames it (the pipe "Pipe", the channel "Channel0", a camera and a light), which the frame loops draw.
#pragma once

#include <string>

#include <pelmora/core/Obj.h>
#include <pelmora/core/Vector3f.h>
#include <pelmora/script/object/ScriptEngine.h>

#include "WindowRun.h"

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
// "FILE: N nodes, M geometries, T triangles, L lines, P points, X textures, J joints, C clips, K cameras,
// Q lights;
// bounds (x0, y0, z0) - (x1, y1, z1)"
std::string SummaryLine(const std::string& file, const ModelSummary& s);

// Imports `file` through ImportModel's module, prints its summary line on standard output and builds the
// view around it: seen through the file's camera named `camera` when it is not empty, else through one
// that frames the model; lit by the file's lights when it has some, else by a head light; its clip named
// `clip` (the first when empty, none when "none") playing in a loop; turned so that the file's axis `up`
// points up when it is not empty (SetModelUp), else as the import turned it. Non-zero (logged) when the
// import fails or the file has no camera or clip of that name.
int SetUpModelView(PM::ScriptEngine* engine, const std::string& file, const std::string& camera = {},
                   const std::string& clip = {}, const std::string& up = {});

// Under --window: dragging with a button held orbits the camera about the model, the wheel zooms.
// Leaves `request` as it is when there is no view (the import failed and said why).
void ControlModelView(PM::ScriptEngine* engine, FrameRequest& request);

}  // namespace PMHost
