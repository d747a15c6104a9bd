// The stripifier's working data: faces and edges over dense vertex ids, the strips of the search, the pieces
// and the left-over triangle list. Every record kind lives in one array; links between records are indices.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "core/Array.h"
#include "geometry/LargePages.h"
#include "geometry/StripScratch.h"

namespace PM {

// One triangle as the search reads and writes it, two to a cache line: v holds dense vertex ids in input order,
// across the face on the other side of the edges (v0, v1), (v1, v2), (v2, v0) (-1 for none).
struct alignas(32) NvFaceInfo {
  int32_t v[3], across[3];

  // kCommitted once in a committed strip, else the experiment strip that last took it (-1 for none). Strip ids
  // grow and each experiment's are consecutive, so one number says both which experiment took the face and
  // in which of its strips.
  int32_t mark;
  // Bit i: an experiment of sample i took the face, at the sample's start face or an earlier one. A commit of
  // the face has the sample look through its experiments' faces again; a bit left from an earlier start face
  // costs that look and nothing more, where clearing it cost a pass over every face each move of the sample took.
  uint16_t readers;
  // Bit 3 + k of `grows`: edge k's record holds it as (v[k + 1], v[k]), having met it first in another face.
  // Bits 2k, 2k + 1 of `back`: the place of across[k]'s vertex off edge k when across[k] runs the edge the other
  // way, so that a strip can grow into it (a strip keeps both windings only across neighbours oriented alike),
  // else 3: one field answers a strip step whether it goes on, the vertex it adds and where it goes next.
  uint8_t grows, back;
};
constexpr unsigned kNoGrowth = 0x3f;  // `back` of a face a strip can leave by none of its edges
static_assert(sizeof(NvFaceInfo) == 32, "two to a cache line");
constexpr int32_t kCommitted = INT32_MAX;

// The lists of an experiment's faces and strips have room for this many more past their end, so that a copy
// of up to this many moves as one fixed block: most fan experiments hold a few of each, for which the library's
// copy costs a call and a dispatch on the size.
constexpr int kFaceSlack = 8, kStripSlack = 4;

// One place in a vertex's list of edges for the traversal search, with what the search reads of the edge.
struct alignas(32) SearchSlot {
  int32_t face0, face1;
  int32_t other;          // the edge's other end
  int8_t atV0;            // 1 when the list's vertex is the edge's v0
  int8_t place0, place1;  // the edge's place k (0..2) in face 0 and in face 1
  // Skip links, shortened as they are followed: aliveTo == this slot while its edge may serve the search,
  // otherwise a later slot to go on from (the search found both faces committed: for good). skipTo does so
  // within the experiment whose first strip is skipStamp (both faces taken in it).
  int32_t aliveTo, skipStamp, skipTo;
};
static_assert(sizeof(SearchSlot) == 32, "two to a cache line");

// One undirected edge with its first two faces.
struct NvEdgeInfo {
  int32_t face0, face1;  // face1 -1 while the edge has one face
  int32_t v0, v1;        // in the order of the first face
  // Its place k in face 0 (bits 0-1) and in face 1 (bits 2-3), and bit 4 set when face 1 runs it the other way:
  // in the record, so that a face meeting the edge reads one line for it.
  uint32_t places;
};

// One committed strip: its faces, in strip order, as a range of the committed faces.
struct NvStripInfo {
  int32_t first, count;
};

// One strip of an experiment: its faces follow the strip before it in the experiment's face list, the last
// `backward` of them those grown backward, in the order they were grown (where it starts is the experiment's
// business while it runs).
struct TrialStrip {
  int32_t count, backward;
};

// A committed face as ordering and stitching read it, copied out in commit order so that they walk an array.
struct CommittedFace {
  int32_t v[3];
  int32_t linked;  // edges with another face
};
static_assert(sizeof(CommittedFace) == 16 && offsetof(NvFaceInfo, v) == 0, "copied from a face's first 16 bytes");

// A run of at most the piece size consecutive faces of a committed strip, as a range of the committed faces.
struct StripPiece {
  int32_t first, count;
};

// A list the search rewrites whole from a list of the same kind: room grows without copying the old elements
// or clearing the new ones, which the copy overwrites at once (an Array does both), and up to Slack elements
// move as one block of fixed size, `from` having room for Slack more past its end.
template <class T, int Slack>
class KeptList {
 public:
  const T* begin() const { return m_data.get(); }
  const T* end() const { return m_data.get() + m_count; }
  int Count() const { return m_count; }
  // Gives its room back when it holds more than `most` elements.
  void ReleaseAbove(int most) {
    if (m_capacity <= most) return;
    m_data.reset();
    m_count = m_capacity = 0;
  }
  void Assign(const T* from, int count) {
    if (count + Slack > m_capacity) {
      m_capacity = count + count / 2 + Slack;  // room for the next growth
      m_data = std::make_unique_for_overwrite<T[]>(size_t(m_capacity));
    }
    m_count = count;
    if (count <= Slack)
      __builtin_memcpy(static_cast<void*>(m_data.get()), from, Slack * sizeof(T));
    else
      __builtin_memcpy(static_cast<void*>(m_data.get()), from, size_t(count) * sizeof(T));
  }

 private:
  std::unique_ptr<T[]> m_data;
  int m_count = 0, m_capacity = 0;
};
using FaceList = KeptList<int32_t, kFaceSlack>;
using StripList = KeptList<TrialStrip, kStripSlack>;

// One sample's six experiments as the last round that ran them found them. An experiment reads nothing of
// earlier experiments (its ids are fresh), and of the faces it looks at only those it takes change what it does
// once committed: until a commit takes one of them, a round starting at the same face would find the same value.
struct SampleMemo {
  int32_t face = -1;   // the start face `values` belong to
  bool stale = false;  // a commit has taken a face with the sample's reader bit since the values were checked
  float values[6];
  // Per experiment, the faces it took: it is rerun once one of them is committed. One that took its mirror pair's
  // value (`mirrored`) keeps no list of its own; `mirrorable`: its pair may take its value.
  FaceList taken[6];
  bool mirrored[6], mirrorable[6];
  int32_t firstCount[6];  // faces of its first strip, the first of `taken`
  // The first of the six with the highest value above 0 (-1 for none) and its strips (over taken[best]), as a
  // replay would grow them again; the round commits these when the sample holds the round's best experiment.
  int best = -1;
  StripList bestStrips;
};

// The samples' memos and the list a sample's best experiment waits in, kept by each thread from call to call: their
// lists keep their room, so that a small mesh's call does not grow some seventy lists again from nothing (about 85
// allocations a call on a mesh of 1,000 triangles). A call starts them as fresh memos.
struct SampleMemos {
  static constexpr int kCount = 10;
  // Lists past this many elements give their room back when a call ends: a thread keeps at most some 1.5 MB.
  static constexpr int kKeptElements = 4096;
  SampleMemo memo[kCount];
  StripList keptStrips;
  bool inUse = false;

  void Start() {
    inUse = true;
    for (SampleMemo& m : memo) {
      m.face = -1;
      m.stale = false;
      m.best = -1;
    }
  }
  void End() {
    inUse = false;
    for (SampleMemo& m : memo) {
      for (FaceList& list : m.taken) list.ReleaseAbove(kKeptElements);
      m.bestStrips.ReleaseAbove(kKeptElements);
    }
    keptStrips.ReleaseAbove(kKeptElements);
  }
  // The thread's set, or a set of the call's own while another call on the thread holds it.
  static SampleMemos& Take(std::unique_ptr<SampleMemos>& own) {
    thread_local SampleMemos kept;
    SampleMemos& memos = kept.inUse ? *(own = std::make_unique<SampleMemos>()) : kept;
    memos.Start();
    return memos;
  }
};

// Hidden: used only inside the library, so calls between its steps bind directly.
class __attribute__((visibility("hidden"))) Stripifier_D {
 public:
  Stripifier_D(int cacheSize, int minStripLength) : m_cacheSize(cacheSize), m_minStripLength(minStripLength) {}
  // The large arrays go back to the thread's working store for the next call.
  ~Stripifier_D() {
    m_sampleMemos.End();
    KeepStripArray(m_strips);
    KeepStripArray(m_stripFaces);
    KeepStripArray(m_pieces);
    KeepStripArray(m_triList);
  }
  Stripifier_D(const Stripifier_D&) = delete;
  Stripifier_D& operator=(const Stripifier_D&) = delete;

  // Builds faces and edges from a triple list whose indices are known to be >= 0, `largest` the largest of them.
  void BuildStripifyInfo(const Array<int32_t>& indices, int32_t largest);
  // Grows, tries and commits strips until every face is in one.
  void FindAllStrips();
  // Cuts the committed strips into pieces, hands short ones to the triangle list, orders both by cache hits.
  void SplitUpStripsAndOptimize();
  // Writes the ordered pieces and the triangle list as one strip (or a plain list when there are no pieces).
  void Stitch(Array<int32_t>& out, Array<int32_t>& lengths) const;

 private:
  // -- building
  // The vertex ids of the triples: the indices themselves when they run over a small range, else dense ids
  // written to `dense`.
  const int32_t* MapVertices(const Array<int32_t>& indices, int32_t largest, Array<int32_t>& dense);
  // A small mesh's arrays from the building to the search, carved from one working block.
  void CarveWorkingBlock(int triangles);
  void BuildFaces(const int32_t* ids, int triangles);
  // `faceKeys`, `edgeKeys`: at most how many keys each vertex files; `uses`: triangles per vertex, with
  // LeastUsed.
  template <bool LeastUsed, class EdgeTable>
  void FileFaces(const int32_t* ids, int triangles, const std::vector<int32_t>& faceKeys,
                 const std::vector<int32_t>& edgeKeys, const int32_t* uses);
  void BuildSearchLists();
  int32_t FaceCount() const { return m_faceCount; }
  // -- growing strips
  class Experiment;  // one experiment's walk over the faces and search slots
  int32_t NextAlive(int32_t slot, int32_t end);
  // The first slot at or after `slot` whose edge may still serve experiment `e`, following the skip links.
  int32_t NextUsableSkipping(int32_t slot, int32_t end, int32_t e);
  bool SharesEdge(int32_t face, int32_t stripId) const;
  // The start a round's place last asked from and the face it found.
  struct StartCache {
    int32_t start = -1, face = -1;
  };
  int32_t FindStartPoint(StartCache& last);
  // The rounds from the first that asks from the same starts as the round before, which left `starts`.
  void SettledRounds(const StartCache* starts);
  int32_t NextFreeFace(int32_t from);
  // Grows experiment k at `face`; returns the number of faces it took. `mirrorable`: its mirror pair would take
  // the same faces; when its first strip takes the `pairCount` faces at `pairFirst`, it stops there and returns -1.
  int32_t RunExperiment(int32_t face, int k, bool& mirrorable, const int32_t* pairFirst, int32_t pairCount);
  void RunSample(int sample, int32_t face);
  bool RunNoted(SampleMemo& memo, int32_t face, int k, const int32_t* pairFaces, int32_t pairCount);
  // Returns the reader bits of the faces it committed: the samples it made stale.
  unsigned Commit(const StripList& strips, const int32_t* taken);
  // -- ordering
  void OrderTriangleList();
  void OrderPieces();

  static constexpr int kSamples = SampleMemos::kCount;  // start faces a round tries

  int m_cacheSize, m_minStripLength;
  float m_meshJump = 0.0f;
  bool m_firstReset = true;
  int32_t m_firstOpenFace = -1;  // the first face with at least two edges without another face, -1 for none
  int32_t m_stripIds = 0;

  Array<int32_t> m_vertexOf;     // dense vertex id -> input index
  bool m_ownIds = false;         // m_vertexOf[v] == v: the input's indices are the dense ids
  StripBlock<NvFaceInfo> m_hot;  // the faces, m_faceCount of them
  int32_t m_faceCount = 0;
  StripBlock<NvEdgeInfo> m_edges;  // room for three a triangle, m_edgeCount of them
  int32_t m_edgeCount = 0;
  bool m_facesLinked = false;  // each two-face edge's faces see each other: linked as filed, not with the lists

  // The traversal search's edges at each vertex, newest edge first, only edges with two faces: vertex v's are
  // m_slots[m_searchStart[v] .. m_searchStart[v + 1]).
  StripBlock<int32_t> m_searchStart;
  StripBlock<SearchSlot> m_slots;
  StripBlock<int32_t> m_free;  // union-find: next face at or after i not yet in a committed strip

  StripBlock<uint32_t> m_vertexStamp;  // per vertex: the strip that last took it (0 for none)
  // A small mesh's one working block, which the arrays above and below borrow from, and the room of its edge table.
  StripBlock<char> m_work;
  uint32_t* m_smallEdgeRoom = nullptr;
  // The running experiment's faces, strip by strip (m_trialCount of them): an experiment takes each face at most
  // once, so it holds every face (and kFaceSlack more).
  StripBlock<int32_t> m_trialFaces;
  int32_t m_trialCount = 0;

  std::unique_ptr<SampleMemos> m_ownMemos;
  SampleMemos& m_sampleMemos = SampleMemos::Take(m_ownMemos);
  SampleMemo* const m_memos = m_sampleMemos.memo;
  uint16_t m_noteBit = 0;  // while a sample's experiments run: its bit, else 0
  static_assert(kSamples <= 16, "one reader bit per sample");

  // The running experiment's strips (m_trialStrips of them), room for as many as there are faces: a strip takes
  // at least one face, and its record is filled where it stays without an append's checks.
  StripBlock<TrialStrip> m_trial;  // and kStripSlack more
  int32_t m_trialStrips = 0;
  StripList& m_keptStrips = m_sampleMemos.keptStrips;  // a sample's best experiment while the others are checked
  Array<NvStripInfo> m_strips;                         // committed strips, in commit order
  Array<CommittedFace> m_stripFaces;

  Array<StripPiece> m_pieces;      // ranges of m_stripFaces, in stitching order once ordered
  Array<CommittedFace> m_triList;  // left-over faces, in stitching order once ordered
};

}  // namespace PM
