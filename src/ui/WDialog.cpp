#include "ui/WDialog.h"

namespace PM {

void WDialog_I::Define() {
  DefineUIClass<WDialog_I, WFrame_I>();
}

}  // namespace PM
