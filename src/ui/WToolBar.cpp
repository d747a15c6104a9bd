#include "ui/WToolBar.h"

namespace PM {

void WToolBar_I::Define() {
  DefineUIClass<WToolBar_I, WSizer_I>();
}

}  // namespace PM
