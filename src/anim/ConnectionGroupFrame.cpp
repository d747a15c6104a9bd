// A connection group's frame: clearing, accumulating clips per track, and writing the blended
// result into the members.
#include <climits>
#include <cmath>
#include <utility>

#include "anim/AnimationLibrary.h"
#include "anim/ConnectionGroup.h"
#include "core/Log.h"
#include "script/object/MemberAccess.h"

namespace PM {

namespace {

void ReportUnsupported(uint32_t member, const char* what) {
  LogError("ConnectionGroup::GetMemberTypeFlags: member #", Hex{member}, " ", what, " seems unsupported.");
}

// floor(x + 0.5) as an int, saturated at the int range (NaN gives 0).
int32_t RoundSaturated(float x) {
  double r = std::floor(double(x) + 0.5);
  if (!(r == r)) return 0;
  if (r <= double(INT_MIN)) return INT_MIN;
  if (r >= double(INT_MAX)) return INT_MAX;
  return int32_t(r);
}

// Where a result goes, copied out of the connection: a Set may reach this group and move its list.
struct Target {
  Obj<ScriptObject> object;  // held while its Set runs
  uint32_t member;
  int32_t index;
};

template <class Tag>
void WriteMember(const Target& c, bool indexed, const typename Tag::Value& v) {
  if (indexed)
    MemberSetAt<Tag>(c.object, c.member, c.index, v);
  else
    MemberSet<Tag>(c.object, c.member, v);
}

void WriteResult(const Target& c, const MemberRecord* r, const Vector4f& v) {
  // A whole-array member takes no single value.
  if (r->flags & kMemberArray) return;
  bool indexed = (r->flags & kMemberIndexed) != 0;
  switch (r->valueType) {
    case kClassI32:
      WriteMember<VI32>(c, indexed, RoundSaturated(v.x));
      break;
    case kClassF32:
      WriteMember<VF32>(c, indexed, v.x);
      break;
    case kClassVector2f:
      WriteMember<VVector2f>(c, indexed, Vector2f{v.x, v.y});
      break;
    case kClassVector3f:
      WriteMember<VVector3f>(c, indexed, Vector3f{v.x, v.y, v.z});
      break;
    case kClassVector4f:
      WriteMember<VVector4f>(c, indexed, v);
      break;
    default:
      break;
  }
}

}  // namespace

const MemberRecord* ConnectionGroup_I::ResolveMember(ScriptObject* object, uint32_t member) {
  if (!object) object = NilScriptObject();
  const MemberRecord* r = object->FindRecord(member);
  if (!r || !object->Row()[ClassIndex(member)]->isValid) {
    ReportUnsupported(member, "class");
    return nullptr;
  }
  // A read-only member's Set is its class's stub, the one objects of other classes reach; a function
  // member's Set is a call, not a value.
  const MemberTable* stubs = InvalidTable(member);
  uint32_t m = MemberIndex(member);
  if (r->id == 0 || (r->flags & (kMemberFunction | kMemberEnumValue)) || !stubs ||
      r->ops.set == stubs->records[m].ops.set) {
    ReportUnsupported(member, "function");
    return nullptr;
  }
  return r;
}

namespace {

// The frame's first pass over the connections is the one that meets their targets and track lists
// cold: with many characters they lie apart in memory. Asked for a few connections ahead, their loads
// overlap, and the clips and the commit that follow find them at hand. An object's header (its class
// row) and the first members' lines; a track list's header and first tracks.
constexpr int32_t kFetchAhead = 4;
constexpr int kObjectLines = 4, kTrackLines = 3;

void FetchAhead(const CGConnection& c) {
  const char* object = reinterpret_cast<const char*>(HeaderOf(c.object.Get()));
  for (int k = 0; k < kObjectLines; ++k) __builtin_prefetch(object + 64 * k);
  const char* tracks = reinterpret_cast<const char*>(HeaderOf(c.tracks.Data()));
  for (int k = 0; k < kTrackLines; ++k) __builtin_prefetch(tracks + 64 * k, 1);
}

}  // namespace

void ConnectionGroup_I::BeginFrame() {
  for (int32_t i = m_connections.Count() - 1; i >= 0; --i) {
    if (i >= kFetchAhead) FetchAhead(m_connections[i - kFetchAhead]);
    CGConnection& c = m_connections[i];
    c.written = 0;
    for (CGTrack& t : c.tracks) {
      t.value = {0, 0, 0, 0};
      t.trackFade = -1.0f;
      t.full = false;
    }
    if (const MemberRecord* r = ResolveMember(c.object, c.member)) c.valueType = r->valueType;
  }
}

void ConnectionGroup_I::SetTrackBlend(float weight, uint32_t flag) {
  m_trackBlendWeight = weight;
  m_trackBlendFlag = flag;
}

void ConnectionGroup_I::ApplyClip(int32_t track, AnimationLibrary_I* library, double localTime, float amplitude,
                                  float fadeIn, float trackFade, bool finished, bool presetOnly) {
  if (track < 0 || track >= kTrackCount) {
    LogError("ConnectionGroup::ApplyClip: track ", track, " is outside 0..31; the clip is not applied.");
    return;
  }
  if (!library || IsNilObject(library)) return;
  double s = library->m_startTime, e = library->m_endTime;
  // Against the span rather than s + localTime > e: at a clip's end the sum can round past e.
  if (localTime < 0 || localTime > e - s) return;
  double at = s + localTime;
  for (int32_t i = 0; i < library->GetCurveCount(); ++i) {
    int32_t port = library->m_groupPort[i];
    if (port < 0 || port >= m_connections.Count()) {
      LogError("ConnectionGroup: animation library specifies invalid port.");
      continue;
    }
    CGConnection& c = m_connections[port];
    if (presetOnly && c.written) continue;
    if (c.tracks.Count() <= track) c.tracks.Grow(track + 1);
    c.written = 1;
    Vector4f v{0, 0, 0, 0};
    library->Evaluate(uint32_t(i), at, v);
    CGTrack& t = c.tracks[track];
    if (!finished && fadeIn < 1.0f && c.valueType != kClassI32) {
      t.value = t.base * (1.0f - fadeIn) + v * (amplitude * fadeIn);
      t.full = false;
    } else {
      t.value = v * amplitude;
      t.full = true;
      t.base = t.value;
    }
    t.trackFade = trackFade;
    t.last = t.value;
  }
}

void ConnectionGroup_I::Commit() {
  const float w = m_trackBlendWeight;
  for (int32_t i = 0; i < m_connections.Count(); ++i) {
    CGConnection& c = m_connections[i];
    if (c.tracks.IsEmpty() || !c.written) continue;
    const MemberRecord* r = ResolveMember(c.object, c.member);
    if (!r) continue;
    Vector4f sums[2] = {{0, 0, 0, 0}, {0, 0, 0, 0}};
    for (int32_t k = 0; k < c.tracks.Count(); ++k) {
      CGTrack& t = c.tracks[k];
      if (w < 0) t.last = t.value;
      sums[k & 1] = sums[k & 1] + (w < 0 ? t.value : t.last);
    }
    Vector4f result = sums[0];
    if (w >= 0) {
      if (r->valueType == kClassI32)
        result = w < 0.5f ? sums[0] : sums[1];
      else
        result = sums[0] * (1.0f - w) + sums[1] * w;
    }
    WriteResult(Target{c.object, c.member, c.memberIndex}, r, result);
  }
}

uint32_t ConnectionGroup_I::GetTrackValue(uint32_t connection, uint32_t track, Vector4f& out) {
  if (connection >= uint32_t(m_connections.Count())) return 0;
  CGConnection& c = m_connections[int32_t(connection)];
  const MemberRecord* r = ResolveMember(c.object, c.member);
  if (!r) return 0;
  out = track < uint32_t(c.tracks.Count()) ? c.tracks[int32_t(track)].value : Vector4f{0, 0, 0, 0};
  return r->valueType;
}

void ConnectionGroup_I::SwapTrackPairs() {
  for (CGConnection& c : m_connections) {
    for (int32_t p = 0; p < c.tracks.Count() / 2; ++p) {
      std::swap(c.tracks[2 * p], c.tracks[2 * p + 1]);
      c.tracks[2 * p + 1].value = {0, 0, 0, 0};
      c.tracks[2 * p + 1].base = {0, 0, 0, 0};
    }
  }
}

}  // namespace PM
