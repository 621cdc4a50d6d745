// Running out of memory where Qt called us. No exception may leave an event
// handler for Qt's dispatch, so a handler whose allocation fails notes it
// here and ends the saver as input would; once the run mode is over, the
// program ends as if the allocation had failed in front of it.
#pragma once

namespace kalo {

void NoteOutOfMemory();
bool OutOfMemoryNoted();

}  // namespace kalo
