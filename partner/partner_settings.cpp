#include "partner/partner_settings.h"

#include <shlobj.h>

#include "common/folders.h"
#include "common/path_join.h"
#include "common/product.h"
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
// cannot be created or a short write leave the file unwritten or partly written.
static void WriteSettingsFile(const char* appData, const char* document, size_t length) {
  char path[MAX_PATH];
  if (length == 0 || !JoinPath(path, sizeof path, appData, kProductFolder, kSettingsFileName)) {
    return;
  }
  HANDLE file = CreateFileA(path, GENERIC_WRITE, FILE_SHARE_WRITE, NULL, CREATE_ALWAYS,
                            FILE_ATTRIBUTE_HIDDEN, NULL);
  if (file == INVALID_HANDLE_VALUE) return;
  DWORD written;
  WriteFile(file, document, static_cast<DWORD>(length), &written, NULL);
  CloseHandle(file);
}

HRESULT WritePartnerSettings() {
  char document[kSettingsDocumentCapacity];
  const size_t length = BuildPartnerDocument(document, sizeof document);
  char appData[MAX_PATH];
  if (!SHGetSpecialFolderPathA(NULL, appData, CSIDL_APPDATA, TRUE)) return E_FAIL;
  char folder[MAX_PATH];
  if (!CreateFolderBelow(appData, kMakerFolder, folder) ||
      !CreateFolderBelow(appData, kProductFolder, folder)) {
    ShowPathMessage(kCreateDirectoryFailedFormat, folder);
    return E_FAIL;
  }
  WriteSettingsFile(appData, document, length);
  SavePartnerKey();
  return S_OK;
}
