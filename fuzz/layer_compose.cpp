// Layer composition: bytes become a group of up to four transform layers, each with arbitrary members
// (any float bits, flips, modes, curves) over a small image; composing must not fault or leak.
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "ScriptRun.h"
#include "core/Block.h"
#include "render/GroupLayer.h"
#include "render/TransformLayer.h"

namespace {

using namespace PM;

struct Bytes {
  const uint8_t* p;
  size_t n;
  uint8_t U8() {
    if (!n) return 0;
    --n;
    return *p++;
  }
  float F32() {
    uint32_t bits = 0;
    for (int i = 0; i < 4; ++i) bits = bits << 8 | U8();
    float f;
    std::memcpy(&f, &bits, 4);
    return f;
  }
  Vector3f V3() { return {F32(), F32(), F32()}; }
  Vector4f V4() { return {F32(), F32(), F32(), F32()}; }
};

Obj<ImageLayer_I> SourceLayer(Bytes& b) {
  Obj<ImageLayer_I> l(static_cast<ImageLayer_I*>(ImageLayer_I::Create()));
  const int w = b.U8() % 17, h = b.U8() % 17;
  Obj<Image_I> image(Image_I::New());
  image->Create(1 + b.U8() % 4, w, h, 0);
  for (size_t i = 0; i < image->DataBytes(); ++i) image->GetData()[i] = b.U8();
  l->m_image = image.Get();
  return l;
}

void Compose(Bytes& b) {
  Obj<GroupLayer_I> group(static_cast<GroupLayer_I*>(GroupLayer_I::Create()));
  group->SetDimension({float(b.U8() % 65), float(b.U8() % 65), 0.0f});
  group->SetDefaultColor(b.V4());
  const int layers = 1 + b.U8() % 4;
  for (int i = 0; i < layers && b.n; ++i) {
    Obj<TransformLayer_I> t(static_cast<TransformLayer_I*>(TransformLayer_I::Create()));
    t->SetImageLayer(b.U8() % 8 == 0 && i > 0 ? static_cast<ImageLayer_I*>(group.Get()) : SourceLayer(b).Get());
    t->m_visibility = b.U8() % 4 != 0;
    t->m_combineMode = (uint32_t(b.U8() % 9) << 24) | 0x00FFF0B4;
    t->m_position = b.V3();
    t->m_cropPosition = b.V3();
    t->m_cropDimension = b.V3();
    t->m_flipMode = b.U8();
    t->m_colorMulRGBA = b.V4();
    t->m_colorAddRGBA = b.V4();
    if (b.U8() & 1) {
      t->m_colorMulHSV = b.V3();
      t->m_colorAddHSV = b.V3();
    }
    t->m_parentDimension = b.V3();
    t->m_autoDimensionMultiplier = b.V3();
    for (int c = b.U8() % 5; c > 0; --c) t->m_colorCurveRGB.Append({float(b.U8()), float(b.U8())});
    group->SetLayerAt(i, t);
  }
  LayerApplyContext context;
  LayerImageResult result;
  group->ApplyToImage(context, result);
  Vector3f size;
  group->AutoDimension(context, size, 1);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (!Fuzz::StartLibraryOnce()) return 0;
  const long live = LiveBlockCount();
  Bytes b{data, size};
  Compose(b);
  if (LiveBlockCount() != live) abort();
  return 0;
}
