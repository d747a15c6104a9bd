#include "core/String.h"

#include <algorithm>
#include <bit>

namespace PM {

namespace {

// Little-endian loads of unaligned bytes, so the hash is the same on every host.
inline uint64_t Load64(const unsigned char* p) {
  uint64_t v;
  std::memcpy(&v, p, 8);
  if constexpr (std::endian::native == std::endian::big) v = __builtin_bswap64(v);
  return v;
}
inline uint64_t Load32(const unsigned char* p) {
  uint32_t v;
  std::memcpy(&v, p, 4);
  if constexpr (std::endian::native == std::endian::big) v = __builtin_bswap32(v);
  return v;
}

// The 128-bit product of a and b folded to 64 bits: one multiply mixes every input bit into the middle,
// and folding brings the well-mixed high half down to the low bits that NameHash buckets use.
inline uint64_t Fold(uint64_t a, uint64_t b) {
  unsigned __int128 r = static_cast<unsigned __int128>(a) * b;
  return uint64_t(r) ^ uint64_t(r >> 64);
}

constexpr uint64_t kHashSeed = 0x243F6A8885A308D3ull;  // digits of pi
constexpr uint64_t kHashK1 = 0xA0761D6478BD642Full;
constexpr uint64_t kHashK2 = 0xE7037ED1A0B428DBull;

}  // namespace

uint32_t HashBytes(const void* data, size_t length) {
  const auto* p = static_cast<const unsigned char*>(data);
  uint64_t h = kHashSeed ^ Fold(length ^ kHashK1, kHashK2);
  size_t n = length;
  for (; n > 16; p += 16, n -= 16) h = Fold(Load64(p) ^ kHashK1, Load64(p + 8) ^ h);
  // The last 1 to 16 bytes, read as two words that may overlap.
  uint64_t a = 0, b = 0;
  if (n >= 8) {
    a = Load64(p);
    b = Load64(p + n - 8);
  } else if (n >= 4) {
    a = Load32(p);
    b = Load32(p + n - 4);
  } else if (n > 0) {
    a = uint64_t(p[0]) << 16 | uint64_t(p[n >> 1]) << 8 | p[n - 1];
  }
  h = Fold(a ^ kHashK1, b ^ h);
  h = Fold(h ^ kHashK2, length ^ kHashK1);
  return uint32_t(h) ^ uint32_t(h >> 32);
}

static void DestroyStringBlock(void* payload) { BlockDelete(payload); }
const TypeRecord& StringBlockType() {
  static TypeRecord t("String", 1, DestroyStringBlock);
  return t;
}

// The shared empty string: one NUL, immortal.
namespace {
struct alignas(16) EmptyStringBlock {
  BlockHeader h;
  char chars[16];
};
}  // namespace
static EmptyStringBlock g_empty;
static char* EmptyChars() {
  static char* c = [] {
    g_empty.h.refs.store(kImmortalRefs);
    g_empty.h.type = &StringBlockType();
    g_empty.h.capacity = 1;
    g_empty.h.count = 1;
    return g_empty.chars;
  }();
  return c;
}

// A new block for `length` characters plus NUL, room for `capacity` characters in all.
static char* NewChars(int64_t length, int64_t capacity) {
  // Refuses before anything is written.
  const int32_t room = BlockCheckedCount(capacity == INT64_MAX ? capacity : capacity + 1, 1);
  char* c = static_cast<char*>(BlockNewArray(room, int32_t(length) + 1, &StringBlockType()));
  c[length] = 0;
  return c;
}

String::String() : m_chars(EmptyChars()) { BlockAddRef(m_chars); }

String::String(const char* text, int length) {
  if (!text || length <= 0) {
    m_chars = EmptyChars();
  } else {
    m_chars = NewChars(length, length);
    std::memcpy(m_chars, text, size_t(length));
  }
  BlockAddRef(m_chars);
}

// Lengths of C texts and views are size_t: checked before they narrow, so a 4 GiB text is not taken as a short one.
static int CheckedLength(size_t n) {
  return BlockCheckedCount(n > size_t(INT64_MAX) ? INT64_MAX : int64_t(n) + 1, 1) - 1;
}

String::String(const char* text) : String(text, text ? CheckedLength(std::strlen(text)) : 0) {}

// NOLINTNEXTLINE(bugprone-suspicious-stringview-data-usage): the length goes with it
String::String(std::string_view text) : String(text.data(), CheckedLength(text.size())) {}

String::String(String&& o) noexcept : m_chars(o.m_chars) {
  o.m_chars = EmptyChars();
  BlockAddRef(o.m_chars);
}

// NOLINTNEXTLINE(bugprone-unhandled-self-assignment): takes the new reference first
String& String::operator=(const String& o) {
  if (m_chars != o.m_chars) {
    BlockAddRef(o.m_chars);
    BlockRelease(m_chars);
    m_chars = o.m_chars;
  }
  return *this;
}

String& String::operator=(String&& o) noexcept {
  std::swap(m_chars, o.m_chars);
  return *this;
}

String String::FromConcat(const String& a, const String& b) {
  if (a.Length() == 0) return b;
  if (b.Length() == 0) return a;
  String r;
  r.Append(a.m_chars, a.Length());
  r.Append(b.m_chars, b.Length());
  return r;
}

String String::FromConcatCStr(const String& a, const char* b) {
  const int lb = b ? CheckedLength(std::strlen(b)) : 0;
  String r;
  char* c = r.AllocBuffer(int64_t(a.Length()) + lb);
  std::memcpy(c, a.m_chars, size_t(a.Length()));
  if (lb) std::memcpy(c + a.Length(), b, size_t(lb));
  return r;
}

String String::FromCStrConcat(const char* a, const String& b) {
  const int la = a ? CheckedLength(std::strlen(a)) : 0;
  String r;
  char* c = r.AllocBuffer(int64_t(la) + b.Length());
  if (la) std::memcpy(c, a, size_t(la));
  std::memcpy(c + la, b.m_chars, size_t(b.Length()));
  return r;
}

int String::Compare(const String& a, const String& b) {
  if (a.m_chars == b.m_chars) return 0;
  size_t n = size_t(std::min(a.Length(), b.Length())) + 1;  // the shorter count, its NUL included
  int r = std::memcmp(a.m_chars, b.m_chars, n);
  return r < 0 ? -1 : r > 0 ? 1 : 0;
}

uint32_t String::ComputeHash() const {
  BlockHeader* h = HeaderOf(m_chars);
  uint32_t hash = HashBytes(m_chars, size_t(Length()));
  h->weak.store(kHashValid | hash, std::memory_order_relaxed);
  return hash;
}

int String::FindChar(char c) const {
  const void* p = std::memchr(m_chars, c, size_t(Length()));
  return p ? int(static_cast<const char*>(p) - m_chars) : -1;
}

int String::FindLastChar(char c) const {
  for (int i = Length() - 1; i >= 0; --i)
    if (m_chars[i] == c) return i;
  return -1;
}

int String::FindString(const char* text) const {
  if (!text) return -1;
  std::string_view hay = View();
  size_t at = hay.find(text);
  return at == std::string_view::npos ? -1 : int(at);
}

int64_t StringGrowCapacity(int64_t length, int64_t extra) {
  if (length < 0 || extra < 0 || extra > String::kMaxLength - length) return -1;
  const int64_t want = length + extra;
  // Room to grow when appending character by character, up to the most a block holds.
  return std::min(std::max(want, length + length / 2 + 8), String::kMaxLength);
}

void String::MakeUnique(int64_t extra) {
  BlockHeader* h = HeaderOf(m_chars);
  const int64_t len = Length();
  const int64_t cap = StringGrowCapacity(len, extra);
  // Past the most a block holds: out of memory, with the size asked for (saturated, never wrapped).
  if (cap < 0) BlockCheckedCount(extra > INT64_MAX - len - 1 ? INT64_MAX : len + extra + 1, 1);
  if (h->refs.load(std::memory_order_acquire) == 1 && int64_t(h->capacity) - 1 >= len + extra) {
    h->weak.store(0, std::memory_order_relaxed);  // the text changes: forget the hash
    return;
  }
  char* c = NewChars(len, cap);
  std::memcpy(c, m_chars, size_t(len));
  BlockAddRef(c);
  BlockRelease(m_chars);
  m_chars = c;
}

void String::AssignSub(const String& source, int start, int length) {
  int n = source.Length();
  start = std::clamp(start, 0, n);
  length = std::clamp(length, 0, n - start);
  *this = String(source.m_chars + start, length);
}

void String::InsertChar(int pos, char c) {
  int len = Length();
  pos = std::clamp(pos, 0, len);
  MakeUnique(1);
  std::memmove(m_chars + pos + 1, m_chars + pos, size_t(len - pos) + 1);
  m_chars[pos] = c;
  HeaderOf(m_chars)->count = len + 2;
}

void String::RemoveChar(int pos) {
  int len = Length();
  if (pos < 0 || pos >= len) return;
  MakeUnique(0);
  std::memmove(m_chars + pos, m_chars + pos + 1, size_t(len - pos));
  HeaderOf(m_chars)->count = len;
}

void String::Append(const char* text, int64_t length) {
  if (!text || length <= 0) return;
  const int64_t len = Length();
  // Text from this string's own characters moves with them when the block is replaced.
  const auto at = reinterpret_cast<uintptr_t>(text) - reinterpret_cast<uintptr_t>(m_chars);
  const bool own = at <= uintptr_t(len);
  MakeUnique(length);  // ends the process before any copy when the sum passes kMaxLength
  if (own) text = m_chars + at;
  std::memcpy(m_chars + len, text, size_t(length));
  m_chars[len + length] = 0;
  HeaderOf(m_chars)->count = int32_t(len + length + 1);
}

void String::AppendChar(char c) { Append(&c, 1); }

char* String::AllocBuffer(int64_t length) {
  if (length <= 0) {
    Clear();
    return m_chars;
  }
  char* c = NewChars(length, length);
  std::memset(c, 0, size_t(length));
  BlockAddRef(c);
  BlockRelease(m_chars);
  m_chars = c;
  return m_chars;
}

void String::Clear() { *this = String(); }

}  // namespace PM
