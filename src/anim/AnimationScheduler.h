// Plays animation clips on tracks into a connection group, once per frame when the host calls Update.
#pragma once

#include "anim/FrameLines.h"
#include "classes/EngineClass.h"
#include "classes/Object.h"

namespace PM {

class AnimationClip_I;
class ConnectionGroup_I;

class AnimationScheduler_I
    : public EngineClass<AnimationScheduler_I, Object_I, ClassId::AnimationScheduler, "AnimationScheduler"> {
 public:
  static void Define();
  static constexpr int32_t kTrackCount = 32;

  AnimationScheduler_I() { ResetEndTimes(); }

  // Slot 1: one animation step at the host's frame time.
  virtual void Update(double frameTime);
  // Slot 2: orders the clips by end time when one was stored since the last sort.
  virtual void SortClips();

  // The clip list. Set: a clip joins the track end times and marks the list unsorted; nil removes
  // the entry; a value of another class is reported and stored as nil. An emptied list resets the
  // end times. Reads past the count give nil.
  ScriptObject* GetClip(int32_t i);
  void SetClip(int32_t i, ScriptObject* value);
  void RemoveClips(int32_t first, int32_t count);
  // Blend clips: as the clip list without bookkeeping; a negative first index empties it.
  ScriptObject* GetBlendClip(int32_t i);
  void SetBlendClip(int32_t i, ScriptObject* value);
  void RemoveBlendClips(int32_t first, int32_t count);
  // Always 32 entries: Remove resets entries to -1, Sets outside are refused, reads outside give -1.
  double GetTrackEndTime(int32_t track);
  void SetTrackEndTime(int32_t track, double time);
  void ResetTrackEndTimes(int32_t first, int32_t count);
  double GetHighestEndTime() const { return m_highestEndTime; }
  // Recounts the end times from the whole list (after a cross-fade has moved tracks).
  void RecomputeTrackEndTimes();

  Obj<ConnectionGroup_I> m_connectionGroup;
  Array<Obj<AnimationClip_I>> m_animationClip;
  Array<Obj<AnimationClip_I>> m_blendClip;
  double m_lastFrameTime = -1.0;
  double m_trackEndTime[kTrackCount];
  double m_highestEndTime = -1.0;
  bool m_removeExpiredClip = false;
  bool m_clipsUnsorted = false;

 private:
  void ResetEndTimes();
  // Folds one clip into the end times; clips on tracks outside 0..31 stay out.
  void AddEndTime(AnimationClip_I* clip);
  AnimationClip_I* FindBlendClip(double t);
  // Notes where this update's group, clips and first connections lie, for the next update to ask for.
  void NoteFrameLines();

  // With many schedulers each one's records are cold when its turn comes, and each leads to the next
  // (scheduler, group, connection list, connections): asked for by the addresses of the last frame,
  // they arrive together instead of one after another.
  FrameLines m_frameLines;
};

enum : uint32_t {
  kMemberSchedulerConnectionGroup = 0x01FFF093,
  kMemberSchedulerAnimationClip = 0x02FFF093,
  kMemberSchedulerRemoveExpiredClip = 0x03FFF093,
  kMemberSchedulerTrackEndTime = 0x04FFF093,
  kMemberSchedulerHighestEndTime = 0x05FFF093,
  kMemberSchedulerBlendClip = 0x06FFF093,
};

}  // namespace PM
