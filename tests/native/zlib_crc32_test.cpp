// The installer's stand-in for zlib's crc32 (install/zlib_crc32.cpp, compiled here under the
// name BitwiseCrc32 so that it does not replace the real one), checked against zlib's own.
#include <gtest/gtest.h>
#include <zlib.h>

#include <algorithm>
#include <vector>

extern "C" uLong BitwiseCrc32(uLong crc, const Bytef* bytes, uInt length);

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

}  // namespace
