// The numbered connections through which animation values reach object members: clips accumulate
// per connection and track during a frame, and Commit blends the tracks into the members.
#pragma once

#include <vector>

#include "anim/FrameLines.h"
#include "classes/EngineClass.h"
#include "classes/Object.h"
#include "core/Vector4f.h"

namespace PM {

class AnimationLibrary_I;
struct MemberRecord;

// One animation track of one connection. Base and Last carry over between frames.
struct CGTrack {
  Vector4f value{0, 0, 0, 0};  // this frame's value
  Vector4f base{0, 0, 0, 0};   // the last unfaded value: what fade-ins start from
  Vector4f last{0, 0, 0, 0};   // the last value put in; held through cross-fades
  float trackFade = -1.0f;     // kept for the host; nothing here reads it
  bool full = false;           // the last application wrote the value unfaded
};

// One animated target: an object's member (an element of it when indexed) and its tracks.
struct CGConnection {
  Obj<ScriptObject> object;
  uint32_t member = 0;
  int32_t memberIndex = 0;
  uint32_t memberMask = 0;  // for pose blending; the players ignore it
  Array<CGTrack> tracks;    // grown on demand, never shrunk
  uint32_t valueType = 0;   // the member's value type, refreshed by BeginFrame
  uint32_t written = 0;     // a clip wrote this connection in the current frame
};

class ConnectionGroup_I : public EngineClass<ConnectionGroup_I, Object_I, ClassId::ConnectionGroup, "ConnectionGroup"> {
 public:
  static void Define();
  static constexpr int32_t kTrackCount = 32;

  // Slot 1: clears this frame's values and refreshes each connection's value type, last to first.
  virtual void BeginFrame();
  // Slot 2: the cross-fade weight of this frame (negative: none); the flag is only kept.
  virtual void SetTrackBlend(float weight, uint32_t flag);
  // Slot 3: evaluates the library at its start plus `localTime` into track `track` of each port's
  // connection, fading in by `fadeIn` unless finished.
  virtual void ApplyClip(int32_t track, AnimationLibrary_I* library, double localTime, float amplitude, float fadeIn,
                         float trackFade, bool finished, bool presetOnly);
  // Slot 4: sums, cross-fades and writes the written connections into their members.
  virtual void Commit();
  // Slot 5: a track's current value; the member's value type, 0 for no connection or member.
  virtual uint32_t GetTrackValue(uint32_t connection, uint32_t track, Vector4f& out);
  // Slot 6: moves each odd track's state into its even partner and clears the odd one.
  virtual void SwapTrackPairs();

  // Notes the lines a frame meets first: this group, the head of its connection list and of the
  // members found for them, and the first connections' targets and track lists.
  void NoteFrameLines(FrameLines& lines) const;

  // The record of the connection's member when it can be written, else null after the Error line.
  static const MemberRecord* ResolveMember(ScriptObject* object, uint32_t member);

  // Commit writes through plain pointers to the targets; a Set that reaches this group and takes a
  // connection's object out of it leaves the object here until the commit ends, so none goes while
  // a Set on it runs. The connection members call this before they replace or remove objects.
  bool IsCommitting() const { return m_commitDepth > 0; }
  void KeepWhileCommitting(ScriptObject* object) {
    if (m_commitDepth > 0 && !IsNilObject(object)) m_keptObjects.Append(Obj<ScriptObject>(object));
  }

  // The four members are views of this one list: a Set on any of them grows it by whole connections,
  // a Remove takes whole connections out.
  Array<CGConnection> m_connections;
  float m_trackBlendWeight = -1.0f;
  uint32_t m_trackBlendFlag = 1;

 private:
  // The member record last found for each connection's target, which the next frame's start and
  // commit take again while the connection names the same object, of the same class, and the same
  // member, and no class or member was defined or released since.
  struct ResolvedTarget {
    const void* object = nullptr;
    const void* classRow = nullptr;
    const MemberRecord* record = nullptr;
    uint32_t member = 0;
    uint32_t tables = 0;  // ClassDatabaseVersion when it was found
    bool Holds(const void* o, const void* row, uint32_t m, uint32_t t) const {
      return record && object == o && classRow == row && member == m && tables == t;
    }
  };
  const MemberRecord* ResolvedAgain(int32_t i, const CGConnection& c, uint32_t tables) const;

  std::vector<ResolvedTarget> m_resolved;
  int32_t m_commitDepth = 0;  // commits running (a Set may start another)
  Array<Obj<ScriptObject>> m_keptObjects;
};

enum : uint32_t {
  kMemberConnectionObject = 0x01FFF094,
  kMemberConnectionMember = 0x02FFF094,
  kMemberConnectionMemberIndex = 0x03FFF094,
  kMemberConnectionMemberMask = 0x04FFF094,
};

}  // namespace PM
