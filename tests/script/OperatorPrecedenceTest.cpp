#include <optional>

#include "OperatorTestSupport.h"

// Every pair of binary operators in "a op1 b op2 c". The expected result comes from a small typed
// model that groups by the precedence table (lower binds tighter; equal groups from the left):
// * / % 4, + - 5, << >> 6, < > <= >= 7, == != 8, & 9, ^ 10, | 11, && 12, ^^ 13, || 14.
// Operands are I32 (13, 6, 3) or Bool (True, False, False) by position; each pair uses the first
// choice of types that type-checks, or else one whose outer operation gets mixed operand types,
// which must fail naming that pair.
namespace PM::Test {
namespace {

enum Kind { kArith, kBits, kLogic, kOrder, kEqual };
struct Op {
  const char* text;
  int level;
  Kind kind;
};
const Op kOps[] = {{"-", 5, kArith},   {"+", 5, kArith},   {"/", 4, kArith},   {"*", 4, kArith},  {"%", 4, kArith},
                   {"<<", 6, kArith},  {">>", 6, kArith},  {"&", 9, kBits},    {"|", 11, kBits},  {"^", 10, kBits},
                   {"&&", 12, kLogic}, {"||", 14, kLogic}, {"^^", 13, kLogic}, {"<=", 7, kOrder}, {">=", 7, kOrder},
                   {"<", 7, kOrder},   {">", 7, kOrder},   {"!=", 8, kEqual},  {"==", 8, kEqual}};

struct Val {
  bool isBool;
  int32_t n;
};

// The result of `l op r`, or nothing when the model does not type-check it.
std::optional<Val> Apply(const Op& op, Val l, Val r) {
  const std::string t = op.text;
  const bool ints = !l.isBool && !r.isBool, bools = l.isBool && r.isBool;
  switch (op.kind) {
    case kArith:
      if (!ints) return std::nullopt;
      if (t == "-") return Val{false, l.n - r.n};
      if (t == "+") return Val{false, l.n + r.n};
      if (t == "/") return Val{false, l.n / r.n};
      if (t == "*") return Val{false, l.n * r.n};
      if (t == "%") return Val{false, l.n % r.n};
      if (t == "<<") return Val{false, l.n << r.n};
      return Val{false, l.n >> r.n};
    case kBits:
      if (!ints && !bools) return std::nullopt;
      if (t == "&") return Val{l.isBool, l.n & r.n};
      if (t == "|") return Val{l.isBool, l.n | r.n};
      return Val{l.isBool, l.n ^ r.n};
    case kLogic:
      if (!bools) return std::nullopt;
      if (t == "&&") return Val{true, l.n && r.n};
      if (t == "||") return Val{true, l.n || r.n};
      return Val{true, l.n != r.n};
    case kOrder:
      if (!ints) return std::nullopt;
      if (t == "<=") return Val{true, l.n <= r.n};
      if (t == ">=") return Val{true, l.n >= r.n};
      if (t == "<") return Val{true, l.n < r.n};
      return Val{true, l.n > r.n};
    case kEqual:
      if (!ints && !bools) return std::nullopt;
      return Val{true, (t == "==") == (l.n == r.n)};
  }
  return std::nullopt;
}

std::string Text(Val v, int pos) {
  static const char* kInts[] = {"13", "6", "3"};
  static const char* kBools[] = {"True", "False", "False"};
  return v.isBool ? kBools[pos] : kInts[pos];
}

struct Case {
  std::string text;
  std::optional<Val> value;
  std::string error;
};

// The case for one pair: operand types tried in a fixed order, a clean one preferred.
Case MakeCase(const Op& op1, const Op& op2) {
  const int32_t ints[] = {13, 6, 3}, bools[] = {1, 0, 0};
  std::optional<Case> failing;
  for (unsigned types : {0u, 7u, 1u, 4u, 6u, 3u, 2u, 5u}) {
    Val v[3];
    for (int i = 0; i < 3; ++i) {
      const bool b = (types >> i) & 1;
      v[i] = Val{b, b ? bools[i] : ints[i]};
    }
    Case c;
    c.text = Text(v[0], 0) + " " + op1.text + " " + Text(v[1], 1) + " " + op2.text + " " + Text(v[2], 2);
    const bool leftFirst = op1.level <= op2.level;
    const Op& outer = leftFirst ? op2 : op1;
    std::optional<Val> in = leftFirst ? Apply(op1, v[0], v[1]) : Apply(op2, v[1], v[2]);
    if (!in) continue;
    Val l = leftFirst ? *in : v[0], r = leftFirst ? v[2] : *in;
    c.value = Apply(outer, l, r);
    if (c.value) return c;
    if (l.isBool != r.isBool && !failing) {
      c.error = std::string("Eval: operator ") + outer.text + "(" + (l.isBool ? "Bool" : "I32") + "," +
                (r.isBool ? "Bool" : "I32") + ") is not supported.\n";
      failing = c;
    }
  }
  EXPECT_TRUE(failing.has_value()) << op1.text << " " << op2.text;
  return failing.value_or(Case{});
}

}  // namespace

TEST_F(OperatorTest, EveryPairOfBinaryOperatorsGroupsByPrecedence) {
  static_assert(std::size(kOps) == 19);
  for (const Op& op1 : kOps) {
    for (const Op& op2 : kOps) {
      const Case c = MakeCase(op1, op2);
      Evaluated e = Eval(c.text.c_str());
      std::string messages = TakeMessages();
      if (!c.value) {
        EXPECT_EQ(e.code, kParseUnsupported) << c.text;
        EXPECT_EQ(e.type, "") << c.text;
        EXPECT_EQ(messages, c.error) << c.text;
      } else {
        EXPECT_EQ(e.code, 0u) << c.text;
        EXPECT_EQ(e.type, c.value->isBool ? "Bool" : "I32") << c.text;
        EXPECT_EQ(e.number, double(c.value->n)) << c.text;
        EXPECT_TRUE(e.toEnd) << c.text;
        EXPECT_EQ(messages, "") << c.text;
      }
    }
  }
}

}  // namespace PM::Test
