// SSkinPolygonGeometry and TSkinPolygonGeometry: polygon geometry deformed on every draw, first by
// blend shapes (sparse deltas weighted by BlendControl objects), then by linear blend skinning over the
// T-node's joints, and drawn in eye space. The S-side compacts its weight and delta streams into sparse
// lists and keeps the last deformed mesh for ray queries.
#pragma once

#include <vector>

#include "geometry/PolygonGeometry.h"
#include "scene/Joint.h"

namespace PM {

class SSkinPolygonGeometry_I : public EngineClass<SSkinPolygonGeometry_I, SPolygonGeometry_I,
                                                  ClassId::SSkinPolygonGeometry, "SSkinPolygonGeometry"> {
 public:
  static void Define();
  // Usage kinds of the deformation streams: joint weights, position, normal and texture deltas.
  static constexpr int kUsageWeight = int(kVertexUsageJointWeights),
                       kUsagePositionDelta = int(kVertexUsagePositionDeltas),
                       kUsageNormalDelta = int(kVertexUsageNormalDeltas),
                       kUsageTexCoordDelta = int(kVertexUsageTexCoordDeltas);

  // Smaller joint and blend weights do nothing.
  static constexpr float kWeightThreshold = 1.0f / 4096;

  struct IndexWeight {
    uint32_t index;
    float weight;
  };
  struct IndexBlend {
    using Delta = Vector3f;
    uint32_t index;
    Vector3f delta;
  };
  struct IndexTexCoordBlend {
    using Delta = Vector2f;
    uint32_t index;
    Vector2f delta;
  };
  using Joints = Array<WeakObj<TJoint_I>>;

  int32_t IntersectRay(TriangleQuery* query) override;  // over the last deformed mesh
  void ComputeBoundingSphere(Spheref* out) override;    // infinite: the node never culls a skin
  void BuildRenderData() override;

  virtual void BuildWeightLists();
  virtual void BuildBlendLists();
  virtual void BuildTexCoordBlendLists();
  virtual void GetDeformedPositions(Array<Vector3f>* out) { *out = m_deformedPositions; }
  // Deforms and draws into the engine's pass; 1 when the mesh went to the material pass, else 0.
  virtual int32_t DrawSkinned(RenderEngine* engine, const Joints& joints, const Vector4f* colors);
  // A cheap sphere around the deformed mesh: it follows CentreVertex through the skinning.
  virtual void GetDynamicSphere(const Joints& joints, Spheref* out);
  virtual void SetAttachment(ScriptObject* attachment) { m_attachment = attachment; }
  virtual ScriptObject* GetAttachment() { return m_attachment.Get(); }
  // Rest position i with the position blends applied; zero for an index outside the vertices.
  virtual void GetBlendedPosition(int32_t i, Vector3f* out);
  // The positions a draw would give the vertices now, by the draw's own deformation: the blend shapes,
  // then the joints' current model-view matrices (their world matrices after a world-space tree update).
  // False when no joint takes part: then they are the blended rest positions, in the node's own space.
  bool ComputeDeformedPositions(const Joints& joints, Array<Vector3f>* out);

  // Member accessors: the skin matrices follow GeometryMatrix and BindMatrixInverse.
  Matrix4f GetGeometryMatrix() const { return m_geometryMatrix; }
  void SetGeometryMatrix(const Matrix4f& m);
  Matrix4f GetBindMatrixInverseAt(int32_t j);
  void SetBindMatrixInverseAt(int32_t j, const Matrix4f& m);
  int32_t GetBindMatrixInverseCount() { return m_bindMatrixInverse.Count(); }
  void RemoveBindMatrixInverse(int32_t start, int32_t count);

  Matrix4f m_geometryMatrix = kIdentityMatrix4f;
  Array<Matrix4f> m_bindMatrixInverse;
  Array<Matrix4f> m_skinMatrices;  // GeometryMatrix x BindMatrixInverse[j]
  bool m_cullStatic = false;
  float m_cullThreshold = 1.125f;
  int32_t m_centreVertex = -1;  // nearest to the rest-pose sphere's centre; -1 until chosen
  float m_centreRadius = 0.0f;
  Array<Obj<ScriptObject>> m_blendControls;          // BlendControl objects
  Array<Obj<ScriptObject>> m_blendTexCoordControls;  // BlendControl objects
  std::vector<std::vector<IndexWeight>> m_weightLists;
  std::vector<std::vector<IndexBlend>> m_positionBlendLists;
  std::vector<std::vector<IndexBlend>> m_normalBlendLists;
  std::vector<std::vector<IndexTexCoordBlend>> m_texCoordBlendLists;
  Array<Vector3f> m_deformedPositions;
  Array<Vector3f> m_deformedNormals;
  Ptr<ScriptObject> m_attachment;  // the caller's; never used here
  // The vertex count the lists and CentreVertex were built for; -1: build them on the next use.
  int32_t m_listVertexCount = -1;
  // A skinning joint's matrix and its place in its weight list; kept to spare an allocation per draw.
  struct JointPass {
    Matrix4f matrix;
    const IndexWeight* at;
    const IndexWeight* end;
  };
  std::vector<JointPass> m_jointPasses;

 private:
  // The lists, CentreVertex and CentreRadius, rebuilt with the usage tables or a new vertex count.
  void PrepareDeformation();
  void ChooseCentreVertex();
  // Joints that take part: the least of the weight lists, the joints and the bind matrices.
  int32_t SkinnedJointCount(const Joints& joints) const;
  void DynamicSphere(const Joints& joints, Spheref* out);
  float ControlWeight(const Array<Obj<ScriptObject>>& controls, int32_t k) const;
  // The blends go into the engine's scratch buffers, or into `own` where one is given.
  const Vector3f* BlendPositions(RenderEngine* engine, Array<Vector3f>* own = nullptr);
  const Vector3f* BlendNormals(RenderEngine* engine, const Vector3f* normals);
  void BlendTexCoords(RenderEngine* engine);
  void Skin(const Joints& joints, int32_t m, const Vector3f* positions, const Vector3f* normals);
  // Linear blend skinning of the n vertices by the first m joints into outP (and outN where normals are
  // given); with no joint a copy.
  void SkinInto(const Joints& joints, int32_t m, const Vector3f* positions, const Vector3f* normals, Vector3f* outP,
                Vector3f* outN);
  int32_t DrawDeformed(RenderEngine* engine, const Joints& joints, const Vector4f* colors);
};

class TSkinPolygonGeometry_I
    : public EngineClass<TSkinPolygonGeometry_I, TPolygonGeometry_I, ClassId::TSkinPolygonGeometry,
                         "TSkinPolygonGeometry", SSkinPolygonGeometry_I> {
 public:
  // Draws the skin deformed by this node's joints; a successful draw records the frame stamp.
  int32_t DrawFromSNode(RenderEngine* engine, int32_t frameStamp) override;
  virtual void GetDynamicSphere(Spheref* out);
  virtual void GetDeformedPositions(Array<Vector3f>* out);

  Array<WeakObj<TJoint_I>> m_joints;

 private:
  SSkinPolygonGeometry_I* Skin();
};

}  // namespace PM
