// What Windows reads about SETUP.exe and the uninstaller from their files: the application
// manifest, parsed by the system's own activation-context code, and the version block, read
// with the version functions.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <sstream>
#include <string>
#include <vector>

#include "common/product.h"
#include "tests/windows/machine_state.h"
#include "tests/windows/setup_driver.h"

namespace {

using setup_test::ReadResource;

// What the version block must say about a program of the product, written out here once more.
struct ExpectedIdentity {
  const char* description;
  const char* internalName;
  const char* fileName;
};
constexpr ExpectedIdentity kSetupIdentity = {"Quorvale Lumifold Installer", "SETUP", "SETUP.exe"};
constexpr ExpectedIdentity kUninstallerIdentity = {"Quorvale Lumifold Uninstaller",
                                                   "TevikUninstaller", "TevikUninstaller.exe"};

// Vista, 7, 8, 8.1 and 10/11, as the system names them.
const GUID kSupportedSystems[] = {
    {0xe2011457, 0x1546, 0x43c5, {0xa5, 0xfe, 0x00, 0x8d, 0xee, 0xe3, 0xd3, 0xf0}},
    {0x35138b9a, 0x5d96, 0x4fbd, {0x8e, 0x2d, 0xa2, 0x44, 0x02, 0x25, 0xf9, 0x3a}},
    {0x4a2f28e3, 0x53b9, 0x4441, {0xba, 0x9c, 0xd6, 0x9d, 0x4a, 0x4a, 0x6e, 0x38}},
    {0x1f676c76, 0x80e1, 0x4239, {0x95, 0xbb, 0x83, 0xd0, 0xf6, 0xd0, 0xda, 0x78}},
    {0x8e0f7a12, 0xbfb3, 0x4fe8, {0xb9, 0xa5, 0x48, 0xfd, 0x50, 0xa1, 0x5a, 0x9a}}};

// LUMIFOLD_VERSION, the build's version ("1.2" or "1.2.3.4"), as the fixed part's two DWORDs.
std::pair<DWORD, DWORD> BuildVersion(const std::string& text) {
  WORD parts[4] = {};
  std::istringstream numbers(text);
  std::string number;
  for (int i = 0; i < 4 && std::getline(numbers, number, '.'); ++i) parts[i] = std::stoi(number);
  return {MAKELONG(parts[1], parts[0]), MAKELONG(parts[3], parts[2])};
}

std::string VersionString(const std::vector<char>& block, const std::string& name) {
  char* value = nullptr;
  UINT length = 0;
  const std::string path = "\\StringFileInfo\\040904E4\\" + name;
  if (!VerQueryValueA(block.data(), path.c_str(), reinterpret_cast<void**>(&value), &length)) {
    return "(none)";
  }
  return std::string(value, length > 0 ? length - 1 : 0);  // length counts the NUL
}

void ExpectVersionBlock(const std::string& path, const ExpectedIdentity& expected) {
  const char* version = std::getenv("LUMIFOLD_VERSION");
  ASSERT_NE(version, nullptr) << "LUMIFOLD_VERSION is not set";
  std::vector<char> block(GetFileVersionInfoSizeA(path.c_str(), nullptr));
  ASSERT_FALSE(block.empty()) << "no version block in " << path;
  ASSERT_TRUE(GetFileVersionInfoA(path.c_str(), 0, block.size(), block.data()));

  VS_FIXEDFILEINFO* fixed = nullptr;
  UINT length = 0;
  ASSERT_TRUE(VerQueryValueA(block.data(), "\\", reinterpret_cast<void**>(&fixed), &length));
  EXPECT_EQ(fixed->dwSignature, 0xFEEF04BDu);
  const auto [high, low] = BuildVersion(version);
  EXPECT_EQ(fixed->dwFileVersionMS, high) << std::hex << fixed->dwFileVersionMS;
  EXPECT_EQ(fixed->dwFileVersionLS, low) << std::hex << fixed->dwFileVersionLS;
  EXPECT_EQ(fixed->dwProductVersionMS, high);
  EXPECT_EQ(fixed->dwProductVersionLS, low);
  EXPECT_EQ(fixed->dwFileFlags & fixed->dwFileFlagsMask, 0u);  // no debug or pre-release build
  EXPECT_EQ(fixed->dwFileOS, static_cast<DWORD>(VOS__WINDOWS32));
  EXPECT_EQ(fixed->dwFileType, static_cast<DWORD>(VFT_APP));

  WORD* translation = nullptr;
  ASSERT_TRUE(VerQueryValueA(block.data(), "\\VarFileInfo\\Translation",
                             reinterpret_cast<void**>(&translation), &length));
  ASSERT_EQ(length, 4u);
  EXPECT_EQ(translation[0], 0x0409) << "language";
  EXPECT_EQ(translation[1], 1252) << "code page";

  EXPECT_EQ(VersionString(block, "CompanyName"), "Quorvale, Inc.");
  EXPECT_EQ(VersionString(block, "CompanyName"), kPublisher);
  EXPECT_EQ(VersionString(block, "ProductName"), "Quorvale Lumifold");
  EXPECT_EQ(VersionString(block, "ProductName"), kProductDisplayName);
  EXPECT_EQ(VersionString(block, "FileDescription"), expected.description);
  EXPECT_EQ(VersionString(block, "InternalName"), expected.internalName);
  EXPECT_EQ(VersionString(block, "OriginalFilename"), expected.fileName);
  EXPECT_NE(VersionString(block, "LegalCopyright").find("Quorvale, Inc."), std::string::npos);
  EXPECT_EQ(VersionString(block, "FileVersion"), version);
  EXPECT_EQ(VersionString(block, "ProductVersion"), version);
}

// Windows XP refuses a program whose manifest declares a second namespace on trustInfo (XP SP2
// may even restart) or whose windowsSettings lack the asmv3 prefix; later systems and Wine
// accept both, so this is read from the text.
void ExpectManifestInTheFormXpAccepts(const std::string& manifest) {
  const size_t trustInfo = manifest.find("<trustInfo ");
  ASSERT_NE(trustInfo, std::string::npos) << manifest;
  const size_t end = manifest.find('>', trustInfo);
  const std::string startTag = manifest.substr(trustInfo, end - trustInfo);
  EXPECT_EQ(startTag, "<trustInfo xmlns=\"urn:schemas-microsoft-com:asm.v3\"");
  EXPECT_NE(manifest.find("<asmv3:application xmlns:asmv3=\"urn:schemas-microsoft-com:asm.v3\">"
                          "<asmv3:windowsSettings "),
            std::string::npos)
      << manifest;
}

// The activation context that the system makes from the manifest: it cannot be made at all when
// the Common Controls dependency names no installed assembly.
void ExpectManifestAsTheSystemReadsIt(const std::string& path) {
  ACTCTXA request = {};
  request.cbSize = sizeof request;
  request.dwFlags = ACTCTX_FLAG_RESOURCE_NAME_VALID;
  request.lpSource = path.c_str();
  request.lpResourceName = MAKEINTRESOURCEA(1);
  HANDLE context = CreateActCtxA(&request);
  ASSERT_NE(context, INVALID_HANDLE_VALUE) << "error " << GetLastError();

  ACTIVATION_CONTEXT_RUN_LEVEL_INFORMATION runLevel = {};
  EXPECT_TRUE(QueryActCtxW(0, context, nullptr, RunlevelInformationInActivationContext,
                           &runLevel, sizeof runLevel, nullptr));
  EXPECT_EQ(runLevel.RunLevel, ACTCTX_RUN_LEVEL_REQUIRE_ADMIN);
  EXPECT_EQ(runLevel.UiAccess, 0u);

  // The elements' size differs between systems (later ones add a version field): found by value.
  char compatibility[1024] = {};
  EXPECT_TRUE(QueryActCtxW(0, context, nullptr, CompatibilityInformationInActivationContext,
                           compatibility, sizeof compatibility, nullptr));
  EXPECT_EQ(*reinterpret_cast<DWORD*>(compatibility), 5u) << "supported systems";
  for (const GUID& system : kSupportedSystems) {
    EXPECT_NE(std::search(compatibility, compatibility + sizeof compatibility,
                          reinterpret_cast<const char*>(&system),
                          reinterpret_cast<const char*>(&system) + sizeof system),
              compatibility + sizeof compatibility)
        << std::hex << system.Data1;
  }

  char detail[4096] = {};  // the structure, then its strings
  EXPECT_TRUE(QueryActCtxW(0, context, nullptr, ActivationContextDetailedInformation, detail,
                           sizeof detail, nullptr));
  EXPECT_EQ(reinterpret_cast<ACTIVATION_CONTEXT_DETAILED_INFORMATION*>(detail)->ulAssemblyCount,
            2u)
      << "the program and Common Controls";
  DWORD index = 2;
  char assembly[4096] = {};
  ASSERT_TRUE(QueryActCtxW(0, context, &index, AssemblyDetailedInformationInActivationContext,
                           assembly, sizeof assembly, nullptr));
  const std::wstring identity(
      reinterpret_cast<ACTIVATION_CONTEXT_ASSEMBLY_DETAILED_INFORMATION*>(assembly)
          ->lpAssemblyEncodedAssemblyIdentity);
  EXPECT_EQ(identity.rfind(L"Microsoft.Windows.Common-Controls,", 0), 0u);
  EXPECT_NE(identity.find(L"publicKeyToken=\"6595b64144ccf1df\""), std::wstring::npos);
  EXPECT_NE(identity.find(L"version=\"6.0."), std::wstring::npos);

  WCHAR dpiAware[16] = {};
  EXPECT_TRUE(QueryActCtxSettingsW(0, context, nullptr, L"dpiAware", dpiAware, 16, nullptr));
  EXPECT_STREQ(dpiAware, L"true");
  ReleaseActCtx(context);
}

void ExpectManifest(const std::string& path) {
  const auto manifest = ReadResource(path, MAKEINTRESOURCEA(24), 1);
  ASSERT_TRUE(manifest.has_value()) << "no manifest in " << path;
  ExpectManifestInTheFormXpAccepts(*manifest);
  ExpectManifestAsTheSystemReadsIt(path);
}

TEST(ProgramIdentityTest, SetupCarriesTheVersionBlock) {
  ExpectVersionBlock(setup_test::SetupExecutablePath(), kSetupIdentity);
}

TEST(ProgramIdentityTest, SetupCarriesTheManifest) {
  ExpectManifest(setup_test::SetupExecutablePath());
}

TEST(ProgramIdentityTest, UninstallerCarriesTheManifestAndTheVersionBlock) {
  const char* uninstaller = std::getenv("LUMIFOLD_OWN_UNINSTALLER_EXE");
  if (uninstaller == nullptr) GTEST_SKIP() << "the build packs the uninstaller given by LUMIFOLD_UNINSTALLER";
  const std::string path = setup_test::WindowsPathOf(uninstaller);
  ExpectVersionBlock(path, kUninstallerIdentity);
  ExpectManifest(path);
}

}  // namespace
