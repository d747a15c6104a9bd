#include "render/Texture2DVideo.h"

#include "classes/EngineClassRegistry.h"
#include "core/Log.h"
#include "engine/TextureHandle.h"
#include "render/VideoFrameState.h"
#include "render/VideoModule.h"

namespace PM {

Texture2DVideo_I::~Texture2DVideo_I() { CloseDecoder(); }

void Texture2DVideo_I::Update() {
  if (m_decoder) m_decoder->Update();
}

int32_t Texture2DVideo_I::OpenDecoder(const String& fileName, TextureHandle* frameTarget) {
  m_fileName = fileName;
  m_frameTarget = frameTarget;
  const std::string_view name = fileName.View();
  const size_t dot = name.rfind('.');
  const std::string extension(dot == std::string_view::npos ? std::string_view() : name.substr(dot));
  Ptr<VideoDecoder> decoder = CreateVideoDecoderExtension(extension.c_str());
  if (!decoder) {
    Log(LogOutPipe(), kLevelError, "Texture2DVideo: Decoder create failed.");
    return -1;
  }
  CloseDecoder();
  m_decoder = decoder;
  m_decoder->SetFrameCallbacks(&FrameFunction, &PendingFunction, this);
  const std::string path(name);
  m_decoder->Open(path.c_str());
  m_decoder->Start();
  return 0;
}

void Texture2DVideo_I::CloseDecoder() {
  if (!m_decoder) return;
  m_decoder->Close();
  m_decoder.Clear();
}

void Texture2DVideo_I::FrameFunction(void* context, const uint8_t* pixels, int32_t width, int32_t height) {
  if (VideoFrameState* state = VideoFrameState::Of(static_cast<Texture2DVideo_I*>(context)->m_frameTarget))
    state->DeliverFrame(pixels, width, height);
}

bool Texture2DVideo_I::PendingFunction(void* context) {
  VideoFrameState* state = VideoFrameState::Of(static_cast<Texture2DVideo_I*>(context)->m_frameTarget);
  return state && state->ReadyForFrame();
}

double Texture2DVideo_I::GetVideoLength() const { return m_decoder ? m_decoder->GetLength() : -1.0; }
double Texture2DVideo_I::GetVideoPosition() const { return m_decoder ? m_decoder->GetPosition() : -1.0; }
void Texture2DVideo_I::SetVideoPosition(double seconds) {
  if (m_decoder) m_decoder->SetPosition(seconds);
}
bool Texture2DVideo_I::GetPaused() const { return m_decoder ? m_decoder->IsPaused() : false; }
void Texture2DVideo_I::SetPaused(bool paused) {
  if (m_decoder) m_decoder->SetPaused(paused);
}
Vector2f Texture2DVideo_I::GetVideoDimension() const {
  if (!m_decoder) return kZeroVector2f;
  return {float(m_decoder->GetWidth()), float(m_decoder->GetHeight())};
}

void Texture2DVideo_I::Define() {
  const ClassDef classes[] = {ConcreteClass<Texture2DVideo_I>()};
  DefineClasses(classes);
  const MemberDef members[] = {
      ReadOnly(AccessorMember<&Texture2DVideo_I::GetVideoLength, nullptr>(0x01FFF10B, "VideoLength", 0x5)),
      AccessorMember<&Texture2DVideo_I::GetVideoPosition, &Texture2DVideo_I::SetVideoPosition>(0x02FFF10B,
                                                                                               "VideoPosition", 0x5),
      AccessorMember<&Texture2DVideo_I::GetPaused, &Texture2DVideo_I::SetPaused>(0x03FFF10B, "Paused", 0x5),
      ReadOnly(AccessorMember<&Texture2DVideo_I::GetVideoDimension, nullptr>(0x04FFF10B, "VideoDimension", 0x5)),
  };
  DefineMembers(members);
}

// Entered in the engine class table, which defines it in the order list's order.
static const bool kClassEntered = EnterEngineClasses<Texture2DVideo_I>();

}  // namespace PM
