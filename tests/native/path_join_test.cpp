#include "common/path_join.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

TEST(PathJoin, JoinsTwoOrThreePiecesByPlainConcatenation) {
  char out[260];
  EXPECT_TRUE(JoinPath(out, sizeof out, "C:\\Program Files", "\\Quorvale\\"));
  EXPECT_STREQ("C:\\Program Files\\Quorvale\\", out);
  EXPECT_TRUE(JoinPath(out, sizeof out, "C:\\Data", "\\Quorvale\\Lumifold\\", "banner.mht"));
  EXPECT_STREQ("C:\\Data\\Quorvale\\Lumifold\\banner.mht", out);
  EXPECT_TRUE(JoinPath(out, sizeof out, "", nullptr, ""));
  EXPECT_STREQ("", out);
}

TEST(PathJoin, AcceptsExactly259CharactersAndRefusesTheNext) {
  char out[260];
  const std::string head(250, 'a');
  EXPECT_TRUE(JoinPath(out, sizeof out, head.c_str(), "123456789"));
  EXPECT_EQ(259u, std::string(out).size());
  EXPECT_FALSE(JoinPath(out, sizeof out, head.c_str(), "1234567890"));
  EXPECT_FALSE(JoinPath(out, sizeof out, head.c_str(), "12345", "67890"));
}

TEST(PathJoin, CutPathStaysTerminatedWithinItsBuffer) {
  char out[16];
  std::memset(out, 'x', sizeof out);
  EXPECT_FALSE(JoinPath(out, 8, "C:\\Program Files", "\\Quorvale\\"));
  EXPECT_STREQ("C:\\Prog", out);
  EXPECT_EQ('x', out[8]);  // nothing written past the capacity
  EXPECT_FALSE(JoinPath(out, 1, "a", nullptr));
  EXPECT_STREQ("", out);
  EXPECT_FALSE(JoinPath(out, 0, "a", nullptr));
  EXPECT_EQ('\0', out[0]);  // unchanged from the call before
}

}  // namespace
