#include "uninstaller/removal_rules.h"

#include <gtest/gtest.h>

#include <string>

#include "common/install_directory.h"

namespace {

TEST(RemovalRules, TrustsOnlyAbsoluteInstallPathsEndingInTheProductFolders) {
  for (const char* trusted :
       {"C:\\Program Files\\Quorvale\\Lumifold\\", "c:\\PROGRAM FILES\\quorvale\\LUMIFOLD\\",
        "D:\\Quorvale\\Lumifold\\", "\\\\server\\share\\Quorvale\\Lumifold\\"}) {
    EXPECT_TRUE(IsTrustedInstallPath(trusted)) << trusted;
  }
  for (const char* untrusted :
       {"", "C:\\Program Files\\Quorvale\\Lumifold", "C:\\Program Files\\Quorvale\\",
        "C:\\Windows\\", "C:\\", "\\Quorvale\\Lumifold\\", "Quorvale\\Lumifold\\",
        "C:Quorvale\\Lumifold\\", "C:\\Windows\\..\\Quorvale\\Lumifold\\",
        "C:\\Quorvale\\Lumifold\\..\\Quorvale\\Lumifold\\", "C:\\.\\Quorvale\\Lumifold\\",
        "C:\\Windows/..\\Quorvale\\Lumifold\\", "C:\\*\\Quorvale\\Lumifold\\",
        "C:\\file.txt:stream\\Quorvale\\Lumifold\\", "\\\\?\\C:\\Quorvale\\Lumifold\\",
        "\\\\\\Quorvale\\Lumifold\\", "C:\\XQuorvale\\Lumifold\\"}) {
    EXPECT_FALSE(IsTrustedInstallPath(untrusted)) << untrusted;
  }
}

TEST(RemovalRules, JoinsBelowAFolderReadingDoubleByteCharactersWhole) {  // 0x95: a lead byte
  char out[260];
  EXPECT_TRUE(JoinBelowFolder(out, 260, "C:\\\x95\x5C", "\\Q", [](char c) { return c == '\x95'; }));
  EXPECT_STREQ("C:\\\x95\x5C\\Q", out);  // "\x95\x5C": one character of code page 932
  EXPECT_TRUE(JoinBelowFolder(out, 260, "C:\\\x95\x5C", "\\Q", [](char) { return false; }));
  EXPECT_STREQ("C:\\\x95\\Q", out);  // two of a single-byte code page
}

TEST(RemovalRules, SplitsTheProductAndMakerFolders) {
  char product[260], maker[260];
  ASSERT_TRUE(SplitProductFolders("C:\\Program Files\\QUORVALE\\Lumifold\\", product, maker,
                                  sizeof product));
  EXPECT_STREQ("C:\\Program Files\\QUORVALE\\Lumifold", product);
  EXPECT_STREQ("C:\\Program Files\\QUORVALE", maker);
  EXPECT_FALSE(SplitProductFolders("C:\\Program Files\\Lumifold\\", product, maker, 260));
  const std::string directory = "C:\\Quorvale\\Lumifold\\";  // 21 characters
  EXPECT_TRUE(SplitProductFolders(directory.c_str(), product, maker, 22));
  EXPECT_FALSE(SplitProductFolders(directory.c_str(), product, maker, 21));
}

TEST(RemovalRules, CopyCommandLineReadsBackItsProcessIdAndEvent) {
  char line[300];
  for (unsigned long id : {1ul, 1234ul, 4294967295ul}) {
    ASSERT_TRUE(FormatCopyCommandLine(line, sizeof line, "C:\\My Temp\\TEV1A.tmp",
                                      {id, 4294967296ul - id}));
    CopyHandOver read = {};
    ASSERT_TRUE(ReadCopyCommandLine(line, &read)) << line;
    EXPECT_EQ(id, read.processId);
    EXPECT_EQ(4294967296ul - id, read.startedEvent);
  }
  EXPECT_STREQ("\"C:\\My Temp\\TEV1A.tmp\" /original 4294967295 1", line);
  EXPECT_FALSE(FormatCopyCommandLine(line, 30, "C:\\My Temp\\TEV1A.tmp", {1, 1}));
  CopyHandOver read = {};
  EXPECT_TRUE(ReadCopyCommandLine("  C:\\TEMP\\TEV1.TMP\t/original  77\t88 ", &read));
  EXPECT_EQ(77ul, read.processId);
  EXPECT_EQ(88ul, read.startedEvent);
}

// The Control Panel's start, with no arguments or with any other, is never taken for the copy.
TEST(RemovalRules, OtherCommandLinesAreNotTheCopys) {
  CopyHandOver read = {99, 99};
  for (const char* other :
       {"C:\\WINDOWS\\SYSTEM\\TevikUninstaller.exe", "\"C:\\Win dows\\TevikUninstaller.exe\"",
        "\"C:\\x.exe\" /original", "\"C:\\x.exe\" /original 0",
        "\"C:\\x.exe\" /original 4294967296", "\"C:\\x.exe\" /original 12345678901",
        "\"C:\\x.exe\" /original 12x", "\"C:\\x.exe\" /original12", "\"C:\\x.exe\" /ORIGINAL 12",
        "\"C:\\x.exe /original 12", "\"C:\\x.exe\" /original -1", "\"C:\\x.exe\" /original 1 2 3",
        "\"C:\\x.exe\" /original 12", "\"C:\\x.exe\" /original 1 0", "\"C:\\x.exe\" /original 1 2x",
        "\"C:\\x.exe\" /original 1 4294967296", ""}) {
    EXPECT_FALSE(ReadCopyCommandLine(other, &read)) << other;
  }
  EXPECT_EQ(99ul, read.processId);
}

std::string Insert(const std::string& ini, const char* path, size_t capacity = 1000) {
  char out[1000];
  const size_t length = InsertRenameEntry(ini.data(), ini.size(), path, out, capacity);
  return std::string(out, length);
}

TEST(RemovalRules, RenameEntryGoesFirstIntoTheRenameSection) {
  EXPECT_EQ("[rename]\r\nNUL=C:\\WINDOWS\\TEMP\\TEV1.TMP\r\n",
            Insert("", "C:\\WINDOWS\\TEMP\\TEV1.TMP"));
  EXPECT_EQ("[Other]\r\na=b\r\n[rename]\r\nNUL=C:\\T.TMP\r\n",
            Insert("[Other]\r\na=b\r\n", "C:\\T.TMP"));
  EXPECT_EQ("[Other]\r\na=b\r\n[rename]\r\nNUL=C:\\T.TMP\r\n",
            Insert("[Other]\r\na=b", "C:\\T.TMP"));  // no line break at the end
  // An existing section (any case) keeps its entries: "NUL=" may stand there many times.
  EXPECT_EQ("[a]\r\n [RENAME] \r\nNUL=C:\\T.TMP\r\nNUL=C:\\OLD.TMP\r\n[b]\r\n",
            Insert("[a]\r\n [RENAME] \r\nNUL=C:\\OLD.TMP\r\n[b]\r\n", "C:\\T.TMP"));
  EXPECT_EQ("[rename]\r\nNUL=C:\\T.TMP\r\n", Insert("[rename]", "C:\\T.TMP"));
  EXPECT_EQ("[renamed]\r\n[rename]\r\nNUL=C:\\T.TMP\r\n", Insert("[renamed]\r\n", "C:\\T.TMP"));
}

TEST(RemovalRules, RenameEntryThatDoesNotFitWritesNothing) {
  const std::string ini = "[rename]\r\n";
  const std::string whole = ini + "NUL=C:\\T.TMP\r\n";
  EXPECT_EQ(whole, Insert(ini, "C:\\T.TMP", whole.size() + 1));
  EXPECT_EQ("", Insert(ini, "C:\\T.TMP", whole.size()));
}

}  // namespace
