// The part of an engine's polygon cache that every engine keeps the same way: its streams with their
// change bits, the sizes the buffers were made for, the arrays they were filled from, the stream bits
// still to upload and whether the record was found drawable. The back ends derive their caches from it
// and add the device buffers.
#pragma once

#include <cstdint>

#include "engine/PolygonData.h"
#include "engine/RenderPolygonCache.h"

namespace PM {

class RenderEngineBase;

class EnginePolygonCache : public RenderPolygonCache {
 public:
  // The streams in buffer order, with the change bits that mark each for a refill.
  enum Stream { kIndices, kPositions, kNormals, kColors, kTexCoords0, kTexCoords1, kStreamCount };
  static constexpr uint32_t kStreamBits[kStreamCount] = {
      PolygonData::kDynamicIndices, PolygonData::kDynamicPositions,  PolygonData::kDynamicNormals,
      PolygonData::kDynamicColors,  PolygonData::kDynamicTexCoords0, PolygonData::kDynamicTexCoords1};
  static constexpr uint32_t kCountsChanged = PolygonData::kCountsChanged;
  static constexpr uint32_t kIndexCountChanged = PolygonData::kIndexCountChanged;
  static constexpr uint32_t kVertexCountChanged = PolygonData::kVertexCountChanged;
  static constexpr uint32_t kAllDirty = 0xFFFFFFFFu;

  // A record's arrays and their element counts in stream order; no index array without indices.
  struct RecordStreams {
    explicit RecordStreams(const PolygonData& d);
    const void* arrays[kStreamCount];
    int32_t counts[kStreamCount];
  };

  // Leaves the engine's live list for its unloaded one; the engine frees the buffers later.
  void Unload() override;
  void SetDirty(uint32_t flags) override { m_dirty |= flags; }

  RenderEngineBase* Owner() const { return m_owner; }
  uint32_t Dirty() const { return m_dirty; }
  // The clip rectangle the buffers were last filled under, and the array each stream was filled from.
  float* ClipRect() { return m_clipRect; }
  const void* Source(int stream) const { return m_source[stream]; }
  int32_t Size(int stream) const { return m_size[stream]; }

  // Whether the record may be drawn from this cache. It is looked at again (by `isDrawable`, which reports
  // a refusal) only when its indices, positions or the counts in `countBits` changed since the last look;
  // a record found drawable may report its next refusal again.
  template <class IsDrawable>
  bool Drawable(uint32_t countBits, IsDrawable&& isDrawable) {
    if (m_dirty & (kStreamBits[kIndices] | kStreamBits[kPositions] | countBits)) m_checked = false;
    if (!m_checked) {
      m_drawable = isDrawable();
      m_checked = true;
      if (m_drawable) m_refusalLogged = false;
    }
    return m_drawable;
  }

  int32_t m_listIndex = -1;  // position in the owner's live list

 protected:
  // `kind` names the cache in the line that reports a corrupt live list.
  EnginePolygonCache(RenderEngineBase* owner, const char* kind) : m_owner(owner), m_kind(kind) {}
  ~EnginePolygonCache() = default;
  // Sizes and sources forgotten, every stream marked for upload and the record to be checked again.
  void ForgetStreams();

  RenderEngineBase* m_owner;  // null once unloaded
  const char* m_kind;
  uint32_t m_dirty = kAllDirty;
  int32_t m_size[kStreamCount] = {};
  const void* m_source[kStreamCount] = {};  // the array each buffer was last filled from
  float m_clipRect[4] = {-1.0f, -1.0f, -1.0f, -1.0f};
  // The record the buffers were checked for: a record that reads outside its arrays is refused once.
  bool m_checked = false;
  bool m_drawable = false;
  bool m_refusalLogged = false;
};

}  // namespace PM
