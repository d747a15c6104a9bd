#include "ui/WGroup.h"

namespace PM {

void WGroup_I::Define() {
  DefineUIClass<WGroup_I, WFrame_I>();
}

}  // namespace PM
