#include "geometry/Instancer.h"

#include "classes/EngineClassRegistry.h"
namespace PM {

int32_t SInstancer_I::Draw(RenderEngine*, const Vector4f*) { return 0; }

ScriptObject* TInstancer_I::GetInputNode(int32_t i) const {
  if (i < 0) ReportBadIndex("Get", this, kMemberInstancerInputNodeArray, i, m_inputNodes.Count());
  if (i < 0 || i >= m_inputNodes.Count()) return NilScriptObject();
  return m_inputNodes[i].Get();
}

void TInstancer_I::SetInputNode(int32_t i, TNode_I* node) {
  if (!SetIndexOk(this, kMemberInstancerInputNodeArray, i, m_inputNodes.Count())) return;
  if (i >= m_inputNodes.Count()) m_inputNodes.Grow(i + 1);
  m_inputNodes[i] = node;
}

void SInstancer_I::Define() {
  const ClassDef classes[] = {
      // Its C++ base is SGeometry, for the traversal; its script base stays SNode.
      ConcreteClass<SInstancer_I>(ClassId::SNode, SInstancer_I::kName),
      ConcreteClass<TInstancer_I>(),
  };
  DefineClasses(classes);
  using S = SInstancer_I;
  using T = TInstancer_I;
  const MemberDef members[] = {
      FieldMember<&S::m_translations>(kMemberInstancerTranslationArray, "TranslationArray"),
      FieldMember<&S::m_rotations>(kMemberInstancerRotationArray, "RotationArray"),
      FieldMember<&S::m_appearanceSelect>(kMemberInstancerAppearanceSelectArray, "AppearanceSelectArray"),
      IndexedAccessorMember<&T::GetInputNode, &T::SetInputNode, &T::InputNodeCount, &T::RemoveInputNodes>(
          kMemberInstancerInputNodeArray, "InputNodeArray"),
  };
  DefineMembers(members);
}

// Entered in the engine class table, which defines it in the order list's order.
static const bool kClassEntered = EnterEngineClasses<SInstancer_I>();

}  // namespace PM
