// Class ids, member ids and member flags of the script object model.
#pragma once

#include <cstdint>

namespace PM {

// A class id is 0xFFFFF000 | index; a member id is (member index << 24) | 0x00FFF000 | class index.
constexpr uint32_t kClassIdBase = 0xFFFFF000u;
constexpr uint32_t kMaxClasses = 512;
constexpr uint32_t kFirstRuntimeClass = 256;
constexpr uint32_t kMaxMembers = 256;  // the member index is one byte

constexpr uint32_t ClassIndex(uint32_t id) { return id & 0xFFFu; }
constexpr uint32_t MemberIndex(uint32_t memberId) { return memberId >> 24; }
constexpr uint32_t ClassIdOfIndex(uint32_t index) { return kClassIdBase | index; }
constexpr uint32_t MakeMemberId(uint32_t memberIndex, uint32_t classId) {
  return (memberIndex << 24) | 0x00FFF000u | ClassIndex(classId);
}
constexpr bool IsWellFormedMemberId(uint32_t id) {
  return (id & 0x00FFF000u) == 0x00FFF000u && MemberIndex(id) != 0 && ClassIndex(id) < kMaxClasses;
}

// Built-in classes.
enum : uint32_t {
  kClassScriptObject = 0xFFFFF001,
  kClassNil = 0xFFFFF002,
  kClassEnum = 0xFFFFF005,
  kClassMemberID = 0xFFFFF006,
  kClassBool = 0xFFFFF008,
  kClassString = 0xFFFFF009,
  kClassI32 = 0xFFFFF00A,
  kClassI64 = 0xFFFFF00B,
  kClassU32 = 0xFFFFF00C,
  kClassU64 = 0xFFFFF00D,
  kClassF32 = 0xFFFFF00E,
  kClassF64 = 0xFFFFF00F,
  kClassVector2f = 0xFFFFF010,
  kClassVector3f = 0xFFFFF012,
  kClassVector4f = 0xFFFFF014,
  kClassMatrix4f = 0xFFFFF016,
  kClassSpheref = 0xFFFFF022,
  kClassNameHash = 0xFFFFF026,
  kClassArrayScriptObject = 0xFFFFF027,
  kClassArrayBool = 0xFFFFF028,
  kClassArrayString = 0xFFFFF029,
  kClassArrayI64 = 0xFFFFF02A,
  kClassArrayU32 = 0xFFFFF02B,
  kClassArrayU64 = 0xFFFFF02C,
  kClassArrayF64 = 0xFFFFF02D,
  kClassArrayI32 = 0xFFFFF030,
  kClassArrayF32 = 0xFFFFF031,
  kClassArrayVector2f = 0xFFFFF032,
  kClassArrayVector3f = 0xFFFFF033,
  kClassArrayVector4f = 0xFFFFF034,
  kClassArrayMatrix4f = 0xFFFFF035,
  kClassEulerRotationOrder = 0xFFFFF038,
};

// Class kinds given to CreateClass.
enum : uint32_t { kClassKindObject = 2, kClassKindEnum = 5 };

// Member flags.
enum : uint32_t {
  kMemberNoClone = 0x1,  // not copied by Clone nor CopyTemplate
  kMemberNoWalk = 0x2,   // also left out of CopyTemplate's deep copy and of the object-graph walk
  kMemberShared = 0x4,   // an object reference copied as a reference
  kMemberEnumValue = 0x100,
  kMemberObjectTyped = 0x200,
  kMemberIndexed = 0x400,
  kMemberArray = 0x800,
  kMemberObjectRef = 0x1000,
  kMemberObjectRefIndexed = 0x2000,
  kMemberObjectRefArray = 0x4000,
  kMemberFunction = 0x8000,  // no storage: the Set slot is the call entry
  kMemberAnyObjectRef = kMemberObjectRef | kMemberObjectRefIndexed | kMemberObjectRefArray,
  kMemberShape = kMemberIndexed | kMemberArray | kMemberFunction,  // what the typed accessors check
};

}  // namespace PM
