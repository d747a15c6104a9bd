// Token kinds shared by the lexers, the parser, the operator evaluation and the writers, and the three
// process-wide tables they consult: character classes, binary-operator precedence and token texts.
#pragma once

#include <cstdint>

#include "core/String.h"

namespace PM {

// The kinds with their codes, as messages name them ("LT_0x13"); tools/classdoc writes docs/token-kinds.md
// from these lines, their comments and the operator texts (classdoc --tokens).
enum TokenKind : int32_t {
  kTokError = 0,         // a text the lexer could not read (its value: a LexError code)
  kTokPeriod = 16,       // "."
  kTokColon = 17,        // ":"
  kTokComma = 18,        // ","
  kTokSemicolon = 19,    // ";"
  kTokQuestion = 20,     // "?"
  kTokBlanks = 27,       // spaces and tabs
  kTokLineEnd = 28,      // a line end
  kTokAssign = 32,       // "="
  kTokMinusAssign = 33,  // "-="
  kTokPlusAssign = 34,   // "+="
  kTokMinus = 49,
  kTokPlus = 50,
  kTokDivide = 51,
  kTokMultiply = 52,
  kTokModulo = 53,
  kTokShiftLeft = 54,
  kTokShiftRight = 55,
  kTokTilde = 56,
  kTokAnd = 57,
  kTokOr = 58,
  kTokXor = 59,
  kTokNot = 60,
  kTokAndAnd = 61,
  kTokOrOr = 62,
  kTokXorXor = 63,
  kTokLessEqual = 64,
  kTokGreaterEqual = 65,
  kTokLess = 66,
  kTokGreater = 67,
  kTokNotEqual = 68,
  kTokEqual = 69,
  kTokBracketOpen = 80,
  kTokBracketClose = 81,
  kTokParenOpen = 82,
  kTokParenClose = 83,
  kTokBraceOpen = 84,
  kTokBraceClose = 85,
  kTokBracketOpenAlt = 86,  // made by no lexer
  kTokParenOpenAlt = 87,
  kTokBraceOpenAlt = 88,
  kTokColonParen = 89,       // ":(" with the "(" consumed
  kTokName = 96,             // a name
  kTokAttribute = 97,        // ".name"
  kTokColonName = 98,        // ":name"
  kTokDollar = 99,           // "$hex", value u32
  kTokAt = 100,              // "@"
  kTokAttributeCall = 101,   // ".name(" with the "(" left
  kTokAttributeIndex = 102,  // ".name[" with the "[" left
  kTokNameCall = 103,        // "name(" with the "(" left
  kTokClassId = 104,         // a class id (compiled scripts)
  kTokMemberId = 105,        // a member id (compiled scripts)
  kTokEnumId = 106,          // an enum value id (compiled scripts)
  kTokColonNameColon = 107,  // ":name:" or "::", the second colon left
  kTokArraySpheref = 162,    // an array of Spheref values
  kTokArrayVector2f = 176,   // an array of Vector2f values
  kTokArrayVector3f = 178,   // an array of Vector3f values
  kTokArrayVector4f = 180,   // an array of Vector4f values
  kTokArrayMatrix4f = 182,   // an array of Matrix4f values
  kTokSpheref = 194,         // a sphere
  kTokArrayBool = 200,       // an array of Bool values
  kTokArrayString = 201,     // an array of strings
  kTokArrayF32 = 202,        // an array of F32 values
  kTokArrayF64 = 203,        // an array of F64 values
  kTokArrayI32 = 204,        // an array of I32 values
  kTokArrayI64 = 205,        // an array of I64 values
  kTokArrayU32 = 206,        // an array of U32 values
  kTokArrayU64 = 207,        // an array of U64 values
  kTokVector2f = 208,        // a 2-vector
  kTokVector3f = 210,        // a 3-vector
  kTokVector4f = 212,        // a 4-vector
  kTokMatrix4f = 214,        // a 4 x 4 matrix
  kTokBool = 232,            // True or False
  kTokString = 233,          // a string
  kTokF32 = 234,             // a 32-bit float
  kTokF64 = 235,             // a 64-bit float
  kTokI32 = 236,             // a 32-bit integer
  kTokI64 = 237,             // a 64-bit integer
  kTokU32 = 238,             // an unsigned 32-bit integer
  kTokU64 = 239,             // an unsigned 64-bit integer
  kTokUnknownChar = 254,     // value: the character
  kTokEnd = 255,             // the end of the script
};

// Values of an error token (kind 0).
enum LexError : int32_t {
  kLexErrorSyntax = 1,   // invalid escape, character or number syntax
  kLexErrorRange = 2,    // token too long, number out of range, payload cut short
  kLexErrorControl = 3,  // control character in a string, unknown code in a compiled script
};

// Character class masks; every character has at most one bit and the text lexer dispatches on the mask.
enum CharClass : uint32_t {
  kClassEnd = 0x2,
  kClassLineEnd = 0x4,
  kClassBlank = 0x8,
  kClassDigit = 0x10,
  kClassLetter = 0x20,
  kClassDoubleQuote = 0x40,
  kClassPeriod = 0x80,
  kClassColon = 0x100,
  kClassDollar = 0x200,
  kClassHash = 0x400,
  kClassSingleQuote = 0x800,
};

constexpr int kNoPrecedence = 255;

// Fills the tables once per process; every lexer constructor calls it.
void InitLexerTables();

// Table reads, valid after InitLexerTables. `c` is a character code 0-255 or -1 for the end of input.
namespace LexerTables {
extern uint32_t g_charClass[257];     // indexed by c + 1
extern int32_t g_precedence[257];     // indexed by kind + 1
extern const char* g_tokenText[257];  // indexed by kind + 1
}  // namespace LexerTables

inline uint32_t CharClassOf(int c) { return LexerTables::g_charClass[c + 1]; }
// Lower binds tighter; 255 for kinds that are no binary operator (and kinds outside -1..255).
int32_t TokenPrecedence(int32_t kind);
// The operator text of a kind, "???" for kinds without one.
const char* TokenText(int32_t kind);
// "LT_0x" and the kind in upper-case hexadecimal without leading zeros, as messages name a kind.
String TokenKindName(int32_t kind);

}  // namespace PM
