#include "core/StreamPipe.h"

#include <cinttypes>
#include <cstdio>
#include <cstring>

namespace PM {

StreamPipe::~StreamPipe() = default;
void StreamPipe::Lock() {}
void StreamPipe::Unlock() {}
int64_t StreamPipe::Read(void*, int64_t) { return 0; }
int StreamPipe::ReadByte() { return -1; }
int StreamPipe::PeekByte() { return -1; }
int StreamPipe::PeekByteAt(int64_t) { return -1; }
int64_t StreamPipe::Skip(int64_t) { return 0; }
int64_t StreamPipe::Write(const void*, int64_t) { return 0; }
int32_t StreamPipe::Truncate() { return 0; }
int32_t StreamPipe::Flush() { return 0; }
int64_t StreamPipe::Seek(int64_t, int) { return 0; }
int64_t StreamPipe::SeekCompressed(int64_t offset, int origin) { return Seek(offset, origin); }
int64_t StreamPipe::GetFileLength() { return 0; }
int32_t StreamPipe::GetFileTime(int64_t* c, int64_t* a, int64_t* w) {
  for (int64_t* t : {c, a, w})
    if (t) *t = 0;
  return 0;
}
int32_t StreamPipe::SetFileTime(const int64_t*, const int64_t*, const int64_t*) { return 0; }
void StreamPipe::SetColor(int, int) {}
void StreamPipe::Clear() {}

int64_t StreamPipe::SkipByReading(int64_t n) {
  unsigned char scratch[8192];
  int64_t done = 0;
  while (done < n) {
    int64_t r = Read(scratch, n - done < int64_t(sizeof scratch) ? n - done : int64_t(sizeof scratch));
    if (r <= 0) break;
    done += r;
  }
  return done;
}

int64_t StreamPipe::ReadAt(int64_t at, void* buffer, int64_t n) {
  if (at < 0 || n < 0) return -1;
  Lock();
  int64_t back = Seek(0, kSeekCurrent);
  int64_t got = 0, r = 0;
  if (Seek(at, kSeekStart) != at) {
    r = -1;
  } else {
    while (got < n) {  // a stream may answer with fewer bytes than asked before its end
      r = Read(static_cast<char*>(buffer) + got, n - got);
      if (r <= 0) break;
      got += r;
    }
  }
  if (back >= 0) Seek(back, kSeekStart);
  Unlock();
  return got > 0 ? got : r < 0 ? -1 : 0;
}

static const char* const kLevelWords[] = {"Debug", "Info ", "Note ", "Warn ", "Error", "FATAL"};

void StreamPipe::BeginMessage(int level) {
  Lock();
  if (level >= 2 && level <= 7) {
    Write(kLevelWords[level - 2], 5);
    Write(" ", 1);
  }
}
void StreamPipe::EndMessage() { Unlock(); }

namespace {
struct alignas(16) NullPipeBlock {
  BlockHeader h;
  alignas(16) unsigned char obj[sizeof(StreamPipe)];
};
}  // namespace

StreamPipe* NullPipe() {
  static NullPipeBlock block;
  static StreamPipe* pipe = [] {
    static TypeRecord type("NullPipe", sizeof(StreamPipe), [](void*) {});
    block.h.refs.store(kImmortalRefs);
    block.h.type = &type;
    block.h.weak.store(reinterpret_cast<uintptr_t>(NilWeakTarget()));
    return new (block.obj) StreamPipe;
  }();
  return pipe;
}

// ---- line writers ----------------------------------------------------------------------------

StreamPipeRef& StreamPipeRef::EndLine() {
  m_p->Write("\n", 1);
  m_p->Flush();
  return *this;
}

StreamPipeRef& StreamPipeRef::WriteText(const char* text) {
  if (!text) text = "(NULL)";
  return Write(text, int64_t(std::strlen(text)));
}

StreamPipeRef& StreamPipeRef::WriteString(const String& s) { return Write(s.CStr(), s.Length()); }

StreamPipeRef& StreamPipeRef::WriteHex(uint64_t v) { return WriteHexPadded(v, 0); }

StreamPipeRef& StreamPipeRef::WriteHexPadded(uint64_t v, int width) {
  if (width < 0 || width > 16) width = 16;
  char buf[24];
  int n = snprintf(buf, sizeof buf, "%0*" PRIX64, width, v);
  return Write(buf, n);
}

StreamPipeRef& StreamPipeRef::WriteI32(int32_t v) { return WriteI64(v); }
StreamPipeRef& StreamPipeRef::WriteU32(uint32_t v) { return WriteU64(v); }

StreamPipeRef& StreamPipeRef::WriteI64(int64_t v) {
  char buf[24];
  int n = snprintf(buf, sizeof buf, "%" PRId64, v);
  return Write(buf, n);
}

StreamPipeRef& StreamPipeRef::WriteU64(uint64_t v) {
  char buf[24];
  int n = snprintf(buf, sizeof buf, "%" PRIu64, v);
  return Write(buf, n);
}

}  // namespace PM
