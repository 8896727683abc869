#include "common/shell_link_file.h"

// IPersistFile takes the path in UTF-16: Windows 98 has no other conversion than this.
static HRESULT PersistShellLink(IShellLinkA* link, const char* linkPath, bool save) {
  IPersistFile* file = NULL;
  HRESULT status = link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file));
  if (FAILED(status)) return status;
  WCHAR widePath[MAX_PATH] = {};
  MultiByteToWideChar(CP_ACP, 0, linkPath, -1, widePath, MAX_PATH);
  status = save ? file->Save(widePath, TRUE) : file->Load(widePath, STGM_READ);
  file->Release();
  return status;
}

HRESULT SaveShellLinkFile(IShellLinkA* link, const char* linkPath) {
  return PersistShellLink(link, linkPath, true);
}

HRESULT LoadShellLinkFile(IShellLinkA* link, const char* linkPath) {
  return PersistShellLink(link, linkPath, false);
}
