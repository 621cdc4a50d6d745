#include "platform/out_of_memory.h"

namespace kalo {

namespace {
bool g_out_of_memory = false;
}  // namespace

void NoteOutOfMemory() { g_out_of_memory = true; }
bool OutOfMemoryNoted() { return g_out_of_memory; }

}  // namespace kalo
