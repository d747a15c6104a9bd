// ObjectMentions: the named objects a run made only because another object's member mentioned them
// (".Parent TTransform:eyeTT") while no statement ever addressed them itself ("TTransform:eyeTT . { }",
// "TTransform:eyeTT.Member ..."): most often a misspelled name, which the language quietly turns into a
// new empty object. A host installs a table for the runs it wants told about and reads it at the end.
#pragma once

#include <cstdint>
#include <mutex>
#include <unordered_map>
#include <vector>

#include "core/Obj.h"
#include "core/String.h"
#include "script/object/ScriptObject.h"

namespace PM {

class ObjectMentions {
 public:
  // Where an object was first mentioned: its name and class, the script's name and the line (0 in
  // compiled scripts, which keep no lines).
  struct Mention {
    String name;
    String className;
    String file;
    int32_t line = 0;
  };

  ObjectMentions() = default;
  ~ObjectMentions();  // uninstalls itself when installed
  ObjectMentions(const ObjectMentions&) = delete;
  ObjectMentions& operator=(const ObjectMentions&) = delete;

  // Makes `table` the one the parsers of every thread tell (null: none). The table must outlive the
  // runs that tell it.
  static void Install(ObjectMentions* table);
  // Whether a table is installed: the parser asks before it works out what to tell.
  static bool Active();
  // The parser's report of a reference to the named `object`: `made` when the reference created it,
  // `addressed` when the reference heads a statement or a member suffix follows it.
  static void Note(ScriptObject* object, const String& name, const String& file, int32_t line, bool made,
                   bool addressed);

  // The objects still alive that a reference made and no statement addressed, in the order of their
  // first mention.
  std::vector<Mention> Unaddressed() const;

 private:
  struct Entry {
    WeakObj<ScriptObject> object;
    Mention mention;
    uint64_t order = 0;
  };
  void Take(ScriptObject* object, const Mention& mention, bool made, bool addressed);

  mutable std::mutex m_lock;
  std::unordered_map<const ScriptObject*, Entry> m_entries;
  uint64_t m_next = 0;
};

}  // namespace PM
