// The keys and mouse of pm-run's model view in its window (osgviewer's letters where it has them; the list
// is ViewKeyTable's), each handed to the part of the view it acts on: the camera (ViewCamera), the drawing
// states (ViewToggles), the clips (ClipPlayer) and the texts over the model (ViewStatistics, ViewOverlay).
#pragma once

#include <pelmora/script/object/ScriptEngine.h>

#include "ModelView.h"
#include "WindowRun.h"

namespace PMHost {

// Under --window: hands the view's input, its step of the animation and its work before each frame to
// `request`. Leaves `request` as it is when there is no view (the import failed and said why).
void ControlModelView(PM::ScriptEngine* engine, const ModelView& view, FrameRequest& request);

}  // namespace PMHost
