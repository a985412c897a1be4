// The general pasteboard as any binding must keep it: items with their types
// and data, plain text, clearing, and only new items written. On a Mac the
// pasteboard is the person's, so each test puts it back as it found it.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "contract_machine.h"
#include "os/pasteboard.h"

namespace vyx::os::testing {
namespace {

const std::string kPlain(kPasteboardTypeString);
const std::string kRTF(kPasteboardTypeRTF);
const std::string kPNG(kPasteboardTypePNG);

Bytes bytes(std::string_view s) {
  return {s.begin(), s.end()};
}

// New items holding every type that has data, in order.
std::vector<PasteboardItemPtr> copyOf(const std::vector<PasteboardItemPtr>& items) {
  std::vector<PasteboardItemPtr> copies;
  for (const PasteboardItemPtr& item : items) {
    copies.push_back(pasteboardItemCreate());
    for (const std::string& type : pasteboardItemTypes(*item)) {
      if (auto data = pasteboardItemDataForType(*item, type)) {
        (void)pasteboardItemSetDataForType(*copies.back(), std::move(*data), type);
      }
    }
  }
  return copies;
}

// A system may offer types it converts to besides those written; the written
// ones keep their order.
bool offersInOrder(const std::vector<std::string>& offered,
                   const std::vector<std::string>& wanted) {
  auto at = offered.begin();
  for (const std::string& type : wanted) {
    at = std::find(at, offered.end(), type);
    if (at == offered.end()) return false;
  }
  return true;
}

class PasteboardContract : public ::testing::Test {
 protected:
  void SetUp() override { saved_ = copyOf(pasteboardItems(board_)); }
  void TearDown() override {
    (void)clearContents(board_);
    if (!saved_.empty()) (void)writeObjects(board_, saved_);
  }

  ContractMachine machine_;
  Pasteboard* board_ = generalPasteboard();

 private:
  std::vector<PasteboardItemPtr> saved_;
};

TEST_F(PasteboardContract, ItemsKeepTheirTypesAndDataUntilCleared) {
  const int64_t clearedAt = clearContents(board_);
  EXPECT_TRUE(pasteboardItems(board_).empty());
  EXPECT_EQ(stringForType(board_, kPlain), std::nullopt);

  const PasteboardItemPtr text = pasteboardItemCreate();
  ASSERT_TRUE(pasteboardItemSetDataForType(*text, bytes("один"), kPlain));
  ASSERT_TRUE(pasteboardItemSetDataForType(*text, bytes("{\\rtf1 one}"), kRTF));
  const PasteboardItemPtr image = pasteboardItemCreate();
  ASSERT_TRUE(pasteboardItemSetDataForType(*image, bytes("\x89PNG"), kPNG));
  ASSERT_TRUE(writeObjects(board_, {text, image}));

  const std::vector<PasteboardItemPtr> items = pasteboardItems(board_);
  ASSERT_EQ(items.size(), 2U);
  EXPECT_TRUE(offersInOrder(pasteboardItemTypes(*items[0]), {kPlain, kRTF}));
  EXPECT_EQ(pasteboardItemDataForType(*items[0], kRTF), bytes("{\\rtf1 one}"));
  EXPECT_TRUE(offersInOrder(pasteboardItemTypes(*items[1]), {kPNG}));
  EXPECT_EQ(pasteboardItemDataForType(*items[1], kPNG), bytes("\x89PNG"));
  EXPECT_EQ(stringForType(board_, kPlain), "один");

  // Items on the pasteboard are its own: only new ones can be written.
  EXPECT_FALSE(writeObjects(board_, items));
  EXPECT_FALSE(writeObjects(board_, {text}));
  EXPECT_EQ(pasteboardItems(board_).size(), 2U);

  EXPECT_GT(clearContents(board_), clearedAt);
  EXPECT_TRUE(pasteboardItems(board_).empty());
  ASSERT_TRUE(setStringForType(board_, "два", kPlain));
  EXPECT_EQ(stringForType(board_, kPlain), "два");
  EXPECT_EQ(pasteboardItems(board_).size(), 1U);
}

TEST_F(PasteboardContract, ANewItemKeepsOneValuePerType) {
  const PasteboardItemPtr item = pasteboardItemCreate();
  EXPECT_TRUE(pasteboardItemTypes(*item).empty());
  ASSERT_TRUE(pasteboardItemSetDataForType(*item, bytes("a"), kPNG));
  ASSERT_TRUE(pasteboardItemSetDataForType(*item, bytes("b"), kPNG));
  EXPECT_EQ(pasteboardItemTypes(*item), std::vector<std::string>{kPNG});
  EXPECT_EQ(pasteboardItemDataForType(*item, kPNG), bytes("b"));
  EXPECT_EQ(pasteboardItemDataForType(*item, kRTF), std::nullopt);
}

}  // namespace
}  // namespace vyx::os::testing
