// What pm-run's frame loops share: the scene objects found by their conventional names (the pipe
// "Pipe", the channels "Channel0", "Channel1", ..., the schedulers "Scheduler0", ...) and the particle
// effects stepped before each frame.
#pragma once

#include <vector>

#include <pelmora/anim/ParticleEffect.h>
#include <pelmora/core/Obj.h>
#include <pelmora/render/RenderPipe.h>
#include <pelmora/render/RenderSystemTraverse.h>
#include <pelmora/script/object/ScriptNamespace.h>

namespace PMHost {

using Effects = std::vector<PM::Obj<PM::ParticleEffect>>;

// The RenderPipe "Pipe", or null when the scripts made none.
PM::RenderPipe_I* FindPipe(PM::ScriptNamespace* names);
// Steps every scheduler "Scheduler0", "Scheduler1", ... up to the first name that is not an animation
// scheduler, to the frame time `time`.
void StepSchedulers(PM::ScriptNamespace* names, double time);
// Waits (at most 10 s) until no texture loader thread runs, then releases what they handed back.
void WaitForTextureLoads();
// A traverse that draws `pipe` with the channels "Channel0", "Channel1", ... up to the first missing name;
// a `passes` word of 0 or more replaces each channel's pass flag word.
PM::Ptr<PM::RenderSystemTraverse_I> MakeTraverse(PM::ScriptNamespace* names, PM::RenderPipe_I* pipe, long passes);

}  // namespace PMHost
