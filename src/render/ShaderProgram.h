// A programmable surface: vertex and fragment shader files, a material and textures.
#pragma once

#include "classes/EngineClass.h"
#include "engine/ShaderProgramHandle.h"
#include "render/ShaderExpression.h"

namespace PM {

class FileObject_I;
class RenderMaterial_I;
class Texture_I;

class ShaderProgram_I
    : public EngineClass<ShaderProgram_I, ShaderExpression_I, ClassId::ShaderProgram, "ShaderProgram"> {
 public:
  static void Define();
  ShaderProgram_I() = default;
  // Unloads and releases the compiled program before the members go.
  ~ShaderProgram_I();

  // When a compiled program is held: unloads it, releases it and forgets it, so that the next engine
  // that uses this program compiles it again.
  virtual void ReleaseHandle();
  // The compiled program of the engine that last used this one (null for none); setting replaces the
  // held one without unloading it (the engine that made it does that).
  ShaderProgramHandle* GetHandle() const { return m_handle.Get(); }
  void SetHandle(ShaderProgramHandle* handle) { m_handle = handle; }

  Obj<FileObject_I> m_vertexShaderFile;
  Obj<FileObject_I> m_fragmentShaderFile;
  Obj<RenderMaterial_I> m_material;
  Array<Obj<Texture_I>> m_textureArray;  // member TextureArray: Texture objects or nil

 private:
  Ptr<ShaderProgramHandle> m_handle;
};

}  // namespace PM
