// Fixture of the tests on whole subtrees: nodes made by class name and placed under a parent, and the
// names of node lists and child lists as one text.
#pragma once

#include <string>

#include "scene/BaseTransform.h"
#include "scene/EngineWorld.h"

namespace PM::Test {

inline ScriptObject* SNodeOf(ScriptObject* n) { return MemberGet<VObject>(n, kMemberTNodeSNode); }

class TreeWorld : public EngineWorldTest {
 protected:
  void TearDown() override {
    m_roots.Clear();
    EngineWorldTest::TearDown();
  }
  // A new node of the class, the last child of `parent`, or a root kept by the fixture without one.
  ScriptObject* Add(const char* cls, const char* name, ScriptObject* parent = nullptr) {
    Obj<ScriptObject> n = Make(cls, name);
    if (parent)
      MemberSet<VObject>(n, kMemberTNodeParent, parent);
    else
      m_roots.Append(n);
    return n;
  }
  static std::string NameOf(ScriptObject* n) {
    return IsNilObject(n) ? "nil" : std::string(MemberGet<VString>(n, kMemberObjectName).CStr());
  }
  static std::string Names(const Array<Obj<ScriptObject>>& list) {
    std::string s;
    for (const Obj<ScriptObject>& n : list) s.append(s.empty() ? "" : " ").append(NameOf(n));
    return s;
  }
  static std::string ChildNames(ScriptObject* branch) {
    std::string s;
    for (int32_t i = 0, n = MemberSize(branch, kMemberTBranchChild); i < n; ++i)
      s.append(i ? " " : "").append(NameOf(MemberGetAt<VObject>(branch, kMemberTBranchChild, i)));
    return s;
  }
  // A chain of `depth` nodes of the class below `parent`; the deepest one is returned.
  ScriptObject* Chain(const char* cls, int depth, ScriptObject* parent) {
    for (int i = 0; i < depth; ++i) parent = Add(cls, "link", parent);
    return parent;
  }

  Array<Obj<ScriptObject>> m_roots;
};

}  // namespace PM::Test
