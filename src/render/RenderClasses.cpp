// The render system's part of the engine class table: each entry defines a class (or an S/T pair, under its
// first class) with its members; RegisterEngineClasses runs them in the order list's order.

#include "classes/EngineClassRegistry.h"
#include "render/ExpressionLayer.h"
#include "render/FontTexture2D.h"
#include "render/GroupLayer.h"
#include "render/ImageLayer.h"
#include "render/RenderChannel.h"
#include "render/RenderMaterial.h"
#include "render/RenderPipe.h"
#include "render/RenderShader.h"
#include "render/ShaderExpression.h"
#include "render/ShaderLayer.h"
#include "render/ShaderPhong.h"
#include "render/ShaderProgram.h"
#include "render/ShaderTexture.h"
#include "render/Texture.h"
#include "render/Texture2D.h"
#include "render/Texture2DVideo.h"
#include "render/TileTexture2D.h"
#include "render/TransformLayer.h"

namespace PM {

static const EngineClassEntry kRenderClasses[] = {
    {ClassId::RenderPipe, &RenderPipe_I::Define},
    {ClassId::RenderChannel, &RenderChannel_I::Define},
    {ClassId::RenderShader, &RenderShader_I::Define},
    {ClassId::ShaderExpression, &ShaderExpression_I::Define},
    {ClassId::ShaderPhong, &ShaderPhong_I::Define},
    {ClassId::ShaderTexture, &ShaderTexture_I::Define},
    {ClassId::ShaderLayer, &ShaderLayer_I::Define},
    {ClassId::ShaderProgram, &ShaderProgram_I::Define},
    {ClassId::TileTexture2D, &TileTexture2D_I::Define},
    {ClassId::RenderMaterial, &RenderMaterial_I::Define},
    {ClassId::Texture, &Texture_I::Define},
    {ClassId::Texture2D, &Texture2D_I::Define},
    {ClassId::FontTexture2D, &FontTexture2D_I::Define},
    {ClassId::ExpressionLayer, &ExpressionLayer_I::Define},
    {ClassId::ImageLayer, &ImageLayer_I::Define},
    {ClassId::GroupLayer, &GroupLayer_I::Define},
    {ClassId::TransformLayer, &TransformLayer_I::Define},
    {ClassId::Texture2DVideo, &Texture2DVideo_I::Define},
};

static const bool kEntries = AddEngineClassEntries(kRenderClasses);

}  // namespace PM
