#include "ui/WidgetClasses.h"

namespace PM {

void RegisterWidgetClasses() {}

void UninitEngineClasses() {}

}  // namespace PM
