#include "ViewControls.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include <pelmora/anim/AnimationClip.h>
#include <pelmora/anim/AnimationScheduler.h>
#include <pelmora/core/Log.h>
#include <pelmora/platform/WindowMessages.h>
#include <pelmora/render/InputTracker.h>
#include <pelmora/render/RenderShader.h>
#include <pelmora/render/RenderStatistics.h>
#include <pelmora/render/ShaderPhong.h>
#include <pelmora/scene/NodeWalk.h>

#include "HostScene.h"
#include "ModelRow.h"
#include "ModelUp.h"
#include "ViewOverlay.h"
#include "ViewRig.h"

namespace PMHost {

using namespace PM;

const char kViewKeys[] =
    "Esc, q   close\n"
    "Space   the first view\n"
    "w   filled, wireframe, points\n"
    "b   culling on, off\n"
    "l   lighting on, off\n"
    "t   textures on, off\n"
    "k   skeleton\n"
    "n, p   next, previous clip\n"
    ".   pause, go on\n"
    ",   one frame\n"
    "+, -   speed x2, x1/2\n"
    "u   up axis\n"
    "s   statistics\n"
    "h, F1   these keys\n"
    "drag: left orbits, right pans\n"
    "wheel   zoom";

namespace {

constexpr double kFrameStep = 1.0 / 60;
constexpr double kLoopCycles = 1e9;  // a clip "in a loop", as the view starts one  // what "," moves a paused clip on
constexpr double kMaxSpeed = 64, kMinSpeed = 1.0 / 64;
constexpr char kUpAxes[][3] = {"y", "z", "x", "-y", "-z", "-x"};
constexpr size_t kMaxPendingKeys = 64;  // keys typed faster than frames: the rest are dropped

// The input of the view's window: the drags and wheel since the last frame, and the keys typed.
class ViewInput final : public InputTracker {
 public:
  void MouseMove(int32_t x, int32_t y, uint32_t buttons) override {
    if (m_held) {
      // Left orbits; right or middle (without left) pans.
      int32_t& dx = (buttons & 1) ? m_orbitX : m_panX;
      int32_t& dy = (buttons & 1) ? m_orbitY : m_panY;
      if (buttons & 7) {
        dx += x - m_x;
        dy += y - m_y;
      }
    }
    m_x = x;
    m_y = y;
  }
  void Reserved1() override {}
  void MouseWheel(int32_t, int32_t, float steps, uint32_t) override { m_wheel += steps; }
  void MouseDown(int32_t x, int32_t y, uint32_t) override {
    m_held = true;
    m_x = x;
    m_y = y;
  }
  void MouseUp(int32_t, int32_t, uint32_t buttons) override { m_held = (buttons & 7) != 0; }
  void KeyDown(uint32_t key, uint32_t character) override {
    // Characters as typed; of the keys without one, Escape and F1. Wheel notches come as "WLUP"/"WLDN".
    uint32_t code = 0;
    if (character > 0 && character < 128)
      code = character;
    else if (character == 0 && key == VK_ESCAPE)
      code = 27;
    else if (character == 0 && key == VK_F1)
      code = kF1;
    if (code && m_keys.size() < kMaxPendingKeys) m_keys.push_back(code);
  }
  void KeyUp(uint32_t, uint32_t) override {}
  void Deactivate() override {}
  void Activate() override {}
  void FocusLost() override { m_held = false; }
  void MouseEnter(int32_t x, int32_t y, uint32_t) override {
    m_x = x;
    m_y = y;
  }
  void MouseLeave() override {}
  void WindowMessage(uint32_t, uintptr_t, intptr_t) override {}
  void Reserved13() override {}

  static constexpr uint32_t kF1 = 0x100;
  int32_t m_orbitX = 0, m_orbitY = 0, m_panX = 0, m_panY = 0;
  float m_wheel = 0;
  std::vector<uint32_t> m_keys;

 private:
  int32_t m_x = 0, m_y = 0;
  bool m_held = false;
};

// What the keys changed, and the clock the clips play by.
class ViewControls {
 public:
  ViewControls(ScriptEngine* engine, const ModelView& view, Ptr<ViewInput> input)
      : m_engine(engine), m_view(view), m_input(std::move(input)) {}

  bool Start();
  // Before each frame: the keys and drags since the last; false to close.
  bool BeforeFrame();
  void StepAnimation(double now);

 private:
  bool Key(uint32_t code);
  void Drag();
  void ApplyShaders();
  void ApplyPasses();
  void ChangeClip(int by);
  void ChangeUp();
  void ShowText();
  // The statistics' line of what the last frame drew.
  std::string DrawnLine() const;
  // How the model channel draws the faces now (--passes chose it before the first w).
  const char* DrawMode() const;
  AnimationScheduler_I* Scheduler() const { return As<AnimationScheduler_I>(m_view.scheduler.Get()); }
  AnimationClip_I* PlayingClip() const;

  ScriptEngine* m_engine;
  ModelView m_view;
  Ptr<ViewInput> m_input;
  Rig m_rig;
  RenderPipe_I* m_pipe = nullptr;
  ViewOverlay m_overlay;
  int32_t m_passes = kPassMain;                       // the model channel's own pass word
  Vector3f m_firstRotation{kViewPitch, kViewYaw, 0};  // the orbit's as the first frame showed it
  Vector3f m_firstCentre{0, 0, 0};                    // the orbit's centre then
  float m_firstDistance = 1;                          // the eye's distance then
  int m_fill = 0;                                     // 0 filled, 1 wireframe, 2 points
  bool m_cull = false, m_light = true, m_textures = true, m_skeleton = false;
  bool m_paused = false, m_statistics = false, m_keys = false;
  double m_speed = 1;
  double m_clock = 0;        // the schedulers' time
  double m_lastNow = 0;      // the frame time of the last step
  double m_pendingStep = 0;  // "," pressed while paused
  bool m_stepped = false;    // the schedulers have been stepped to m_clock
  std::chrono::steady_clock::time_point m_lastFrame = std::chrono::steady_clock::now();
  double m_frameSeconds = 0;  // smoothed
};

bool ViewControls::Start() {
  ScriptNamespace* names = m_engine->GetNamespace();
  if (!FindRig(names, m_rig)) return false;
  m_rig.radius = m_view.radius;
  m_pipe = FindPipe(names);
  m_passes = m_rig.channel->GetIntField();
  m_firstRotation = m_rig.orbit->GetRotation();
  m_firstCentre = m_rig.orbit->GetTranslation();
  m_firstDistance = m_rig.eye->GetTranslation().z;
  m_overlay.Make(m_engine);
  ShowText();
  return true;
}

AnimationClip_I* ViewControls::PlayingClip() const {
  for (const Obj<ScriptObject>& c : m_view.clips)
    if (auto* clip = static_cast<AnimationClip_I*>(c.Get()); clip->m_enabled) return clip;
  return nullptr;
}

void ViewControls::ApplyShaders() {
  for (const ModelView::Shader& entry : m_view.shaders) {
    auto* shader = static_cast<RenderShader_I*>(entry.shader.Get());
    // Culling on gives back the file's own; lighting off turns every shader's off.
    shader->m_cullEnable = m_cull && entry.cull;
    shader->m_lightEnable = m_light && entry.light;
    if (auto* phong = As<ShaderPhong_I>(shader->m_surface.Get()))
      phong->m_color = m_textures ? Obj<ShaderExpression_I>(static_cast<ShaderExpression_I*>(entry.color.Get()))
                                  : Obj<ShaderExpression_I>();
  }
}

void ViewControls::ApplyPasses() {
  // Wireframe: the faces' edges alone, hidden ones left out by the depth the lines themselves write;
  // points: their corners so.
  const int32_t fills[] = {m_passes, int32_t(kPassExtra3), int32_t(kPassPoints)};
  int32_t passes = fills[m_fill];
  if (m_skeleton) passes |= int32_t(kPassDebugSkeleton);
  m_rig.channel->SetIntField(passes);
}

void ViewControls::ChangeClip(int by) {
  const auto n = int32_t(m_view.clips.size());
  if (n == 0) return;
  int32_t current = -1;
  for (int32_t i = 0; i < n && current < 0; ++i)
    if (static_cast<AnimationClip_I*>(m_view.clips[size_t(i)].Get())->m_enabled) current = i;
  // From no clip playing, n starts at the first and p at the last.
  const int32_t next = current < 0 ? (by > 0 ? 0 : n - 1) : ((current + by) % n + n) % n;
  for (int32_t i = 0; i < n; ++i) {
    auto* clip = static_cast<AnimationClip_I*>(m_view.clips[size_t(i)].Get());
    clip->m_enabled = i == next;
    // The chosen clip starts now, from its beginning, in a loop.
    if (i == next) {
      clip->m_startTime = m_clock;
      clip->m_cycles = kLoopCycles;
    }
  }
  if (AnimationScheduler_I* s = Scheduler()) {
    // The start times changed: the scheduler orders its clips and their end times anew.
    s->m_clipsUnsorted = true;
    s->RecomputeTrackEndTimes();
  }
}

void ViewControls::ChangeUp() {
  // Several models turn together, each by its own up turn, and stand side by side again.
  std::vector<Obj<ScriptObject>> models = m_view.models;
  if (models.empty()) models.push_back(m_view.root);
  const std::string now = ModelUpAxis(models[0]);
  size_t i = 0;
  while (i < std::size(kUpAxes) && now != kUpAxes[i]) ++i;
  const char* next = kUpAxes[(i + 1) % std::size(kUpAxes)];
  bool turned = true;
  for (const Obj<ScriptObject>& model : models) turned = SetModelUp(model, next) && turned;
  PlaceSideBySide(m_view);
  if (!turned) return;
  // The first view of the models so turned, for Space; then the view framed again from where it is seen.
  const Vector3f rotation = m_rig.orbit->GetRotation();
  FrameModelView(m_engine, m_view, m_firstRotation);
  m_firstCentre = m_rig.orbit->GetTranslation();
  m_firstDistance = m_rig.eye->GetTranslation().z;
  FrameModelView(m_engine, m_view, rotation);
}

bool ViewControls::Key(uint32_t code) {
  switch (code) {
    case 27:
    case 'q':
      return false;
    case ' ':
      // The first frame's view as it was: the box framing depends on the rotation it was fitted from,
      // which a script may have changed since.
      if (!m_view.fileCamera) {
        m_rig.orbit->SetTranslation(m_firstCentre);
        m_rig.orbit->SetRotation(m_firstRotation);
        PlaceEye(m_rig, m_firstDistance);
      }
      break;
    case 'w':
      m_fill = (m_fill + 1) % 3;
      ApplyPasses();
      break;
    case 'k':
      m_skeleton = !m_skeleton;
      ApplyPasses();
      break;
    case 'b':
      m_cull = !m_cull;
      ApplyShaders();
      break;
    case 'l':
      m_light = !m_light;
      ApplyShaders();
      break;
    case 't':
      m_textures = !m_textures;
      ApplyShaders();
      break;
    case 'n':
    case 'p':
      ChangeClip(code == 'n' ? 1 : -1);
      break;
    case '.':
      m_paused = !m_paused;
      break;
    case ',':
      if (m_paused) m_pendingStep += kFrameStep;
      break;
    case '+':
    case '=':  // the same key without Shift
      m_speed = std::min(m_speed * 2, kMaxSpeed);
      break;
    case '-':
      m_speed = std::max(m_speed / 2, kMinSpeed);
      break;
    case 'u':
      ChangeUp();
      m_rig.radius = m_view.radius;
      break;
    case 's':
      m_statistics = !m_statistics;
      break;
    case 'h':
    case ViewInput::kF1:
      m_keys = !m_keys;
      break;
    default:
      break;
  }
  return true;
}

void ViewControls::Drag() {
  ViewInput& in = *m_input;
  // Half a degree a pixel; each wheel step moves the eye a tenth nearer or farther.
  if (in.m_orbitX != 0 || in.m_orbitY != 0) {
    Vector3f angles = m_rig.orbit->GetRotation();
    m_rig.orbit->SetRotation({std::clamp(angles.x - float(in.m_orbitY) * 0.5f, -89.0f, 89.0f),
                              angles.y - float(in.m_orbitX) * 0.5f, angles.z});
  }
  if (in.m_panX != 0 || in.m_panY != 0) {
    // The point under the pointer follows it, at the depth of the orbit's centre.
    const float height = float(m_pipe && m_pipe->m_height > 0 ? m_pipe->m_height : 480);
    const float perPixel = 2 * m_rig.eye->GetTranslation().z * std::tan(kFieldOfView * 0.5f * kDegToRad) / height;
    Matrix4f local, out;
    local = m_rig.orbit->ApplyLocalMatrix(kIdentityMatrix4f, out);
    const Vector3f right{local.m[0], local.m[1], local.m[2]}, up{local.m[4], local.m[5], local.m[6]};
    m_rig.orbit->SetTranslation(m_rig.orbit->GetTranslation() - right * (float(in.m_panX) * perPixel) +
                                up * (float(in.m_panY) * perPixel));
  }
  if (in.m_wheel != 0) {
    const float distance = m_rig.eye->GetTranslation().z * std::pow(0.9f, in.m_wheel);
    // From inside the model (to look at a detail) to far enough that it shrinks to a few pixels.
    PlaceEye(m_rig, std::clamp(distance, m_rig.radius * 0.01f, m_rig.radius * 1e3f));
  }
  in.m_orbitX = in.m_orbitY = in.m_panX = in.m_panY = 0;
  in.m_wheel = 0;
}

const char* ViewControls::DrawMode() const {
  const auto passes = uint32_t(m_rig.channel->GetIntField());
  if (passes & kPassMain) return "filled";
  if (passes & (kPassExtra2 | kPassExtra3)) return "wireframe";
  if (passes & kPassPoints) return "points";
  return "faces not drawn";
}

std::string ViewControls::DrawnLine() const {
  const Ptr<RenderStatistics_I> stats(m_pipe ? m_pipe->GetStatistics() : nullptr);
  if (!stats) return "nothing drawn yet\n";
  // Each kind the last frame drew, named; the overlay's own font is not the model's.
  std::string line;
  auto add = [&line](int32_t n, const char* what) {
    line += (line.empty() ? "" : ", ") + std::to_string(n) + " " + what;
  };
  const int32_t lines = stats->GetLineCount(), points = stats->GetPointCount();
  if (stats->GetPrimitiveCount() != 0 || (lines == 0 && points == 0)) add(stats->GetPrimitiveCount(), "primitives");
  if (lines != 0) add(lines, "lines");
  if (points != 0) add(points, "points");
  add(std::max(stats->GetTextureCount() - m_overlay.OwnTextures(), 0), "textures");
  return line + "\n";
}

void ViewControls::ShowText() {
  std::string statistics;
  if (m_statistics) {
    char line[256];
    const double fps = m_frameSeconds > 0 ? 1 / m_frameSeconds : 0;
    std::snprintf(line, sizeof line, "%.1f fps, %.1f ms a frame\n", fps, m_frameSeconds * 1e3);
    statistics = line;
    statistics += DrawnLine();
    std::snprintf(line, sizeof line, "up %s, %s\n", ModelUpAxis(m_view.root).c_str(), DrawMode());
    statistics += line;
    if (AnimationClip_I* clip = PlayingClip()) {
      const double length = clip->GetDuration() * std::fabs(clip->m_scale);
      const double at = length > 0 ? std::fmod(std::max(m_clock - clip->m_startTime, 0.0), length) : 0;
      std::snprintf(line, sizeof line, "clip \"%s\" %.2f of %.2f s, x%g%s", clip->m_name.CStr(), at, length, m_speed,
                    m_paused ? ", paused" : "");
    } else {
      std::snprintf(line, sizeof line, "no clip");
    }
    statistics += line;
  }
  m_overlay.Show(statistics, m_keys ? kViewKeys : "");
}

bool ViewControls::BeforeFrame() {
  const auto now = std::chrono::steady_clock::now();
  const double seconds = std::chrono::duration<double>(now - m_lastFrame).count();
  m_lastFrame = now;
  m_frameSeconds = m_frameSeconds == 0 ? seconds : m_frameSeconds * 0.9 + seconds * 0.1;
  std::vector<uint32_t> keys;
  keys.swap(m_input->m_keys);
  for (uint32_t code : keys)
    if (!Key(code)) return false;
  Drag();
  ShowText();
  return true;
}

void ViewControls::StepAnimation(double now) {
  const double elapsed = std::max(now - m_lastNow, 0.0);
  m_lastNow = now;
  const double before = m_clock;
  m_clock += m_paused ? m_pendingStep : elapsed * m_speed;
  m_pendingStep = 0;
  // A scheduler stepped twice to one time warns: a paused clip holds its pose without a step.
  if (m_stepped && m_clock == before) return;
  m_stepped = true;
  StepSchedulers(m_engine->GetNamespace(), m_clock);
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
