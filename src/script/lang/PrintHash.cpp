#include "script/lang/PrintHash.h"

#include "core/Log.h"
#include "script/object/ValueBox.h"

namespace PM {

namespace {

// A boxed value's "Value" as its class's literal text; false for content that has no literal here.
bool PrintBoxed(StreamPipeRef& out, ScriptObject* box) {
  switch (box->GetClassID()) {
    case kClassBool:
      out.WriteText(static_cast<ValueBox<VBool>*>(box)->value ? "True" : "False");
      return true;
    case kClassString:
      out.WriteQuotedString(static_cast<ValueBox<VString>*>(box)->value, '"');
      return true;
    case kClassI32:
      out.WriteI32(static_cast<ValueBox<VI32>*>(box)->value);
      return true;
    case kClassI64:
      out.WriteI64(static_cast<ValueBox<VI64>*>(box)->value).WriteChar('I');
      return true;
    case kClassU32:
      out.WriteU32(static_cast<ValueBox<VU32>*>(box)->value).WriteChar('u');
      return true;
    case kClassU64:
      out.WriteU64(static_cast<ValueBox<VU64>*>(box)->value).WriteChar('U');
      return true;
    case kClassF32:
      out.WriteF32(static_cast<ValueBox<VF32>*>(box)->value);
      return true;
    case kClassF64:
      out.WriteF64(static_cast<ValueBox<VF64>*>(box)->value).WriteChar('F');
      return true;
    case kClassVector2f:
      out.WriteVector2f(static_cast<ValueBox<VVector2f>*>(box)->value);
      return true;
    case kClassVector3f:
      out.WriteVector3f(static_cast<ValueBox<VVector3f>*>(box)->value);
      return true;
    case kClassVector4f:
      out.WriteVector4f(static_cast<ValueBox<VVector4f>*>(box)->value);
      return true;
    case kClassMatrix4f:
      out.WriteMatrix4f(static_cast<ValueBox<VMatrix4f>*>(box)->value);
      return true;
    case kClassNameHash:
      PrintHash(out, static_cast<ValueBox<VNameHash>*>(box)->value);
      return true;
    default:
      return false;
  }
}

}  // namespace

void PrintHash(StreamPipeRef& out, const NameHash& hash) {
  out.WriteChar('{');
  bool first = true;
  hash.ForEach([&](const NameHashEntry& e) {
    if (first) out.WriteSpace();
    first = false;
    out.WriteChar('.').WriteString(e.name).WriteSpace();
    if (!PrintBoxed(out, e.value.Get())) {
      out.WriteText("<<Unknown>>");
      LogWarn("PrintHash: contains unsupported content.");
    }
    out.WriteText("; ");
  });
  out.WriteChar('}');
}

}  // namespace PM
