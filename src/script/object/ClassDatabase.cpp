#include "script/object/ClassDatabase.h"

#include <atomic>
#include <cstdlib>
#include <cstring>
#include <new>
#include <string>
#include <unordered_map>

#include "core/Log.h"
#include "core/Obj.h"
#include "platform/CriticalSection.h"
#include "script/object/MemberFamilies.h"

namespace PM {

namespace {

struct ClassSlot {
  MemberTable* valid;
  MemberTable* invalid;
  bool defined;
  bool reserved;  // handed out by AllocateClassID, not yet defined
  std::string key;
  std::unordered_map<std::string, uint32_t> memberNames;
};

struct Database {
  const MemberTable* master[kMaxClasses][kMaxClasses];
  MemberTable* tables;  // two per class index, zero until used
  ClassSlot classes[kMaxClasses];
  std::unordered_map<std::string, uint32_t> classNames;
  CriticalSection lock;
  std::atomic<uint32_t> defined{0};  // read without the lock
};

Database* g_db = nullptr;
std::atomic<uint32_t> g_version{0};  // see ClassDatabaseVersion
void TablesChanged() { g_version.fetch_add(1, std::memory_order_relaxed); }

// Every cell of a row that names no class points here: no records, not valid.
MemberTable g_emptyTable;
const MemberTable* g_emptyRow[kMaxClasses];

void ClearHeader(MemberTable& t) {
  t.classId = t.baseId = 0;
  t.nameSpace = "";
  t.name = "???";
  t.type = nullptr;
  t.factory = nullptr;
  t.factoryExtra = nullptr;
  t.destroyStorage = nullptr;
  t.kind = 0;
  t.isValid = false;
  t.count = 0;
}

// Until the object model starts (and after it stops) nil's row is the empty row, so member calls on
// nil reach the accessors' stubs instead of a null row.
bool InitEmptyRow() {
  ClearHeader(g_emptyTable);
  for (auto& cell : g_emptyRow) cell = &g_emptyTable;
  if (!HeaderOf(NilObject())->classRow) HeaderOf(NilObject())->classRow = g_emptyRow;
  return true;
}
const bool g_emptyRowReady = InitEmptyRow();

ClassSlot* SlotOf(uint32_t classId) {
  uint32_t y = ClassIndex(classId);
  if (!g_db || y >= kMaxClasses || !g_db->classes[y].defined) return nullptr;
  return &g_db->classes[y];
}

// Counts record `index` in both tables of a class.
void EnsureRecord(ClassSlot& c, uint32_t index) {
  int32_t need = int32_t(index) + 1;
  for (MemberTable* t : {c.valid, c.invalid})
    if (need > t->count) t->count = need;
}

void FillRecord(MemberRecord& r, uint32_t id, const char* name, const MemberOps& ops, uint32_t valid, uint32_t flags,
                uint32_t valueType, int32_t enumValue) {
  r.signature = MemberSignature(valueType, flags);
  r.id = id;
  r.flags = flags;
  r.valueType = valueType;
  r.valid = valid;
  r.name = name ? name : "";
  r.enumValue = enumValue;
  r.ops = ops;
}

// Null Get, Set, Size or Remove slots get the value type's stubs, so the typed accessors never call null.
MemberOps Normalised(MemberOps ops, uint32_t flags, uint32_t valueType) {
  uint32_t shape = flags & kMemberShape;
  if (shape & kMemberFunction) {
    if (!ops.set) ops.set = EraseFn(&StubCall);
    return ops;
  }
  MemberOps stubs;
  WithValueTag(valueType, [&](auto tag) {
    using T = decltype(tag);
    if (shape == kShapeIndexed)
      stubs = InvalidFamily<T, kShapeIndexed>();
    else if (shape == kShapeArray)
      stubs = InvalidFamily<T, kShapeArray>();
    else if (shape == kShapeSingle)
      stubs = InvalidFamily<T, kShapeSingle>();
  });
  for (AnyMemberFn MemberOps::*f : {&MemberOps::get, &MemberOps::set, &MemberOps::size, &MemberOps::remove})
    if (!(ops.*f)) ops.*f = stubs.*f;
  return ops;
}

}  // namespace

// ---- lifecycle --------------------------------------------------------------------------------

void InitClassDatabase() {
  if (g_db) return;
  (void)g_emptyRowReady;
  g_db = new Database;
  TablesChanged();
  for (auto& row : g_db->master)
    for (auto& cell : row) cell = &g_emptyTable;
  // Large and zero: the allocator maps fresh pages, and only the records in use are ever touched.
  size_t bytes = 2 * kMaxClasses * sizeof(MemberTable);
  g_db->tables = static_cast<MemberTable*>(std::calloc(2 * kMaxClasses, sizeof(MemberTable)));
  if (!g_db->tables) OutOfMemory(bytes);
  for (uint32_t i = 0; i < kMaxClasses; ++i) {
    ClassSlot& c = g_db->classes[i];
    c.valid = &g_db->tables[2 * i];
    c.invalid = &g_db->tables[2 * i + 1];
    ClearHeader(*c.valid);
    ClearHeader(*c.invalid);
    c.defined = c.reserved = false;
  }
}

void UninitClassDatabase() {
  if (!g_db) return;
  HeaderOf(NilObject())->classRow = g_emptyRow;
  TablesChanged();
  std::free(g_db->tables);
  delete g_db;
  g_db = nullptr;
}

bool ClassDatabaseReady() { return g_db != nullptr; }

uint32_t ClassDatabaseVersion() { return g_version.load(std::memory_order_relaxed); }

// ---- definition --------------------------------------------------------------------------------

void CreateClass(uint32_t id, uint32_t base, const char* nameSpace, const char* name, const TypeRecord* type,
                 ScriptFactory factory, ScriptFactoryExtra factoryExtra, uint32_t kind) {
  uint32_t y = ClassIndex(id), b = ClassIndex(base);
  if (y >= kMaxClasses || b >= kMaxClasses) {
    LogFatal("CreateClass: classid or baseid exceeds defined limit.");
    return;
  }
  if (!g_db) {
    LogError("CreateClass: the class database is not initialised.");
    return;
  }
  if (!name) name = "";
  if (!nameSpace) nameSpace = "";
  // Threads define run-time classes at once: the slot, the master table and the count change under
  // the lock that hands out their ids.
  CriticalSectionLock guard(g_db->lock);
  TablesChanged();
  ClassSlot& c = g_db->classes[y];
  if (c.defined) {
    LogError("CreateClass: class 0x", Hex{id}, " \"", name, "\" already exists as \"", c.valid->name, "\".");
    return;
  }
  bool hasBase = base != 0 && b != y;
  if (hasBase && !g_db->classes[b].defined)
    LogError("CreateClass: base class 0x", Hex{base}, " of \"", name, "\" is not defined.");

  for (MemberTable* t : {c.valid, c.invalid}) {
    ClearHeader(*t);
    t->classId = ClassIdOfIndex(y);
    t->baseId = hasBase ? ClassIdOfIndex(b) : 0;
    t->nameSpace = nameSpace;
    t->name = name;
    t->type = type;
    t->factory = factory;
    t->factoryExtra = factoryExtra;
    t->kind = kind;
  }
  c.valid->isValid = true;
  c.defined = true;
  c.reserved = false;
  c.key = *nameSpace ? std::string(nameSpace) + "." + name : std::string(name);
  ++g_db->defined;

  // No other class derives from a new one: its column is the invalid table everywhere, except in its
  // own row, which is its base's row plus itself.
  for (auto& row : g_db->master) row[y] = c.invalid;
  if (hasBase) std::memcpy(g_db->master[y], g_db->master[b], sizeof g_db->master[y]);
  // Nil is of no class, itself included: its row holds only invalid tables.
  if (y != ClassIndex(kClassNil)) g_db->master[y][y] = c.valid;
}

void CreateMember(uint32_t id, const char* name, const MemberOps& validOps, const MemberOps& invalidOps, uint32_t valid,
                  uint32_t flags, uint32_t valueType) {
  if (!name) name = "";
  if (ClassIndex(id) >= kMaxClasses) {
    LogFatal("CreateMember: classid exceeds defined limit.");
    return;
  }
  ClassSlot* c = SlotOf(id);
  if (!c || !IsWellFormedMemberId(id)) {
    LogError("CreateMember: invalid member id 0x", Hex{id}, " for \"", name, "\" (class ", c ? "defined" : "undefined",
             ").");
    return;
  }
  uint32_t m = MemberIndex(id);
  TablesChanged();
  EnsureRecord(*c, m);
  if (c->valid->records[m].id != 0) LogError("CreateMember: ", name, " already exists on ", c->valid->name, ".");
  FillRecord(c->valid->records[m], id, name, Normalised(validOps, flags, valueType), valid, flags, valueType, 0);
  FillRecord(c->invalid->records[m], id, name, Normalised(invalidOps, flags, valueType), valid, flags, valueType, 0);
}

void CreateMember(uint32_t id, const char* name, AnyMemberFn getV, AnyMemberFn getI, AnyMemberFn setV, AnyMemberFn setI,
                  AnyMemberFn sizeV, AnyMemberFn sizeI, AnyMemberFn removeV, AnyMemberFn removeI, AnyMemberFn compareV,
                  AnyMemberFn compareI, AnyMemberFn copyToV, AnyMemberFn copyToI, AnyMemberFn writeV,
                  AnyMemberFn writeI, AnyMemberFn spareV, AnyMemberFn spareI, uint32_t valid, uint32_t flags,
                  uint32_t valueType) {
  MemberOps v{getV, setV, sizeV, removeV, compareV, copyToV, writeV, spareV};
  MemberOps i{getI, setI, sizeI, removeI, compareI, copyToI, writeI, spareI};
  CreateMember(id, name, v, i, valid, flags, valueType);
}

void CreateEnumMember(uint32_t id, const char* name, int32_t value, uint32_t valid, uint32_t flags) {
  if (!name) name = "";
  if (ClassIndex(id) >= kMaxClasses) {
    LogFatal("CreateMember: classid exceeds defined limit.");
    return;
  }
  ClassSlot* c = SlotOf(id);
  if (!c || !IsWellFormedMemberId(id)) {
    LogError("CreateEnumMember: invalid member id 0x", Hex{id}, " for \"", name, "\".");
    return;
  }
  uint32_t m = MemberIndex(id);
  bool taken = int32_t(m) < c->valid->count && c->valid->records[m].id != 0;
  for (int32_t i = 1; !taken && i < c->valid->count; ++i)
    taken = c->valid->records[i].id != 0 && std::strcmp(c->valid->records[i].name, name) == 0;
  if (taken) {
    LogError("CreateEnumMember: ", name, " already exists on ", c->valid->name, ".");
    return;
  }
  TablesChanged();
  EnsureRecord(*c, m);
  MemberOps stubs = InvalidFamily<VEnum, kShapeSingle>();
  FillRecord(c->valid->records[m], id, name, stubs, valid, flags, kClassEnum, value);
  FillRecord(c->invalid->records[m], id, name, stubs, valid, flags, kClassEnum, value);
}

void SetClassStorageDestroy(uint32_t classId, ClassStorageDestroyFn fn) {
  if (ClassSlot* c = SlotOf(classId)) c->valid->destroyStorage = c->invalid->destroyStorage = fn;
}

// ---- look-ups ------------------------------------------------------------------------------------

bool ClassExists(uint32_t classId) { return SlotOf(classId) != nullptr; }

const char* ClassName(uint32_t classId) {
  ClassSlot* c = SlotOf(classId);
  return c ? c->valid->name : "???";
}

const char* ClassKeyName(uint32_t classId) {
  ClassSlot* c = SlotOf(classId);
  return c ? c->key.c_str() : "???";
}

const MemberTable* ValidTable(uint32_t classId) {
  ClassSlot* c = SlotOf(classId);
  return c ? c->valid : nullptr;
}

const MemberTable* InvalidTable(uint32_t classId) {
  ClassSlot* c = SlotOf(classId);
  return c ? c->invalid : nullptr;
}

ClassRow ClassRowOf(uint32_t classId) { return SlotOf(classId) ? g_db->master[ClassIndex(classId)] : nullptr; }

uint32_t ClassIdOfRow(ClassRow row) {
  if (!g_db || !row) return 0;
  const MemberTable* const* first = &g_db->master[0][0];
  if (row < first || row >= first + kMaxClasses * kMaxClasses) return 0;
  return ClassIdOfIndex(uint32_t((row - first) / kMaxClasses));
}

uint32_t ClassCount() { return g_db ? g_db->defined.load() : 0; }

const MemberRecord* MemberRecordOf(uint32_t memberId) {
  ClassSlot* c = SlotOf(memberId);
  if (!c || !IsWellFormedMemberId(memberId)) return nullptr;
  int32_t m = int32_t(MemberIndex(memberId));
  if (m >= c->valid->count || c->valid->records[m].id == 0) return nullptr;
  return &c->valid->records[m];
}

const char* MemberName(uint32_t memberId) {
  const MemberRecord* r = MemberRecordOf(memberId);
  return r ? r->name : "???";
}

uint32_t AllocateClassID() {
  if (!g_db) return 0;
  CriticalSectionLock guard(g_db->lock);
  for (uint32_t i = kFirstRuntimeClass; i < kMaxClasses; ++i) {
    ClassSlot& c = g_db->classes[i];
    if (!c.defined && !c.reserved) {
      c.reserved = true;
      return ClassIdOfIndex(i);
    }
  }
  return 0;
}

void ReleaseClassID(uint32_t classId) {
  uint32_t y = ClassIndex(classId);
  if (!g_db || y < kFirstRuntimeClass || y >= kMaxClasses) return;
  CriticalSectionLock guard(g_db->lock);
  ClassSlot& c = g_db->classes[y];
  if (c.defined) {
    TablesChanged();
    for (auto& row : g_db->master) row[y] = &g_emptyTable;
    for (auto& cell : g_db->master[y]) cell = &g_emptyTable;
    std::memset(static_cast<void*>(c.valid), 0, sizeof(MemberTable));
    std::memset(static_cast<void*>(c.invalid), 0, sizeof(MemberTable));
    ClearHeader(*c.valid);
    ClearHeader(*c.invalid);
    c.key.clear();
    c.memberNames.clear();
    --g_db->defined;
  }
  c.defined = c.reserved = false;
}

// ---- names ---------------------------------------------------------------------------------------

void BuildClassMemberNames(uint32_t classId) {
  ClassSlot* c = SlotOf(classId);
  if (!c) return;
  c->memberNames.clear();
  for (int32_t i = 1; i < c->valid->count; ++i) {
    const MemberRecord& r = c->valid->records[i];
    if (r.id) c->memberNames.emplace(r.name, r.id);
  }
}

void BuildMemberNameHashes() {
  for (uint32_t i = 0; i < kMaxClasses; ++i) BuildClassMemberNames(ClassIdOfIndex(i));
}

void BuildClassNameHash() {
  if (!g_db) return;
  g_db->classNames.clear();
  for (uint32_t i = 0; i < kMaxClasses; ++i)
    if (g_db->classes[i].defined) g_db->classNames.emplace(g_db->classes[i].key, ClassIdOfIndex(i));
}

void ClearClassNameHash() {
  if (g_db) g_db->classNames.clear();
}

void BuildNameHashes() {
  BuildMemberNameHashes();
  BuildClassNameHash();
}

uint32_t FindMemberID(uint32_t classId, const char* name) {
  if (!name) return 0;
  std::string key(name);
  for (int guard = 0; guard < int(kMaxClasses); ++guard) {
    ClassSlot* c = SlotOf(classId);
    if (!c) return 0;
    auto it = c->memberNames.find(key);
    if (it != c->memberNames.end()) return it->second;
    if (!c->valid->baseId || ClassIndex(c->valid->baseId) == ClassIndex(classId)) return 0;
    classId = c->valid->baseId;
  }
  return 0;
}

uint32_t FindClassID(const char* name) {
  if (!g_db || !name) return 0;
  auto it = g_db->classNames.find(name);
  return it == g_db->classNames.end() ? 0 : it->second;
}

}  // namespace PM
