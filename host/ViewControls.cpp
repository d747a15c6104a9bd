#include "ViewControls.h"

#include <memory>
#include <string>
#include <vector>

#include "ClipPlayer.h"
#include "HostScene.h"
#include "ModelRow.h"
#include "ModelUp.h"
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

  ScriptEngine* m_engine;
  ModelView m_view;
  Ptr<ViewInput> m_input;
  ViewCamera m_camera;
  ViewToggles m_toggles;
  ClipPlayer m_clips;
  ViewStatistics m_statistics;
  ViewOverlay m_overlay;
  bool m_showStatistics = false, m_showKeys = false;
};

bool ViewControls::Start() {
  if (!m_camera.Start(m_engine, m_view)) return false;
  m_toggles.Start(m_view, m_camera.RigOf().channel);
  m_clips.Start(m_engine, m_view);
  m_statistics.Start(FindPipe(m_engine->GetNamespace()));
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
      m_toggles.ToggleCulling();
      break;
    case 'l':
      m_toggles.ToggleLighting();
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
    case 'h':
    case ViewInput::kF1:
      m_showKeys = !m_showKeys;
      break;
    default:
      break;
  }
  return true;
}

void ViewControls::ShowText() {
  static const std::string keys = ViewKeyLines("", false);
  const std::string statistics = m_showStatistics
                                     ? m_statistics.Text(m_overlay.OwnTextures(), AxisWord(ModelUpAxis(m_view.root)),
                                                         m_toggles.DrawMode(), m_clips.Line())
                                     : std::string();
  m_overlay.Show(statistics, m_showKeys ? keys : std::string());
}

bool ViewControls::BeforeFrame() {
  m_statistics.FrameBegun();
  std::vector<uint32_t> keys;
  keys.swap(m_input->m_keys);
  for (uint32_t code : keys)
    if (!Key(code)) return false;
  m_camera.Drag(*m_input);
  ShowText();
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
