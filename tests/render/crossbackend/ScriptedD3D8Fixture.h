// The Direct3D 8 engine on our software device with the script object model up, for the cross-back-end
// tests that make engine objects (textures, files, fonts) by class name: a window of kSide x kSide and a
// temporary folder, the objects made kept until the engine goes.
#pragma once

#include <string>
#include <vector>

#include "classes/EngineClasses.h"
#include "classes/FileObject.h"
#include "d3d8/D3D8EngineFixture.h"
#include "render/Texture2D.h"
#include "render/Texture2DVideo.h"
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
  // A Texture2D over the file `name` of the temporary folder.
  Texture_I* FileTexture(const std::string& name) {
    auto* file = static_cast<FileObject_I*>(Make("FileObject").Get());
    file->SetFileName(String(("absolute://" + m_dir.File(name)).c_str()));
    auto* texture = static_cast<Texture_I*>(Make("Texture2D").Get());
    texture->SetFileObject(file);
    return texture;
  }
  // The video a drawn texture plays, paused at `seconds`; null when it plays none.
  static Texture2DVideo_I* PauseVideoAt(Texture_I* texture, double seconds) {
    Obj<ScriptObject> object(texture->GetVideoObject());
    if (object.IsNil() || !object->IsA(Texture2DVideo_I::kClassId)) return nullptr;
    auto* video = static_cast<Texture2DVideo_I*>(object.Get());  // the texture keeps it alive
    video->SetPaused(true);
    video->SetVideoPosition(seconds);
    return video;
  }

  TempDir m_dir;
  std::vector<Obj<ScriptObject>> m_keep;
};

}  // namespace PM::Test
