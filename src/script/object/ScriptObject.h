// ScriptObject: the part that begins every scriptable engine object. Its block header points at the
// class's row of the master class table, through which every member is read and written by member id.
#pragma once

#include <cstdint>
#include <functional>
#include <new>

#include "core/Obj.h"
#include "script/object/ClassDatabase.h"

namespace PM {

class ScriptObject {
 public:
  ScriptObject() = default;
  // Destroys the script-declared member storage of the object's class (and so of its bases).
  ~ScriptObject();
  ScriptObject(const ScriptObject&) = delete;
  ScriptObject& operator=(const ScriptObject&) = delete;

  // The interface's one slot; derived interfaces start at slot 1.
  virtual void ScriptSlot0();

  ClassRow Row() const { return static_cast<ClassRow>(HeaderOf(this)->classRow); }

  // Member M of class Y: record M >> 24 of row[Y & 0xFFF]; null for ids outside the table (the mask
  // checks the 0xFFF middle and Y < 512 at once). The record may be undefined (id 0).
  const MemberRecord* FindRecord(uint32_t memberId) const {
    if ((memberId & 0x00FFFE00u) != 0x00FFF000u) return nullptr;
    return &Row()[ClassIndex(memberId)]->records[MemberIndex(memberId)];
  }
  // Is this object of the class or derived from it (one look-up; nil answers no).
  bool IsA(uint32_t classId) const {
    uint32_t y = ClassIndex(classId);
    return y < kMaxClasses && Row()[y]->isValid;
  }
  uint32_t GetClassID() const { return ClassIdOfRow(Row()); }
  const char* GetClassName() const { return ClassName(GetClassID()); }

  // A new object of the class from its factory, count 0; nil for abstract or unknown classes.
  static ScriptObject* Create(uint32_t classId);
  static ScriptObject* CreateExtra(uint32_t classId, uint32_t extraBytes);
  // Logs that obj cannot be used as the expected class.
  static void ExpectFailed(const ScriptObject* obj, uint32_t expectedClassId);
  // The object's weak target, created on demand; nil answers the nil target.
  static WeakObjTarget* GetWeakTarget(const ScriptObject* obj);
  // A new object of the same class with every member without 0x1 copied through CopyTo (count 0).
  static ScriptObject* Clone(ScriptObject* src);
  // As Clone, skipping members with 0x1 or 0x2; owned references are copied deeply, shared ones (0x4)
  // as references. Objects reached twice are copied once.
  static ScriptObject* CopyTemplate(ScriptObject* src);
  // Visits root and every object reachable through object-reference members without 0x2, each once.
  static void WalkGraph(ScriptObject* root, const std::function<void(ScriptObject*)>& visit);
};

inline ScriptObject* NilScriptObject() { return static_cast<ScriptObject*>(NilObject()); }

// Destroy function of a script class's type record: runs ~T, then frees the block. The type record names
// the exact class, so the call is qualified (no virtual dispatch, and nothing for compilers to doubt).
template <class T>
void DestroyScriptObject(void* p) {
  static_cast<T*>(p)->T::~T();
  ObjBlockDestruct(p);
}

// Makes a T in a new block of `type` with `extraBytes` zeroed bytes behind it, in class `classId`.
template <class T>
T* NewScriptObject(const TypeRecord& type, uint32_t classId, uint32_t extraBytes = 0) {
  void* p = BlockNewObjectExtra(sizeof(T), &type, extraBytes);
  HeaderOf(p)->classRow = ClassRowOf(classId);
  return new (p) T();
}

// The same for a scene node's record, placed beside the records made just before it (see BlockNewNodeObject).
template <class T>
T* NewScriptNodeObject(const TypeRecord& type, uint32_t classId, uint32_t extraBytes = 0) {
  void* p = BlockNewNodeObject(sizeof(T), &type, extraBytes);
  HeaderOf(p)->classRow = ClassRowOf(classId);
  return new (p) T();
}

// Calls every class of obj's chain (its own first, then its bases) with that class's valid table.
template <class F>
void ForEachClassOf(const ScriptObject* obj, F&& f) {
  uint32_t id = obj->GetClassID();
  for (int guard = 0; id && guard < int(kMaxClasses); ++guard) {
    const MemberTable* t = ValidTable(id);
    if (!t) return;
    f(t);
    if (ClassIndex(t->baseId) == ClassIndex(id)) return;
    id = t->baseId;
  }
}

}  // namespace PM
