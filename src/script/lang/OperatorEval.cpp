#include "script/lang/OperatorEval.h"

#include <atomic>
#include <climits>
#include <cmath>

#include "script/lang/Parser.h"
#include "script/lang/TokenKinds.h"

namespace PM::OperatorEval {

bool IsComparison(int32_t op) { return op >= kTokLessEqual && op <= kTokEqual; }

Status Logic(bool l, int32_t op, bool r, bool& out) {
  switch (op) {
    case kTokAnd:
      out = l & r;
      return Status::kOk;
    case kTokOr:
      out = l | r;
      return Status::kOk;
    case kTokXor:
    case kTokXorXor:
      out = l ^ r;
      return Status::kOk;
    case kTokAndAnd:
      out = l && r;
      return Status::kOk;
    case kTokOrOr:
      out = l || r;
      return Status::kOk;
    case kTokNotEqual:
      out = l != r;
      return Status::kOk;
    case kTokEqual:
      out = l == r;
      return Status::kOk;
    default:
      return Status::kNoOperator;
  }
}

namespace {

// Wrapping arithmetic is done on the unsigned bits; `>>` of a signed value fills with the sign.
template <class N>
Status IntegerOp(N l, int32_t op, N r, N& out) {
  using U = uint32_t;
  switch (op) {
    case kTokMinus:
      out = N(U(l) - U(r));
      return Status::kOk;
    case kTokPlus:
      out = N(U(l) + U(r));
      return Status::kOk;
    case kTokMultiply:
      out = N(U(l) * U(r));
      return Status::kOk;
    case kTokDivide:
    case kTokModulo:
      if (r == 0) return Status::kDivisionByZero;
      if constexpr (std::is_signed_v<N>) {
        if (l == INT32_MIN && r == -1) {
          // The quotient does not fit; the remainder is exactly 0.
          if (op == kTokDivide) return Status::kDivisionByZero;
          out = 0;
          return Status::kOk;
        }
      }
      out = op == kTokDivide ? N(l / r) : N(l % r);
      return Status::kOk;
    case kTokShiftLeft:
      out = N(U(l) << (U(r) & 31));
      return Status::kOk;
    case kTokShiftRight:
      out = N(l >> (U(r) & 31));
      return Status::kOk;
    case kTokAnd:
      out = l & r;
      return Status::kOk;
    case kTokOr:
      out = l | r;
      return Status::kOk;
    case kTokXor:
      out = l ^ r;
      return Status::kOk;
    default:
      return Status::kNoOperator;
  }
}

}  // namespace

Status Integer(int32_t l, int32_t op, int32_t r, int32_t& out) { return IntegerOp(l, op, r, out); }
Status Integer(uint32_t l, int32_t op, uint32_t r, uint32_t& out) { return IntegerOp(l, op, r, out); }

Status Float(float l, int32_t op, float r, float& out) {
  switch (op) {
    case kTokMinus:
      out = l - r;
      return Status::kOk;
    case kTokPlus:
      out = l + r;
      return Status::kOk;
    case kTokMultiply:
      out = l * r;
      return Status::kOk;
    case kTokDivide:
      out = l / r;
      return Status::kOk;
    case kTokModulo:
      out = float(std::fmod(double(l), double(r)));
      return Status::kOk;
    default:
      return Status::kNoOperator;
  }
}

Status Vector(const Vector3f& l, int32_t op, const Vector3f& r, Vector3f& out) {
  switch (op) {
    case kTokMinus:
      out.SetDifference(l, r);
      return Status::kOk;
    case kTokPlus:
      out.SetSum(l, r);
      return Status::kOk;
    case kTokMultiply:
      out.SetProduct(l, r);
      return Status::kOk;
    case kTokDivide:
      out.SetQuotient(l, r);
      return Status::kOk;
    case kTokXor:
      out.SetCross(l, r);
      return Status::kOk;
    default:
      return Status::kNoOperator;
  }
}

Status Scaled(const Vector3f& v, int32_t op, float s, bool scalarOnRight, Vector3f& out) {
  if (op == kTokDivide && scalarOnRight)
    s = 1.0f / s;  // one reciprocal, three products
  else if (op != kTokMultiply)
    return Status::kNoOperator;
  out = {v.x * s, v.y * s, v.z * s};
  return Status::kOk;
}

template <class N>
bool Compare(N l, int32_t op, N r) {
  switch (op) {
    case kTokLessEqual:
      return l <= r;
    case kTokGreaterEqual:
      return l >= r;
    case kTokLess:
      return l < r;
    case kTokGreater:
      return l > r;
    case kTokNotEqual:
      return l != r;
    default:
      return l == r;
  }
}
template bool Compare(int32_t, int32_t, int32_t);
template bool Compare(uint32_t, int32_t, uint32_t);
template bool Compare(float, int32_t, float);

bool Compare(const String& l, int32_t op, const String& r) {
  if (op == kTokEqual) return String::Equals(l, r);
  if (op == kTokNotEqual) return !String::Equals(l, r);
  return Compare(String::Compare(l, r), op, 0);
}

uint32_t ReportOperator(const Lexer& lexer, int32_t op, const char* leftType, const char* rightType) {
  ReportFor(lexer, "Eval: operator ", TokenText(op), "(", leftType, ",", rightType, ") is not supported.");
  return kParseUnsupported;
}

uint32_t ReportOperatorKind(const Lexer& lexer, int32_t op) {
  ReportFor(lexer, "Eval: operator 0x", Hex{uint32_t(op), 0}, " is not supported.");
  return kParseUnsupported;
}

namespace {
std::atomic<int64_t> g_stringLimit{0};
}  // namespace

int64_t ScriptStringLimit() {
  const int64_t l = g_stringLimit.load(std::memory_order_relaxed);
  return l > 0 ? l : kScriptStringLimit;
}

void SetStringLimitForTest(int64_t bytes) { g_stringLimit.store(bytes, std::memory_order_relaxed); }

bool ConcatFits(const Lexer& lexer, int64_t a, int64_t b) {
  const int64_t limit = ScriptStringLimit();
  if (a <= limit - b) return true;
  ReportFor(lexer, "Eval: a string of ", a + b, " bytes passes the limit of ", limit, " bytes for a value.");
  return false;
}

uint32_t ReportDivisionByZero(const Lexer& lexer) {
  ReportFor(lexer, "Eval: division by zero.");
  return kParseInvalidArgument;
}

}  // namespace PM::OperatorEval
