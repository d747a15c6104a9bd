// The user-interface class table: defined last by RegisterEngineClasses.
#pragma once

namespace PM {

void RegisterWidgetClasses();
// The shutdown step of the engine classes.
void UninitEngineClasses();

}  // namespace PM
