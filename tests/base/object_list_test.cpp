// Object lists: growth, ownership, neighbours, sorted insertion with each
// duplicates rule, and streaming through the class registry.

#include "base/object_list.h"

#include "support/memory_stream.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace tarvik {
namespace {

// An item that counts how many of its kind are alive.
class TCounted : public TObject {
 public:
  explicit TCounted(int key = 0) : key(key) { ++alive; }
  ~TCounted() override { --alive; }
  int key;
  static int alive;
};
int TCounted::alive = 0;

class TCountedList : public TSortedObjectList {
 public:
  using TSortedObjectList::TSortedObjectList;
  int Compare(const TObject* a, const TObject* b) const override {
    return static_cast<const TCounted*>(a)->key - static_cast<const TCounted*>(b)->key;
  }
};

std::vector<int> Keys(const TObjectList& list) {
  std::vector<int> keys;
  for (int i = 0; i < list.Count(); ++i) keys.push_back(list.ItemAs<TCounted>(i)->key);
  return keys;
}

std::string MessageOf(const std::function<void()>& action) {
  try {
    action();
  } catch (const Exception& e) {
    return e.what();
  }
  return "<no exception>";
}

TEST(ObjectList, GrowsInSteps) {
  TObjectList list;
  std::vector<int> capacities;
  for (int i = 0; i < 70; ++i) {
    list.Add(new TCounted(i));
    if (capacities.empty() || capacities.back() != list.Capacity()) capacities.push_back(list.Capacity());
  }
  EXPECT_EQ(capacities, (std::vector<int>{4, 8, 16, 32, 48, 64, 80}));
  TObjectList fromFive;
  fromFive.SetCapacity(5);
  for (int i = 0; i < 6; ++i) fromFive.Add(nullptr);
  EXPECT_EQ(fromFive.Capacity(), 13);
}

TEST(ObjectList, IndexAndCapacityLimits) {
  TObjectList list;
  list.SetOwnsObjects(false);
  TCounted a(1), b(2);
  EXPECT_EQ(MessageOf([&] { list.Items(0); }), "List index out of bounds (0)");
  EXPECT_EQ(MessageOf([&] { list.First(); }), "List index out of bounds (0)");
  EXPECT_EQ(MessageOf([&] { list.Last(); }), "List index out of bounds (-1)");
  EXPECT_THROW(list.Insert(1, &a), EListError);
  EXPECT_EQ(list.Insert(0, &a), 0);
  EXPECT_EQ(list.Insert(0, &b), 0);
  EXPECT_EQ(list.Insert(2, &b), 2);
  EXPECT_EQ(list.IndexOf(&b), 0);
  EXPECT_EQ(list.IndexOf(&a), 1);
  EXPECT_THROW(list.Put(3, &a), EListError);
  list.Put(2, &a);
  EXPECT_EQ(list.Items(2), &a);
  EXPECT_THROW(list.SetCapacity(2), EListError);
  EXPECT_THROW(list.SetCapacity(TObjectList::kMaxListSize), EListError);
  EXPECT_THROW(list.SetCount(-1), EListError);
  EXPECT_THROW(list.SetCount(TObjectList::kMaxListSize), EListError);
  list.SetCount(6);
  EXPECT_EQ(list.Count(), 6);
  EXPECT_EQ(list.Items(5), nullptr);
  EXPECT_GE(list.Capacity(), 6);
  list.SetCount(1);
  list.SetCount(3);
  EXPECT_EQ(list.Items(2), nullptr) << "slots that come back are empty";
  list.Clear();
  EXPECT_EQ(list.Count(), 0);
  EXPECT_EQ(list.Capacity(), 0);
}

TEST(ObjectList, OwnershipDecidesWhatIsFreed) {
  TCounted::alive = 0;
  {
    TObjectList owning;
    owning.Add(new TCounted);
    owning.Add(new TCounted);
    owning.FreeItem(new TCounted);
    EXPECT_EQ(TCounted::alive, 2);
  }
  EXPECT_EQ(TCounted::alive, 0);
  std::vector<std::unique_ptr<TCounted>> keep;
  {
    TObjectList borrowing;
    borrowing.SetOwnsObjects(false);
    for (int i = 0; i < 3; ++i) {
      keep.push_back(std::make_unique<TCounted>());
      borrowing.Add(keep.back().get());
    }
    borrowing.FreeItem(keep[0].get());
  }
  EXPECT_EQ(TCounted::alive, 3);
  {
    TObjectList owning;
    auto* item = new TCounted;
    owning.Add(item);
    owning.Clear();  // clearing never frees
    EXPECT_EQ(TCounted::alive, 4);
    delete item;
  }
  EXPECT_EQ(TCounted::alive, 3);
}

TEST(ObjectList, Neighbours) {
  TObjectList list;
  list.SetOwnsObjects(false);
  TCounted a(1), b(2), c(3), stranger(9);
  EXPECT_THROW(list.Neighbour(nullptr, ndNext), EListError);
  list.Add(&a);
  list.Add(&b);
  list.Add(&c);
  EXPECT_EQ(list.Neighbour(nullptr, ndNext), &a);
  EXPECT_EQ(list.Neighbour(nullptr, ndPrevious), &c);
  EXPECT_EQ(list.Neighbour(&b, ndNext), &c);
  EXPECT_EQ(list.Neighbour(&b, ndPrevious), &a);
  EXPECT_EQ(list.Neighbour(&c, ndNext), nullptr);
  EXPECT_EQ(list.Neighbour(&a, ndPrevious), nullptr);
  EXPECT_EQ(MessageOf([&] { list.Neighbour(&stranger, ndNext); }), "tObject TCounted not in item list");
}

TEST(SortedObjectList, KeepsOrderAndAppliesTheDuplicatesRule) {
  TCounted::alive = 0;
  {
    TCountedList errors(TDuplicates::dupError);
    for (int key : {5, 1, 9, 3}) errors.Add(new TCounted(key));
    EXPECT_EQ(Keys(errors), (std::vector<int>{1, 3, 5, 9}));
    auto duplicate = std::make_unique<TCounted>(3);
    EXPECT_EQ(MessageOf([&] { errors.Add(duplicate.get()); }), "Duplicate Object index");
    EXPECT_EQ(Keys(errors), (std::vector<int>{1, 3, 5, 9}));
    EXPECT_EQ(errors.IndexOf(duplicate.get()), 1) << "IndexOf looks for an equal key";
    EXPECT_EQ(MessageOf([&] { errors.Put(0, duplicate.get()); }), "Cannot <Put> an Object in a sorted list!");

    TCountedList ignoring(TDuplicates::dupIgnore);
    ignoring.Add(new TCounted(2));
    auto dropped = std::make_unique<TCounted>(2);
    EXPECT_EQ(ignoring.Add(dropped.get()), -1) << "a dropped item stays the caller's";
    EXPECT_EQ(ignoring.Count(), 1);

    TCountedList accepting(TDuplicates::dupAccept);
    accepting.SetOwnsObjects(false);
    TCounted first(4), second(4), third(4), low(1), high(7);
    for (TCounted* item : {&first, &high, &second, &low, &third}) accepting.Add(item);
    EXPECT_EQ(Keys(accepting), (std::vector<int>{1, 4, 4, 4, 7}));
    // A new item is placed before the items equal to it.
    EXPECT_EQ(accepting.Items(1), &third);
    EXPECT_EQ(accepting.Items(3), &first);
    EXPECT_EQ(accepting.IndexOf(&first), 1);
  }
  EXPECT_EQ(TCounted::alive, 0);
}

TEST(SortedObjectList, FindReportsThePlaceOfAMissingKey) {
  TCountedList list(TDuplicates::dupError);
  for (int key : {10, 20, 30}) list.Add(new TCounted(key));
  struct {
    int key;
    bool found;
    int index;
  } cases[] = {{5, false, 0}, {10, true, 0}, {15, false, 1}, {30, true, 2}, {35, false, 3}};
  for (const auto& c : cases) {
    TCounted probe(c.key);
    int index = -1;
    EXPECT_EQ(list.Find(&probe, index), c.found) << c.key;
    EXPECT_EQ(index, c.index) << c.key;
  }
  TCounted absent(15);
  EXPECT_EQ(list.IndexOf(&absent), -1);
}

TEST(SortedObjectList, StreamsThroughTheClassRegistry) {
  TCounted::alive = 0;
  TMemoryStream stream;
  {
    TCountedList list(TDuplicates::dupError);
    for (int key : {3, 1, 2}) list.Add(new TCounted(key));
    EXPECT_EQ(MessageOf([&] { list.WriteToStream(stream); }), "Source Class <TCounted> not registered");
    RegisterObjectClass({"TCounted",
                         [](TStream& s) -> TObject* {
                           std::uint8_t key = 0;
                           s.ReadBuffer(&key, 1);
                           return new TCounted(key);
                         },
                         [](TStream& s, const TObject& item) {
                           auto key = static_cast<std::uint8_t>(static_cast<const TCounted&>(item).key);
                           s.WriteBuffer(&key, 1);
                         }});
    stream.SetSize(0);
    stream.SetPosition(0);
    list.WriteToStream(stream);
  }
  // Duplicates, owns, count, then per item: name length, name, data.
  std::vector<std::uint8_t> expected = {2, 1, 3, 0, 0, 0};
  for (int key : {1, 2, 3}) {
    expected.push_back(8);
    for (char c : std::string("TCounted")) expected.push_back(static_cast<std::uint8_t>(c));
    expected.push_back(static_cast<std::uint8_t>(key));
  }
  EXPECT_EQ(stream.Bytes(), expected);
  {
    TCountedList copy(TDuplicates::dupIgnore);
    stream.SetPosition(0);
    copy.ReadFromStream(stream);
    EXPECT_EQ(copy.Duplicates(), TDuplicates::dupError);
    EXPECT_EQ(Keys(copy), (std::vector<int>{1, 2, 3}));
    EXPECT_EQ(TCounted::alive, 3);
  }
  EXPECT_EQ(TCounted::alive, 0);

  // A truncated stream or an unknown class fails without leaking.
  TCountedList broken(TDuplicates::dupError);
  TMemoryStream cut(std::vector<std::uint8_t>(expected.begin(), expected.end() - 3));
  EXPECT_THROW(broken.ReadFromStream(cut), EReadError);
  UnregisterObjectClass("TCounted");
  stream.SetPosition(0);
  EXPECT_EQ(MessageOf([&] { broken.ReadFromStream(stream); }), "Class <TCounted> not registered");
  broken.SetOwnsObjects(true);
  broken.Add(nullptr);
  EXPECT_EQ(MessageOf([&] { broken.WriteToStream(stream); }), "Nil Source Class!");
  TObjectList huge;
  TMemoryStream bogus(std::vector<std::uint8_t>{1, 0xFF, 0xFF, 0xFF, 0x7F});
  EXPECT_THROW(huge.ReadFromStream(bogus), EListError);
}

}  // namespace
}  // namespace tarvik
