#include "system/out_of_memory.h"

#include <new>

namespace kalo {

namespace {
bool g_out_of_memory = false;
}  // namespace

void NoteOutOfMemory() { g_out_of_memory = true; }
bool OutOfMemoryNoted() { return g_out_of_memory; }

bool RanWithinMemory(const std::function<void()>& work) {
  try {
    work();
    return true;
  } catch (const std::bad_alloc&) {
    NoteOutOfMemory();
    return false;
  }
}

}  // namespace kalo
