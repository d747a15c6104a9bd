#include "scene/EngineClasses.h"

#include "core/Log.h"
#include "core/Module.h"
#include "scene/EngineClass.h"
#include "scene/EngineClassRegistry.h"
#include "script/object/ClassDatabase.h"
#include "ui/WidgetClasses.h"

namespace PM {

const uint16_t kEngineClassOrder[] = {
    // Object, FileObject; the node roots, transforms, joints and IK
    0x040, 0x041, 0x042, 0x044, 0x046, 0x048, 0x04A, 0x04C, 0x0C1, 0x04E, 0x050, 0x052, 0x0F4,
    // spline curve, camera, light, fog, detail levels, constraints
    0x0F2, 0x054, 0x056, 0x07E, 0x058, 0x05A, 0x05D, 0x05B, 0x05E,
    // geometry roots, sprites, channel effects, instancer, lens flare, particles, fields
    0x060, 0x062, 0x0FC, 0x0F6, 0x064, 0x066, 0x068, 0x06A, 0x06C, 0x06E,
    // container, sound nodes, polygon geometry, mesh group
    0x074, 0x070, 0x072, 0x076, 0x078, 0x07A, 0x0FA,
    // rendering
    0x080, 0x081, 0x082, 0x083, 0x084, 0x087, 0x085, 0x086, 0x08B, 0x08C, 0x088, 0x08D, 0x10B, 0x08A,
    0x0B0, 0x0B1, 0x0B2, 0x0B3, 0x089,
    // animation, sprite appearances, splines
    0x08E, 0x0F0, 0x0F1, 0x0C2, 0x08F, 0x090, 0x091, 0x092, 0x093, 0x094, 0x095, 0x096, 0x097, 0x098,
    0x099, 0x09A,
    // vertex data
    0x0A0, 0x0A1, 0x0A2, 0x0A3, 0x0A4, 0x0A5,
    kEngineEnumGroup,
    // mesh structure and data, vertex generators, face-generation data
    0x0F8, 0x0F9, 0x0FE, 0x0FF, 0x0EF,
};
const size_t kEngineClassOrderCount = sizeof(kEngineClassOrder) / sizeof(kEngineClassOrder[0]);

namespace {

constexpr const char* kPrimitiveTypes[] = {"Point",      "Line",          "Triangle",    "Quad",
                                           "Polygon",    "TriangleStrip", "TriangleFan", "QuadStrip",
                                           "LineStrip",  "LineLoop",      "TriangleStripAndTriangles"};
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
  RegisterWidgetClasses();
}

}  // namespace PM
