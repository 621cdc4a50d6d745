// Whole-file reads and writes for tests that check what lands on disk.
#pragma once

#include <fstream>
#include <sstream>
#include <string>

namespace kalo::test {

// The file's bytes as they are; empty when it cannot be read.
inline std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

inline void WriteFile(const std::string& path, const std::string& text) {
  std::ofstream(path, std::ios::binary) << text;
}

}  // namespace kalo::test
