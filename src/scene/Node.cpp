#include "scene/Node.h"

namespace PM {

const TypeRecord& SNode_I::GetTypeRecord() {
  static TypeRecord t("SNode", sizeof(SNode_I), DestroyScriptObject<SNode_I>);
  return t;
}
const TypeRecord& TNode_I::GetTypeRecord() {
  static TypeRecord t("TNode", sizeof(TNode_I), DestroyScriptObject<TNode_I>);
  return t;
}

}  // namespace PM
