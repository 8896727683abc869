#include "partner/partner_settings.h"

#include <shlobj.h>

#include "common/desktop_user.h"
#include "common/folders.h"
#include "common/path_join.h"
#include "common/product.h"
#include "common/product_data_folder.h"
#include "common/user_folders.h"
#include "partner/partner_key.h"
#include "partner/settings_document.h"
#include "setup/setup_context.h"
#include "ui/install_message.h"

// Converts the context's ANSI key to UTF-16 and builds the document from it. Returns its
// length, or 0 when the conversion failed.
static size_t BuildPartnerDocument(char* document, size_t capacity) {
  char16_t wideKey[MAX_PATH];
  const int units = MultiByteToWideChar(CP_ACP, 0, gSetup.partnerKey, -1,
                                        reinterpret_cast<LPWSTR>(wideKey), MAX_PATH);
  if (units <= 0) return 0;
  return BuildSettingsDocument(wideKey, units - 1, document, capacity);  // without the NUL
}

// Replaces the settings file with the document. Silent: a path that does not fit, a file that
// cannot be created or a short write leave the file unwritten or partly written. The old file
// is deleted and a new one made, never opened: it may be a hard link to a file of anybody's.
static void WriteSettingsFile(const char* appData, const char* document, size_t length) {
  char path[MAX_PATH];
  if (length == 0 || !JoinPath(path, sizeof path, appData, kProductFolder, kSettingsFileName)) {
    return;
  }
  DeleteFileA(path);
  // A symbolic link planted at the name after the delete is not followed: the create fails on
  // any name that exists, and the flag keeps a link from being opened as its target.
  HANDLE file = CreateFileA(path, GENERIC_WRITE, FILE_SHARE_WRITE, NULL, CREATE_NEW,
                            FILE_ATTRIBUTE_HIDDEN | FILE_FLAG_OPEN_REPARSE_POINT, NULL);
  if (file == INVALID_HANDLE_VALUE) return;
  DWORD written;
  WriteFile(file, document, static_cast<DWORD>(length), &written, NULL);
  CloseHandle(file);
}

// Makes the maker and product folders, each only inside a folder entered, and writes the file
// there. E_FAIL when the application-data folder cannot be found or a folder cannot be made
// (after the folder message); S_FALSE when a folder on the way is a link or cannot be held,
// where no file is written (the key is stored all the same).
static HRESULT WriteSettingsFolder(const char* document, size_t length) {
  char appData[MAX_PATH];
  if (!FindUserFolder(NULL, CSIDL_APPDATA, true, appData)) return E_FAIL;
  HeldFolders held = {};
  char failed[MAX_PATH];
  const DataFolderWalk walk = EnterProductDataFolders(&held, appData, CreateFolderBelow, failed);
  if (walk == kDataFoldersEntered) WriteSettingsFile(appData, document, length);
  if (walk == kDataFolderNotMade) ShowPathMessage(kCreateDirectoryFailedFormat, failed);
  LeaveFolders(&held);
  if (walk == kDataFolderNotMade) return E_FAIL;
  return walk == kDataFoldersEntered ? S_OK : S_FALSE;
}

HRESULT WritePartnerSettings() {
  char document[kSettingsDocumentCapacity];
  const size_t length = BuildPartnerDocument(document, sizeof document);
  // The file at the desktop user's rights, in that user's folder; the key, in HKLM, as the
  // installer.
  const bool impersonating = ImpersonateDesktopUser();
  const HRESULT written = WriteSettingsFolder(document, length);
  StopImpersonating(impersonating);
  if (FAILED(written)) return E_FAIL;
  SavePartnerKey();
  return S_OK;
}
