// Animation's part of the engine class table: each entry defines a class (or an S/T pair, under its
// first class) with its members; RegisterEngineClasses runs them in the order list's order.

#include "anim/AimConstraint.h"
#include "anim/AnimationClip.h"
#include "anim/AnimationClipEvent.h"
#include "anim/AnimationLibrary.h"
#include "anim/AnimationScheduler.h"
#include "anim/BlendControl.h"
#include "anim/ConnectionGroup.h"
#include "anim/Constraint.h"
#include "anim/Emitter.h"
#include "anim/Field.h"
#include "anim/GravityField.h"
#include "anim/ParentControl.h"
#include "anim/ParentManager.h"
#include "anim/Particles.h"
#include "anim/PoleVectorConstraint.h"
#include "anim/PoseBlend.h"
#include "anim/RadialField.h"
#include "anim/SplineBase.h"
#include "anim/SplineQuaternionf.h"
#include "anim/SplineScalarf.h"
#include "anim/SplineVector2f.h"
#include "anim/SplineVector3f.h"
#include "anim/SplineVector4f.h"
#include "anim/TransformConstraint.h"
#include "classes/EngineClassRegistry.h"

namespace PM {

static const EngineClassEntry kAnimClasses[] = {
    {ClassId::Constraint, &Constraint_I::Define},
    {ClassId::TransformConstraint, &TransformConstraint_I::Define},
    {ClassId::AimConstraint, &AimConstraint_I::Define},
    {ClassId::PoleVectorConstraint, &PoleVectorConstraint_I::Define},
    {ClassId::SParticles, &SParticles_I::Define},
    {ClassId::SEmitter, &SEmitter_I::Define},
    {ClassId::SField, &SField_I::Define},
    {ClassId::SGravityField, &SGravityField_I::Define},
    {ClassId::SRadialField, &SRadialField_I::Define},
    {ClassId::BlendControl, &BlendControl_I::Define},
    {ClassId::AnimationClip, &AnimationClip_I::Define},
    {ClassId::AnimationClipEvent, &AnimationClipEvent_I::Define},
    {ClassId::AnimationLibrary, &AnimationLibrary_I::Define},
    {ClassId::AnimationScheduler, &AnimationScheduler_I::Define},
    {ClassId::ConnectionGroup, &ConnectionGroup_I::Define},
    {ClassId::SplineBase, &SplineBase_I::Define},
    {ClassId::SplineScalarf, &SplineScalarf_I::Define},
    {ClassId::SplineVector2f, &SplineVector2f_I::Define},
    {ClassId::SplineVector3f, &SplineVector3f_I::Define},
    {ClassId::SplineVector4f, &SplineVector4f_I::Define},
    {ClassId::SplineQuaternionf, &SplineQuaternionf_I::Define},
    {ClassId::PoseBlend, &PoseBlend_I::Define},
    {ClassId::ParentControl, &ParentControl_I::Define},
    {ClassId::ParentManager, &ParentManager_I::Define},
};

static const bool kEntries = AddEngineClassEntries(kAnimClasses);

}  // namespace PM
