// Running out of memory where Qt called us. No exception may leave an event
// handler for Qt's dispatch, so a handler whose allocation fails notes it
// here and ends the saver as input would; once the run mode is over, the
// program ends as if the allocation had failed in front of it.
#pragma once

#include <functional>

namespace kalo {

void NoteOutOfMemory();
bool OutOfMemoryNoted();

// Runs work where Qt called us; memory that runs out in it is noted, and
// false tells the caller to end the saver.
bool RanWithinMemory(const std::function<void()>& work);

}  // namespace kalo
