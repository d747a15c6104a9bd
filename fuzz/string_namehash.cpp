// Decodes the input into String and NameHash operations and checks them against std::string and
// std::unordered_map doing the same.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <unordered_map>

#include "core/NameHash.h"
#include "core/String.h"

using namespace PM;

static void Check(bool ok) {
  if (!ok) std::abort();
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  String s;
  std::string ref;
  NameHash h, shared;
  std::unordered_map<std::string, bool> refMap;  // true: the value is `marker`, false: nil
  Obj<ScriptObject> marker(reinterpret_cast<ScriptObject*>(NewCounted<int>(7)));
  size_t i = 0;
  auto next = [&]() -> uint8_t { return i < size ? data[i++] : 0; };
  while (i < size) {
    uint8_t op = next() % 9, a = next(), b = next();
    switch (op) {
      case 0:
        s.AppendChar(char(a));
        ref.push_back(char(a));
        break;
      case 1:
        s.InsertChar(a % (ref.size() + 1), char(b));
        ref.insert(ref.begin() + a % (ref.size() + 1), char(b));
        break;
      case 2:
        if (!ref.empty()) {
          s.RemoveChar(a % ref.size());
          ref.erase(a % ref.size(), 1);
        }
        break;
      case 3: {
        String sub;
        sub.AssignSub(s, a, b);
        size_t st = std::min<size_t>(a, ref.size());
        Check(sub.View() == ref.substr(st, b));
        break;
      }
      case 4:
        Check(s.FindChar(char(a)) == (ref.find(char(a)) == std::string::npos ? -1 : int(ref.find(char(a)))));
        break;
      case 5: {
        String key(ref.substr(0, a % 8).c_str());
        h.Set(key, (b & 1) ? marker.Get() : nullptr);
        refMap[std::string(key.CStr())] = b & 1;
        break;
      }
      case 6: {
        String key(ref.substr(0, a % 8).c_str());
        Check(h.Remove(key) == (refMap.erase(key.CStr()) == 1));
        break;
      }
      case 7:
        shared = h;
        break;  // the next write must not change `shared`
      case 8: {
        String t(ref.c_str());
        Check(String::Compare(s, t) == 0 || ref.find('\0') != std::string::npos);
        break;
      }
    }
    Check(s.Length() == int(ref.size()) && std::memcmp(s.CStr(), ref.data(), ref.size()) == 0);
  }
  Check(h.Count() == int(refMap.size()));
  for (auto& [k, v] : refMap) {
    const NameHashEntry* e = h.FindEntry(String(k.c_str()));
    Check(e && (e->value.Get() == marker.Get()) == v);
  }
  return 0;
}
