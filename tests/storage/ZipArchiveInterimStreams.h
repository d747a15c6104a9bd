// Interim stand-ins for the file and memory stream variants, used by the zip tests until the
// stream variants are in the library. Include from exactly one file per program.
#pragma once

#include <cstdio>
#include <cstring>
#include <vector>

#include "core/Obj.h"
#include "storage/Streams.h"

namespace PM {
namespace interim {

class MemStream : public StreamPipe {
 public:
  std::vector<uint8_t> bytes;
  const uint8_t* view = nullptr;
  size_t viewSize = 0;
  int64_t pos = 0;
  const uint8_t* Data() const { return view ? view : bytes.data(); }
  int64_t Size() const { return int64_t(view ? viewSize : bytes.size()); }
  int64_t Read(void* b, int64_t n) override {
    int64_t k = std::max<int64_t>(0, std::min(n, Size() - pos));
    if (k) std::memcpy(b, Data() + pos, size_t(k));
    pos += k;
    return k;
  }
  int ReadByte() override { return pos < Size() ? Data()[pos++] : -1; }
  int PeekByte() override { return pos < Size() ? Data()[pos] : -1; }
  int64_t Write(const void* b, int64_t n) override {
    if (view) return -1;
    if (bytes.size() < size_t(pos + n)) bytes.resize(size_t(pos + n));
    std::memcpy(bytes.data() + pos, b, size_t(n));
    pos += n;
    return n;
  }
  int64_t Seek(int64_t o, int origin) override {
    int64_t t = origin == kSeekStart ? o : origin == kSeekCurrent ? pos + o : Size() + o;
    if (t < 0) return -1;
    return pos = t;
  }
  int64_t GetFileLength() override { return Size(); }
};

class FileStream : public StreamPipe {
 public:
  std::FILE* f = nullptr;
  ~FileStream() override { if (f) std::fclose(f); }
  int64_t Read(void* b, int64_t n) override { return int64_t(std::fread(b, 1, size_t(n), f)); }
  int ReadByte() override { return std::fgetc(f); }
  int64_t Write(const void* b, int64_t n) override { return int64_t(std::fwrite(b, 1, size_t(n), f)); }
  int32_t Flush() override { return std::fflush(f) == 0 ? 0 : -1; }
  int64_t Seek(int64_t o, int origin) override {
    int w = origin == kSeekStart ? SEEK_SET : origin == kSeekCurrent ? SEEK_CUR : SEEK_END;
    return std::fseek(f, long(o), w) == 0 ? int64_t(std::ftell(f)) : -1;
  }
  int64_t GetFileLength() override {
    long at = std::ftell(f);
    std::fseek(f, 0, SEEK_END);
    long end = std::ftell(f);
    std::fseek(f, at, SEEK_SET);
    return end;
  }
};

}  // namespace interim

StreamPipe* OpenFileStream(const char* path, uint32_t mode) {
  const char* how = (mode & kModeWrite) ? ((mode & kModeRead) ? "w+b" : "wb") : "rb";
  std::FILE* f = std::fopen(path, how);
  if (!f) return NullPipe();
  auto* s = NewCounted<interim::FileStream>();
  s->f = f;
  return s;
}
StreamPipe* NewMemoryStream(const void* bytes, size_t n) {
  auto* s = NewCounted<interim::MemStream>();
  s->bytes.assign(static_cast<const uint8_t*>(bytes), static_cast<const uint8_t*>(bytes) + n);
  return s;
}
StreamPipe* NewMemoryViewStream(const void* bytes, size_t n) {
  auto* s = NewCounted<interim::MemStream>();
  s->view = static_cast<const uint8_t*>(bytes);
  s->viewSize = n;
  return s;
}
const uint8_t* MemoryStreamData(StreamPipe* memoryStream, size_t* size) {
  auto* s = static_cast<interim::MemStream*>(memoryStream);
  *size = size_t(s->Size());
  return s->Data();
}

}  // namespace PM
