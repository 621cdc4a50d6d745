// The design type's own fields of a layer record, listed once: the writer
// walks this table to append them and the canvas reader walks it to check
// and put them back, so the two cannot drift apart.
#pragma once

#include <span>
#include <string>

#include "engine/design_state.h"

namespace kalo {

// How a field's number is written: Integers and Longs in plain digits,
// Singles in the shortest form of at most seven significant digits, flags
// as -1 or 0.
enum class FieldKind { kWhole, kNumber, kFlag };

struct RecordField {
  const char* name;  // as the reader's messages call the field
  FieldKind kind;
  double low, high;  // the values the saver writes
  bool count;        // a Single that only ever holds whole numbers
  // The field's value in the design state, as the record holds it; null for
  // the fields around the type's own, which the reader keeps elsewhere.
  double (*get)(const DesignState&);
  void (*set)(DesignState&, double);
};

// The type's own fields in record order (none for an unknown type).
std::span<const RecordField> DesignRecordFields(int type);

// The field's text as the record holds it, from the design state.
std::string RecordFieldText(const RecordField& field, const DesignState& s);

}  // namespace kalo
