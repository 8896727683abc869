#include "partner/partner_key_rule.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

struct NameCase {
  const char* fileName;
  bool fromName;  // false: the key is to come from the registry
  const char* key;
};

// Reads the key of path into a 260-byte buffer filled with junk beforehand.
std::string ReadKey(const std::string& path, bool* fromName) {
  char key[260];
  std::fill(key, key + sizeof key, '#');
  *fromName = ReadPartnerKeyFromFileName(path.c_str(), key, sizeof key);
  return key;
}

void ExpectKeyOfName(const NameCase& example, const std::string& folder) {
  SCOPED_TRACE(folder + example.fileName);
  bool fromName = !example.fromName;
  EXPECT_EQ(example.key, ReadKey(folder + example.fileName, &fromName));
  EXPECT_EQ(example.fromName, fromName);
}

TEST(PartnerKeyRule, WorkedExamplesWithAndWithoutFolder) {
  const NameCase examples[] = {
      {"SETUP-abc123.exe", true, "abc123"},
      {"setup-Partner.EXE", true, "Partner"},
      {"SeTuP-MiXeD.Exe", true, "MiXeD"},
      {"SETUP-x.exe", true, "x"},
      {"SETUP-abc.exe", true, "abc"},
      {"SETUP-abcd.msi", true, "abcd"},   // the last four go, whatever they are
      {"SETUP-abcdefgh", true, "abcd"},
      {"SETUP-abcde", true, "a"},
      {"SETUP-abcd", true, ""},
      {"SETUP-.exe", true, ""},           // empty, and the registry is not read
      {"SETUP-", true, ""},               // not "SE": nothing follows the prefix
      {"SETUP-a&b<c>.exe", true, "a&b<c>"},
      {"SETUP-\xE9t\xE9.exe", true, "\xE9t\xE9"},  // other bytes stand as they are
      {"Setup.exe", false, ""},
      {"install-abc.exe", false, ""},
      {"SETUP.exe", false, ""},
      {"SETUP_abc.exe", false, ""},
      {"SETUP", false, ""},
      {"XSETUP-abc.exe", false, ""},
      {" SETUP-abc.exe", false, ""},
      {"", false, ""},
  };
  for (const NameCase& example : examples) {
    ExpectKeyOfName(example, "");
    ExpectKeyOfName(example, "C:\\Documents and Settings\\user\\Desktop\\");
    ExpectKeyOfName(example, "\\");
  }
}

// A second download, or Internet Explorer's cache, renames the copy; it keeps its partner. Only
// one marker of digits in matching brackets goes, and only with a character of key before it.
TEST(PartnerKeyRule, BrowserCopyMarkerIsDroppedOnceWhenKeyStaysBeforeIt) {
  const NameCase examples[] = {
      {"SETUP-abc (1).exe", true, "abc"},   // Chrome, Edge
      {"SETUP-abc(1).exe", true, "abc"},    // Firefox
      {"SETUP-abc[1].exe", true, "abc"},    // Internet Explorer's cache
      {"SETUP-abc [2].EXE", true, "abc"},
      {"setup-Abc (12).exe", true, "Abc"},
      {"SETUP-x(0).exe", true, "x"},
      {"SETUP-abc (1)(2).exe", true, "abc (1)"},  // one marker only
      {"SETUP-abc  (1).exe", true, "abc "},       // one blank only
      {"SETUP-abc(1) .exe", true, "abc(1) "},     // not at the end
      {"SETUP-abc (1)x.exe", true, "abc (1)x"},
      {"SETUP-a(b).exe", true, "a(b)"},
      {"SETUP-abc (x).exe", true, "abc (x)"},
      {"SETUP-abc ().exe", true, "abc ()"},
      {"SETUP-abc (1a).exe", true, "abc (1a)"},
      {"SETUP-abc(1].exe", true, "abc(1]"},
      {"SETUP-abc[1).exe", true, "abc[1)"},
      {"SETUP-abc {1}.exe", true, "abc {1}"},
      {"SETUP-abc (\xB9).exe", true, "abc (\xB9)"},  // Windows-1252's superscript one
      {"SETUP-(1).exe", true, "(1)"},      // nothing would stay
      {"SETUP- (1).exe", true, " (1)"},    // the blank is the marker's: nothing would stay
      {"SETUP-  (1).exe", true, " "},
      {"SETUP-[1].exe", true, "[1]"},
      {"SETUP-abc(1)", true, "ab"},        // the last four go first, whatever they are
      {"Setup (1).exe", false, ""},
      {"SETUP (1).exe", false, ""},
  };
  for (const NameCase& example : examples) {
    ExpectKeyOfName(example, "");
    ExpectKeyOfName(example, "C:\\Documents and Settings\\user\\Desktop\\");
  }
}

TEST(PartnerKeyRule, OnlyTheNameAfterTheLastBackslashCounts) {
  bool fromName = true;
  EXPECT_EQ("", ReadKey("C:\\SETUP-folder.tmp\\Setup.exe", &fromName));
  EXPECT_FALSE(fromName);
  EXPECT_EQ("abc", ReadKey("C:\\install\\x\\SETUP-abc.exe", &fromName));
  EXPECT_TRUE(fromName);
  EXPECT_EQ("", ReadKey("C:\\downloads\\SETUP-abc.exe\\", &fromName));  // empty name
  EXPECT_FALSE(fromName);
  EXPECT_EQ("", ReadKey("C:/downloads/SETUP-abc.exe", &fromName));  // "/" is no separator
  EXPECT_FALSE(fromName);
}

// Started by its short name, which has no long form to read: "~" and a digit give no key. The
// file name is found by characters: a double-byte one ending in 0x5C is part of it.
TEST(PartnerKeyRule, ShortNamesWithoutLongFormAndDoubleByteNames) {
  const LeadByteTest IsLeadByteOf932 = [](char c) { return c == '\x95'; };  // "\x95\x5C": one
  char key[260];
  EXPECT_FALSE(ReadPartnerKeyFromFileName("C:\\DOWNLO~1\\SETUP-~1.EXE", key, 260, nullptr, false));
  EXPECT_STREQ("", key);
  EXPECT_FALSE(ReadPartnerKeyFromFileName("SETUP-ab~12.exe", key, 260, nullptr, false));
  EXPECT_TRUE(ReadPartnerKeyFromFileName("SETUP-ab~12.exe", key, 260, nullptr, true));
  EXPECT_STREQ("ab~12", key);  // a long name may hold them
  EXPECT_TRUE(ReadPartnerKeyFromFileName("C:\\A~1\\SETUP-ab~x.exe", key, 260, nullptr, false));
  EXPECT_STREQ("ab~x", key);
  EXPECT_TRUE(ReadPartnerKeyFromFileName("SETUP-\x95~1.exe", key, 260, IsLeadByteOf932, false));
  EXPECT_STREQ("\x95~1", key);  // "\x95~" is one character, no "~"
  EXPECT_TRUE(ReadPartnerKeyFromFileName("C:\\\x95\x5C\\SETUP-\x95\x5C" "ab.exe", key, 260,
                                         IsLeadByteOf932));
  EXPECT_STREQ("\x95\x5C" "ab", key);
  EXPECT_FALSE(ReadPartnerKeyFromFileName("SETUP-\x95\x5C" "ab.exe", key, 260, nullptr));
}

TEST(PartnerKeyRule, PrefixFoldsOnlyAsciiLetters) {
  bool fromName = true;
  // 0xD3 is a capital letter in Windows-1252 and 0xF3 its small form: neither is "S".
  EXPECT_EQ("", ReadKey("\xD3" "ETUP-abc.exe", &fromName));
  EXPECT_FALSE(fromName);
  EXPECT_EQ("", ReadKey("SETUP\xAD" "abc.exe", &fromName));  // a soft hyphen is not "-"
  EXPECT_FALSE(fromName);
}

TEST(PartnerKeyRule, LongKeysAreCutToTheBufferAndNothingPastItIsWritten) {
  const std::string longKey(1000, 'k');
  const std::string path = "C:\\" + std::string("SETUP-") + longKey + ".exe";
  std::vector<char> key(300, '#');
  EXPECT_TRUE(ReadPartnerKeyFromFileName(path.c_str(), key.data(), 260));
  EXPECT_EQ(std::string(259, 'k'), std::string(key.data()));
  for (size_t i = 260; i < key.size(); ++i) ASSERT_EQ('#', key[i]) << i;

  // The marker is dropped from the whole name before the key is cut to the buffer.
  const std::string marked = "SETUP-" + std::string(258, 'm') + " (1).exe";
  EXPECT_TRUE(ReadPartnerKeyFromFileName(marked.c_str(), key.data(), 260));
  EXPECT_EQ(std::string(258, 'm'), std::string(key.data()));

  const std::string exact = "SETUP-" + std::string(259, 'e') + ".exe";
  EXPECT_TRUE(ReadPartnerKeyFromFileName(exact.c_str(), key.data(), 260));
  EXPECT_EQ(std::string(259, 'e'), std::string(key.data()));

  std::fill(key.begin(), key.end(), '#');
  EXPECT_TRUE(ReadPartnerKeyFromFileName("SETUP-abc.exe", key.data(), 1));
  EXPECT_EQ('\0', key[0]);
  EXPECT_EQ('#', key[1]);
  EXPECT_TRUE(ReadPartnerKeyFromFileName("SETUP-abc.exe", key.data(), 3));
  EXPECT_STREQ("ab", key.data());
  EXPECT_EQ('#', key[3]);

  std::fill(key.begin(), key.end(), '#');
  EXPECT_TRUE(ReadPartnerKeyFromFileName("SETUP-abc.exe", key.data(), 0));
  EXPECT_FALSE(ReadPartnerKeyFromFileName("Setup.exe", key.data(), 0));
  EXPECT_EQ('#', key[0]);  // a zero capacity is not written
}

}  // namespace
