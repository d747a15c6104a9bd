// Constants of the compiled-script formats: the header, the running scramble state of the token stream
// (shared by BinaryLexer and the script compiler), and the key byte of plain token records.
#pragma once

#include <cstdint>

namespace PM::CompiledFormat {

// "BSB" and the format version, in front of both the scrambled token stream and plain token records.
constexpr uint8_t kHeader[4] = {0x42, 0x53, 0x42, 0x05};

// The running two-word state (A, B) of the scrambled token stream.
constexpr uint32_t kSeedA = 0x6D2B79F5u;
constexpr uint32_t kSeedB = 0x1B873593u;
constexpr uint32_t kK1 = 0xA3B195A1u;
constexpr uint32_t kK2 = 0x4F1BBCDCu;
constexpr uint32_t kK3 = 0x7F4A7C15u;  // shared by both step functions
constexpr uint32_t kK4 = 0xC2B2AE35u;
constexpr uint32_t kK5 = 0x27D4EB2Fu;
constexpr uint32_t kTextMultiplier = 0x85EBCA6Bu;  // M of the text key K = (n * M) XOR A

// The key-schedule constant of the TEA cipher; the plain records XOR texts with the low byte of n * delta.
constexpr uint32_t kTeaDelta = 0x9E3779B9u;

constexpr uint32_t StepA(uint32_t x) { return x + (((x << 4) + kK1) ^ ((x >> 5) + kK2) ^ (x + kK3)); }
constexpr uint32_t StepB(uint32_t y) { return y + (((y << 4) + kK4) ^ ((y >> 5) + kK5) ^ (y + kK3)); }

// The scramble state, advanced once per code byte.
struct ScrambleState {
  uint32_t a = kSeedA;
  uint32_t b = kSeedB;

  // Decodes one code byte into its kind and advances the state.
  int DecodeCode(uint8_t c) {
    int kind = uint8_t(c - b);
    a = StepA(a + uint32_t(kind));
    b = StepB(b);
    return kind;
  }
  // Encodes a kind into its code byte and advances the state.
  uint8_t EncodeCode(int kind) {
    uint8_t c = uint8_t(kind + int(b));
    a = StepA(a + uint32_t(kind));
    b = StepB(b);
    return c;
  }
  uint32_t TextKey(uint32_t n) const { return (n * kTextMultiplier) ^ a; }
  // Texts are stored as plain - key byte i; the key depends on the full length n, so a text cut short
  // by the end of input is still decoded with the key of its declared length.
  void UnscrambleText(uint8_t* bytes, uint32_t got, uint32_t n) const {
    uint32_t k = TextKey(n);
    for (uint32_t i = got; i-- > 0;) bytes[i] = uint8_t(bytes[i] + uint8_t(k >> (i % 8)));
  }
  void ScrambleText(uint8_t* bytes, uint32_t n) const {
    uint32_t k = TextKey(n);
    for (uint32_t i = n; i-- > 0;) bytes[i] = uint8_t(bytes[i] - uint8_t(k >> (i % 8)));
  }
};

// A little-endian 32-bit word of either format.
constexpr uint32_t LoadWord(const uint8_t* b) {
  return uint32_t(b[0]) | uint32_t(b[1]) << 8 | uint32_t(b[2]) << 16 | uint32_t(b[3]) << 24;
}

// The XOR key byte of a plain record's text of n bytes.
constexpr uint8_t PlainTextKey(uint32_t n) { return uint8_t(n * kTeaDelta); }

}  // namespace PM::CompiledFormat
