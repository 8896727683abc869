#include "setup/version_rule.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

constexpr unsigned long kWin32s = 0;

bool Decide(bool ok, unsigned long platform, unsigned long major, unsigned long minor,
            const char* csd) {
  char field[128] = {};  // the size of OSVERSIONINFOA::szCSDVersion
  std::strncpy(field, csd, sizeof field - 1);
  return IsSupportedVersion(ok, platform, major, minor, field, sizeof field);
}

TEST(VersionRule, DecidesEverySystemOfTheTable) {
  EXPECT_FALSE(Decide(true, kWin32s, 3, 10, ""));
  EXPECT_FALSE(Decide(true, kWin32s, 5, 1, " A "));
  EXPECT_FALSE(Decide(true, kPlatformWin32Windows, 4, 0, ""));      // Windows 95
  EXPECT_FALSE(Decide(true, kPlatformWin32Windows, 4, 0, " C "));   // Windows 95 OSR2
  EXPECT_FALSE(Decide(true, kPlatformWin32Windows, 4, 10, ""));     // Windows 98
  EXPECT_TRUE(Decide(true, kPlatformWin32Windows, 4, 10, " A "));   // Windows 98 SE
  EXPECT_TRUE(Decide(true, kPlatformWin32Windows, 4, 90, ""));      // Windows ME
  EXPECT_FALSE(Decide(true, kPlatformWin32Nt, 4, 0, "Service Pack 6a"));  // NT 4.0
  EXPECT_TRUE(Decide(true, kPlatformWin32Nt, 5, 0, ""));            // Windows 2000
  EXPECT_TRUE(Decide(true, kPlatformWin32Nt, 5, 1, "Service Pack 3"));  // XP
  EXPECT_TRUE(Decide(true, kPlatformWin32Nt, 10, 0, ""));           // newer than XP
}

TEST(VersionRule, LetterAMattersOnlyAsCapitalAndOnlyForVersion410) {
  EXPECT_FALSE(Decide(true, kPlatformWin32Windows, 4, 10, " a "));
  EXPECT_TRUE(Decide(true, kPlatformWin32Windows, 4, 10, "xxAxx"));
  EXPECT_TRUE(Decide(true, kPlatformWin32Nt, 4, 10, "A"));   // same rule on both platforms
  EXPECT_FALSE(Decide(true, kPlatformWin32Nt, 4, 9, " A "));
  EXPECT_TRUE(Decide(true, kPlatformWin32Windows, 4, 11, ""));
  EXPECT_FALSE(Decide(true, kPlatformWin32Windows, 3, 95, " A "));
}

TEST(VersionRule, FailedQueryAndUnknownPlatformsRefuse) {
  EXPECT_FALSE(Decide(false, kPlatformWin32Nt, 5, 1, ""));
  EXPECT_FALSE(Decide(false, kPlatformWin32Windows, 4, 10, " A "));
  EXPECT_FALSE(Decide(true, 3, 10, 0, ""));  // Windows CE
}

TEST(VersionRule, ReadsTheServicePackTextNoFurtherThanItsField) {
  char field[4] = {' ', ' ', ' ', ' '};  // unterminated
  EXPECT_FALSE(IsSupportedVersion(true, kPlatformWin32Windows, 4, 10, field, sizeof field));
  const char terminatedEarly[] = {' ', '\0', 'A', '\0'};
  EXPECT_FALSE(IsSupportedVersion(true, kPlatformWin32Windows, 4, 10, terminatedEarly, 4));
}

}  // namespace
