#include "ui/WMenuBar.h"

namespace PM {

void WMenuBar_I::Define() {
  DefineUIClass<WMenuBar_I, WSizer_I>();
}

}  // namespace PM
