// The clip player of pm-run's model view: which of the model's clips plays, paused or stepped a frame,
// at what speed, and the clock the animation schedulers are stepped to.
#pragma once

#include <string>

#include <pelmora/anim/AnimationClip.h>
#include <pelmora/script/object/ScriptEngine.h>

#include "ModelView.h"

namespace PMHost {

// The name the file gives `clip` (its animation's), which its engine name may not be ("walk_2" where a
// node took "walk" first): the one --clip, --list and the statistics use.
std::string FileClipName(const PM::AnimationClip_I* clip);

class ClipPlayer {
 public:
  void Start(PM::ScriptEngine* engine, const ModelView& view);
  // The clip `by` places on (1 the next, -1 the previous), from its start in a loop.
  void Change(int by);
  void TogglePause() { m_paused = !m_paused; }
  // While paused: one frame on at the next step.
  void StepOne();
  void Faster();  // twice as fast, to 64 times
  void Slower();  // half as fast, to 1/64
  // Steps the schedulers to the clips' time at the frame time `now`.
  void Step(double now);
  // The statistics' line of the clip playing: its name, where it is, its length and the speed.
  std::string Line() const;

 private:
  PM::AnimationClip_I* Playing() const;

  PM::ScriptEngine* m_engine = nullptr;
  const ModelView* m_view = nullptr;
  bool m_paused = false;
  double m_speed = 1;
  double m_clock = 0;        // the schedulers' time
  double m_lastNow = 0;      // the frame time of the last step
  double m_pendingStep = 0;  // "," pressed while paused
  bool m_stepped = false;    // the schedulers have been stepped to m_clock
};

}  // namespace PMHost
