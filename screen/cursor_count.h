// The pointer's display count: hiding lowers it, showing raises it, and the
// pointer is invisible while the count is negative, so that several hide
// requests need as many show requests before the pointer comes back.
#pragma once

namespace kalo {

class CursorCount {
 public:
  explicit CursorCount(int start = 0);
  ~CursorCount();
  CursorCount(const CursorCount&) = delete;
  CursorCount& operator=(const CursorCount&) = delete;

  // Shows (true) or hides (false) once and returns the new count.
  int ShowCursor(bool show);
  int count() const { return count_; }
  // Whether the blank pointer is in force over the program's windows.
  bool blanked() const { return blanked_; }

 private:
  void Apply();

  int count_;
  bool blanked_ = false;
};

}  // namespace kalo
