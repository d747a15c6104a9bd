// SChannelFX and TChannelFX: full-screen post effects (bloom, depth of field, colour filter)
// placed in the tree as a geometry item. Drawing the node hands its settings to the render engine.
#pragma once

#include "classes/FileObject.h"
#include "engine/RenderEngineRecords.h"
#include "geometry/Geometry.h"

namespace PM {

class SChannelFX_I : public EngineClass<SChannelFX_I, SGeometry_I, ClassId::SChannelFX, "SChannelFX"> {
 public:
  static void Define();

  // Records the read path in force now: the effect's shader files are looked for there.
  SChannelFX_I();

  // Hands the settings and the recorded read path to the engine's ChannelFX; 0 in a pass that draws
  // no geometry (nothing is called then).
  int32_t Draw(RenderEngine* engine, const Vector4f* colors) override;

  ChannelFXInfo m_info;            // the script members write straight into it
  Obj<ScriptObject> m_fileObject;  // a FileObject with an empty name; not a script member
};

class TChannelFX_I : public EngineClass<TChannelFX_I, TGeometry_I, ClassId::TChannelFX, "TChannelFX", SChannelFX_I> {
 public:
};

}  // namespace PM
