// Irrlicht 1.8's side of the OpenGL frames benchmark (see IrrlichtCubes.h).
#include "IrrlichtCubes.h"

#include <irrlicht.h>

#include <GL/gl.h>
#include <GL/glx.h>

#include "CubeField.h"

namespace PM::Bench {

using namespace CubeField;

struct IrrlichtCubes::D {
  irr::IrrlichtDevice* device = nullptr;
  irr::scene::ISceneManager* field = nullptr;
  // What the device made current when it opened: a GLX window over its X window, not the X window
  // its exposed video data names.
  Display* display = nullptr;
  GLXDrawable draw = 0, read = 0;
  GLXContext context = nullptr;
};

namespace {

irr::video::SColor Color(const float (&c)[3]) {
  return irr::video::SColor(255, irr::u32(c[0] * 255), irr::u32(c[1] * 255), irr::u32(c[2] * 255));
}

// The cube mirrored into Irrlicht's left-handed frame: z turned around, and with it the winding (Irrlicht
// treats clockwise triangles as front faces).
irr::scene::SMesh* CubeMesh() {
  auto* buffer = new irr::scene::SMeshBuffer;
  for (int v = 0; v < 24; ++v) {
    const float* c = kCorners[v];
    const float* m = kFaceNormals[v / 4];
    buffer->Vertices.push_back(irr::video::S3DVertex(c[0], c[1], -c[2], m[0], m[1], -m[2], Color(kDiffuse), 0, 0));
  }
  for (int f = 0; f < 6; ++f)
    for (int k = 5; k >= 0; --k) buffer->Indices.push_back(irr::u16(4 * f + kQuadIndices[k]));
  // Vertex colours carry the diffuse colour (Irrlicht's default colour material); no ambient term, as ours.
  buffer->Material.Lighting = true;
  buffer->Material.FogEnable = true;
  buffer->Material.AmbientColor = irr::video::SColor(255, 0, 0, 0);
  buffer->recalculateBoundingBox();
  auto* mesh = new irr::scene::SMesh;
  mesh->addMeshBuffer(buffer);
  buffer->drop();
  mesh->recalculateBoundingBox();
  mesh->setHardwareMappingHint(irr::scene::EHM_STATIC);
  return mesh;
}

irr::scene::ISceneManager* BuildField(irr::IrrlichtDevice* device, int n) {
  irr::scene::ISceneManager* smgr = device->getSceneManager()->createNewSceneManager(false);
  const float d = CameraDistance(n);
  irr::scene::ICameraSceneNode* camera =
      smgr->addCameraSceneNode(nullptr, irr::core::vector3df(0, 0, -d), irr::core::vector3df(0, 0, 0));
  camera->setFOV(kFieldOfView * irr::core::DEGTORAD);
  camera->setAspectRatio(1.0f);
  camera->setNearValue(kNear);
  camera->setFarValue(kFar);
  irr::scene::ILightSceneNode* sun = smgr->addLightSceneNode();
  sun->setLightType(irr::video::ELT_DIRECTIONAL);
  sun->setRotation(irr::core::vector3df(40, -30, 0));
  sun->getLightData().DiffuseColor = irr::video::SColorf(1, 1, 1);
  irr::scene::SMesh* mesh = CubeMesh();
  for (int i = 0; i < n; ++i) {
    const Place p = CubePlace(i, n);
    smgr->addMeshSceneNode(mesh, nullptr, -1, irr::core::vector3df(p.x, p.y, p.back),
                           irr::core::vector3df(-kRotation[0], -kRotation[1], kRotation[2]));
  }
  mesh->drop();
  return smgr;
}

}  // namespace

IrrlichtCubes::IrrlichtCubes(std::unique_ptr<D> d) : m_d(std::move(d)) {}

IrrlichtCubes::~IrrlichtCubes() {
  if (m_d->field) m_d->field->drop();
  if (m_d->device) m_d->device->drop();
}

std::unique_ptr<IrrlichtCubes> IrrlichtCubes::Open(int n, std::string* fault) {
  irr::SIrrlichtCreationParameters p;
  p.DriverType = irr::video::EDT_OPENGL;
  p.WindowSize = irr::core::dimension2d<irr::u32>(kSide, kSide);
  p.Bits = 24;
  p.ZBufferBits = 24;
  p.Stencilbuffer = true;  // as our pipe's format asks
  p.Vsync = false;
  p.LoggingLevel = irr::ELL_ERROR;
  auto d = std::make_unique<D>();
  d->device = irr::createDeviceEx(p);
  if (!d->device) {
    *fault = "Irrlicht made no OpenGL device";
    return nullptr;
  }
  d->display = glXGetCurrentDisplay();
  d->draw = glXGetCurrentDrawable();
  d->read = glXGetCurrentReadDrawable();
  d->context = glXGetCurrentContext();
  if (!d->display || !d->draw || !d->context) {
    d->device->drop();
    *fault = "Irrlicht's device left no OpenGL context current";
    return nullptr;
  }
  d->field = BuildField(d->device, n);
  // The fog belongs to the driver, not the scene manager.
  d->device->getVideoDriver()->setFog(Color(kFogColor), irr::video::EFT_FOG_LINEAR, FogNear(n), FogFar(n), 0.0f, false,
                                      false);
  return std::unique_ptr<IrrlichtCubes>(new IrrlichtCubes(std::move(d)));
}

void IrrlichtCubes::MakeCurrent() { glXMakeContextCurrent(m_d->display, m_d->draw, m_d->read, m_d->context); }

void IrrlichtCubes::Finish() { glFinish(); }

void IrrlichtCubes::Frame(std::vector<uint8_t>* readBack) {
  irr::video::IVideoDriver* driver = m_d->device->getVideoDriver();
  m_d->device->run();
  driver->beginScene(true, true, irr::video::SColor(255, kClearGrey, kClearGrey, kClearGrey));
  m_d->field->drawAll();
  if (readBack) {
    readBack->resize(size_t(3) * kSide * kSide);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, kSide, kSide, GL_RGB, GL_UNSIGNED_BYTE, readBack->data());
  }
  driver->endScene();
}

uint32_t IrrlichtCubes::LastPrimitiveCount() const { return m_d->device->getVideoDriver()->getPrimitiveCountDrawn(0); }

}  // namespace PM::Bench
