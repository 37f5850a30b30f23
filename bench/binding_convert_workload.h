// The shared workload of the conversion benchmarks: a native record holding vectors of records
// that hold vectors, made before any timing starts so that every library converts the same data.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace bench {

enum class Grade : int32_t { kCommon = 0, kRare = 1, kEpic = 2 };

struct Item {
  int32_t id = 0;
  std::string title;
  double price = 0;
  bool active = false;
  Grade grade = Grade::kCommon;
  std::vector<int32_t> tags;
};

struct Shelf {
  uint32_t id = 0;
  std::string name;
  std::vector<Item> items;
};

struct Catalogue {
  uint64_t account = 0;
  std::string owner;
  std::vector<Shelf> shelves;
};

inline constexpr int kShelves = 50;
inline constexpr int kItemsPerShelf = 40;

// 50 shelves of 40 items, each item with three tags: 2,000 records below the root.
inline const Catalogue& SampleCatalogue() {
  static const Catalogue catalogue = [] {
    Catalogue result;
    result.account = 18446744073709551557ULL;
    result.owner = "bench owner";
    for (int s = 0; s < kShelves; ++s) {
      Shelf& shelf = result.shelves.emplace_back();
      shelf.id = static_cast<uint32_t>(s);
      shelf.name = "shelf " + std::to_string(s);
      for (int i = 0; i < kItemsPerShelf; ++i) {
        Item& item = shelf.items.emplace_back();
        item.id = s * kItemsPerShelf + i;
        item.title = "item " + std::to_string(item.id);
        item.price = item.id * 0.25;
        item.active = (i & 1) != 0;
        item.grade = static_cast<Grade>(i % 3);
        item.tags = {i, i + 1, -i};
      }
    }
    return result;
  }();
  return catalogue;
}

}  // namespace bench
