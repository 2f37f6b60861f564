#include "base/object_list.h"

#include <algorithm>
#include <memory>
#include <mutex>
#include <optional>

namespace tarvik {

namespace {

// Longest class name the stream format carries.
constexpr std::size_t kMaxStreamedName = 63;

struct TRegistry {
  std::mutex mutex;
  std::vector<tRegisterRec> records;  // sorted by className
};

TRegistry& Registry() {
  static TRegistry registry;
  return registry;
}

std::vector<tRegisterRec>::iterator LowerBound(std::vector<tRegisterRec>& records, const std::string& name) {
  return std::lower_bound(records.begin(), records.end(), name,
                          [](const tRegisterRec& rec, const std::string& key) { return rec.className < key; });
}

std::optional<tRegisterRec> FindRecord(const std::string& name) {
  TRegistry& registry = Registry();
  std::lock_guard lock(registry.mutex);
  auto it = LowerBound(registry.records, name);
  if (it == registry.records.end() || it->className != name) return std::nullopt;
  return *it;
}

std::uint8_t ReadByte(TStream& stream) {
  std::uint8_t b;
  stream.ReadBuffer(&b, 1);
  return b;
}

void WriteByte(TStream& stream, std::uint8_t b) { stream.WriteBuffer(&b, 1); }

}  // namespace

void RegisterObjectClass(tRegisterRec rec) {
  TRegistry& registry = Registry();
  std::lock_guard lock(registry.mutex);
  auto it = LowerBound(registry.records, rec.className);
  if (it != registry.records.end() && it->className == rec.className) {
    *it = std::move(rec);
  } else {
    registry.records.insert(it, std::move(rec));
  }
}

void UnregisterObjectClass(const std::string& className) {
  TRegistry& registry = Registry();
  std::lock_guard lock(registry.mutex);
  auto it = LowerBound(registry.records, className);
  if (it != registry.records.end() && it->className == className) registry.records.erase(it);
}

// ---- TObjectList ----

TObjectList::~TObjectList() {
  for (int i = 0; i < count_; ++i) FreeItem(items_[i]);
  Clear();
}

void TObjectList::IndexError(int index) const { throw EListError(FormatWithInt(msg::kListIndexError, index)); }

void TObjectList::Grow() {
  int delta = capacity_ > 8 ? 16 : (capacity_ > 4 ? 8 : 4);
  // Past the limit SetCapacity raises the index error.
  SetCapacity(capacity_ >= kMaxListSize - delta ? kMaxListSize : capacity_ + delta);
}

void TObjectList::SetCapacity(int capacity) {
  if (capacity < count_ || capacity >= kMaxListSize) IndexError(capacity);
  if (capacity == capacity_) return;
  items_.resize(static_cast<std::size_t>(capacity), nullptr);
  capacity_ = capacity;
}

void TObjectList::SetCount(int count) {
  if (count < 0 || count >= kMaxListSize) IndexError(count);
  if (count > capacity_) SetCapacity(count);
  // Slots between the old and the new count become empty references.
  if (count > count_) std::fill(items_.begin() + count_, items_.begin() + count, nullptr);
  count_ = count;
}

TObject* TObjectList::Items(int index) const {
  if (index < 0 || index >= count_) IndexError(index);
  return items_[static_cast<std::size_t>(index)];
}

void TObjectList::Put(int index, TObject* item) {
  if (index < 0 || index >= count_) IndexError(index);
  items_[static_cast<std::size_t>(index)] = item;
}

void TObjectList::FreeItem(TObject* item) {
  if (ownsObjects_) delete item;
}

int TObjectList::Add(TObject* item) {
  if (count_ == capacity_) Grow();
  items_[static_cast<std::size_t>(count_)] = item;
  return count_++;
}

void TObjectList::Clear() {
  items_.clear();
  items_.shrink_to_fit();
  count_ = 0;
  capacity_ = 0;
}

int TObjectList::IndexOf(const TObject* item) const {
  for (int i = 0; i < count_; ++i) {
    if (items_[static_cast<std::size_t>(i)] == item) return i;
  }
  return -1;
}

int TObjectList::Insert(int index, TObject* item) {
  if (index < 0 || index > count_) IndexError(index);
  if (count_ == capacity_) Grow();
  auto at = items_.begin() + index;
  std::move_backward(at, items_.begin() + count_, items_.begin() + count_ + 1);
  *at = item;
  ++count_;
  return index;
}

TObject* TObjectList::First() const { return Items(0); }

TObject* TObjectList::Last() const { return Items(count_ - 1); }

TObject* TObjectList::Neighbour(const TObject* item, TNeighbourDirection direction) const {
  if (item == nullptr) return direction == ndNext ? First() : Last();
  int index = IndexOf(item);
  if (index < 0) throw EListError(FormatWithText(msg::kNotInItemList, item->ClassName()));
  int other = direction == ndNext ? index + 1 : index - 1;
  return other >= 0 && other < count_ ? items_[static_cast<std::size_t>(other)] : nullptr;
}

void TObjectList::WriteHeader(TStream& stream) const { WriteByte(stream, ownsObjects_ ? 1 : 0); }

void TObjectList::ReadHeader(TStream& stream) { ownsObjects_ = ReadByte(stream) != 0; }

void TObjectList::WriteToStream(TStream& stream) const {
  WriteHeader(stream);
  auto count = static_cast<std::uint32_t>(count_);
  std::uint8_t countBytes[4] = {static_cast<std::uint8_t>(count), static_cast<std::uint8_t>(count >> 8),
                                static_cast<std::uint8_t>(count >> 16), static_cast<std::uint8_t>(count >> 24)};
  stream.WriteBuffer(countBytes, 4);
  for (int i = 0; i < count_; ++i) {
    const TObject* item = items_[static_cast<std::size_t>(i)];
    if (item == nullptr) throw EClassNotFound(msg::kNilSourceClass);
    std::string name = item->ClassName();
    std::optional<tRegisterRec> rec = FindRecord(name);
    if (!rec || !rec->writer) throw EClassNotFound(FormatWithText(msg::kSourceClassNotRegistered, name));
    std::size_t length = std::min(name.size(), kMaxStreamedName);
    WriteByte(stream, static_cast<std::uint8_t>(length));
    stream.WriteBuffer(name.data(), length);
    rec->writer(stream, *item);
  }
}

void TObjectList::ReadFromStream(TStream& stream) {
  for (int i = 0; i < count_; ++i) FreeItem(items_[static_cast<std::size_t>(i)]);
  Clear();
  ReadHeader(stream);
  std::uint8_t countBytes[4];
  stream.ReadBuffer(countBytes, 4);
  auto count = static_cast<std::int32_t>(countBytes[0] | countBytes[1] << 8 | countBytes[2] << 16 |
                                         static_cast<std::uint32_t>(countBytes[3]) << 24);
  if (count < 0 || count >= kMaxListSize) IndexError(count);
  // Items are added one by one: a count the data cannot back ends in a read
  // error, not in a huge allocation.
  for (std::int32_t i = 0; i < count; ++i) {
    std::string name(ReadByte(stream), '\0');
    stream.ReadBuffer(name.data(), name.size());
    std::optional<tRegisterRec> rec = FindRecord(name);
    if (!rec || !rec->reader) throw EClassNotFound(FormatWithText(msg::kClassNotRegistered, name));
    std::unique_ptr<TObject> item(rec->reader(stream));
    if (!item) throw EClassNotFound(FormatWithText(msg::kClassNotRegistered, name));
    // The list owns an added item; a dropped duplicate is freed with item.
    if (Add(item.get()) >= 0) static_cast<void>(item.release());
  }
}

// ---- TSortedObjectList ----

bool TSortedObjectList::Find(const TObject* key, int& index) const {
  int low = 0;
  int high = Count() - 1;
  bool found = false;
  while (low <= high) {
    int middle = static_cast<int>((static_cast<unsigned>(low) + static_cast<unsigned>(high)) >> 1);
    int c = Compare(KeyOf(Items(middle)), key);
    if (c < 0) {
      low = middle + 1;
    } else {
      high = middle - 1;
      if (c == 0) {
        found = true;
        if (duplicates_ != TDuplicates::dupAccept) low = middle;
      }
    }
  }
  index = low;
  return found;
}

int TSortedObjectList::Add(TObject* item) { return Insert(0, item); }

int TSortedObjectList::Insert(int /*index*/, TObject* item) {
  int position = 0;
  if (Find(KeyOf(item), position)) {
    if (duplicates_ == TDuplicates::dupIgnore) return -1;
    if (duplicates_ == TDuplicates::dupError) throw EListError(msg::kDuplicateObject);
  }
  return TObjectList::Insert(position, item);
}

int TSortedObjectList::IndexOf(const TObject* item) const {
  int position = 0;
  return Find(KeyOf(item), position) ? position : -1;
}

void TSortedObjectList::Put(int /*index*/, TObject* /*item*/) { throw EListError(msg::kPutInSortedList); }

void TSortedObjectList::WriteHeader(TStream& stream) const {
  WriteByte(stream, static_cast<std::uint8_t>(duplicates_));
  TObjectList::WriteHeader(stream);
}

void TSortedObjectList::ReadHeader(TStream& stream) {
  std::uint8_t duplicates = ReadByte(stream);
  if (duplicates > static_cast<std::uint8_t>(TDuplicates::dupError)) throw EReadError(msg::kReadError);
  duplicates_ = static_cast<TDuplicates>(duplicates);
  TObjectList::ReadHeader(stream);
}

}  // namespace tarvik
