// The rounds of the strip search: start faces taken from reset points, six experiments at each (run by
// RunSample, beside the walk in StripSearch.cpp), values kept from earlier rounds while nothing they read has
// changed, and the best experiment of each round committed.
#include <emmintrin.h>

#include <algorithm>

#include "geometry/Stripifier_D.h"

namespace PM {

// The first face at or after `from` (cyclically) not yet in a committed strip, -1 when there is none.
int32_t Stripifier_D::NextFreeFace(int32_t from) {
  int32_t* next = m_free.Data();   // a plain pointer: each store would have the array's fetched again
  auto find = [next](int32_t i) {  // halving the path as it goes: one walk instead of a second to shorten it
    while (next[i] != i) {
      next[i] = next[next[i]];
      i = next[i];
    }
    return i;
  };
  int32_t n = FaceCount();
  int32_t f = find(from);
  if (f == n) f = find(0);
  return f == n ? -1 : f;
}

// The jump comes round to the same values every ten calls, so each of a round's ten places in turn asks from the
// same start as a round before: its last answer stands while that face is free (the faces before it from the start
// were committed, and stay so), and a walk from there finds the next otherwise.
int32_t Stripifier_D::FindStartPoint(StartCache& last) {
  int32_t n = FaceCount();
  int32_t start = -1;
  if (m_firstReset) {
    m_firstReset = false;
    start = m_firstOpenFace;
  }
  if (start < 0) start = int32_t(float(n - 1) * m_meshJump);
  m_meshJump += 0.1f;
  if (m_meshJump > 1.0f) m_meshJump = 0.05f;
  if (start != last.start) {
    last.start = start;
    last.face = NextFreeFace(start);
  } else if (last.face >= 0 && m_hot[size_t(last.face)].mark == kCommitted) {
    last.face = NextFreeFace(last.face);
  }
  return last.face;
}

namespace {

// Edges with another face, by the missing neighbours' bits (a neighbour of -1 has its sign bit set).
constexpr int32_t kLinkedOf[8] = {3, 2, 2, 1, 2, 1, 1, 0};

}  // namespace

unsigned Stripifier_D::Commit(const StripList& strips, const int32_t* taken) {
  // The samples that read a committed face are gathered and flagged once; the arrays go through plain pointers,
  // which the stores cannot make the loop fetch again.
  unsigned readers = 0;
  NvFaceInfo* hot = m_hot.get();
  int32_t* nextFree = m_free.Data();
  // Written into the room for every face past the count, which then takes them in: no pass to count them
  // first, and no clearing of what is written at once.
  int32_t at = m_stripFaces.Count();
  CommittedFace* out = m_stripFaces.Data() + at;
  int32_t from = 0;  // the strip's first face in `taken`, where the strips' faces follow each other
  for (const TrialStrip& strip : strips) {
    auto commit = [&](int32_t f) {
      NvFaceInfo& h = hot[f];
      h.mark = kCommitted;
      readers |= h.readers;
      nextFree[f] = f + 1;
      // The face's first 16 bytes hold its vertices: one move, where building the record took one per field.
      // The count of linked edges then takes the fourth word: 3 less one per missing neighbour (-1), from the
      // sign bits of the neighbours' numbers in one vector load. It starts at v[2], not at the neighbours: a load
      // over the mark just written would wait for the store.
      __builtin_memcpy(static_cast<void*>(out), &h, sizeof(CommittedFace));
      __m128i across = _mm_loadu_si128(reinterpret_cast<const __m128i*>(h.v + 2));
      out->linked = kLinkedOf[_mm_movemask_ps(_mm_castsi128_ps(across)) >> 1];
      ++out;
    };
    // The backward faces, grown last, lead the strip the other way round.
    int32_t end = from + strip.count, forwardEnd = end - strip.backward;
    for (int j = end; j-- > forwardEnd;) commit(taken[j]);
    for (int j = from; j < forwardEnd; ++j) commit(taken[j]);
    m_strips.Append(NvStripInfo{at, strip.count});
    at += strip.count;
    from = end;
  }
  m_stripFaces.SetCountForOverwrite(at);
  for (unsigned r = readers; r != 0; r &= r - 1) m_memos[__builtin_ctz(r)].stale = true;
  return readers;
}

// Ids are never reused, so a replay of an experiment with fresh ids would see the faces exactly as its first run
// did, and a sample whose start face and read faces are as an earlier round left them keeps that round's
// values and the strips of its best experiment.
void Stripifier_D::FindAllStrips() {
  if (m_faceCount == 0) return;
  // Strip ids start at 1: a vertex's stamp of 0 names no strip.
  m_stripIds = 1;
  ReserveStripArray(m_stripFaces, FaceCount());  // every face is committed once
  StartCache starts[kSamples];
  // In locals: the calls of a round could change members, so these would be fetched again after each one.
  const SampleMemo* const memos = m_memos;
  for (;;) {  // each round commits at least its first start face
    bool done = false;
    float jumpBefore = m_meshJump;
    // The round's start faces, each once (a face the round has tried is skipped): the list is looked through only
    // when a face's low six bits name a bit already set, which ten faces seldom do. The round's best value is the
    // first highest of its samples' six in order, so the first highest of the samples' own firsts.
    int32_t tried[kSamples];
    int count = 0;
    int32_t previous = -1;  // the face last tried
    uint64_t triedBits = 0;
    int bestSample = -1;
    float best = 0.0f;
    for (int i = 0; i < kSamples; ++i) {
      int32_t f = FindStartPoint(starts[i]);
      if (f < 0) {
        done = true;
        break;
      }
      // Places whose starts lie in one committed run find the same face: most repeats are the place before's.
      if (f == previous) continue;
      uint64_t bit = uint64_t(1) << (f & 63);
      if ((triedBits & bit) != 0 && std::find(tried, tried + count, f) != tried + count) continue;
      triedBits |= bit;
      tried[count++] = f;
      previous = f;
      const SampleMemo& memo = memos[i];
      if (memo.face != f || memo.stale) RunSample(i, f);  // else nothing it read has changed
      if (memo.best >= 0 && memo.values[memo.best] > best) {
        best = memo.values[memo.best];
        bestSample = i;
      }
    }
    if (bestSample >= 0) {
      // The sample kept the strips of its first best.
      const SampleMemo& memo = memos[bestSample];
      Commit(memo.bestStrips, memo.taken[memo.best].begin());
    }
    if (done) return;
    // Once a round leaves the jump where it found it, every later round asks from the same ten starts as that one.
    if (!m_firstReset && m_meshJump == jumpBefore) break;
  }
  SettledRounds(starts);
}

// The rounds once every place asks from the same start each round. Places holding one face form a group whose
// first place is its owner: only the owner's sample runs there, and a later place of the group can never hold the
// first highest value. A group's face stands until it is committed, when the whole group moves to the same next
// free face (and joins a group already there); the owner's sample ran at the face, so that commit, like any other
// that changes its values, makes the sample stale. So a round looks again only at the groups whose owners a commit
// made stale, where looking at each place cost some 45 instructions a place on the crowded edge; the owners'
// faces and values sit in rows of four lanes, so that the look for a group at a face and the round's best are a
// few vector steps (a place that owns nothing holds face -1 and value 0, which neither matches nor wins).
void Stripifier_D::SettledRounds(const StartCache* starts) {
  static_assert(kSamples <= 12, "three rows of four lanes");
  const NvFaceInfo* const hot = m_hot.get();
  const SampleMemo* const memos = m_memos;
  alignas(16) int32_t face[12] = {-1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1};
  alignas(16) float value[12] = {};
  auto row = [](const int32_t* at) { return _mm_load_si128(reinterpret_cast<const __m128i*>(at)); };
  // Moves owner o to face f, joining the group already there, if any; the place first in order owns the two.
  auto moveTo = [&](int o, int32_t f) {
    __m128i key = _mm_set1_epi32(f);
    unsigned at = unsigned(_mm_movemask_ps(_mm_castsi128_ps(_mm_cmpeq_epi32(row(face), key)))) |
                  unsigned(_mm_movemask_ps(_mm_castsi128_ps(_mm_cmpeq_epi32(row(face + 4), key)))) << 4 |
                  unsigned(_mm_movemask_ps(_mm_castsi128_ps(_mm_cmpeq_epi32(row(face + 8), key)))) << 8;
    at &= ~(1u << o);  // distinct owners hold distinct faces: at most one other
    int keep = o;
    if (at != 0) {
      int p = __builtin_ctz(at), drop = std::max(o, p);
      keep = std::min(o, p);
      face[drop] = -1;
      value[drop] = 0.0f;
    }
    face[keep] = f;
    return keep;
  };
  unsigned check = 0;  // the owners whose samples may be out of date
  for (int i = 0; i < kSamples; ++i) {
    int32_t f = starts[i].face;
    if (hot[size_t(f)].mark == kCommitted) f = NextFreeFace(f);
    if (f < 0) return;  // every face committed
    check |= 1u << moveTo(i, f);
  }
  for (;;) {
    for (; check != 0; check &= check - 1) {
      int o = __builtin_ctz(check);
      if (face[o] < 0) continue;  // joined to an earlier group
      const SampleMemo& memo = memos[o];
      if (memo.face != face[o] || memo.stale) RunSample(o, face[o]);
      value[o] = memo.best >= 0 ? memo.values[memo.best] : 0.0f;
    }
    // The first highest value above 0.
    __m128 a = _mm_load_ps(value), b = _mm_load_ps(value + 4), c = _mm_load_ps(value + 8);
    __m128 top = _mm_max_ps(_mm_max_ps(a, b), c);
    top = _mm_max_ps(top, _mm_shuffle_ps(top, top, 0x4e));
    top = _mm_max_ps(top, _mm_shuffle_ps(top, top, 0xb1));
    if (!(_mm_cvtss_f32(top) > 0.0f)) return;  // a sample's first experiment takes its free start face: never so
    unsigned at = unsigned(_mm_movemask_ps(_mm_cmpeq_ps(a, top))) |
                  unsigned(_mm_movemask_ps(_mm_cmpeq_ps(b, top))) << 4 |
                  unsigned(_mm_movemask_ps(_mm_cmpeq_ps(c, top))) << 8;
    const SampleMemo& memo = memos[__builtin_ctz(at)];
    unsigned stale = Commit(memo.bestStrips, memo.taken[memo.best].begin());
    for (; stale != 0; stale &= stale - 1) {
      int o = __builtin_ctz(stale);
      if (face[o] < 0) continue;  // owns nothing
      if (hot[size_t(face[o])].mark == kCommitted) {
        int32_t f = NextFreeFace(face[o]);
        if (f < 0) return;  // every face committed
        o = moveTo(o, f);
      }
      check |= 1u << o;
    }
  }
}

}  // namespace PM
