// A layer composed of an ordered list of layers drawn in turn into one new image.
#pragma once

#include "render/ImageLayer.h"
#include "scene/EngineClass.h"

namespace PM {

// Larger group images are refused: the same side limit as the image files.
constexpr int kGroupLayerMaxSide = kImageMaxSide;

class GroupLayer_I : public ImageLayer_I {
 public:
  static constexpr uint32_t kClassId = 0xFFFFF0B2;
  static const TypeRecord& GetTypeRecord() { return EngineTypeRecord<GroupLayer_I>("GroupLayer"); }
  static ScriptObject* Create() { return NewEngineObject<GroupLayer_I>(); }
  static ScriptObject* CreateExtra(uint32_t extraBytes) { return NewEngineObject<GroupLayer_I>(extraBytes); }

  ~GroupLayer_I();

  int32_t ApplyToImage(LayerApplyContext& context, LayerImageResult& result) override;
  int32_t AutoDimension(LayerApplyContext& context, Vector3f& out, int force) override;
  int32_t ReleaseImages() override;

  // The LayerArray member: nil and layers only; a link that would close a cycle is refused.
  ScriptObject* GetLayerAt(int32_t i);
  void SetLayerAt(int32_t i, ScriptObject* layer);
  int32_t LayerCount() { return m_layerArray.Count(); }
  void RemoveLayers(int32_t start, int32_t count);

  Array<Obj<ScriptObject>> m_layerArray;
};

}  // namespace PM
