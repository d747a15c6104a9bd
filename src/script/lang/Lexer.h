// Lexer: cuts script text (a memory range, or a stream read in 8192-byte pieces) into tokens with one
// character of look-ahead, counts lines and columns, and hands literal tokens to value visitors.
// BinaryLexer derives from it and reuses its reading machinery.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "core/Array.h"
#include "core/StreamPipe.h"
#include "core/String.h"
#include "script/lang/TokenKinds.h"

namespace PM {

class ErrorReport;
class ValueVisitor;

// The value area of a token; which member holds the value depends on the kind.
union TokenValue {
  const char* text;  // names and strings: NUL-terminated, owned by the lexer, valid until the next token
  int32_t i32;       // I32, and the error code of kind 0
  int64_t i64;
  uint32_t u32;  // U32, "$hex", class and member ids, the character of kind 254
  uint64_t u64;
  float f32;
  double f64;
  bool b;
  float f[16];  // vectors, Spheref, Matrix4f
  uint8_t bytes[64];
};

class Lexer {
 public:
  static constexpr int kPieceSize = 8192;
  static constexpr int kTextSize = 8192;  // names, strings and numbers hold at most 8191 characters

  enum ModeBits : uint32_t {
    kModeLines = 0x1,   // count lines and columns
    kModeSigned = 0x2,  // "+" / "-" right before a digit is a number's sign (after a sign-allowing token)
    kModeSkipBlanks = 0x4,
    kModeSkipLineEnds = 0x8,
    kModeSlashComments = 0x10,  // "//" to the end of the line
    kModeHashComments = 0x20,   // "#" to the end of the line
    kModeBlockComments = 0x40,  // "/*" to "*/"
  };
  static constexpr uint32_t kParserMode = 0x5E;  // the mode of the parser's entry points (add 0x1 for lines)

  // Reads the stream in pieces (takes a counted reference); the first piece and character are read now.
  Lexer(StreamPipe* stream, uint32_t mode);
  // Reads the bytes in place; they must outlive the lexer.
  Lexer(const void* bytes, size_t length, uint32_t mode);
  Lexer(const Lexer&) = delete;
  Lexer& operator=(const Lexer&) = delete;
  virtual ~Lexer();

  /* 0 */ virtual int32_t GetLine();    // 0 without kModeLines
  /* 1 */ virtual int32_t GetColumn();  // 1-based at the look-ahead, 0 without kModeLines
  /* 2 */ virtual void Lex();
  // Lexes the next token and delivers a literal to the visitor; other kinds go to ParseValueCB.
  /* 3 */ virtual uint32_t ParseValue(ValueVisitor& visitor);
  // A literal current token (True, False, a number, string, vector or array) goes to the visitor and the
  // lexer moves on: true, with the visitor's result in `result`. False for every other kind.
  bool DeliverLiteral(ValueVisitor& visitor, uint32_t& result);
  /* 4 */ virtual void SkipLine();  // to the next line end, then Lex

  // The current token must be `kind`: then Lex and 0; else a report and 0x8000000A.
  uint32_t ReadExpect(int32_t kind);
  // Lex and 0 when the current token is `kind`, else 0x8000000A silently.
  uint32_t Accept(int32_t kind);
  // Lexes to the next ";" (which stays current: 0), error token or end (0x8000000A).
  uint32_t SkipStatement();
  // SkipStatement unless a ";" is current already, so the ";" that ends the statement stays.
  void SkipToStatementEnd() {
    if (m_kind != kTokSemicolon) SkipStatement();
  }

  int32_t Kind() const { return m_kind; }
  const TokenValue& Value() const { return m_value; }
  const char* Text() const { return m_value.text; }  // names and strings only
  int32_t TextLength() const { return m_textLength; }
  // The array of the current array token (binary scripts): a counted array block payload.
  void* Elements() const { return m_elements; }
  const Array<String>& Strings() const { return m_strings; }

  ErrorReport* Owner() const { return m_owner; }
  void SetOwner(ErrorReport* owner) { m_owner = owner; }

  uint32_t Mode() const { return m_mode; }
  int GetSignedNumbers() const { return int((m_mode >> 1) & 1); }
  int GetSkipBlanks() const { return int((m_mode >> 2) & 1); }
  int GetSkipLineEnds() const { return int((m_mode >> 3) & 1); }
  int GetSlashComments() const { return int((m_mode >> 4) & 1); }
  int GetHashComments() const { return int((m_mode >> 5) & 1); }
  int GetBlockComments() const { return int((m_mode >> 6) & 1); }
  void SetSignedNumbers(bool on) { SetModeBit(kModeSigned, on); }
  void SetSkipBlanks(bool on) { SetModeBit(kModeSkipBlanks, on); }
  void SetSkipLineEnds(bool on) { SetModeBit(kModeSkipLineEnds, on); }
  void SetSlashComments(bool on) { SetModeBit(kModeSlashComments, on); }
  void SetHashComments(bool on) { SetModeBit(kModeHashComments, on); }
  void SetBlockComments(bool on) { SetModeBit(kModeBlockComments, on); }

 protected:
  // Raw readers of the binary lexers; the look-ahead character is the next unread byte.
  int ReadRawByte() {
    int c = m_ch;
    Advance();
    return c;
  }
  uint32_t ReadRawU32();
  size_t ReadRawBytes(void* out, size_t n);  // the count not read (0 when all were read)

  // Hands the current literal token to the visitor (then lexes on), or calls ParseValueCB.
  uint32_t DeliverValue(ValueVisitor& visitor);
  void SetError(int32_t code) {
    m_kind = kTokError;
    m_value.i32 = code;
  }
  void SetModeBit(uint32_t bit, bool on) { m_mode = on ? (m_mode | bit) : (m_mode & ~bit); }
  // Replaces the element array with a new counted block (or NullArray).
  void SetElements(void* block);

  void Advance() {
    if (m_ch < 0) return;
    if (++m_cur < m_end) {
      m_ch = *m_cur;
      return;
    }
    Refill();
  }

  int32_t m_kind = 0;
  TokenValue m_value{};
  int32_t m_textLength = 0;
  ErrorReport* m_owner = nullptr;
  uint32_t m_mode;
  int32_t m_line = 1;
  void* m_elements;
  Array<String> m_strings;
  char m_text[kTextSize];

 private:
  void Refill();
  void CountLines(const uint8_t* to);
  int64_t Pos() const { return m_pieceBase + (m_cur - m_begin); }
  void SkipToLineEnd() {
    while (!(CharClassOf(m_ch) & (kClassLineEnd | kClassEnd))) Advance();
  }
  bool ReadName();
  void LexString();
  void LexNumber(bool negative);
  void LexHexNumber(bool negative);
  void LexRawBlock();
  bool LexPunctuation();  // false when a comment was skipped

  StreamPipeRef m_stream;
  uint8_t* m_buffer = nullptr;  // stream lexers only
  int m_ch = -1;
  const uint8_t* m_begin = nullptr;  // start of the current piece
  const uint8_t* m_cur = nullptr;
  const uint8_t* m_end = nullptr;
  const uint8_t* m_lineStart = nullptr;
  int64_t m_pieceBase = 0;   // input offset of the current piece
  int64_t m_tokenMark = -1;  // input offset where a sign may start a number; unset at the start
  std::vector<char> m_tmp;   // long raw blocks
};

// The value parser that takes over kinds without a literal (names, references, operators); the parser
// installs it. Until one is installed, such a value is reported as an error and 0x80000001 returned.
using ParseValueFn = uint32_t (*)(Lexer& lexer, ValueVisitor& visitor);
void SetParseValueCB(ParseValueFn fn);
uint32_t ParseValueCB(Lexer& lexer, ValueVisitor& visitor);

}  // namespace PM
