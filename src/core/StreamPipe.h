// StreamPipe: the interface every stream of the engine implements (files, memory, resources, logs,
// deflate and cipher layers), held through the one-word counted StreamPipeRef. The base class is
// the null stream: reads give nothing, writes take nothing.
#pragma once

#include <cstdint>

#include "core/Obj.h"
#include "core/String.h"

namespace PM {

struct Vector2f;
struct Vector3f;
struct Vector4f;
struct Matrix4f;
struct Spheref;

// Seek origins.
enum SeekOrigin : int { kSeekCurrent = 0, kSeekStart = 1, kSeekEnd = -1 };

// Lives in a counted block (make one with NewCounted); released like an object.
class StreamPipe {
 public:
  virtual ~StreamPipe();
  /* 0 */ virtual void Lock();
  /* 1 */ virtual void Unlock();
  /* 2 */ virtual int64_t Read(void* buffer, int64_t n);        // bytes read, 0 at the end
  /* 3 */ virtual int ReadByte();                               // next byte, or <= 0 (-1) at the end
  /* 4 */ virtual int PeekByte();                               // next byte without advancing, negative at the end
  /* 5 */ virtual int PeekByteAt(int64_t offset);               // byte at position + offset without advancing
  /* 6 */ virtual int64_t Skip(int64_t n);                      // bytes skipped
  /* 7 */ virtual int64_t Write(const void* bytes, int64_t n);  // bytes written, or a negative error
  /* 8 */ virtual int32_t Truncate();                           // cuts the stream at the position
  /* 9 */ virtual int32_t Flush();
  /* 10 */ virtual int64_t Seek(int64_t offset, int origin);            // the new position, negative on failure
  /* 11 */ virtual int64_t SeekCompressed(int64_t offset, int origin);  // (0, current) gives the position
  /* 12 */ virtual int64_t GetFileLength();
  // File times are 100 ns ticks since 1601-01-01; any pointer may be null.
  /* 13 */ virtual int32_t GetFileTime(int64_t* creation, int64_t* access, int64_t* lastWrite);
  /* 14 */ virtual int32_t SetFileTime(const int64_t* creation, const int64_t* access, const int64_t* lastWrite);
  /* 15 */ virtual void SetColor(int foreground, int background);  // console colour indexes; 7 on 0 is normal
  /* 16 */ virtual void Clear();

  // Reads up to `n` bytes at offset `at` without moving the position: the bytes read (fewer only at the
  // end), -1 when the stream failed. Files read positionally with no lock, so any number of readers can
  // share one open file; other streams lock, seek, read and seek back.
  virtual int64_t ReadAt(int64_t at, void* buffer, int64_t n);

  // Begins a message of a log level (locks the stream and writes its line prefix) and ends it (unlocks).
  // Plain streams write only the level word; the log pipes write their configured prefix.
  virtual void BeginMessage(int level);
  virtual void EndMessage();

  // Level entry points: lock, write the prefix and the level word, return the stream.
  StreamPipe& Debug() {
    BeginMessage(2);
    return *this;
  }
  StreamPipe& Info() {
    BeginMessage(3);
    return *this;
  }
  StreamPipe& Note() {
    BeginMessage(4);
    return *this;
  }
  StreamPipe& Warn() {
    BeginMessage(5);
    return *this;
  }
  StreamPipe& Error() {
    BeginMessage(6);
    return *this;
  }
  StreamPipe& Fatal() {
    BeginMessage(7);
    return *this;
  }

 protected:
  // Skips forward by reading and dropping bytes (for streams that must see every byte, or cannot seek).
  int64_t SkipByReading(int64_t n);
};

// The shared null stream (also the discarding stream): immortal, never freed.
StreamPipe* NullPipe();

// Never empty: holds the null stream when nothing else. The writers return the reference for chaining.
class StreamPipeRef {
 public:
  StreamPipeRef() : m_p(NullPipe()) { BlockAddRef(m_p); }
  StreamPipeRef(StreamPipe* p) : m_p(p ? p : NullPipe()) { BlockAddRef(m_p); }  // NOLINT: implicit by design
  StreamPipeRef(const StreamPipeRef& o) : StreamPipeRef(o.m_p) {}
  ~StreamPipeRef() { BlockRelease(m_p); }
  // NOLINTNEXTLINE(bugprone-unhandled-self-assignment): takes the new reference first
  StreamPipeRef& operator=(const StreamPipeRef& o) {
    BlockAddRef(o.m_p);
    BlockRelease(m_p);
    m_p = o.m_p;
    return *this;
  }
  StreamPipe* Get() const { return m_p; }
  StreamPipe* operator->() const { return m_p; }
  // Hands the stream over as a new object (count 0) when this is its only reference.
  StreamPipe* DetachUncounted() {
    StreamPipe* p = m_p;
    HeaderOf(p)->refs.fetch_sub(1, std::memory_order_acq_rel);
    m_p = NullPipe();
    BlockAddRef(m_p);
    return p;
  }
  bool IsNull() const { return m_p == NullPipe(); }

  StreamPipeRef& Lock() {
    m_p->Lock();
    return *this;
  }
  StreamPipeRef& Unlock() {
    m_p->Unlock();
    return *this;
  }
  StreamPipeRef& SetColor(int fg, int bg) {
    m_p->SetColor(fg, bg);
    return *this;
  }
  StreamPipeRef& Flush() {
    m_p->Flush();
    return *this;
  }
  StreamPipeRef& EndLine();  // "\n", then flush
  StreamPipeRef& EndMessage() {
    m_p->EndMessage();
    return *this;
  }

  StreamPipeRef& Write(const void* bytes, int64_t n) {
    m_p->Write(bytes, n);
    return *this;
  }
  StreamPipeRef& WriteText(const char* text);  // "(NULL)" for a null pointer
  StreamPipeRef& WriteString(const String& s);
  StreamPipeRef& WriteStringLine(const String& s) { return WriteString(s).EndLine(); }
  template <size_t N>
  StreamPipeRef& WriteLine(const char (&literal)[N]) {
    return Write(literal, N - 1).EndLine();
  }
  StreamPipeRef& WriteChar(char c) { return Write(&c, 1); }
  StreamPipeRef& WriteSpace() { return WriteChar(' '); }
  StreamPipeRef& WriteHex(uint64_t v);                   // upper case, no padding, no prefix
  StreamPipeRef& WriteHexPadded(uint64_t v, int width);  // zero-padded; 0 none; < 0 or > 16 means 16
  StreamPipeRef& WriteI32(int32_t v);
  StreamPipeRef& WriteI32Ref(const int32_t& v) { return WriteI32(v); }
  StreamPipeRef& WriteIntSpace(int32_t v) { return WriteI32(v).WriteSpace(); }  // the number and one blank
  StreamPipeRef& WriteI64(int64_t v);
  StreamPipeRef& WriteU32(uint32_t v);
  StreamPipeRef& WriteU64(uint64_t v);
  StreamPipeRef& WriteF32(float v);   // 7 significant digits, "." appended when the text has none
  StreamPipeRef& WriteF64(double v);  // 18 significant digits, same rule
  // The text between quote characters with C escapes; length -1 means up to the NUL; quote 0 writes none.
  StreamPipeRef& WriteQuoted(const char* text, int length, int quote);
  StreamPipeRef& WriteQuotedString(const String& s, int quote) { return WriteQuoted(s.CStr(), s.Length(), quote); }
  StreamPipeRef& WriteVector2f(const Vector2f& v);
  StreamPipeRef& WriteVector3f(const Vector3f& v);
  StreamPipeRef& WriteVector4f(const Vector4f& v);
  StreamPipeRef& WriteMatrix4f(const Matrix4f& m);
  StreamPipeRef& WriteSpheref(const Spheref& s);

  // Readers of simple text (the texture description file).
  void SkipSpaces();
  int ReadQuoted(String& out, int quote);  // 0 when the closing quote is missing

 private:
  StreamPipe* m_p;
};

}  // namespace PM
