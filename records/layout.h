// Record layouts: the items of one read or write statement, and the walk
// that applies them to a record.
//
// A layout is a constant array of items such as
//   constexpr LayoutItem kRow[] = {Int(4), Repeat(12, Dec(6, 1))};
// A statement pairs its list items, in order, with the layout's data items
// (Int, Dec, Text); the items between them (Skip, Lit, EndRecord, NoAdvance)
// are applied on the way.
#ifndef TSF_RECORDS_LAYOUT_H_
#define TSF_RECORDS_LAYOUT_H_

#include <cstdint>
#include <initializer_list>
#include <span>
#include <string>
#include <string_view>

#include "records/record_unit.h"
#include "records/status.h"

namespace tsf {

enum class ItemKind : std::uint8_t {
  kInt,        // Int(w)
  kDec,        // Dec(w,d)
  kText,       // Text(w)
  kTextWhole,  // Text: as wide as its list item
  kSkip,       // Skip(n)
  kLit,        // Lit("...")
  kEndRecord,  // EndRecord
  kNoAdvance,  // NoAdvance
};

struct LayoutItem {
  ItemKind kind;
  int count = 1;  // the repeat count
  int w = 0;      // field width, or the characters that Skip moves over
  int d = 0;      // digits after the decimal point
  std::string_view literal = {};

  constexpr bool is_data() const { return kind <= ItemKind::kTextWhole; }
};

constexpr LayoutItem Int(int w) { return {ItemKind::kInt, 1, w}; }
constexpr LayoutItem Dec(int w, int d) { return {ItemKind::kDec, 1, w, d}; }
constexpr LayoutItem Text(int w) { return {ItemKind::kText, 1, w}; }
constexpr LayoutItem Text() { return {ItemKind::kTextWhole}; }
constexpr LayoutItem Skip(int n) { return {ItemKind::kSkip, 1, n}; }
constexpr LayoutItem Lit(std::string_view literal) { return {ItemKind::kLit, 1, 0, 0, literal}; }
inline constexpr LayoutItem EndRecord{ItemKind::kEndRecord};
inline constexpr LayoutItem NoAdvance{ItemKind::kNoAdvance};
constexpr LayoutItem Repeat(int count, LayoutItem item) {
  item.count = count;
  return item;
}

using RecordLayout = std::span<const LayoutItem>;

// A list item of a write: a 4-byte integer, a 4-byte real or a text.
struct OutItem {
  OutItem(std::int32_t value) : integer(value) {}   // NOLINT: list items convert
  OutItem(float value) : real(value) {}             // NOLINT
  OutItem(std::string_view value) : text(value) {}  // NOLINT
  std::int32_t integer = 0;
  float real = 0;
  std::string_view text = {};
};

// A list item of a read: where a field's value goes.
struct InItem {
  InItem(std::int32_t& target) : integer(&target) {}  // NOLINT: list items convert
  InItem(float& target) : real(&target) {}            // NOLINT
  InItem(std::span<char> target) : text(target) {}    // NOLINT
  std::int32_t* integer = nullptr;
  float* real = nullptr;
  std::span<char> text = {};
};

// Which outcomes of a read its caller takes; the others stop the run.
struct Routes {
  bool end = false;
  bool error = false;
};

// Builds the statement's records and hands each to the unit.
Status WriteLayout(RecordUnit& unit, RecordLayout layout, std::span<const OutItem> items);
inline Status WriteLayout(RecordUnit& unit, RecordLayout layout,
                          std::initializer_list<OutItem> items = {}) {
  return WriteLayout(unit, layout, std::span<const OutItem>(items.begin(), items.size()));
}

// Takes one record from the unit and stores its fields. `*io` receives the
// outcome when it is one that `routes` takes; an unrouted end or error is a
// failure of the statement.
Status ReadLayout(RecordUnit& unit, RecordLayout layout, std::span<const InItem> items,
                  Routes routes, IoStatus* io);
inline Status ReadLayout(RecordUnit& unit, RecordLayout layout, std::initializer_list<InItem> items,
                         Routes routes = {}, IoStatus* io = nullptr) {
  return ReadLayout(unit, layout, std::span<const InItem>(items.begin(), items.size()), routes, io);
}

// Applies the layout to `record` as the source of a read: kError when a
// numeric field is rejected, kOk otherwise.
IoStatus ReadLayout(std::string_view record, RecordLayout layout, std::span<const InItem> items);
inline IoStatus ReadLayout(std::string_view record, RecordLayout layout,
                           std::initializer_list<InItem> items) {
  return ReadLayout(record, layout, std::span<const InItem>(items.begin(), items.size()));
}

// Assigns a text to a fixed-length text: cut, or padded with blanks.
void AssignText(std::span<char> target, std::string_view text);
// The first text followed by the second.
std::string JoinText(std::string_view first, std::string_view second);

}  // namespace tsf

#endif  // TSF_RECORDS_LAYOUT_H_
