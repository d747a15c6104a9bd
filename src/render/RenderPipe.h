// The output window and render engine of an application, with the format the engine opens.
#pragma once

#include "classes/EngineClass.h"
#include "classes/Object.h"
#include "core/Array.h"
#include "core/Obj.h"
#include "engine/RenderEngine.h"
#include "platform/WindowMessages.h"
#include "render/CharQueue.h"
#include "render/InputTracker.h"

namespace PM {

class RenderStatistics_I;

// One raw-input device's record; the pipe only keeps it zeroed beside the device.
struct RawInputRecord {
  int32_t words[4] = {0, 0, 0, 0};
};

// The pipe's private part: engine, windows, timing and input state.
struct RenderPipe_D {
  Ptr<RenderEngine_I> engine;
  int32_t presentArg = 0;
  PlatformWindow* attachedWindow = nullptr;
  PlatformWindow* window = nullptr;
  String secondPath;  // the registry base path of the texture settings
  bool classRegistered = false;
  bool windowGone = false;
  int64_t lastPresent = 0;
  bool autoPlacement = false;
  bool placementPending = false;
  bool closeRequested = false;
  bool mouseInside = false;
  uint32_t mouseValid = 1;  // multiplies every button mask; 0 from a focus loss to the next press
  uint32_t pendingCharKey = 0;
  CharQueue chars;
  bool charsDropped = false;  // an overflow has been reported and the queue not emptied since
  Ptr<InputTracker> tracker;  // the tracker must begin its counted block
  Array<Obj<ScriptObject>> rawDevices;
  Array<String> rawNames;
  Array<RawInputRecord> rawRecords;
};

// The clock and sleep Present paces with; tests put fakes in.
struct PresentTiming {
  int64_t (*now)() = nullptr;           // performance-counter ticks (nanoseconds)
  void (*sleep)(int32_t ms) = nullptr;  // 0 yields
};

class RenderPipe_I : public EngineClass<RenderPipe_I, Object_I, ClassId::RenderPipe, "RenderPipe"> {
 public:
  static void Define();
  // A window coordinate that asks for the window to be centred on the screen.
  static constexpr int32_t kWindowCentred = INT32_MIN;
  static constexpr const char* kWindowClassName = "Pelmora010276";

  RenderPipe_I();
  ~RenderPipe_I();

  // The interface, in slot order.
  virtual void GetWindowRect(int32_t* x, int32_t* y, int32_t* width, int32_t* height);
  virtual void GetClientArea(int32_t* x, int32_t* y, int32_t* width, int32_t* height);
  virtual bool IsReady();
  virtual int32_t HasFocus();
  virtual void SetAttachedWindow(PlatformWindow* window);
  virtual PlatformWindow* GetWindowHandle();
  virtual void SetInputTracker(InputTracker* tracker);
  virtual InputTracker* GetInputTracker();
  virtual void GetRawInputDevices(int32_t type, Array<String>* names, Array<intptr_t>* handles);
  virtual void AddRawInputDevice(ScriptObject* device, int32_t type, const String& name);
  virtual void RemoveRawInputDevice(ScriptObject* device);
  virtual void SetAutoPlacement(uint8_t enable);
  virtual int32_t UpdatePlacement();
  virtual int32_t Reserved14(int32_t);
  virtual bool FilterMessage(WindowMessage* message);
  virtual void GetSystemReport(String* out);
  virtual int32_t Reserved17();
  virtual ResultCode ApplyFormat();
  virtual int32_t DeInitializeWindow();
  virtual RenderEngine* GetRenderEngine();
  // The handle that owns the engine, for a caller that must keep the engine alive while it draws
  // (a script may replace the pipe's engine meanwhile); its Engine() is what GetRenderEngine answers.
  const Ptr<RenderEngine_I>& GetRenderEngineHandle() const { return m_d.engine; }
  virtual int32_t GetTextureLoadCount();
  virtual void SetPresentArg(int32_t arg);
  virtual int32_t GetPresentArg();
  virtual ResultCode MakeCurrent();
  virtual ResultCode Present(bool skipPresent);
  virtual uint32_t PopChar();
  virtual void ClearChars();
  virtual uint8_t IsCloseRequested();
  virtual RenderStatistics_I* GetStatistics();
  virtual int32_t RequestScreenShot(bool skipPresent, bool withDepth);
  virtual Image_I* GetScreenShotImage();
  virtual Image_I* GetScreenShotDepthImage();
  virtual Image_I* GetColorBufferImage();
  virtual void ReadColorBuffer(Array<uint8_t>* out);
  virtual void SetSecondPath(const String& path);
  virtual String GetSecondPath();
  virtual void SetCursor(unsigned long cursor);
  virtual unsigned long GetCursor();

  // Member accessors with effects.
  bool GetFullscreen() const { return m_fullscreen; }
  void SetFullscreen(bool on);
  Vector2f GetResolution() const { return {float(m_width), float(m_height)}; }
  void SetResolution(const Vector2f& v);
  Vector2f GetWindowPosition() const { return {float(m_windowX), float(m_windowY)}; }
  void SetWindowPosition(const Vector2f& v);
  int32_t GetEnableTexture() const { return m_enableTexture; }
  int32_t GetEnableTextureThread() const { return m_enableTextureThread; }
  int32_t GetMaxTextureUnit() const { return m_maxTextureUnit; }
  float GetTextureLoadTimeLimit() const { return m_textureLoadTimeLimit; }
  String GetImagePath() const { return m_imagePath; }
  int32_t GetMaxTextureSizeShift() const { return m_maxTextureSizeShift; }
  bool GetWindowVisibility() const { return m_windowVisibility; }
  bool GetWindowResizeable() const { return m_windowResizeable; }
  bool GetWindowMaximize() const { return m_windowMaximize; }
  void SetEnableTexture(int32_t v);
  void SetEnableTextureThread(int32_t v);
  void SetMaxTextureUnit(int32_t v);
  void SetTextureLoadTimeLimit(float v);
  void SetImagePath(const String& v);
  void SetMaxTextureSizeShift(int32_t v);
  void SetWindowVisibility(bool v);
  void SetWindowResizeable(bool v);
  void SetWindowMaximize(bool v);

  // The records handed to the engine, built from the members.
  RenderFormatInfo FormatInfo() const;
  TextureSettingsInfo TextureSettings() const;

  // The window procedure of the pipe's window class.
  static intptr_t WindowProcedure(PlatformWindow* window, uint32_t message, uintptr_t wParam, intptr_t lParam);
  intptr_t HandleMessage(PlatformWindow* window, uint32_t message, uintptr_t wParam, intptr_t lParam);
  // The mouse, key and window messages of HandleMessage; the first two answer whether the message was
  // theirs, and `swallowed` tells that the default procedure must not see it.
  bool HandleMouseMessage(PlatformWindow* window, uint32_t message, uintptr_t wParam, intptr_t lParam);
  void MouseDown(PlatformWindow* window, WindowPoint at, uintptr_t wParam, bool doubleClick);
  bool HandleKeyMessage(uint32_t message, uintptr_t wParam, bool* swallowed);
  void HandleWindowEvent(PlatformWindow* window, uint32_t message, uintptr_t wParam, intptr_t lParam, bool* swallowed);

  static PresentTiming SetPresentTiming(PresentTiming timing);  // returns the one it replaces
  // Pipes that registered the window class.
  static int32_t ClassUserCount() { return s_classUsers; }
  // Whether a pipe that finds no X display draws into memory, on an off-screen surface of its resolution,
  // instead of failing for want of a window (for hosts that draw frames only for their pictures). Off by
  // default; process-wide.
  static void SetOffscreenWithoutDisplay(bool on);

  String m_renderEngineType = "Auto";
  bool m_fullscreen = false;
  int32_t m_width = 640;
  int32_t m_height = 480;
  float m_refreshRate = 60.0f;
  int32_t m_swapInterval = 0;
  int32_t m_colorBits = 16;
  int32_t m_alphaBits = 0;
  int32_t m_depthBits = 16;
  int32_t m_stencilBits = 0;
  int32_t m_bufferBackColorCount = 1;
  int32_t m_bufferBackgroundColorCount = 0;
  int32_t m_bufferBackgroundDepthStencilCount = 0;
  bool m_bufferFrontColorAccessEnable = false;
  bool m_bufferBackColorAccessEnable = false;
  bool m_bufferBackDepthStencilAccessEnable = false;
  bool m_windowBorderEnable = true;
  int32_t m_windowX = kWindowCentred;
  int32_t m_windowY = kWindowCentred;
  String m_windowTitle;
  int32_t m_enableTexture = 1;
  int32_t m_enableTextureThread = 1;
  int32_t m_maxTextureUnit = 2;
  bool m_windowVisibility = true;
  float m_textureLoadTimeLimit = -1.0f;
  String m_imagePath = "Images/";
  bool m_windowResizeable = true;
  bool m_windowMaximize = false;
  int32_t m_maxTextureSizeShift = 0;
  float m_swapRateLimit = 120.0f;

  RenderPipe_D m_d;

 private:
  static int32_t s_classUsers;  // pipes counted in the window class's use
  static bool s_offscreenWithoutDisplay;
  int32_t CreateOwnWindow();
  // The off-screen window of the pipe's resolution when off-screen drawing is allowed and no display can
  // be opened: 0 made, 1 a display is there (a window follows), -1 failed (logged).
  int32_t CreateOffscreenWindowWithoutDisplay();
  int32_t InitializeFullscreen();
  void ResizeWindow();
  void PassTextureSettings();
  PlatformWindow* AnyWindow() const { return m_d.window ? m_d.window : m_d.attachedWindow; }
};

// Saturating conversion of a script float to a window coordinate or size: NaN is 0.
int32_t SaturatingInt(float v);

}  // namespace PM
