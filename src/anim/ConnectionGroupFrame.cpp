// A connection group's frame: clearing, accumulating clips per track, and writing the blended
// result into the members.
#include <algorithm>
#include <climits>
#include <cmath>
#include <utility>

#include "anim/AnimationLibrary.h"
#include "anim/ConnectionGroup.h"
#include "anim/SplineBase.h"
#include "core/Log.h"
#include "script/object/ClassDatabase.h"
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
// The object outlives its Set through KeepWhileCommitting, without a count of its own per write.
struct Target {
  ScriptObject* object;
  uint32_t member;
  int32_t index;
};

// The typed Set through the record ResolveMember found for this object and member: the value type and
// shape check of MemberSet and MemberSetAt, without finding the record a second time.
template <class Tag>
void WriteMember(const Target& c, const MemberRecord* r, bool indexed, const typename Tag::Value& v) {
  using S = MemberSig<Tag>;
  const uint32_t shape = indexed ? kShapeIndexed : kShapeSingle;
  if (r->signature != MemberSignature(Tag::kClassId, shape)) [[unlikely]] {
    ReportMemberMisuse("Set", c.object, c.member, Tag::kClassId, shape);
    return;
  }
  if constexpr (Tag::kByValue) {
    if (indexed)
      TypedFn<typename S::SetAt>(r->ops.set)(c.object, c.member, c.index, v);
    else
      TypedFn<typename S::Set>(r->ops.set)(c.object, c.member, v);
  } else {
    if (indexed)
      TypedFn<typename S::SetAt>(r->ops.set)(c.object, c.member, c.index, &v);
    else
      TypedFn<typename S::Set>(r->ops.set)(c.object, c.member, &v);
  }
}

void WriteResult(const Target& c, const MemberRecord* r, Vector4f v) {
  // A whole-array member takes no single value.
  if (r->flags & kMemberArray) return;
  bool indexed = (r->flags & kMemberIndexed) != 0;
  switch (r->valueType) {
    case kClassI32:
      WriteMember<VI32>(c, r, indexed, RoundSaturated(v.x));
      break;
    case kClassF32:
      WriteMember<VF32>(c, r, indexed, v.x);
      break;
    case kClassVector2f:
      WriteMember<VVector2f>(c, r, indexed, Vector2f{v.x, v.y});
      break;
    case kClassVector3f:
      WriteMember<VVector3f>(c, r, indexed, Vector3f{v.x, v.y, v.z});
      break;
    case kClassVector4f:
      WriteMember<VVector4f>(c, r, indexed, v);
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
// cold: with many characters they lie apart in memory, and one connection's work is far shorter than
// a trip to memory. So the pass runs a two-stage pipeline: it asks for the connection list itself up
// front, and while it works on one connection it asks for the lines of the one kFetchAhead places
// further on, whose pointers are at hand by then: the line of an object's header (its class row) and
// a track list's header and the pair of tracks a cross-fade uses. The members after the object's header,
// which only the commit writes, are asked for by the clips, whose curves leave the memory idle: asked
// for here they took miss slots from the lines this pass waits on.
constexpr int32_t kFetchAhead = 12;
constexpr int kObjectBytes = 208;  // after the header
constexpr int kTrackBytes = int(sizeof(BlockHeader) + 2 * sizeof(CGTrack));

[[gnu::always_inline]] inline void FetchConnection(const CGConnection& c) {
  __builtin_prefetch(HeaderOf(c.object.Get()), 0, 2);
  FetchLines<1>(HeaderOf(c.tracks.Data()), kTrackBytes);
}

}  // namespace

void ConnectionGroup_I::BeginFrame() {
  const int32_t n = m_connections.Count();
  FetchLines<1>(m_connections.Data(), sizeof(CGConnection) * size_t(n));
  m_resolved.resize(size_t(n));
  const uint32_t tables = ClassDatabaseVersion();
  // The pass runs last to first.
  for (int32_t i = n - 1; i >= 0 && i >= n - kFetchAhead; --i) FetchConnection(m_connections[i]);
  for (int32_t i = n - 1; i >= 0; --i) {
    if (i >= kFetchAhead) FetchConnection(m_connections[i - kFetchAhead]);
    CGConnection& c = m_connections[i];
    c.written = 0;
    for (CGTrack& t : c.tracks) {
      t.value = {0, 0, 0, 0};
      t.trackFade = -1.0f;
      t.full = false;
    }
    // The class is compared too: a released object may leave its address to one of another class. A
    // failed look-up is made again, so that it is reported again.
    ResolvedTarget& k = m_resolved[size_t(i)];
    const void* object = c.object.Get();
    const void* row = HeaderOf(object)->classRow;
    const MemberRecord* r = k.record;
    if (!k.Holds(object, row, c.member, tables)) {
      const uint32_t member = c.member;
      r = ResolveMember(c.object, member);
      k = {object, row, r, member, tables};
    }
    if (r) c.valueType = r->valueType;
  }
}

void ConnectionGroup_I::NoteFrameLines(FrameLines& lines) const {
  constexpr int32_t kFirst = 6;
  const int32_t count = m_connections.Count(), first = std::max(count - kFirst, 0);
  lines.Note(HeaderOf(this), sizeof(BlockHeader) + sizeof(ConnectionGroup_I));
  lines.Note(HeaderOf(m_connections.Data()), sizeof(BlockHeader));
  if (count == 0) return;
  // The frame's first pass runs last to first: the list's end, and the members found for it.
  lines.Note(&m_connections[first], sizeof(CGConnection) * size_t(count - first));
  if (m_resolved.size() == size_t(count))
    lines.Note(m_resolved.data() + first, sizeof(ResolvedTarget) * size_t(count - first));
  for (int32_t i = count - 1; i >= first; --i) {
    const CGConnection& c = m_connections[i];
    lines.Note(HeaderOf(c.object.Get()), sizeof(BlockHeader));
    lines.Note(HeaderOf(c.tracks.Data()), size_t(kTrackBytes));
  }
}

const MemberRecord* ConnectionGroup_I::ResolvedAgain(int32_t i, const CGConnection& c, uint32_t tables) const {
  const void* object = c.object.Get();
  if (size_t(i) < m_resolved.size() &&
      m_resolved[size_t(i)].Holds(object, HeaderOf(object)->classRow, c.member, tables))
    return m_resolved[size_t(i)].record;
  return ResolveMember(c.object, c.member);
}

void ConnectionGroup_I::SetTrackBlend(float weight, uint32_t flag) {
  m_trackBlendWeight = weight;
  m_trackBlendFlag = flag;
}

// Curves evaluated before their values are folded in (see ApplyClip).
constexpr int32_t kApplyBatch = 16;

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
  const double at = s + localTime;
  const float atSingle = float(at);  // the time the library's Evaluate passes its curves
  const void* nil = NilObject();
  // Curves are evaluated a batch at a time before their results are folded into the tracks: a value
  // read right after the curve stored it waits for the store, read a batch later it is at hand.
  struct Sample {
    int32_t port;
    Vector4f v;
  };
  Sample batch[kApplyBatch];
  for (int32_t first = 0; first < library->GetCurveCount(); first += kApplyBatch) {
    int32_t n = 0;
    for (int32_t i = first; i < first + kApplyBatch && i < library->GetCurveCount(); ++i) {
      int32_t port = library->m_groupPort[i];
      if (port < 0 || port >= m_connections.Count()) {
        LogError("ConnectionGroup: animation library specifies invalid port.");
        continue;
      }
      CGConnection& c = m_connections[port];
      if (presetOnly && c.written) continue;
      // Tracks come in cross-fade pairs: room for the pair, not the array's general growth.
      if (c.tracks.Count() <= track) {
        c.tracks.Reserve((track | 1) + 1);
        c.tracks.Grow(track + 1);
      }
      c.written = 1;
      Sample& sample = batch[n++];
      sample.port = port;
      sample.v = {0, 0, 0, 0};
      // The curve is called directly; the library's Evaluate reports a missing one.
      SplineBase_I* curve = library->m_curve[i].Get();
      if (curve != nil)
        curve->Evaluate(atSingle, reinterpret_cast<float*>(&sample.v));
      else
        library->Evaluate(uint32_t(i), at, sample.v);
    }
    for (int32_t k = 0; k < n; ++k) {
      CGConnection& c = m_connections[batch[k].port];
      FetchLines<1>(c.object.Get(), kObjectBytes);  // for the commit's write
      const Vector4f& v = batch[k].v;
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
}

void ConnectionGroup_I::Commit() {
  ++m_commitDepth;
  const uint32_t tables = ClassDatabaseVersion();
  const float w = m_trackBlendWeight;
  for (int32_t i = 0; i < m_connections.Count(); ++i) {
    CGConnection& c = m_connections[i];
    if (c.tracks.IsEmpty() || !c.written) continue;
    const MemberRecord* r = ResolvedAgain(i, c, tables);
    if (!r) continue;
    CGTrack* t = c.tracks.begin();
    const int32_t n = c.tracks.Count();
    // Without a cross-fade this frame's values become the held ones; with one the held values play.
    if (w < 0)
      for (int32_t k = 0; k < n; ++k) t[k].last = t[k].value;
    // Even tracks sum into one side of the cross-fade and odd ones into the other, each in track order.
    Vector4f even{0, 0, 0, 0}, odd{0, 0, 0, 0};
    for (int32_t k = 0; k + 1 < n; k += 2) {
      even = even + t[k].last;
      odd = odd + t[k + 1].last;
    }
    if (n & 1) even = even + t[n - 1].last;
    Vector4f result = even;
    if (w >= 0) {
      if (r->valueType == kClassI32)
        result = w < 0.5f ? even : odd;
      else
        result = even * (1.0f - w) + odd * w;
    }
    WriteResult(Target{c.object, c.member, c.memberIndex}, r, result);
  }
  if (--m_commitDepth == 0 && !m_keptObjects.IsEmpty()) {
    Array<Obj<ScriptObject>> kept;
    std::swap(kept, m_keptObjects);  // released last: their destruction may reach this group again
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
