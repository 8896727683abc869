#include "install/uninstall_command.h"

#include <cstring>

#include "common/path_join.h"

bool FormatUninstallCommand(char* out, size_t capacity, const char* uninstallerPath) {
  if (std::strchr(uninstallerPath, ' ') == nullptr) {
    return JoinPath(out, capacity, uninstallerPath, nullptr);
  }
  return JoinPath(out, capacity, "\"", uninstallerPath, "\"");
}
