// UI objects made from the class table: creation by id, members set and read back in every form.
#include "UIFixture.h"
#include "classes/EngineClassRegistry.h"
#include "script/object/GlobalFunctions.h"
#include "ui/WidgetClasses.h"
#include "ui/Window.h"

namespace PM::Test {
namespace {

const uint32_t kConcrete[] = {
    0x0D1, 0x0D0, 0x0D2, 0x0D3, 0x0D7, 0x0BC, 0x0D6, 0x0C4, 0x0DB, 0x0BD, 0x0EA, 0x0EB, 0x0E3,
    0x0ED, 0x0EC, 0x0E9, 0x0CE, 0x0CD, 0x0CC, 0x0CF, 0x0E4, 0x0C6, 0x0E5, 0x0E7, 0x0C7, 0x0C8,
    0x0EE, 0x0CB, 0x0CA, 0x0C9, 0x0E1, 0x0DD, 0x0DC, 0x0DE, 0x0DF, 0x0E0, 0x0E2, 0x0E8,
};

// Holds a new object of a class for the length of a test.
Obj<ScriptObject> Make(uint32_t index) { return Obj<ScriptObject>(ScriptObject::Create(ClassIdOfIndex(index))); }

TEST_F(UITableTest, EveryConcreteClassCanBeCreated) {
  ASSERT_EQ(std::size(kConcrete), 38u);
  for (uint32_t index : kConcrete) {
    uint32_t id = ClassIdOfIndex(index);
    for (uint32_t extra : {0u, 64u}) {
      Obj<ScriptObject> o(extra ? ScriptObject::CreateExtra(id, extra) : ScriptObject::Create(id));
      ASSERT_FALSE(o.IsNil()) << ClassName(id);
      EXPECT_EQ(o->GetClassID(), id);
      EXPECT_TRUE(o->IsA(0xFFFFF040)) << ClassName(id);  // every UI object class is an Object
    }
  }
  EXPECT_EQ(TakeLog(), "");
}

TEST_F(UITableTest, WidgetAndEnumerationsCannotBeCreated) {
  for (uint32_t index : {0x0D8u, 0x0D5u, 0x0E6u, 0x0DAu, 0x0D9u}) {
    Obj<ScriptObject> o(ScriptObject::Create(ClassIdOfIndex(index)));
    EXPECT_TRUE(o.IsNil()) << ClassName(ClassIdOfIndex(index));
  }
  TakeLog();
}

TEST_F(UITableTest, WindowCarriesAWindowDescription) {
  for (int extra = 0; extra < 2; ++extra) {
    Obj<ScriptObject> w(extra ? ScriptObject::CreateExtra(0xFFFFF0D0, 16) : ScriptObject::Create(0xFFFFF0D0));
    ScriptObject* s = static_cast<TWindow_I*>(w.Get())->GetSNode();
    ASSERT_NE(s, nullptr);
    EXPECT_EQ(s->GetClassID(), 0xFFFFF0D1u);
    EXPECT_TRUE(s->IsA(0xFFFFF042));
  }
}

TEST_F(UITableTest, NewObjectsStartWithTheirDefaults) {
  Obj<ScriptObject> window = Make(0x0D0), button = Make(0x0E9), popup = Make(0x0EE), transform = Make(0x0DF);
  Obj<ScriptObject> font = Make(0x0D3), key = Make(0x0BC);
  EXPECT_EQ(MemberGet<VVector3f>(window, 0x02FFF0D0), (Vector3f{2048, 1536, 2048}));
  EXPECT_TRUE(MemberGet<VBool>(window, 0x03FFF0D0));
  EXPECT_EQ(MemberGet<VI32>(button, 0x02FFF0E9), -1);               // IconID
  EXPECT_EQ(MemberGet<VEnum>(button, 0x08FFF0D8), 0x02FFF0DAu);     // ResizeModeX: ResizeMin
  EXPECT_EQ(MemberGet<VEnum>(button, 0x0DFFF0D8), 0x02FFF0D9u);     // AlignmentModeZ: AlignMin
  EXPECT_EQ(MemberGet<VI32>(button, 0x1BFFF0D8), -1);               // WidgetState
  EXPECT_EQ(MemberGet<VEnum>(popup, 0x02FFF0E5), 0x02FFF0E6u);      // SizerMode: Vertical
  EXPECT_TRUE(MemberGet<VBool>(popup, 0x01FFF0EE));                 // AutoClose
  EXPECT_EQ(MemberGet<VEnum>(transform, 0x02FFF0DF), 0x01FFF038u);  // RotationOrder: XYZ
  EXPECT_EQ(MemberGet<VVector2f>(font, 0x02FFF0D3).x, 64.0f);
  EXPECT_EQ(MemberGet<VVector2f>(font, 0x02FFF0D3).y, 64.0f);
  EXPECT_EQ(MemberGet<VVector4f>(font, 0x04FFF0D3), (Vector4f{0, 0, 0, 1}));
  EXPECT_EQ(MemberGet<VEnum>(key, 0x01FFF0D7), 0x0BFFF0D5u);  // Handle: KeyDown
  EXPECT_EQ(MemberGet<VU32>(key, 0x06FFF0BC), 0xFFFu);
  EXPECT_EQ(TakeLog(), "");
}

TEST_F(UITableTest, ValuesOfEveryTypeReadBackWhatWasSet) {
  Obj<ScriptObject> widget = Make(0x0DB), handler = Make(0x0D7), effect = Make(0x0C4), style = Make(0x0D2);
  Obj<ScriptObject> slider = Make(0x0ED), font = Make(0x0D3);
  MemberSet<VBool>(widget, 0x0FFFF0D8, true);
  MemberSet<VI32>(widget, 0x12FFF0D8, 7);
  MemberSet<VU32>(widget, 0x05FFF0D8, 0);
  MemberSet<VF32>(slider, 0x02FFF0ED, 0.25f);
  MemberSet<VEnum>(widget, 0x0BFFF0D8, 0x03FFF0D9);
  MemberSet<VString>(widget, 0x13FFF0D8, String("info"));
  MemberSet<VNameHash>(handler, 0x05FFF0D7, NameHash());
  MemberSet<VVector2f>(font, 0x02FFF0D3, Vector2f{12, 14});
  MemberSet<VVector3f>(widget, 0x06FFF0D8, Vector3f{1, 2, 3});
  MemberSet<VVector4f>(style, 0x04FFF0D2, Vector4f{0.1f, 0.2f, 0.3f, 0.4f});
  EXPECT_TRUE(MemberGet<VBool>(widget, 0x0FFFF0D8));
  EXPECT_EQ(MemberGet<VI32>(widget, 0x12FFF0D8), 7);
  EXPECT_EQ(MemberGet<VU32>(widget, 0x05FFF0D8), 0u);
  EXPECT_EQ(MemberGet<VF32>(slider, 0x02FFF0ED), 0.25f);
  EXPECT_EQ(MemberGet<VEnum>(widget, 0x0BFFF0D8), 0x03FFF0D9u);
  EXPECT_EQ(MemberGet<VString>(widget, 0x13FFF0D8), String("info"));
  EXPECT_EQ(MemberGet<VVector2f>(font, 0x02FFF0D3).y, 14.0f);
  EXPECT_EQ(MemberGet<VVector3f>(widget, 0x06FFF0D8), (Vector3f{1, 2, 3}));
  EXPECT_EQ(MemberGet<VVector4f>(style, 0x04FFF0D2), (Vector4f{0.1f, 0.2f, 0.3f, 0.4f}));

  // Whole arrays.
  Array<uint32_t> shown;
  shown.Append(1);
  shown.Append(0);
  MemberSetArray<VU32>(effect, 0x05FFF0C4, shown);
  EXPECT_EQ(MemberGetArray<VU32>(effect, 0x05FFF0C4).Count(), 2);
  Array<String> sounds;
  sounds.Append(String("click"));
  MemberSetArray<VString>(effect, 0x0BFFF0C4, sounds);
  EXPECT_EQ(MemberGetArray<VString>(effect, 0x0BFFF0C4)[0], String("click"));
  EXPECT_EQ(TakeLog(), "");
}

TEST_F(UITableTest, ObjectReferencesKeepTheirClass) {
  Obj<ScriptObject> frame = Make(0x0DB), child = Make(0x0E9), style = Make(0x0D2), font = Make(0x0D3);
  Obj<ScriptObject> element = Make(0x0E8), handler = Make(0x0BC);
  MemberSet<VObject>(frame, 0x03FFF0D8, style);
  MemberSet<VObject>(frame, 0x04FFF0D8, element);
  Obj<ScriptObject> holder = Make(0x0DB);
  MemberSet<VObject>(frame, 0x01FFF0D8, holder);  // a weak link: the holder keeps the frame, not back
  EXPECT_EQ(MemberGet<VObject>(frame, 0x03FFF0D8), style.Get());
  EXPECT_EQ(MemberGet<VObject>(frame, 0x04FFF0D8), element.Get());
  EXPECT_EQ(MemberGet<VObject>(frame, 0x01FFF0D8), holder.Get());
  MemberSet<VObject>(frame, 0x01FFF0D8, nullptr);
  EXPECT_EQ(TakeLog(), "");

  // A font style is no UI element: refused and stored as nil.
  MemberSet<VObject>(style, 0x17FFF0D2, font);
  EXPECT_TRUE(IsNilObject(MemberGet<VObject>(style, 0x17FFF0D2)));
  EXPECT_NE(TakeLog().find("ExpectFailed"), std::string::npos);

  // Indexed references grow with nil and read nil past the end.
  MemberSetAt<VObject>(frame, 0x02FFF0D8, 2, child);
  MemberSetAt<VObject>(frame, 0x17FFF0D8, 0, handler);
  EXPECT_EQ(MemberSize(frame, 0x02FFF0D8), 3);
  EXPECT_TRUE(IsNilObject(MemberGetAt<VObject>(frame, 0x02FFF0D8, 0)));
  EXPECT_EQ(MemberGetAt<VObject>(frame, 0x02FFF0D8, 2), child.Get());
  EXPECT_TRUE(IsNilObject(MemberGetAt<VObject>(frame, 0x02FFF0D8, 9)));
  EXPECT_EQ(MemberGetAt<VObject>(frame, 0x17FFF0D8, 0), handler.Get());
  MemberRemove(frame, 0x02FFF0D8, 0, 2);
  EXPECT_EQ(MemberSize(frame, 0x02FFF0D8), 1);
  EXPECT_EQ(MemberGetAt<VObject>(frame, 0x02FFF0D8, 0), child.Get());
  EXPECT_EQ(TakeLog(), "");
}

TEST_F(UITableTest, ShaderMembersHoldRenderShaders) {
  DefineClassFn defineShader = FindEngineClassEntry(0x082);
  ASSERT_NE(defineShader, nullptr);
  defineShader();
  Obj<ScriptObject> shader = Make(0x082), font = Make(0x0D3), tiles = Make(0x0E2);
  ASSERT_FALSE(shader.IsNil());
  MemberSet<VObject>(font, 0x01FFF0D3, shader);        // FontStyle.FontShader
  MemberSetAt<VObject>(tiles, 0x01FFF0E2, 1, shader);  // TileCollection.ShaderArray
  EXPECT_EQ(MemberGet<VObject>(font, 0x01FFF0D3), shader.Get());
  EXPECT_EQ(MemberGetAt<VObject>(tiles, 0x01FFF0E2, 1), shader.Get());
  EXPECT_EQ(TakeLog(), "");
  // Another object is no shader: refused and stored as nil.
  MemberSet<VObject>(font, 0x01FFF0D3, tiles);
  EXPECT_TRUE(IsNilObject(MemberGet<VObject>(font, 0x01FFF0D3)));
  EXPECT_NE(TakeLog().find("ExpectFailed"), std::string::npos);
}

TEST_F(UITableTest, TileCollectionFillsGrownEntries) {
  Obj<ScriptObject> tiles = Make(0x0E2);
  MemberSetAt<VI32>(tiles, 0x03FFF0E2, 2, 5);
  EXPECT_EQ(MemberSize(tiles, 0x03FFF0E2), 3);
  EXPECT_EQ(MemberGetAt<VI32>(tiles, 0x03FFF0E2, 0), -1);
  EXPECT_EQ(MemberGetAt<VI32>(tiles, 0x03FFF0E2, 2), 5);
  EXPECT_EQ(MemberGetAt<VI32>(tiles, 0x03FFF0E2, 7), -1);
  MemberSetAt<VVector4f>(tiles, 0x02FFF0E2, 1, Vector4f{0, 0, 0, 0});
  EXPECT_EQ(MemberGetAt<VVector4f>(tiles, 0x02FFF0E2, 0), (Vector4f{1, 1, 1, 1}));
  EXPECT_EQ(MemberGetAt<VVector4f>(tiles, 0x02FFF0E2, 1), (Vector4f{0, 0, 0, 0}));
  MemberSetAt<VString>(tiles, 0x04FFF0E2, 0, String("grass"));
  EXPECT_EQ(MemberGetAt<VString>(tiles, 0x04FFF0E2, 0), String("grass"));
  MemberSetAt<VVector3f>(tiles, 0x05FFF0E2, 0, Vector3f{4, 5, 6});
  EXPECT_EQ(MemberGetAt<VVector3f>(tiles, 0x05FFF0E2, 0), (Vector3f{4, 5, 6}));
  EXPECT_EQ(TakeLog(), "");
  MemberSetAt<VI32>(tiles, 0x03FFF0E2, -1, 9);
  EXPECT_NE(TakeLog().find("index -1"), std::string::npos);
  EXPECT_EQ(MemberSize(tiles, 0x03FFF0E2), 3);
  EXPECT_EQ(MemberGetAt<VI32>(tiles, 0x03FFF0E2, -1), -1);  // a negative read gives the fill, reported
  EXPECT_NE(TakeLog().find("index -1"), std::string::npos);
  EXPECT_TRUE(IsNilObject(MemberGetAt<VObject>(tiles, 0x01FFF0E2, -2)));
  EXPECT_NE(TakeLog().find("index -2"), std::string::npos);
}

TEST_F(UITableTest, DerivedMembersShareTheirStorage) {
  Obj<ScriptObject> control = Make(0x0DD), key = Make(0x0BC), effect = Make(0x0C4);
  MemberSet<VString>(control, 0x03FFF0EB, String("OK"));             // Label
  EXPECT_EQ(MemberGet<VString>(control, 0x04FFF0EB), String("OK"));  // Text
  MemberSet<VI32>(key, 0x02FFF0BC, 1);                               // Shift
  MemberSet<VI32>(key, 0x04FFF0BC, 0);                               // Alt
  EXPECT_EQ(MemberGet<VU32>(key, 0x06FFF0BC), 0x0F1u);
  EXPECT_EQ(MemberGet<VI32>(key, 0x03FFF0BC), 15);  // Control untouched
  EXPECT_EQ(TakeLog(), "");
  // BlendRendered is read-only: the write is reported and changes nothing.
  MemberSet<VF32>(effect, 0x04FFF0C4, 3.0f);
  EXPECT_NE(TakeLog(), "");
  EXPECT_EQ(MemberGet<VF32>(effect, 0x04FFF0C4), -1.0f);
}

Obj<ScriptObject> NoResult(uint32_t, int32_t, ScriptObject**) { return Obj<ScriptObject>(); }

TEST_F(UITableTest, GCallNamesTheFunction) {
  // The line as written, after whatever the log pipe puts in front of a message.
  auto line = [this] {
    std::string t = TakeLog();
    size_t at = t.find("GCall:");
    return at == std::string::npos ? t : t.substr(at);
  };
  RegisterBuiltinFunctions();
  ASSERT_TRUE(SetGlobalFunction(0x1F, "Odd\"Name", &NoResult));
  GCall(6);
  EXPECT_EQ(line(), "GCall: invalid arguments for function 0x0006 \"Sqrt\".\n");
  GCall(0x1F);
  EXPECT_EQ(line(), "GCall: invalid arguments for function 0x001F \"Odd\\\"Name\".\n");
  GCall(0x20);  // an empty entry
  EXPECT_EQ(line(), "GCall: invalid arguments for function 0x0020 \"???\".\n");
  GCall(4096);  // outside the table
  EXPECT_EQ(line(), "GCall: invalid arguments for function 0x1000 \"???\".\n");
  g_LogLevel = kLevelError;  // errors are written only above the global level
  GCall(6);
  g_LogLevel = 0;
  EXPECT_EQ(TakeLog(), "");
  ClearGlobalFunctions();
}

}  // namespace
}  // namespace PM::Test
