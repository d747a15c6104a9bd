#include "ClipPlayer.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include <pelmora/anim/AnimationLibrary.h>
#include <pelmora/anim/AnimationScheduler.h>
#include <pelmora/scene/NodeWalk.h>

#include "HostScene.h"

namespace PMHost {

using namespace PM;

namespace {

constexpr double kFrameStep = 1.0 / 60;  // what "," moves a paused clip on
constexpr double kMaxSpeed = 64, kMinSpeed = 1.0 / 64;

}  // namespace

std::string FileClipName(const AnimationClip_I* clip) {
  const auto* library = clip->m_animationLibrary.Get();
  if (library && !IsNilObject(library) && !library->m_name.IsEmpty()) return library->m_name.CStr();
  return clip->m_name.CStr();
}

void ClipPlayer::Start(ScriptEngine* engine, const ModelView& view) {
  m_engine = engine;
  m_view = &view;
}

AnimationClip_I* ClipPlayer::Playing() const {
  for (const Obj<ScriptObject>& c : m_view->clips)
    if (auto* clip = static_cast<AnimationClip_I*>(c.Get()); clip->m_enabled) return clip;
  return nullptr;
}

void ClipPlayer::Change(int by) {
  const auto n = int32_t(m_view->clips.size());
  if (n == 0) return;
  int32_t current = -1;
  for (int32_t i = 0; i < n && current < 0; ++i)
    if (static_cast<AnimationClip_I*>(m_view->clips[size_t(i)].Get())->m_enabled) current = i;
  // From no clip playing, n starts at the first and p at the last.
  const int32_t next = current < 0 ? (by > 0 ? 0 : n - 1) : ((current + by) % n + n) % n;
  for (int32_t i = 0; i < n; ++i) {
    auto* clip = static_cast<AnimationClip_I*>(m_view->clips[size_t(i)].Get());
    clip->m_enabled = i == next;
    // The chosen clip starts now, from its beginning, in a loop.
    if (i == next) {
      clip->m_startTime = m_clock;
      clip->m_cycles = kLoopCycles;
    }
  }
  if (auto* s = As<AnimationScheduler_I>(m_view->scheduler.Get())) {
    // The start times changed: the scheduler orders its clips and their end times anew.
    s->m_clipsUnsorted = true;
    s->RecomputeTrackEndTimes();
  }
}

void ClipPlayer::StepOne() {
  if (m_paused) m_pendingStep += kFrameStep;
}

void ClipPlayer::Faster() { m_speed = std::min(m_speed * 2, kMaxSpeed); }

void ClipPlayer::Slower() { m_speed = std::max(m_speed / 2, kMinSpeed); }

void ClipPlayer::Step(double now) {
  const double elapsed = std::max(now - m_lastNow, 0.0);
  m_lastNow = now;
  const double before = m_clock;
  m_clock += m_paused ? m_pendingStep : elapsed * m_speed;
  m_pendingStep = 0;
  // A scheduler stepped twice to one time warns: a paused clip holds its pose without a step.
  if (m_stepped && m_clock == before) return;
  m_stepped = true;
  StepSchedulers(m_engine->GetNamespace(), m_clock);
}

std::string ClipPlayer::Line() const {
  AnimationClip_I* clip = Playing();
  if (!clip) return "no clip";
  char line[256];
  const double length = clip->GetDuration() * std::fabs(clip->m_scale);
  const double at = length > 0 ? std::fmod(std::max(m_clock - clip->m_startTime, 0.0), length) : 0;
  std::snprintf(line, sizeof line, "clip \"%s\" %.2f of %.2f s, x%g%s", FileClipName(clip).c_str(), at, length, m_speed,
                m_paused ? ", paused" : "");
  return line;
}

}  // namespace PMHost
