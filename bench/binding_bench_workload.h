// The shared workload of the value benchmarks: member names and small values, made before any
// timing starts so that every library gets the same input.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace bench {

inline constexpr int kStructureMembers = 10000;
inline constexpr int kCollectionElements = 100000;

// "member0" ... "member9999" in a scrambled order (documents rarely list keys sorted).
inline const std::vector<std::string>& MemberNames() {
  static const std::vector<std::string> names = [] {
    std::vector<std::string> result;
    for (int i = 0; i < kStructureMembers; ++i) {
      result.push_back("member" + std::to_string((i * 7919) % kStructureMembers));
    }
    return result;
  }();
  return names;
}

// The short texts that the mixed collection repeats, as JSON documents do ("id", "ok", ...).
inline const std::vector<std::string>& ShortTexts() {
  static const std::vector<std::string> texts = {"alpha", "beta",  "gamma", "delta",
                                                 "north", "south", "east",  "west"};
  return texts;
}

// Element i of the mixed collection: 0 signed, 1 double, 2 bool, 3 short text.
inline int MixedKind(int i) {
  return i % 4;
}

}  // namespace bench
