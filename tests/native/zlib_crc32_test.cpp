// The installer's stand-ins for zlib's crc32 and adler32 (install/zlib_crc32.cpp and
// install/zlib_adler32.cpp, compiled here under the names BitwiseCrc32 and PlainAdler32 so that
// they do not replace the real ones), checked against zlib's own.
#include <gtest/gtest.h>
#include <zlib.h>

#include <algorithm>
#include <vector>

extern "C" uLong BitwiseCrc32(uLong crc, const Bytef* bytes, uInt length);
extern "C" uLong PlainAdler32(uLong adler, const Bytef* bytes, uInt length);

namespace {

std::vector<Bytef> SomeBytes(size_t length, unsigned seed) {
  std::vector<Bytef> bytes(length);
  for (Bytef& byte : bytes) {
    seed = seed * 1103515245u + 12345u;
    byte = static_cast<Bytef>(seed >> 16);
  }
  return bytes;
}

TEST(ZlibCrc32StandIn, GivesTheStandardCheckValue) {
  const Bytef digits[] = {'1', '2', '3', '4', '5', '6', '7', '8', '9'};
  EXPECT_EQ(0xCBF43926ul, BitwiseCrc32(0, digits, sizeof digits));
}

TEST(ZlibCrc32StandIn, NullBufferGivesTheInitialValue) {
  EXPECT_EQ(0ul, BitwiseCrc32(0x12345678ul, Z_NULL, 10));
  EXPECT_EQ(crc32(0x12345678ul, Z_NULL, 10), BitwiseCrc32(0x12345678ul, Z_NULL, 10));
}

TEST(ZlibCrc32StandIn, EmptyBufferLeavesTheValue) {
  const Bytef byte = 0;
  EXPECT_EQ(0xDEADBEEFul, BitwiseCrc32(0xDEADBEEFul, &byte, 0));
}

TEST(ZlibCrc32StandIn, AgreesWithZlibOnEveryLengthUpTo600) {
  const std::vector<Bytef> bytes = SomeBytes(600, 7);
  for (uInt length = 0; length <= bytes.size(); ++length) {
    ASSERT_EQ(crc32(0, bytes.data(), length), BitwiseCrc32(0, bytes.data(), length)) << length;
  }
}

TEST(ZlibCrc32StandIn, AgreesWithZlibWhenContinued) {
  const std::vector<Bytef> bytes = SomeBytes(100000, 11);
  uLong ours = BitwiseCrc32(0, Z_NULL, 0);
  uLong zlibs = crc32(0, Z_NULL, 0);
  for (size_t at = 0; at < bytes.size(); at += 777) {
    const uInt length = static_cast<uInt>(std::min<size_t>(777, bytes.size() - at));
    ours = BitwiseCrc32(ours, bytes.data() + at, length);
    zlibs = crc32(zlibs, bytes.data() + at, length);
    ASSERT_EQ(zlibs, ours) << at;
  }
  EXPECT_EQ(crc32(0, bytes.data(), static_cast<uInt>(bytes.size())), ours);
}

TEST(ZlibAdler32StandIn, GivesTheStandardValuesAndTheInitialOne) {
  const Bytef word[] = {'W', 'i', 'k', 'i', 'p', 'e', 'd', 'i', 'a'};
  EXPECT_EQ(0x11E60398ul, PlainAdler32(1, word, sizeof word));
  EXPECT_EQ(1ul, PlainAdler32(0x12345678ul, Z_NULL, 10));
  EXPECT_EQ(adler32(0x12345678ul, Z_NULL, 10), PlainAdler32(0x12345678ul, Z_NULL, 10));
}

// All 0xFF bytes make both sums grow fastest: the reductions every 5552 bytes must hold there.
TEST(ZlibAdler32StandIn, AgreesWithZlibAcrossItsReductions) {
  const std::vector<Bytef> bytes = SomeBytes(100000, 13);
  const std::vector<Bytef> ones(3 * 5552 + 3, 0xFF);
  for (uInt length : {0u, 1u, 15u, 16u, 5551u, 5552u, 5553u, 11104u, 100000u}) {
    ASSERT_EQ(adler32(1, bytes.data(), length), PlainAdler32(1, bytes.data(), length)) << length;
  }
  for (uInt length = 5540; length <= ones.size(); length += 1) {
    ASSERT_EQ(adler32(1, ones.data(), length), PlainAdler32(1, ones.data(), length)) << length;
  }
  // Continued from the top of both sums (65520 each).
  const uLong top = 0xFFF0FFF0ul;
  const uInt length = static_cast<uInt>(ones.size());
  EXPECT_EQ(adler32(top, ones.data(), length), PlainAdler32(top, ones.data(), length));
  EXPECT_EQ(adler32(top, bytes.data(), 77777), PlainAdler32(top, bytes.data(), 77777));
}

}  // namespace
