// MemoryStream: a stream over bytes in memory, either its own growable copy or a read-only view of
// bytes that outlive it (which also serves the resources linked into the library).
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "storage/LockedStream.h"

namespace PM {

class MemoryStream : public LockedStream {
 public:
  // The most bytes an owned stream grows to: a write past it (after a seek far beyond the end, say) is
  // refused with a logged error before anything is allocated.
  static constexpr int64_t kMaxMemoryStreamBytes = int64_t(4) << 30;

  MemoryStream(const void* bytes, size_t n);                 // owns a copy
  MemoryStream(const void* bytes, size_t n, bool /*view*/);  // read-only view, no copy

  int64_t Read(void* buffer, int64_t n) override;
  int ReadByte() override;
  int PeekByte() override;
  int PeekByteAt(int64_t offset) override;
  int64_t Skip(int64_t n) override;
  int64_t Write(const void* bytes, int64_t n) override;
  int32_t Truncate() override;
  int32_t Flush() override { return 1; }
  int64_t Seek(int64_t offset, int origin) override;
  int64_t GetFileLength() override;
  void Clear() override;  // empties an owned stream

  // The bytes and their count (valid until the next write).
  const uint8_t* Data(size_t* size);

 private:
  const uint8_t* Bytes() const { return m_view ? m_view : m_bytes.data(); }
  int64_t Size() const { return m_view ? m_viewSize : int64_t(m_bytes.size()); }

  std::vector<uint8_t> m_bytes;
  const uint8_t* m_view = nullptr;
  int64_t m_viewSize = 0;
  int64_t m_pos = 0;
};

}  // namespace PM
