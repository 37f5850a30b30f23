// BindingProperty: kinds, trees and their pools, copying and moving, the walk, deep trees.
#include "sdk/binding/binding_property.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <limits>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "sdk/binding/page_source.h"

namespace Vorn {
namespace {

using Type = BindingProperty::Type;

const StaticTypeIdentity kColour(0x1234ABCDu);

// The walk as text, e.g. "{a:[1,2]}".
class Recorder final : public BindingPropertyVisitor {
 public:
  std::string text;
  bool VisitEmpty() override { return Add("_"); }
  bool VisitBool(bool value) override { return Add(value ? "T" : "F"); }
  bool VisitSigned(int64_t value) override { return Add(std::to_string(value)); }
  bool VisitUnsigned(uint64_t value) override { return Add(std::to_string(value) + "u"); }
  bool VisitFloat(double value) override { return Add(std::to_string(value)); }
  bool VisitString(std::string_view value) override { return Add("'" + std::string(value) + "'"); }
  bool VisitBlob(const BindingBlob& bytes) override {
    return Add("b" + std::to_string(bytes.size()));
  }
  bool VisitEnum(const BindingEnumCell& cell) override {
    return Add("e" + std::to_string(cell.value) + std::string(cell.identity->name));
  }
  bool BeginCollection(uint32_t count) override { return Add("[" + std::to_string(count) + ":"); }
  bool BeginElement(uint32_t index) override { return Add(index == 0 ? "" : ","); }
  bool EndElement(uint32_t) override { return true; }
  bool EndCollection() override { return Add("]"); }
  bool BeginStructure(uint32_t count) override { return Add("{" + std::to_string(count) + ":"); }
  bool BeginMember(std::string_view name) override { return Add(std::string(name) + "="); }
  bool EndMember(std::string_view) override { return Add(";"); }
  bool EndStructure() override { return Add("}"); }

 private:
  bool Add(const std::string& piece) {
    text += piece;
    return true;
  }
};

std::string Walk(const BindingProperty& value) {
  Recorder recorder;
  value.Accept(recorder);
  return recorder.text;
}

BindingProperty Sample() {
  BindingProperty value;
  value.MemberAt("list").Append().SetSigned(1);
  value.MemberAt("list").Append().SetString("two");
  value.MemberAt("flag").SetBool(true);
  value.MemberAt("blob").SetBlob(BindingBlob{1, 2, 3});
  value.MemberAt("colour").SetEnum(2, &kColour);
  return value;
}

TEST(BindingPropertyTest, TypeNames) {
  constexpr const char* kNames[] = {"empty",  "bool", "signed", "unsigned",   "float",
                                    "string", "blob", "enum",   "collection", "structure"};
  for (uint32_t i = 0; i < 10; ++i)
    EXPECT_STREQ(BindingProperty::TypeName(i), kNames[i]);
  EXPECT_STREQ(BindingProperty::TypeName(10), "");
  EXPECT_STREQ(BindingProperty::TypeName(255), "");
  EXPECT_STREQ(BindingProperty::TypeName(Type::Structure), "structure");
}

TEST(BindingPropertyTest, LayoutMatchesTheHostAbi) {
  static_assert(alignof(BindingProperty) == 8);
#if UINTPTR_MAX == 0xFFFFFFFFu
  EXPECT_EQ(sizeof(BindingProperty), 16u);
#else
  EXPECT_EQ(sizeof(BindingProperty), 24u);
#endif
}

TEST(BindingPropertyTest, ANewValueIsAnEmptyRootWithoutPool) {
  BindingProperty value;
  EXPECT_EQ(value.GetType(), Type::Empty);
  EXPECT_TRUE(value.IsOwner());
  EXPECT_EQ(value.Pool(), nullptr);
  EXPECT_EQ(value.Size(), 0u);
  EXPECT_TRUE(value.IsEmpty());
}

TEST(BindingPropertyTest, EmptyAndNullStringsCreateNoPool) {
  const std::vector<std::function<void(BindingProperty&)>> setters = {
      [](BindingProperty& v) { v.SetString(""); },
      [](BindingProperty& v) { v.SetString(static_cast<const char*>(nullptr)); },
      [](BindingProperty& v) { v.SetString(std::string()); },
      [](BindingProperty& v) { v.SetString("abc", 0); },
  };
  for (size_t i = 0; i < setters.size(); ++i) {
    SCOPED_TRACE(i);
    BindingProperty value;
    setters[i](value);
    EXPECT_EQ(value.GetType(), Type::String);
    EXPECT_EQ(value.Size(), 0u);
    EXPECT_STREQ(value.GetString("default"), "");
    EXPECT_EQ(value.Pool(), nullptr);
  }
}

TEST(BindingPropertyTest, GettersReturnTheDefaultForAnotherKind) {
  BindingProperty value;
  value.SetSigned(-7);
  EXPECT_EQ(value.GetSigned(1), -7);
  EXPECT_EQ(value.GetUnsigned(5), 5u) << "no conversion between kinds";
  EXPECT_EQ(value.GetFloat(2.5), 2.5);
  EXPECT_TRUE(value.GetBool(true));
  EXPECT_STREQ(value.GetString("d"), "d");
  EXPECT_TRUE(value.GetBlob().empty());
  const BindingEnumCell fallback{9, nullptr};
  EXPECT_EQ(value.GetEnum(fallback).value, 9);

  value.SetSigned(int32_t{-1});
  EXPECT_EQ(value.GetSigned(), -1) << "32-bit values are sign-extended";
  value.SetUnsigned(uint32_t{0xFFFFFFFFu});
  EXPECT_EQ(value.GetUnsigned(), 0xFFFFFFFFu) << "and zero-extended";
  value.SetSigned(-3LL);
  EXPECT_EQ(value.GetSigned(), -3);
  value.SetUnsigned(std::numeric_limits<uint64_t>::max());
  EXPECT_EQ(value.GetUnsigned(), std::numeric_limits<uint64_t>::max());
  value.SetString(std::string("a\0b", 3));
  EXPECT_EQ(value.GetStringView(), std::string_view("a\0b", 3));
  EXPECT_EQ(value.Size(), 3u);
}

TEST(BindingPropertyTest, SizeAndIsEmptyByKind) {
  struct Row {
    const char* label;
    std::function<void(BindingProperty&)> set;
    uint32_t size;
    bool empty;
  };
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const std::vector<Row> rows = {
      {"empty", [](BindingProperty&) {}, 0, true},
      {"false", [](BindingProperty& v) { v.SetBool(false); }, 1, true},
      {"true", [](BindingProperty& v) { v.SetBool(true); }, 1, false},
      {"signed 0", [](BindingProperty& v) { v.SetSigned(0); }, 1, true},
      {"signed -1", [](BindingProperty& v) { v.SetSigned(-1); }, 1, false},
      {"unsigned 0", [](BindingProperty& v) { v.SetUnsigned(0u); }, 1, true},
      {"float 0", [](BindingProperty& v) { v.SetFloat(0.0); }, 1, true},
      {"float -0", [](BindingProperty& v) { v.SetFloat(-0.0); }, 1, true},
      {"float NaN", [nan](BindingProperty& v) { v.SetFloat(nan); }, 1, false},
      {"float 0.5", [](BindingProperty& v) { v.SetFloat(0.5); }, 1, false},
      {"string", [](BindingProperty& v) { v.SetString("four"); }, 4, false},
      {"blob empty", [](BindingProperty& v) { v.SetBlob(BindingBlob{}); }, 0, true},
      {"blob",
       [](BindingProperty& v) {
         v.SetBlob(BindingBlob{1, 2});
       },
       2, false},
      {"enum 0", [](BindingProperty& v) { v.SetEnum(0, &kColour); }, 1, true},
      {"enum 3", [](BindingProperty& v) { v.SetEnum(3, &kColour); }, 1, false},
      {"collection empty", [](BindingProperty& v) { v.MakeCollection(); }, 0, true},
      {"collection", [](BindingProperty& v) { v.ElementAt(2); }, 3, false},
      {"structure empty", [](BindingProperty& v) { v.MakeStructure(); }, 0, true},
      {"structure", [](BindingProperty& v) { v.MemberAt("a"); }, 1, false},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.label);
    BindingProperty value;
    row.set(value);
    EXPECT_EQ(value.Size(), row.size);
    EXPECT_EQ(value.IsEmpty(), row.empty);
  }
}

TEST(BindingPropertyTest, MembersIterateInUnsignedByteOrder) {
  struct Row {
    std::vector<std::string> inserted;
    std::vector<std::string> expected;
  };
  const std::vector<Row> rows = {
      {{"b", "a", "B"}, {"B", "a", "b"}},
      {{"ab", "a", "abc", ""}, {"", "a", "ab", "abc"}},
      {{"\xC3\xA9", "z", "Z"}, {"Z", "z", "\xC3\xA9"}},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.inserted.front());
    BindingProperty value;
    for (const std::string& name : row.inserted)
      value.MemberAt(name).SetString(name);
    std::vector<std::string> names;
    for (const auto& [name, member] : std::as_const(value).Members()) {
      names.emplace_back(name);
      EXPECT_EQ(member.GetStringView(), name);
    }
    EXPECT_EQ(names, row.expected);
  }
}

TEST(BindingPropertyTest, MemberAtReadsOrInserts) {
  BindingProperty value;
  EXPECT_EQ(&std::as_const(value).MemberAt("x"), &BindingProperty::Empty());
  EXPECT_EQ(value.GetType(), Type::Empty) << "reading creates nothing";
  BindingProperty& x = value.MemberAt("x");
  EXPECT_FALSE(x.IsOwner());
  EXPECT_EQ(x.Pool(), value.Pool());
  x.SetSigned(1);
  EXPECT_EQ(&value.MemberAt(std::string("x")), &x) << "the same member again";
  EXPECT_EQ(&value.MemberAt("xy", 1), &x);
  EXPECT_EQ(std::as_const(value).MemberAt("x").GetSigned(), 1);
  EXPECT_EQ(&std::as_const(value).MemberAt("y"), &BindingProperty::Empty());
  EXPECT_EQ(value.Size(), 1u);
  EXPECT_TRUE(BindingProperty().Members().empty());
}

TEST(BindingPropertyTest, ElementAtReadsOrGrows) {
  BindingProperty value;
  EXPECT_EQ(&std::as_const(value).ElementAt(5), &BindingProperty::Empty());
  EXPECT_EQ(value.GetType(), Type::Empty);
  EXPECT_EQ(value.Pool(), nullptr);

  value.ElementAt(5).SetSigned(5);
  EXPECT_EQ(value.GetType(), Type::Collection);
  ASSERT_EQ(value.Size(), 6u);
  for (size_t i = 0; i < 5; ++i)
    EXPECT_EQ(value.ElementAt(i).GetType(), Type::Empty);
  EXPECT_EQ(std::as_const(value).ElementAt(5).GetSigned(), 5);
  EXPECT_EQ(&std::as_const(value).ElementAt(6), &BindingProperty::Empty());
  EXPECT_EQ(value.Elements().size(), 6u);
}

TEST(BindingPropertyTest, AppendTurnsAnyKindIntoAOneElementCollection) {
  const std::vector<std::function<void(BindingProperty&)>> setters = {
      [](BindingProperty&) {},
      [](BindingProperty& v) { v.SetBool(true); },
      [](BindingProperty& v) { v.SetFloat(1.5); },
      [](BindingProperty& v) { v.SetString("text"); },
      [](BindingProperty& v) { v.MemberAt("a").SetSigned(1); },
  };
  for (size_t i = 0; i < setters.size(); ++i) {
    SCOPED_TRACE(i);
    BindingProperty value;
    setters[i](value);
    value.Append().SetSigned(7);
    EXPECT_EQ(Walk(value), "[1:7]");
  }
}

TEST(BindingPropertyTest, MakeContainerKeepsContentOfTheSameKind) {
  BindingProperty value;
  value.Append().SetSigned(1);
  value.MakeCollection();
  EXPECT_EQ(value.Size(), 1u);
  value.MakeStructure();
  EXPECT_EQ(Walk(value), "{0:}");
  value.MemberAt("a");
  value.MakeStructure();
  EXPECT_EQ(value.Size(), 1u);
}

TEST(BindingPropertyTest, ReserveRefusesMoreThanTheCollectionLimit) {
  BindingProperty value;
  value.Reserve(100);
  EXPECT_EQ(value.GetType(), Type::Empty) << "only collections reserve";
  value.MakeCollection();
  value.Reserve(1000);
  EXPECT_EQ(value.Size(), 0u);
  EXPECT_THROW(value.Reserve(0x10000000), std::length_error);
  EXPECT_THROW(value.ElementAt(0x10000000), std::length_error);
  EXPECT_EQ(value.Size(), 0u);
}

TEST(BindingPropertyTest, AcceptWalksDepthFirstInOrder) {
  BindingProperty value = Sample();
  value.MemberAt("none");
  value.MemberAt("u").SetUnsigned(3u);
  EXPECT_EQ(Walk(value), "{6:blob=b3;colour=e2#1234ABCD;flag=T;list=[2:1,'two'];none=_;u=3u;}");
}

TEST(BindingPropertyTest, CopiesAreDeepAndIndependent) {
  const BindingProperty original = Sample();
  BindingProperty copy(original);
  EXPECT_EQ(Walk(copy), Walk(original));
  EXPECT_NE(copy.Pool(), original.Pool());
  EXPECT_NE(copy.MemberAt("list").ElementAt(1).GetString(),
            original.MemberAt("list").ElementAt(1).GetString())
      << "texts are interned per pool";

  copy.MemberAt("list").ElementAt(0).SetString("changed");
  copy.MemberAt("extra").SetBool(false);
  EXPECT_EQ(Walk(original), "{4:blob=b3;colour=e2#1234ABCD;flag=T;list=[2:1,'two'];}");

  BindingProperty target;
  target.SetString("old");
  const BindingPropertyPool* pool = target.Pool();
  target.CopyFrom(original);
  EXPECT_EQ(target.Pool(), pool) << "the target keeps its pool";
  EXPECT_EQ(Walk(target), Walk(original));
  target.CopyFrom(target);
  EXPECT_EQ(Walk(target), Walk(original));
  target = BindingProperty::Empty();
  EXPECT_EQ(target.GetType(), Type::Empty);
}

TEST(BindingPropertyTest, CopyWithinOneTreeIsSafeInBothDirections) {
  BindingProperty root;
  root.Append().SetSigned(1);
  root.Append().MemberAt("a").SetSigned(2);
  root.Append().CopyFrom(root);  // an ancestor into its own new (third) element
  EXPECT_EQ(Walk(root), "[3:1,{1:a=2;},[3:1,{1:a=2;},_]]");

  root.CopyFrom(root.ElementAt(1));  // a descendant over its ancestor
  EXPECT_EQ(Walk(root), "{1:a=2;}");
}

TEST(BindingPropertyTest, DisjointCopiesWithinOneTreeShareTheInternedTexts) {
  BindingProperty root;
  BindingProperty& source = root.Append();
  source.MemberAt("name").SetString("text");
  source.MemberAt("list").Append().SetString("other");
  const size_t interned = root.Pool()->InternedCount();
  BindingProperty& copy = root.Append();
  copy.CopyFromDisjoint(root.ElementAt(0));
  EXPECT_EQ(Walk(root), "[2:{2:list=[1:'other'];name='text';},{2:list=[1:'other'];name='text';}]");
  EXPECT_EQ(root.Pool()->InternedCount(), interned);
  EXPECT_EQ(copy.MemberAt("name").GetString(), source.MemberAt("name").GetString());

  // A String of the tree names a member with its own record; the copy stays independent.
  BindingProperty& named = copy.MemberNamedBy(copy.MemberAt("name"));
  named.SetSigned(1);
  EXPECT_EQ(root.Pool()->InternedCount(), interned);
  EXPECT_EQ(copy.MemberAt("text").GetSigned(), 1);
  EXPECT_EQ(&copy.MemberNamedBy(copy.MemberAt("name")), &named);
  source.MemberAt("name").SetString("changed");
  EXPECT_EQ(copy.MemberAt("name").GetStringView(), "text");

  // Between trees the texts are interned into the target's pool.
  BindingProperty other;
  other.MemberNamedBy(copy.MemberAt("name")).CopyFromDisjoint(copy);
  EXPECT_EQ(Walk(other), "{1:text={3:list=[1:'other'];name='text';text=1;};}");
  EXPECT_NE(other.MemberAt("text").MemberAt("name").GetString(), copy.MemberAt("name").GetString());
}

TEST(BindingPropertyTest, MoveFromSwapsRootsAndCopiesIntoOrOutOfTrees) {
  BindingProperty source = Sample();
  BindingProperty target;
  target.SetString("old");
  const BindingPropertyPool* source_pool = source.Pool();
  const BindingPropertyPool* target_pool = target.Pool();
  target.MoveFrom(source);
  EXPECT_EQ(target.Pool(), source_pool) << "roots swap, nothing is copied";
  EXPECT_EQ(source.Pool(), target_pool);
  EXPECT_EQ(source.GetType(), Type::Empty);
  EXPECT_EQ(Walk(target), "{4:blob=b3;colour=e2#1234ABCD;flag=T;list=[2:1,'two'];}");

  // A root into a member: the member copies into its tree's pool.
  BindingProperty tree;
  tree.MemberAt("m").MoveFrom(target);
  EXPECT_EQ(target.GetType(), Type::Empty);
  EXPECT_EQ(tree.MemberAt("m").Pool(), tree.Pool());
  EXPECT_EQ(Walk(tree.MemberAt("m")), Walk(Sample()));

  // A member out into a root.
  BindingProperty out;
  out.MoveFrom(tree.MemberAt("m"));
  EXPECT_EQ(Walk(out), Walk(Sample()));
  EXPECT_EQ(tree.MemberAt("m").GetType(), Type::Empty);
  EXPECT_EQ(Walk(tree), "{1:m=_;}");

  // A member over its own root.
  tree.MemberAt("m").MemberAt("n").SetSigned(4);
  tree.MoveFrom(tree.MemberAt("m"));
  EXPECT_EQ(Walk(tree), "{1:n=4;}");

  // Move construction takes a root's content; from a child it copies.
  BindingProperty moved(std::move(out));
  EXPECT_EQ(out.GetType(), Type::Empty);
  BindingProperty from_child(std::move(moved.MemberAt("list")));
  EXPECT_TRUE(from_child.IsOwner());
  EXPECT_NE(from_child.Pool(), moved.Pool());
  EXPECT_EQ(Walk(from_child), "[2:1,'two']");
  EXPECT_EQ(moved.MemberAt("list").GetType(), Type::Empty);
}

TEST(BindingPropertyTest, SetBlobMovesOrCopies) {
  BindingProperty value;
  BindingBlob bytes{0, 255};
  value.SetBlob(bytes);
  EXPECT_EQ(bytes.size(), 2u);
  BindingBlob moved{1, 2, 3};
  const uint8_t* data = moved.data();
  value.SetBlob(std::move(moved));
  EXPECT_TRUE(moved.empty());
  EXPECT_EQ(value.GetBlob().data(), data);
  const uint8_t raw[] = {9, 8};
  value.SetBlob(raw, sizeof raw);
  EXPECT_EQ(value.GetBlob(), (BindingBlob{9, 8}));
}

TEST(BindingPropertyTest, ReplacingAndClearingReleaseStorage) {
  const BindingPageSource::Stats before = BindingPageSource::Instance().GetStats();
  const AllocationStats heap_before = ReadAllocationStats();
  {
    BindingProperty value;
    for (int round = 0; round < 3; ++round) {
      for (int i = 0; i < 2000; ++i) {
        BindingProperty& member = value.MemberAt("k" + std::to_string(i));
        member.Append().SetString("s" + std::to_string(i % 7));
        member.Append().SetBlob(BindingBlob(10, 1));
      }
      value.SetFloat(1.0);
      EXPECT_EQ(value.Pool()->InternedCount(), 0u);
    }
    value.Clear();
    EXPECT_NE(value.Pool(), nullptr) << "clearing keeps the pool";
  }
  const AllocationStats heap_after = ReadAllocationStats();
  EXPECT_EQ(heap_after.allocations - heap_before.allocations, heap_after.frees - heap_before.frees)
      << "every text, blob and element array from the hooks went back";
  const BindingPageSource::Stats after = BindingPageSource::Instance().GetStats();
  EXPECT_EQ(after.regions * BindingPageSource::kPagesPerRegion - after.free_pages,
            before.regions * BindingPageSource::kPagesPerRegion - before.free_pages)
      << "every page went back to the page source";
  EXPECT_LE(after.free_regions, BindingPageSource::kKeptFreeRegions);
}

// Trees built through the interface may be deeper than any reader allows; every walk over them
// must still stay off the call stack's limit.
TEST(BindingPropertyTest, VeryDeepTreesCopyWalkAndDestroy) {
  constexpr int kDepth = 200000;
  BindingProperty root;
  BindingProperty* node = &root;
  for (int i = 0; i < kDepth; ++i)
    node = (i % 2 == 0) ? &node->Append() : &node->MemberAt("m");
  node->SetSigned(42);

  BindingProperty copy(root);
  const BindingProperty* walk = &copy;
  for (int i = 0; i < kDepth; ++i) {
    walk = (i % 2 == 0) ? &walk->ElementAt(0) : &walk->MemberAt("m");
  }
  EXPECT_EQ(walk->GetSigned(), 42);

  struct Counter final : BindingPropertyVisitor {
    size_t opened = 0, closed = 0, depth = 0, max_depth = 0;
    int64_t leaf = 0;
    bool VisitEmpty() override { return true; }
    bool VisitBool(bool) override { return true; }
    bool VisitSigned(int64_t v) override {
      leaf = v;
      return true;
    }
    bool VisitUnsigned(uint64_t) override { return true; }
    bool VisitFloat(double) override { return true; }
    bool VisitString(std::string_view) override { return true; }
    bool VisitBlob(const BindingBlob&) override { return true; }
    bool VisitEnum(const BindingEnumCell&) override { return true; }
    bool BeginCollection(uint32_t) override { return Open(); }
    bool BeginElement(uint32_t) override { return true; }
    bool EndElement(uint32_t) override { return true; }
    bool EndCollection() override { return Close(); }
    bool BeginStructure(uint32_t) override { return Open(); }
    bool BeginMember(std::string_view) override { return true; }
    bool EndMember(std::string_view) override { return true; }
    bool EndStructure() override { return Close(); }
    bool Open() {
      ++opened;
      max_depth = std::max(max_depth, ++depth);
      return true;
    }
    bool Close() {
      ++closed;
      --depth;
      return true;
    }
  } counter;
  copy.Accept(counter);
  EXPECT_EQ(counter.opened, static_cast<size_t>(kDepth));
  EXPECT_EQ(counter.closed, static_cast<size_t>(kDepth));
  EXPECT_EQ(counter.max_depth, static_cast<size_t>(kDepth));
  EXPECT_EQ(counter.leaf, 42);

  root.ElementAt(0).Clear();
  EXPECT_EQ(Walk(root), "[1:_]");
}

}  // namespace
}  // namespace Vorn
