#include "ui/WListItem.h"

namespace PM {

void WListItem_I::Define() { DefineUIClass<WListItem_I, WButton_I>(); }

}  // namespace PM
