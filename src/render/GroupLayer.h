// A layer composed of an ordered list of layers drawn in turn into one new image.
#pragma once

#include "classes/EngineClass.h"
#include "render/ImageLayer.h"

namespace PM {

// Larger group images are refused: the same side limit as the image files.
constexpr int kGroupLayerMaxSide = kImageMaxSide;

class GroupLayer_I : public EngineClass<GroupLayer_I, ImageLayer_I, ClassId::GroupLayer, "GroupLayer"> {
 public:
  static void Define();
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
