// Namespaces: global variables, classes newest first, children and paths, the object registry, functions.
#include "ScriptWorldFixture.h"
#include "script/object/ScriptFunction_I.h"
#include "script/object/ValueBox.h"

namespace PM::Test {
namespace {

using NamespaceTest = ScriptWorldTest;

Obj<ScriptNamespace_I> NewNamespace() {
  return Obj<ScriptNamespace_I>(static_cast<ScriptNamespace_I*>(ScriptNamespace::Create("root")));
}

TEST_F(NamespaceTest, GlobalVariablesAreDefinedReplacedAndRemoved) {
  Obj<ScriptNamespace_I> ns = NewNamespace();
  EXPECT_EQ(ns->GetVar("v"), nullptr);
  Obj<ScriptObject> five(NewBox<VI32>(5));
  EXPECT_TRUE(ns->SetVar(five, "v"));
  EXPECT_EQ(ns->GetVar("v"), five.Get());
  Obj<ScriptObject> text(NewBox<VString>(String("x")));
  EXPECT_TRUE(ns->SetVar(text, "v"));
  EXPECT_EQ(ns->GetVar("v"), text.Get());
  EXPECT_EQ(ns->FindObject("v"), text.Get());  // scripts read ":v" through the named-object look-up
  EXPECT_EQ(BlockRefCount(five), 1);           // the replaced value was released
  EXPECT_TRUE(ns->SetVar(nullptr, "none"));    // defined without value
  EXPECT_TRUE(IsNilObject(ns->GetVar("none")));
  EXPECT_TRUE(IsNilObject(ns->FindObject("none")));
  ns->RemoveVar("v");
  EXPECT_TRUE(IsNilObject(ns->FindObject("v")));
  ns->RemoveVar("never");
  EXPECT_EQ(ns->GetVar("v"), nullptr);
  EXPECT_EQ(BlockRefCount(text), 1);
  EXPECT_EQ(TakeLog(), "");
  EXPECT_FALSE(ns->SetVar(five, ""));
  EXPECT_NE(TakeLog().find("ScriptNamespace::SetVar: a global variable needs a name."), std::string::npos);
}

TEST_F(NamespaceTest, ClassLookUpFindsTheNewestFirst) {
  Obj<ScriptNamespace_I> ns = NewNamespace();
  Obj<ScriptClass_I> older = MakeClass("Old", 0, [](ScriptClass&) {});
  Obj<ScriptClass_I> newer(static_cast<ScriptClass_I*>(ScriptClass::Create()));
  ns->AddClass(older);
  ns->AddClass(newer);
  EXPECT_EQ(ns->FindClass("Old"), older.Get());
  EXPECT_EQ(ns->FindClassIdByName("Old"), older->GetClassID());
  // A second class of the same name (a script may shadow its own) is found first.
  Obj<ScriptClass_I> shadow(static_cast<ScriptClass_I*>(ScriptClass::Create()));
  ASSERT_TRUE(shadow->DefFromBase("Old", 0));
  ns->AddClass(shadow);
  EXPECT_EQ(ns->FindClass("Old"), shadow.Get());
  EXPECT_EQ(ns->FindClass("Missing"), nullptr);
  EXPECT_EQ(ns->FindClassIdByName("Missing"), 0u);
}

TEST_F(NamespaceTest, ObjectsAreFoundByHandleByNameAndAmongTheUnnamed) {
  Obj<ScriptNamespace_I> ns = NewNamespace();
  Obj<ScriptObject> a(NewBox<VI32>(1)), b(NewBox<VI32>(2)), c(NewBox<VI32>(3)), d(NewBox<VI32>(4));
  EXPECT_TRUE(ns->RegisterObject(a, 0x42));
  EXPECT_TRUE(ns->RegisterObject(b, 0));
  EXPECT_TRUE(ns->RegisterNamedObject(c, "cam"));
  EXPECT_TRUE(ns->RegisterNamedObject(d, ""));
  EXPECT_EQ(ns->FindObjectByHandle(0x42), a.Get());
  EXPECT_TRUE(IsNilObject(ns->FindObjectByHandle(0x43)));
  EXPECT_EQ(ns->FindObject("cam"), c.Get());
  EXPECT_TRUE(IsNilObject(ns->FindObject("lamp")));
  ASSERT_EQ(ns->GetUnnamedObjectCount(), 2);
  EXPECT_EQ(ns->GetUnnamedObject(0), b.Get());
  EXPECT_EQ(ns->GetUnnamedObject(1), d.Get());
  EXPECT_TRUE(IsNilObject(ns->GetUnnamedObject(2)));
  EXPECT_TRUE(ns->RegisterNamedObject(a, "cam"));  // a name registered again is replaced
  EXPECT_EQ(ns->FindObject("cam"), a.Get());
  EXPECT_FALSE(ns->RegisterObject(NilScriptObject(), 7));
  EXPECT_NE(TakeLog().find("no object to register"), std::string::npos);
}

TEST_F(NamespaceTest, ChildrenAndPaths) {
  Obj<ScriptNamespace_I> ns = NewNamespace();
  auto* a = static_cast<ScriptNamespace_I*>(ns->GetOrCreateChild("a"));
  auto* b = static_cast<ScriptNamespace_I*>(a->GetOrCreateChild("b"));
  auto* c = static_cast<ScriptNamespace_I*>(ns->GetOrCreateChild("c"));
  EXPECT_EQ(ns->GetOrCreateChild("a"), a);
  EXPECT_EQ(b->GetParent(), a);
  EXPECT_EQ(ns->FindChild("a", false), a);
  // A first path segment is also looked for up the parents; later segments are not.
  EXPECT_TRUE(IsNilObject(b->FindChild("c", false)));
  EXPECT_EQ(b->FindChild("c", true), c);
  EXPECT_EQ(ns->FindPath("a:b"), b);
  EXPECT_EQ(b->FindPath("c"), c);
  EXPECT_EQ(TakeLog(), "");
  EXPECT_TRUE(IsNilObject(ns->FindPath("a:x:b")));
  EXPECT_NE(TakeLog().find("ScriptNamespace::FindPath: unknown namespace \"x\" in \"a:x:b\"."), std::string::npos);
  // A child held elsewhere outlives its parent and forgets it.
  Obj<ScriptObject> kept(b);
  ns.Clear();
  EXPECT_EQ(static_cast<ScriptNamespace_I*>(kept.Get())->GetParent(), nullptr);
}

Obj<ScriptObject> Twice(uint32_t, int32_t argc, ScriptObject** argv) {
  if (argc != 1 || argv[0]->GetClassID() != kClassI32) return Obj<ScriptObject>();
  return Obj<ScriptObject>(NewBox<VI32>(2 * static_cast<ValueBox<VI32>*>(argv[0])->value));
}

TEST_F(NamespaceTest, NamespaceFunctionsTakeRunTimeIdsAndGiveThemBack) {
  Obj<ScriptNamespace_I> ns = NewNamespace();
  Obj<ScriptFunction_I> fn(static_cast<ScriptFunction_I*>(ScriptFunction::Create("twice", &Twice)));
  ASSERT_FALSE(fn.IsNil());
  uint32_t id = fn->GetFunctionID();
  EXPECT_GE(id, kFirstRuntimeFunction);
  ns->AddFunction(fn);
  EXPECT_EQ(ns->FindFunctionIdByName("twice"), id);
  EXPECT_EQ(FindFunctionID("twice"), 0u);  // not a global name
  Obj<ScriptObject> arg(NewBox<VI32>(21));
  ScriptObject* argv[] = {arg};
  Obj<ScriptObject> r = CallGlobalFunction(id, 1, argv);
  EXPECT_EQ(static_cast<ValueBox<VI32>*>(r.Get())->value, 42);
  EXPECT_STREQ(GlobalFunctionName(id), "twice");
  fn.Clear();
  ns.Clear();
  EXPECT_STREQ(GlobalFunctionName(id), "");
  EXPECT_TRUE(CallGlobalFunction(id, 1, argv).IsNil());
  EXPECT_NE(TakeLog().find("CallGlobalFunction: no function 0x"), std::string::npos);
}

TEST_F(NamespaceTest, BadFunctionsAndBadCallsAreRefusedWithAMessage) {
  EXPECT_TRUE(IsNilObject(ScriptFunction::Create("", &Twice)));
  EXPECT_TRUE(IsNilObject(ScriptFunction::Create("f", nullptr)));
  EXPECT_EQ(Count(TakeLog(), "ScriptFunction::Create: a function needs a name, a body and a started script world."), 2);
  EXPECT_FALSE(SetGlobalFunction(0, "zero", &Twice));
  EXPECT_FALSE(SetGlobalFunction(kGlobalFunctionCount, "far", &Twice));
  EXPECT_FALSE(SetGlobalFunction(40, "", &Twice));
  EXPECT_FALSE(SetGlobalFunction(41, "none", nullptr));
  EXPECT_EQ(Count(TakeLog(), "SetGlobalFunction: invalid function 0x"), 4);
  EXPECT_FALSE(SetGlobalFunction(kFunctionSqrt, "Root", &Twice));  // a taken entry keeps its function
  EXPECT_NE(TakeLog().find("SetGlobalFunction: function 0x0006 is already \"Sqrt\"."), std::string::npos);
  EXPECT_STREQ(GlobalFunctionName(kFunctionSqrt), "Sqrt");
  EXPECT_EQ(FindFunctionID("Root"), 0u);
  EXPECT_TRUE(CallGlobalFunction(kFunctionSqrt, -1, nullptr).IsNil());
  EXPECT_TRUE(CallGlobalFunction(kFunctionSqrt, 1, nullptr).IsNil());
  EXPECT_EQ(Count(TakeLog(), "CallGlobalFunction: invalid arguments for function 0x0006 \"Sqrt\"."), 2);
  EXPECT_TRUE(CallGlobalFunction(kGlobalFunctionCount + 5, 0, nullptr).IsNil());
  EXPECT_NE(TakeLog().find("CallGlobalFunction: no function 0x0405."), std::string::npos);
}

}  // namespace
}  // namespace PM::Test
