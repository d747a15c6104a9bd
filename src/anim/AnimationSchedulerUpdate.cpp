// One animation step: which clips play, where inside their libraries, the cross-fade between track
// pairs, clip events, expiry and the completion of a cross-fade.
#include <algorithm>
#include <cmath>

#include "anim/AnimationClipEvent.h"
#include "anim/AnimationLibrary.h"
#include "anim/AnimationScheduler.h"
#include "anim/ConnectionGroup.h"
#include "core/Log.h"

namespace PM {

namespace {

constexpr float kPi = 3.1415927f;

bool ValidTrack(int32_t track) { return track >= 0 && track < AnimationScheduler_I::kTrackCount; }

double Clamp01(double x) { return x >= 0 ? std::min(x, 1.0) : 0.0; }  // NaN gives 0

// Where a clip stands at a frame time: u runs over the whole clip, p is the phase that picks the
// library time (pinned by WarpTime), tau the time inside the library.
struct ClipPlace {
  double u, p, tau;
};

ClipPlace PlaceClip(const AnimationClip_I& clip, double frameTime) {
  double s = clip.m_startTime, e = clip.GetEndTime(), sc = clip.m_scale, cy = clip.m_cycles;
  double d = clip.GetDuration();
  double length = std::fabs(d * cy * sc);
  ClipPlace at;
  // A clip that spans no time stands at its end rather than at 0/0.
  if (length == 0) {
    at.u = at.p = 1.0;
  } else {
    at.u = (frameTime - s) * (1.0 / length);
    at.p = sc < 0 ? (e - frameTime) * (1.0 / length) : at.u;
  }
  if (clip.m_warpTime >= 0) at.p = clip.m_warpTime;
  if (d == 0)
    at.tau = 0;
  else if (cy == 1)
    at.tau = at.p <= 0 ? 0 : at.p >= 1 ? d : at.p * d;
  else
    at.tau = at.p > 0 ? std::fmod(at.p * d * cy, d) : 0;
  return at;
}

// With many schedulers their objects are cold when a frame comes round: the group and the clips are
// asked for together rather than met one after another. Forced inline: a function of nothing but
// prefetches counts as free of effects to the compiler, which would then drop its calls.
[[gnu::always_inline]] inline void FetchFrameObjects(const AnimationScheduler_I& s) {
  __builtin_prefetch(HeaderOf(s.m_connectionGroup.Get()));
  __builtin_prefetch(HeaderOf(s.m_blendClip.Data()));
  const int32_t n = std::min(s.m_animationClip.Count(), AnimationScheduler_I::kTrackCount);
  for (int32_t i = 0; i < n; ++i) {
    const char* clip = reinterpret_cast<const char*>(HeaderOf(s.m_animationClip[i].Get()));
    for (int k = 0; k < 3; ++k) __builtin_prefetch(clip + 64 * k);
  }
}

}  // namespace

AnimationClip_I* AnimationScheduler_I::FindBlendClip(double t) {
  for (const Obj<AnimationClip_I>& b : m_blendClip) {
    if (b.IsNil()) continue;
    double s = b->m_startTime, end = s + b->m_blendTrackRange;
    if (s <= t && (end >= t || end >= m_lastFrameTime)) return b.Get();
  }
  return nullptr;
}

void AnimationScheduler_I::Update(double frameTime) {
  // Clip-event handlers may change the lists or release this scheduler, its clips and themselves.
  Obj<AnimationScheduler_I> self(this);
  m_frameLines.Fetch();
  FetchFrameObjects(*this);
  if (frameTime == m_lastFrameTime) LogWarn("CONSTD.m_LastFrameTime==frameTime");
  SortClips();
  Obj<ConnectionGroup_I> group(m_connectionGroup);
  if (group.IsNil()) {
    LogWarn("AnimationScheduler: no ConnectionGroup for \"", m_name, "\".");
    return;
  }
  const int32_t n = m_animationClip.Count();
  float w = -1.0f;
  Obj<AnimationClip_I> blend;
  if (!m_blendClip.IsEmpty()) {
    blend = FindBlendClip(frameTime);
    if (!blend.IsNil()) {
      double s = blend->m_startTime, span = (s + blend->m_blendTrackRange) - s;
      // A cross-fade of no length is complete at once.
      double x = span != 0 ? Clamp01((frameTime - s) / span) : 1.0;
      w = float(Clamp01(0.5 - 0.5 * std::cos(double(kPi) * x)));
    }
  }
  group->SetTrackBlend(w, 1);
  bool begun = false;
  for (int32_t i = 0; i < n && i < m_animationClip.Count(); ++i) {
    Obj<AnimationClip_I> clip(m_animationClip[i]);
    if (clip.IsNil()) {
      LogWarn("AnimationScheduler: clip at index ", " ", i, "is Nil.");
      continue;
    }
    const double start = clip->m_startTime, end = clip->GetEndTime();
    if (!clip->m_enabled || frameTime < start || m_lastFrameTime > end) continue;
    const ClipPlace at = PlaceClip(*clip, frameTime);
    Obj<AnimationLibrary_I> library(clip->m_animationLibrary);
    AnimationClipEvent_I* events =
        clip->IsA(AnimationClipEvent_I::kClassId) ? static_cast<AnimationClipEvent_I*>(clip.Get()) : nullptr;
    // Strictly after the last frame: a start on a frame time is raised in that frame only.
    if (events && start > m_lastFrameTime) events->RaiseEvent(kClipEventStart, float(at.p));
    if (!library.IsNil()) {
      if (!begun) {
        group->BeginFrame();
        begun = true;
      }
      const float btr = clip->m_blendTrackRange, br = clip->m_blendRange;
      const float trackFade = btr > 0 ? float(at.u) / btr : -1.0f;
      const float fadeIn = br > 0 ? float(at.u) / br : 1.0f;
      group->ApplyClip(clip->m_track, library, at.tau, clip->m_amplitudeScale, fadeIn, trackFade, at.u >= 1,
                       clip->m_presetOnly);
    }
    if (events) {
      if (at.u < 1) events->RaiseEvent(kClipEventRunning, float(at.p));
      // A clip still plays in the frame after one landing on its end: the end is raised once.
      else if (m_lastFrameTime < end)
        events->RaiseEvent(kClipEventEnd, float(at.p));
    }
  }
  if (begun) group->Commit();

  if (m_removeExpiredClip && blend.IsNil()) {
    // Nil entries sort first and count as expired.
    for (int32_t k = 0; k < n && !m_animationClip.IsEmpty(); ++k) {
      const Obj<AnimationClip_I>& first = m_animationClip[0];
      if (!first.IsNil() && !(first->GetEndTime() < frameTime)) break;
      m_animationClip.Remove(0, 1);
    }
    if (frameTime <= 0) ResetEndTimes();
  }

  for (int32_t k = m_blendClip.Count() - 1; k >= 0; --k) {
    if (k >= m_blendClip.Count() || m_blendClip[k].IsNil()) continue;
    AnimationClip_I* b = m_blendClip[k];
    if (b->m_startTime + b->m_blendTrackRange < frameTime || (b == blend.Get() && w >= 1) || frameTime <= 0)
      m_blendClip.Remove(k, 1);
  }

  if (!blend.IsNil() && w >= 1) {
    const double fadeStart = blend->m_startTime, fadeEnd = fadeStart + blend->m_blendTrackRange;
    for (int32_t k = m_animationClip.Count() - 1; k >= 0; --k) {
      AnimationClip_I* c = m_animationClip[k];
      if (IsNilObject(c) || !ValidTrack(c->m_track)) continue;
      if (c->m_track % 2 == 0) {
        if (c->m_startTime <= fadeEnd) m_animationClip.Remove(k, 1);
      } else if (fadeStart >= c->m_startTime) {
        c->m_track -= 1;
      }
    }
    RecomputeTrackEndTimes();
    group->SwapTrackPairs();
  }
  m_lastFrameTime = frameTime;
  NoteFrameLines();
}

void AnimationScheduler_I::NoteFrameLines() {
  FrameLines& lines = m_frameLines;
  lines.Clear();
  const int32_t clips = std::min(m_animationClip.Count(), 4);
  lines.Note(HeaderOf(m_animationClip.Data()), sizeof(BlockHeader) + sizeof(void*) * size_t(clips));
  for (int32_t i = 0; i < clips; ++i) lines.Note(HeaderOf(m_animationClip[i].Get()), 3 * 64);
  if (!m_blendClip.IsEmpty()) {
    lines.Note(HeaderOf(m_blendClip.Data()), sizeof(BlockHeader) + sizeof(void*));
    lines.Note(HeaderOf(m_blendClip[0].Get()), 3 * 64);
  }
  if (!m_connectionGroup.IsNil()) m_connectionGroup->NoteFrameLines(lines);
}

}  // namespace PM
