#include "render/RenderSystemTraverse.h"

#include "core/Log.h"
#include "core/Trace.h"
#include "core/TraceStage.h"
#include "engine/FramePrimitiveCount.h"
#include "platform/FpuGuard.h"
#include "render/RenderChannel.h"
#include "render/RenderEngineBase.h"
#include "render/RenderPipe.h"
#include "scene/FrameStamp.h"
#include "scene/NodeWalk.h"
#include "script/object/MemberDef.h"

namespace PM {

RenderSystemTraverse_I* RenderSystemTraverse_I::Create() { return NewCounted<RenderSystemTraverse_I>(); }

void RenderSystemTraverse_I::SetRenderPipe(ScriptObject* pipe) { m_d.pipe = pipe; }

void RenderSystemTraverse_I::SetChannel(int32_t index, ScriptObject* channel) {
  // A negative index would write before the list, a huge one allocate without bound.
  if (index < 0 || index > kMaxGrowIndex) {
    LogError("RenderSystemTraverse::SetChannel: index ", index, " out of range.");
    return;
  }
  while (m_d.channels.Count() <= index) m_d.channels.Append(Obj<ScriptObject>());
  m_d.channels[index] = channel;
}

ScriptObject* RenderSystemTraverse_I::GetChannel(int32_t index) {
  if (index < 0 || index >= m_d.channels.Count()) return NilScriptObject();
  return m_d.channels[index].Get();
}

void RenderSystemTraverse_I::ClearBuffers() {
  RenderPipe_I* pipe = As<RenderPipe_I>(m_d.pipe.Get());
  RenderEngine* engine = pipe ? pipe->GetRenderEngine() : nullptr;
  if (!engine) return;
  for (const Obj<ScriptObject>& c : m_d.channels) {
    if (!c->IsA(RenderChannel_I::kClassId)) continue;
    auto* channel = static_cast<RenderChannel_I*>(c.Get());
    if (!channel->m_enable) continue;
    engine->ClearBuffer(channel->GetDataPtr());
    return;
  }
}

int32_t RenderSystemTraverse_I::Present(int32_t swapArgument) {
  RenderPipe_I* pipe = As<RenderPipe_I>(m_d.pipe.Get());
  if (!pipe || !pipe->GetRenderEngine()) return 0;
  return int32_t(pipe->Present(swapArgument != 0));
}

void RenderSystemTraverse_I::Finish() {
  RenderPipe_I* pipe = As<RenderPipe_I>(m_d.pipe.Get());
  if (RenderEngine* engine = pipe ? pipe->GetRenderEngine() : nullptr) engine->Finish();
}

void RenderSystemTraverse_I::Draw(double time, double timeStep, int32_t updateOnly) {
  FpuGuard guard;
  FpuGuard::SetPrecision(FpuGuard::kPrecision24);
  DrawTree(time, timeStep, updateOnly);
}

void RenderSystemTraverse_I::DrawTree(double time, double timeStep, int32_t updateOnly) {
  TraceStage frame("RenderSystemTraverse_D::DrawTree");
  g_FramePrimitiveCount = g_FrameLineCount = g_FramePointCount = 0;
  ++m_d.frameCounter;
  SetCurrentFrameStamp(m_d.frameCounter);

  Obj<ScriptObject> pipeHold = m_d.pipe;
  RenderPipe_I* pipe = As<RenderPipe_I>(pipeHold.Get());
  if (!pipe) {
    LogError("no RenderPipe connected to RenderSystem.");
    return;
  }
  int32_t x = 0, y = 0, width = 640, height = 480;
  pipe->GetClientArea(&x, &y, &width, &height);

  const int32_t count = m_d.channels.Count();
  for (int32_t i = 0; i < count && i < m_d.channels.Count(); ++i) {
    Obj<ScriptObject> hold = m_d.channels[i];
    if (!hold->IsA(RenderChannel_I::kClassId)) continue;
    auto* channel = static_cast<RenderChannel_I*>(hold.Get());
    if (!channel->m_enable) continue;
    DrawChannel(channel, time, timeStep, updateOnly != 0, i == m_d.channels.Count() - 1, width, height);
  }
  if (RenderEngine* engine = pipe->GetRenderEngine()) {
    engine->LatchPrimitiveCount();
    engine->LatchLinesAndPoints(g_FrameLineCount, g_FramePointCount);
  }
}

}  // namespace PM
