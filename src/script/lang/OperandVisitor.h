// Operand visitors: the links of an operator chain. Each holds a left operand and the pending operator,
// receives the right operand from the lexer and either combines the two or, when the operator after
// the right operand binds tighter, hands the right operand to a nested chain first. Chains evaluate
// while the script is read; every link is a stack object of the call that starts it. A link that goes
// on with a result of its own type does not read the next operand from inside the current one: it
// keeps the result and returns, and Run reads the next operand, so a flat chain of any length takes
// constant stack (nested links are bounded by the precedence levels and the few type changes).
#pragma once

#include <type_traits>

#include "script/lang/Lexer.h"
#include "script/lang/OperatorEval.h"
#include "script/lang/Parser.h"
#include "script/lang/TokenKinds.h"
#include "script/lang/TypedVisitor.h"
#include "script/lang/VisitorSlot.h"

namespace PM::Visitor {

// The left-operand types that have an operand visitor (and so can start a chain).
template <class T>
constexpr bool kStartsChain =
    std::is_same_v<T, VBool> || std::is_same_v<T, VI32> || std::is_same_v<T, VU32> || std::is_same_v<T, VF32> ||
    std::is_same_v<T, VVector3f> || std::is_same_v<T, VString> || std::is_same_v<T, VNameHash>;

// The floor of a chain started at the top level: it accepts every following binary operator.
constexpr int32_t kTopLevelFloor = kTokBlanks;

template <class L>
class Operand : public TypedVisitor<Operand<L>> {
  static_assert(kStartsChain<L>);

 public:
  using Left = typename L::Value;
  static constexpr const char* kTypeName = L::kName;

  // The lexer comes from the outer visitor, which receives the chain's value.
  Operand(ValueVisitor& outer, const Left& left, int32_t op, int32_t floor)
      : TypedVisitor<Operand<L>>(outer.GetLexer()), m_outer(outer), m_op(op), m_floor(floor), m_left(left) {}

  template <class R>
  uint32_t Take(const typename R::Value& r);
  uint32_t FoundObject(ScriptObject*) override { return kParseUnsupported; }
  uint32_t FoundArray(void*, uint32_t) override { return kParseUnsupported; }
  // Reads right operands until the chain has delivered its value (or failed).
  uint32_t Run() {
    uint32_t r;
    do {
      m_again = false;
      r = this->m_lexer->ParseValue(*this);
    } while (r == 0 && m_again);
    return r;
  }

 private:
  template <class R>
  static constexpr bool kHasPair = std::is_same_v<L, R> || (std::is_same_v<L, VI32> && std::is_same_v<R, VF32>) ||
                                   (std::is_same_v<L, VF32> && std::is_same_v<R, VI32>) ||
                                   (std::is_same_v<L, VVector3f> && std::is_same_v<R, VF32>) ||
                                   (std::is_same_v<L, VF32> && std::is_same_v<R, VVector3f>);
  template <class R>
  uint32_t Evaluate(const typename R::Value& r);
  // The right operand becomes the left one of a chain whose value returns here.
  template <class R>
  uint32_t SubChain(const typename R::Value& r, int32_t n) {
    Operand<R> sub(*this, r, n, n);
    return sub.Run();
  }
  // Goes on with the result or delivers it; `restart` forces a new link even for the visitor's own type.
  template <class T>
  uint32_t Continue(const typename T::Value& result, bool restart = false);
  template <class T, class N>
  uint32_t Arithmetic(OperatorEval::Status s, const N& out, const char* pair);
  uint32_t Unsupported(const char* pair);

  ValueVisitor& m_outer;
  int32_t m_op;
  int32_t m_floor;
  Left m_left;
  bool m_again = false;  // the next right operand is due (Run reads it)
};

using BoolOperand = Operand<VBool>;
using I32Operand = Operand<VI32>;
using U32Operand = Operand<VU32>;
using F32Operand = Operand<VF32>;
using Vector3fOperand = Operand<VVector3f>;
using StringOperand = Operand<VString>;
using NameHashOperand = Operand<VNameHash>;

// Starts a chain with `left` and the operator at the lexer's current token; the chain's value goes to
// `outer`. For the types of kStartsChain only.
template <class T>
uint32_t StartChain(ValueVisitor& outer, const typename T::Value& left, int32_t floor = kTopLevelFloor) {
  Operand<T> chain(outer, left, outer.GetLexer()->Kind(), floor);
  return chain.Run();
}

template <class L>
template <class R>
uint32_t Operand<L>::Take(const typename R::Value& r) {
  const int32_t n = this->m_lexer->Kind();
  const bool nextBindsTighter = TokenPrecedence(m_op) > TokenPrecedence(n);
  if constexpr (kHasPair<R>) {
    if (nextBindsTighter) return SubChain<R>(r, n);
    return Evaluate<R>(r);
  } else if constexpr (std::is_same_v<R, VBool> || std::is_same_v<R, VI32> || std::is_same_v<R, VU32> ||
                       std::is_same_v<R, VF32> || std::is_same_v<R, VString>) {
    // The right operand may still pair with what follows it, e.g. 1 + 2 < 3.
    if (nextBindsTighter) return SubChain<R>(r, n);
    return OperatorEval::ReportOperator(*this->m_lexer, m_op, L::kName, R::kName);
  } else if constexpr (std::is_same_v<R, VEnum> || std::is_same_v<R, VMemberID>) {
    return kParseUnsupported;
  } else {
    return OperatorEval::ReportOperator(*this->m_lexer, m_op, L::kName, R::kName);
  }
}

template <class L>
template <class R>
uint32_t Operand<L>::Evaluate(const typename R::Value& r) {
  namespace E = OperatorEval;
  if constexpr (std::is_same_v<L, VBool>) {
    bool out = false;
    if (E::Logic(m_left, m_op, r, out) != E::Status::kOk) return Unsupported("(Bool,Bool)");
    return Continue<VBool>(out);
  } else if constexpr ((std::is_same_v<L, VI32> || std::is_same_v<L, VU32>)&&std::is_same_v<L, R>) {
    if (E::IsComparison(m_op)) return Continue<VBool>(E::Compare(m_left, m_op, r));
    Left out{};
    return Arithmetic<L>(E::Integer(m_left, m_op, r, out), out, std::is_same_v<L, VI32> ? "(I32,I32)" : "(U32,U32)");
  } else if constexpr (std::is_same_v<L, VF32> || std::is_same_v<L, VI32>) {
    if constexpr (std::is_same_v<R, VVector3f>) {
      Vector3f out{};
      return Arithmetic<VVector3f>(E::Scaled(r, m_op, m_left, false, out), out, "(F32,Vector3f)");
    } else {
      // F32 with F32, or an I32 on either side converted to float.
      const float a = float(m_left), b = float(r);
      if (E::IsComparison(m_op)) return Continue<VBool>(E::Compare(a, m_op, b));
      float out = 0;
      return Arithmetic<VF32>(E::Float(a, m_op, b, out), out, std::is_same_v<L, R> ? "(F32,F32)" : nullptr);
    }
  } else if constexpr (std::is_same_v<L, VVector3f>) {
    Vector3f out{};
    if constexpr (std::is_same_v<R, VF32>) {
      return Arithmetic<VVector3f>(E::Scaled(m_left, m_op, r, true, out), out, "(Vector3f,F32)");
    } else {
      if (m_op == kTokEqual) return Continue<VBool>(m_left == r, true);
      if (m_op == kTokNotEqual) return Continue<VBool>(m_left != r, true);
      if (E::Vector(m_left, m_op, r, out) != E::Status::kOk) return Unsupported("(Vector3f,Vector3f)");
      return Continue<VVector3f>(out, true);
    }
  } else if constexpr (std::is_same_v<L, VString>) {
    if (E::IsComparison(m_op)) return Continue<VBool>(E::Compare(m_left, m_op, r));
    if (m_op != kTokPlus) return Unsupported(nullptr);
    if (!E::ConcatFits(*this->m_lexer, m_left.Length(), r.Length())) return kParseInvalidArgument;
    return Continue<VString>(String::FromConcat(m_left, r));
  } else {
    if (m_op != kTokPlus) return Unsupported(nullptr);
    NameHash merged;
    merged.AssignMerged(m_left, r);
    return Continue<VNameHash>(merged);
  }
}

template <class L>
template <class T, class N>
uint32_t Operand<L>::Arithmetic(OperatorEval::Status s, const N& out, const char* pair) {
  if (s == OperatorEval::Status::kDivisionByZero) return OperatorEval::ReportDivisionByZero(*this->m_lexer);
  if (s != OperatorEval::Status::kOk) return Unsupported(pair);
  return Continue<T>(out);
}

// Pairs named in the message, or (null) the operator by its kind number.
template <class L>
uint32_t Operand<L>::Unsupported(const char* pair) {
  if (!pair) return OperatorEval::ReportOperatorKind(*this->m_lexer, m_op);
  ReportFor(*this->m_lexer, "Eval: operator ", TokenText(m_op), pair, " is not supported.");
  return kParseUnsupported;
}

template <class L>
template <class T>
uint32_t Operand<L>::Continue(const typename T::Value& result, bool restart) {
  const int32_t n = this->m_lexer->Kind();
  const int32_t p = TokenPrecedence(n);
  const bool goesOn = m_floor == kTopLevelFloor ? p != kNoPrecedence : p == TokenPrecedence(m_floor);
  if (!goesOn) return CallSlot<T>(m_outer, result);
  if constexpr (std::is_same_v<T, L>) {
    // A new link of the same type and outer would only stand in for this one: this one goes on,
    // with the new link's floor when it was asked for one.
    m_left = result;
    m_op = n;
    if (restart) m_floor = n;
    m_again = true;
    return 0;
  }
  // A result of another type starts a new link whose floor is the operator that follows.
  Operand<T> next(m_outer, result, n, n);
  return next.Run();
}

}  // namespace PM::Visitor
