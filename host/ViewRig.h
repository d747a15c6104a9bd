// The camera rig of pm-run's model view: the orbit about the model's centre ("SviewOrbit"), the eye at a
// distance along its z axis ("SviewEye") and the channel "Channel0" whose clipping follows the distance.
#pragma once

#include <pelmora/render/RenderChannel.h>
#include <pelmora/scene/Transform.h>
#include <pelmora/script/object/ScriptNamespace.h>

namespace PMHost {

inline constexpr float kFieldOfView = 45;  // degrees, vertical

struct Rig {
  PM::STransform_I* orbit = nullptr;
  PM::STransform_I* eye = nullptr;
  PM::RenderChannel_I* channel = nullptr;
  float radius = 1;  // of the sphere framed
};

// The rig's objects by their names; false when a script replaced one with something else.
bool FindRig(PM::ScriptNamespace* names, Rig& rig);
// Puts the eye `distance` from the orbit's centre, near and far around the sphere of `rig.radius`.
void PlaceEye(const Rig& rig, float distance);
// The distance at which the sphere of `radius` fills the height of the view with a margin.
float FramingDistance(float radius);

}  // namespace PMHost
