#pragma once
// Growable arrays of object references. TObjectList may own its items (frees
// them when it is destroyed); TSortedObjectList keeps them ordered by a
// comparison its descendant supplies.
//
// An item that a list does not take in (a duplicate, or an exception raised
// while adding) stays the caller's: the list never frees an item it did not
// insert.

#include "base/errors.h"
#include "base/persistent.h"
#include "base/stream.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace tarvik {

enum TNeighbourDirection : int { ndPrevious = 0, ndNext = 1 };

class TObjectList : public TPersistent {
 public:
  // Capacity must stay below this; count at most kMaxListSize - 1.
  static constexpr int kMaxListSize = 0x1FFFFFFF;

  TObjectList() = default;
  // Frees every item through FreeItem (so only when owned), then clears.
  ~TObjectList() override;
  TObjectList(const TObjectList&) = delete;
  TObjectList& operator=(const TObjectList&) = delete;

  bool OwnsObjects() const { return ownsObjects_; }
  void SetOwnsObjects(bool owns) { ownsObjects_ = owns; }
  int Count() const { return count_; }
  int Capacity() const { return capacity_; }
  // 0 .. kMaxListSize - 1; new slots are empty. Lowering it drops references
  // without freeing them. Index error outside that range.
  void SetCount(int count);
  // count .. kMaxListSize - 1, else the index error.
  void SetCapacity(int capacity);

  // The item at index; the index error outside 0 .. count - 1.
  TObject* Items(int index) const;
  TObject* operator[](int index) const { return Items(index); }
  template <class T>
  T* ItemAs(int index) const {
    return static_cast<T*>(Items(index));
  }

  // Replaces the item at index without freeing the old one.
  virtual void Put(int index, TObject* item);
  // Frees item when the list owns its items.
  virtual void FreeItem(TObject* item);
  // Appends; returns the index it was stored at (-1 when not taken in).
  virtual int Add(TObject* item);
  // Count and capacity 0; the items themselves are not freed.
  virtual void Clear();
  // First index holding that very reference, or -1.
  virtual int IndexOf(const TObject* item) const;
  // Inserts at index (0 .. count, else the index error), shifting the tail up.
  // Returns the index it was stored at (-1 when not taken in).
  virtual int Insert(int index, TObject* item);
  // Replaces the contents (freeing owned items) with a list read from stream.
  virtual void ReadFromStream(TStream& stream);
  virtual void WriteToStream(TStream& stream) const;
  // Items at 0 and count - 1; the index error when empty.
  virtual TObject* First() const;
  virtual TObject* Last() const;
  // The item after (ndNext) or before (ndPrevious) item, nullptr at either end.
  // Without an item: First for ndNext, Last for ndPrevious. EListError
  // "tObject <class> not in item list" for an item that is not listed.
  virtual TObject* Neighbour(const TObject* item, TNeighbourDirection direction) const;

 protected:
  // Raises EListError "List index out of bounds (index)".
  [[noreturn]] virtual void IndexError(int index) const;
  // Capacity +16 above 8, +8 from 5 to 8, +4 up to 4.
  virtual void Grow();
  // The header part of the stream format (the sorted list puts its Duplicates
  // byte in front).
  virtual void WriteHeader(TStream& stream) const;
  virtual void ReadHeader(TStream& stream);

 private:
  bool ownsObjects_ = true;
  std::vector<TObject*> items_;  // size() is the capacity
  int count_ = 0;
  int capacity_ = 0;
};

enum class TDuplicates : std::uint8_t { dupIgnore = 0, dupAccept = 1, dupError = 2 };

class TSortedObjectList : public TObjectList {
 public:
  explicit TSortedObjectList(TDuplicates duplicates) : duplicates_(duplicates) {}

  TDuplicates Duplicates() const { return duplicates_; }

  // The key an item is sorted by: the item itself.
  virtual const TObject* KeyOf(const TObject* item) const { return item; }
  // Negative when key1 sorts before key2, 0 when equal. key1 is the listed
  // item's key, key2 the one being placed or looked for.
  virtual int Compare(const TObject* key1, const TObject* key2) const = 0;
  // Binary search: whether an equal key is listed, and in index the position
  // (with dupAccept the first of a run of equal keys, else where it was found or
  // where it would be inserted).
  virtual bool Find(const TObject* key, int& index) const;

  // Same as Insert.
  int Add(TObject* item) override;
  // Places item by its key (index is ignored). With an equal key listed:
  // dupIgnore returns -1 and leaves item to the caller, dupError raises EListError
  // "Duplicate Object index" (list unchanged, item the caller's), dupAccept
  // inserts it before the equal ones.
  int Insert(int index, TObject* item) override;
  // Position of an item with an equal key, or -1.
  int IndexOf(const TObject* item) const override;
  // Raises EListError "Cannot <Put> an Object in a sorted list!".
  void Put(int index, TObject* item) override;

 protected:
  void WriteHeader(TStream& stream) const override;
  void ReadHeader(TStream& stream) override;

 private:
  TDuplicates duplicates_;
};

// The process-wide registry of classes that list streaming can write and read.
// A reader creates a new object and fills it from the stream; a writer writes
// an object's data.
using TObjectReader = std::function<TObject*(TStream&)>;
using TObjectWriter = std::function<void(TStream&, const TObject&)>;

struct tRegisterRec {
  std::string className;
  TObjectReader reader;
  TObjectWriter writer;
};

// Adds or replaces the entry for rec.className (kept sorted by name).
void RegisterObjectClass(tRegisterRec rec);
// Removes the entry; nothing when it is absent.
void UnregisterObjectClass(const std::string& className);

}  // namespace tarvik
