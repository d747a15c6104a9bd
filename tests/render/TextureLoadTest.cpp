// Texture images: file names, the BMG cache beside the source, description files, alpha-mode names,
// the texture's members and operations, and the synchronous PreloadImage paths.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <string>

#include "Jp2Codestream.h"
#include "classes/FileObject.h"
#include "render/GroupLayer.h"
#include "render/Texture2D.h"
#include "render/TextureLoad.h"
#include "render/TexturePreload.h"
#include "scene/EngineWorld.h"
#include "support/LogCapture.h"
#include "support/TestEnv.h"

namespace PM::Test {
namespace {

void SetMtime(const std::string& path, time_t seconds) {
  struct timespec times[2] = {{seconds, 0}, {seconds, 0}};
  ASSERT_EQ(utimensat(AT_FDCWD, path.c_str(), times, 0), 0) << path;
}

Obj<Image_I> Solid(int w, int h, R8G8B8A8 c) {
  Obj<Image_I> image(Image_I::New());
  image->Create(4, w, h, 0);
  image->FillRect(0, 0, w, h, c);
  return image;
}

R8G8B8A8 First(Image_I* image) {
  R8G8B8A8 p{};
  if (image->GetWidth() > 0) image->GetPixel(p, 0, 0);
  return p;
}

class TextureLoadTest : public EngineWorldTest {
 protected:
  std::string Base(const std::string& name) const { return m_dir.File(name); }
  void WritePng(const std::string& name, R8G8B8A8 c, time_t mtime) {
    ASSERT_EQ(Solid(2, 2, c)->ExportFile(String(Base(name) + ".png")), SOK);
    SetMtime(Base(name) + ".png", mtime);
  }
  Obj<ScriptObject> FileObj(const std::string& name) {
    Obj<ScriptObject> f = Make("FileObject");
    static_cast<FileObject_I*>(f.Get())->SetFileName(String(name));
    return f;
  }
  Obj<Texture_I> Texture(const std::string& fileName) {
    Obj<ScriptObject> t = Make("Texture2D", "tex");
    MemberSet<VObject>(t, 0x01FFF08B, FileObj(fileName));
    return Obj<Texture_I>(static_cast<Texture_I*>(t.Get()));
  }
  TempDir m_dir;
  LogCapture m_out{LogOutPipe()};
};

TEST_F(TextureLoadTest, ResolveImagePathForms) {
  Obj<ScriptObject> f = FileObj("a/b");
  static_cast<FileObject_I*>(f.Get())->SetReadPath(String("/read/"));
  struct Case {
    const char* fileName;
    const char* expected;
  } cases[] = {{"absolute:///x/y", "/x/y"}, {"http://h/i", "http://h/i"}, {"a/b", "/read/img/a/b"}};
  for (const Case& c : cases) {
    static_cast<FileObject_I*>(f.Get())->SetFileName(String(c.fileName));
    static_cast<FileObject_I*>(f.Get())->SetReadPath(String("/read/"));
    String out;
    EXPECT_EQ(ResolveImagePath(f, String("img/"), out), SOK);
    EXPECT_EQ(std::string(out.View()), c.expected);
  }
  String out("x");
  Obj<ScriptObject> notFile = Make("Image");
  EXPECT_EQ(ResolveImagePath(notFile, String(), out), ENotFound);
  EXPECT_TRUE(out.IsEmpty());
}

TEST_F(TextureLoadTest, CacheIsUsedOnlyWhenStrictlyNewerAndRepairedWhenDamaged) {
  const R8G8B8A8 red{255, 0, 0, 255}, blue{0, 0, 255, 255};
  WritePng("t", red, 1000000);
  const std::string cache = Base("t") + ".cache.bmg";

  // First load writes the cache.
  EXPECT_EQ(First(LoadImageCached(String(Base("t")))), red);
  ASSERT_TRUE(std::filesystem::exists(cache));

  struct Case {
    const char* what;
    time_t cacheTime;
    bool truncate;
    R8G8B8A8 expected;
    R8G8B8A8 cacheAfter;
  } cases[] = {
      {"newer cache", 1000010, false, blue, blue},
      {"same time", 1000000, false, red, red},
      {"truncated newer cache", 1000010, true, red, red},
  };
  for (const Case& c : cases) {
    ASSERT_EQ(Solid(2, 2, blue)->ExportFile(String(cache)), SOK);
    if (c.truncate) std::filesystem::resize_file(cache, 20);
    SetMtime(cache, c.cacheTime);
    EXPECT_EQ(First(LoadImageCached(String(Base("t")))), c.expected) << c.what;
    Obj<Image_I> back(Image_I::New());
    back->ImportFile(String(Base("t") + ".cache"));
    EXPECT_EQ(First(back), c.cacheAfter) << c.what;
  }
  for (const auto& e : std::filesystem::directory_iterator(m_dir.Path())) {
    EXPECT_EQ(e.path().string().find(".tmp"), std::string::npos) << e.path();
  }

  // Package names are never cached; a BMG alone is no source.
  WritePng("p.pmk_1", red, 1000000);
  EXPECT_EQ(First(LoadImageCached(String(Base("p.pmk_1")))), red);
  EXPECT_FALSE(std::filesystem::exists(Base("p.pmk_1") + ".cache.bmg"));
  ASSERT_EQ(Solid(2, 2, blue)->ExportFile(String(Base("only") + ".bmg")), SOK);
  EXPECT_EQ(LoadImageCached(String(Base("only")))->GetFormat(), 0);
  EXPECT_EQ(LoadImageCached(String())->GetFormat(), 0);
}

// A cache many times its source's size, or past the bound, is not written: a JPEG 2000 header of about a
// hundred bytes would otherwise leave megabytes (256 MiB at the largest sides) beside it.
TEST_F(TextureLoadTest, NoCacheMuchLargerThanItsSource) {
  Jp2Header header;
  header.width = 1024, header.height = 2048;  // 2 MiB of grey from a hundred bytes
  const std::string source = Jp2Codestream(header);
  WriteFile(Base("j") + ".jp2", source);
  Obj<Image_I> image = LoadImageCached(String(Base("j")));
  EXPECT_EQ(image->GetWidth(), 1024);
  EXPECT_FALSE(std::filesystem::exists(Base("j") + ".cache.bmg"));
}

TEST_F(TextureLoadTest, DescriptionFilesAndAlphaModes) {
  struct Case {
    const char* text;
    const char* type;
    const char* mode;
    const char* log;
  } cases[] = {
      {"\"DXT5\" \"AlphaBlend\"", "DXT5", "AlphaBlend", ""},
      {"  \"RGBA\"\n", "RGBA", "", ""},
      {"\"\" \"Add\"", "", "Add", "Error Invalid file format in \"/d\".\n"},
      {"garbage", "", "", "Error Invalid file format in \"/d\".\n"},
      {"\"unterminated", "", "", "Error Invalid file format in \"/d\".\n"},
  };
  for (const Case& c : cases) {
    WriteFile(Base("d") + ".pmf", c.text);
    String type, mode;
    ImportFilePMF(String(Base("d")), type, mode);
    EXPECT_EQ(std::string(type.View()), c.type) << c.text;
    EXPECT_EQ(std::string(mode.View()), c.mode) << c.text;
    EXPECT_EQ(m_out.Take(), c.log) << c.text;
  }
  String type("x"), mode("y");
  ImportFilePMF(String(Base("missing")), type, mode);
  EXPECT_TRUE(type.IsEmpty() && mode.IsEmpty());
  EXPECT_EQ(m_out.Take(), "");

  struct Mode {
    const char* name;
    int expected;
    const char* log;
  } modes[] = {{"AlphaBlend/AlphaMask=2/WriteZ", 8, ""},
               {"Opaque", 0, ""},
               {"", 5, ""},
               {"alphablend", 5, "Warn  texture alphamode \"alphablend\" not supported.\n"}};
  for (const Mode& m : modes) {
    int value = 5;
    ParseTextureAlphaMode(String(m.name), value);
    EXPECT_EQ(value, m.expected) << m.name;
    EXPECT_EQ(m_out.Take(), m.log) << m.name;
  }
}

// Counts the engine handle's unloads.
struct CountingHandle : TextureHandle {
  void Unload() override { ++*unloads; }
  int* unloads = nullptr;
};

TEST_F(TextureLoadTest, MembersAndOperations) {
  Obj<Texture_I> t = Texture("absolute://" + Base("t"));
  struct Aniso {
    float set, get;
  } anisos[] = {{0.25f, 1.0f}, {1e9f, 65536.0f}, {4.0f, 4.0f}, {-3.0f, 1.0f}};
  for (const Aniso& a : anisos) {
    MemberSet<VF32>(t, 0x04FFF08B, a.set);
    EXPECT_EQ(MemberGet<VF32>(t, 0x04FFF08B), a.get) << a.set;
  }
  TakeLog();
  Obj<ScriptObject> image = Make("Image");
  MemberSet<VObject>(t, 0x01FFF08B, image);
  EXPECT_TRUE(t->GetFileObject() == NilScriptObject());
  EXPECT_EQ(TakeLog(), "Error ScriptObject::ExpectFailed: cannot cast \"Image\" to \"FileObject\".\n");
  MemberSet<VObject>(t, 0x06FFF08B, image);
  EXPECT_EQ(TakeLog(), "Error ScriptObject::ExpectFailed: cannot cast \"Image\" to \"ImageLayer\".\n");

  int unloads = 0;
  auto set = [&] {
    auto* h = NewCounted<CountingHandle>();
    h->unloads = &unloads;
    t->SetEngineHandle(h);
  };
  set();
  t->ReplaceSource(image);
  EXPECT_EQ(unloads, 1);
  EXPECT_EQ(t->EngineHandle(), nullptr);
  EXPECT_EQ(t->SourceImage(), image.Get());
  EXPECT_EQ(t->GetAlphaMode(), 3);
  set();
  t->ReleaseData(0);
  EXPECT_EQ(unloads, 2);
  set();
  t = Obj<Texture_I>();
  EXPECT_EQ(unloads, 3);
}

TEST_F(TextureLoadTest, PreloadPathsWithoutThreads) {
  WritePng("ok", {1, 2, 3, 255}, 1000000);
  struct Case {
    const char* file;
    int32_t result;
    int32_t state;
    bool image;
    const char* log;
  } cases[] = {
      {"ok", 1, TextureHandle::kReady, true, ""},
      {"clip.avi", 1, TextureHandle::kReady, false, ""},
      {"clip.AVI", 1, TextureHandle::kFailed, false, "/clip.AVI\" not found or format unsupported. Tried "},
  };
  for (const Case& c : cases) {
    Obj<Texture_I> t = Texture("absolute://" + Base(c.file));
    Ptr<TextureHandle> h(NewCounted<TextureHandle>());
    // A video name never starts a thread, even when threads are allowed.
    const bool video = std::string(c.file) == "clip.avi";
    EXPECT_EQ(t->PreloadImage(video, String(), h.Get()), c.result) << c.file;
    EXPECT_EQ(PendingTextureLoads.load(), 0) << c.file;
    EXPECT_EQ(h->State(), c.state) << c.file;
    EXPECT_EQ(h->GetImage() != nullptr && h->GetImage()->GetFormat() != 0, c.image) << c.file;
    EXPECT_NE(m_out.Take().find(c.log), std::string::npos) << c.file;
  }
  // Without a handle the image lands in the texture.
  Obj<Texture_I> t = Texture("absolute://" + Base("ok"));
  EXPECT_EQ(t->PreloadImage(false, String(), nullptr), 1);
  EXPECT_EQ(First(t->LoadedImage()), (R8G8B8A8{1, 2, 3, 255}));
  Obj<Image_I> out(Image_I::New());
  t->LoadSync(String(), out);
  EXPECT_EQ(First(out), (R8G8B8A8{1, 2, 3, 255}));
}

// A failed load says what the look-up tried: the name without extension given the files' extensions, and
// a cube map's first face. A name given with its extension says which name would have been found.
TEST_F(TextureLoadTest, FailedLoadsNameTheFilesTried) {
  WritePng("checker", {9, 9, 9, 255}, 1000000);
  WriteFile(Base("broken") + ".png", "not a PNG");
  const std::string d = m_dir.Path();
  const auto message = [&](const std::string& name, const std::string& rest) {
    return "TextureLoad: image file \"" + d + "/" + name + "\" not found or format unsupported. " + rest + "\n";
  };
  const auto tried = [&](const std::string& name, bool cube) {
    const std::string n = "\"" + d + "/" + name;
    return cube ? "Tried " + n + ".png\", " + n + ".jp2\", " + n + ".PZ.png\" and " + n +
                      ".PZ.jp2\" (a cube map's first face)"
                : "Tried " + n + ".png\" and " + n + ".jp2\"";
  };
  struct Case {
    const char* file;
    std::string said;
  } cases[] = {
      {"checker.png", message("checker.png", tried("checker.png", true) +
                                                 "; the name is given without its extension: \"" + d + "/checker\".")},
      {"checker.PNG", message("checker.PNG", tried("checker.PNG", true) +
                                                 "; the name is given without its extension: \"" + d + "/checker\".")},
      {"wood", message("wood", tried("wood", true) + "; the name is given without its extension.")},
      {"photo.jpg", message("photo.jpg", tried("photo.jpg", true) + "; the name is given without its extension.")},
      {"v1.png/wood",
       message("v1.png/wood", tried("v1.png/wood", true) + "; the name is given without its extension.")},
      {"broken", message("broken", "\"" + d + "/broken.png\" was found but could not be read.")},
  };
  for (const Case& c : cases) {
    Obj<Texture_I> t = Texture("absolute://" + Base(c.file));
    Ptr<TextureHandle> h(NewCounted<TextureHandle>());
    EXPECT_EQ(t->PreloadImage(false, String(), h.Get()), 1) << c.file;
    EXPECT_EQ(h->State(), TextureHandle::kFailed) << c.file;
    const std::string out = m_out.Take();
    EXPECT_NE(out.find(c.said), std::string::npos) << out;
    EXPECT_EQ(out.find("not found"), out.rfind("not found")) << "once: " << out;
  }
  // The look-up itself is unchanged: the name without extension finds the file.
  Obj<Texture_I> t = Texture("absolute://" + Base("checker"));
  Ptr<TextureHandle> h(NewCounted<TextureHandle>());
  EXPECT_EQ(t->PreloadImage(false, String(), h.Get()), 1);
  EXPECT_EQ(h->State(), TextureHandle::kReady);
  EXPECT_EQ(m_out.Take(), "");

  // An image layer tries no cube face; a name that is not a FileObject's tries nothing.
  Obj<ScriptObject> layer = Make("ImageLayer", "layer");
  MemberSet<VObject>(layer, 0x01FFF0B1, FileObj("absolute://" + Base("checker.jp2")));
  LayerApplyContext context{String(), 0};
  LayerImageResult result;
  EXPECT_EQ(static_cast<ExpressionLayer_I*>(layer.Get())->ApplyToImage(context, result), 0);
  EXPECT_NE(m_out.Take().find(message(
                "checker.jp2",
                tried("checker.jp2", false) + "; the name is given without its extension: \"" + d + "/checker\".")),
            std::string::npos);
  LogImageNotLoaded(String(), String(), true);
  EXPECT_NE(
      m_out.Take().find("TextureLoad: image file \"\" not found or format unsupported. No file name was given.\n"),
      std::string::npos);
}

TEST_F(TextureLoadTest, PreloadFromLayerTree) {
  Obj<ScriptObject> g = Make("GroupLayer", "g");
  MemberSet<VVector3f>(g, 0x02FFF0B1, Vector3f{4, 2, 0});
  MemberSet<VVector4f>(g, 0x03FFF0B1, Vector4f{0, 1, 0, 1});
  Obj<Texture_I> t = Texture("");
  MemberSet<VObject>(t, 0x06FFF08B, g);
  Ptr<TextureHandle> h(NewCounted<TextureHandle>());
  EXPECT_EQ(t->PreloadImage(true, String(), h.Get()), 1);
  EXPECT_EQ(h->State(), TextureHandle::kReady);
  ASSERT_NE(h->GetImage(), nullptr);
  EXPECT_EQ(h->GetImage()->GetWidth(), 4);
  EXPECT_EQ(First(h->GetImage()), (R8G8B8A8{0, 255, 0, 255}));
  EXPECT_EQ(static_cast<ExpressionLayer_I*>(g.Get())->IsUpToDate(), 1);
}

}  // namespace
}  // namespace PM::Test
