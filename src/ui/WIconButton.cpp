#include "ui/WIconButton.h"

namespace PM {

void WIconButton_I::Define() { DefineUIClass<WIconButton_I, WButton_I>(); }

}  // namespace PM
