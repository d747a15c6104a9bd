// The per-channel drawing state of the frame traversal: the culling and collection walk fills it with
// draw records in 64 layers, light and fog records and the windows of the GUI pass; the draw stages
// empty it, and it is reset after every channel with the arrays' capacity kept for the next frame.
#pragma once

#include <cstdint>

#include "core/Array.h"
#include "core/Frustum.h"
#include "core/Matrix4f.h"
#include "core/Obj.h"
#include "core/Spheref.h"
#include "engine/RenderEngine.h"
#include "render/DrawObjectInfo.h"

namespace PM {

class GUIWindow;
class ScriptObject;
class TBranch_I;
class TGeometry_I;
class TIKHandle_I;
class TIKSplineHandle_I;

// A light or fog node met by the collection (counted) and the model-view matrix in force there.
struct XMiniLightInfo {
  Obj<ScriptObject> node;
  Matrix4f modelView = kIdentityMatrix4f;
};
using XMiniFogInfo = XMiniLightInfo;

class XMiniDrawTraverse {
 public:
  static constexpr int kLayerCount = 64;
  static constexpr int32_t kDefaultLayer = 16;                       // geometry without a shader
  static constexpr int kFirstDepthLayer = 32, kLastDepthLayer = 47;  // sorted by view depth

  XMiniDrawTraverse() = default;
  ~XMiniDrawTraverse() { ResetDrawContext(); }
  XMiniDrawTraverse(const XMiniDrawTraverse&) = delete;
  XMiniDrawTraverse& operator=(const XMiniDrawTraverse&) = delete;

  // Readies the state for one channel; the current matrix starts as the identity.
  void SetUp(RenderEngine_I* engineHolder, uint32_t drawMask, const Frustum& cullFrustum, bool frustumCulling,
             ScriptObject* pipe, uint32_t frameStamp, uint32_t passFlags);
  // Walks the tree below `node` under the draw mask, culling polygon geometry against the cull frustum
  // and sorting what it meets into the layers, the light, ambient and fog records and the windows.
  void CullAndCollect(ScriptObject* node);
  // Hands the collected ambient colour, lights and fogs to the engine; with no fog, switches fog off.
  void SetLightsAndFog();
  // Draws the 64 layers in order with each record's matrix and empties them: layers 32 to 47 back to
  // front by view depth, the others grouped by shader; the main pass sets up each record's shader
  // passes, the extra passes draw the geometry alone. The engine's model-view is restored at the end.
  void DrawSorted();
  // Main pass only: draws every collected window with the camera's or its own projection, restoring
  // both engine matrices after each.
  void DrawGUI();
  // An extra pass: every visible geometry under `node` drawn once in tree order with the engine's
  // model-view kept in step by exchange and load; in pass mode 0 also the debug shapes the pass flag
  // word asks for (0x10 skeletons, IK handles and curves, 0x8 bounding spheres). The engine's
  // model-view ends as it began.
  void DrawExtraPass(ScriptObject* node);
  // Releases every reference and empties every array, keeping their capacity.
  void ResetDrawContext();

  // Sort orders, negative, zero or positive. Depth: not-a-number depths first, then ascending depth
  // (farthest first, the camera looking along -z), then ascending sort index. Shader: records of one
  // shader adjacent, in no meaningful order among shaders. Both are total orders.
  static int CompareDrawDepth(const DrawObjectInfo* a, const DrawObjectInfo* b);
  static int CompareDrawShader(const DrawObjectInfo* a, const DrawObjectInfo* b);

  // The layer a shader draws in: 16 for the nil object, else its MultiDrawLayer clamped into 0..63.
  static int32_t LayerOf(const ScriptObject* shader);

  Ptr<RenderEngine_I> m_engineHolder;
  RenderEngine* m_engine = nullptr;
  Frustum m_cullFrustum{};
  Spheref m_scratchSphere = kEmptySpheref;
  DrawObjectInfo m_current;  // its matrix is the current model-view matrix
  uint32_t m_drawMask = 0;
  int32_t m_passMode = PassMode::kReset;
  uint32_t m_passFlags = 0;
  bool m_frustumCulling = true;
  Obj<ScriptObject> m_pipe;
  uint32_t m_frameStamp = 0;
  Array<XMiniLightInfo> m_lights;  // directional and point lights
  Array<XMiniLightInfo> m_ambientLights;
  Array<XMiniFogInfo> m_fogs;
  Array<DrawObjectInfo> m_layers[kLayerCount];
  Array<DrawObjectInfo*> m_sortArrays[kLayerCount];  // scratch of the sorted drawing
  Array<Obj<ScriptObject>> m_guiWindows;             // in traversal order

 private:
  // A branch whose children the walk is visiting; a transform's frame restores the matrix it saved.
  struct WalkFrame {
    TBranch_I* branch;
    int32_t next;
    bool restoresMatrix;
  };

  void Visit(ScriptObject* node);
  void Collect(TGeometry_I* geometry, bool frustumTested);
  static void SetDepthKey(DrawObjectInfo& record);
  void DrawRecordMain(const DrawObjectInfo& record);
  void DrawRecordExtra(const DrawObjectInfo& record);
  void DrawWindow(GUIWindow& window);
  void ExtraPassNode(ScriptObject* node);
  void DrawBounds(TGeometry_I* geometry);
  void DrawHandleSpline(TIKSplineHandle_I* handle);
  void DrawIKFigure(TIKHandle_I* handle);

  Array<WalkFrame> m_walk;
  Array<Matrix4f> m_savedMatrices;
  Array<Vector3f> m_splineCvs;  // scratch of the handle splines
  int32_t m_extraDepth = 0;
  bool m_extraDepthReported = false;
};

}  // namespace PM
