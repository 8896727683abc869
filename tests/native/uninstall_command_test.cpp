#include "install/uninstall_command.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(UninstallCommand, PlainPathWhenTheSystemDirectoryHasNoBlank) {
  char out[262];
  ASSERT_TRUE(FormatUninstallCommand(out, sizeof out, "C:\\WINDOWS\\SYSTEM\\TevikUninstaller.exe"));
  EXPECT_STREQ("C:\\WINDOWS\\SYSTEM\\TevikUninstaller.exe", out);
}

TEST(UninstallCommand, QuotedWhenTheSystemDirectoryHasABlank) {
  char out[262];
  ASSERT_TRUE(
      FormatUninstallCommand(out, sizeof out, "D:\\My Windows\\SysWOW64\\TevikUninstaller.exe"));
  EXPECT_STREQ("\"D:\\My Windows\\SysWOW64\\TevikUninstaller.exe\"", out);
}

TEST(UninstallCommand, LongestPathStillFitsQuoted) {
  char out[262];
  const std::string longest = " " + std::string(237, 'S') + "\\TevikUninstaller.exe";
  ASSERT_EQ(259u, longest.size());
  ASSERT_TRUE(FormatUninstallCommand(out, sizeof out, longest.c_str()));
  EXPECT_EQ("\"" + longest + "\"", std::string(out));  // both quotes fit the value's buffer
  EXPECT_FALSE(FormatUninstallCommand(out, 261, longest.c_str()));
}

}  // namespace
