#include "script/object/ScriptClass_I.h"

#include <array>
#include <atomic>
#include <new>
#include <utility>

#include "core/Log.h"
#include "script/object/MemberDef.h"
#include "script/object/ScriptMemberStorage.h"

namespace PM {

namespace {

constexpr uint32_t kRuntimeClasses = kMaxClasses - kFirstRuntimeClass;

// The defined script classes by run-time index; member accessors find their layout here.
std::atomic<ScriptClass_I*> g_classes[kRuntimeClasses];

std::atomic<ScriptClass_I*>* SlotOf(uint32_t classId) {
  uint32_t y = ClassIndex(classId);
  return y >= kFirstRuntimeClass && y < kMaxClasses ? &g_classes[y - kFirstRuntimeClass] : nullptr;
}

constexpr uint32_t RoundUp(uint32_t n, uint32_t a) { return (n + a - 1) / a * a; }

// Objects of script classes without an engine base: a bare ScriptObject and the members behind it.
const TypeRecord& GenericObjectType() {
  static TypeRecord t("ScriptClassObject", sizeof(ScriptObject), DestroyScriptObject<ScriptObject>);
  return t;
}
void NoDestroy(void*) {}
const TypeRecord& EnumType() {
  static TypeRecord t("ScriptEnum", 4, NoDestroy);
  return t;
}

// The class tables' factories take no argument, so each run-time index has its own pair.
template <uint32_t I>
ScriptObject* Factory() {
  return ScriptClass_I::NewInstance(ClassIdOfIndex(I), 0);
}
template <uint32_t I>
ScriptObject* FactoryExtra(uint32_t extra) {
  return ScriptClass_I::NewInstance(ClassIdOfIndex(I), extra);
}
template <size_t... I>
constexpr std::array<ScriptFactory, kRuntimeClasses> MakeFactories(std::index_sequence<I...>) {
  return {&Factory<kFirstRuntimeClass + I>...};
}
template <size_t... I>
constexpr std::array<ScriptFactoryExtra, kRuntimeClasses> MakeFactoriesExtra(std::index_sequence<I...>) {
  return {&FactoryExtra<kFirstRuntimeClass + I>...};
}
constexpr auto kFactories = MakeFactories(std::make_index_sequence<kRuntimeClasses>());
constexpr auto kFactoriesExtra = MakeFactoriesExtra(std::make_index_sequence<kRuntimeClasses>());

Obj<ScriptObject> CallWithoutBody(ScriptObject* self, uint32_t member, int32_t, ScriptObject**) {
  LogError("ScriptClass: the member function \"", MemberName(member), "\" of \"", ClassName(member),
           "\" has no body (called on an object of \"", self ? self->GetClassName() : "???", "\").");
  return Obj<ScriptObject>();
}

}  // namespace

const TypeRecord& ScriptClass_I::GetTypeRecord() {
  static TypeRecord t("ScriptClass", sizeof(ScriptClass_I), DestroyScriptObject<ScriptClass_I>);
  return t;
}

ScriptObject* ScriptClass::Create() {
  if (!ClassExists(kClassId)) {
    LogError("ScriptClass::Create: the script world is not started.");
    return NilScriptObject();
  }
  uint32_t id = AllocateClassID();
  if (id == 0) {
    LogError("ScriptClass::Create: no class id is left for a new class (", kMaxClasses, " classes in use).");
    return NilScriptObject();
  }
  auto* c = NewScriptObject<ScriptClass_I>(ScriptClass_I::GetTypeRecord(), kClassId);
  c->m_d.id = id;
  return c;
}

ScriptClass_I::~ScriptClass_I() {
  if (!m_d.id) return;
  ReleaseClassID(m_d.id);  // the records go first: nothing reaches the layout after this
  if (auto* slot = SlotOf(m_d.id)) {
    ScriptClass_I* self = this;
    slot->compare_exchange_strong(self, nullptr);
  }
}

ScriptClass_I* ScriptClass_I::Of(uint32_t classId) {
  auto* slot = SlotOf(classId);
  return slot ? slot->load(std::memory_order_acquire) : nullptr;
}

bool ScriptClass_I::Define(const char* op, const String& name, uint32_t baseId, uint32_t kind) {
  if (m_d.defined) {
    LogError("ScriptClass::", op, ": class \"", m_d.name, "\" is already defined.");
    return false;
  }
  if (name.IsEmpty()) {
    LogError("ScriptClass::", op, ": a class needs a name.");
    return false;
  }
  if (FindClassID(name.CStr()) != 0) {
    LogError("ScriptClass::", op, ": class \"", name, "\" already exists.");
    return false;
  }
  ScriptClass_I* scriptBase = baseId ? Of(baseId) : nullptr;
  const MemberTable* baseTable = baseId ? ValidTable(baseId) : nullptr;
  if (baseId && (!baseTable || kind == kClassKindEnum || baseTable->kind == kClassKindEnum)) {
    LogError("ScriptClass::", op, ": class \"", name, "\" cannot derive from 0x", Hex{baseId}, " \"", ClassName(baseId),
             "\".");
    return false;
  }
  if (scriptBase && !scriptBase->m_d.ended) {
    LogError("ScriptClass::", op, ": the base class \"", scriptBase->m_d.name, "\" of \"", name,
             "\" is not completely defined.");
    return false;
  }

  m_d.name = name;
  m_d.baseId = baseId;
  m_d.kind = kind;
  m_d.scriptBase = scriptBase;
  const TypeRecord* type = &GenericObjectType();
  if (scriptBase) {
    m_d.factoryClass = scriptBase->m_d.factoryClass;
    m_d.storageStart = scriptBase->m_d.storageStart;
    m_d.storageEnd = scriptBase->m_d.storageEnd;
    type = ValidTable(baseId)->type;
  } else {
    m_d.factoryClass = baseId == kClassScriptObject ? 0 : baseId;
    if (m_d.factoryClass && baseTable->type) type = baseTable->type;
    m_d.storageStart = RoundUp(type->size, 16);
    m_d.storageEnd = sizeof(Obj<ScriptClass_I>);  // every object holds its class
  }
  uint32_t index = ClassIndex(m_d.id) - kFirstRuntimeClass;
  SlotOf(m_d.id)->store(this, std::memory_order_release);
  if (kind == kClassKindEnum)
    CreateClass(m_d.id, kClassScriptObject, "", m_d.name.CStr(), &EnumType(), nullptr, nullptr, kind);
  else
    CreateClass(m_d.id, baseId ? baseId : kClassScriptObject, "", m_d.name.CStr(), type, kFactories[index],
                kFactoriesExtra[index], kind);
  if (!ClassExists(m_d.id)) {  // CreateClass logged why
    SlotOf(m_d.id)->store(nullptr, std::memory_order_release);
    return false;
  }
  if (kind != kClassKindEnum) SetClassStorageDestroy(m_d.id, &DestroyStorage);
  m_d.defined = true;
  return true;
}

bool ScriptClass_I::DefFromBase(const String& name, uint32_t baseId) {
  return Define("DefFromBase", name, baseId, kClassKindObject);
}

bool ScriptClass_I::DefEnum(const String& name, uint32_t baseId) {
  return Define("DefEnum", name, baseId, kClassKindEnum);
}

bool ScriptClass_I::CanAddMember(const char* op, const String& name, bool wantEnum) {
  const char* why = nullptr;
  if (!m_d.defined)
    why = "is not defined yet";
  else if (m_d.ended)
    why = "has ended its definition";
  else if (wantEnum != (m_d.kind == kClassKindEnum))
    why = wantEnum ? "is not an enum type" : "is an enum type";
  else if (m_d.nextMember >= kMaxMembers)
    why = "has no member index left";
  if (why) {
    LogError("ScriptClass::", op, ": class \"", m_d.name, "\" ", why, "; \"", name, "\" is not added.");
    return false;
  }
  if (name.IsEmpty()) {
    LogError("ScriptClass::", op, ": a member of \"", m_d.name, "\" needs a name.");
    return false;
  }
  for (const ScriptClassMember& m : m_d.members)
    if (String::Equals(m.name, name)) {
      LogError("ScriptClass::", op, ": \"", name, "\" already exists on \"", m_d.name, "\".");
      return false;
    }
  return true;
}

uint32_t ScriptClass_I::DefMemberVar(const String& name, uint32_t valueClassId, uint32_t flags,
                                     const void* defaultValue) {
  if (!CanAddMember("DefMemberVar", name, false)) return 0;
  bool indexed = (flags & kMemberIndexed) != 0;
  const ScriptMemberStorage* storage =
      (flags & (kMemberArray | kMemberFunction)) ? nullptr : FindMemberStorage(valueClassId, indexed);
  if (!storage) {
    LogError("ScriptClass::DefMemberVar: member \"", name, "\" of \"", m_d.name, "\" has an unsupported type 0x",
             Hex{valueClassId}, " \"", ClassName(valueClassId), "\" (flags 0x", Hex{flags}, ").");
    return 0;
  }
  if (valueClassId == kClassScriptObject)
    flags |= indexed ? FormFlags<VObject, kShapeIndexed>() : FormFlags<VObject, kShapeSingle>();
  ScriptClassMember& m = m_d.members.emplace_back();
  m.name = name;
  m.id = MakeMemberId(m_d.nextMember++, m_d.id);
  m.offset = RoundUp(m_d.storageEnd, storage->align);
  m.storage = storage;
  storage->fromValue(m.defaultValue, defaultValue);
  m_d.storageEnd = m.offset + storage->size;
  m_d.offsets[MemberIndex(m.id)] = m.offset;
  CreateMember(m.id, m.name.CStr(), storage->valid, storage->invalid, 1, flags, valueClassId);
  return m.id;
}

uint32_t ScriptClass_I::DefMemberFunction(const String& name, const String& text, uint32_t flags) {
  if (!CanAddMember("DefMemberFunction", name, false)) return 0;
  ScriptClassMember& m = m_d.members.emplace_back();
  m.name = name;
  m.text = text;
  m.id = MakeMemberId(m_d.nextMember++, m_d.id);
  DefineMember(FunctionMember(m.id, m.name.CStr(), &CallWithoutBody, flags | kMemberFunction));
  return m.id;
}

uint32_t ScriptClass_I::DefMemberEnum(const String& name, int32_t value, uint32_t flags) {
  if (!CanAddMember("DefMemberEnum", name, true)) return 0;
  ScriptClassMember& m = m_d.members.emplace_back();
  m.name = name;
  m.id = MakeMemberId(m_d.nextMember++, m_d.id);
  CreateEnumMember(m.id, m.name.CStr(), value, 1, flags | kMemberEnumValue);
  return m.id;
}

void ScriptClass_I::EndDefinition() {
  if (!m_d.defined) {
    LogError("ScriptClass::EndDefinition: the class is not defined yet.");
    return;
  }
  BuildClassMemberNames(m_d.id);
  m_d.ended = true;
}

void* ScriptClass_I::MemberStorage(ScriptObject* obj, uint32_t memberId) {
  // Reached only through a valid record, so obj is of the class (or derived) and has the storage.
  const ScriptClass_D& d = Of(memberId)->m_d;
  return reinterpret_cast<unsigned char*>(obj) + d.storageStart + d.offsets[MemberIndex(memberId)];
}

ScriptObject* ScriptClass_I::NewInstance(uint32_t classId, uint32_t extraBytes) {
  ScriptClass_I* c = Of(classId);
  if (!c || !c->m_d.defined || c->m_d.kind == kClassKindEnum) return nullptr;
  const ScriptClass_D& d = c->m_d;
  if (!d.ended) {
    LogError("ScriptClass: no object of \"", d.name, "\" can be made before its definition ends.");
    return nullptr;
  }
  ScriptObject* obj = nullptr;
  if (d.factoryClass) {
    const MemberTable* t = ValidTable(d.factoryClass);
    uint32_t objectSize = t && t->type ? t->type->size : 0;
    if (!t || !t->factoryExtra || objectSize == 0) {
      LogError("ScriptClass: no object of \"", d.name, "\" can be made: its base \"", ClassName(d.factoryClass),
               "\" has no extended factory.");
      return nullptr;
    }
    obj = t->factoryExtra(d.storageStart - objectSize + d.storageEnd + extraBytes);
    if (!obj || IsNilObject(obj)) return nullptr;
  } else {
    obj = NewScriptObject<ScriptObject>(GenericObjectType(), classId,
                                        d.storageStart - uint32_t(sizeof(ScriptObject)) + d.storageEnd + extraBytes);
  }
  HeaderOf(obj)->classRow = ClassRowOf(classId);
  unsigned char* storage = reinterpret_cast<unsigned char*>(obj) + d.storageStart;
  new (storage) Obj<ScriptClass_I>(c);
  for (const ScriptClass_I* k = c; k; k = k->m_d.scriptBase.IsNil() ? nullptr : k->m_d.scriptBase.Get())
    for (const ScriptClassMember& m : k->m_d.members)
      if (m.storage) m.storage->copy(storage + m.offset, m.defaultValue);
  return obj;
}

void ScriptClass_I::DestroyStorage(ScriptObject* obj, uint32_t classId) {
  // Run for the object's own class: it clears the storage of the whole chain, its class reference last.
  ScriptClass_I* c = Of(classId);
  if (!c) return;
  unsigned char* storage = reinterpret_cast<unsigned char*>(obj) + c->m_d.storageStart;
  for (const ScriptClass_I* k = c; k; k = k->m_d.scriptBase.IsNil() ? nullptr : k->m_d.scriptBase.Get())
    for (auto m = k->m_d.members.rbegin(); m != k->m_d.members.rend(); ++m)
      if (m->storage) m->storage->destroy(storage + m->offset);
  std::launder(reinterpret_cast<Obj<ScriptClass_I>*>(storage))->~Obj();
}

}  // namespace PM
