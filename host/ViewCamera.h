// The camera of pm-run's model view in its window: the orbit, pan and zoom the mouse drives, the first
// view Space goes back to, and the framing again when the model turns.
#pragma once

#include <pelmora/render/RenderPipe.h>
#include <pelmora/script/object/ScriptEngine.h>

#include "ModelView.h"
#include "ViewInput.h"
#include "ViewRig.h"

namespace PMHost {

class ViewCamera {
 public:
  // Finds the rig and notes the first frame's view; false when a script replaced the rig.
  bool Start(PM::ScriptEngine* engine, const ModelView& view);
  // The first frame's view as it was (not when looking through the file's camera); in a window whose
  // shape changed since, the model framed anew for the new shape from the first view's side.
  void Home(ModelView& view);
  // Applies the drags and wheel steps `in` gathered since the last frame, and clears them.
  void Drag(ViewInput& in);
  // After the models turned: the first view of them so turned, for Home; then the view framed again from
  // where it is seen.
  void Reframe(ModelView& view);
  // The radius of the sphere the zoom keeps the eye about (the models' sphere changes when they turn).
  void SetRadius(float radius) { m_rig.radius = radius; }
  const Rig& RigOf() const { return m_rig; }

 private:
  PM::ScriptEngine* m_engine = nullptr;
  Rig m_rig;
  PM::RenderPipe_I* m_pipe = nullptr;
  PM::Vector3f m_firstRotation{kViewPitch, kViewYaw, 0};  // the orbit's as the first frame showed it
  PM::Vector3f m_firstCentre{0, 0, 0};                    // the orbit's centre then
  float m_firstDistance = 1;                              // the eye's distance then
  float m_firstAspect = 4.0f / 3.0f;                      // the view's width / height then
};

}  // namespace PMHost
