// The experiments of the strip search: strips grown both ways from a start edge, chained from one start
// through the traversal search at the vertex each strip's start edge leads to; and a sample's six experiments at
// one start face, in the same file so that the walk is inlined into the sample's loop and an experiment pays no
// call (fans run some 2.7 experiments a sample, of about 2.5 strips each).
#include <algorithm>

#include "geometry/Stripifier_D.h"

namespace PM {

namespace {

inline int Next3(int k) { return k == 2 ? 0 : k + 1; }

// Up to this many slots a vertex's edges are looked through whole by the traversal search.
constexpr int32_t kShortList = 32;

}  // namespace

// One experiment's walk, with what its steps read and write held in locals: a store through a face, slot or
// stamp may alias any member of the stripifier, so the members would be fetched again after each one.
class Stripifier_D::Experiment {
 public:
  // An experiment is told apart by its first strip's id: ids are never reused.
  Experiment(Stripifier_D& d, int32_t firstStrip)
      : m_d(d),
        m_hot(d.m_hot.get()),
        m_slots(d.m_slots.get()),
        m_searchStart(d.m_searchStart.Data()),
        m_stamp(d.m_vertexStamp.Data()),
        m_firstStrip(firstStrip),
        m_noteBit(d.m_noteBit),
        m_trialFaces(d.m_trialFaces.get()),
        m_out(m_trialFaces) {}
  ~Experiment() { m_d.m_trialCount = int32_t(m_out - m_trialFaces); }
  Experiment(const Experiment&) = delete;
  Experiment& operator=(const Experiment&) = delete;

  // Grows strip s from `face` across its edge k toward the edge's v1 when `toV1`, and fills the strip's counts.
  // True when the growth grown second stopped at an edge no strip crosses or at a committed face: then nothing
  // the first growth took stopped it (see Mirrors).
  [[gnu::always_inline]] inline bool GrowStrip(TrialStrip& strip, int32_t face, unsigned k, bool toV1, int32_t s);
  // Finds the start of the strip after strip s, whose start edge leads to vertex v: its face, the start edge's
  // place in it and direction, and the vertex that edge leads to.
  [[gnu::always_inline]] inline bool FindTraversal(int32_t v, int32_t s, int32_t& face, int& startK, bool& toV1,
                                                   int32_t& to);
  const SearchSlot* Slot(int32_t slot) const { return m_slots + slot; }
  int32_t SearchStart(int32_t v) const { return m_searchStart[v]; }

 private:
  // True when the growth stopped at an edge no strip crosses or at a committed face.
  [[gnu::always_inline]] inline bool GrowOneWay(const NvFaceInfo* c, unsigned k, bool yFirst, int32_t s, int32_t*& out);
  bool IsMarked(const NvFaceInfo& f) const { return f.mark >= m_firstStrip; }
  // Takes a face into strip s, and notes it for the sample: the experiment's value changes only once a face it
  // took is committed, so a commit of one of them is what makes the sample look again.
  void Take(NvFaceInfo& h, int32_t s) {
    h.mark = s;
    h.readers = uint16_t(h.readers | m_noteBit);
  }
  // Most slots a search meets serve, or point straight at one that does (the first slots of a crowded vertex,
  // retired for good): both answer without a call.
  int32_t NextUsable(int32_t slot, int32_t end) {
    if (slot < end) {
      const SearchSlot& at = m_slots[slot];
      int32_t to = at.aliveTo;
      if (to == slot && at.skipStamp != m_firstStrip) return slot;
      if (to != slot && to < end && m_slots[to].aliveTo == to && m_slots[to].skipStamp != m_firstStrip) return to;
    }
    return m_d.NextUsableSkipping(slot, end, m_firstStrip);
  }

  Stripifier_D& m_d;
  NvFaceInfo* const m_hot;
  SearchSlot* const m_slots;
  const int32_t* const m_searchStart;
  uint32_t* const m_stamp;
  const int32_t m_firstStrip;
  const uint16_t m_noteBit;
  int32_t* const m_trialFaces;
  int32_t* m_out;  // where the next strip's faces go
};

// Follows the strip from face `c` across its edge k, appending and marking each face taken. Of the strip's last
// two vertices (the ends of that edge) the newer is the edge's first when `yFirst`. Entering the next face
// through its edge j, the strip keeps the newer end and leaves by the edge from it to the face's far vertex
// (place j + 2, which `back` holds): edge j + 1 when the newer end is j's second vertex, else edge j + 2, the
// edge starting at the far vertex; the far vertex becomes the newer end, so `yFirst` alternates: the loop takes
// the steps two at a time, each with its own exit edge.
bool Stripifier_D::Experiment::GrowOneWay(const NvFaceInfo* c, unsigned k, bool yFirst, int32_t s, int32_t*& out) {
  // The exit edge is held doubled, as the shift of its bits in `back`; a neighbour's number sits at twice that many
  // bytes into `across`, which an address scaled by two reaches without halving it.
  static constexpr uint8_t kPlus2Doubled[3] = {4, 0, 2};
  // 64 bits wide: a place read from `back` indexes the face with no copy to widen it.
  size_t k2 = 2 * size_t(k);
  // The stamps and the table are taken into fresh registers for the steps: the compiler keeps the walk's own
  // copies on the stack, and reads them again at every step.
  uint32_t* stamp = m_stamp;
  const uint8_t* plus2 = kPlus2Doubled;
  __asm__("" : "+r"(stamp), "+r"(plus2));
  auto across = [](const NvFaceInfo* f, size_t doubled) {
    uint32_t o;
    __builtin_memcpy(&o, reinterpret_cast<const char*>(f->across) + 2 * doubled, sizeof o);
    return o;
  };
  // Indices are unsigned and the face's number is written before it is checked (the room holds every face, and a
  // face refused is written over or left past the end): a step has no widening and one copy fewer.
  auto step = [&](bool plusOne) {
    size_t far = (size_t(c->back) >> k2) & 3;
    if (far == 3) return false;  // no neighbour a strip can enter
    // The neighbour is read on one of three paths chosen by a branch on the exit edge: the branch is predicted, so
    // the next face's load starts as soon as this face is known, where a load indexed by the exit edge waited for
    // `back` to be read and decoded, each step a load longer. The branch's guess is checked off that chain.
    uint32_t next = uint32_t(k2 == 0 ? c->across[0] : k2 == 2 ? c->across[1] : c->across[2]);
    *out = int32_t(next);
    NvFaceInfo& f = m_hot[next];
    uint32_t z = uint32_t(f.v[far]);
    // Unique: a face whose three vertices the strip already holds would repeat a triangle's worth of cache.
    // The strip holds the shared edge's ends, so only the far vertex can be new.
    if (IsMarked(f) || stamp[z] == uint32_t(s)) return false;
    ++out;
    Take(f, s);
    stamp[z] = uint32_t(s);
    k2 = plusOne ? plus2[far] : 2 * far;
    c = &f;
    return true;
  };
  if (!yFirst || step(true))
    while (step(false) && step(true)) {
    }
  return ((size_t(c->back) >> k2) & 3) == 3 || m_hot[across(c, k2)].mark == kCommitted;
}

bool Stripifier_D::Experiment::GrowStrip(TrialStrip& strip, int32_t face, unsigned k, bool toV1, int32_t s) {
  // A vertex's stamp is the strip that last took it: ids are never reused, so no stamp outlives its strip.
  NvFaceInfo& start = m_hot[face];
  Take(start, s);
  for (int32_t v : start.v) m_stamp[v] = uint32_t(s);
  // Forward the strip's last two vertices are (b, c), backward (b, a), with (a, b) the start edge taken toward b
  // and c the face's third vertex: the newer is c or a. The start edge is the face's edge k; when the face runs it
  // from a to b, the strip goes on forward across edge k + 1 (from b) and backward across k, else forward across
  // edge k + 2 (to b) and backward across k. The forward faces wait aside while the backward ones are written in
  // place and turned around in front of them.
  bool bSecond = toV1 != ((start.grows >> (3 + k) & 1) != 0);  // the face runs the edge from a to b
  // The backward faces follow the forward ones in the order they were grown; a commit turns them around in
  // front of the start face. Nothing an experiment reads depends on the order, so no face moves before then.
  int32_t* const from = m_out;
  int32_t* out = from;
  *out++ = face;
  int32_t* forwardEnd = out;
  bool endsFree = true;
  if (start.back != kNoGrowth) {  // a face no strip can leave (as on a crowded edge) grows neither way
    // One loop for both ways, not two growths inlined one after the other: fewer values stay live across the
    // steps, so more of what the steps use stays in registers.
    // Edge k + 1 or k + 2 from a table: which one the data makes random, and a branch on it was often missed.
    static constexpr uint8_t kForward[2][3] = {{2, 0, 1}, {1, 2, 0}};
    unsigned forward = kForward[bSecond][k];
#pragma GCC unroll 1
    for (int d = 0; d < 2; ++d) {
      endsFree = GrowOneWay(&start, d == 0 ? forward : k, (d == 0) != bSecond, s, out);
      if (d == 0) forwardEnd = out;
    }
  }
  strip.count = int32_t(out - from);
  strip.backward = int32_t(out - forwardEnd);
  m_out = out;
  return endsFree;
}

// The first slot at or after `slot` (before `end`) whose edge still has a face outside committed strips.
int32_t Stripifier_D::NextAlive(int32_t slot, int32_t end) {
  int32_t to = slot;
  SearchSlot* slots = m_slots.get();
  while (to < end && slots[to].aliveTo != to) to = slots[to].aliveTo;
  while (slot < to) {
    int32_t up = slots[slot].aliveTo;
    slots[slot].aliveTo = to;
    slot = up;
  }
  return to;
}

// The slots passed over are pointed at the answer, so no slot is passed twice in one experiment.
int32_t Stripifier_D::NextUsableSkipping(int32_t slot, int32_t end, int32_t e) {
  int32_t first = NextAlive(slot, end), to = first;
  SearchSlot* slots = m_slots.get();
  while (to < end && slots[to].skipStamp == e) to = NextAlive(slots[to].skipTo, end);
  for (int32_t at = first; at < to;) {
    int32_t up = slots[at].skipTo;
    slots[at].skipTo = to;
    at = NextAlive(up, end);
  }
  return to;
}

// The start of the strip after `prev` in the same experiment: the first edge at the vertex its start edge leads
// to with one face not taken yet and the other not in `prev`.
// What a commit can change here is a free face turning committed, and the answer moves only when that face is
// the one the slot hands back (which the experiment then takes): with both faces free face 1 is handed back
// either way, beside a face of `prev` the slot hands back nothing either way, and a face that stops a strip
// would stop it committed as well. So an experiment depends only on the faces it took.
bool Stripifier_D::Experiment::FindTraversal(int32_t v, int32_t s, int32_t& face, int& startK, bool& toV1,
                                             int32_t& to) {
  int32_t begin = m_searchStart[v], end = m_searchStart[v + 1];
  auto start = [&](const SearchSlot& ed, int32_t untouched) {
    face = untouched;
    startK = untouched == ed.face1 ? ed.place1 : ed.place0;
    // The edge is taken toward its end other than v exactly when the face lies beside strip s.
    bool beside = m_d.SharesEdge(untouched, s);
    toV1 = beside == (ed.atV0 != 0);
    to = beside ? ed.other : v;
    return true;
  };
  // A short list is looked through whole: a slot the skip links would pass over has both faces marked, which
  // the look finds as quickly as the links would, and keeping the links costs more than it saves.
  if (end - begin <= kShortList) {
    const SearchSlot* ed = m_slots + begin;
    const SearchSlot* const last = m_slots + end;
    auto free = [&](const SearchSlot* at) {
      return std::min(m_hot[uint32_t(at->face0)].mark, m_hot[uint32_t(at->face1)].mark) < m_firstStrip;
    };
    for (;; ++ed) {
      // Both faces taken, which most slots come to, answers nothing: a scan of one test passes over them, and
      // what a slot that serves needs is read again from it.
      while (ed != last && !free(ed)) ++ed;
      if (ed == last) return false;
      // The slot's faces are read again below: kept from the scan, each test carried two copies.
      __asm__("" : "+r"(ed));
      int32_t mark0 = m_hot[ed->face0].mark, mark1 = m_hot[ed->face1].mark;
      if (mark0 != s && mark1 < m_firstStrip) return start(*ed, ed->face1);
      if (mark1 != s && mark0 < m_firstStrip) return start(*ed, ed->face0);
    }
  }
  for (int32_t slot = NextUsable(begin, end); slot < end; slot = NextUsable(slot + 1, end)) {
    SearchSlot& ed = m_slots[slot];
    const NvFaceInfo &f0 = m_hot[ed.face0], &f1 = m_hot[ed.face1];
    bool marked0 = IsMarked(f0), marked1 = IsMarked(f1);
    if (marked0 && marked1) {
      if (f0.mark == kCommitted && f1.mark == kCommitted) {  // for good: found here, not at each commit
        ed.aliveTo = slot + 1;
      } else {  // for the rest of the experiment
        ed.skipStamp = m_firstStrip;
        ed.skipTo = slot + 1;
      }
      continue;
    }
    int32_t untouched = -1;
    if (f0.mark != s && !marked1)
      untouched = ed.face1;
    else if (f1.mark != s && !marked0)
      untouched = ed.face0;
    if (untouched >= 0) return start(ed, untouched);
  }
  return false;
}

bool Stripifier_D::SharesEdge(int32_t face, int32_t stripId) const {
  for (int32_t o : m_hot[size_t(face)].across)
    if (o >= 0 && m_hot[size_t(o)].mark == stripId) return true;
  return false;
}

// Grows experiment k (of six) at `face` with fresh ids: its first strip starts at the face's edges in order,
// each first toward v1, then not. Its strips and faces are left in the trial arrays. A strip's start stays in
// locals (nothing reads it once the next strip is found), and its record holds only its counts. Inlined into
// the sample's loop: the call's saved registers and the walk's set-up cost some 60 instructions an experiment.
[[gnu::always_inline]] inline int32_t Stripifier_D::RunExperiment(int32_t face, int k, bool& mirrorable,
                                                                  const int32_t* pairFirst, int32_t pairCount) {
  const NvFaceInfo& h = m_hot[size_t(face)];
  int startK = int(unsigned(k) / 2);
  int32_t a = h.v[startK], b = h.v[Next3(startK)];
  bool reversed = (h.grows >> (3 + startK) & 1) != 0;
  bool toV1 = (k & 1) == 0;
  int32_t to = toV1 != reversed ? b : a;  // the start edge runs (a, b), or (b, a) when reversed
  int32_t s = m_stripIds;
  TrialStrip* strip = m_trial.get();
  {
    Experiment walk(*this, s);
    // The search after a strip starts at the first slot of the vertex its start edge leads to: asked for now, its
    // line arrives while the strip grows.
    __builtin_prefetch(walk.Slot(walk.SearchStart(to)));
    mirrorable = walk.GrowStrip(*strip++, face, unsigned(startK), toV1, s);
    // The same first faces as the pair's: the rest would be the pair's too.
    if (strip[-1].count == pairCount &&
        std::all_of(pairFirst, pairFirst + pairCount, [&](int32_t f) { return m_hot[size_t(f)].mark == s; })) {
      m_stripIds = s + 1;
      return -1;
    }
    while (walk.FindTraversal(to, s++, face, startK, toV1, to)) {
      __builtin_prefetch(walk.Slot(walk.SearchStart(to)));
      walk.GrowStrip(*strip++, face, unsigned(startK), toV1, s);
    }
  }
  m_trialStrips = int32_t(strip - m_trial.get());
  m_stripIds = s;
  return m_trialCount;
}

// Runs experiment k at `face` with fresh ids and keeps its value and the faces it took (which noted the sample
// as they were taken); or, when its first strip takes the same faces as the first `pairCount` of `pairFaces`
// (its mirror pair's first strip), stops there and returns false. Inlined into its callers: it runs once per
// experiment, most of which are short.
[[gnu::always_inline]] inline bool Stripifier_D::RunNoted(SampleMemo& memo, int32_t face, int k,
                                                          const int32_t* pairFaces, int32_t pairCount) {
  int32_t faces = RunExperiment(face, k, memo.mirrorable[k], pairFaces, pairCount);
  if (faces < 0) return false;
  float n = float(m_trialStrips), avg = float(faces) / n;
  memo.values[k] = avg + avg * n;
  memo.mirrored[k] = false;
  memo.firstCount[k] = m_trial.get()->count;
  memo.taken[k].Assign(m_trialFaces.get(), m_trialCount);
  return true;
}

namespace {

// Mirror pairs among a face's six experiments. Experiment k's first strip starts as the vertex sequence (a, b, c)
// of the face, one of its six orders, grows forward across (b, c) and then backward across (a, b); the sequence
// (c, b, a) grows the same two ways in the other order, and its start edge leads to the same vertex b. When the
// growth made second stopped at an edge no strip crosses or at a committed face, neither growth met what the other
// took (the second tests every vertex it adds against the first's, the first never saw the second's), so the
// other order takes the same faces, and from there both experiments read and take the same faces strip for strip:
// the same value, and the one later in the order never wins (only a higher value does).
// For edge j the order (v[j], v[j + 1], v[j + 2]) is experiment 2j + r_j and its reverse 2(j + 1) + 1 - r_(j+1),
// with r_j set when the edge's record runs it (v[j + 1], v[j]); kMirrors[r][k] is k's pair for the bits r.
struct MirrorTable {
  int8_t of[8][6];
};
constexpr MirrorTable Mirrors() {
  MirrorTable t{};
  for (int r = 0; r < 8; ++r)
    for (int j = 0; j < 3; ++j) {
      int j1 = j == 2 ? 0 : j + 1;
      int along = 2 * j + (r >> j & 1), against = 2 * j1 + 1 - (r >> j1 & 1);
      t.of[r][along] = int8_t(against);
      t.of[r][against] = int8_t(along);
    }
  return t;
}
constexpr MirrorTable kMirrors = Mirrors();

}  // namespace

// Brings sample `sample`'s six values at `face` up to date: all six when the sample last ran at another face,
// otherwise only those that took a face committed since. A kept experiment's value and strips are what a rerun
// would find again.
void Stripifier_D::RunSample(int sample, int32_t face) {
  SampleMemo& memo = m_memos[sample];
  bool fresh = memo.face != face;
  if (!fresh && !memo.stale) return;
  m_noteBit = uint16_t(1u << sample);
  int kept = fresh ? -1 : memo.best;  // the old best while its strips in the memo still hold
  const int8_t* mirror = kMirrors.of[(m_hot[size_t(face)].grows >> 3) & 7];
  // Which experiments run again is found first, in a loop of its own: in the loop that runs them, beside the
  // inlined walk, each of the six turns had its values spilled and fetched again.
  unsigned rerun = 0x3f;
  if (!fresh) {
    rerun = 0;
    auto committed = [&](int32_t f) { return m_hot[size_t(f)].mark == kCommitted; };
    for (int k = 0; k < 6; ++k) {
      // The later of a mirror pair that took its pair's value holds no faces of its own: it is out of date when its
      // pair is. An experiment's first face is the start face, which is free: the look starts after it.
      int m = mirror[k];
      bool out = m < k && memo.mirrored[k] ? (rerun >> m & 1) != 0
                                           : std::any_of(memo.taken[k].begin() + 1, memo.taken[k].end(), committed);
      rerun |= unsigned(out) << k;
    }
    if (kept >= 0 && (rerun >> kept & 1) != 0) kept = -1;
  }
  int captured = -1;  // the last experiment run that held the highest value so far, its strips kept
  for (unsigned todo = rerun; todo != 0; todo &= todo - 1) {
    int k = __builtin_ctz(todo), m = mirror[k];
    // The later of a pair takes its pair's value, which it cannot beat, when the pair's growths could not meet
    // or when its own first strip turns out the same.
    // One call of the walk for both of a pair: a first strip has a face, so a count of 0 never stops one.
    bool later = m < k;
    if ((later && memo.mirrorable[m]) ||
        !RunNoted(memo, face, k, later ? memo.taken[m].begin() : nullptr, later ? memo.firstCount[m] : 0)) {
      memo.values[k] = memo.values[m];
      memo.mirrored[k] = true;
      continue;
    }
    float value = memo.values[k], before = 0.0f;  // only a value above 0 is a best
    for (int j = 0; j < k; ++j) before = std::max(before, memo.values[j]);
    if (value > before) {
      m_keptStrips.Assign(m_trial.get(), m_trialStrips);
      captured = k;
    }
  }
  int best = -1;
  float bestValue = 0.0f;
  for (int k = 0; k < 6; ++k)
    if (memo.values[k] > bestValue) {
      best = k;
      bestValue = memo.values[k];
    }
  if (best >= 0 && best != kept) {
    if (best != captured) {  // kept while an earlier best was dropped: grown again for its strips
      // Rare, and out of line: a second copy of the walk in the loop's function would crowd its registers.
      auto regrow = [&]() __attribute__((noinline)) {
        RunNoted(memo, face, best, nullptr, 0);
        m_keptStrips.Assign(m_trial.get(), m_trialStrips);
      };
      regrow();
    }
    std::swap(memo.bestStrips, m_keptStrips);
  }
  memo.best = best;
  m_noteBit = 0;
  memo.face = face;
  memo.stale = false;
}

}  // namespace PM
