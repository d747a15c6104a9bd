// The class database: the 512 x 512 master class table of member tables, class and member definition,
// and the name look-ups built once all static classes are defined.
#pragma once

#include <cstdint>

#include "core/Block.h"
#include "script/object/MemberRecord.h"

namespace PM {

// Builds and frees the master table. Init also gives the nil object its class row.
void InitClassDatabase();
void UninitClassDatabase();
bool ClassDatabaseReady();
// Moves on whenever a class or member is defined or released: a look-up in the tables made at one
// version gives the same answer while the version stays.
uint32_t ClassDatabaseVersion();

// Defines a class: its valid and invalid tables and its row, a copy of the base's row (so the base comes
// first). Roots and enums use base kClassScriptObject; enums pass kind 5, a 4-byte type record and no
// factories. The names are kept by pointer. An index >= 512 logs FATAL and defines nothing.
void CreateClass(uint32_t id, uint32_t base, const char* nameSpace, const char* name, const TypeRecord* type,
                 ScriptFactory factory, ScriptFactoryExtra factoryExtra, uint32_t kind);

// Fills record (id >> 24) of the class (id & 0xFFF) in both tables, growing them when needed. The eight
// pairs are valid/invalid Get, Set, Size, Remove, Compare, CopyTo, Write and a spare. A duplicate logs
// an error and is overwritten.
void CreateMember(uint32_t id, const char* name,                                           //
                  AnyMemberFn getV, AnyMemberFn getI, AnyMemberFn setV, AnyMemberFn setI,  //
                  AnyMemberFn sizeV, AnyMemberFn sizeI, AnyMemberFn removeV, AnyMemberFn removeI, AnyMemberFn compareV,
                  AnyMemberFn compareI, AnyMemberFn copyToV, AnyMemberFn copyToI, AnyMemberFn writeV,
                  AnyMemberFn writeI, AnyMemberFn spareV, AnyMemberFn spareI, uint32_t valid, uint32_t flags,
                  uint32_t valueType);
void CreateMember(uint32_t id, const char* name, const MemberOps& validOps, const MemberOps& invalidOps, uint32_t valid,
                  uint32_t flags, uint32_t valueType);

// An enum value record (value type Enum). A duplicate index or name logs an error and writes nothing.
void CreateEnumMember(uint32_t id, const char* name, int32_t value, uint32_t valid, uint32_t flags);

// Lets a class destroy the member storage it keeps in its objects (script classes).
void SetClassStorageDestroy(uint32_t classId, ClassStorageDestroyFn fn);

// ---- look-ups -------------------------------------------------------------------------------

bool ClassExists(uint32_t classId);
const char* ClassName(uint32_t classId);  // "???" for an unknown class
// The name scripts use: the name, or namespace + "." + name when the class has a namespace.
const char* ClassKeyName(uint32_t classId);
const MemberTable* ValidTable(uint32_t classId);  // null for an unknown class
// The stub table of a class: what objects of other classes (and read-only members) reach.
const MemberTable* InvalidTable(uint32_t classId);  // null for an unknown class
ClassRow ClassRowOf(uint32_t classId);              // null for an unknown class
uint32_t ClassIdOfRow(ClassRow row);                // 0 for no row
uint32_t ClassCount();                              // defined classes
// The valid record of a member id, or null when the member is not defined.
const MemberRecord* MemberRecordOf(uint32_t memberId);
const char* MemberName(uint32_t memberId);  // "???" when not defined

// The first free class index from 256 on, reserved for a class about to be defined; 0 when none is left.
uint32_t AllocateClassID();
// Gives a run-time index back (reserved or defined): its tables, row, column and names are cleared, so
// the index can be handed out again. Static classes (below 256) are refused.
void ReleaseClassID(uint32_t classId);

// Builds the member-name hash of every class and the class-name hash; members and classes defined later
// are not found by name (a run-time class adds its own member names with BuildClassMemberNames).
void BuildNameHashes();  // both of the below
void BuildMemberNameHashes();
void BuildClassNameHash();
void ClearClassNameHash();
void BuildClassMemberNames(uint32_t classId);
uint32_t FindMemberID(uint32_t classId, const char* name);  // in the class or a base; 0 when absent
uint32_t FindClassID(const char* name);                     // 0 when absent

}  // namespace PM
