// The graphics configuration dialog's logic without a window: recommendations from the measured memory,
// the radio buttons' results with their warning and note boxes, closing, languages and the default answer.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/Language.h"
#include "engine/RenderEngine.h"
#include "platform/MessageDialog.h"
#include "render/RenderPipe.h"
#include "render/dialog/GraphicsSetupDialog.h"
#include "scene/EngineWorld.h"
#include "support/LogCapture.h"

namespace PM::Test {
namespace {

std::vector<std::string> g_boxes;
int RecordBox(const char* title, const char* text, int answer) {
  g_boxes.push_back(std::string(title) + "|" + text);
  return answer;
}

// An engine whose only answer is the measured memory.
int32_t g_free = 0;
class MemoryEngine : public RenderEngine {
 public:
  int32_t DetectTextureMemory() override { return g_free; }
  ResultCode InitializeRenderWindow(const TextureSettingsInfo*, const RenderFormatInfo*, PlatformWindow*) override {
    return SOK;
  }
};
class MemoryEngine_I final : public RenderEngine_I {
 public:
  MemoryEngine_I() : RenderEngine_I(&m_engine) {}
  static RenderEngine_I* Create() { return NewCounted<MemoryEngine_I>(); }

 private:
  MemoryEngine m_engine;
};

// A front end that clicks the given controls in order, then closes or presses OK.
std::vector<int32_t> g_clicks;
int Clicker(GraphicsSetupDialog& d, PlatformWindow*) {
  d.OnInitDialog();
  for (int32_t id : g_clicks) {
    if (id < 0) {
      d.OnClose();
      return 1;
    }
    d.OnCommand(id);
  }
  return 0;
}

class GraphicsSetupDialogTest : public EngineWorldTest {
 protected:
  void SetUp() override {
    EngineWorldTest::SetUp();
    m_oldHook = SetMessageDialogHook(&RecordBox);
    m_oldFactory = RenderEngine::SetFactory(1, &MemoryEngine_I::Create);
    m_oldHandler = GraphicsSetupDialog::SetHandler(&Clicker);
    g_boxes.clear();
    m_pipe = Make("RenderPipe");
  }
  void TearDown() override {
    m_pipe = Obj<ScriptObject>();
    GraphicsSetupDialog::SetHandler(m_oldHandler);
    RenderEngine::SetFactory(1, m_oldFactory);
    SetMessageDialogHook(m_oldHook);
    SetLanguage(0);
    EngineWorldTest::TearDown();
  }
  RenderPipe_I* Pipe() { return static_cast<RenderPipe_I*>(m_pipe.Get()); }
  // Shows the dialog over a pipe whose engine measures `free` bytes, clicking `clicks`.
  int32_t Run(GraphicsSetupDialog& d, int32_t free, std::vector<int32_t> clicks) {
    g_free = free;
    g_clicks = std::move(clicks);
    d.SetRenderPipe(Pipe());
    return d.Show();
  }

  Obj<ScriptObject> m_pipe;
  MessageDialogHook m_oldHook = nullptr;
  RenderEngineFactory m_oldFactory = nullptr;
  GraphicsSetupHandler m_oldHandler = nullptr;
};

TEST_F(GraphicsSetupDialogTest, RecommendationsFromTheMeasuredMemory) {
  if (!std::getenv("DISPLAY")) GTEST_SKIP() << "the pipe's engine needs its window (run under xvfb-run -a)";
  ASSERT_GE(int32_t(Pipe()->ApplyFormat()), 0);
  struct Row {
    int32_t free;
    uint32_t recommended;
    int32_t checked;
    const char* recommendedText;
    const char* availableText;
  } rows[] = {
      {9437183, 8u << 20, GraphicsSetupDialog::kRadio16, "8.00 MB recommended.", ">9.00 MB available."},
      {17 << 20, 32u << 20, GraphicsSetupDialog::kRadio32, "32.00 MB recommended.", ">17.00 MB available."},
      {200 << 20, 128u << 20, GraphicsSetupDialog::kRadio128, "128.00 MB recommended.", ">200.00 MB available."},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.free);
    GraphicsSetupDialog d;
    g_boxes.clear();
    EXPECT_EQ(Run(d, r.free, {GraphicsSetupDialog::kAutodetect, GraphicsSetupDialog::kOk}), 0);
    EXPECT_EQ(d.RecommendedMemory(), r.recommended);
    EXPECT_EQ(uint32_t(d.GetVideoMemory()), r.recommended);
    EXPECT_EQ(d.GetTextureMemory(), r.free);
    EXPECT_TRUE(d.IsChecked(r.checked));
    EXPECT_EQ(d.Text(GraphicsSetupDialog::kRecommended), r.recommendedText);
    EXPECT_EQ(d.Text(GraphicsSetupDialog::kAvailable), r.availableText);
    ASSERT_EQ(g_boxes.size(), 1u);
    EXPECT_EQ(g_boxes[0],
              "Pelmora:|Detection of the available video memory can take a few seconds, please be patient.");
  }
  // 64 MB after a 32 MB recommendation: the warning, and no note.
  GraphicsSetupDialog d;
  g_boxes.clear();
  Run(d, 20 << 20, {GraphicsSetupDialog::kAutodetect, GraphicsSetupDialog::kRadio64, GraphicsSetupDialog::kOk});
  ASSERT_EQ(g_boxes.size(), 2u);
  EXPECT_EQ(g_boxes[1].rfind("Pelmora:|Warning: Your graphics card seems to have less free video memory", 0), 0u);
  EXPECT_EQ(d.GetVideoMemory(), 64 << 20);
  EXPECT_EQ(d.GetTextureMemory(), 54 << 20);
}

TEST_F(GraphicsSetupDialogTest, RadioButtonsCloseBoxLanguagesAndTheDefaultAnswer) {
  // Before any autodetect: the note on every click; the table's results; closing keeps them.
  GraphicsSetupDialog d;
  EXPECT_EQ(Run(d, 0, {GraphicsSetupDialog::kRadio32, GraphicsSetupDialog::kRadio64, -1}), -1);
  ASSERT_EQ(g_boxes.size(), 2u);
  EXPECT_EQ(g_boxes[0],
            "Pelmora:|Note: You did not use the automatic detection yet.\r\nSo please ensure that you made "
            "the right choice before you continue.");
  EXPECT_EQ(d.GetVideoMemory(), 67108864);
  EXPECT_EQ(d.GetTextureMemory(), 56623104);
  EXPECT_TRUE(d.IsChecked(GraphicsSetupDialog::kRadio64));
  EXPECT_FALSE(d.IsChecked(GraphicsSetupDialog::kRadio16));

  // Spanish: the title's bytes and an untranslated OK; German control texts.
  SetLanguage(2);
  GraphicsSetupDialog es;
  EXPECT_EQ(std::string(es.Title().View()),
            "Pelmora: Configuraci\xF3n Gr\xE1"
            "fica");
  Run(es, 0, {GraphicsSetupDialog::kOk});
  EXPECT_EQ(es.Text(GraphicsSetupDialog::kOk), "OK");
  SetLanguage(1);
  GraphicsSetupDialog de;
  Run(de, 0, {GraphicsSetupDialog::kOk});
  EXPECT_EQ(de.Text(GraphicsSetupDialog::kAutodetect), "Automatisch Erkennen");
  EXPECT_EQ(de.Text(GraphicsSetupDialog::kRadio128), "128 MB Grafikspeicher oder mehr");
  SetLanguage(0);

  // The default front end answers OK at once and leaves the results as they were.
  GraphicsSetupDialog::SetHandler(nullptr);
  GraphicsSetupDialog plain;
  plain.SetRenderPipe(Pipe());
  EXPECT_EQ(plain.Show(), 0);
  EXPECT_EQ(plain.GetVideoMemory(), 7340031);
  EXPECT_EQ(plain.GetTextureMemory(), 16777215);
  // Without a pipe: an Error line and -1, never a crash.
  GraphicsSetupDialog none;
  LogCapture log(LogOutPipe());
  EXPECT_EQ(none.Show(), -1);
  EXPECT_EQ(log.Text(), "Error GraphicsSetupDialog::Show: no RenderPipe set.\n");
}

// A front end that asks the open dialog to show itself again, as a host's second call would.
int32_t g_nested = 0;
int Reenter(GraphicsSetupDialog& d, PlatformWindow*) {
  d.OnInitDialog();
  g_nested = d.Show();
  d.OnCommand(GraphicsSetupDialog::kOk);
  return 0;
}

TEST_F(GraphicsSetupDialogTest, ShowWhileOpenAnswersTheCurrentResult) {
  GraphicsSetupDialog::SetHandler(&Reenter);
  GraphicsSetupDialog d;
  d.SetRenderPipe(Pipe());
  g_nested = 5;
  EXPECT_EQ(d.Show(), 0);
  EXPECT_EQ(g_nested, -1);  // no second dialog: the running one's result
}

TEST_F(GraphicsSetupDialogTest, AutodetectWithoutAnEngineAssumesTheBaseAnswer) {
  GraphicsSetupDialog d;
  LogCapture log(LogOutPipe());
  Run(d, 0, {GraphicsSetupDialog::kAutodetect, GraphicsSetupDialog::kOk});
  EXPECT_EQ(d.GetTextureMemory(), 8388607);
  EXPECT_EQ(d.RecommendedMemory(), 8u << 20);
  EXPECT_NE(log.Text().find("Warn  GraphicsSetupDialog: the pipe has no render engine"), std::string::npos);
}

}  // namespace
}  // namespace PM::Test
