#include "geometry/SubDivData.h"

namespace PM {
namespace {

bool operator==(const Vector2f& a, const Vector2f& b) { return a.x == b.x && a.y == b.y; }

// Channels may be shorter than the vertex set (scripts fill them): a read past the end is the zero
// value, and an append first pads the channel up to the new vertex, so indices stay aligned.
template <class E>
E At(const Array<E>& a, int32_t i) {
  return i >= 0 && i < a.Count() ? a[i] : E{};
}
template <class E>
void Put(Array<E>& a, int32_t index, const E& v) {
  if (a.Count() < index) a.Grow(index);
  if (a.Count() == index)
    a.Append(v);
  else
    a[index] = v;
}
// Every non-empty channel of a list gets vertex `to` from vertex `from` of the matching source channel.
template <class E>
void CopyChannels(std::vector<Array<E>>& to, const std::vector<Array<E>>& from, int32_t v, int32_t index) {
  for (size_t c = 0; c < to.size(); ++c) {
    if (to[c].IsEmpty() && (c >= from.size() || from[c].IsEmpty())) continue;
    Put(to[c], index, c < from.size() ? At(from[c], v) : E{});
  }
}
template <class E>
bool ChannelsEqual(const std::vector<Array<E>>& list, int32_t i, int32_t j) {
  for (const Array<E>& a : list)
    if (!(At(a, i) == At(a, j))) return false;
  return true;
}
}  // namespace

void SubDivData::AppendShared(const SubDivData& from, int32_t v) {
  const int32_t n = positions.Count();
  positions.Append(At(from.positions, v));
  if (from.normals.Count() > v || !normals.IsEmpty()) Put(normals, n, At(from.normals, v));
  if (floatChannels.size() < from.floatChannels.size()) floatChannels.resize(from.floatChannels.size());
  if (vectorChannels.size() < from.vectorChannels.size()) vectorChannels.resize(from.vectorChannels.size());
  if (normalDeltas.size() < from.normalDeltas.size()) normalDeltas.resize(from.normalDeltas.size());
  if (colorChannels.size() < from.colorChannels.size()) colorChannels.resize(from.colorChannels.size());
  CopyChannels(floatChannels, from.floatChannels, v, n);
  CopyChannels(vectorChannels, from.vectorChannels, v, n);
  CopyChannels(normalDeltas, from.normalDeltas, v, n);
  CopyChannels(colorChannels, from.colorChannels, v, n);
}

int32_t SubDivData::DuplicateVertex(int32_t v) {
  const int32_t n = positions.Count();
  AppendShared(*this, v);
  CopyChannels(texCoordChannels, texCoordChannels, v, n);
  if (v >= 0 && v < chain.Count()) chain[v] = n;
  Put(chain, n, kUnused);
  return n;
}

int32_t SubDivData::AddVertexUnique(int32_t v, Array<int32_t>& first, Array<int32_t>& next, const Vector2f* wanted,
                                    const SubDivData& source, Array<int32_t>& sourceOf) {
  if (v < 0) return -1;
  if (first.Count() <= v) first.SetCountFill(v + 1, -1);
  int32_t last = -1;
  for (int32_t u = first[v]; u >= 0 && u < next.Count(); u = next[u]) {
    bool same = true;
    for (int c = int(texCoordChannels.size()) - 1; c >= 0 && same; --c)
      same = At(texCoordChannels[size_t(c)], u) == wanted[c];
    if (same) return u;
    last = u;
  }
  const int32_t n = positions.Count();
  AppendShared(source, v);
  for (size_t c = 0; c < texCoordChannels.size(); ++c) Put(texCoordChannels[c], n, wanted[c]);
  if (last >= 0)
    next[last] = n;
  else
    first[v] = n;
  Put(next, n, -1);
  Put(sourceOf, n, v);
  return n;
}

int32_t SubDivData::AppendVertexFrom(const SubDivData& other, int32_t v) {
  const int32_t n = positions.Count();
  AppendShared(other, v);
  if (texCoordChannels.size() < other.texCoordChannels.size()) texCoordChannels.resize(other.texCoordChannels.size());
  CopyChannels(texCoordChannels, other.texCoordChannels, v, n);
  return n;
}

bool SubDivData::VerticesEqual(int32_t i, int32_t j) const {
  return At(positions, i) == At(positions, j) && At(normals, i) == At(normals, j) &&
         ChannelsEqual(floatChannels, i, j) && ChannelsEqual(vectorChannels, i, j) &&
         ChannelsEqual(normalDeltas, i, j) && ChannelsEqual(texCoordChannels, i, j) &&
         ChannelsEqual(colorChannels, i, j);
}

int32_t SubDivData::CountDuplicates() const {
  // Quadratic, as it compares every pair; meant for checks on small sets.
  int32_t duplicates = 0;
  for (int32_t v = 1; v < positions.Count(); ++v) {
    for (int32_t u = 0; u < v; ++u) {
      if (VerticesEqual(u, v)) {
        ++duplicates;
        break;
      }
    }
  }
  return duplicates;
}

}  // namespace PM
