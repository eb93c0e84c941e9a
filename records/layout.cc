#include "records/layout.h"

#include <algorithm>
#include <cstring>

#include "records/numeric_read.h"
#include "records/numeric_write.h"

namespace tsf {

namespace {

// The next item of a layout, with the copies still due of a repeated item.
class Cursor {
 public:
  explicit Cursor(RecordLayout layout) : layout_(layout) { Settle(); }

  const LayoutItem* item() const { return index_ < layout_.size() ? &layout_[index_] : nullptr; }
  bool at_data() const { return item() != nullptr && item()->is_data(); }
  void Next() {
    if (--copies_ == 0) {
      ++index_;
      Settle();
    }
  }

 private:
  void Settle() {
    // An item repeated zero times is no item at all.
    while (index_ < layout_.size() && layout_[index_].count <= 0) ++index_;
    copies_ = index_ < layout_.size() ? layout_[index_].count : 0;
  }

  RecordLayout layout_;
  std::size_t index_ = 0;
  int copies_ = 0;
};

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

Status WriteLayout(RecordUnit& unit, RecordLayout layout, std::span<const OutItem> items) {
  HaltWatch& halt = unit.halt();
  if (halt.Due()) return Status::Halt();
  OutRecord record(unit.line());
  Cursor cursor(layout);
  bool advance = true;
  auto apply_controls = [&]() -> Status {
    for (const LayoutItem* item = cursor.item(); item != nullptr && !item->is_data();
         cursor.Next(), item = cursor.item()) {
      switch (item->kind) {
        case ItemKind::kSkip: record.Skip(item->w); break;
        case ItemKind::kLit: {
          char* place = record.Place(item->literal.size());
          if (place == nullptr) {
            return Failure::Layer(kBufferAllocationFailed, Statement::kWrite, unit.number());
          }
          CopyBytes(place, item->literal.data(), item->literal.size());
          break;
        }
        case ItemKind::kEndRecord:
          TSF_RETURN_IF_ERROR(unit.WriteRecord(record.view(), true));
          record.Clear();
          break;
        case ItemKind::kNoAdvance: advance = false; break;
        default: break;
      }
    }
    return {};
  };
  for (const OutItem& value : items) {
    if (halt.Due()) return Status::Halt();  // the unfinished record is dropped
    TSF_RETURN_IF_ERROR(apply_controls());
    if (!cursor.at_data()) break;  // more list items than data items
    if (!PlaceField(record, *cursor.item(), value)) {
      return Failure::Layer(kBufferAllocationFailed, Statement::kWrite, unit.number());
    }
    cursor.Next();
  }
  TSF_RETURN_IF_ERROR(apply_controls());
  return unit.WriteRecord(record.view(), advance);
}

IoStatus ReadLayout(std::string_view record, RecordLayout layout, std::span<const InItem> items) {
  Cursor cursor(layout);
  std::size_t position = 0;
  for (const InItem& target : items) {
    for (; cursor.item() != nullptr && !cursor.at_data(); cursor.Next()) {
      if (cursor.item()->kind == ItemKind::kSkip) {
        position = std::min(position + static_cast<std::size_t>(std::max(cursor.item()->w, 0)),
                            record.size());
      }
    }
    if (!cursor.at_data()) break;
    if (!StoreField(record, &position, *cursor.item(), target)) return IoStatus::kError;
    cursor.Next();
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
