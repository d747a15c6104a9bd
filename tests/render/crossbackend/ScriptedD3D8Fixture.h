// The Direct3D 8 engine on our software device with the script object model up, for the cross-back-end
// tests that make engine objects (textures, files, fonts) by class name: a window of kSide x kSide and a
// temporary folder, the objects made kept until the engine goes.
#pragma once

#include <vector>

#include "classes/EngineClasses.h"
#include "d3d8/D3D8EngineFixture.h"
#include "script/object/ObjectModel.h"
#include "support/TestEnv.h"

namespace PM::Test {

class ScriptedD3D8Fixture : public D3D8EngineTest {
 protected:
  static constexpr int kSide = 64;

  void SetUp() override {
    D3D8EngineTest::SetUp();
    InitScriptObjectModel();
    RegisterEngineClasses();
    BuildNameHashes();
    textures.EnableTextureThread = 0;
    OpenWindow(kSide, kSide);
    ASSERT_EQ(Initialize(), 0u);
  }
  void TearDown() override {
    m_keep.clear();
    D3D8EngineTest::TearDown();
    UninitScriptObjectModel();
  }
  Obj<ScriptObject> Make(const char* cls) {
    Obj<ScriptObject> o(ScriptObject::Create(FindClassID(cls)));
    m_keep.push_back(o);
    return o;
  }

  TempDir m_dir;
  std::vector<Obj<ScriptObject>> m_keep;
};

}  // namespace PM::Test
