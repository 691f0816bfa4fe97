#include "tiles/listing_format.h"

#include <gtest/gtest.h>

#include <string>

namespace tessary {
namespace {

std::string Row(uint8_t v, bool invert) {
  char line[kRowLineSize];
  return std::string(line, PutRowLine(line, v, invert));
}

std::string WideRow(uint8_t left, uint8_t right, bool invert) {
  char line[kWideRowLineSize];
  return std::string(line, PutWideRowLine(line, left, right, invert));
}

std::string Label(int32_t tile_no, bool labels) {
  char line[kMaxLabelLineSize];
  return std::string(line, PutLabelLine(line, tile_no, labels));
}

TEST(ListingFormatTest, RowLinesSpellBit7First) {
  EXPECT_EQ(Row(0x00, false), " .db %00000000\r\n");
  EXPECT_EQ(Row(0xFF, false), " .db %11111111\r\n");
  EXPECT_EQ(Row(0x6C, false), " .db %01101100\r\n");
  EXPECT_EQ(Row(0x01, false), " .db %00000001\r\n");
  EXPECT_EQ(Row(0x80, false), " .db %10000000\r\n");
}

TEST(ListingFormatTest, InvertSwapsEveryDigit) {
  EXPECT_EQ(Row(0x00, true), " .db %11111111\r\n");
  EXPECT_EQ(Row(0xFF, true), " .db %00000000\r\n");
  EXPECT_EQ(Row(0x18, true), " .db %11100111\r\n");
  for (int v = 0; v < 256; ++v) {
    const std::string plain = Row(static_cast<uint8_t>(v), false);
    const std::string inverted = Row(static_cast<uint8_t>(v), true);
    for (size_t k = 6; k < 14; ++k) EXPECT_NE(plain[k], inverted[k]) << "byte " << v;
  }
}

TEST(ListingFormatTest, WideRowsJoinTwoBytes) {
  EXPECT_EQ(WideRow(0xF0, 0x0F, false), " .db %11110000,%00001111\r\n");
  EXPECT_EQ(WideRow(0xCC, 0x33, true), " .db %00110011,%11001100\r\n");
}

TEST(ListingFormatTest, LabelLines) {
  EXPECT_EQ(Label(0, true), "; 00\r\n");
  EXPECT_EQ(Label(10, true), "; 0A\r\n");
  EXPECT_EQ(Label(256, true), "; 0100\r\n");
  EXPECT_EQ(Label(-1, true), "; FFFFFFFF\r\n");
  EXPECT_EQ(Label(10, false), "\r\n");
}

}  // namespace
}  // namespace tessary
