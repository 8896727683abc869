// The partner key as a release engineer and a user meet it: copies of the real SETUP.exe named
// SETUP-<key>.exe or not, installed to the end; then the settings document and the registry
// value are read back independently.
#include <gtest/gtest.h>

#include <shlobj.h>

#include <optional>
#include <string>

#include "tests/windows/installation.h"
#include "tests/windows/machine_state.h"
#include "tests/windows/setup_driver.h"
#include "ui/resource.h"

namespace {

using namespace setup_test;

constexpr char kPartnerKeyValue[] = "PartnerKey";

// "PartnerKey" as stored: its type and bytes. The installer writes it without a NUL. Wine, like
// NT, reports such a REG_SZ with one NUL added when the buffer has room ("xyz" comes back as four
// bytes); Windows 98 reports the three it was given. That NUL is dropped here, so that either way
// the bytes compare.
std::optional<RegistryValue> StoredPartnerKey() {
  auto value = ReadRegistryValue(HKEY_LOCAL_MACHINE, kProductKey, kPartnerKeyValue);
  if (value && value->type == REG_SZ && !value->data.empty() && value->data.back() == '\0') {
    value->data.pop_back();
  }
  return value;
}

// Stores a key the way the installer does: REG_SZ, data length = the key's length, no NUL.
void StorePartnerKeyWithoutNul(const std::string& key) {
  ASSERT_TRUE(WriteUnterminatedString(HKEY_LOCAL_MACHINE, kProductKey, "PartnerKey", key));
}

class PartnerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    RemoveInstallation();
    ASSERT_FALSE(DirectoryExists(ApplicationDataMakerFolder()));
    ASSERT_FALSE(ReadRegistryValues(HKEY_LOCAL_MACHINE, kMakerKey).has_value());
  }

  void TearDown() override { RemoveInstallation(); }

  // The settings file holds exactly document and carries the hidden attribute.
  static void ExpectSettingsFile(const std::string& document, Where where = Where::current()) {
    ::testing::ScopedTrace trace(where.file_name(), static_cast<int>(where.line()), "");
    const auto written = ReadFileBytes(SettingsFile());
    ASSERT_TRUE(written.has_value()) << SettingsFile();
    EXPECT_EQ(document, *written);
    const DWORD attributes = GetFileAttributesA(SettingsFile().c_str());
    EXPECT_NE(0u, attributes & FILE_ATTRIBUTE_HIDDEN) << "attributes " << attributes;
  }

  static void ExpectStoredKey(const std::string& key, Where where = Where::current()) {
    ::testing::ScopedTrace trace(where.file_name(), static_cast<int>(where.line()), "");
    const auto stored = StoredPartnerKey();
    ASSERT_TRUE(stored.has_value()) << "no PartnerKey";
    EXPECT_EQ(static_cast<DWORD>(REG_SZ), stored->type);
    EXPECT_EQ(key, stored->data);
  }
};

// The key of the file name reaches the hidden document and the registry; a later installer of
// another name takes the stored key and writes the same document again.
TEST_F(PartnerTest, KeyFromTheFileNameIsWrittenAndALaterSetupExeReusesIt) {
  ASSERT_EQ(208u, ExpectedSettingsDocument("abc").size());  // the 205 fixed bytes and abc
  InstallAs("SETUP-abc.exe");
  ExpectSettingsFile(ExpectedSettingsDocument("abc"));
  ExpectStoredKey("abc");

  ASSERT_TRUE(SetFileAttributesA(SettingsFile().c_str(), FILE_ATTRIBUTE_NORMAL));
  ASSERT_TRUE(DeleteFileA(SettingsFile().c_str()));
  InstallAs("Setup.exe");
  ExpectSettingsFile(ExpectedSettingsDocument("abc"));
  ExpectStoredKey("abc");
}

// A value stored without a NUL (as the installer itself stores it on Windows 98) is read back
// intact, with nothing after it.
TEST_F(PartnerTest, StoredKeyWithoutNulIsReadBackIntact) {
  StorePartnerKeyWithoutNul("xyz");
  InstallAs("Setup.exe");
  ExpectSettingsFile(ExpectedSettingsDocument("xyz"));
  ExpectStoredKey("xyz");
}

// "SETUP-.exe" names an empty key: the stored one is not read (had it been, the install would
// write it into a document), and nothing is written.
TEST_F(PartnerTest, EmptyKeyInTheFileNameReadsNothingAndWritesNothing) {
  StorePartnerKeyWithoutNul("stored");
  InstallAs("SETUP-.exe");
  EXPECT_FALSE(FileExists(SettingsFile()));
  EXPECT_FALSE(DirectoryExists(ApplicationDataMakerFolder()));
  ExpectStoredKey("stored");
}

TEST_F(PartnerTest, NewKeyReplacesBothAndAnEmptyOneThenLeavesBoth) {
  InstallAs("SETUP-abc.exe");
  ExpectSettingsFile(ExpectedSettingsDocument("abc"));
  InstallAs("SETUP-newkey.exe");
  ExpectSettingsFile(ExpectedSettingsDocument("newkey"));
  ExpectStoredKey("newkey");
  InstallAs("SETUP-.exe");
  ExpectSettingsFile(ExpectedSettingsDocument("newkey"));
  ExpectStoredKey("newkey");
}

// A settings file that is a hard link to another file is replaced, not written through.
TEST_F(PartnerTest, SettingsFileHardLinkedElsewhereIsReplacedAndTheOtherFileKept) {
  const std::string other = ScratchDirectory() + "\\other.txt";
  ASSERT_TRUE(WriteFileBytes(other, "not the installer's"));
  ASSERT_TRUE(CreateDirectoryA(ApplicationDataMakerFolder().c_str(), nullptr) &&
              CreateDirectoryA(ApplicationDataProductFolder().c_str(), nullptr) &&
              CreateHardLinkA(SettingsFile().c_str(), other.c_str(), nullptr));
  InstallAs("SETUP-abc.exe");
  ExpectSettingsFile(ExpectedSettingsDocument("abc"));
  EXPECT_EQ("not the installer's", ReadFileBytes(other).value_or(""));
}

// No key in the name and none stored: no document, no folder, no registry key of the maker.
TEST_F(PartnerTest, NoKeyAtAllWritesNeitherFileNorValue) {
  InstallAs("Setup.exe");
  EXPECT_FALSE(FileExists(SettingsFile()));
  EXPECT_FALSE(DirectoryExists(ApplicationDataMakerFolder()));
  EXPECT_FALSE(ReadRegistryValues(HKEY_LOCAL_MACHINE, kMakerKey).has_value());
}

// A second download of SETUP-abc.exe as Chrome or Edge, and Firefox name it, and Internet
// Explorer's cached copy, each installed on a clean machine, keep the partner: the name with
// its blank and brackets reaches the installer whole through the copy and CreateProcessA.
TEST_F(PartnerTest, BrowserRenamedCopiesKeepTheirKey) {
  for (const char* fileName : {"SETUP-abc (1).exe", "SETUP-abc(1).exe", "SETUP-abc[1].exe"}) {
    SCOPED_TRACE(fileName);
    InstallAs(fileName);
    ExpectSettingsFile(ExpectedSettingsDocument("abc"));
    ExpectStoredKey("abc");
    RemoveInstallation();
  }
}

// The case of the name is the key's; only the prefix ignores it.
TEST_F(PartnerTest, PrefixInAnyCaseGivesTheKeyInTheCaseOfTheName) {
  InstallAs("setup-Partner.EXE");
  ExpectSettingsFile(ExpectedSettingsDocument("Partner"));
  ExpectStoredKey("Partner");
}

// "&" and a Windows-1252 letter in the file name ("<" cannot stand in a file name): the document
// holds them escaped and as UTF-8, the registry the ANSI bytes.
TEST_F(PartnerTest, MarkupAndNonAsciiInTheFileNameAreEscapedAndConverted) {
  ASSERT_EQ(1252u, GetACP()) << "the key below is Windows-1252 text";
  InstallAs("SETUP-a&b\xE9.exe");
  ExpectSettingsFile(ExpectedSettingsDocument("a&amp;b\xC3\xA9"));
  ExpectStoredKey("a&b\xE9");
}

// "\u0141" lies outside code page 1252: no look-alike key ("Labc"); the stored key stays.
// Only the name counts: run from a desktop whose path has it (partner_test_user_name), the key.
TEST_F(PartnerTest, NameOutsideTheCodePageGivesNoKeyAndTheStoredOneStays) {
  ASSERT_EQ(1252u, GetACP());
  StorePartnerKeyWithoutNul("stored");
  SetupRun run(std::wstring(L"SETUP-\u0141abc.exe"));
  StartAndPressInstall(run, false);
  const auto thanks = run.WaitForMessageBox(kExpectedInstallerTitle);
  ASSERT_TRUE(thanks.has_value() && run.Dismiss(*thanks));
  ExpectSettingsFile(ExpectedSettingsDocument("stored"));
  ExpectStoredKey("stored");
  WCHAR desktop[MAX_PATH] = {};
  ASSERT_TRUE(SHGetSpecialFolderPathW(nullptr, desktop, CSIDL_DESKTOPDIRECTORY, FALSE));
  SetupRun fromDesktop(std::wstring(desktop) + L"\\SETUP-xyz.exe");
  StartAndPressInstall(fromDesktop, false);
  const auto thanksAgain = fromDesktop.WaitForMessageBox(kExpectedInstallerTitle);
  ASSERT_TRUE(thanksAgain.has_value() && fromDesktop.Dismiss(*thanksAgain));
  ExpectSettingsFile(ExpectedSettingsDocument("xyz"));
  ExpectStoredKey("xyz");
}

// "<" and ">" reach the key through the registry.
TEST_F(PartnerTest, MarkupAndNonAsciiInTheStoredKeyAreEscapedAndConverted) {
  ASSERT_EQ(1252u, GetACP()) << "the key below is Windows-1252 text";
  StorePartnerKeyWithoutNul("x<y>&\xE9");
  InstallAs("Setup.exe");
  ExpectSettingsFile(ExpectedSettingsDocument("x&lt;y&gt;&amp;\xC3\xA9"));
  ExpectStoredKey("x<y>&\xE9");
}

}  // namespace
