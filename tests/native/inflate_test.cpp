#include "install/inflate.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <vector>

namespace {

std::vector<unsigned char> SomeProgramBytes() {
  std::vector<unsigned char> bytes(40000);
  unsigned state = 12345;
  for (size_t i = 0; i < bytes.size(); ++i) {
    state = state * 1103515245u + 12345u;
    bytes[i] = (i % 7 == 0) ? static_cast<unsigned char>(state >> 16) : static_cast<unsigned char>(i / 97);
  }
  return bytes;
}

std::vector<unsigned char> Deflate(const std::vector<unsigned char>& plain) {
  uLongf length = compressBound(plain.size());
  std::vector<unsigned char> stream(length);
  EXPECT_EQ(Z_OK, compress2(stream.data(), &length, plain.data(), plain.size(), 9));
  stream.resize(length);
  return stream;
}

class InflateTest : public ::testing::Test {
 protected:
  // Inflates into a block of exactly capacity bytes, so that ASan sees any write past it.
  int InflateInto(unsigned long capacity, const std::vector<unsigned char>& stream) {
    output_.assign(capacity, 0);
    length_ = capacity;
    return Inflate(output_.data(), &length_, stream.data(), stream.size());
  }
  const std::vector<unsigned char> plain_ = SomeProgramBytes();
  const std::vector<unsigned char> stream_ = Deflate(plain_);
  std::vector<unsigned char> output_;
  unsigned long length_ = 0;
};

TEST_F(InflateTest, ExactFitGivesTheOriginalBytes) {
  ASSERT_EQ(Z_OK, InflateInto(plain_.size(), stream_));
  EXPECT_EQ(plain_.size(), length_);
  EXPECT_EQ(plain_, output_);
}

TEST_F(InflateTest, LargerBlockReportsTheBytesProduced) {
  ASSERT_EQ(Z_OK, InflateInto(3 * stream_.size() + plain_.size(), stream_));
  EXPECT_EQ(plain_.size(), length_);
  EXPECT_TRUE(std::equal(plain_.begin(), plain_.end(), output_.begin()));
}

TEST_F(InflateTest, OneByteShortIsAFullBuffer) {
  EXPECT_EQ(Z_BUF_ERROR, InflateInto(plain_.size() - 1, stream_));
  EXPECT_EQ(plain_.size() - 1, length_);  // length left alone on failure
}

TEST_F(InflateTest, WrongCheckValueIsADataError) {
  std::vector<unsigned char> corrupt = stream_;
  corrupt.back() ^= 0x01;  // last byte of the Adler-32
  EXPECT_EQ(Z_DATA_ERROR, InflateInto(plain_.size(), corrupt));
}

TEST_F(InflateTest, TruncatedStreamFails) {
  // zlib 1.2.9 and later report a stream that ends early as a data error.
  std::vector<unsigned char> truncated(stream_.begin(), stream_.begin() + stream_.size() / 2);
  EXPECT_EQ(Z_DATA_ERROR, InflateInto(plain_.size(), truncated));
  std::vector<unsigned char> headerOnly(stream_.begin(), stream_.begin() + 2);
  EXPECT_EQ(Z_DATA_ERROR, InflateInto(plain_.size(), headerOnly));
}

TEST_F(InflateTest, GarbageIsADataError) {
  const std::vector<unsigned char> garbage(100, 0xAB);
  EXPECT_EQ(Z_DATA_ERROR, InflateInto(1000, garbage));
}

TEST(ComputeCapacity, MultipliesWithoutWrapping) {
  unsigned long capacity = 0;
  EXPECT_TRUE(ComputeCapacity(2019712, 3, &capacity));
  EXPECT_EQ(6059136ul, capacity);
  const unsigned long max = static_cast<unsigned long>(-1);
  EXPECT_TRUE(ComputeCapacity(max / 4, 4, &capacity));
  EXPECT_EQ(max / 4 * 4, capacity);
  EXPECT_FALSE(ComputeCapacity(max / 4 + 1, 4, &capacity));
  EXPECT_FALSE(ComputeCapacity(max / 3 + 1, 3, &capacity));
}

}  // namespace
