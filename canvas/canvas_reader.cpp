#include "canvas/canvas_reader.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstring>
#include <optional>
#include <span>
#include <system_error>
#include <utility>

#include "canvas/canvas_file.h"
#include "core/numbers.h"
#include "engine/design_record.h"

namespace kalo {

namespace {

// The fields around every type's own: the background (first line only), the
// layer's header and its closing draw mode.
constexpr RecordField Around(const char* name, FieldKind kind, double low, double high) {
  return {name, kind, low, high, false, nullptr, nullptr};
}
const RecordField kBackground = Around("background colour", FieldKind::kWhole, 0, 0xFFFFFF);
const RecordField kTypeRule = Around("design type", FieldKind::kWhole, 0, kDesignTypeCount - 1);
const RecordField kColourRule = Around("pen colour", FieldKind::kWhole, 0, 0xFFFFFF);
// The widest pen the settings offer.
const RecordField kWidthRule = Around("pen width", FieldKind::kWhole, 1, 128);
// Round, the screen's proportions, or squeezed to no less than 0.4.
const RecordField kStretchRule = Around("stretch", FieldKind::kNumber, 0.01, 100);
const RecordField kModeRule = Around("draw mode", FieldKind::kWhole, 1, 16);
constexpr int kHeaderFields = 4;  // type, colour, width, stretch

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// Plain digits after the blank or minus, no leading zero, no "-0".
std::optional<double> ParseWhole(std::string_view text) {
  if (text.size() < 2 || text.size() > 11 || (text[0] != ' ' && text[0] != '-')) return {};
  const std::string_view digits = text.substr(1);
  for (char c : digits)
    if (!IsDigit(c)) return {};
  if (digits[0] == '0' && (digits.size() > 1 || text[0] == '-')) return {};
  long long v = 0;
  std::from_chars(digits.data(), digits.data() + digits.size(), v);
  return text[0] == '-' ? -static_cast<double>(v) : static_cast<double>(v);
}

// A Single's text: " 0", or digits with no leading zero and a fraction with
// no trailing zero (".5" rather than "0.5"), at most seven significant
// digits, and "E+08" style exponents after a one-digit mantissa.
std::optional<double> ParseSingle(std::string_view text) {
  if (text.size() < 2 || (text[0] != ' ' && text[0] != '-')) return {};
  const std::string_view body = text.substr(1);
  if (body == "0") {
    if (text[0] == '-') return {};
    return 0.0;
  }
  size_t i = 0;
  std::string digits;
  while (i < body.size() && IsDigit(body[i])) digits += body[i++];
  const size_t whole_digits = digits.size();
  if (whole_digits > 0 && digits[0] == '0') return {};
  if (i < body.size() && body[i] == '.') {
    ++i;
    const size_t from = i;
    while (i < body.size() && IsDigit(body[i])) digits += body[i++];
    if (i == from || body[i - 1] == '0') return {};
  }
  if (digits.empty()) return {};
  if (i < body.size() && body[i] == 'E') {
    if (whole_digits != 1 || i + 1 >= body.size()) return {};
    if (body[i + 1] != '+' && body[i + 1] != '-') return {};
    const size_t exponent = body.size() - (i + 2);
    if (exponent < 2 || exponent > 3) return {};
    for (size_t k = i + 2; k < body.size(); ++k)
      if (!IsDigit(body[k])) return {};
    i = body.size();
  }
  if (i != body.size()) return {};
  const size_t first = digits.find_first_not_of('0');
  if (first == std::string::npos || digits.size() - first > 7) return {};
  // Read to the nearest Single, as the saver held it; beyond a Single's range
  // the text cannot have come from the saver.
  const std::optional<Single> v = ReadSingle(body);
  if (!v) return {};
  return text[0] == '-' ? -static_cast<double>(*v) : static_cast<double>(*v);
}

std::string Place(int line, int field) {
  return "line " + std::to_string(line) + ", field " + std::to_string(field) + ": ";
}

std::string Shown(double v) {
  char buf[32];
  const auto [end, ec] = std::to_chars(buf, buf + sizeof buf, v);
  return ec == std::errc() ? std::string(buf, end) : std::string("?");
}

// Reads one field by its rule; "" when it is good, otherwise the message.
std::string ReadField(std::string_view text, const RecordField& rule, int line, int field,
                      double& value) {
  std::optional<double> v;
  switch (rule.kind) {
    case FieldKind::kWhole:
      v = ParseWhole(text);
      if (!v) return Place(line, field) + "expected a whole number";
      break;
    case FieldKind::kNumber:
      v = ParseSingle(text);
      if (!v) return Place(line, field) + "expected a number";
      break;
    case FieldKind::kFlag:
      if (text != "-1" && text != " 0") return Place(line, field) + "expected -1 or 0";
      v = text == "-1" ? -1.0 : 0.0;
      break;
  }
  // The value as the file writes it, without its leading blank.
  const std::string_view written = text[0] == ' ' ? text.substr(1) : text;
  if (*v < rule.low || *v > rule.high) {
    return Place(line, field) + rule.name + " " + std::string(written) + " is not within " +
           Shown(rule.low) + " to " + Shown(rule.high);
  }
  if (rule.count && *v != std::floor(*v))
    return Place(line, field) + rule.name + " " + std::string(written) + " is not a whole number";
  value = *v;
  return "";
}

// The fields of one record line: the texts between the backslashes, the
// line ending in a backslash and the slash that closes the layer.
std::optional<std::vector<std::string_view>> SplitFields(std::string_view line) {
  if (line.size() < 2 || line.substr(line.size() - 2) != "\\/") return {};
  line.remove_suffix(1);
  std::vector<std::string_view> fields;
  while (!line.empty()) {
    const size_t end = line.find('\\');
    fields.push_back(line.substr(0, end));
    line.remove_prefix(end + 1);
  }
  return fields;
}

std::string ReadLayer(std::string_view text, int line, bool first, CanvasDesign& design) {
  const auto fields = SplitFields(text);
  if (!fields) {
    return "line " + std::to_string(line) +
           ": expected a layer record ending in \\/ (the file may be cut short)";
  }
  const size_t lead = first ? 1 : 0;
  int f = 0;
  double v = 0;
  auto next = [&](const RecordField& rule) {
    ++f;
    return ReadField((*fields)[static_cast<size_t>(f - 1)], rule, line, f, v);
  };
  if (fields->size() < lead + 1) return "line " + std::to_string(line) + ": expected a layer";
  if (first) {
    if (std::string e = next(kBackground); !e.empty()) return e;
    design.BackColor = static_cast<Long>(v);
  }
  if (std::string e = next(kTypeRule); !e.empty()) return e;
  CanvasLayer layer;
  layer.DesignType = static_cast<Integer>(v);
  const std::span<const RecordField> type = DesignRecordFields(layer.DesignType);
  const size_t want = lead + kHeaderFields + type.size() + 1;
  if (fields->size() != want) {
    return "line " + std::to_string(line) + ": expected " + std::to_string(want) +
           " fields for a " + kDesignTypeNames[layer.DesignType] + " layer, found " +
           std::to_string(fields->size());
  }
  if (std::string e = next(kColourRule); !e.empty()) return e;
  layer.ForeColor = static_cast<Long>(v);
  if (std::string e = next(kWidthRule); !e.empty()) return e;
  layer.DrawWidth = static_cast<Integer>(v);
  if (std::string e = next(kStretchRule); !e.empty()) return e;
  layer.XStretch = static_cast<Single>(v);
  for (const RecordField& rule : type) {
    if (std::string e = next(rule); !e.empty()) return e;
    layer.fields.push_back(v);
  }
  if (std::string e = next(kModeRule); !e.empty()) return e;
  layer.DrawMode = static_cast<Integer>(v);
  design.layers.push_back(std::move(layer));
  return "";
}

// Built by appending: GCC 12 at -O3 mistakes the chain of + for an
// overlapping copy and warns.
std::string Quoted(std::string_view text) {
  std::string quoted;
  quoted.reserve(text.size() + 2);
  quoted += '"';
  quoted += text;
  quoted += '"';
  return quoted;
}

}  // namespace

CanvasRead ParseCanvasText(std::string_view text) {
  CanvasRead out;
  if (text.size() > kCanvasFileLimit) {
    out.error =
        "larger than " + std::to_string(kCanvasFileLimit >> 20) + " MB, which no canvas file is";
    return out;
  }
  std::vector<std::string> expected(std::begin(kCanvasCommentLines), std::end(kCanvasCommentLines));
  expected.push_back(std::string(CanvasStamp) + "c");
  int line = 0;
  while (!text.empty()) {
    ++line;
    size_t end = text.find('\n');
    std::string_view piece = text.substr(0, end);
    text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
    if (!piece.empty() && piece.back() == '\r') piece.remove_suffix(1);
    const size_t index = static_cast<size_t>(line - 1);
    if (index < expected.size()) {
      if (piece != expected[index]) {
        out.error = "line " + std::to_string(line) + ": expected " + Quoted(expected[index]) +
                    (line == 1 ? " (this is not a canvas file)" : "");
        return out;
      }
      continue;
    }
    if (static_cast<int>(out.design.layers.size()) == kCanvasLayerLimit) {
      out.error = "line " + std::to_string(line) + ": more than " +
                  std::to_string(kCanvasLayerLimit) + " layers, which no design has";
      return out;
    }
    out.error = ReadLayer(piece, line, index == expected.size(), out.design);
    if (!out.ok()) return out;
  }
  if (line < static_cast<int>(expected.size())) {
    out.error = "line " + std::to_string(line + 1) + ": expected " +
                Quoted(expected[static_cast<size_t>(line)]) + ", found the end of the file";
  } else if (out.design.layers.empty()) {
    out.error = "line " + std::to_string(line + 1) +
                ": expected the first layer record, found the end of the file";
  }
  return out;
}

CanvasRead ReadCanvasFile(const std::string& path) {
  CanvasRead out;
  // Not blocking on a pipe or a device with nothing to say, and reading no
  // more than a canvas file can hold.
  const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) {
    out.error = std::string("cannot be opened: ") + std::strerror(errno);
    return out;
  }
  struct stat st {};
  std::string text;
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    out.error = "not a file";
  } else if (static_cast<unsigned long long>(st.st_size) > kCanvasFileLimit) {
    out.error =
        "larger than " + std::to_string(kCanvasFileLimit >> 20) + " MB, which no canvas file is";
  } else {
    text.resize(kCanvasFileLimit + 1);
    size_t got = 0;
    while (got < text.size()) {
      const ssize_t n = ::read(fd, text.data() + got, text.size() - got);
      if (n < 0 && errno == EINTR) continue;
      if (n < 0) {
        out.error = std::string("cannot be read: ") + std::strerror(errno);
        break;
      }
      if (n == 0) break;
      got += static_cast<size_t>(n);
    }
    text.resize(got);
  }
  ::close(fd);
  if (!out.ok()) return out;
  return ParseCanvasText(text);
}

void ApplyCanvasLayer(const CanvasLayer& layer, DesignState& s) {
  s.DesignType = layer.DesignType;
  s.XStretch = layer.XStretch;
  const std::span<const RecordField> type = DesignRecordFields(layer.DesignType);
  for (size_t k = 0; k < type.size() && k < layer.fields.size(); ++k)
    type[k].set(s, layer.fields[k]);
}

}  // namespace kalo
