// The dialog in which a user chooses how much video memory the application may assume (16, 32, 64 or
// 128 MB), or lets the pipe's engine measure it and recommend a class. The logic is a window-free state
// machine over the dialog's controls; a front end (a handler the host may install) shows it and feeds it
// the user's clicks. Without one, the dialog answers at once with its default button.
#pragma once

#include <cstdint>
#include <string>

#include "core/Obj.h"
#include "core/String.h"

namespace PM {

class RenderPipe_I;
struct PlatformWindow;
class GraphicsSetupDialog;

// A front end: runs the dialog modally over `owner` and returns 0 or 1 when it ended, -1 when it could not
// be shown. It calls OnInitDialog first, then OnCommand and OnClose as the user acts.
using GraphicsSetupHandler = int (*)(GraphicsSetupDialog& dialog, PlatformWindow* owner);

class GraphicsSetupDialog final {
 public:
  // The controls, by id.
  enum Control : int32_t {
    kAutodetect = 1019,
    kRadio16 = 1020,
    kRadio32 = 1021,
    kRadio64 = 1022,
    kRadio128 = 1023,
    kInfo = 1024,
    kOk = 1025,
    kDriverGroup = 1026,
    kRecommended = 1027,
    kChoiceGroup = 1028,
    kAvailable = 1030,
    kNote = 1031
  };
  enum ControlKind : int32_t { kDefaultButton, kButton, kGroupBox, kStatic, kInfoText, kRadio };
  // One control of the dialog template: id, kind, rectangle in dialog units, English text and the German
  // and Spanish replacements (null: the English text stays). Texts are Windows-1252.
  struct ControlRow {
    int32_t id;
    ControlKind kind;
    int32_t x, y, width, height;
    const char* text;
    const char* german;
    const char* spanish;
  };
  static const ControlRow kControls[12];
  static constexpr int32_t kWidth = 320, kHeight = 199;  // dialog units

  GraphicsSetupDialog();
  ~GraphicsSetupDialog();
  GraphicsSetupDialog(const GraphicsSetupDialog&) = delete;
  GraphicsSetupDialog& operator=(const GraphicsSetupDialog&) = delete;

  virtual void SetTitle(const String& title) { m_title = title; }
  virtual void SetInfoText(const String& text) { m_infoText = text; }
  virtual void SetRenderPipe(RenderPipe_I* pipe);
  virtual int32_t GetTextureMemory() { return m_textureMemory; }
  virtual int32_t GetVideoMemory() { return m_videoMemory; }
  virtual void SetFont(const String& face, int32_t pointSize);
  virtual int32_t Show();

  // The state machine the front ends drive.
  void OnInitDialog();
  void OnCommand(int32_t id);
  void OnClose();  // the window's close box: the dialog ends, the result stays -1
  bool Ended() const { return m_ended; }

  // What a front end shows.
  const String& Title() const { return m_title; }
  const std::string& Text(int32_t id) const;
  bool IsChecked(int32_t id) const;
  bool IsVisible(int32_t id) const;
  bool IsEnabled(int32_t id) const;
  const String& FontFace() const { return m_fontFace; }
  int32_t FontPointSize() const { return m_fontPointSize; }
  int32_t Result() const { return m_result; }
  uint32_t DetectedMemory() const { return m_detected; }
  uint32_t RecommendedMemory() const { return m_recommended; }

  // Installs a front end (null restores the default, which answers OK at once) and returns the old one.
  static GraphicsSetupHandler SetHandler(GraphicsSetupHandler handler);

 private:
  int Index(int32_t id) const;
  void Autodetect();
  void Choose(int32_t radio);

  bool m_open = false;  // stands for the window handle of the open dialog
  int32_t m_fontPointSize = 8;
  String m_fontFace = "MS Shell Dlg";
  String m_title;
  int32_t m_result = -1;
  String m_infoText;
  int32_t m_textureMemory = 0xFFFFFF;
  int32_t m_videoMemory = 0x6FFFFF;
  uint32_t m_detected = 0;
  uint32_t m_recommended = 0;
  Ptr<RenderPipe_I> m_pipe;

  // The controls' state while shown: text, checked, visible, enabled; by index in kControls.
  std::string m_texts[12];
  bool m_checked[12] = {};
  bool m_visible[12] = {};
  bool m_enabled[12] = {};
  bool m_ended = false;
};

}  // namespace PM
