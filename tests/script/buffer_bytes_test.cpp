// Byte work of the buffer statements.
#include "script/statements/buffer_bytes.h"

#include <gtest/gtest.h>

#include <vector>

namespace bb = buffer_bytes;

namespace {

TEST(BufferBytes, FitsNeverWraps) {
  EXPECT_TRUE(bb::Fits(512, 508, 4));
  EXPECT_FALSE(bb::Fits(512, 509, 4));
  EXPECT_TRUE(bb::Fits(512, 512, 0));
  EXPECT_FALSE(bb::Fits(512, 513, 0));
  EXPECT_FALSE(bb::Fits(25, 10, 20));
  EXPECT_FALSE(bb::Fits(512, 0xFFFFFFFFu, 2));
  EXPECT_FALSE(bb::Fits(512, 4, 0xFFFFFFFFFFFFFFFFull));
}

TEST(BufferBytes, PeekIsBigEndian) {
  const std::vector<uint8_t> b = {0, 0, 0, 0, 0, 0, 1, 0, 0xAB};
  EXPECT_EQ(bb::Peek(b, 0, 8), 256u);
  EXPECT_EQ(static_cast<double>(bb::Peek(b, 0, 8)), 256.0);
  EXPECT_EQ(bb::Peek(b, 6, 2), 0x0100u);
  EXPECT_EQ(bb::Peek(b, 5, 4), 0x000100ABu);
  EXPECT_EQ(bb::Peek(b, 6, 4), 0u) << "past the end reads nothing";
}

TEST(BufferBytes, Fills) {
  std::vector<uint8_t> b(300);
  bb::FillIncrementing(b);
  EXPECT_EQ(b[0], 0);
  EXPECT_EQ(b[255], 255);
  EXPECT_EQ(b[256], 0);
  EXPECT_EQ(b[299], 43);

  std::vector<uint8_t> r1(64), r2(64), r3(64);
  bb::FillRandom(r1, 0x34);
  bb::FillRandom(r2, 0x34);
  bb::FillRandom(r3, 0x35);
  EXPECT_EQ(r1, r2);
  EXPECT_NE(r1, r3);
}

TEST(BufferBytes, Pattern9ShiftsWithFeedbackAndClipsTheLastWord) {
  std::vector<uint8_t> b(10, 0xEE);
  const uint32_t end = bb::Pattern9(b, 1);
  // 3, 7, 15 little-endian; the last word has only two bytes.
  EXPECT_EQ(b, (std::vector<uint8_t>{3, 0, 0, 0, 7, 0, 0, 0, 15, 0}));
  EXPECT_EQ(end, 15u);
  std::vector<uint8_t> empty;
  EXPECT_EQ(bb::Pattern9(empty, 77), 77u);
  // With the taps set the feedback bit stays clear.
  std::vector<uint8_t> w(4);
  EXPECT_EQ(bb::Pattern9(w, 0xE0000200u), 0xC0000400u);
  // Zero stays zero.
  EXPECT_EQ(bb::Pattern9(w, 0), 0u);
}

TEST(BufferBytes, ScrambleStopsAfterTheMarkerRunWithinTheBuffer) {
  const uint8_t marker = static_cast<uint8_t>(0xBC - bb::kScrambleConstant);
  std::vector<uint8_t> b(80, marker);
  EXPECT_EQ(bb::Scramble(b), 54u + 2u);
  EXPECT_EQ(b[54], 0xBC);
  EXPECT_EQ(b[55], 0x0D);
  EXPECT_EQ(b[56], 0x0A);
  EXPECT_EQ(b[57], marker) << "the scan stopped";

  // The run ends on the last byte: nothing is written past the end.
  std::vector<uint8_t> tight(55, marker);
  EXPECT_EQ(bb::Scramble(tight), 55u);
  std::vector<uint8_t> one(56, marker);
  EXPECT_EQ(bb::Scramble(one), 56u);
  EXPECT_EQ(one[55], 0x0D);

  std::vector<uint8_t> plain = {0x00, 0xFF};
  EXPECT_EQ(bb::Scramble(plain), 2u);
  EXPECT_EQ(plain, (std::vector<uint8_t>{bb::kScrambleConstant, uint8_t(bb::kScrambleConstant - 1)}));
}

TEST(BufferBytes, CompareAndCopyPart) {
  std::vector<uint8_t> a(16, 1), b(16, 1);
  EXPECT_FALSE(bb::FirstDifference(a, b, 16).found);
  b[5] = 9;
  const bb::Difference d = bb::FirstDifference(a, b, 16);
  EXPECT_TRUE(d.found);
  EXPECT_EQ(d.index, 5u);
  EXPECT_EQ(d.first, 1);
  EXPECT_EQ(d.second, 9);
  EXPECT_FALSE(bb::FirstDifference(a, b, 5).found);

  std::vector<uint8_t> source(25), destination(30, 0xEE);
  bb::FillIncrementing(source);
  EXPECT_FALSE(bb::CopyPart(source, destination, 10, 20));
  EXPECT_FALSE(bb::CopyPart(source, destination, 0xFFFFFFF0u, 0x20));
  EXPECT_EQ(destination[0], 0xEE);
  EXPECT_TRUE(bb::CopyPart(source, destination, 10, 15));
  EXPECT_EQ(destination[0], 10);
  EXPECT_EQ(destination[14], 24);
  EXPECT_EQ(destination[15], 0xEE);
  std::vector<uint8_t> small(4);
  EXPECT_FALSE(bb::CopyPart(source, small, 0, 5));
}

}  // namespace
