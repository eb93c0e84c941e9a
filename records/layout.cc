#include "records/layout.h"

#include <algorithm>
#include <cstring>

#include "records/numeric_read.h"
#include "records/numeric_write.h"

namespace tsf {

namespace {

// memcpy and memset, for counts that may be 0 with pointers that may be null.
void CopyBytes(char* to, const char* from, std::size_t count) {
  if (count > 0) std::memcpy(to, from, count);
}
void FillBytes(char* to, char c, std::size_t count) {
  if (count > 0) std::memset(to, c, count);
}

// The record that a write statement builds.
class OutRecord {
 public:
  explicit OutRecord(RecordBuffer& space) : space_(space) {}

  std::string_view view() { return {space_.data(), length_}; }
  void Clear() { position_ = length_ = 0; }
  void Skip(int n) { position_ += static_cast<std::size_t>(std::max(n, 0)); }

  // Room for `k` characters at the position; null when no memory is left.
  // Places skipped over since the record's end become blanks.
  char* Place(std::size_t k) {
    if (!space_.Reserve(position_ + k)) return nullptr;
    char* data = space_.data();
    if (position_ > length_) std::memset(data + length_, ' ', position_ - length_);
    char* field = data + position_;
    position_ += k;
    length_ = position_;  // positions only move forward
    return field;
  }

 private:
  RecordBuffer& space_;
  std::size_t position_ = 0;
  std::size_t length_ = 0;
};

// Places one output field; false when no memory is left for it.
bool PlaceField(OutRecord& record, const LayoutItem& item, const OutItem& value) {
  switch (item.kind) {
    case ItemKind::kInt:
    case ItemKind::kDec: {
      const auto w = static_cast<std::size_t>(std::max(item.w, 0));
      char* field = record.Place(w);
      if (field == nullptr) return false;
      if (item.kind == ItemKind::kInt) {
        FormatIntField(value.integer, item.w, field);
      } else {
        FormatDecField(value.real, item.w, item.d, field);
      }
      return true;
    }
    case ItemKind::kText:
    case ItemKind::kTextWhole: {
      const std::string_view text = value.text;
      const std::size_t w = item.kind == ItemKind::kTextWhole
                                ? text.size()
                                : static_cast<std::size_t>(std::max(item.w, 0));
      char* field = record.Place(w);
      if (field == nullptr) return false;
      if (w <= text.size()) {
        CopyBytes(field, text.data(), w);
      } else {
        FillBytes(field, ' ', w - text.size());
        CopyBytes(field + (w - text.size()), text.data(), text.size());
      }
      return true;
    }
    default: return true;
  }
}

// The field of width w at the position; numeric fields end at a comma.
std::string_view TakeField(std::string_view record, std::size_t* position, int w, bool numeric) {
  const std::size_t start = std::min(*position, record.size());
  std::string_view field = record.substr(start, static_cast<std::size_t>(std::max(w, 0)));
  *position = start + field.size();
  if (numeric) {
    if (const std::size_t comma = field.find(','); comma != std::string_view::npos) {
      field = field.substr(0, comma);
      *position = start + comma + 1;
    }
  }
  return field;
}

// Stores one input field; false when a numeric field is rejected.
bool StoreField(std::string_view record, std::size_t* position, const LayoutItem& item,
                const InItem& target) {
  switch (item.kind) {
    case ItemKind::kInt: {
      std::int32_t value = 0;
      if (!ReadIntField(TakeField(record, position, item.w, true), &value)) return false;
      if (target.integer != nullptr) *target.integer = value;
      return true;
    }
    case ItemKind::kDec: {
      float value = 0;
      if (!ReadDecField(TakeField(record, position, item.w, true), item.d, &value)) return false;
      if (target.real != nullptr) *target.real = value;
      return true;
    }
    case ItemKind::kText:
    case ItemKind::kTextWhole: {
      const std::span<char> out = target.text;
      const std::size_t n = out.size();
      const std::size_t w =
          item.kind == ItemKind::kTextWhole ? n : static_cast<std::size_t>(std::max(item.w, 0));
      const std::string_view field = TakeField(record, position, static_cast<int>(w), false);
      // A field wider than its target gives the target the field's rightmost
      // n places, the blanks past the record's end included.
      const std::size_t drop = w > n ? w - n : 0;
      const std::string_view kept = field.size() > drop ? field.substr(drop) : std::string_view();
      AssignText(out, kept);
      return true;
    }
    default: return true;
  }
}

}  // namespace

// The walk: the layout's items in order, each as often as its count says.
// A data item takes the next list item; once the list is used up, the walk
// stops at the next data item. Items between data items apply on the way.

Status WriteLayout(RecordUnit& unit, RecordLayout layout, std::span<const OutItem> items) {
  HaltWatch& halt = unit.halt();
  if (halt.Due()) return Status::Halt();
  OutRecord record(unit.line());
  const auto out_of_memory = [&unit] {
    return Failure::Layer(kBufferAllocationFailed, Statement::kWrite, unit.number());
  };
  bool advance = true;
  std::size_t next = 0;
  for (const LayoutItem& item : layout) {
    for (int copy = 0; copy < item.count; ++copy) {
      switch (item.kind) {
        case ItemKind::kSkip: record.Skip(item.w); break;
        case ItemKind::kLit: {
          char* place = record.Place(item.literal.size());
          if (place == nullptr) return out_of_memory();
          CopyBytes(place, item.literal.data(), item.literal.size());
          break;
        }
        case ItemKind::kEndRecord:
          TSF_RETURN_IF_ERROR(unit.WriteRecord(record.view(), true));
          record.Clear();
          break;
        case ItemKind::kNoAdvance: advance = false; break;
        default:  // a data item
          if (next == items.size()) return unit.WriteRecord(record.view(), advance);
          if (halt.Due()) return Status::Halt();  // the unfinished record is dropped
          if (!PlaceField(record, item, items[next++])) return out_of_memory();
          break;
      }
    }
  }
  return unit.WriteRecord(record.view(), advance);
}

IoStatus ReadLayout(std::string_view record, RecordLayout layout, std::span<const InItem> items) {
  std::size_t position = 0;
  std::size_t next = 0;
  for (const LayoutItem& item : layout) {
    for (int copy = 0; copy < item.count; ++copy) {
      if (item.kind == ItemKind::kSkip) {
        position =
            std::min(position + static_cast<std::size_t>(std::max(item.w, 0)), record.size());
      } else if (item.is_data()) {
        if (next == items.size()) return IoStatus::kOk;
        if (!StoreField(record, &position, item, items[next++])) return IoStatus::kError;
      }
    }
  }
  return IoStatus::kOk;
}

Status ReadLayout(RecordUnit& unit, RecordLayout layout, std::span<const InItem> items,
                  Routes routes, IoStatus* io) {
  if (unit.halt().Due()) return Status::Halt();
  std::string_view record;
  bool end = false;
  Status read = unit.ReadRecord(&record, &end);
  if (read.halted()) return read;
  if (read.failed()) {
    if (!routes.error) return read;
    *io = IoStatus::kError;
    return {};
  }
  if (end) {
    if (!routes.end) return Failure::Layer(kReadPastEnd, Statement::kRead, unit.number());
    *io = IoStatus::kEnd;
    return {};
  }
  if (ReadLayout(record, layout, items) == IoStatus::kError) {
    if (!routes.error) return Failure::Layer(kIllegalCharacter, Statement::kRead, unit.number());
    *io = IoStatus::kError;
    return {};
  }
  if (io != nullptr) *io = IoStatus::kOk;
  return {};
}

void AssignText(std::span<char> target, std::string_view text) {
  const std::size_t copied = std::min(target.size(), text.size());
  CopyBytes(target.data(), text.data(), copied);
  FillBytes(target.data() + copied, ' ', target.size() - copied);
}

std::string JoinText(std::string_view first, std::string_view second) {
  std::string joined(first);
  joined += second;
  return joined;
}

}  // namespace tsf
