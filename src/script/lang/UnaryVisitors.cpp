#include "script/lang/UnaryVisitors.h"

#include "script/lang/VisitorSlot.h"

namespace PM::Visitor {

namespace {

constexpr uint32_t kInvalidArgument = 0x80000003u;

template <class T>
constexpr bool kIsVector = std::is_same_v<T, VVector2f> || std::is_same_v<T, VVector3f> || std::is_same_v<T, VVector4f>;
template <class T>
constexpr bool kIsInteger =
    std::is_same_v<T, VI32> || std::is_same_v<T, VI64> || std::is_same_v<T, VU32> || std::is_same_v<T, VU64>;

}  // namespace

template <UnaryOp Op>
template <class T>
uint32_t Unary<Op>::Take(const typename T::Value& v) {
  using V = typename T::Value;
  if constexpr (Op == UnaryOp::Not) {
    if constexpr (std::is_same_v<T, VBool>)
      return CallSlot<T>(m_outer, !v);
    else
      return kInvalidArgument;
  } else if constexpr (Op == UnaryOp::Minus) {
    if constexpr (std::is_same_v<T, VI32> || std::is_same_v<T, VI64>) {
      using U = std::make_unsigned_t<V>;
      return CallSlot<T>(m_outer, V(U(0) - U(v)));  // wraps for the most negative value
    } else if constexpr (std::is_same_v<T, VF32> || std::is_same_v<T, VF64>) {
      return CallSlot<T>(m_outer, -v);
    } else if constexpr (kIsVector<T>) {
      V r = v;
      float* f = &r.x;
      for (size_t i = 0; i < sizeof(V) / sizeof(float); ++i) f[i] = -f[i];
      return CallSlot<T>(m_outer, r);
    } else {
      return kInvalidArgument;
    }
  } else if constexpr (Op == UnaryOp::Plus) {
    if constexpr (kIsInteger<T> || std::is_same_v<T, VF32> || std::is_same_v<T, VF64> || kIsVector<T>)
      return CallSlot<T>(m_outer, v);
    else
      return kInvalidArgument;
  } else {
    if constexpr (kIsInteger<T>) {
      return CallSlot<T>(m_outer, V(~v));
    } else if constexpr (std::is_same_v<T, VMatrix4f>) {
      // A singular matrix has no inverse: it is passed on unchanged rather than as undefined values.
      Matrix4f r = v;
      if (!r.SetInverseAffine(v)) r = v;
      return CallSlot<T>(m_outer, r);
    } else {
      return kInvalidArgument;
    }
  }
}

#define PM_INSTANTIATE_TAKE(Op, Tag) template uint32_t Unary<Op>::Take<Tag>(const typename Tag::Value&);
#define PM_INSTANTIATE_OP(Op)        \
  PM_INSTANTIATE_TAKE(Op, VBool)     \
  PM_INSTANTIATE_TAKE(Op, VI32)      \
  PM_INSTANTIATE_TAKE(Op, VI64)      \
  PM_INSTANTIATE_TAKE(Op, VU32)      \
  PM_INSTANTIATE_TAKE(Op, VU64)      \
  PM_INSTANTIATE_TAKE(Op, VF32)      \
  PM_INSTANTIATE_TAKE(Op, VF64)      \
  PM_INSTANTIATE_TAKE(Op, VVector2f) \
  PM_INSTANTIATE_TAKE(Op, VVector3f) \
  PM_INSTANTIATE_TAKE(Op, VVector4f) \
  PM_INSTANTIATE_TAKE(Op, VMatrix4f) \
  PM_INSTANTIATE_TAKE(Op, VSpheref)  \
  PM_INSTANTIATE_TAKE(Op, VString)   \
  PM_INSTANTIATE_TAKE(Op, VEnum)     \
  PM_INSTANTIATE_TAKE(Op, VMemberID) \
  PM_INSTANTIATE_TAKE(Op, VNameHash)
PM_INSTANTIATE_OP(UnaryOp::Not)
PM_INSTANTIATE_OP(UnaryOp::Minus)
PM_INSTANTIATE_OP(UnaryOp::Plus)
PM_INSTANTIATE_OP(UnaryOp::Complement)
#undef PM_INSTANTIATE_OP
#undef PM_INSTANTIATE_TAKE

}  // namespace PM::Visitor
