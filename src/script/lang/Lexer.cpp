#include "script/lang/Lexer.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>

#include "core/Log.h"
#include "script/lang/CompiledFormat.h"
#include "script/lang/ErrorReport.h"
#include "script/lang/ValueVisitor.h"

namespace PM {

namespace {

constexpr uint32_t kUnexpectedToken = 0x8000000Au;
constexpr uint32_t kUnsupported = 0x80000001u;

int HexDigit(int c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

uint32_t MissingValueParser(Lexer& lexer, ValueVisitor&) {
  ReportOrLog(lexer.Owner(), "ParseValueCB: no value parser for token ", TokenKindName(lexer.Kind()), ".");
  return kUnsupported;
}

ParseValueFn g_parseValue = MissingValueParser;

}  // namespace

void SetParseValueCB(ParseValueFn fn) { g_parseValue = fn ? fn : MissingValueParser; }
uint32_t ParseValueCB(Lexer& lexer, ValueVisitor& visitor) { return g_parseValue(lexer, visitor); }

Lexer::Lexer(StreamPipe* stream, uint32_t mode) : m_mode(mode), m_elements(NullArrayPayload()), m_stream(stream) {
  InitLexerTables();
  m_text[0] = 0;
  m_buffer = new uint8_t[kPieceSize];
  m_begin = m_cur = m_end = m_lineStart = m_buffer;
  Refill();
}

Lexer::Lexer(const void* bytes, size_t length, uint32_t mode) : m_mode(mode), m_elements(NullArrayPayload()) {
  InitLexerTables();
  m_text[0] = 0;
  m_begin = m_cur = m_lineStart = static_cast<const uint8_t*>(bytes);
  m_end = m_begin + (bytes ? length : 0);
  m_ch = m_cur < m_end ? *m_cur : -1;
}

Lexer::~Lexer() {
  BlockRelease(m_elements);
  delete[] m_buffer;
}

void Lexer::SetElements(void* block) {
  BlockAddRef(block);
  BlockRelease(m_elements);
  m_elements = block;
}

void Lexer::Refill() {
  if (!m_buffer) {  // a memory lexer has one piece
    m_cur = m_end;
    m_ch = -1;
    return;
  }
  if (m_mode & kModeLines) CountLines(m_end);
  m_pieceBase += m_end - m_begin;
  int64_t n = m_stream->Read(m_buffer, kPieceSize);
  n = std::clamp<int64_t>(n, 0, kPieceSize);
  m_begin = m_cur = m_lineStart = m_buffer;
  m_end = m_buffer + n;
  m_ch = n > 0 ? *m_cur : -1;
}

void Lexer::CountLines(const uint8_t* to) {
  while (m_lineStart < to) {
    const void* lf = std::memchr(m_lineStart, '\n', size_t(to - m_lineStart));
    if (!lf) break;
    ++m_line;
    m_lineStart = static_cast<const uint8_t*>(lf) + 1;
  }
}

int32_t Lexer::GetLine() {
  if (!(m_mode & kModeLines)) return 0;
  CountLines(m_cur);
  return m_line;
}

int32_t Lexer::GetColumn() {
  if (!(m_mode & kModeLines)) return 0;
  GetLine();
  return int32_t(m_cur - m_lineStart + 1);
}

uint32_t Lexer::ReadRawU32() {
  uint8_t b[4] = {};
  ReadRawBytes(b, 4);
  return CompiledFormat::LoadWord(b);
}

size_t Lexer::ReadRawBytes(void* out, size_t n) {
  uint8_t* dst = static_cast<uint8_t*>(out);
  while (n > 0 && m_ch >= 0) {
    size_t k = std::min(n, size_t(m_end - m_cur));
    std::memcpy(dst, m_cur, k);
    dst += k;
    n -= k;
    m_cur += k - 1;  // Advance steps onto the next byte, refilling at the end of the piece
    Advance();
  }
  return n;
}

bool Lexer::ReadName() {
  int32_t n = 0;
  while (CharClassOf(m_ch) & (kClassLetter | kClassDigit)) {
    if (n >= kTextSize - 1) {
      SetError(kLexErrorRange);
      return false;
    }
    m_text[n++] = char(m_ch);
    Advance();
  }
  m_text[n] = 0;
  m_textLength = n;
  m_value.text = m_text;
  return true;
}

void Lexer::LexString() {
  const int quote = m_ch;
  Advance();
  int32_t n = 0;
  for (;;) {
    int c = m_ch;
    if (c == quote) {
      Advance();
      if (m_ch != '\\') break;
      // A backslash after the closing quote joins the next literal of the same quote across white space.
      Advance();
      while (CharClassOf(m_ch) & (kClassBlank | kClassLineEnd)) Advance();
      if (m_ch != quote) break;
      Advance();
      continue;
    }
    if (c < 32) return SetError(kLexErrorControl);  // raw control characters and the end of input
    Advance();
    if (c == '\\') {
      int e = m_ch;
      Advance();
      switch (e) {
        case '"':
        case '\'':
        case '\\':
          c = e;
          break;
        case 'b':
          c = 8;
          break;
        case 'f':
          c = 12;
          break;
        case 'n':
          c = 10;
          break;
        case 'r':
          c = 13;
          break;
        case 't':
          c = 9;
          break;
        case 'x': {
          int hi = HexDigit(m_ch);
          if (hi < 0) return SetError(kLexErrorSyntax);
          Advance();
          int lo = HexDigit(m_ch);
          if (lo < 0) return SetError(kLexErrorSyntax);
          Advance();
          c = hi * 16 + lo;
          break;
        }
        default:
          return SetError(kLexErrorSyntax);
      }
    }
    if (n >= kTextSize - 1) return SetError(kLexErrorRange);
    m_text[n++] = char(c);
  }
  m_text[n] = 0;
  m_textLength = n;
  m_value.text = m_text;
  m_kind = kTokString;
}

void Lexer::LexHexNumber(bool negative) {
  uint64_t v = 0;
  int32_t n = 0;
  for (int d; (d = HexDigit(m_ch)) >= 0;) {
    if ((v >> 60) != 0 || ++n >= kTextSize) return SetError(kLexErrorRange);
    v = v << 4 | uint64_t(d);
    Advance();
  }
  auto i32 = [&] {
    if (!negative && v <= 0x7FFFFFFFu) return void((m_kind = kTokI32, m_value.i32 = int32_t(v)));
    if (negative && v <= 0x80000000u) return void((m_kind = kTokI32, m_value.i32 = int32_t(0u - uint32_t(v))));
    SetError(kLexErrorRange);
  };
  auto i64 = [&] {
    if (!negative && v <= 0x7FFFFFFFFFFFFFFFull) return void((m_kind = kTokI64, m_value.i64 = int64_t(v)));
    if (negative && v <= 0x8000000000000000ull) return void((m_kind = kTokI64, m_value.i64 = int64_t(0 - v)));
    SetError(kLexErrorRange);
  };
  switch (m_ch) {
    case 'i':
      Advance();
      return i32();
    case 'I':
      Advance();
      return i64();
    case 'u':
      Advance();
      if (negative || v > 0xFFFFFFFFu) return SetError(kLexErrorRange);
      m_kind = kTokU32;
      m_value.u32 = uint32_t(v);
      return;
    case 'U':
      Advance();
      if (negative) return SetError(kLexErrorRange);
      m_kind = kTokU64;
      m_value.u64 = v;
      return;
    default:
      break;
  }
  if (negative) return v <= 0x80000000u ? i32() : i64();
  if (v < 0x80000000u) return i32();
  if (v <= 0xFFFFFFFFu) {
    m_kind = kTokU32;
    m_value.u32 = uint32_t(v);
  } else if (v < 0x8000000000000000ull) {
    m_kind = kTokI64;
    m_value.i64 = int64_t(v);
  } else {
    m_kind = kTokU64;
    m_value.u64 = v;
  }
}

namespace {

// Whether a decimal number text ("123.45e6", no sign) that a double cannot hold is too large for it,
// rather than too small: its first significant digit stands at a positive power of ten.
bool DecimalTextTooLarge(const char* t, int32_t n) {
  int32_t i = 0;
  int64_t magnitude = 0;
  while (i < n && t[i] == '0') ++i;
  while (i < n && t[i] >= '0' && t[i] <= '9') ++i, ++magnitude;
  if (magnitude == 0 && i < n && t[i] == '.') {
    for (++i; i < n && t[i] == '0'; ++i) --magnitude;
  }
  while (i < n && t[i] != 'e' && t[i] != 'E') ++i;
  int64_t exponent = 0;
  bool negativeExponent = false;
  if (i < n) {
    ++i;
    if (i < n && (t[i] == '+' || t[i] == '-')) negativeExponent = t[i++] == '-';
    for (; i < n && exponent < 1000000000; ++i) exponent = exponent * 10 + (t[i] - '0');
  }
  return magnitude + (negativeExponent ? -exponent : exponent) > 0;
}

}  // namespace

void Lexer::LexNumber(bool negative) {
  int32_t n = 0;
  auto store = [&](int c) {
    if (n >= kTextSize - 1) return false;
    m_text[n++] = char(c);
    Advance();
    return true;
  };
  uint64_t v = uint64_t(m_ch - '0');
  store(m_ch);
  if (m_ch == 'x') {
    Advance();
    return LexHexNumber(negative);
  }
  while (CharClassOf(m_ch) == kClassDigit) {
    v = v * 10 + uint64_t(m_ch - '0');
    if (!store(m_ch)) return SetError(kLexErrorRange);
  }
  bool isFloat = false;
  if (m_ch == '.') {
    isFloat = true;
    do {
      if (!store(m_ch)) return SetError(kLexErrorRange);
    } while (CharClassOf(m_ch) == kClassDigit);
  }
  if (m_ch == 'e' || m_ch == 'E') {
    isFloat = true;
    if (!store(m_ch)) return SetError(kLexErrorRange);
    if ((m_ch == '+' || m_ch == '-') && !store(m_ch)) return SetError(kLexErrorRange);
    if (CharClassOf(m_ch) != kClassDigit) return SetError(kLexErrorSyntax);
    while (CharClassOf(m_ch) == kClassDigit)
      if (!store(m_ch)) return SetError(kLexErrorRange);
  }
  if (isFloat || m_ch == 'f' || m_ch == 'F') {
    bool f64 = m_ch == 'F';
    if (m_ch == 'f' || m_ch == 'F') Advance();
    double d = 0;
    if (std::from_chars(m_text, m_text + n, d).ec == std::errc::result_out_of_range) {
      if (DecimalTextTooLarge(m_text, n)) return SetError(kLexErrorRange);
      d = 0;  // too small for a double: it reads as zero
    }
    if (!f64 && std::isinf(float(d))) return SetError(kLexErrorRange);
    if (negative) d = -d;
    if (f64) {
      m_kind = kTokF64;
      m_value.f64 = d;
    } else {
      m_kind = kTokF32;
      m_value.f32 = float(d);
    }
    return;
  }
  int suffix = m_ch;
  if (suffix == 'i' || suffix == 'I' || suffix == 'u' || suffix == 'U' || suffix == 'b') Advance();
  uint64_t s = negative ? 0 - v : v;
  switch (suffix) {
    case 'U':
      m_kind = kTokU64;
      m_value.u64 = s;
      return;
    case 'u':
      m_kind = kTokU32;
      m_value.u32 = uint32_t(s);
      return;
    case 'I':
      m_kind = kTokI64;
      m_value.i64 = int64_t(s);
      return;
    case 'i':
      m_kind = kTokI32;
      m_value.i32 = int32_t(uint32_t(s));
      return;
    default:
      break;
  }
  if (negative) {
    if (v <= 0x80000000u) {
      m_kind = kTokI32;
      m_value.i32 = int32_t(uint32_t(s));
    } else {
      m_kind = kTokI64;
      m_value.i64 = int64_t(s);
    }
  } else if (v >= 0x8000000000000000ull) {
    m_kind = kTokU64;
    m_value.u64 = v;
  } else if (v > 0xFFFFFFFFu) {
    m_kind = kTokI64;
    m_value.i64 = int64_t(v);
  } else if (v < 0x80000000u) {
    m_kind = kTokI32;
    m_value.i32 = int32_t(v);
  } else {
    m_kind = kTokU32;
    m_value.u32 = uint32_t(v);
  }
}

void Lexer::LexRawBlock() {
  // "#bs", then one blank or tab, or a line end; the text runs verbatim to "##" or the end of input.
  Advance();
  if (m_ch != 'b') return SetError(kLexErrorSyntax);
  Advance();
  if (m_ch != 's') return SetError(kLexErrorSyntax);
  Advance();
  if (CharClassOf(m_ch) == kClassBlank) {
    Advance();
  } else {
    if (m_ch == '\r') Advance();
    if (m_ch == '\n') Advance();
  }
  char* dst = m_tmp.empty() ? m_text : m_tmp.data();
  size_t cap = m_tmp.empty() ? size_t(kTextSize) : m_tmp.size();
  size_t n = 0;
  auto put = [&](char c) {
    if (n + 1 >= cap) {
      LogDebug("Lexer::Lex allocating Tmp(", uint64_t(n), ").");
      size_t grown = std::max(n + kTextSize + 1, cap * 2);  // doubling keeps long blocks linear
      bool first = m_tmp.empty();
      m_tmp.resize(grown);
      if (first) std::memcpy(m_tmp.data(), m_text, n);
      dst = m_tmp.data();
      cap = grown;
    }
    dst[n++] = c;
  };
  while (m_ch >= 0) {
    int c = m_ch;
    Advance();
    if (c == '#') {
      if (m_ch == '#') {
        Advance();
        break;
      }
    }
    put(char(c));
  }
  dst[n] = 0;
  m_textLength = int32_t(n);
  m_value.text = dst;
  m_kind = kTokString;
}

bool Lexer::LexPunctuation() {
  const int64_t at = Pos();
  const int c = m_ch;
  Advance();
  if ((c == '+' || c == '-') && (m_mode & kModeSigned) && at == m_tokenMark && CharClassOf(m_ch) == kClassDigit) {
    LexNumber(c == '-');
    return true;
  }
  int kind = kTokUnknownChar;
  auto pair = [&](int second, int both, int single) {
    if (m_ch != second) return single;
    Advance();
    return both;
  };
  switch (c) {
    case '!':
      kind = pair('=', kTokNotEqual, kTokNot);
      break;
    case '%':
      kind = kTokModulo;
      break;
    case '&':
      kind = pair('&', kTokAndAnd, kTokAnd);
      break;
    case '(':
      kind = kTokParenOpen;
      break;
    case ')':
      kind = kTokParenClose;
      break;
    case '*':
      kind = kTokMultiply;
      break;
    case '+':
      kind = pair('=', kTokPlusAssign, kTokPlus);
      break;
    case ',':
      kind = kTokComma;
      break;
    case '-':
      kind = pair('=', kTokMinusAssign, kTokMinus);
      break;
    case ';':
      kind = kTokSemicolon;
      break;
    case '<':
      kind = m_ch == '<' ? kTokShiftLeft : m_ch == '=' ? kTokLessEqual : kTokLess;
      if (kind != kTokLess) Advance();
      break;
    case '=':
      kind = pair('=', kTokEqual, kTokAssign);
      break;
    case '>':
      kind = m_ch == '>' ? kTokShiftRight : m_ch == '=' ? kTokGreaterEqual : kTokGreater;
      if (kind != kTokGreater) Advance();
      break;
    case '?':
      kind = kTokQuestion;
      break;
    case '@':
      kind = kTokAt;
      break;
    case '[':
      kind = kTokBracketOpen;
      break;
    case ']':
      kind = kTokBracketClose;
      break;
    case '^':
      kind = pair('^', kTokXorXor, kTokXor);
      break;
    case '{':
      kind = kTokBraceOpen;
      break;
    case '|':
      kind = pair('|', kTokOrOr, kTokOr);
      break;
    case '}':
      kind = kTokBraceClose;
      break;
    case '~':
      kind = kTokTilde;
      break;
    case '/':
      if (m_ch == '/' && (m_mode & kModeSlashComments)) {
        SkipToLineEnd();
        return false;
      }
      if (m_ch == '*' && (m_mode & kModeBlockComments)) {
        Advance();
        while (m_ch >= 0) {
          int d = m_ch;
          Advance();
          if (d == '*' && m_ch == '/') {
            Advance();
            break;
          }
        }
        return false;
      }
      kind = kTokDivide;
      break;
    default:
      break;
  }
  m_kind = kind;
  if (kind == kTokUnknownChar) {
    m_value.u32 = uint32_t(c);
    return true;
  }
  if (kind != kTokParenClose && kind != kTokBracketClose && kind != kTokBraceClose && kind != kTokQuestion &&
      kind != kTokAt)
    m_tokenMark = Pos();
  return true;
}

void Lexer::Lex() {
  for (;;) {
    switch (CharClassOf(m_ch)) {
      case kClassEnd:
        m_kind = kTokEnd;
        return;
      case kClassLineEnd:
        Advance();
        m_tokenMark = Pos();
        if (m_mode & kModeSkipLineEnds) continue;
        m_kind = kTokLineEnd;
        return;
      case kClassBlank:
        do Advance();
        while (CharClassOf(m_ch) == kClassBlank);
        m_tokenMark = Pos();
        if (m_mode & kModeSkipBlanks) continue;
        m_kind = kTokBlanks;
        return;
      case kClassDigit:
        return LexNumber(false);
      case kClassLetter:
        if (ReadName()) m_kind = m_ch == '(' ? kTokNameCall : kTokName;
        return;
      case kClassDoubleQuote:
      case kClassSingleQuote:
        return LexString();
      case kClassPeriod:
        Advance();
        if (CharClassOf(m_ch) != kClassLetter) {
          m_kind = kTokPeriod;
          return;
        }
        if (!ReadName()) return;
        if (m_ch == '(' || m_ch == '[') {
          m_kind = m_ch == '(' ? kTokAttributeCall : kTokAttributeIndex;
          m_tokenMark = Pos();
        } else {
          m_kind = kTokAttribute;
        }
        return;
      case kClassColon:
        Advance();
        if (CharClassOf(m_ch) == kClassLetter) {
          if (ReadName()) m_kind = m_ch == ':' ? kTokColonNameColon : kTokColonName;
        } else if (m_ch == '(') {
          Advance();
          m_kind = kTokColonParen;
        } else if (m_ch == ':') {
          m_text[0] = 0;
          m_textLength = 0;
          m_value.text = m_text;
          m_kind = kTokColonNameColon;
        } else {
          m_kind = kTokColon;
        }
        return;
      case kClassDollar: {
        Advance();
        uint32_t v = 0;
        for (int d; (d = HexDigit(m_ch)) >= 0; Advance()) v = v << 4 | uint32_t(d);
        m_kind = kTokDollar;
        m_value.u32 = v;
        return;
      }
      case kClassHash:
        if (m_mode & kModeHashComments) {
          SkipToLineEnd();
          continue;
        }
        return LexRawBlock();
      default:
        if (LexPunctuation()) return;
        continue;
    }
  }
}

void Lexer::SkipLine() {
  SkipToLineEnd();
  Lex();
}

uint32_t Lexer::ReadExpect(int32_t kind) {
  if (m_kind != kind) {
    ReportOrLog(m_owner, "ReadExpect: expected ", TokenKindName(kind), " but found ", TokenKindName(m_kind), ".");
    return kUnexpectedToken;
  }
  Lex();
  return 0;
}

uint32_t Lexer::Accept(int32_t kind) {
  if (m_kind != kind) return kUnexpectedToken;
  Lex();
  return 0;
}

uint32_t Lexer::SkipStatement() {
  for (;;) {
    Lex();
    if (m_kind == kTokSemicolon) return 0;
    if (m_kind == kTokError || m_kind == kTokEnd) return kUnexpectedToken;
  }
}

uint32_t Lexer::ParseValue(ValueVisitor& visitor) {
  Lex();
  return DeliverValue(visitor);
}

bool Lexer::DeliverLiteral(ValueVisitor& v, uint32_t& r) {
  auto arrayOf = [&](uint32_t classId) {
    r = v.FoundArray(classId == kClassString ? static_cast<void*>(m_strings.Data()) : m_elements, classId);
    Lex();
    return true;
  };
  switch (m_kind) {
    case kTokName: {
      bool t = std::strcmp(m_value.text, "True") == 0;
      if (!t && std::strcmp(m_value.text, "False") != 0) return false;
      Lex();
      r = v.FoundBool(t);
      return true;
    }
    case kTokString: {
      String s(m_value.text, m_textLength);
      Lex();
      r = v.FoundString(s);
      return true;
    }
    case kTokF32: {
      float x = m_value.f32;
      Lex();
      r = v.FoundF32(x);
      return true;
    }
    case kTokF64: {
      double x = m_value.f64;
      Lex();
      r = v.FoundF64(x);
      return true;
    }
    case kTokI32: {
      int32_t x = m_value.i32;
      Lex();
      r = v.FoundI32(x);
      return true;
    }
    case kTokI64: {
      int64_t x = m_value.i64;
      Lex();
      r = v.FoundI64(x);
      return true;
    }
    case kTokU32: {
      uint32_t x = m_value.u32;
      Lex();
      r = v.FoundU32(x);
      return true;
    }
    case kTokU64: {
      uint64_t x = m_value.u64;
      Lex();
      r = v.FoundU64(x);
      return true;
    }
    case kTokBool: {
      bool x = m_value.b;
      Lex();
      r = v.FoundBool(x);
      return true;
    }
    // Vectors too are delivered after the next token is read: a visitor looks at the token after its
    // value (an operator may follow).
    case kTokVector2f:
    case kTokVector3f:
    case kTokVector4f:
    case kTokMatrix4f:
    case kTokSpheref: {
      const int32_t kind = m_kind;
      float f[16];
      std::memcpy(f, m_value.f, sizeof f);
      Lex();
      if (kind == kTokVector2f)
        r = v.FoundVector2f(f);
      else if (kind == kTokVector3f)
        r = v.FoundVector3f(f);
      else if (kind == kTokVector4f)
        r = v.FoundVector4f(f);
      else if (kind == kTokMatrix4f)
        r = v.FoundMatrix4f(f);
      else
        r = v.FoundSpheref(f);
      return true;
    }
    case kTokArrayBool:
      return arrayOf(kClassBool);
    case kTokArrayString:
      return arrayOf(kClassString);
    case kTokArrayF32:
      return arrayOf(kClassF32);
    case kTokArrayF64:
      return arrayOf(kClassF64);
    case kTokArrayI32:
      return arrayOf(kClassI32);
    case kTokArrayI64:
      return arrayOf(kClassI64);
    case kTokArrayU32:
      return arrayOf(kClassU32);
    case kTokArrayU64:
      return arrayOf(kClassU64);
    case kTokArrayVector2f:
      return arrayOf(kClassVector2f);
    case kTokArrayVector3f:
      return arrayOf(kClassVector3f);
    case kTokArrayVector4f:
      return arrayOf(kClassVector4f);
    case kTokArrayMatrix4f:
      return arrayOf(kClassMatrix4f);
    case kTokArraySpheref:
      return arrayOf(kClassSpheref);
    default:
      return false;
  }
}

uint32_t Lexer::DeliverValue(ValueVisitor& v) {
  uint32_t r;
  return DeliverLiteral(v, r) ? r : ParseValueCB(*this, v);
}

}  // namespace PM
