// The strip search: strips grown both ways from a start edge, experiments of strips chained from one start,
// start faces taken from reset points, and the best experiment of each round committed.
#include "core/Log.h"
#include "geometry/Stripifier_D.h"

namespace PM {

namespace {

constexpr int kSamples = 10;

inline bool IsMarked(const NvFaceInfo& f, int32_t e) { return f.stripId >= 0 || (e >= 0 && f.experimentId == e); }
inline void Mark(NvFaceInfo& f, int32_t s, int32_t e) {
  if (e >= 0) {
    f.experimentId = e;
    f.testStripId = s;
  } else {
    f.experimentId = -1;
    f.stripId = s;
  }
}
inline bool InStrip(const NvFaceInfo& f, int32_t s) { return f.testStripId == s || f.stripId == s; }
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

// Drops from the search, for good, the edges of a newly committed face whose two faces are now both committed.
void Stripifier_D::RetireEdges(int32_t face) {
  const NvFaceInfo& f = m_faces[face];
  for (int k = 0; k < 3; ++k) {
    if (f.across[k] < 0 || m_faces[f.across[k]].stripId < 0) continue;  // most often: no need to look further
    int32_t ei = f.edge[k];
    const NvEdgeInfo& ed = m_edges[ei];
    if (ed.face1 < 0 || m_faces[ed.face0].stripId < 0 || m_faces[ed.face1].stripId < 0) continue;
    for (int32_t slot : {m_edgeSlot[2 * ei], m_edgeSlot[2 * ei + 1]})
      if (m_aliveTo[slot] == slot) m_aliveTo[slot] = slot + 1;
  }
}

// The first face at or after `from` (cyclically) not yet in a committed strip, -1 when there is none.
int32_t Stripifier_D::NextFreeFace(int32_t from) {
  auto find = [&](int32_t i) {
    int32_t root = i;
    while (m_free[root] != root) root = m_free[root];
    while (m_free[i] != root) {
      int32_t up = m_free[i];
      m_free[i] = root;
      i = up;
    }
    return root;
  };
  int32_t n = m_faces.Count();
  int32_t f = find(from);
  if (f == n) f = find(0);
  return f == n ? -1 : f;
}

int32_t Stripifier_D::FindStartPoint() {
  int32_t n = m_faces.Count();
  int32_t start = -1;
  if (m_firstReset) {
    m_firstReset = false;
    for (int32_t f = 0; f < n && start < 0; ++f) {
      int open = 0;
      for (int32_t o : m_faces[f].across) open += o < 0;
      if (open >= 2) start = f;
    }
  }
  if (start < 0) start = int32_t(float(n - 1) * m_meshJump);
  int32_t face = NextFreeFace(start);
  m_meshJump += 0.1f;
  if (m_meshJump > 1.0f) m_meshJump = 0.05f;
  return face;
}

void Stripifier_D::Commit() {
  int32_t committed = m_trialFaces.Count();
  for (int i = 0; i < m_trial.Count(); ++i) {
    NvStripInfo strip = m_trial[i];
    strip.experimentId = -1;
    int32_t from = strip.first;
    strip.first = m_stripFaces.Count();
    for (int j = from; j < from + strip.count; ++j) {
      int32_t f = m_trialFaces[j];
      Mark(m_faces[f], strip.stripId, -1);
      m_free[f] = f + 1;
      m_stripFaces.Append(f);
    }
    m_strips.Append(strip);
  }
  for (int32_t j = m_stripFaces.Count() - committed; j < m_stripFaces.Count(); ++j) RetireEdges(m_stripFaces[j]);
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

// Ids are never reused, so a replay of an experiment with fresh ids sees the faces exactly as its first run did:
// only the best experiment's strips are kept, and that by growing it once more.
void Stripifier_D::FindAllStrips() {
  if (m_faces.IsEmpty()) return;
  Array<NvStripInfo> starts;
  for (int32_t round = 1;; ++round) {  // each round commits at least its first start face
    bool done = false;
    starts.Remove(0, starts.Count());
    for (int i = 0; i < kSamples; ++i) {
      int32_t f = FindStartPoint();
      if (f < 0) {
        done = true;
        break;
      }
      if (m_faces[f].roundStamp == round) continue;
      m_faces[f].roundStamp = round;
      for (int k = 0; k < 6; ++k) starts.Append(NvStripInfo{f, m_faces[f].edge[k / 2], k % 2 == 0, 0, 0, -1, -1});
    }
    float best = 0.0f;
    int bestIndex = -1;
    for (int i = 0; i < starts.Count(); ++i) {
      int32_t faces = RunExperiment(starts[i]);
      float n = float(m_trial.Count()), avg = float(faces) / n;
      float value = avg + avg * n;
      if (value > best) {
        best = value;
        bestIndex = i;
      }
    }
    if (bestIndex >= 0) {
      RunExperiment(starts[bestIndex]);
      Commit();
    }
    if (done) return;
  }
}

}  // namespace PM
