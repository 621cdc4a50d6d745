#include "display/canvas_file.h"

#include "platform/file_error.h"

namespace kalo {

namespace {

// The companion refuses files without these exact lines.
constexpr const char* kCommentLines[] = {
    "%%% PLEASE DO NOT EDIT OR CHANGE THIS KaloDraw DATA FILE!",
    "%%% This file is in a VERY PARTICULAR FORMAT.  'KaloDraw'",
    "%%% WILL CRASH if it attempts to load an altered data file!",
    "%%% This file was generated from KaloDraw DESIGN PROCESSOR.",
};

}  // namespace

std::vector<std::string> CanvasLines(std::string_view design_record) {
  std::vector<std::string> lines(std::begin(kCommentLines), std::end(kCommentLines));
  lines.push_back(std::string(CanvasStamp) + "c");
  while (!design_record.empty()) {
    size_t slash = design_record.find('/');
    size_t piece = slash == std::string_view::npos ? design_record.size() : slash + 1;
    lines.emplace_back(design_record.substr(0, piece));
    design_record.remove_prefix(piece);
  }
  return lines;
}

std::string CanvasFileText(std::string_view design_record) {
  std::string text;
  for (const std::string& line : CanvasLines(design_record)) {
    text += line;
    text += "\r\n";
  }
  return text;
}

std::string WriteFileAtomically(const std::string& path, std::string_view contents,
                                LinkAtName links) {
  const int error = WriteWholeFile(path, contents, links);
  return error ? FileErrorMessage(error) : "";
}

std::string WriteCanvasFile(const std::string& path, std::string_view design_record,
                            LinkAtName links) {
  return WriteFileAtomically(path, CanvasFileText(design_record), links);
}

}  // namespace kalo
