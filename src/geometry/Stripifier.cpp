// The exported stripifier entry and the stitching of ordered pieces and left-over triangles into one strip.
#include "geometry/Stripifier.h"

#include <emmintrin.h>

#include <algorithm>
#include <utility>

#include "core/Log.h"
#include "geometry/Stripifier_D.h"

namespace PM {

namespace {

constexpr int kCacheSize = 16;
constexpr int kMinStripLength = 3;

inline bool Has(const CommittedFace& f, int32_t v) { return f.v[0] == v || f.v[1] == v || f.v[2] == v; }

// Writes the pieces (`count` of them, ranges of `faces`) and then the left-over triangles as one strip from `base`,
// through `vertexOf` unless the dense ids are the input's own (`OwnIds`); returns the end of what it wrote. The
// arrays come as plain pointers and the window stays in locals: a store through `w` may alias the arrays' fields,
// which would be fetched again after each.
template <bool OwnIds>
int32_t* StitchPieces(int32_t* const base, const StripPiece* pieces, int count, const CommittedFace* faces,
                      const CommittedFace* list, int listCount, const int32_t* vertexOf) {
  int32_t* w = base;
  auto id = [vertexOf](int32_t dense) { return OwnIds ? dense : vertexOf[dense]; };
  auto put = [&](int32_t dense) { *w++ = id(dense); };
  for (int pi = 0; pi < count; ++pi) {
    const StripPiece piece = pieces[pi];
    const CommittedFace* from = faces + piece.first;
    const CommittedFace& first = from[0];
    int32_t p = first.v[0], q = first.v[1], r = first.v[2];
    if (piece.count > 1) {  // the vertex the second face lacks leads
      const CommittedFace& second = from[1];
      if (!Has(second, p)) {
      } else if (!Has(second, q)) {
        std::swap(p, q);
      } else if (!Has(second, r)) {
        std::swap(p, r);
      }
    }
    if (piece.count > 2) {  // the vertex shared with the third face goes last
      const CommittedFace& third = from[2];
      if (!Has(third, p) && Has(third, q)) std::swap(q, r);
    }
    bool clockwise = (first.v[0] == p && first.v[1] == q) || (first.v[1] == p && first.v[2] == q) ||
                     (first.v[2] == p && first.v[0] == q);
    if (pi == 0) {
      if (!clockwise) put(p);
    } else {
      put(p);
      if (((size_t(w - base) & 1) == 0) != clockwise) put(p);
    }
    put(p);
    put(q);
    put(r);
    // The last three written, in the first three lanes: each face writes its first vertex outside them, if it has
    // one. Which vertex that is follows each face's own rotation, which no branch predicts: the face's three are
    // compared with the three at once, and the first outside taken by its place.
    __m128i window = _mm_setr_epi32(p, q, r, r);
    for (const CommittedFace *f = from + 1, *end = from + piece.count; f < end; ++f) {
      __m128i face = _mm_loadu_si128(reinterpret_cast<const __m128i*>(f));
      __m128i in = _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi32(face, _mm_shuffle_epi32(window, 0x00)),
                                             _mm_cmpeq_epi32(face, _mm_shuffle_epi32(window, 0x55))),
                                _mm_cmpeq_epi32(face, _mm_shuffle_epi32(window, 0xaa)));
      unsigned outside = ~unsigned(_mm_movemask_ps(_mm_castsi128_ps(in))) & 7u;
      if (outside == 0) continue;
      int32_t v = f->v[__builtin_ctz(outside)];
      put(v);
      window = _mm_unpacklo_epi64(_mm_shuffle_epi32(window, 0x09), _mm_cvtsi32_si128(v));
    }
    *w = w[-1];
    ++w;
  }
  for (const CommittedFace *f = list, *end = list + listCount; f < end; ++f) {
    int32_t last = w[-1];
    if ((size_t(w - base) & 1) != 0) {
      if (last != id(f->v[2])) {
        *w++ = last;
        put(f->v[2]);
      }
      put(f->v[2]);
      put(f->v[1]);
      put(f->v[0]);
    } else {
      if (last != id(f->v[0])) {
        *w++ = last;
        put(f->v[0]);
      }
      put(f->v[0]);
      put(f->v[1]);
      put(f->v[2]);
    }
  }
  return w;
}

}  // namespace

void Stripifier_D::Stitch(Array<int32_t>& out, Array<int32_t>& lengths) const {
  int listIndices = 3 * m_triList.Count();
  // Written through a pointer into room for the most a piece (its faces and five more) and a left-over
  // triangle (five) can take, and cut to what was written at the end.
  // The pieces hold every committed face but the left-over ones.
  int most = m_pieces.IsEmpty() ? listIndices : m_stripFaces.Count() + 5 * m_pieces.Count() + 4 * m_triList.Count();
  out.SetCountForOverwrite(most);
  int32_t* const base = out.Data();
  const int32_t* vertexOf = m_vertexOf.Data();
  if (m_pieces.IsEmpty()) {
    int32_t* w = base;
    for (const CommittedFace& f : m_triList)
      for (int32_t v : f.v) *w++ = vertexOf[v];
    lengths.Append(0);
    lengths.Append(listIndices);
    return;
  }
  auto stitch = m_ownIds ? StitchPieces<true> : StitchPieces<false>;
  int32_t* w = stitch(base, m_pieces.Data(), m_pieces.Count(), m_stripFaces.Data(), m_triList.Data(), m_triList.Count(),
                      vertexOf);
  out.SetCount(int(w - base));
  lengths.Append(out.Count());
  lengths.Append(0);
}

bool StripifyTriangles(const Array<int32_t>& indicesIn, Array<int32_t>& lengthsOut, Array<int32_t>& indicesOut) {
  const StripScratchCall call;
  lengthsOut.Clear();
  indicesOut.Clear();
  int n = indicesIn.Count() / 3 * 3;
  // The largest index and the indices' bits together, in a loop without an exit the compiler can vectorise: a
  // negative index sets the sign bit, and the first one is looked for only then.
  const int32_t* in = indicesIn.Data();
  int32_t largest = 0, bits = 0;
  for (int i = 0; i < n; ++i) {
    largest = std::max(largest, in[i]);
    bits |= in[i];
  }
  for (int i = 0; bits < 0 && i < n; ++i) {
    if (in[i] < 0) {
      LogError("StripifyTriangles: negative vertex index ", in[i], " at position ", int32_t(i), ".");
      return false;
    }
  }
  Stripifier_D s(kCacheSize, kMinStripLength);
  s.BuildStripifyInfo(indicesIn, largest);
  s.FindAllStrips();
  s.SplitUpStripsAndOptimize();
  s.Stitch(indicesOut, lengthsOut);
  return true;
}

}  // namespace PM
