#include "canvas/canvas_file.h"

#include "files/file_error.h"

namespace kalo {

std::vector<std::string> CanvasLines(std::string_view design_record) {
  std::vector<std::string> lines(std::begin(kCanvasCommentLines), std::end(kCanvasCommentLines));
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
  return error ? FileErrorMessage(error, path) : "";
}

std::string WriteCanvasFile(const std::string& path, std::string_view design_record,
                            LinkAtName links) {
  return WriteFileAtomically(path, CanvasFileText(design_record), links);
}

}  // namespace kalo
