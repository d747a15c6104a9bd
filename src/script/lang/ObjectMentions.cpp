#include "script/lang/ObjectMentions.h"

#include <algorithm>
#include <atomic>

namespace PM {

namespace {

std::atomic<ObjectMentions*> g_installed{nullptr};

}  // namespace

ObjectMentions::~ObjectMentions() {
  ObjectMentions* self = this;
  g_installed.compare_exchange_strong(self, nullptr);
}

void ObjectMentions::Install(ObjectMentions* table) { g_installed.store(table); }

bool ObjectMentions::Active() { return g_installed.load(std::memory_order_relaxed) != nullptr; }

void ObjectMentions::Note(ScriptObject* object, const String& name, const String& file, int32_t line, bool made,
                          bool addressed) {
  ObjectMentions* table = g_installed.load();
  if (!table || name.IsEmpty() || !object || IsNilObject(object)) return;
  table->Take(object, Mention{name, String(object->GetClassName()), file, line}, made, addressed);
}

void ObjectMentions::Take(ScriptObject* object, const Mention& mention, bool made, bool addressed) {
  std::lock_guard<std::mutex> hold(m_lock);
  if (addressed) {
    m_entries.erase(object);
  } else if (made) {
    // An address may come back for a new object once the old one is gone: the new one starts afresh.
    m_entries[object] = Entry{WeakObj<ScriptObject>(object), mention, m_next++};
  }
}

std::vector<ObjectMentions::Mention> ObjectMentions::Unaddressed() const {
  std::vector<const Entry*> alive;
  std::lock_guard<std::mutex> hold(m_lock);
  for (const auto& [object, entry] : m_entries)
    if (entry.object.Get() == object) alive.push_back(&entry);
  std::sort(alive.begin(), alive.end(), [](const Entry* a, const Entry* b) { return a->order < b->order; });
  std::vector<Mention> out;
  out.reserve(alive.size());
  for (const Entry* e : alive) out.push_back(e->mention);
  return out;
}

}  // namespace PM
