#include "ViewCamera.h"

#include <algorithm>
#include <cmath>

#include "HostScene.h"

namespace PMHost {

using namespace PM;

bool ViewCamera::Start(ScriptEngine* engine, const ModelView& view) {
  m_engine = engine;
  ScriptNamespace* names = engine->GetNamespace();
  if (!FindRig(names, m_rig)) return false;
  m_rig.radius = view.radius;
  m_pipe = FindPipe(names);
  m_firstRotation = m_rig.orbit->GetRotation();
  m_firstCentre = m_rig.orbit->GetTranslation();
  m_firstDistance = m_rig.eye->GetTranslation().z;
  m_firstAspect = ViewAspect(m_pipe);
  return true;
}

void ViewCamera::Home(ModelView& view) {
  // The box framing depends on the rotation it was fitted from, which a script may have changed since.
  if (view.fileCamera) return;
  // The same shape keeps the first view as it was, a distance a script chose included.
  if (std::fabs(ViewAspect(m_pipe) - m_firstAspect) > 1e-3f * m_firstAspect) Reframe(view);
  m_rig.orbit->SetTranslation(m_firstCentre);
  m_rig.orbit->SetRotation(m_firstRotation);
  PlaceEye(m_rig, m_firstDistance);
}

void ViewCamera::Drag(ViewInput& in) {
  // Half a degree a pixel; each wheel step moves the eye a tenth nearer or farther.
  if (in.m_orbitX != 0 || in.m_orbitY != 0) {
    Vector3f angles = m_rig.orbit->GetRotation();
    m_rig.orbit->SetRotation({std::clamp(angles.x - float(in.m_orbitY) * 0.5f, -89.0f, 89.0f),
                              angles.y - float(in.m_orbitX) * 0.5f, angles.z});
  }
  if (in.m_panX != 0 || in.m_panY != 0) {
    // The point under the pointer follows it, at the depth of the orbit's centre.
    const float height = float(m_pipe && m_pipe->m_height > 0 ? m_pipe->m_height : 480);
    const float perPixel = 2 * m_rig.eye->GetTranslation().z * std::tan(kFieldOfView * 0.5f * kDegToRad) / height;
    Matrix4f local, out;
    local = m_rig.orbit->ApplyLocalMatrix(kIdentityMatrix4f, out);
    const Vector3f right{local.m[0], local.m[1], local.m[2]}, up{local.m[4], local.m[5], local.m[6]};
    m_rig.orbit->SetTranslation(m_rig.orbit->GetTranslation() - right * (float(in.m_panX) * perPixel) +
                                up * (float(in.m_panY) * perPixel));
  }
  if (in.m_wheel != 0) {
    const float distance = m_rig.eye->GetTranslation().z * std::pow(0.9f, in.m_wheel);
    // From inside the model (to look at a detail) to far enough that it shrinks to a few pixels.
    PlaceEye(m_rig, std::clamp(distance, m_rig.radius * 0.01f, m_rig.radius * 1e3f));
  }
  in.m_orbitX = in.m_orbitY = in.m_panX = in.m_panY = 0;
  in.m_wheel = 0;
}

void ViewCamera::Reframe(ModelView& view) {
  const Vector3f rotation = m_rig.orbit->GetRotation();
  FrameModelView(m_engine, view, m_firstRotation);
  m_firstCentre = m_rig.orbit->GetTranslation();
  m_firstDistance = m_rig.eye->GetTranslation().z;
  m_firstAspect = ViewAspect(m_pipe);
  FrameModelView(m_engine, view, rotation);
}

}  // namespace PMHost
