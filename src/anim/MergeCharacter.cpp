#include "anim/MergeCharacter.h"

#include <algorithm>

#include "anim/AnimationClip.h"
#include "anim/AnimationLibrary.h"
#include "anim/AnimationScheduler.h"
#include "anim/CharacterNames.h"
#include "anim/ConnectionGroup.h"
#include "anim/ParentCurveRemap.h"
#include "core/Log.h"
#include "script/object/MemberAccess.h"

namespace PM {

namespace {

// Members whose curves hold parent ids.
constexpr uint32_t kMemberParentControlParentID = 0x03FFF0F0;
constexpr uint32_t kMemberConstraintParentIDArray = 0x03FFF05A;

// A connection as the match compares it: the object's name instead of the object.
struct ConnectionKey {
  String name;
  uint32_t member = 0;
  int32_t memberIndex = 0;
  uint32_t memberMask = 0;
};

int32_t ConnectionCount(ScriptObject* group) {
  return group->IsA(ConnectionGroup_I::kClassId) ? MemberSize(group, kMemberConnectionObject) : 0;
}

Array<ConnectionKey> ReadKeys(ScriptObject* group, int32_t n) {
  Array<ConnectionKey> keys;
  keys.Reserve(n);
  for (int32_t i = 0; i < n; ++i)
    keys.Append({NameOfObject(MemberGetAt<VObject>(group, kMemberConnectionObject, i)),
                 MemberGetAt<VMemberID>(group, kMemberConnectionMember, i),
                 MemberGetAt<VI32>(group, kMemberConnectionMemberIndex, i),
                 MemberGetAt<VU32>(group, kMemberConnectionMemberMask, i)});
  return keys;
}

bool SameConnection(const ConnectionKey& t, const ConnectionKey& s, const Array<String>& pairs) {
  return t.member == s.member && t.memberIndex == s.memberIndex && t.memberMask == s.memberMask &&
         CharacterNamesMatch(t.name.View(), s.name.View(), pairs);
}

void ReportRelocated(const String& sourceName, ScriptObject* sourceGroup) {
  LogError("MergeCharacter: character connection \"", sourceName, "\" is relocated in source character \"",
           NameOfObject(sourceGroup), "\" and multiple nodes have identical names.");
}

// For each target connection j, the source index of the same connection (-1 when none). False when
// the groups cannot be merged: a connection is missing, or two target connections found one source
// connection (rewriting the group by such a map would duplicate one connection and lose another).
bool BuildConnectionMap(ScriptObject* targetGroup, ScriptObject* sourceGroup, const Array<String>& pairs,
                        Array<int32_t>* map, bool* reorder) {
  int32_t targetCount = ConnectionCount(targetGroup);
  int32_t sourceCount = ConnectionCount(sourceGroup);
  bool ok = targetCount == sourceCount;
  if (!ok) LogError("MergeCharacter: different amount of subclips in \"", NameOfObject(targetGroup), "\".");
  int32_t n = std::min(targetCount, sourceCount);
  Array<ConnectionKey> target = ReadKeys(targetGroup, n);
  Array<ConnectionKey> source = ReadKeys(sourceGroup, n);
  map->SetCountFill(n, -1);
  for (int32_t j = n - 1; j >= 0; --j) {
    if (SameConnection(target[j], source[j], pairs)) {
      (*map)[j] = j;
      continue;
    }
    *reorder = true;
    for (int32_t k = n - 1; k >= 0; --k) {
      if (!SameConnection(target[j], source[k], pairs)) continue;
      if ((*map)[j] >= 0) ReportRelocated(source[k].name, sourceGroup);
      (*map)[j] = k;
    }
    if ((*map)[j] < 0) {
      LogError("MergeCharacter: character connection \"", target[j].name, "\" is missing in source character \"",
               NameOfObject(sourceGroup), "\".");
      ok = false;
    }
  }
  Array<int32_t> claimedBy;
  claimedBy.SetCountFill(n, -1);
  for (int32_t j = n - 1; j >= 0; --j) {
    int32_t k = (*map)[j];
    if (k < 0) continue;
    if (claimedBy[k] >= 0) {
      ReportRelocated(source[k].name, sourceGroup);
      ok = false;
    }
    claimedBy[k] = j;
  }
  return ok;
}

// Puts target connection j at index map[j], so that the group lists the source's order.
void ReorderGroup(ScriptObject* group, const Array<int32_t>& map) {
  int32_t n = map.Count();
  Array<Connection> saved;
  saved.Reserve(n);
  for (int32_t j = 0; j < n; ++j)
    saved.Append({MemberGetAt<VObject>(group, kMemberConnectionObject, j),
                  MemberGetAt<VMemberID>(group, kMemberConnectionMember, j),
                  MemberGetAt<VI32>(group, kMemberConnectionMemberIndex, j),
                  MemberGetAt<VU32>(group, kMemberConnectionMemberMask, j)});
  for (int32_t j = n - 1; j >= 0; --j) {
    const Connection& c = saved[j];
    MemberSetAt<VObject>(group, kMemberConnectionObject, map[j], c.object);
    MemberSetAt<VMemberID>(group, kMemberConnectionMember, map[j], c.member);
    MemberSetAt<VI32>(group, kMemberConnectionMemberIndex, map[j], c.memberIndex);
    MemberSetAt<VU32>(group, kMemberConnectionMemberMask, map[j], c.memberMask);
  }
}

// Points the ports of every library of the target's clips at the reordered connections, once per
// library however many clips share it.
void RepointLibraries(ScriptObject* scheduler, const Array<int32_t>& map) {
  Array<ScriptObject*> done;
  int32_t clips = MemberSize(scheduler, kMemberSchedulerAnimationClip);
  for (int32_t c = 0; c < clips; ++c) {
    ScriptObject* clip = MemberGetAt<VObject>(scheduler, kMemberSchedulerAnimationClip, c);
    if (!clip->IsA(AnimationClip_I::kClassId)) continue;
    ScriptObject* library = MemberGet<VObject>(clip, kMemberClipAnimationLibrary);
    if (!library->IsA(AnimationLibrary_I::kClassId)) continue;
    if (done.Find(library) >= 0) {
      LogDebug("MergeCharacter: clipLibrary \"", NameOfObject(library), "\" is shared among multiple clips.");
      continue;
    }
    done.Append(library);
    int32_t ports = MemberSize(library, kMemberLibraryGroupPort);
    for (int32_t b = 0; b < ports; ++b) {
      int32_t p = MemberGetAt<VI32>(library, kMemberLibraryGroupPort, b);
      if (p < 0) continue;
      if (p >= map.Count()) {
        LogError("MergeCharacter: reorder detected out of range library port.");
        MemberSetAt<VI32>(library, kMemberLibraryGroupPort, b, -1);
      } else {
        MemberSetAt<VI32>(library, kMemberLibraryGroupPort, b, map[p]);
      }
    }
  }
}

// Gives the copy's parent-id curves the exchanged ranges, in a library of the copy's own.
void RemapParentIds(AnimationClip_I* copy, ScriptObject* targetGroup, const Vector4f& swap) {
  Obj<ScriptObject> library(MemberGet<VObject>(copy, kMemberClipAnimationLibrary));
  if (!library->IsA(AnimationLibrary_I::kClassId) || !targetGroup->IsA(ConnectionGroup_I::kClassId)) return;
  bool copied = false;
  int32_t ports = MemberSize(library, kMemberLibraryGroupPort);
  for (int32_t b = 0; b < ports; ++b) {
    int32_t port = MemberGetAt<VI32>(library, kMemberLibraryGroupPort, b);
    uint32_t member = MemberGetAt<VMemberID>(targetGroup, kMemberConnectionMember, port);
    if (member != kMemberParentControlParentID && member != kMemberConstraintParentIDArray) continue;
    if (RemapParentCurve(library, b, &copied, swap)) MemberSet<VObject>(copy, kMemberClipAnimationLibrary, library);
  }
}

bool IsScheduler(ScriptObject* o) {
  if (o->IsA(AnimationScheduler_I::kClassId)) return true;
  ScriptObject::ExpectFailed(o, AnimationScheduler_I::kClassId);
  return false;
}

}  // namespace

void MergeCharacter(ScriptObject* target, ScriptObject* source, double timeOffset, const Array<String>& renameRules,
                    const Array<String>& namePairs, const Vector4f& swap) {
  if (!target) target = NilScriptObject();
  if (!source) source = NilScriptObject();
  Array<RenameRule> rules;
  for (int32_t i = 0; i < renameRules.Count(); ++i) {
    RenameRule rule;
    if (ParseRenameRule(renameRules[i].View(), &rule))
      rules.Append(rule);
    else
      LogError("MergeCharacter: invalid substanim value \"", renameRules[i], "\".");
  }
  if (renameRules.IsEmpty()) LogWarn("MergeCharacter: empty substanim array.");
  if (!IsScheduler(target) || !IsScheduler(source)) return;

  Obj<ScriptObject> targetGroup(MemberGet<VObject>(target, kMemberSchedulerConnectionGroup));
  Obj<ScriptObject> sourceGroup(MemberGet<VObject>(source, kMemberSchedulerConnectionGroup));
  Array<int32_t> map;
  bool reorder = false;
  if (!BuildConnectionMap(targetGroup, sourceGroup, namePairs, &map, &reorder)) return;
  if (reorder) {
    ReorderGroup(targetGroup, map);
    RepointLibraries(target, map);
  }

  int32_t next = MemberSize(target, kMemberSchedulerAnimationClip);
  // Counted once: merging a scheduler into itself must not walk the copies it appends.
  int32_t count = MemberSize(source, kMemberSchedulerAnimationClip);
  for (int32_t i = 0; i < count; ++i) {
    ScriptObject* entry = MemberGetAt<VObject>(source, kMemberSchedulerAnimationClip, i);
    if (!entry->IsA(AnimationClip_I::kClassId)) {
      ScriptObject::ExpectFailed(entry, AnimationClip_I::kClassId);
      continue;
    }
    AnimationClip_I* clip = static_cast<AnimationClip_I*>(entry);
    Obj<AnimationClip_I> copy = clip->Clone();
    RemapParentIds(copy, targetGroup, swap);
    MemberSet<VString>(copy, kMemberObjectName, ApplyRenameRules(MemberGet<VString>(copy, kMemberObjectName), rules));
    MemberSet<VF64>(copy, kMemberClipStartTime, MemberGet<VF64>(clip, kMemberClipStartTime) + timeOffset);
    MemberSetAt<VObject>(target, kMemberSchedulerAnimationClip, next++, copy.Get());
  }
}

}  // namespace PM
