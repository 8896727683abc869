// The install directory: the maker and product folders under Program Files.
#include "common/folders.h"
#include "common/install_directory.h"
#include "common/path_join.h"
#include "common/product.h"
#include "common/registry_string.h"
#include "common/user_folders.h"
#include "install/install.h"
#include "ui/install_message.h"

static const char kCurrentVersionKey[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion";

static LONG RefuseFolder(const char* path) {
  ShowPathMessage(kCreateDirectoryFailedFormat, path);
  return E_FAIL;
}

// An install directory that the uninstaller would not trust (a relative "ProgramFilesDir", one
// with "." or ".." folders) is refused before anything is made: it could never be removed.
LONG ResolveInstallDirectory(char* directory) {
  const LONG status = ReadMachineString(kCurrentVersionKey, "ProgramFilesDir", directory);
  if (status != ERROR_SUCCESS) return status;
  char makerFolder[MAX_PATH];
  char productFolder[MAX_PATH];
  if (!JoinBelowFolder(makerFolder, sizeof makerFolder, directory, kMakerFolder, IsAnsiLeadByte)) {
    return RefuseFolder(makerFolder);
  }
  // A product folder too long to name is refused once the maker folder is made, as any folder
  // that cannot be made: the message names the path as far as it fits.
  const bool fits = JoinBelowFolder(productFolder, sizeof productFolder, directory, kProductFolder,
                                    IsAnsiLeadByte);
  if (fits && !IsTrustedInstallPath(productFolder)) return RefuseFolder(productFolder);
  if (!MakeFolder(makerFolder)) return RefuseFolder(makerFolder);
  if (!fits || !MakeFolder(productFolder)) return RefuseFolder(productFolder);
  lstrcpyA(directory, productFolder);
  return ERROR_SUCCESS;
}
