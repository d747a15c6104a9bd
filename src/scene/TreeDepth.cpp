#include "scene/TreeDepth.h"

#include <atomic>
#include <cstring>

#include "core/Log.h"
#include "scene/Node.h"

namespace PM {

namespace {

// The walks that have reported, each with the node it stopped at last.
struct Reported {
  const char* walk;
  std::atomic<const TNode_I*> node;
};
Reported g_reported[] = {{"TreeUpdate", {nullptr}},
                         {"CullAndCollect", {nullptr}},
                         {"DrawExtraPass", {nullptr}},
                         {"CloneTree", {nullptr}},
                         {"TreeBounds", {nullptr}}};

}  // namespace

void ReportTreeTooDeep(const char* walk, const TNode_I* node, const char* consequence) {
  for (Reported& r : g_reported) {
    if (std::strcmp(r.walk, walk) != 0) continue;
    if (r.node.exchange(node) == node) return;
    break;
  }
  LogError(walk, ": tree deeper than ", kMaxTreeDepth, " levels at \"", node->m_name, "\"; ", consequence);
}

}  // namespace PM
