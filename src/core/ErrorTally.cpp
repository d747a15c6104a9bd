#include "core/ErrorTally.h"

#include <atomic>

namespace PM {

namespace {

std::atomic<uint64_t> g_errorReports{0};

}  // namespace

void CountErrorReport() { g_errorReports.fetch_add(1, std::memory_order_relaxed); }

uint64_t ErrorReportCount() { return g_errorReports.load(std::memory_order_relaxed); }

}  // namespace PM
