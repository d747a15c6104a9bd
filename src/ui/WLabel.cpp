#include "ui/WLabel.h"

namespace PM {

void WLabel_I::Define() {
  DefineUIClass<WLabel_I, WControl_I>();
}

}  // namespace PM
