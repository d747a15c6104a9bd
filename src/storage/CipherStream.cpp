#include "storage/CipherStream.h"

#include <algorithm>
#include <cstring>

#include "storage/Streams.h"

namespace PM {

namespace {

// The 64-bit finaliser of SplitMix64: every input bit reaches every output bit.
uint64_t Mix(uint64_t z) {
  z ^= z >> 30;
  z *= 0xBF58476D1CE4E5B9ULL;
  z ^= z >> 27;
  z *= 0x94D049BB133111EBULL;
  return z ^ (z >> 31);
}

constexpr uint64_t kSalt = 0x504D434950484552ULL;  // "PMCIPHER"
constexpr uint64_t kStep = 0x9E3779B97F4A7C15ULL;

}  // namespace

CipherStream::CipherStream(const StreamPipeRef& target, uint32_t key) : m_target(target), m_key(key) {}

void CipherStream::Apply(uint32_t key, int64_t position, uint8_t* bytes, int64_t n) {
  const uint64_t seed = Mix(uint64_t(key) ^ kSalt);
  for (int64_t i = 0; i < n;) {
    uint64_t at = uint64_t(position + i);
    uint64_t word = Mix(seed + (at >> 3) * kStep);
    for (unsigned k = unsigned(at & 7); k < 8 && i < n; ++k, ++i) bytes[i] ^= uint8_t(word >> (8 * k));
  }
}

int64_t CipherStream::Position() {
  int64_t p = m_target->Seek(0, kSeekCurrent);
  return p < 0 ? 0 : p;
}

int64_t CipherStream::Read(void* buffer, int64_t n) {
  Hold hold(this);
  int64_t at = Position();
  int64_t r = m_target->Read(buffer, n);
  if (r > 0) Apply(m_key, at, static_cast<uint8_t*>(buffer), r);
  return r;
}

int CipherStream::ReadByte() {
  Hold hold(this);
  int64_t at = Position();
  int c = m_target->ReadByte();
  if (c < 0) return c;
  uint8_t b = uint8_t(c);
  Apply(m_key, at, &b, 1);
  return b;
}

int CipherStream::PeekByteAt(int64_t offset) {
  Hold hold(this);
  int c = m_target->PeekByteAt(offset);
  if (c < 0) return c;
  uint8_t b = uint8_t(c);
  Apply(m_key, Position() + offset, &b, 1);
  return b;
}

int64_t CipherStream::Write(const void* bytes, int64_t n) {
  Hold hold(this);
  if (n <= 0 || !bytes) return 0;
  uint8_t piece[4096];
  int64_t done = 0;
  while (done < n) {
    int64_t k = std::min<int64_t>(n - done, sizeof piece);
    std::memcpy(piece, static_cast<const uint8_t*>(bytes) + done, size_t(k));
    Apply(m_key, Position(), piece, k);
    int64_t w = m_target->Write(piece, k);
    if (w < 0) return done ? done : w;
    done += w;
    if (w < k) break;
  }
  return done;
}

StreamPipe* NewCipherStream(const StreamPipeRef& target, uint32_t key) { return NewCounted<CipherStream>(target, key); }

}  // namespace PM
