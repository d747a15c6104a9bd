// The device buffers an engine keeps for one geometry between frames. The geometry holds it through a
// counted reference that DrawPolygonData fills; the engine keeps it on its live or unloaded list.
#pragma once

#include <cstdint>

namespace PM {

class RenderPolygonCache {
 public:
  // Gives up the device buffers; the geometry calls it before it drops its last reference.
  virtual void Unload() = 0;
  // Marks the arrays named by the change flags (PolygonData::DynamicMask bits) for a refill.
  virtual void SetDirty(uint32_t flags) = 0;

 protected:
  ~RenderPolygonCache() = default;  // destroyed through its block's type record
};

}  // namespace PM
