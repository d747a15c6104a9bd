#include "ui/Window.h"

#include "ui/Widget.h"

namespace PM {

const TypeRecord& SWindow_I::GetTypeRecord() { return EngineTypeRecord<SWindow_I>(kName); }
ScriptObject* SWindow_I::Create() { return NewEngineObject<SWindow_I>(); }
ScriptObject* SWindow_I::CreateExtra(uint32_t extraBytes) { return NewEngineObject<SWindow_I>(extraBytes); }

const TypeRecord& TWindow_I::GetTypeRecord() { return EngineTypeRecord<TWindow_I>(kName); }

ScriptObject* TWindow_I::Create() { return NewEngineNode<TWindow_I, SWindow_I>(); }
ScriptObject* TWindow_I::CreateExtra(uint32_t extraBytes) { return NewEngineNode<TWindow_I, SWindow_I>(extraBytes); }

void TWindow_I::Draw(RenderEngine*) {}

void TWindow_I::Define() {
  DefineUIClass<SWindow_I, SNode_I>();
  DefineUIClass<TWindow_I, TNode_I>();
  const MemberDef members[] = {
      FieldMember<&TWindow_I::m_rootWidget>(0x01FFF0D0, "RootWidget"),
      FieldMember<&TWindow_I::m_virtualResolution>(0x02FFF0D0, "VirtualResolution"),
      FieldMember<&TWindow_I::m_inputFocus>(0x03FFF0D0, "InputFocus"),
      FieldMember<&TWindow_I::m_useCameraProjection>(0x04FFF0D0, "UseCameraProjection"),
  };
  DefineMembers(members);
}

}  // namespace PM
