#include "classes/EngineClasses.h"

#include <algorithm>

#include "classes/EngineClass.h"
#include "classes/EngineClassRegistry.h"
#include "core/Log.h"
#include "core/StartUp.h"
#include "script/object/ClassDatabase.h"

namespace PM {

using namespace ClassId;

const uint16_t kEngineClassOrder[] = {
    // Object, FileObject; the node roots, transforms, joints and IK
    ClassIndex(Object),
    ClassIndex(FileObject),
    ClassIndex(SNode),
    ClassIndex(SLeaf),
    ClassIndex(SBranch),
    ClassIndex(SBaseTransform),
    ClassIndex(SSimpleTransform),
    ClassIndex(STransform),
    ClassIndex(SClusterHandle),
    ClassIndex(SJoint),
    ClassIndex(SIKEffector),
    ClassIndex(SIKHandle),
    ClassIndex(SIKSplineHandle),
    // spline curve, camera, light, fog, detail levels, constraints
    ClassIndex(SSplineCurve),
    ClassIndex(SCamera),
    ClassIndex(SLight),
    ClassIndex(SFog),
    ClassIndex(SLODGroup),
    ClassIndex(Constraint),
    ClassIndex(AimConstraint),
    ClassIndex(TransformConstraint),
    ClassIndex(PoleVectorConstraint),
    // geometry roots, sprites, channel effects, instancer, lens flare, particles, fields
    ClassIndex(SGeometry),
    ClassIndex(SSpriteGeometry),
    ClassIndex(SChannelFX),
    ClassIndex(SInstancer),
    ClassIndex(SLensflare),
    ClassIndex(SParticles),
    ClassIndex(SEmitter),
    ClassIndex(SField),
    ClassIndex(SGravityField),
    ClassIndex(SRadialField),
    // container, sound nodes, polygon geometry, mesh group
    ClassIndex(SContainer),
    ClassIndex(SSoundEmitter),
    ClassIndex(SSoundReceiver),
    ClassIndex(SPolygonGeometry),
    ClassIndex(SSkinPolygonGeometry),
    ClassIndex(SMetaballs),
    ClassIndex(SMeshGroup),
    // rendering
    ClassIndex(RenderPipe),
    ClassIndex(RenderChannel),
    ClassIndex(RenderShader),
    ClassIndex(ShaderExpression),
    ClassIndex(ShaderPhong),
    ClassIndex(ShaderProgram),
    ClassIndex(ShaderTexture),
    ClassIndex(ShaderLayer),
    ClassIndex(Texture),
    ClassIndex(Texture2D),
    ClassIndex(TileTexture2D),
    ClassIndex(FontTexture2D),
    ClassIndex(Texture2DVideo),
    ClassIndex(Image),
    ClassIndex(ExpressionLayer),
    ClassIndex(ImageLayer),
    ClassIndex(GroupLayer),
    ClassIndex(TransformLayer),
    ClassIndex(RenderMaterial),
    // animation, sprite appearances, splines
    ClassIndex(BlendControl),
    ClassIndex(ParentControl),
    ClassIndex(ParentManager),
    ClassIndex(PoseBlend),
    ClassIndex(SpriteAppearances),
    ClassIndex(AnimationClip),
    ClassIndex(AnimationClipEvent),
    ClassIndex(AnimationLibrary),
    ClassIndex(AnimationScheduler),
    ClassIndex(ConnectionGroup),
    ClassIndex(SplineBase),
    ClassIndex(SplineScalarf),
    ClassIndex(SplineVector2f),
    ClassIndex(SplineVector3f),
    ClassIndex(SplineVector4f),
    ClassIndex(SplineQuaternionf),
    // vertex data
    ClassIndex(VertexData),
    ClassIndex(VertexDataF32),
    ClassIndex(VertexDataVector2f),
    ClassIndex(VertexDataVector3f),
    ClassIndex(VertexDataVector4f),
    ClassIndex(VertexDataMatrix4f),
    kEngineEnumGroup,
    // mesh structure and data, vertex generators, face-generation data
    ClassIndex(MeshStructure),
    ClassIndex(MeshData),
    ClassIndex(VertexGenerator),
    ClassIndex(VertexGeneratorFG),
    ClassIndex(FGData),
};
const size_t kEngineClassOrderCount = sizeof(kEngineClassOrder) / sizeof(kEngineClassOrder[0]);

namespace {

constexpr const char* kPrimitiveTypes[] = {"Point",
                                           "Line",
                                           "Triangle",
                                           "Quad",
                                           "Polygon",
                                           "TriangleStrip",
                                           "TriangleFan",
                                           "QuadStrip",
                                           "LineStrip",
                                           "LineLoop",
                                           "TriangleStripAndTriangles"};
constexpr const char* kSpriteTypes[] = {"Triangle", "Quad"};
constexpr const char* kSpriteSorts[] = {"Unsorted", "DepthSorted"};
constexpr const char* kLifespanModes[] = {"LiveForever", "Constant", "RandomRange"};
constexpr const char* kEmitterTypes[] = {"Omni", "Directional", "Volume"};
constexpr const char* kVolumeTypes[] = {"Cube", "Sphere", "Cylinder", "Cone"};
constexpr const char* kWrapModes[] = {"Clamp", "Repeat"};
constexpr const char* kFilterModes[] = {"Point", "Linear"};
constexpr const char* kBoundingModes[] = {"BoundingDynamic", "BoundingStatic", "BoundingStaticSubtree"};
constexpr const char* kLightTypes[] = {"Directional", "Point", "Ambient"};
constexpr const char* kFogTypes[] = {"Linear", "Exponential", "Exponential2"};
constexpr const char* kFogDistanceTypes[] = {"ScreenSpace", "EyeSpace"};

// The enum types of geometry, particles, textures, nodes, lights and fog (SLight.TypeEnum defines
// Ambient first).
const EnumTypeDef kEnumGroup[] = {
    MakeEnumType(0xFFFFF0A7, "Primitive", "TypeEnum", kPrimitiveTypes),
    MakeEnumType(0xFFFFF0A8, "SSpriteGeometry", "SpriteTypeEnum", kSpriteTypes),
    MakeEnumType(0xFFFFF0A9, "SSpriteGeometry", "SpriteSortEnum", kSpriteSorts),
    MakeEnumType(0xFFFFF07C, "SParticles", "LifespanModeEnum", kLifespanModes),
    MakeEnumType(0xFFFFF0AA, "SEmitter", "EmitterTypeEnum", kEmitterTypes),
    MakeEnumType(0xFFFFF0AB, "SEmitter", "VolumeTypeEnum", kVolumeTypes),
    MakeEnumType(0xFFFFF0AC, "Texture", "WrapModeEnum", kWrapModes),
    MakeEnumType(0xFFFFF0AF, "Texture", "FilterModeEnum", kFilterModes),
    MakeEnumType(0xFFFFF0AD, "TNode", "BoundingModeEnum", kBoundingModes),
    MakeEnumType(0xFFFFF0AE, "SLight", "TypeEnum", kLightTypes, 3),
    MakeEnumType(0xFFFFF0BE, "SFog", "TypeEnum", kFogTypes),
    MakeEnumType(0xFFFFF0BF, "SFog", "DistanceTypeEnum", kFogDistanceTypes),
};

// The start-up stage: the object model's stages come first; without them there is nothing to define into.
void StartEngineClasses() {
  if (!ClassDatabaseReady()) {
    LogWarn("RegisterEngineClasses: the class database is not initialised; skipped.");
    return;
  }
  RegisterEngineClasses();
}

const ModuleHookRegistration kStartup(kStageEngineClasses, "EngineClasses", &StartEngineClasses, &UninitEngineClasses);

}  // namespace

void RegisterEngineClasses() {
  for (size_t i = 0; i < kEngineClassOrderCount; ++i) {
    uint32_t index = kEngineClassOrder[i];
    if (index == kEngineEnumGroup) {
      DefineEnumTypes(kEnumGroup);
    } else if (DefineClassFn define = FindEngineClassEntry(index)) {
      define();
    } else {
      LogError("RegisterEngineClasses: no definition for class 0x", Hex{index, 3});
    }
  }
  if (DefineClassFn widgets = FindEngineClassEntry(kEngineWidgetGroup)) widgets();
  // A class that entered itself but has no place in the order is never defined: say so.
  for (uint32_t index : EngineClassEntryIndexes()) {
    if (index == kEngineWidgetGroup) continue;
    if (std::find(kEngineClassOrder, kEngineClassOrder + kEngineClassOrderCount, index) ==
        kEngineClassOrder + kEngineClassOrderCount) {
      LogError("RegisterEngineClasses: class 0x", Hex{index, 3},
               " has an entry but no place in the order list; not defined");
    }
  }
}

void UninitEngineClasses() {}

}  // namespace PM
