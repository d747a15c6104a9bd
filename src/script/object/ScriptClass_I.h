// The implementation of ScriptClass.
#pragma once

#include "script/object/ScriptClass.h"
#include "script/object/ScriptClass_D.h"

namespace PM {

class ScriptClass_I : public ScriptClass {
 public:
  static const TypeRecord& GetTypeRecord();
  ~ScriptClass_I();

  bool DefFromBase(const String& name, uint32_t baseId) override;
  bool DefEnum(const String& name, uint32_t baseId) override;
  uint32_t DefMemberVar(const String& name, uint32_t valueClassId, uint32_t flags, const void* defaultValue) override;
  uint32_t DefMemberFunction(const String& name, const String& text, uint32_t flags) override;
  uint32_t DefMemberEnum(const String& name, int32_t value, uint32_t flags) override;
  void EndDefinition() override;
  uint32_t GetClassID() const override { return m_d.id; }
  String GetName() const override { return m_d.name; }

  // The defined script class of an id, or null (run-time ids only).
  static ScriptClass_I* Of(uint32_t classId);
  // A new object of the class with its members set to their defaults, count 0; null when the class
  // cannot make objects (logged).
  static ScriptObject* NewInstance(uint32_t classId, uint32_t extraBytes);
  // Where member `memberId` of a script class lives in obj.
  static void* MemberStorage(ScriptObject* obj, uint32_t memberId);

 private:
  friend class ScriptClass;
  bool Define(const char* op, const String& name, uint32_t baseId, uint32_t kind);
  bool CanAddMember(const char* op, const String& name, bool wantEnum);
  static void DestroyStorage(ScriptObject* obj, uint32_t classId);

  ScriptClass_D m_d;
};

}  // namespace PM
