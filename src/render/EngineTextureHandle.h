// The part of an engine's texture record that every engine keeps the same way: the engine it belongs to,
// its place in that engine's live list, the bytes charged for it and the frame it was last bound in.
// The back ends derive their handles from it and add the device texture.
#pragma once

#include <cstdint>

#include "engine/TextureHandle.h"

namespace PM {

class RenderEngineBase;

class EngineTextureHandle : public TextureHandle {
 public:
  // Leaves the engine's live list for its unloaded one; the engine frees the device texture later.
  void Unload() override;

  RenderEngineBase* Owner() const { return m_owner; }
  int32_t ByteCount() const { return m_bytes; }

  int32_t m_listIndex = -1;  // position in the owner's live list

 protected:
  // `kind` names the handle in the line that reports a corrupt live list.
  EngineTextureHandle(RenderEngineBase* owner, const char* kind) : m_owner(owner), m_kind(kind) {}

  RenderEngineBase* m_owner;  // null once unloaded
  const char* m_kind;
  int32_t m_bytes = 0;       // charged to the engine's texture memory
  int32_t m_lastFrame = -1;  // the engine frame it was last bound in

 private:
  friend class RenderEngineBase;
};

}  // namespace PM
