#include "engine/RenderEngine.h"

#include "core/Log.h"

namespace PM {

namespace {

// Filled by the back ends at start-up; constant-initialised, so registration order does not matter.
RenderEngineFactory g_factories[RenderEngine::kMaxEngineType] = {};

bool IsEngineType(int32_t type) { return type >= 0 && type < RenderEngine::kMaxEngineType; }

}  // namespace

RenderEngine_I* RenderEngine::Create(int32_t type) {
  RenderEngineFactory make = IsEngineType(type) ? g_factories[type] : nullptr;
  if (!make) {
    Log(LogOutPipe(), kLevelError, "RenderEngine::Create: unknown engine type ", type, ".");
    return nullptr;
  }
  return make();
}

RenderEngineFactory RenderEngine::SetFactory(int32_t type, RenderEngineFactory factory) {
  if (!IsEngineType(type)) {
    Log(LogOutPipe(), kLevelError, "RenderEngine::SetFactory: engine type ", type, " out of range.");
    return nullptr;
  }
  RenderEngineFactory old = g_factories[type];
  g_factories[type] = factory;
  return old;
}

int32_t RenderEngine::HasZeroToOneDepthRange() { return 0; }
int32_t RenderEngine::NeedsHalfPixelOffset() { return 0; }
void RenderEngine::SetViewport(const int32_t*) {}
int32_t* RenderEngine::GetViewport(int32_t* rect) { return rect; }
void RenderEngine::SetModelViewMatrix(const Matrix4f*) {}
void RenderEngine::GetModelViewMatrix(Matrix4f*) {}
void RenderEngine::ExchangeModelViewMatrix(const Matrix4f*, Matrix4f*) {}
void RenderEngine::LoadModelViewMatrix(const Matrix4f*) {}
void RenderEngine::SetProjectionMatrix(const Matrix4f*) {}
void RenderEngine::GetProjectionMatrix(Matrix4f*) {}
void RenderEngine::ExchangeProjectionMatrix(const Matrix4f*, Matrix4f*) {}
void RenderEngine::LoadProjectionMatrix(const Matrix4f*) {}
void RenderEngine::SetAuxMatrix0(const Matrix4f*) {}
void RenderEngine::GetAuxMatrix0(Matrix4f*) {}
void RenderEngine::SetAuxMatrix1(const Matrix4f*) {}
void RenderEngine::GetAuxMatrix1(Matrix4f*) {}
void RenderEngine::SetCullEnable(bool) {}
bool RenderEngine::GetCullEnable() { return true; }
void RenderEngine::SetCullFrustum(const Frustum*) {}
void RenderEngine::GetCullFrustum(Frustum*) {}
int32_t RenderEngine::CullTest(const Spheref*) { return 0; }

uint8_t* RenderEngine::GetScratchArray(int32_t index, int32_t minimum) {
  // Callers index with constants; a bad request is a programming fault that must not write out of bounds.
  if (index < 0 || index >= kScratchArrayCount || minimum < 0) {
    Log(LogOutPipe(), kLevelError, "RenderEngine::GetScratchArray: bad request for array ", index, " with ", minimum,
        " bytes.");
    return nullptr;
  }
  Array<uint8_t>& a = m_scratch[index];
  if (a.Count() < minimum) a.SetCountNoCopy(minimum);
  return a.Data();
}

int32_t RenderEngine::SetAuxValue(int32_t value) { return value; }

int32_t RenderEngine::SetShaderAmbient(ScriptObject*, bool) { return 0; }
int32_t RenderEngine::SetShaderBump(ScriptObject*, bool) { return 0; }
int32_t RenderEngine::SetShaderBase(ScriptObject*, bool) { return 0; }
void RenderEngine::ResetMaterialColor() {}
void RenderEngine::SetMaterialColorBlend(const Vector4f*, const Vector4f*) {}
void RenderEngine::SetMaterialColor(const Vector4f*) {}
void RenderEngine::SetNormal(const Vector3f*) {}
ShaderPassState* RenderEngine::GetShaderPassState() { return nullptr; }
void RenderEngine::BeginPass(int32_t) {}
void RenderEngine::ResetPass() {}
int32_t RenderEngine::GetPassMode() { return 0; }
void RenderEngine::SetAmbientLight(const Vector3f*) {}
void RenderEngine::SetLight(int32_t, const Matrix4f*, ScriptObject*) {}
void RenderEngine::SetLightingEnable(int32_t) {}
void RenderEngine::SetFog(const Matrix4f*, ScriptObject*) {}
void RenderEngine::DrawStencilShadow() {}
void RenderEngine::ChannelFX(const ChannelFXInfo*, const String&) {}

void RenderEngine::DrawDebugAxes() {}
void RenderEngine::DrawDebugBone(const Vector3f*) {}
void RenderEngine::DrawDebugSphere(const Spheref*, const Vector4f*) {}
void RenderEngine::DrawDebugFrustum(const Frustum*) {}
void RenderEngine::DrawDebugPoint(const Vector3f*, const Vector4f*, float) {}
void RenderEngine::DrawDebugLine(const Vector3f*, const Vector3f*, const Vector4f*) {}
void RenderEngine::DrawDebugReserved(uint32_t, uint32_t, uint32_t) {}

void RenderEngine::DrawQuad(float, float, float, float, const float*, const Vector4f*) {}
void RenderEngine::SetClipRect(const float*, bool) {}
void RenderEngine::UpdateClipRect() {}
void RenderEngine::DrawQuadClipped(float, float, float, float, const float*, const Vector4f*) {}
void RenderEngine::DrawPolygonData(const PolygonData*, Ptr<RenderPolygonCache>*) {}
void RenderEngine::DrawPolygonDataClipped(const PolygonData*, Ptr<RenderPolygonCache>*) {}
void RenderEngine::UnloadPolygonCache() {}

void RenderEngine::SetImagePath(const String&) {}
void RenderEngine::GetSystemReport(String* out) {
  if (out) out->Clear();
}
int32_t RenderEngine::DetectTextureMemory() { return 0x7FFFFF; }
void RenderEngine::SetTexture(int32_t, ScriptObject*) {}
void RenderEngine::UnloadTextures() {}
int32_t RenderEngine::GetTextureCount() { return 0; }
int32_t RenderEngine::GetTextureMemory() { return 0; }
int32_t RenderEngine::GetTextureDownloadBytes() { return 0; }
int32_t RenderEngine::GetTextureLoadCount() { return 0; }
double RenderEngine::GetFrameTime() { return -1.0; }
int32_t RenderEngine::GetPrimitiveCount() { return -1; }
void RenderEngine::LatchPrimitiveCount() {}
void RenderEngine::LatchLinesAndPoints(int32_t, int32_t) {}
int32_t RenderEngine::GetLineCount() { return 0; }
int32_t RenderEngine::GetPointCount() { return 0; }
void RenderEngine::SetPointSize(float) {}
float RenderEngine::GetPointSize() { return 1.0f; }

ResultCode RenderEngine::InitializeRenderWindow(const TextureSettingsInfo*, const RenderFormatInfo*, PlatformWindow*) {
  return ENotActive;
}
ResultCode RenderEngine::DeInitializeRenderWindow() { return ENotActive; }
ResultCode RenderEngine::SetTextureSettings(const TextureSettingsInfo*) { return ENotActive; }
ResultCode RenderEngine::MakeCurrent() { return ENotActive; }
ResultCode RenderEngine::ClearBuffer(const ChannelClearInfo*) { return ENotActive; }
ResultCode RenderEngine::SwapBuffers(bool) { return ENotActive; }
ResultCode RenderEngine::Flush() { return ENotActive; }
ResultCode RenderEngine::Finish() { return ENotActive; }
void RenderEngine::SetStatisticsMode(int32_t) {}
float RenderEngine::ReadDepth(int32_t, int32_t) { return -1.0f; }
int32_t RenderEngine::RequestScreenShot(bool, bool) { return -1; }
Image_I* RenderEngine::GetColorBufferImage() { return nullptr; }
void RenderEngine::ReadColorBuffer(Array<uint8_t>*) {}
Image_I* RenderEngine::GetScreenShotImage() { return nullptr; }
Image_I* RenderEngine::GetScreenShotDepthImage() { return nullptr; }

}  // namespace PM
