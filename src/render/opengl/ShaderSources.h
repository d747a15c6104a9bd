// The two source files of a GLSL program as the OpenGL engine reads them: the name the program's
// messages give it, each file's path and text, and whether both were read whole.
#pragma once

#include <string>

#include "core/String.h"

namespace PM {

struct ShaderSources {
  // Reads the vertex and the fragment file (an empty path is a file that is not set). Each file that is
  // not set, does not open, cannot be read, holds a zero byte or is too long is one Error naming `who`
  // and the file, and leaves the sources incomplete: nothing of them is compiled then.
  static ShaderSources Read(std::string who, std::string vertexPath, std::string fragmentPath);

  // "Images/tint.vs, Images/tint.fs": the files a link message names.
  std::string BothPaths() const { return paths[0] + ", " + paths[1]; }

  std::string who;  // as messages name the program: ShaderProgram "tint"
  std::string paths[2];
  String texts[2];
  bool complete = true;
};

}  // namespace PM
