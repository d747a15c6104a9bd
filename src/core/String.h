// String: one pointer to NUL-terminated characters in a counted block, copy on write.
// The length is the block's count less one; the hash is computed once and cached in the block.
#pragma once

#include <cstdint>
#include <cstring>
#include <string_view>

#include "core/Block.h"

namespace PM {

// The engine's string hash (16 bytes per folded 64x64-bit multiply); it fixes NameHash bucket order.
uint32_t HashBytes(const void* data, size_t length);

// The room in characters a string of `length` takes when `extra` more are wanted: the sum, or more when
// appending one by one, never past String::kMaxLength; -1 when the sum itself passes it. In 64 bits,
// so no length of two strings wraps.
int64_t StringGrowCapacity(int64_t length, int64_t extra);

class String {
 public:
  // The longest string a block holds (its NUL takes the last place); a longer request is out of memory.
  static constexpr int64_t kMaxLength = kMaxBlockCount - 1;

  String();                  // the shared empty string
  String(const char* text);  // NOLINT: implicit, as from a C text
  String(const char* text, int length);
  explicit String(std::string_view text);
  String(const String& o) : m_chars(o.m_chars) { BlockAddRef(m_chars); }
  String(String&& o) noexcept;
  ~String() { BlockRelease(m_chars); }

  String& operator=(const String& o);
  String& operator=(String&& o) noexcept;
  String& operator=(const char* text) { return *this = String(text); }

  static String FromCStr(const char* text) { return String(text); }
  static String FromString(const String& s) { return s; }
  void AssignStringI(const String& s) { *this = s; }
  static String FromConcat(const String& a, const String& b);
  static String FromConcatCStr(const String& a, const char* b);
  static String FromCStrConcat(const char* a, const String& b);

  const char* CStr() const { return m_chars; }
  int Length() const { return HeaderOf(m_chars)->count - 1; }
  bool IsEmpty() const { return m_chars[0] == 0 && Length() == 0; }
  char operator[](int i) const { return m_chars[i]; }
  std::string_view View() const { return {m_chars, size_t(Length())}; }

  // -1, 0 or 1 by unsigned bytes over the shorter count with its NUL, so a proper prefix is smaller.
  static int Compare(const String& a, const String& b);
  static bool Equals(const String& a, const String& b) {
    if (a.m_chars == b.m_chars) return true;
    int n = a.Length();
    return n == b.Length() && std::memcmp(a.m_chars, b.m_chars, size_t(n)) == 0;
  }
  static bool NotEquals(const String& a, const String& b) { return !Equals(a, b); }
  bool EqualsCStr(const char* text) const { return std::strcmp(m_chars, text ? text : "") == 0; }
  bool NotEqualsCStr(const char* text) const { return !EqualsCStr(text); }
  bool operator==(const String& o) const { return Equals(*this, o); }
  bool operator!=(const String& o) const { return !Equals(*this, o); }
  bool operator<(const String& o) const { return Compare(*this, o) < 0; }
  bool operator==(const char* text) const { return EqualsCStr(text); }

  // Cached in the block's weak word as (1 << 32) | hash once computed.
  uint32_t GetHash() const {
    uintptr_t w = HeaderOf(m_chars)->weak.load(std::memory_order_relaxed);
    return (w & kHashValid) ? uint32_t(w) : ComputeHash();
  }

  int FindChar(char c) const;              // first occurrence, -1 when absent
  int FindLastChar(char c) const;          // last occurrence, -1 when absent
  int FindString(const char* text) const;  // first occurrence, -1 when absent

  // this = source[start, start + length): negative start or length count as 0, the length stops at the end.
  void AssignSub(const String& source, int start, int length);
  void InsertChar(int pos, char c);  // before pos, clamped to [0, length]
  void RemoveChar(int pos);          // out of range does nothing
  void AppendChar(char c);
  void Append(const char* text, int64_t length);
  // Makes this a unique string of `length` characters (zero-filled) and returns them for writing.
  char* AllocBuffer(int64_t length);
  void Clear();

 private:
  static constexpr uintptr_t kHashValid = uintptr_t(1) << 32;
  uint32_t ComputeHash() const;
  void MakeUnique(int64_t extra);  // a private block with room for `extra` more characters
  char* m_chars;
};

// Character-level operations on a string block, shared by String and its callers.
struct String_I {
  static bool EqualsCStr(const String& s, const char* text) { return s.EqualsCStr(text); }
  static int FindString(const String& s, const char* text) { return s.FindString(text); }
};

// The type record of string character blocks.
const TypeRecord& StringBlockType();

}  // namespace PM
