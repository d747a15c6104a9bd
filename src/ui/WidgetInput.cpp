#include "ui/WidgetInput.h"

#include "ui/Widget.h"
#include "ui/Window.h"

namespace PM {

WidgetInput::WidgetInput() = default;

}  // namespace PM
