#include "tests/windows/machine_state.h"

#include <gtest/gtest.h>
#include <shlobj.h>

#include <cstdlib>
#include <vector>

#include "tests/windows/window_queries.h"

namespace setup_test {
namespace {

BOOL CALLBACK RememberLanguage(HMODULE, LPCSTR, LPCSTR, WORD language, LONG_PTR found) {
  *reinterpret_cast<std::optional<WORD>*>(found) = language;
  return FALSE;
}

}  // namespace

std::string WindowsPathOf(const std::string& path) {
  if (path.empty() || path[0] != '/') return path;
  using DosFileNameFunction = WCHAR*(CDECL*)(const char*);
  auto toDos = reinterpret_cast<DosFileNameFunction>(reinterpret_cast<void*>(
      GetProcAddress(GetModuleHandleA("kernel32.dll"), "wine_get_dos_file_name")));
  if (toDos == nullptr) return std::string();
  WCHAR* wide = toDos(path.c_str());
  if (wide == nullptr) return std::string();
  char narrow[MAX_PATH * 2] = {};
  WideCharToMultiByte(CP_ACP, 0, wide, -1, narrow, sizeof narrow, nullptr, nullptr);
  HeapFree(GetProcessHeap(), 0, wide);
  return narrow;
}

std::optional<std::string> ReadFileBytes(const std::string& path) {
  HANDLE file = CreateFileW(LongPathForm(path).c_str(), GENERIC_READ,
                            FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return std::nullopt;
  std::string bytes(GetFileSize(file, nullptr), '\0');
  DWORD read = 0;
  const BOOL ok = bytes.empty() ||
                  ReadFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr);
  CloseHandle(file);
  if (!ok || read != bytes.size()) return std::nullopt;
  return bytes;
}

bool WriteFileBytes(const std::string& path, const std::string& bytes, DWORD attributes) {
  HANDLE file = CreateFileW(LongPathForm(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                            attributes, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  DWORD written = 0;
  const BOOL ok = WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
  CloseHandle(file);
  return ok && written == bytes.size();
}

bool FileExists(const std::string& path) {
  const DWORD attributes = GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool DirectoryExists(const std::string& path) {
  const DWORD attributes = GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

std::wstring LongPathForm(const std::string& ansiPath) {
  std::wstring wide(ansiPath.size(), L'\0');
  const int length = MultiByteToWideChar(CP_ACP, 0, ansiPath.data(),
                                         static_cast<int>(ansiPath.size()), wide.data(),
                                         static_cast<int>(wide.size()));
  wide.resize(length);
  return L"\\\\?\\" + wide;
}

namespace {

void RemoveWideTree(const std::wstring& path) {
  WIN32_FIND_DATAW entry;
  HANDLE search = FindFirstFileW((path + L"\\*").c_str(), &entry);
  if (search != INVALID_HANDLE_VALUE) {
    do {
      const std::wstring name = entry.cFileName;
      if (name == L"." || name == L"..") continue;
      const std::wstring child = path + L"\\" + name;
      SetFileAttributesW(child.c_str(), FILE_ATTRIBUTE_NORMAL);
      if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
        RemoveWideTree(child);
      } else {
        DeleteFileW(child.c_str());
      }
    } while (FindNextFileW(search, &entry));
    FindClose(search);
  }
  SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
  if (!RemoveDirectoryW(path.c_str())) DeleteFileW(path.c_str());
}

}  // namespace

void RemoveTree(const std::string& path) { RemoveWideTree(LongPathForm(path)); }

std::string PayloadOriginal(const char* variable) {
  const char* path = std::getenv(variable);
  if (path == nullptr) return std::string();
  return ReadFileBytes(WindowsPathOf(path)).value_or(std::string());
}

std::string SystemDirectory() {
  char directory[MAX_PATH] = {};
  GetSystemDirectoryA(directory, sizeof directory);
  return directory;
}

bool IsWow64() {
  BOOL wow64 = FALSE;
  return IsWow64Process(GetCurrentProcess(), &wow64) && wow64;
}

std::string NativeSystemDirectory() {
  if (!IsWow64()) return SystemDirectory();
  char windows[MAX_PATH] = {};
  GetWindowsDirectoryA(windows, sizeof windows);
  return std::string(windows) + "\\sysnative";
}

SystemProgram::SystemProgram(const std::string& program, const std::string& arguments) {
  char temporary[MAX_PATH] = {};
  GetTempPathA(sizeof temporary, temporary);
  char outputPath[MAX_PATH] = {};
  GetTempFileNameA(temporary, "out", 0, outputPath);
  outputPath_ = outputPath;
  SECURITY_ATTRIBUTES inherited = {sizeof inherited, nullptr, TRUE};
  HANDLE output = CreateFileA(outputPath, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              &inherited, CREATE_ALWAYS, 0, nullptr);
  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdOutput = output;
  startup.hStdError = output;
  std::string commandLine =
      "\"" + NativeSystemDirectory() + "\\" + program + "\" " + arguments;
  if (!CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr,
                      &startup, &process_)) {
    ADD_FAILURE() << "cannot start " << commandLine << ": error " << GetLastError();
    process_ = {};
  }
  CloseHandle(output);
}

SystemProgram::~SystemProgram() {
  if (IsRunning()) {
    TerminateProcess(process_.hProcess, 1);
    WaitForSingleObject(process_.hProcess, TimeScaled(5000));
  }
  if (process_.hProcess != nullptr) CloseHandle(process_.hProcess);
  if (process_.hThread != nullptr) CloseHandle(process_.hThread);
  DeleteFileA(outputPath_.c_str());
}

bool SystemProgram::IsRunning() const {
  return process_.hProcess != nullptr && WaitForSingleObject(process_.hProcess, 0) == WAIT_TIMEOUT;
}

std::optional<DWORD> WaitForProcess(HANDLE process, DWORD timeoutMs) {
  DWORD exitCode = 0;
  if (process == nullptr || WaitForSingleObject(process, timeoutMs) != WAIT_OBJECT_0 ||
      !GetExitCodeProcess(process, &exitCode)) {
    return std::nullopt;
  }
  return exitCode;
}

std::optional<DWORD> SystemProgram::WaitForExit(DWORD timeoutMs) {
  return WaitForProcess(process_.hProcess, timeoutMs);
}

std::string SystemProgram::Output() const { return ReadFileBytes(outputPath_).value_or(""); }

std::string SpecialFolder(int csidl) {
  wchar_t wide[MAX_PATH] = {};
  SHGetSpecialFolderPathW(nullptr, wide, csidl, TRUE);
  char folder[MAX_PATH] = {};
  BOOL inexact = FALSE;
  WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide, -1, folder, MAX_PATH, nullptr, &inexact);
  if (inexact && GetShortPathNameW(wide, wide, MAX_PATH) != 0)
    WideCharToMultiByte(CP_ACP, 0, wide, -1, folder, MAX_PATH, nullptr, nullptr);
  return folder;
}

std::optional<LinkView> ReadShellLink(const std::string& linkPath) {
  CoInitialize(nullptr);
  std::optional<LinkView> view;
  IShellLinkA* link = nullptr;
  IPersistFile* file = nullptr;
  if (SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                 reinterpret_cast<void**>(&link))) &&
      SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file)))) {
    WCHAR widePath[MAX_PATH] = {};
    MultiByteToWideChar(CP_ACP, 0, linkPath.c_str(), -1, widePath, MAX_PATH);
    char target[MAX_PATH] = {}, description[MAX_PATH] = {};
    if (SUCCEEDED(file->Load(widePath, STGM_READ)) &&
        SUCCEEDED(link->GetPath(target, MAX_PATH, nullptr, SLGP_RAWPATH)) &&
        SUCCEEDED(link->GetDescription(description, MAX_PATH))) {
      view = LinkView{target, description};
    }
  }
  if (file != nullptr) file->Release();
  if (link != nullptr) link->Release();
  CoUninitialize();
  return view;
}

bool WriteShellLink(const std::string& linkPath, const std::string& target) {
  CoInitialize(nullptr);
  bool saved = false;
  IShellLinkA* link = nullptr;
  IPersistFile* file = nullptr;
  if (SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                 reinterpret_cast<void**>(&link))) &&
      SUCCEEDED(link->SetPath(target.c_str())) &&
      SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file)))) {
    WCHAR widePath[MAX_PATH] = {};
    MultiByteToWideChar(CP_ACP, 0, linkPath.c_str(), -1, widePath, MAX_PATH);
    saved = SUCCEEDED(file->Save(widePath, TRUE));
  }
  if (file != nullptr) file->Release();
  if (link != nullptr) link->Release();
  CoUninitialize();
  return saved;
}

int CountFiles(const std::string& folder, const std::string& pattern) {
  WIN32_FIND_DATAA entry;
  HANDLE search = FindFirstFileA((folder + "\\" + pattern).c_str(), &entry);
  if (search == INVALID_HANDLE_VALUE) return 0;
  int count = 0;
  do {
    if (!(entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) ++count;
  } while (FindNextFileA(search, &entry));
  FindClose(search);
  return count;
}

std::optional<std::map<std::string, RegistryValue>> ReadRegistryValues(HKEY root,
                                                                       const std::string& key) {
  HKEY opened;
  if (RegOpenKeyExA(root, key.c_str(), 0, KEY_READ, &opened) != ERROR_SUCCESS) return std::nullopt;
  std::map<std::string, RegistryValue> values;
  for (DWORD index = 0;; ++index) {
    char name[16384];
    DWORD nameLength = sizeof name;
    std::vector<BYTE> data(65536);
    DWORD dataLength = static_cast<DWORD>(data.size());
    DWORD type = REG_NONE;
    if (RegEnumValueA(opened, index, name, &nameLength, nullptr, &type, data.data(),
                      &dataLength) != ERROR_SUCCESS) {
      break;
    }
    values[name] = RegistryValue{type, std::string(data.begin(), data.begin() + dataLength)};
  }
  RegCloseKey(opened);
  return values;
}

std::optional<RegistryValue> ReadRegistryValue(HKEY root, const std::string& key,
                                               const std::string& name) {
  HKEY opened;
  if (RegOpenKeyExA(root, key.c_str(), 0, KEY_READ, &opened) != ERROR_SUCCESS) return std::nullopt;
  std::vector<BYTE> data(65536);
  DWORD dataLength = static_cast<DWORD>(data.size());
  DWORD type = REG_NONE;
  const LONG status =
      RegQueryValueExA(opened, name.c_str(), nullptr, &type, data.data(), &dataLength);
  RegCloseKey(opened);
  if (status != ERROR_SUCCESS) return std::nullopt;
  return RegistryValue{type, std::string(data.begin(), data.begin() + dataLength)};
}

bool WriteRegistryValue(HKEY root, const std::string& key, const std::string& name,
                        const RegistryValue& value) {
  HKEY opened;
  if (RegCreateKeyExA(root, key.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &opened, nullptr) !=
      ERROR_SUCCESS) {
    return false;
  }
  const LONG status =
      RegSetValueExA(opened, name.c_str(), 0, value.type,
                     reinterpret_cast<const BYTE*>(value.data.data()),
                     static_cast<DWORD>(value.data.size()));
  RegCloseKey(opened);
  return status == ERROR_SUCCESS;
}

bool WriteUnterminatedString(HKEY root, const std::string& key, const std::string& name,
                             const std::string& text) {
  const std::string followed = text + 'X';
  HKEY opened;
  if (RegCreateKeyA(root, key.c_str(), &opened) != ERROR_SUCCESS) return false;
  const LONG status = RegSetValueExA(opened, name.c_str(), 0, REG_SZ,
                                     reinterpret_cast<const BYTE*>(followed.data()),
                                     static_cast<DWORD>(text.size()));
  RegCloseKey(opened);
  return status == ERROR_SUCCESS;
}

void DeleteRegistryTree(HKEY root, const std::string& key) {
  HKEY opened;
  if (RegOpenKeyExA(root, key.c_str(), 0, KEY_ALL_ACCESS, &opened) != ERROR_SUCCESS) return;
  char child[256];
  while (RegEnumKeyA(opened, 0, child, sizeof child) == ERROR_SUCCESS) {
    DeleteRegistryTree(opened, child);
  }
  RegCloseKey(opened);
  RegDeleteKeyA(root, key.c_str());
}

RegistryValue StringValue(const std::string& text) { return RegistryValue{REG_SZ, text}; }

RegistryValue DwordValue(DWORD value) {
  return RegistryValue{REG_DWORD, std::string(reinterpret_cast<const char*>(&value), sizeof value)};
}

RegistryValueOverride::RegistryValueOverride(HKEY root, std::string key, std::string name,
                                             const RegistryValue& value)
    : root_(root), key_(std::move(key)), name_(std::move(name)) {
  previous_ = ReadRegistryValue(root_, key_, name_);
  WriteRegistryValue(root_, key_, name_, value);
}

// An identification token, as Windows gives the linked one, made a primary token to start with.
static HANDLE OpenLimitedPrimaryToken() {
  HANDLE own = nullptr;
  HANDLE primary = nullptr;
  TOKEN_LINKED_TOKEN linked = {};
  DWORD size = 0;
  const bool found = OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &own) &&
                     GetTokenInformation(own, TokenLinkedToken, &linked, sizeof linked, &size);
  if (own != nullptr) CloseHandle(own);
  if (!found) return nullptr;
  DuplicateTokenEx(linked.LinkedToken, MAXIMUM_ALLOWED, nullptr, SecurityImpersonation,
                   TokenPrimary, &primary);
  CloseHandle(linked.LinkedToken);
  return primary;
}

UserShell::UserShell() {
  const HANDLE token = OpenLimitedPrimaryToken();
  std::string line = SystemDirectory() + "\\notepad.exe";
  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  const bool started = token != nullptr &&
                       CreateProcessAsUserA(token, nullptr, line.data(), nullptr, nullptr, FALSE,
                                            0, nullptr, nullptr, &startup, &process_);
  if (token != nullptr) CloseHandle(token);
  if (!started) return;
  const auto setShellWindow = reinterpret_cast<BOOL(WINAPI*)(HWND)>(reinterpret_cast<void*>(
      GetProcAddress(GetModuleHandleA("user32.dll"), "SetShellWindow")));
  HWND found = nullptr;
  WaitUntil([&] { return (found = FindWindowA("Notepad", nullptr)) != nullptr; }, 15000);
  if (found != nullptr && setShellWindow(found) && GetShellWindow() == found) window_ = found;
}

UserShell::~UserShell() {
  if (process_.hProcess == nullptr) return;
  TerminateProcess(process_.hProcess, 0);
  WaitForSingleObject(process_.hProcess, 10000);
  CloseHandle(process_.hThread);
  CloseHandle(process_.hProcess);
  WaitUntil([] { return GetShellWindow() == nullptr; }, 5000);
}

RegistryValueOverride::~RegistryValueOverride() {
  if (previous_) {
    WriteRegistryValue(root_, key_, name_, *previous_);
    return;
  }
  HKEY opened;
  if (RegOpenKeyExA(root_, key_.c_str(), 0, KEY_WRITE, &opened) != ERROR_SUCCESS) return;
  RegDeleteValueA(opened, name_.c_str());
  RegCloseKey(opened);
}

std::optional<std::string> ReadResource(const std::string& module, LPCSTR type, int id) {
  HMODULE image = LoadLibraryExA(module.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
  if (image == nullptr) return std::nullopt;
  std::optional<std::string> bytes;
  HRSRC found = FindResourceA(image, MAKEINTRESOURCEA(id), type);
  HGLOBAL loaded = found == nullptr ? nullptr : LoadResource(image, found);
  const char* data = loaded == nullptr ? nullptr : static_cast<const char*>(LockResource(loaded));
  if (data != nullptr) bytes = std::string(data, SizeofResource(image, found));
  FreeLibrary(image);
  return bytes;
}

bool ReplaceRcdataResource(const std::string& module, int id, const std::string& bytes) {
  std::optional<WORD> language;
  HMODULE image = LoadLibraryExA(module.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
  if (image == nullptr) return false;
  EnumResourceLanguagesA(image, RT_RCDATA, MAKEINTRESOURCEA(id), RememberLanguage,
                         reinterpret_cast<LONG_PTR>(&language));
  FreeLibrary(image);
  if (!language) return false;
  HANDLE update = BeginUpdateResourceA(module.c_str(), FALSE);
  if (update == nullptr) return false;
  const BOOL updated = UpdateResourceA(update, RT_RCDATA, MAKEINTRESOURCEA(id), *language,
                                       const_cast<char*>(bytes.data()),
                                       static_cast<DWORD>(bytes.size()));
  return EndUpdateResourceA(update, !updated) && updated;
}

namespace {

struct Resource {
  LPCSTR type;  // integer ids only: the installer's resources have no names
  LPCSTR name;
  WORD language;
  std::string bytes;
};

struct ResourceList {
  HMODULE image;
  std::vector<Resource>* resources;
};

BOOL CALLBACK CollectLanguage(HMODULE image, LPCSTR type, LPCSTR name, WORD language,
                              LONG_PTR list) {
  HRSRC found = FindResourceExA(image, type, name, language);
  const char* data = static_cast<const char*>(LockResource(LoadResource(image, found)));
  reinterpret_cast<std::vector<Resource>*>(list)->push_back(
      Resource{type, name, language, std::string(data, SizeofResource(image, found))});
  return TRUE;
}

BOOL CALLBACK CollectName(HMODULE image, LPCSTR type, LPSTR name, LONG_PTR list) {
  EnumResourceLanguagesA(image, type, name, CollectLanguage, list);
  return TRUE;
}

BOOL CALLBACK CollectType(HMODULE image, LPSTR type, LONG_PTR list) {
  EnumResourceNamesA(image, type, CollectName, list);
  return TRUE;
}

}  // namespace

// Rewrites the file's resources from scratch without the one: a deletion through
// UpdateResourceA with no data is not honoured everywhere.
bool RemoveRcdataResource(const std::string& module, int id) {
  std::vector<Resource> resources;
  HMODULE image = LoadLibraryExA(module.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
  if (image == nullptr) return false;
  EnumResourceTypesA(image, CollectType, reinterpret_cast<LONG_PTR>(&resources));
  FreeLibrary(image);
  HANDLE update = BeginUpdateResourceA(module.c_str(), TRUE);
  if (update == nullptr) return false;
  bool updated = !resources.empty();
  for (Resource& resource : resources) {
    if (resource.type == RT_RCDATA && resource.name == MAKEINTRESOURCEA(id)) continue;
    updated = updated && UpdateResourceA(update, resource.type, resource.name, resource.language,
                                         resource.bytes.data(),
                                         static_cast<DWORD>(resource.bytes.size()));
  }
  return EndUpdateResourceA(update, !updated) && updated;
}

}  // namespace setup_test
