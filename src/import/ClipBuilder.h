// ClipBuilder: a file's animations as the engine's clips. One library an animation, whose curves drive
// the translation, rotation and scaling of the animated nodes' transforms and the Weight of the morph
// targets' blend controls through one connection group for the model; one clip a library, named after
// the animation; one scheduler over all the clips.
#pragma once

#include <string>
#include <vector>

#include "anim/AnimationScheduler.h"
#include "anim/BlendControl.h"
#include "core/Obj.h"
#include "import/ImportScene.h"
#include "import/NamePool.h"
#include "scene/BaseTransform.h"

namespace PM::Import {

// The ticks a second of an animation: the file's rate, or Assimp's default of 25 when it gives none.
double TicksPerSecond(const Animation& a);

// The scheduler of `scene`'s animations (nil when it has none); `nodes` are the scene's nodes as built,
// `blends` each mesh's blend controls (one a morph target, or none). Clips play once from time 0, in
// seconds; the first is enabled, the others are listed disabled.
Obj<AnimationScheduler_I> BuildClips(const Scene& scene, const std::vector<Obj<TBaseTransform_I>>& nodes,
                                     const std::vector<std::vector<Obj<BlendControl_I>>>& blends, NamePool& names,
                                     const std::string& file);

}  // namespace PM::Import
