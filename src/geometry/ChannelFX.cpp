#include "geometry/ChannelFX.h"

#include "classes/EngineClassRegistry.h"
#include "engine/RenderEngine.h"

namespace PM {

namespace {

// A member that reads and writes one field of the node's ChannelFXInfo record.
template <auto Field>
struct InfoField {
  using F = typename DataMemberOf<decltype(Field)>::Field;
  using Tag = TagOf<F>;
  static typename Tag::Value Get(ScriptObject* o, uint32_t) { return static_cast<SChannelFX_I*>(o)->m_info.*Field; }
  static void Set(ScriptObject* o, uint32_t, typename Tag::Value v) {
    static_cast<SChannelFX_I*>(o)->m_info.*Field = F(v);
  }
  static MemberDef Member(uint32_t id, const char* name) { return CallbackMember<Tag>(id, name, &Get, &Set); }
};

}  // namespace

void SChannelFX_I::Define() {
  const ClassDef classes[] = {
      ConcreteClass<SChannelFX_I>(),
      ConcreteClass<TChannelFX_I>(),
  };
  DefineClasses(classes);
  const MemberDef members[] = {
      InfoField<&ChannelFXInfo::EnableBloom>::Member(0x01FFF0FC, "EnableBloom"),
      InfoField<&ChannelFXInfo::EnableDOF>::Member(0x02FFF0FC, "EnableDOF"),
      InfoField<&ChannelFXInfo::EnableColorFilter>::Member(0x03FFF0FC, "EnableColorFilter"),
      InfoField<&ChannelFXInfo::BloomBlurCount>::Member(0x04FFF0FC, "BloomBlurCount"),
      InfoField<&ChannelFXInfo::FocusDistance>::Member(0x05FFF0FC, "FocusDistance"),
      InfoField<&ChannelFXInfo::ColorFilterMode>::Member(0x06FFF0FC, "ColorFilterMode"),
  };
  DefineMembers(members);
}

SChannelFX_I::SChannelFX_I() : m_fileObject(FileObject_I::Create()) {
  static_cast<FileObject_I*>(m_fileObject.Get())->SetFileName(String());
}

int32_t SChannelFX_I::Draw(RenderEngine* engine, const Vector4f*) {
  if (engine->GetPassMode() == PassMode::kPlain) return 0;
  String path;
  ScriptObject* file = m_fileObject.Get();
  if (file->IsA(FileObject_I::kClassId))
    path = static_cast<FileObject_I*>(file)->GetReadPath();
  else
    ScriptObject::ExpectFailed(file, FileObject_I::kClassId);
  engine->ChannelFX(&m_info, path);
  return 1;
}

// Entered in the engine class table, which defines it in the order list's order.
static const bool kClassEntered = EnterEngineClasses<SChannelFX_I>();

}  // namespace PM
