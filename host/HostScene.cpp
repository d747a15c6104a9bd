#include "HostScene.h"

#include <unistd.h>

#include <string>

#include <pelmora/anim/AnimationScheduler.h>
#include <pelmora/render/RenderChannel.h>
#include <pelmora/render/Texture.h>

namespace PMHost {

using namespace PM;

RenderPipe_I* FindPipe(ScriptNamespace* names) {
  ScriptObject* pipe = names->FindObject(String("Pipe"));
  return pipe && pipe->IsA(RenderPipe_I::kClassId) ? static_cast<RenderPipe_I*>(pipe) : nullptr;
}

void StepSchedulers(ScriptNamespace* names, double time) {
  for (int i = 0;; ++i) {
    const std::string name = "Scheduler" + std::to_string(i);
    Obj<ScriptObject> found(names->FindObject(String(name.c_str())));
    if (found.IsNil() || !found->IsA(AnimationScheduler_I::kClassId)) break;
    static_cast<AnimationScheduler_I*>(found.Get())->Update(time);
  }
}

void WaitForTextureLoads() {
  for (int i = 0; i < 10000 && PendingTextureLoads.load(std::memory_order_acquire) > 0; ++i) usleep(1000);
  DrainTextureReleases();
}

Ptr<RenderSystemTraverse_I> MakeTraverse(ScriptNamespace* names, RenderPipe_I* pipe, long passes) {
  Ptr<RenderSystemTraverse_I> traverse(RenderSystemTraverse_I::Create());
  traverse->SetRenderPipe(pipe);
  for (int32_t i = 0;; ++i) {
    const std::string name = "Channel" + std::to_string(i);
    ScriptObject* channel = names->FindObject(String(name.c_str()));
    if (!channel->IsA(RenderChannel_I::kClassId)) break;
    if (passes >= 0) static_cast<RenderChannel_I*>(channel)->SetIntField(int32_t(passes));
    traverse->SetChannel(i, channel);
  }
  return traverse;
}

}  // namespace PMHost
