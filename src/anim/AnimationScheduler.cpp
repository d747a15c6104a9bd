#include "anim/AnimationScheduler.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <vector>

#include "anim/AnimationClip.h"
#include "anim/ConnectionGroup.h"
#include "classes/EngineClassRegistry.h"

namespace PM {

namespace {

using S = AnimationScheduler_I;

bool ValidTrack(int32_t track) { return track >= 0 && track < S::kTrackCount; }

// Nil entries order before every clip; a NaN end time after all.
double SortKey(const Obj<AnimationClip_I>& clip) {
  if (clip.IsNil()) return -std::numeric_limits<double>::infinity();
  double e = clip->GetEndTime();
  return std::isnan(e) ? std::numeric_limits<double>::infinity() : e;
}

}  // namespace

void AnimationScheduler_I::ResetEndTimes() {
  std::fill(std::begin(m_trackEndTime), std::end(m_trackEndTime), -1.0);
  m_highestEndTime = -1.0;
}

void AnimationScheduler_I::AddEndTime(AnimationClip_I* clip) {
  int32_t track = clip->m_track;
  if (!ValidTrack(track)) return;
  double end = clip->GetEndTime();
  if (clip->m_presetOnly)
    m_trackEndTime[track] = clip->m_startTime;
  else if (end > m_trackEndTime[track])
    m_trackEndTime[track] = end;
  if (end > m_highestEndTime) m_highestEndTime = end;
}

void AnimationScheduler_I::RecomputeTrackEndTimes() {
  ResetEndTimes();
  for (const Obj<AnimationClip_I>& clip : m_animationClip)
    if (!clip.IsNil()) AddEndTime(clip);
}

void AnimationScheduler_I::SortClips() {
  if (!m_clipsUnsorted) return;
  m_clipsUnsorted = false;
  // Stable: clips with equal end times keep their list order.
  std::vector<std::pair<double, int32_t>> order;
  order.reserve(size_t(m_animationClip.Count()));
  for (int32_t i = 0; i < m_animationClip.Count(); ++i) order.emplace_back(SortKey(m_animationClip[i]), i);
  std::stable_sort(order.begin(), order.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
  Array<Obj<AnimationClip_I>> sorted;
  sorted.Reserve(m_animationClip.Count());
  for (const auto& entry : order) sorted.Append(m_animationClip[entry.second]);
  m_animationClip = std::move(sorted);
}

ScriptObject* AnimationScheduler_I::GetClip(int32_t i) {
  return i >= 0 && i < m_animationClip.Count() ? m_animationClip[i].Get() : NilScriptObject();
}

void AnimationScheduler_I::SetClip(int32_t i, ScriptObject* value) {
  if (!value || IsNilObject(value)) {
    m_animationClip.Remove(i, 1);
    if (m_animationClip.IsEmpty()) ResetEndTimes();
    return;
  }
  if (!SetIndexOk(this, kMemberSchedulerAnimationClip, i, m_animationClip.Count())) return;
  // The class first: a refused value must not reach the end times.
  AnimationClip_I* clip = nullptr;
  if (value->IsA(AnimationClip_I::kClassId))
    clip = static_cast<AnimationClip_I*>(value);
  else
    ScriptObject::ExpectFailed(value, AnimationClip_I::kClassId);
  if (clip) AddEndTime(clip);
  if (i >= m_animationClip.Count()) m_animationClip.Grow(i + 1);
  m_animationClip[i] = clip;
  m_clipsUnsorted = true;
}

void AnimationScheduler_I::RemoveClips(int32_t first, int32_t count) {
  if (first < 0) return;
  m_animationClip.Remove(first, count);
  if (m_animationClip.IsEmpty()) ResetEndTimes();
}

ScriptObject* AnimationScheduler_I::GetBlendClip(int32_t i) {
  return i >= 0 && i < m_blendClip.Count() ? m_blendClip[i].Get() : NilScriptObject();
}

void AnimationScheduler_I::SetBlendClip(int32_t i, ScriptObject* value) {
  if (!value || IsNilObject(value)) {
    m_blendClip.Remove(i, 1);
    return;
  }
  if (!SetIndexOk(this, kMemberSchedulerBlendClip, i, m_blendClip.Count())) return;
  AnimationClip_I* clip = nullptr;
  if (value->IsA(AnimationClip_I::kClassId))
    clip = static_cast<AnimationClip_I*>(value);
  else
    ScriptObject::ExpectFailed(value, AnimationClip_I::kClassId);
  if (i >= m_blendClip.Count()) m_blendClip.Grow(i + 1);
  m_blendClip[i] = clip;
}

void AnimationScheduler_I::RemoveBlendClips(int32_t first, int32_t count) {
  if (first < 0)
    m_blendClip.Clear();
  else
    m_blendClip.Remove(first, count);
}

double AnimationScheduler_I::GetTrackEndTime(int32_t track) { return ValidTrack(track) ? m_trackEndTime[track] : -1.0; }

void AnimationScheduler_I::SetTrackEndTime(int32_t track, double time) {
  if (!ValidTrack(track)) {
    ReportBadIndex("Set", this, kMemberSchedulerTrackEndTime, track, kTrackCount);
    return;
  }
  m_trackEndTime[track] = time;
}

void AnimationScheduler_I::ResetTrackEndTimes(int32_t first, int32_t count) {
  if (first < 0 || first >= kTrackCount || count == 0) return;
  int32_t end = count < 0 || count > kTrackCount - first ? kTrackCount : first + count;
  std::fill(m_trackEndTime + first, m_trackEndTime + end, -1.0);
}

namespace {

// The clip lists as indexed members that see the raw value, so that a nil Set (removal) and a
// refused value (stored as nil) stay apart.
template <ScriptObject* (S::*Get)(int32_t), void (S::*Set)(int32_t, ScriptObject*),
          Array<Obj<AnimationClip_I>> S::*List, void (S::*Remove)(int32_t, int32_t)>
struct ClipList {
  static ScriptObject* GetAt(ScriptObject* o, uint32_t, int32_t i) { return (static_cast<S*>(o)->*Get)(i); }
  static void SetAt(ScriptObject* o, uint32_t, int32_t i, ScriptObject* v) { (static_cast<S*>(o)->*Set)(i, v); }
  static int32_t Size(ScriptObject* o, uint32_t) { return (static_cast<S*>(o)->*List).Count(); }
  static void RemoveAt(ScriptObject* o, uint32_t, int32_t first, int32_t count) {
    (static_cast<S*>(o)->*Remove)(first, count);
  }
  static MemberDef Member(uint32_t id, const char* name) {
    return CallbackIndexedMember<VObject>(id, name, &GetAt, &SetAt, &Size, &RemoveAt);
  }
};

using Clips = ClipList<&S::GetClip, &S::SetClip, &S::m_animationClip, &S::RemoveClips>;
using BlendClips = ClipList<&S::GetBlendClip, &S::SetBlendClip, &S::m_blendClip, &S::RemoveBlendClips>;

int32_t TrackCount(ScriptObject*, uint32_t) { return S::kTrackCount; }
double TrackEndAt(ScriptObject* o, uint32_t, int32_t i) { return static_cast<S*>(o)->GetTrackEndTime(i); }
void SetTrackEndAt(ScriptObject* o, uint32_t, int32_t i, double t) { static_cast<S*>(o)->SetTrackEndTime(i, t); }
void ResetTrackEnds(ScriptObject* o, uint32_t, int32_t first, int32_t count) {
  static_cast<S*>(o)->ResetTrackEndTimes(first, count);
}

}  // namespace

void AnimationScheduler_I::Define() {
  const ClassDef classes[] = {ConcreteClass<AnimationScheduler_I>()};
  DefineClasses(classes);
  const MemberDef members[] = {
      FieldMember<&S::m_connectionGroup>(kMemberSchedulerConnectionGroup, "ConnectionGroup"),
      Clips::Member(kMemberSchedulerAnimationClip, "AnimationClip"),
      FieldMember<&S::m_removeExpiredClip>(kMemberSchedulerRemoveExpiredClip, "RemoveExpiredClip"),
      CallbackIndexedMember<VF64>(kMemberSchedulerTrackEndTime, "TrackEndTime", &TrackEndAt, &SetTrackEndAt,
                                  &TrackCount, &ResetTrackEnds, 0x5),
      AccessorMember<&S::GetHighestEndTime, nullptr>(kMemberSchedulerHighestEndTime, "HighestEndTime", 0x5),
      BlendClips::Member(kMemberSchedulerBlendClip, "BlendClip"),
  };
  DefineMembers(members);
}

// Entered in the engine class table, which defines it in the order list's order.
static const bool kClassEntered = EnterEngineClasses<AnimationScheduler_I>();

}  // namespace PM
