// PlainTokenReader: reads back the plain token records that ScriptStreamSimple writes (tag byte, payload),
// skipping the "BSB" header when the stream starts with it. The kind of a token is its tag.
#pragma once

#include <cstdint>

#include "core/Array.h"
#include "core/StreamPipe.h"
#include "script/lang/Lexer.h"

namespace PM {

class PlainTokenReader {
 public:
  static constexpr int kPieceSize = 8192;

  PlainTokenReader(StreamPipe* stream, uint32_t mode);
  PlainTokenReader(const PlainTokenReader&) = delete;
  PlainTokenReader& operator=(const PlainTokenReader&) = delete;
  virtual ~PlainTokenReader();

  /* 0 */ virtual void Lex();
  /* 1 */ virtual void Nothing() {}
  /* 2 */ virtual int32_t GetLine() { return 0; }

  int32_t Kind() const { return m_kind; }
  const TokenValue& Value() const { return m_value; }
  const char* Text() const { return m_text; }  // codes 9 and 160-162
  int32_t TextLength() const { return m_textLength; }
  const Array<uint32_t>& Elements() const { return m_elements; }  // code 78, 32-bit patterns as stored
  const Array<String>& Strings() const { return m_strings; }
  uint32_t Mode() const { return m_mode; }

 private:
  int ReadByte();
  size_t ReadBytes(void* out, size_t n);  // the count not read
  bool Fill();                            // reads the next piece; false at the end
  void ReadText(uint32_t n);

  StreamPipeRef m_stream;
  uint32_t m_mode;
  uint8_t* m_buffer;
  const uint8_t* m_cur;
  const uint8_t* m_end;
  int32_t m_kind = 0;
  TokenValue m_value{};
  int32_t m_textLength = 0;
  Array<uint32_t> m_elements;
  Array<String> m_strings;
  char m_text[kPieceSize];
};

}  // namespace PM
