#include "platform/write_fault.h"

#include <atomic>

namespace {

std::atomic<WriteFaultHook> g_hook{nullptr};

}  // namespace

void SetWriteFaultHook(WriteFaultHook hook) { g_hook.store(hook); }

bool InjectWriteFault(WriteStage stage, int& error) {
    const WriteFaultHook hook = g_hook.load();
    const int injected = hook != nullptr ? hook(stage) : 0;
    if (injected == 0) return false;
    error = injected;
    return true;
}
