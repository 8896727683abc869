#include "install/uninstall_command.h"

#include <cstring>

#include "setup/path_join.h"
#include "setup/product.h"

bool FormatUninstallCommand(char* out, size_t capacity, const char* systemDirectory) {
  char path[260];
  if (!JoinPath(path, sizeof path, systemDirectory, kUninstallerFileName)) return false;
  if (std::strchr(path, ' ') == nullptr) return JoinPath(out, capacity, path, nullptr);
  return JoinPath(out, capacity, "\"", path, "\"");
}
