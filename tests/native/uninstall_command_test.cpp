#include "install/uninstall_command.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(UninstallCommand, PlainPathWhenTheSystemDirectoryHasNoBlank) {
  char out[262];
  ASSERT_TRUE(FormatUninstallCommand(out, sizeof out, "C:\\WINDOWS\\SYSTEM"));
  EXPECT_STREQ("C:\\WINDOWS\\SYSTEM\\TevikUninstaller.exe", out);
}

TEST(UninstallCommand, QuotedWhenTheSystemDirectoryHasABlank) {
  char out[262];
  ASSERT_TRUE(FormatUninstallCommand(out, sizeof out, "D:\\My Windows\\system32"));
  EXPECT_STREQ("\"D:\\My Windows\\system32\\TevikUninstaller.exe\"", out);
}

TEST(UninstallCommand, PathOver259CharactersIsSkipped) {
  char out[262];
  const std::string fits(259 - 21, 'S');  // 21: "\TevikUninstaller.exe"
  ASSERT_TRUE(FormatUninstallCommand(out, sizeof out, fits.c_str()));
  EXPECT_EQ(259u, std::string(out).size());
  EXPECT_FALSE(FormatUninstallCommand(out, sizeof out, (fits + "S").c_str()));
  const std::string withBlank = " " + fits.substr(1);
  ASSERT_TRUE(FormatUninstallCommand(out, sizeof out, withBlank.c_str()));
  EXPECT_EQ(261u, std::string(out).size());  // both quotes still fit the value's buffer
  EXPECT_FALSE(FormatUninstallCommand(out, 261, withBlank.c_str()));
}

}  // namespace
