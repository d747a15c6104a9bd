// Geometry's part of the engine class table: each entry defines a class (or an S/T pair, under its
// first class) with its members; RegisterEngineClasses runs them in the order list's order.

#include "classes/EngineClassRegistry.h"
#include "geometry/ChannelFX.h"
#include "geometry/FGData.h"
#include "geometry/Geometry.h"
#include "geometry/Instancer.h"
#include "geometry/Lensflare.h"
#include "geometry/MeshData.h"
#include "geometry/MeshGroup.h"
#include "geometry/MeshStructure.h"
#include "geometry/Metaballs.h"
#include "geometry/PolygonGeometry.h"
#include "geometry/SkinPolygonGeometry.h"
#include "geometry/SpriteAppearances.h"
#include "geometry/SpriteGeometry.h"
#include "geometry/VertexGeneratorFG.h"

namespace PM {

static const EngineClassEntry kGeometryClasses[] = {
    {ClassId::SGeometry, &SGeometry_I::Define},
    {ClassId::SSpriteGeometry, &SSpriteGeometry_I::Define},
    {ClassId::SLensflare, &SLensflare_I::Define},
    {ClassId::SPolygonGeometry, &SPolygonGeometry_I::Define},
    {ClassId::SSkinPolygonGeometry, &SSkinPolygonGeometry_I::Define},
    {ClassId::SMetaballs, &SMetaballs_I::Define},
    {ClassId::SpriteAppearances, &SpriteAppearances_I::Define},
    {ClassId::FGData, &FGData_I::Define},
    {ClassId::SInstancer, &SInstancer_I::Define},
    {ClassId::MeshStructure, &MeshStructure_I::Define},
    {ClassId::MeshData, &MeshData_I::Define},
    {ClassId::SMeshGroup, &SMeshGroup_I::Define},
    {ClassId::SChannelFX, &SChannelFX_I::Define},
    {ClassId::VertexGeneratorFG, &VertexGeneratorFG_I::Define},
};

static const bool kEntries = AddEngineClassEntries(kGeometryClasses);

}  // namespace PM
