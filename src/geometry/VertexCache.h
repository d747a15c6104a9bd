// A first-in first-out vertex cache as a post-transform cache sees it: a vertex not in the cache goes in
// first and pushes the oldest out. Membership is a per-vertex flag, so a test costs one load.
#pragma once

#include <cstdint>

#include "core/Array.h"

namespace PM {

class VertexCache {
 public:
  // `vertices`: the number of vertex ids the cache may see (0 .. vertices - 1).
  VertexCache(int size, int vertices) {
    m_ring.SetCountFill(size, -1);
    m_in.SetCountFill(vertices, 0);
  }
  bool InCache(int32_t v) const { return m_in[v] != 0; }
  // Puts a vertex that is not in the cache first; returns the vertex that fell out, or -1.
  int32_t AddEntry(int32_t v) {
    m_head = (m_head == 0 ? m_ring.Count() : m_head) - 1;
    int32_t out = m_ring[m_head];
    if (out >= 0) m_in[out] = 0;
    m_ring[m_head] = v;
    m_in[v] = 1;
    return out;
  }

 private:
  Array<int32_t> m_ring;  // m_ring[m_head] is the newest entry, the one before it in ring order the oldest
  Array<uint8_t> m_in;
  int m_head = 0;
};

}  // namespace PM
