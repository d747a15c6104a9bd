#include "core/Language.h"

#include <atomic>

namespace PM {

static std::atomic<int> g_language{kLanguageEnglish};

int GetLanguage() { return g_language.load(std::memory_order_relaxed); }
void SetLanguage(int language) { g_language.store(language, std::memory_order_relaxed); }

}  // namespace PM
