// OperatorEval: what the binary operators compute for each supported pair of operand types, and the
// messages for the combinations the language does not support. The operand visitors call these.
#pragma once

#include <cstdint>

#include "core/String.h"
#include "core/Vector3f.h"

namespace PM {

class Lexer;

namespace OperatorEval {

enum class Status {
  kOk,
  kNoOperator,      // the operator is not in the pair's set
  kDivisionByZero,  // integer division or remainder by zero, or the smallest I32 divided by -1
};

// <=, >=, <, >, != and ==.
bool IsComparison(int32_t op);

// Bool pairs: & | ^ ^^ && || and the equality operators.
Status Logic(bool l, int32_t op, bool r, bool& out);
// Integer pairs: - + * / % << >> & | ^ with wrapping arithmetic; shifts count modulo 32.
Status Integer(int32_t l, int32_t op, int32_t r, int32_t& out);
Status Integer(uint32_t l, int32_t op, uint32_t r, uint32_t& out);
// Float pairs: - + * / %, IEEE single precision; % is fmod.
Status Float(float l, int32_t op, float r, float& out);
// Vector3f pairs: - + * / component-wise and ^ the cross product.
Status Vector(const Vector3f& l, int32_t op, const Vector3f& r, Vector3f& out);
// Vector3f with a scalar on either side: * and, with the scalar on the right, /.
Status Scaled(const Vector3f& v, int32_t op, float s, bool scalarOnRight, Vector3f& out);

// `op` must be a comparison. Floats follow IEEE: with a NaN only != is true.
template <class N>
bool Compare(N l, int32_t op, N r);
bool Compare(const String& l, int32_t op, const String& r);  // case-sensitive, unsigned byte order

// Each writes its message through the lexer's report and returns the chain's failure code.
// "Eval: operator +(Bool,I32) is not supported."
uint32_t ReportOperator(const Lexer& lexer, int32_t op, const char* leftType, const char* rightType);
// "Eval: operator 0x31 is not supported."
uint32_t ReportOperatorKind(const Lexer& lexer, int32_t op);
// "Eval: division by zero."
uint32_t ReportDivisionByZero(const Lexer& lexer);

// The longest string value a script makes (docs/script-language.md): joining two strings past it is
// refused before anything is allocated, so a doubling loop ends in one statement's error, not in
// gigabytes. Tests lower it through SetStringLimitForTest (0 puts the documented limit back).
constexpr int64_t kScriptStringLimit = int64_t(1) << 30;
int64_t ScriptStringLimit();
void SetStringLimitForTest(int64_t bytes);
// Whether `a` + `b` characters fit the limit; reports "Eval: a string of N bytes passes the limit of L bytes for a
// value." if not.
bool ConcatFits(const Lexer& lexer, int64_t a, int64_t b);

}  // namespace OperatorEval
}  // namespace PM
