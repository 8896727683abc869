// Independent reads and set-ups of the machine that an installer run changes: files, folders,
// registry values, shell links and the resources of an installer copy. Used before a run to put
// the machine in a known state and after it to check what the run did.
#pragma once

#include <windows.h>

#include <map>
#include <optional>
#include <string>

namespace setup_test {

// The whole content of a file, or nothing when it cannot be read. Both take paths of any
// length (see LongPathForm).
std::optional<std::string> ReadFileBytes(const std::string& path);
bool WriteFileBytes(const std::string& path, const std::string& bytes, DWORD attributes = 0);
bool FileExists(const std::string& path);
bool DirectoryExists(const std::string& path);

// An ANSI path in the wide "\\?\" form, which reaches paths of any length: the ANSI functions
// stop at 259 characters, under Wine as on Windows.
std::wstring LongPathForm(const std::string& ansiPath);

// Deletes a folder with everything in it, or a file (attributes cleared first), whatever the
// length of the paths; quiet when it is missing.
void RemoveTree(const std::string& path);

// A Unix path (as the test command passes them) in the form Wine shows it to Windows programs;
// a Windows path unchanged.
std::string WindowsPathOf(const std::string& path);

// The bytes of a program that the build packed into the installer, named by an environment
// variable that holds its Unix or Windows path (LUMIFOLD_APPLICATION_EXE, ...).
std::string PayloadOriginal(const char* variable);

std::string SystemDirectory();
// True when this 32-bit program runs under WOW64 (a 64-bit prefix or Windows).
bool IsWow64();
// The folder of the system's own native programs as this program reaches it: under WOW64 the
// 64-bit system32, which 32-bit programs reach as C:\windows\sysnative; else the system folder.
std::string NativeSystemDirectory();

// The exit code of the process once it ends within timeoutMs; nothing when it does not (or
// process is null).
std::optional<DWORD> WaitForProcess(HANDLE process, DWORD timeoutMs);

// A program of the native system folder (64-bit under WOW64, as the Control Panel is), started
// with arguments and its standard output and error in a file. The destructor ends it if it
// still runs.
class SystemProgram {
 public:
  SystemProgram(const std::string& program, const std::string& arguments);
  ~SystemProgram();
  SystemProgram(const SystemProgram&) = delete;
  SystemProgram& operator=(const SystemProgram&) = delete;

  bool Started() const { return process_.hProcess != nullptr; }
  bool IsRunning() const;
  // Its exit code once it ends within timeoutMs; nothing when it does not.
  std::optional<DWORD> WaitForExit(DWORD timeoutMs);
  // What it wrote so far.
  std::string Output() const;

 private:
  std::string outputPath_;
  PROCESS_INFORMATION process_ = {};
};
// A shell folder of the current user (CSIDL_APPDATA, ...); its short form when no ANSI one.
std::string SpecialFolder(int csidl);

// The target that a shell link file holds, read back with IShellLinkA::GetPath, and its
// description; nothing when the file cannot be loaded as a link.
struct LinkView {
  std::string target;
  std::string description;
};
std::optional<LinkView> ReadShellLink(const std::string& linkPath);
// Saves a shell link at linkPath that leads to target; false when it cannot be saved.
bool WriteShellLink(const std::string& linkPath, const std::string& target);

// How many files in folder match the pattern (e.g. "Quorvale Lumifold*.lnk").
int CountFiles(const std::string& folder, const std::string& pattern);

struct RegistryValue {
  DWORD type = REG_NONE;
  std::string data;  // the stored bytes, exactly as many as the registry reports
  bool operator==(const RegistryValue&) const = default;
};
// All values of a key under root, by name; nothing when the key cannot be opened.
std::optional<std::map<std::string, RegistryValue>> ReadRegistryValues(HKEY root,
                                                                       const std::string& key);
std::optional<RegistryValue> ReadRegistryValue(HKEY root, const std::string& key,
                                               const std::string& name);
bool WriteRegistryValue(HKEY root, const std::string& key, const std::string& name,
                        const RegistryValue& value);
// Stores text as a REG_SZ of exactly its length, no NUL, the way the installer stores its
// values. A non-NUL byte follows the data in memory: Wine (like NT) adds a NUL to such a value
// only when the byte after the data already is one.
bool WriteUnterminatedString(HKEY root, const std::string& key, const std::string& name,
                             const std::string& text);
// Deletes a key and all its subkeys; quiet when it is missing.
void DeleteRegistryTree(HKEY root, const std::string& key);

// A REG_SZ as the installer writes it: the string's bytes, no NUL.
RegistryValue StringValue(const std::string& text);
RegistryValue DwordValue(DWORD value);

// Sets a value for as long as this object lives, then puts back what was there before (or
// removes the value when there was none).
class RegistryValueOverride {
 public:
  RegistryValueOverride(HKEY root, std::string key, std::string name, const RegistryValue& value);
  ~RegistryValueOverride();
  RegistryValueOverride(const RegistryValueOverride&) = delete;
  RegistryValueOverride& operator=(const RegistryValueOverride&) = delete;

 private:
  HKEY root_;
  std::string key_, name_;
  std::optional<RegistryValue> previous_;
};

// The user's own unelevated desktop shell, as Explorer is on Windows: Notepad started with this
// process's linked token, its window made the shell window until the destructor ends it. Not
// ready where that token cannot start a process (Windows, without the right to assign it).
class UserShell {
 public:
  UserShell();
  ~UserShell();
  UserShell(const UserShell&) = delete;
  UserShell& operator=(const UserShell&) = delete;
  bool Ready() const { return window_ != nullptr; }
  DWORD ProcessId() const { return process_.dwProcessId; }

 private:
  PROCESS_INFORMATION process_ = {};
  HWND window_ = nullptr;
};

// The bytes of resource id of the given type, read from the executable file itself, not
// through a running program; nothing when it has no such resource.
std::optional<std::string> ReadResource(const std::string& module, LPCSTR type, int id);
// Replaces the RT_RCDATA resource id of an executable file that is not running, in the
// language it has there.
bool ReplaceRcdataResource(const std::string& module, int id, const std::string& bytes);
// Removes the RT_RCDATA resource id from such a file, keeping every other resource.
bool RemoveRcdataResource(const std::string& module, int id);

}  // namespace setup_test
