#include "script/lang/ErrorReport.h"

namespace PM {

void ErrorReport::EndError(StreamPipeRef& stream) {
  stream.EndLine();
  stream.SetColor(7, 0);
  stream.Unlock();
}

}  // namespace PM
