#include "ViewControls.h"

#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include <pelmora/core/Log.h>
#include <pelmora/render/RenderPipe.h>

#include "ClipPlayer.h"
#include "HostScene.h"
#include "ModelRow.h"
#include "ModelUp.h"
#include "PictureFile.h"
#include "ViewCamera.h"
#include "ViewInput.h"
#include "ViewKeyTable.h"
#include "ViewOverlay.h"
#include "ViewStatistics.h"
#include "ViewToggles.h"

namespace PMHost {

using namespace PM;

namespace {

// The up axes u steps through, in turn.
constexpr Axis kUpCycle[] = {Axis::PlusY, Axis::PlusZ, Axis::PlusX, Axis::MinusY, Axis::MinusZ, Axis::MinusX};

// Hands each key to the part of the view it acts on, and shows the texts over the model.
class ViewControls {
 public:
  ViewControls(ScriptEngine* engine, const ModelView& view, Ptr<ViewInput> input)
      : m_engine(engine), m_view(view), m_input(std::move(input)) {}

  bool Start();
  // Before each frame: the keys and drags since the last; false to close.
  bool BeforeFrame();
  void StepAnimation(double now) { m_clips.Step(now); }

 private:
  bool Key(uint32_t code);
  void ChangeUp();
  void ShowText();
  PM::ScriptObject* ShownUp() const;
  void WriteCapture();
  std::vector<std::string> KeyPages() const;

  ScriptEngine* m_engine;
  ModelView m_view;
  Ptr<ViewInput> m_input;
  ViewCamera m_camera;
  ViewToggles m_toggles;
  ClipPlayer m_clips;
  ViewStatistics m_statistics;
  ViewOverlay m_overlay;
  bool m_showStatistics = false;
  int m_keysPage = -1;  // the page of the key list shown, -1 for none
  RenderPipe_I* m_pipe = nullptr;
  bool m_captureAsked = false;    // 'c' pressed: the next frame drawn is photographed
  bool m_captureDrawing = false;  // the frame photographed is being drawn: its picture is there next time
};

// The first "pm-run-N.png" (N from 1) that does not exist in the working folder; empty when all are taken.
std::string FreeCaptureName() {
  constexpr int kMaxCaptures = 100000;
  for (int n = 1; n <= kMaxCaptures; ++n) {
    std::string name = "pm-run-" + std::to_string(n) + ".png";
    if (::access(name.c_str(), F_OK) != 0) return name;
  }
  return {};
}

void ViewControls::WriteCapture() {
  const std::string name = FreeCaptureName();
  if (name.empty()) {
    LogError("pm-run: no picture taken: pm-run-1.png to pm-run-100000.png are all taken in this folder.");
    return;
  }
  if (WritePicture(m_pipe->GetScreenShotImage(), name)) {
    std::printf("wrote %s\n", name.c_str());
    std::fflush(stdout);
  }
}

bool ViewControls::Start() {
  if (!m_camera.Start(m_engine, m_view)) return false;
  m_toggles.Start(m_view, m_camera.RigOf().channel);
  m_clips.Start(m_engine, m_view);
  m_pipe = FindPipe(m_engine->GetNamespace());
  m_statistics.Start(m_pipe);
  // A Direct3D 8 back buffer can be read for 'c' only when it was made lockable; OpenGL ignores the flag.
  if (m_pipe) m_pipe->m_bufferBackColorAccessEnable = true;
  m_overlay.Make(m_engine);
  ShowText();
  return true;
}

void ViewControls::ChangeUp() {
  // Several models turn together, each by its own up turn, and stand side by side again.
  std::vector<Obj<ScriptObject>> models = m_view.models;
  if (models.empty()) models.push_back(m_view.root);
  const Axis now = ModelUpAxis(models[0]);
  size_t i = 0;
  while (i < std::size(kUpCycle) && now != kUpCycle[i]) ++i;
  const Axis next = kUpCycle[(i + 1) % std::size(kUpCycle)];
  bool turned = true;
  for (const Obj<ScriptObject>& model : models) turned = SetModelUp(model, next) && turned;
  PlaceSideBySide(m_view);
  if (turned) m_camera.Reframe(m_view);
  m_camera.SetRadius(m_view.radius);
}

bool ViewControls::Key(uint32_t code) {
  switch (code) {
    case ViewInput::kEscape:
    case 'q':
      return false;
    case ' ':
      m_camera.Home(m_view);
      break;
    case 'w':
      m_toggles.NextFill();
      break;
    case 'k':
      m_toggles.ToggleSkeleton();
      break;
    case 'b':
      m_toggles.NextSides();
      break;
    case 'l':
      m_toggles.NextLighting();
      break;
    case 't':
      m_toggles.ToggleTextures();
      break;
    case 'n':
    case 'p':
      m_clips.Change(code == 'n' ? 1 : -1);
      break;
    case '.':
      m_clips.TogglePause();
      break;
    case ',':
      m_clips.StepOne();
      break;
    case '+':
    case '=':  // the same key without Shift
      m_clips.Faster();
      break;
    case '-':
      m_clips.Slower();
      break;
    case 'u':
      ChangeUp();
      break;
    case 's':
      m_showStatistics = !m_showStatistics;
      break;
    case 'c':
      m_captureAsked = m_pipe != nullptr;
      break;
    case 'h':
    case ViewInput::kF1: {
      // Through the pages of a list the window is too small for, then hidden.
      const size_t pages = KeyPages().size();
      m_keysPage = m_keysPage + 1 < int(pages) ? m_keysPage + 1 : -1;
      break;
    }
    default:
      break;
  }
  return true;
}

std::vector<std::string> ViewControls::KeyPages() const {
  return ViewKeyPages(m_overlay.KeyLines(m_showStatistics), m_overlay.KeyColumns());
}

// The model whose up the statistics name: the first of several (the row's group has no up of its own;
// the u key turns them all alike), else the one.
ScriptObject* ViewControls::ShownUp() const {
  return m_view.models.empty() ? m_view.root.Get() : m_view.models[0].Get();
}

void ViewControls::ShowText() {
  const std::string statistics = m_showStatistics
                                     ? m_statistics.Text(m_overlay.OwnTextures(), AxisWord(ModelUpAxis(ShownUp())),
                                                         m_toggles.DrawMode(), m_clips.Line())
                                     : std::string();
  std::string keys;
  if (m_keysPage >= 0) {
    // The statistics shown or hidden meanwhile change the room: the page kept within the new count.
    const std::vector<std::string> pages = KeyPages();
    keys = pages[std::min(size_t(m_keysPage), pages.size() - 1)];
  }
  m_overlay.Show(statistics, keys);
}

bool ViewControls::BeforeFrame() {
  m_statistics.FrameBegun();
  if (m_captureDrawing) WriteCapture();
  m_captureDrawing = false;
  std::vector<uint32_t> keys;
  keys.swap(m_input->m_keys);
  for (uint32_t code : keys)
    if (!Key(code)) return false;
  m_camera.Drag(*m_input);
  ShowText();
  if (m_captureAsked) {
    // The picture is what the window shows, texts over the model included.
    m_captureDrawing = m_pipe->RequestScreenShot(false, false) >= 0;
    m_captureAsked = false;
  }
  return true;
}

}  // namespace

void ControlModelView(ScriptEngine* engine, const ModelView& view, FrameRequest& request) {
  Ptr<ViewInput> input = NewCounted<ViewInput>();
  auto controls = std::make_shared<ViewControls>(engine, view, input);
  if (!controls->Start()) return;  // a script replaced the rig: nothing to control
  request.input = input.Get();
  request.beforeFrame = [controls] { return controls->BeforeFrame(); };
  request.stepAnimation = [controls](double now) { controls->StepAnimation(now); };
}

}  // namespace PMHost
