#include "render/dialog/GraphicsSetupDialogX11.h"

#include "platform/MessageDialog.h"
#include "platform/PlatformWindow.h"
#include "platform/X11Dialog.h"

namespace PM {

namespace {

X11ControlKind KindOf(GraphicsSetupDialog::ControlKind k) {
  switch (k) {
    case GraphicsSetupDialog::kDefaultButton:
      return X11ControlKind::kDefaultButton;
    case GraphicsSetupDialog::kButton:
      return X11ControlKind::kButton;
    case GraphicsSetupDialog::kGroupBox:
      return X11ControlKind::kGroupBox;
    case GraphicsSetupDialog::kInfoText:
      return X11ControlKind::kScrollText;
    case GraphicsSetupDialog::kRadio:
      return X11ControlKind::kRadio;
    default:
      return X11ControlKind::kStatic;
  }
}

// A message box that falls back to the default answer when no display can be opened.
int MessageBoxIconX11(const char* title, const char* text, MessageIcon icon, int defaultAnswer) {
  const int answer = RunX11MessageBox(title, text, defaultAnswer, icon);
  return answer < 0 ? defaultAnswer : answer;
}
int MessageBoxX11(const char* title, const char* text, int defaultAnswer) {
  return MessageBoxIconX11(title, text, MessageIcon::kNone, defaultAnswer);
}

}  // namespace

int ShowGraphicsSetupX11(GraphicsSetupDialog& dialog, PlatformWindow* owner) {
  dialog.OnInitDialog();
  std::vector<X11DialogControl> controls;
  for (const GraphicsSetupDialog::ControlRow& row : GraphicsSetupDialog::kControls) {
    X11DialogControl c;
    c.id = row.id;
    c.kind = KindOf(row.kind);
    c.x = row.x, c.y = row.y, c.width = row.width, c.height = row.height;
    controls.push_back(c);
  }
  X11DialogCallbacks cb;
  cb.command = [&](int32_t id) { dialog.OnCommand(id); };
  cb.close = [&] { dialog.OnClose(); };
  cb.done = [&] { return dialog.Ended(); };
  cb.state = [&](std::vector<X11DialogControl>& list) {
    for (X11DialogControl& c : list) {
      c.text = dialog.Text(c.id);
      c.checked = dialog.IsChecked(c.id);
      c.visible = dialog.IsVisible(c.id);
      c.enabled = dialog.IsEnabled(c.id);
    }
  };
  const std::string title(dialog.Title().View());
  const std::string face(dialog.FontFace().View());
  if (!RunX11Dialog(title, GraphicsSetupDialog::kWidth, GraphicsSetupDialog::kHeight, face, dialog.FontPointSize(),
                    owner ? owner->window : 0, controls, cb))
    return -1;
  return dialog.Result() == 0 ? 0 : 1;
}

void InstallX11DialogHandlers() {
  GraphicsSetupDialog::SetHandler(&ShowGraphicsSetupX11);
  SetMessageDialogHook(&MessageBoxX11);
  SetMessageBoxHook(&MessageBoxIconX11);
}

}  // namespace PM
