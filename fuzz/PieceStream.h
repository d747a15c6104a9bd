// A stream over the fuzz input that hands out at most `piece` bytes per Read, so a lexer meets every
// token split across reads.
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstring>

#include "core/StreamPipe.h"

namespace PM::Fuzz {

class PieceStream : public StreamPipe {
 public:
  PieceStream(const uint8_t* data, size_t size, size_t piece) : m_data(data), m_size(size), m_piece(piece) {}
  int64_t Read(void* buffer, int64_t n) override {
    size_t k = std::min({size_t(n), m_piece, m_size - m_pos});
    std::memcpy(buffer, m_data + m_pos, k);
    m_pos += k;
    return int64_t(k);
  }

 private:
  const uint8_t* m_data;
  size_t m_size;
  size_t m_piece;
  size_t m_pos = 0;
};

}  // namespace PM::Fuzz
