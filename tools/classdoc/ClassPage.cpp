#include "ClassPage.h"

#include <algorithm>
#include <cctype>
#include <cstdio>

#include "classes/EngineClassIds.h"
#include "core/Obj.h"
#include "scene/VertexDataUsage.h"
#include "script/object/ClassDatabase.h"
#include "script/object/MemberAccess.h"
#include "script/object/ScriptObject.h"
#include "storage/Streams.h"

namespace PM::ClassDoc {

namespace {

// Longer default values (a filled array) are cut here.
constexpr size_t kMaxDefaultChars = 60;

struct ClassInfo {
  uint32_t id;
  const MemberTable* table;
};

std::string Anchor(const std::string& name) {
  std::string a = name;
  std::transform(a.begin(), a.end(), a.begin(), [](unsigned char c) { return char(std::tolower(c)); });
  return a;
}

std::string HexId(uint32_t id) {
  char text[16];
  std::snprintf(text, sizeof text, "0x%08X", id);
  return text;
}

// Text inside a table cell's code span: one line, no column bars.
std::string CellCode(std::string text) {
  for (char& c : text)
    if (c == '\n' || c == '\r' || c == '\t') c = ' ';
  if (text.size() > kMaxDefaultChars) text = text.substr(0, kMaxDefaultChars) + "...";
  std::string cell;
  for (char c : text) cell += c == '|' ? std::string("\\|") : std::string(1, c);
  return cell.empty() ? "" : "`" + cell + "`";
}

bool IsObjectClass(const MemberTable* t) { return t && t->kind == kClassKindObject; }

// Whether `id` is `ancestor` or derives from it; the walk is bounded by the class count.
bool DerivesFrom(uint32_t id, uint32_t ancestor) {
  for (uint32_t step = 0; step < kMaxClasses && id; ++step) {
    if (id == ancestor) return true;
    const MemberTable* t = ValidTable(id);
    if (!t) return false;
    id = t->baseId;
  }
  return false;
}

// The bases of a class up to Object as links, nearest first: "[SSimpleTransform](#...) → ...".
std::string BaseChain(uint32_t id) {
  std::string chain;
  const MemberTable* t = ValidTable(id);
  for (uint32_t step = 0; step < kMaxClasses && t && t->baseId; ++step) {
    const MemberTable* base = ValidTable(t->baseId);
    if (!IsObjectClass(base) || ClassIndex(t->baseId) < ClassIndex(ClassId::Object)) break;
    chain += (chain.empty() ? "" : " → ") + std::string("[") + base->name + "](#" + Anchor(base->name) + ")";
    t = base;
  }
  return chain;
}

// The type column; an enum member's enum type is read from its default (`defaultText`, "A.BEnum.C").
std::string MemberType(const MemberRecord& r, const std::string& defaultText) {
  if (r.flags & kMemberFunction) return "function";
  std::string type = r.valueType == kClassScriptObject ? "object" : ClassKeyName(r.valueType);
  size_t dot = defaultText.rfind('.');
  if (r.valueType == kClassEnum && dot != std::string::npos && dot > 0) type = defaultText.substr(0, dot);
  if (r.flags & kMemberArray) return "array of " + type;
  if (r.flags & kMemberIndexed) return "indexed " + type;
  return type;
}

// The member's value in `sample`, a new object, in the script's literal syntax; an object reference as
// Nil or the class of the object it holds. Empty when there is none to show: an object reference of an
// abstract class (each concrete class makes its own) or a member without a value.
std::string DefaultText(ScriptObject* sample, bool sampleIsOwn, const MemberRecord& r, const MemberRecord& stub) {
  if (!sample || (r.flags & kMemberFunction) || !r.ops.write || r.ops.write == stub.ops.write) return "";
  if ((r.flags & kMemberShape) == 0 && (r.flags & kMemberObjectRef)) {
    if (!sampleIsOwn) return "";
    ScriptObject* v = MemberGet<VObject>(sample, r.id);
    return !v || IsNilObject(v) ? "Nil" : std::string("new ") + ClassName(v->GetClassID());
  }
  StreamPipeRef out(NewMemoryStream());
  MemberWrite(sample, r.id, out);
  size_t n = 0;
  const uint8_t* bytes = MemoryStreamData(out.Get(), &n);
  return std::string(reinterpret_cast<const char*>(bytes), n);
}

void WriteMembers(std::string& page, const ClassInfo& c, ScriptObject* sample, bool sampleIsOwn) {
  const MemberTable* stubs = InvalidTable(c.id);
  bool any = false;
  for (int32_t i = 1; i < c.table->count; ++i) {
    const MemberRecord& r = c.table->records[i];
    if (!r.id) continue;
    if (!any) page += "| member | type | default | read-only |\n|---|---|---|---|\n";
    any = true;
    bool function = r.flags & kMemberFunction;
    bool readOnly = !function && (!r.ops.set || r.ops.set == stubs->records[i].ops.set);
    std::string value = DefaultText(sample, sampleIsOwn, r, stubs->records[i]);
    page += "| " + std::string(r.name) + " | " + MemberType(r, value) + " | " + CellCode(value) + " | " +
            (function   ? ""
             : readOnly ? "yes"
                        : "no") +
            " |\n";
  }
  if (!any) page += "No members of its own.\n";
}

// Each enum type with its values in index order.
void WriteEnums(std::string& page, const std::vector<uint32_t>& ids) {
  for (uint32_t id : ids) {
    const MemberTable* e = ValidTable(id);
    page += "\nEnum `" + std::string(ClassKeyName(id)) + "`:";
    for (int32_t i = 1; i < e->count; ++i)
      if (e->records[i].id) page += std::string(" `") + e->records[i].name + "`";
    page += "\n";
  }
}

// The usage words of VertexData streams, from the table the drawing code takes its kinds from.
void WriteVertexUsages(std::string& page) {
  page +=
      "\nThe usage words the drawing code reads. `Usage` is kind << 16 | slot, a U32 (written with a `u`, as "
      "`0x10000u`); of several streams of one geometry with the same `Usage`, the first is read.\n\n"
      "| Usage | slot | class | each element |\n|---|---|---|---|\n";
  for (const VertexUsageRow& row : kVertexUsages) {
    char word[32];
    std::snprintf(word, sizeof word, "`0x%Xu`", unsigned(VertexUsageWord(row.kind, 0)));
    page += "| " + std::string(word) + (row.slot ? std::string(" + ") + row.slot : "") + " | " +
            (row.slot ? std::string(row.slot) + ": " + row.counts : std::string("0 only")) + " | " +
            ClassName(row.classId) + " | " + row.element + " |\n";
  }
  char limit[32];
  std::snprintf(limit, sizeof limit, "`0x%Xu`", unsigned(VertexUsageWord(kVertexUsageKindCount, 0)));
  page += "\nStreams of the other kinds below " + std::to_string(kVertexUsageKindCount) +
          " are kept but read by nothing; a usage of " + limit + " or more is ignored.\n";
}

}  // namespace

std::string WriteClassPage(const std::map<std::string, std::string>& purposes, std::vector<std::string>& unexplained) {
  std::map<std::string, ClassInfo> classes;
  std::map<std::string, std::vector<uint32_t>> enumsByOwner;
  // The object model's own classes (values, arrays) come before the first engine class; its enum types
  // (EulerRotationOrder) are listed with the engine's.
  for (uint32_t index = 1; index < kFirstRuntimeClass; ++index) {
    uint32_t id = ClassIdOfIndex(index);
    const MemberTable* t = ValidTable(id);
    if (IsObjectClass(t) && index >= ClassIndex(ClassId::Object))
      classes[t->name] = {id, t};
    else if (t && t->kind == kClassKindEnum)
      enumsByOwner[t->nameSpace ? t->nameSpace : ""].push_back(id);
  }

  std::string page =
      "# Engine classes\n\n"
      "Every class a script can create or derive from, read from the class tables the library defines at\n"
      "start-up (`tools/classdoc`; do not edit this page: after changing a class table or the first comment of\n"
      "a class header, run `build/tools/classdoc/classdoc --write`, and `tools/test` checks that it is current).\n\n"
      "Each class shows the classes it derives from, its class id, what it is for (the first sentence of its\n"
      "header), its own members and the enum types it owns. A member's default is its value in a new object, in\n"
      "the script's literal syntax; an object reference shows `Nil` or the class of the object a new one gets.\n"
      "An abstract class shows the defaults of its first concrete class by name, but no object references\n"
      "(each class makes its own). A read-only member can be read (`.M?`) but not set. Types: `object` is a\n"
      "reference to any object; an indexed member holds a list read and set element by element (`.M[i]`,\n"
      "`.M << v`), an array member a whole array value. Enum values are written `Owner.Enum.Value`, e.g.\n"
      "`Primitive.TypeEnum.Triangle`. See [the script language](script-language.md) for the syntax.\n\n"
      "| class | derives from | purpose |\n|---|---|---|\n";
  for (const auto& [name, c] : classes) {
    auto p = purposes.find(name);
    if (p == purposes.end()) unexplained.push_back(name);
    page += "| [" + name + "](#" + Anchor(name) + ") | " + ClassName(c.table->baseId) + " | " +
            (p == purposes.end() ? "" : p->second) + " |\n";
  }

  for (const auto& [name, c] : classes) {
    page += "\n## " + name + "\n\n";
    std::string chain = BaseChain(c.id);
    page += "Class id " + HexId(c.id) + (c.table->factory ? "" : ", abstract") +
            (chain.empty() ? ", a root class" : ", derives from " + chain) + ".\n";
    if (auto p = purposes.find(name); p != purposes.end()) page += p->second + "\n";
    page += "\n";
    // The defaults come from a new object of the class, or of the first concrete class below it.
    Obj<ScriptObject> sample;
    for (const auto& [otherName, other] : classes)
      if (other.table->factory && DerivesFrom(other.id, c.id) && (other.id == c.id || sample.IsNil()))
        sample = Obj<ScriptObject>(ScriptObject::Create(other.id));
    WriteMembers(page, c, sample.IsNil() ? nullptr : sample.Get(), c.table->factory != nullptr);
    if (c.id == ClassId::VertexData) WriteVertexUsages(page);
    WriteEnums(page, enumsByOwner[name]);
    enumsByOwner.erase(name);
  }
  page += "\n## Enum types of no class\n";
  for (const auto& [owner, ids] : enumsByOwner) WriteEnums(page, ids);
  return page;
}

}  // namespace PM::ClassDoc
