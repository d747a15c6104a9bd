// SChannelFX and TChannelFX: full-screen post effects (bloom, depth of field, colour filter)
// placed in the tree as a geometry item. Drawing the node hands its settings to the render engine.
#pragma once

#include "geometry/Geometry.h"
#include "render/engine/RenderEngineRecords.h"
#include "scene/FileObject.h"

namespace PM {

class SChannelFX_I : public SGeometry_I {
 public:
  static constexpr uint32_t kClassId = 0xFFFFF0FC;
  static const TypeRecord& GetTypeRecord() { return EngineTypeRecord<SChannelFX_I>("SChannelFX"); }
  static ScriptObject* Create() { return NewEngineObject<SChannelFX_I>(); }
  static ScriptObject* CreateExtra(uint32_t extraBytes) { return NewEngineObject<SChannelFX_I>(extraBytes); }

  // Records the read path in force now: the effect's shader files are looked for there.
  SChannelFX_I();

  // Hands the settings and the recorded read path to the engine's ChannelFX; 0 in a pass that draws
  // no geometry (nothing is called then).
  int32_t Draw(RenderEngine* engine, const Vector4f* colors) override;

  ChannelFXInfo m_info;  // the script members write straight into it
  Obj<ScriptObject> m_fileObject;  // a FileObject with an empty name; not a script member
};

class TChannelFX_I : public TGeometry_I {
 public:
  static constexpr uint32_t kClassId = 0xFFFFF0FD;
  static const TypeRecord& GetTypeRecord() { return EngineTypeRecord<TChannelFX_I>("TChannelFX"); }
  static ScriptObject* Create() { return NewEngineNode<TChannelFX_I, SChannelFX_I>(); }
  static ScriptObject* CreateExtra(uint32_t n) { return NewEngineNode<TChannelFX_I, SChannelFX_I>(n); }
};

}  // namespace PM
