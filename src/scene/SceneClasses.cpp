// The scene graph's part of the engine class table: each entry defines a class (or an S/T pair, under its
// first class) with its members; RegisterEngineClasses runs them in the order list's order.

#include "classes/EngineClassRegistry.h"
#include "scene/BaseTransform.h"
#include "scene/Branch.h"
#include "scene/Camera.h"
#include "scene/ClusterHandle.h"
#include "scene/Container.h"
#include "scene/Fog.h"
#include "scene/IKEffector.h"
#include "scene/IKHandle.h"
#include "scene/IKSplineHandle.h"
#include "scene/Joint.h"
#include "scene/LODGroup.h"
#include "scene/Leaf.h"
#include "scene/Light.h"
#include "scene/Node.h"
#include "scene/SimpleTransform.h"
#include "scene/SoundEmitter.h"
#include "scene/SoundReceiverNode.h"
#include "scene/SplineCurve.h"
#include "scene/Transform.h"
#include "scene/VertexData.h"

namespace PM {

static const EngineClassEntry kSceneClasses[] = {
    {ClassId::SNode, &SNode_I::Define},
    {ClassId::SLeaf, &SLeaf_I::Define},
    {ClassId::SBranch, &SBranch_I::Define},
    {ClassId::SBaseTransform, &SBaseTransform_I::Define},
    {ClassId::SSimpleTransform, &SSimpleTransform_I::Define},
    {ClassId::STransform, &STransform_I::Define},
    {ClassId::SJoint, &SJoint_I::Define},
    {ClassId::SIKEffector, &SIKEffector_I::Define},
    {ClassId::SIKHandle, &SIKHandle_I::Define},
    {ClassId::SCamera, &SCamera_I::Define},
    {ClassId::SLight, &SLight_I::Define},
    {ClassId::SLODGroup, &SLODGroup_I::Define},
    {ClassId::SSoundEmitter, &SSoundEmitter_I::Define},
    {ClassId::SSoundReceiver, &SSoundReceiver_I::Define},
    {ClassId::SContainer, &SContainer_I::Define},
    {ClassId::SFog, &SFog_I::Define},
    {ClassId::VertexData, &VertexData_I::Define},
    {ClassId::VertexDataF32, &VertexDataF32_I::Define},
    {ClassId::VertexDataVector2f, &VertexDataVector2f_I::Define},
    {ClassId::VertexDataVector3f, &VertexDataVector3f_I::Define},
    {ClassId::VertexDataVector4f, &VertexDataVector4f_I::Define},
    {ClassId::VertexDataMatrix4f, &VertexDataMatrix4f_I::Define},
    {ClassId::SClusterHandle, &SClusterHandle_I::Define},
    {ClassId::SSplineCurve, &SSplineCurve_I::Define},
    {ClassId::SIKSplineHandle, &SIKSplineHandle_I::Define},
};

static const bool kEntries = AddEngineClassEntries(kSceneClasses);

}  // namespace PM
