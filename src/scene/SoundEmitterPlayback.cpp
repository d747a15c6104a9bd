// TSoundEmitter behaviour: loading the buffer through the shared device, playback and the per-frame
// update that follows the parent transform.
#include <cmath>
#include <cstring>

#include "core/HighResTimer.h"
#include "core/Log.h"
#include "core/TraceStage.h"
#include "platform/Hourglass.h"
#include "platform/InertText.h"
#include "scene/BaseTransform.h"
#include "scene/SoundEmitter.h"
#include "script/object/MemberAccess.h"
#include "sound/SharedSoundDevice.h"

namespace PM {

namespace {
constexpr const char* kAbsolute = "absolute://";
constexpr size_t kAbsoluteLength = 11;
constexpr float kSpeedLimit = 10.0f;  // units per second
}  // namespace

TSoundEmitter_I::~TSoundEmitter_I() {
  // The buffer goes before the device it was made by.
  m_buffer.Clear();
  SharedSoundDevice::Release(m_device, true);
}

int32_t TSoundEmitter_I::Load() {
  if (!SoundsEnabled()) return 1;
  TraceStage trace("TSoundEmitter_D::Load()");
  if (m_buffer || m_loadState != 0) return 0;
  Hourglass wait;  // opening the device and reading the file can take a while
  HighResTimer timer;
  if (!SharedSoundDevice::Acquire(m_device)) {
    LogError("no SoundDevice.");
    m_loadState = -1;
    return 1;
  }
  ScriptObject* s = GetSNode();
  FileObject_I* file = nullptr;
  if (s->IsA(SSoundEmitter_I::kClassId)) {
    ScriptObject* f = static_cast<SSoundEmitter_I*>(s)->m_fileObject.Get();
    if (f->IsA(FileObject_I::kClassId)) {
      file = static_cast<FileObject_I*>(f);
    } else {
      ScriptObject::ExpectFailed(f, FileObject_I::kClassId);
    }
  }
  String name = file ? file->GetFileName() : String();
  String path;
  if (strncmp(name.CStr(), kAbsolute, kAbsoluteLength) == 0) {
    path = String(name.CStr() + kAbsoluteLength);
  } else {
    path = String::FromConcat(String::FromConcatCStr(file ? file->GetReadPath() : String(), "Sounds/"), name);
  }
  m_buffer = SoundSource::Create(m_device.Get(), path, m_createArg1, m_createArg2);
  if (!m_buffer) {
    m_loadState = -1;
    LogError("TSoundEmitter_D::Load: cannot play \"", InertText(path.View()).c_str(), "\".");
    return 1;
  }
  m_positional = m_buffer->IsPositional();
  m_loadState = 1;
  LogInfo("Loaded Sound \"", InertText(path.View()).c_str(), "\" in ", timer.GetElapsedMilliseconds(), " ms.");
  m_buffer->SetMinDistance(m_minDistance, false);
  m_buffer->SetMaxDistance(m_maxDistance, false);
  m_buffer->SetPitch(m_pitch, false);
  m_buffer->SetCategoryVolume(m_categoryVolume, false);
  m_buffer->SetVolume(m_volume, true);
  return 1;
}

int32_t TSoundEmitter_I::Play(bool loop, float startSeconds) {
  m_playRequested = true;
  m_pause = false;
  if (!SoundsEnabled()) return 1;
  Load();
  if (!m_buffer) return 0;
  return m_buffer->Play(loop, startSeconds) ? 1 : 0;
}

void TSoundEmitter_I::UpdateBuffer() {
  if (m_buffer && m_device) m_buffer->Update();
}

bool TSoundEmitter_I::IsPlaying() { return m_buffer && m_buffer->IsPlaying(); }

void TSoundEmitter_I::Stop() {
  m_playRequested = false;
  m_pause = false;
  if (m_buffer) m_buffer->Stop();
}

void TSoundEmitter_I::PauseSound() {
  if (SoundsEnabled() && m_buffer) m_buffer->Pause();
  m_pause = true;
}

void TSoundEmitter_I::ResumeSound() {
  if (!SoundsEnabled()) return;
  if (m_loadState == 0) Load();
  m_pause = false;
  if (m_buffer) m_buffer->Resume();
}

void TSoundEmitter_I::SetPlayCount(int32_t n) {
  if (n >= 1) {
    Play(m_loop, 0);
  } else {
    Stop();
  }
}

void TSoundEmitter_I::SetPause(bool on) {
  if (on) {
    PauseSound();
  } else if (m_playRequested) {
    ResumeSound();
  }
  m_pause = on;
}

float TSoundEmitter_I::GetVolume() const { return m_buffer ? m_buffer->GetVolume() : m_volume; }
float TSoundEmitter_I::GetCategoryVolume() const { return m_buffer ? m_buffer->GetCategoryVolume() : m_categoryVolume; }
float TSoundEmitter_I::GetPitch() const { return m_buffer ? m_buffer->GetPitch() : m_pitch; }

void TSoundEmitter_I::SetVolume(float db) {
  m_volume = db;
  if (m_buffer) m_buffer->SetVolume(db, true);
}

void TSoundEmitter_I::SetCategoryVolume(float db) {
  m_categoryVolume = db;
  if (m_buffer) m_buffer->SetCategoryVolume(db, true);
}

void TSoundEmitter_I::SetPitch(float pitch) {
  m_pitch = pitch;
  if (m_buffer) m_buffer->SetPitch(pitch, true);
}

void TSoundEmitter_I::SetPosition(const Vector3f& v) {
  if (m_buffer) m_buffer->SetPosition(v, false);
}

void TSoundEmitter_I::SetVelocity(const Vector3f& v) {
  if (m_buffer) m_buffer->SetVelocity(v, false);
}

// ---- forwarders --------------------------------------------------------------------------------------

void TSoundEmitter_I::SetConeAngles(float inner, float outer, bool commit) {
  if (m_buffer) m_buffer->SetConeAngles(inner, outer, commit);
}
void TSoundEmitter_I::GetConeAngles(float& inner, float& outer) {
  if (m_buffer) m_buffer->GetConeAngles(inner, outer);
}
void TSoundEmitter_I::SetConeOuterGain(float gain, bool commit) {
  if (m_buffer) m_buffer->SetConeOuterGain(gain, commit);
}
float TSoundEmitter_I::GetConeOuterGain() { return m_buffer ? m_buffer->GetConeOuterGain() : 0.0f; }
Vector3f TSoundEmitter_I::GetDirection() { return m_buffer ? m_buffer->GetDirection() : kZeroVector3f; }
void TSoundEmitter_I::SetDirection(const Vector3f& v, bool commit) {
  if (m_buffer) m_buffer->SetDirection(v, commit);
}
float TSoundEmitter_I::GetDuration() { return m_buffer ? m_buffer->GetDuration() : 0.0f; }
void TSoundEmitter_I::SetPlayTime(float seconds) {
  if (m_buffer) m_buffer->SetPlayTime(seconds);
}
bool TSoundEmitter_I::GetBufferLoop() { return m_buffer && m_buffer->GetLoop(); }
void TSoundEmitter_I::SetBufferLoop(bool loop) {
  if (m_buffer) m_buffer->SetLoop(loop);
}
bool TSoundEmitter_I::GetRelative() { return m_buffer && m_buffer->GetRelative(); }
void TSoundEmitter_I::SetRelative(bool relative, bool commit) {
  if (m_buffer) m_buffer->SetRelative(relative, commit);
}
float TSoundEmitter_I::GetRolloff() { return m_buffer ? m_buffer->GetRolloff() : 0.0f; }
void TSoundEmitter_I::SetRolloff(float rolloff, bool commit) {
  if (m_buffer) m_buffer->SetRolloff(rolloff, commit);
}
String TSoundEmitter_I::GetBufferFileName() { return m_buffer ? m_buffer->GetFileName() : String(); }
void TSoundEmitter_I::Commit() {
  if (m_buffer) m_buffer->Commit();
}
void TSoundEmitter_I::SetMinDistance(float d, bool commit) {
  m_minDistance = d;
  if (m_buffer) m_buffer->SetMinDistance(d, commit);
}
float TSoundEmitter_I::GetMinDistance() { return m_buffer ? m_buffer->GetMinDistance() : 0.0f; }
void TSoundEmitter_I::SetMaxDistance(float d, bool commit) {
  m_maxDistance = d;
  if (m_buffer) m_buffer->SetMaxDistance(d, commit);
}
float TSoundEmitter_I::GetMaxDistance() { return m_buffer ? m_buffer->GetMaxDistance() : 0.0f; }
void TSoundEmitter_I::SetVolumeAndDistances(float db, float minDistance, float maxDistance, bool commit) {
  m_volume = db;
  m_minDistance = minDistance;
  m_maxDistance = maxDistance;
  if (m_buffer) m_buffer->SetVolumeAndDistances(db, minDistance, maxDistance, commit);
}
uint32_t TSoundEmitter_I::GetDataBytes() { return m_buffer ? m_buffer->GetDataBytes() : 0; }
SoundDevice* TSoundEmitter_I::GetBufferDevice() { return m_buffer ? m_buffer->GetDevice() : nullptr; }

// ---- per frame -----------------------------------------------------------------------------------------

void TSoundEmitter_I::Update(double dt) {
  if (dt <= 0 || !m_buffer || !m_positional) {
    m_motion.Restart();
    return;
  }
  Matrix4f world;
  Vector3f velocity;
  if (!m_motion.Step(GetParent(), dt, world, velocity)) return;
  Vector3f position = world.Row(3);
  Vector3f direction = world.Row(2);
  if (direction.LengthSquared() > 0) direction.Normalize();
  float speed = velocity.Length();
  if (speed >= kSpeedLimit) {
    float k = kSpeedLimit / speed;
    velocity = {velocity.x * k, velocity.y * k, velocity.z * k};
  }
  m_buffer->SetDirection({-direction.x, -direction.y, -direction.z}, false);
  m_buffer->SetPosition(position, false);
  m_buffer->SetVelocity(velocity, true);
}

}  // namespace PM
