#include "ui/WidgetClasses.h"

#include "classes/EngineClassRegistry.h"
#include "classes/EngineClasses.h"
#include "core/Log.h"
#include "script/object/GlobalFunctions.h"
#include "ui/FontStyle.h"
#include "ui/TileCollection.h"
#include "ui/UIElement.h"
#include "ui/WButton.h"
#include "ui/WChannel.h"
#include "ui/WCheckBox.h"
#include "ui/WComboBox.h"
#include "ui/WControl.h"
#include "ui/WDialog.h"
#include "ui/WEffect.h"
#include "ui/WEvent.h"
#include "ui/WEventCallback.h"
#include "ui/WFrame.h"
#include "ui/WGroup.h"
#include "ui/WGroupFrame.h"
#include "ui/WHandler.h"
#include "ui/WIconButton.h"
#include "ui/WImage.h"
#include "ui/WKeyHandler.h"
#include "ui/WLabel.h"
#include "ui/WListItem.h"
#include "ui/WMenuBar.h"
#include "ui/WMenuItem.h"
#include "ui/WPopup.h"
#include "ui/WProgress.h"
#include "ui/WScroll.h"
#include "ui/WScrollFrame.h"
#include "ui/WSizer.h"
#include "ui/WSizerItem.h"
#include "ui/WSlider.h"
#include "ui/WSpacer.h"
#include "ui/WSpinBox.h"
#include "ui/WTabFrame.h"
#include "ui/WText.h"
#include "ui/WToolBar.h"
#include "ui/WTransform.h"
#include "ui/Widget.h"
#include "ui/WidgetStyle.h"
#include "ui/Window.h"

namespace PM {

// The classes in table order; a base always comes before the classes derived from it, because a new
// class starts from a copy of its base's row.
static constexpr void (*kWidgetClassTable[])() = {
    &TWindow_I::Define,  // SWindow, then TWindow
    &WidgetStyle_I::Define,
    &FontStyle_I::Define,
    &DefineWEventEnum,
    &WHandler_I::Define,
    &WKeyHandler_I::Define,
    &WEventCallback_I::Define,
    &Widget_I::Define,
    &WEffect_I::Define,
    &WFrame_I::Define,
    &WGroup_I::Define,
    &WDialog_I::Define,
    &WControl_I::Define,
    &WScrollFrame_I::Define,
    &WSlider_I::Define,
    &WScroll_I::Define,
    &WButton_I::Define,
    &WIconButton_I::Define,
    &WGroupFrame_I::Define,
    &WProgress_I::Define,
    &WMenuItem_I::Define,
    &WCheckBox_I::Define,
    &WListItem_I::Define,
    &WSizer_I::Define,
    &WSizer_I::DefineSizerModeEnum,
    &WSizerItem_I::Define,
    &WSpacer_I::Define,
    &WMenuBar_I::Define,
    &WPopup_I::Define,
    &WToolBar_I::Define,
    &WSpinBox_I::Define,
    &WComboBox_I::Define,
    &WTabFrame_I::Define,
    &WLabel_I::Define,
    &Widget_I::DefineResizeModeEnum,
    &Widget_I::DefineAlignmentModeEnum,
    &WImage_I::Define,
    &WText_I::Define,
    &WTransform_I::Define,
    &WChannel_I::Define,
    &TileCollection_I::Define,
    &UIElement_I::Define,
};

void RegisterWidgetClasses() {
  for (auto define : kWidgetClassTable) define();
}

static const bool kEntry = AddEngineClassEntry(kEngineWidgetGroup, &RegisterWidgetClasses);

void GCall(uint32_t functionId) {
  if (!LogLevelAdmits(kLevelError)) return;
  // An empty entry, or an id outside the table, has no name.
  const char* name = GlobalFunctionName(functionId);
  StreamPipeRef& pipe = LogErrPipe();
  pipe->BeginMessage(kLevelError);
  pipe.WriteText("GCall: invalid arguments for function 0x").WriteHexPadded(functionId, 4).WriteChar(' ');
  pipe.WriteQuoted(*name ? name : "???", -1, '"').WriteChar('.');
  pipe.EndLine();
  pipe->EndMessage();
}

}  // namespace PM
