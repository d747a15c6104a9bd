// The texts the OpenGL engine shows a user whose driver cannot run it, in English, German and Spanish.
#pragma once

namespace PM {

enum class OpenGLMessage {
  kOutdatedDriver,       // #1 adapter, #2 system error
  kNoPixelFormat,        // #1 system error
  kNoValidFormat,        // no arguments
  kGenericFormat,        // #1 adapter
  kContextMultiDisplay,  // #1 adapter, #2 system error
  kContextFailed,        // #1 adapter, #2 system error
  kNotInstalled,         // OpenGL 1.1 missing or damaged
  kNotInstalledError,    // the same with "WindowsError: #1."
};

// The text in the language (0 English, 1 German, 2 Spanish; any other value German).
const char* OpenGLMessageText(OpenGLMessage message, int language);

}  // namespace PM
