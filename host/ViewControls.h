// The keys and mouse of pm-run's model view in its window (osgviewer's letters where it has them). Each
// acts through the engine's own state: the model's render shaders, the channels' pass words, the
// scheduler's clips and the time it is stepped to; the text over the model through the engine's widgets.
#pragma once

#include <pelmora/script/object/ScriptEngine.h>

#include "ModelView.h"
#include "WindowRun.h"

namespace PMHost {

// Under --window: hands the view's input, its step of the animation and its work before each frame to
// `request`. Leaves `request` as it is when there is no view (the import failed and said why).
void ControlModelView(PM::ScriptEngine* engine, const ModelView& view, FrameRequest& request);

// The list of keys the view draws for h and F1.
extern const char kViewKeys[];

}  // namespace PMHost
