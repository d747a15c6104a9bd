// The experiments of the strip search: strips grown both ways from a start edge, chained from one start
// through the traversal search at the vertex each strip's start edge leads to.
#include "core/Log.h"
#include "geometry/Stripifier_D.h"

namespace PM {

namespace {

inline int Next3(int k) { return k == 2 ? 0 : k + 1; }

// The face's first vertex (in v0, v1, v2 order) that is neither a nor b; -1 when there is none.
int32_t GetNextIndex(int32_t a, int32_t b, const NvFaceInfo& face) {
  for (int k = 0; k < 3; ++k) {
    int32_t v = face.v[k];
    if (v == a || v == b) continue;
    for (int j = k + 1; j < 3; ++j) {
      if (face.v[j] != a && face.v[j] != b) {
        LogWarn("GetNextIndex: Triangle doesn't have all of its vertices");
        LogWarn("GetNextIndex: Duplicate triangle probably got us derailed");
        break;
      }
    }
    return v;
  }
  LogWarn("GetNextIndex: Duplicate triangle sent");
  return -1;
}

// The face across edge (x, y) of `f`, when it runs that edge the other way: a strip's alternation can only
// keep both windings when its neighbours are oriented alike.
inline int32_t GrowAcross(const Array<NvFaceInfo>& faces, const NvFaceInfo& f, int32_t x, int32_t y) {
  for (int k = 0; k < 3; ++k) {
    int32_t a = f.v[k], b = f.v[Next3(k)];
    if (!((a == x && b == y) || (a == y && b == x))) continue;
    int32_t o = f.across[k];
    if (o < 0) return -1;
    const NvFaceInfo& g = faces[o];
    for (int j = 0; j < 3; ++j)
      if (g.v[j] == b && g.v[Next3(j)] == a) return o;
    return -1;
  }
  return -1;
}

}  // namespace

// Follows the strip from `start` across (x, y), appending and marking each face taken.
int32_t Stripifier_D::GrowOneWay(int32_t start, int32_t x, int32_t y, int32_t s, int32_t e, Array<int32_t>& faces) {
  int32_t cur = start;
  uint32_t* stamp = m_vertexStamp.Data();
  for (int32_t next = GrowAcross(m_faces, m_faces[cur], x, y); next >= 0;
       next = GrowAcross(m_faces, m_faces[cur], x, y)) {
    Note(next);
    NvFaceInfo& f = m_faces[next];
    // Unique: a face whose three vertices the strip already holds would repeat a triangle's worth of cache.
    if (IsMarked(f, e) || (stamp[f.v[0]] == m_stamp && stamp[f.v[1]] == m_stamp && stamp[f.v[2]] == m_stamp)) break;
    faces.Append(next);
    Mark(f, s, e);
    for (int32_t v : f.v) stamp[v] = m_stamp;
    int32_t z = GetNextIndex(x, y, f);
    x = y;
    y = z;
    cur = next;
  }
  return cur;
}

void Stripifier_D::GrowStrip(NvStripInfo& strip) {
  int32_t s = strip.stripId, e = strip.experimentId;
  if (++m_stamp == 0) {  // the stamps wrapped: forget every old one
    for (uint32_t& st : m_vertexStamp) st = 0;
    m_stamp = 1;
  }
  m_forward.Remove(0, m_forward.Count());
  m_backward.Remove(0, m_backward.Count());
  NvFaceInfo& start = m_faces[strip.startFace];
  Mark(start, s, e);
  for (int32_t v : start.v) m_vertexStamp[v] = m_stamp;
  m_forward.Append(strip.startFace);
  const NvEdgeInfo& edge = m_edges[strip.startEdge];
  int32_t a = strip.toV1 ? edge.v0 : edge.v1, b = strip.toV1 ? edge.v1 : edge.v0;
  int32_t c = GetNextIndex(a, b, start);
  GrowOneWay(strip.startFace, b, c, s, e, m_forward);
  GrowOneWay(strip.startFace, b, a, s, e, m_backward);

  strip.first = m_trialFaces.Count();
  strip.count = m_backward.Count() + m_forward.Count();
  for (int i = m_backward.Count() - 1; i >= 0; --i) m_trialFaces.Append(m_backward[i]);
  for (int32_t f : m_forward) m_trialFaces.Append(f);
}

bool Stripifier_D::SharesEdge(int32_t face, int32_t stripId) const {
  for (int32_t o : m_faces[face].across)
    if (o >= 0 && InStrip(m_faces[o], stripId)) return true;
  return false;
}

// The first slot at or after `slot` (before `end`) whose edge still has a face outside committed strips.
int32_t Stripifier_D::NextAlive(int32_t slot, int32_t end) {
  int32_t to = slot;
  while (to < end && m_aliveTo[to] != to) to = m_aliveTo[to];
  while (slot < to) {
    int32_t up = m_aliveTo[slot];
    m_aliveTo[slot] = to;
    slot = up;
  }
  return to;
}

// The first slot at or after `slot` whose edge may still serve experiment `e`. The slots passed over in it are
// pointed at the answer, so no slot is passed twice in one experiment.
int32_t Stripifier_D::NextUsable(int32_t slot, int32_t end, int32_t e) {
  int32_t to = NextAlive(slot, end);
  while (to < end && m_skipStamp[to] == e) to = NextAlive(m_skipTo[to], end);
  for (int32_t at = NextAlive(slot, end); at < to;) {
    int32_t up = m_skipTo[at];
    m_skipTo[at] = to;
    at = NextAlive(up, end);
  }
  return to;
}

// The start of the strip after `prev` in the same experiment: the first edge at the vertex its start edge leads
// to with one face not taken yet and the other not in `prev`.
bool Stripifier_D::FindTraversal(const NvStripInfo& prev, NvStripInfo& next) {
  const NvEdgeInfo& startEdge = m_edges[prev.startEdge];
  int32_t v = prev.toV1 ? startEdge.v1 : startEdge.v0;
  int32_t s = prev.stripId, e = prev.experimentId;
  int32_t end = m_searchStart[v + 1];
  for (int32_t slot = NextUsable(m_searchStart[v], end, e); slot < end; slot = NextUsable(slot + 1, end, e)) {
    int32_t ei = m_searchEdge[slot];
    const NvEdgeInfo& ed = m_edges[ei];
    Note(ed.face0);
    Note(ed.face1);
    const NvFaceInfo &f0 = m_faces[ed.face0], &f1 = m_faces[ed.face1];
    bool marked0 = IsMarked(f0, e), marked1 = IsMarked(f1, e);
    if (marked0 && marked1) {  // stays so for the rest of the experiment
      m_skipStamp[slot] = e;
      m_skipTo[slot] = slot + 1;
      continue;
    }
    int32_t untouched = -1;
    if (!InStrip(f0, s) && !marked1)
      untouched = ed.face1;
    else if (!InStrip(f1, s) && !marked0)
      untouched = ed.face0;
    if (untouched >= 0) {
      next.startFace = untouched;
      next.startEdge = ei;
      next.toV1 = SharesEdge(untouched, s) ? ed.v0 == v : ed.v1 == v;
      return true;
    }
  }
  return false;
}

// Grows one experiment from its first strip with fresh ids; its strips and faces are left in the trial arrays.
int32_t Stripifier_D::RunExperiment(NvStripInfo strip) {
  m_trial.Remove(0, m_trial.Count());
  m_trialFaces.Remove(0, m_trialFaces.Count());
  strip.stripId = m_stripIds++;
  strip.experimentId = m_experimentIds++;
  for (;;) {
    GrowStrip(strip);
    m_trial.Append(strip);
    NvStripInfo next = strip;
    if (!FindTraversal(strip, next)) break;
    next.stripId = m_stripIds++;
    strip = next;
  }
  return m_trialFaces.Count();
}

}  // namespace PM
