// pm-run --view with several files: each model imported and placed beside the last along X, framed
// together, one summary line each (as osgviewer shows several files).
#pragma once

#include <string>
#include <vector>

#include <pelmora/script/object/ScriptEngine.h>

#include "ModelView.h"

namespace PMHost {

// SetUpModelView for the first file; each further one imported into the same scene (its summary line
// printed, drawn both sides, its first clip playing in a loop unless `clip` is "none") and all of them
// placed side by side under a TTransform of the view's own (named "viewModels" for scripts when the name
// is free), which becomes view.root, then framed together.
// `camera` and `clip` choose among the first file's. Non-zero (logged) when a file fails to load.
int SetUpModelViews(PM::ScriptEngine* engine, const std::vector<std::string>& files, const std::string& camera,
                    const std::string& clip, const std::string& up, ModelView& view);

// The first "SchedulerN" name not taken: the one the next import registers its clips under.
std::string FreeSchedulerName(PM::ScriptNamespace* names);

// Places view.models along X in their order, each one's bounds beside the last one's with a gap of a
// tenth of the largest side of them all; the first stays where it is. Nothing for a view of one model.
void PlaceSideBySide(const ModelView& view);

}  // namespace PMHost
