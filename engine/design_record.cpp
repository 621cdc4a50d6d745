#include "engine/design_record.h"

#include <type_traits>

#include "core/numbers.h"

namespace kalo {

namespace {

// Where a field lives in the design state: a member, or with kIndex one
// element of an array member.
template <auto kMember, int kIndex, class State>
auto& Place(State& s) {
  if constexpr (kIndex < 0)
    return s.*kMember;
  else
    return (s.*kMember)[kIndex];
}

// A flag is held as bool and written as -1 or 0.
template <auto kMember, int kIndex>
double Get(const DesignState& s) {
  const auto v = Place<kMember, kIndex>(s);
  if constexpr (std::is_same_v<decltype(v), const bool>) return v ? -1 : 0;
  return static_cast<double>(v);
}

template <auto kMember, int kIndex>
void Set(DesignState& s, double v) {
  auto& slot = Place<kMember, kIndex>(s);
  using T = std::remove_reference_t<decltype(slot)>;
  if constexpr (std::is_same_v<T, bool>)
    slot = v != 0;
  else
    slot = static_cast<T>(v);
}

constexpr FieldKind kWhole = FieldKind::kWhole, kNumber = FieldKind::kNumber,
                    kFlag = FieldKind::kFlag;

// The range defaults to a flag's, -1 to 0.
template <auto kMember, int kIndex = -1>
constexpr RecordField Field(const char* name, FieldKind kind, double low = -1, double high = 0,
                            bool count = false) {
  return {name, kind, low, high, count, Get<kMember, kIndex>, Set<kMember, kIndex>};
}

// Each range is what the design set-up (and the loop's adjustments after
// it) can give. Keeping to these ranges is also what keeps every renderer's
// loops short when a file is drawn again: a polygon that never grows or a
// spiral of a million turns is turned away.
constexpr double kFarthest = 16384;

constexpr RecordField kSpiral[] = {
    Field<&DesignState::FixedRadius>("fixed radius", kNumber, 1, kFarthest),
    Field<&DesignState::RollRadius>("rolling radius", kNumber, 1, kFarthest),
    Field<&DesignState::PenRadius>("pen radius", kNumber, 1, kFarthest),
    Field<&DesignState::SpiralInside>("inner curve", kFlag),
    Field<&DesignState::SpiralOutside>("outer curve", kFlag),
    Field<&DesignState::InnerPenMode>("inner pen mode", kFlag),
    Field<&DesignState::OuterPenMode>("outer pen mode", kFlag),
    Field<&DesignState::UseLines, KaloSpiral>("lines", kFlag),
    // Many revolutions take one off the level the set-up drew (0 to 11).
    Field<&DesignState::SpiralDetail>("detail", kWhole, -1, 11),
};

constexpr RecordField kYarn[] = {
    Field<&DesignState::YarnRadius>("radius", kNumber, 1, kFarthest),
    Field<&DesignState::YarnPoints>("points", kNumber, 3, 30, true),
    Field<&DesignState::UseLines, KaloYarn>("lines", kFlag),
};

constexpr RecordField kStar[] = {
    Field<&DesignState::StarRadius>("radius", kNumber, 1, kFarthest),
    Field<&DesignState::StarPoints>("points", kNumber, 3, 25, true),
    Field<&DesignState::StarRings>("rings", kNumber, 1, 20, true),
    Field<&DesignState::UseLines, KaloStar>("lines", kFlag),
};

constexpr RecordField kGons[] = {
    Field<&DesignState::GonSides>("sides", kNumber, 3, 30, true),
    Field<&DesignState::GonTwist>("twist", kNumber, 0, 359),
    Field<&DesignState::GonGrowth>("growth", kNumber, 10, 100),
    Field<&DesignState::GonStyle>("style", kWhole, 0, 6),
    Field<&DesignState::UseLines, KaloGons>("lines", kFlag),
};

constexpr RecordField kAngle[] = {
    Field<&DesignState::AngleTurn>("turn", kNumber, 15, 359),
    Field<&DesignState::AngleGrowth>("growth", kNumber, 3, 35),
    Field<&DesignState::UseLines, KaloAngle>("lines", kFlag),
};

constexpr RecordField kBoxes[] = {
    Field<&DesignState::BoxTwist>("twist", kNumber, 0, 359),
    Field<&DesignState::BoxCount>("boxes", kNumber, 3, 15, true),
    Field<&DesignState::BoxGrowth>("growth", kNumber, 20, 80),
    Field<&DesignState::BoxFlags, 0>("stroke 0", kFlag),
    Field<&DesignState::BoxFlags, 1>("stroke 1", kFlag),
    Field<&DesignState::BoxFlags, 2>("stroke 2", kFlag),
    Field<&DesignState::BoxFlags, 3>("stroke 3", kFlag),
    Field<&DesignState::BoxFlags, 4>("stroke 4", kFlag),
    Field<&DesignState::BoxFlags, 5>("stroke 5", kFlag),
    Field<&DesignState::BoxFlags, 6>("stroke 6", kFlag),
    Field<&DesignState::BoxFlags, 7>("stroke 7", kFlag),
    Field<&DesignState::BoxFlags, 8>("stroke 8", kFlag),
    Field<&DesignState::BoxFlags, 9>("stroke 9", kFlag),
    Field<&DesignState::BoxFlags, 10>("stroke 10", kFlag),
    Field<&DesignState::BoxFlags, 11>("stroke 11", kFlag),
    Field<&DesignState::BoxFlags, 12>("stroke 12", kFlag),
    Field<&DesignState::BoxFlags, 13>("stroke 13", kFlag),
    Field<&DesignState::BoxFlags, 14>("stroke 14", kFlag),
    Field<&DesignState::BoxFlags, 15>("stroke 15", kFlag),
    Field<&DesignState::UseLines, KaloBoxes>("lines", kFlag),
};

// Indexed by design type.
constexpr std::span<const RecordField> kTypeFields[kDesignTypeCount] = {
    kSpiral, kYarn, kStar, kGons, kAngle, kBoxes,
};

}  // namespace

std::span<const RecordField> DesignRecordFields(int type) {
  if (type < 0 || type >= kDesignTypeCount) return {};
  return kTypeFields[type];
}

std::string RecordFieldText(const RecordField& field, const DesignState& s) {
  const double v = field.get(s);
  return field.kind == FieldKind::kNumber ? StrSingle(static_cast<Single>(v))
                                          : StrInt(static_cast<int64_t>(v));
}

}  // namespace kalo
