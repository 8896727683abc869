#include "uninstaller/uninstall_context.h"

#include "common/path_join.h"

UninstallContext gUninstall;

void NoteStayedPath(const char* path) {
  if (gUninstall.stayedPath[0] == '\0') {
    JoinPath(gUninstall.stayedPath, sizeof gUninstall.stayedPath, path, nullptr);
  }
}
