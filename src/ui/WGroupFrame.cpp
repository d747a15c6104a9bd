#include "ui/WGroupFrame.h"

namespace PM {

void WGroupFrame_I::Define() {
  DefineUIClass<WGroupFrame_I, WControl_I>();
}

}  // namespace PM
