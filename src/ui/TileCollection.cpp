#include "ui/TileCollection.h"

#include "render/RenderShader.h"
#include "script/object/ValueBox.h"

namespace PM {

namespace {

using Tiles = ArrayBox<VI32>;

Tiles* TilesOf(const NameHashEntry* e) { return e ? static_cast<Tiles*>(e->value.Get()) : nullptr; }

// NameArray as an indexed member: reads past the end give the empty string, writes grow with it.
struct NameAccess {
  static String ReadAt(ScriptObject* o, uint32_t m, int32_t i) {
    auto* t = static_cast<TileCollection_I*>(o);
    if (i < 0) ReportBadIndex("Get", o, m, i, t->m_nameArray.Count());
    return t->NameAt(i);
  }
  static void WriteAt(ScriptObject* o, uint32_t m, int32_t i, const String& v) {
    auto* t = static_cast<TileCollection_I*>(o);
    if (SetIndexOk(o, m, i, t->m_nameArray.Count())) t->SetNameAt(i, v);
  }
  static int32_t Count(ScriptObject* o) { return static_cast<TileCollection_I*>(o)->m_nameArray.Count(); }
  static void Remove(ScriptObject* o, int32_t start, int32_t count) {
    static_cast<TileCollection_I*>(o)->RemoveNames(start, count);
  }
};

MemberDef NameArrayMember(uint32_t id, const char* name) {
  using Th = IndexedThunks<VString, NameAccess>;
  return MakeMemberDef<VString, kShapeIndexed>(id, name, FormFlags<VString, kShapeIndexed>(), Th::GetFn(), Th::SetFn(),
                                               EraseFn(&Th::Size), EraseFn(&Th::Remove));
}

}  // namespace

void TileCollection_I::Define() {
  DefineUIClass<TileCollection_I, Object_I>();
  const MemberDef members[] = {
      FilledIndexedMember<&TileCollection_I::m_shaderArray>(0x01FFF0E2, "ShaderArray", 0x4),
      FilledIndexedMember<&TileCollection_I::m_colorArray, &TileCollection_I::WhiteFill>(0x02FFF0E2, "ColorArray"),
      FilledIndexedMember<&TileCollection_I::m_tileSelectArray, &TileCollection_I::NoTileFill>(0x03FFF0E2,
                                                                                               "TileSelectArray"),
      NameArrayMember(0x04FFF0E2, "NameArray"),
      FilledIndexedMember<&TileCollection_I::m_hotSpotArray>(0x05FFF0E2, "HotSpotArray"),
  };
  DefineMembers(members);
}

int32_t TileCollection_I::FindName(const String& name) {
  if (name.IsEmpty() || m_nameIndex.IsEmpty()) return -1;
  Tiles* tiles = TilesOf(m_nameIndex.FindEntry(name));
  if (!tiles || tiles->value.Count() == 0) return -1;
  return tiles->value[tiles->value.Count() - 1];
}

String TileCollection_I::NameAt(int32_t index) const {
  if (index < 0 || index >= m_nameArray.Count()) return String();
  return m_nameArray[index];
}

void TileCollection_I::SetNameAt(int32_t index, const String& name) {
  if (index < 0) return;
  if (index >= m_nameArray.Count()) m_nameArray.Grow(index + 1);
  Unindex(index);
  m_nameArray[index] = name;
  Index(index);
}

void TileCollection_I::RemoveNames(int32_t start, int32_t count) {
  int32_t n = m_nameArray.Count();
  if (start < 0 || start >= n || count == 0) return;
  int32_t removed = (count < 0 || count > n - start) ? n - start : count;
  for (int32_t i = start; i < start + removed; ++i) Unindex(i);
  // Later tiles move down by `removed`; renumbering in ascending order never meets a number still in use.
  for (int32_t i = start + removed; i < n; ++i) {
    const String& name = m_nameArray[i];
    if (name.IsEmpty()) continue;
    if (Tiles* tiles = TilesOf(m_nameIndex.FindEntry(name))) {
      int32_t at = tiles->value.Find(i);
      if (at >= 0) tiles->value[at] = i - removed;
    }
  }
  m_nameArray.Remove(start, removed);
}

// Takes tile `index` out of the entry of the name it holds; an entry left without tiles goes.
void TileCollection_I::Unindex(int32_t index) {
  const String& name = m_nameArray[index];
  if (name.IsEmpty() || m_nameIndex.IsEmpty()) return;
  uint32_t hash = name.GetHash();
  Tiles* tiles = TilesOf(m_nameIndex.FindEntry(hash, name));
  if (!tiles) return;
  tiles->value.Remove(tiles->value.Find(index));
  if (tiles->value.Count() > 0) return;
  m_nameIndex.Remove(hash, name);
  if (m_nameIndex.IsEmpty()) m_nameIndex.Clear();  // back to no table, as a new collection has
}

// Enters tile `index` as the newest holder of its name.
void TileCollection_I::Index(int32_t index) {
  const String& name = m_nameArray[index];
  if (name.IsEmpty()) return;
  uint32_t hash = name.GetHash();
  if (Tiles* tiles = TilesOf(m_nameIndex.FindEntry(hash, name))) {
    tiles->value.Append(index);
    return;
  }
  auto* tiles = static_cast<Tiles*>(Tiles::New());
  tiles->value.Append(index);
  m_nameIndex.Set(hash, name, tiles);
}

}  // namespace PM
