#include "tests/windows/machine_snapshot.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <algorithm>
#include <cstdio>
#include <deque>

#include "tests/windows/driver_failure.h"

namespace setup_test {
namespace {

// What is left out of every snapshot, and why: the tests' own scratch space and Wine's own
// bookkeeping, none of it a place where the installer may write. Everything else under C:\,
// HKLM\SOFTWARE and HKCU\Software is recorded, the shell's folder keys and lists included.
struct Filter {
  const char* path;  // the entry and everything below it
  const char* reason;
};

const Filter kFileFilters[] = {
    {"C:\\lumifold-tests",
     "the test programs' own folder: the copies of SETUP.exe each run starts, and their files"},
};

const Filter kRegistryFilters[] = {
    {"HKCU\\Software\\Wine\\Temporary System Parameters",
     "a volatile key of Wine's user32, which creates its subkeys (Colors, Mouse, ...) when a "
     "process first reads those system parameters; not saved, not the program's doing"},
};

std::string Utf8FromWide(const std::wstring& wide) {
  if (wide.empty()) return std::string();
  const int length = WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()),
                                         nullptr, 0, nullptr, nullptr);
  std::string utf8(length, '\0');
  WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), utf8.data(), length,
                      nullptr, nullptr);
  return utf8;
}

std::wstring WideFromUtf8(const std::string& utf8) {
  if (utf8.empty()) return std::wstring();
  const int length =
      MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
  std::wstring wide(length, L'\0');
  MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), wide.data(), length);
  return wide;
}

std::string Hex(const BYTE* bytes, size_t length) {
  std::string text;
  char pair[3];
  for (size_t i = 0; i < length; ++i) {
    std::snprintf(pair, sizeof pair, "%02x", bytes[i]);
    text += pair;
  }
  return text;
}

std::string Attributes(DWORD attributes) {
  char text[32];
  std::snprintf(text, sizeof text, "attributes 0x%lx", static_cast<unsigned long>(attributes));
  return text;
}

template <size_t count>
std::vector<std::string> FoldRoots(const Filter (&filters)[count]) {
  std::vector<std::string> folded;
  for (const Filter& filter : filters) folded.push_back(MachineSnapshot::Fold(filter.path));
  return folded;
}

// True when folded is a filter's path or lies below it.
bool IsBelowAny(const std::string& folded, const std::vector<std::string>& roots) {
  for (const std::string& root : roots) {
    if (folded.compare(0, root.size(), root) != 0) continue;
    if (folded.size() == root.size() || folded[root.size()] == '\\' ||
        folded[root.size()] == ':') {
      return true;
    }
  }
  return false;
}

bool IsFilteredFile(const std::string& folded) {
  static const std::vector<std::string> roots = FoldRoots(kFileFilters);
  return IsBelowAny(folded, roots);
}

bool IsFilteredKey(const std::string& folded) {
  static const std::vector<std::string> roots = FoldRoots(kRegistryFilters);
  return IsBelowAny(folded, roots);
}

std::string DescribeFileData(uint64_t size, DWORD attributes, const std::string& contents) {
  return "file, " + std::to_string(size) + " bytes, " + Attributes(attributes) + ", " + contents;
}

std::string Crc32Text(uLong crc) {
  char text[24];
  std::snprintf(text, sizeof text, "crc32 %08lx", crc);
  return text;
}

// The crc32 of a file's bytes, read through a handle that lets every other user go on.
std::string HashFile(const std::wstring& longPath) {
  HANDLE file = CreateFileW(longPath.c_str(), GENERIC_READ,
                            FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                            OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    return "unreadable (error " + std::to_string(GetLastError()) + ")";
  }
  static std::vector<BYTE> buffer(1 << 20);
  uLong crc = crc32(0L, Z_NULL, 0);
  DWORD read = 0;
  while (ReadFile(file, buffer.data(), static_cast<DWORD>(buffer.size()), &read, nullptr) &&
         read > 0) {
    crc = crc32(crc, buffer.data(), read);
  }
  CloseHandle(file);
  return Crc32Text(crc);
}

std::string WriteTime(const FILETIME& time) {
  char text[40];
  std::snprintf(text, sizeof text, "written %08lx%08lx", time.dwHighDateTime, time.dwLowDateTime);
  return text;
}

const char* TypeName(DWORD type) {
  switch (type) {
    case REG_NONE: return "REG_NONE";
    case REG_SZ: return "REG_SZ";
    case REG_EXPAND_SZ: return "REG_EXPAND_SZ";
    case REG_BINARY: return "REG_BINARY";
    case REG_DWORD: return "REG_DWORD";
    case REG_DWORD_BIG_ENDIAN: return "REG_DWORD_BIG_ENDIAN";
    case REG_LINK: return "REG_LINK";
    case REG_MULTI_SZ: return "REG_MULTI_SZ";
    case REG_QWORD: return "REG_QWORD";
    default: return "REG_?";
  }
}

// Strings as text (NULs and controls escaped), everything else as hex.
std::string DescribeValue(DWORD type, const BYTE* data, DWORD length) {
  std::string text = std::string(TypeName(type)) + " (" + std::to_string(type) + ") ";
  const bool isString = type == REG_SZ || type == REG_EXPAND_SZ || type == REG_MULTI_SZ;
  if (!isString || length % 2 != 0) return text + Hex(data, length);
  std::wstring wide(reinterpret_cast<const wchar_t*>(data), length / 2);
  std::string shown;
  for (wchar_t c : wide) {
    if (c < 0x20 || c == L'\\' || c == L'"') {
      char escaped[8];
      std::snprintf(escaped, sizeof escaped, "\\x%02x", static_cast<unsigned>(c));
      shown += escaped;
    } else {
      shown += Utf8FromWide(std::wstring(1, c));
    }
  }
  return text + "\"" + shown + "\"";
}

}  // namespace

// Fills a snapshot; a class so that it may reach the snapshot's entries.
class SnapshotWalker {
 public:
  SnapshotWalker(MachineSnapshot& snapshot, MachineSnapshot::Contents contents,
                 bool leaveOutClasses)
      : snapshot_(snapshot), contents_(contents), leaveOutClasses_(leaveOutClasses) {}

  // Records every file and folder below root, breadth first and each folder's entries in name
  // order. Wine links several shell folders (Desktop, Documents, Templates, ...) to the one Unix
  // home folder: a folder met again under another name is recorded as that and not walked
  // again, so that a file in it shows once, under its shallowest name (the desktop's own).
  void WalkFolders(const std::wstring& root, const std::string& shownRoot) {
    struct Pending {
      std::wstring path;
      std::string shown;
    };
    std::deque<Pending> pending = {{root, shownRoot}};
    while (!pending.empty()) {
      const Pending folder = pending.front();
      pending.pop_front();
      for (const WIN32_FIND_DATAW& entry : ListFolder(folder.path, folder.shown)) {
        const std::wstring path = folder.path + L"\\" + entry.cFileName;
        const std::string shown = folder.shown + "\\" + Utf8FromWide(entry.cFileName);
        if (IsFilteredFile(MachineSnapshot::Fold(shown))) continue;
        if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
          if (RecordFolder(path, shown, entry.dwFileAttributes)) pending.push_back({path, shown});
        } else {
          RecordFile(path, shown, entry);
        }
      }
    }
  }

  // Records the key, its values and, depth first, its subkeys.
  void WalkKey(HKEY parent, const std::wstring& name, const std::string& shown, int depth) {
    const std::string folded = MachineSnapshot::Fold(shown);
    if (IsFilteredKey(folded)) return;
    if (leaveOutClasses_ && folded == "HKLM\\SOFTWARE\\CLASSES") return;
    HKEY key;
    const LONG opened = RegOpenKeyExW(parent, name.c_str(), 0, KEY_READ, &key);
    if (opened != ERROR_SUCCESS) {
      Add(shown, "key unreadable (error " + std::to_string(opened) + ")");
      return;
    }
    Add(shown, "key");
    DWORD subkeys = 0, longestSubkey = 0, values = 0, longestName = 0, longestData = 0;
    RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, &subkeys, &longestSubkey, nullptr, &values,
                     &longestName, &longestData, nullptr, nullptr);
    std::vector<wchar_t> valueName(longestName + 2);
    std::vector<BYTE> data(longestData + 2);
    for (DWORD i = 0; i < values; ++i) {
      DWORD nameLength = static_cast<DWORD>(valueName.size());
      DWORD dataLength = static_cast<DWORD>(data.size());
      DWORD type = REG_NONE;
      if (RegEnumValueW(key, i, valueName.data(), &nameLength, nullptr, &type, data.data(),
                        &dataLength) != ERROR_SUCCESS) {
        continue;
      }
      const std::string valuePath =
          shown + ": " + Utf8FromWide(std::wstring(valueName.data(), nameLength));
      if (IsFilteredKey(MachineSnapshot::Fold(valuePath))) continue;
      Add(valuePath, DescribeValue(type, data.data(), dataLength));
    }
    std::vector<std::wstring> children;
    std::vector<wchar_t> child(longestSubkey + 2);
    for (DWORD i = 0; i < subkeys; ++i) {
      DWORD length = static_cast<DWORD>(child.size());
      if (RegEnumKeyExW(key, i, child.data(), &length, nullptr, nullptr, nullptr, nullptr) ==
          ERROR_SUCCESS) {
        children.emplace_back(child.data(), length);
      }
    }
    for (const std::wstring& childName : children) {
      if (depth < 64) WalkKey(key, childName, shown + "\\" + Utf8FromWide(childName), depth + 1);
    }
    RegCloseKey(key);
  }

 private:
  // Records a folder; true when it is to be walked, false when it was met before.
  bool RecordFolder(const std::wstring& path, const std::string& shown, DWORD attributes) {
    const std::string identity = FolderIdentity(L"\\\\?\\" + path);
    const auto [first, isNew] = folders_.emplace(identity, shown);
    if (!isNew && !identity.empty()) {
      Add(shown, "folder, " + Attributes(attributes) + ", the same as " + first->second);
      return false;
    }
    Add(shown, "folder, " + Attributes(attributes));
    return true;
  }

  void RecordFile(const std::wstring& path, const std::string& shown,
                  const WIN32_FIND_DATAW& entry) {
    const uint64_t size = (static_cast<uint64_t>(entry.nFileSizeHigh) << 32) | entry.nFileSizeLow;
    const std::string contents = contents_ == MachineSnapshot::Contents::kHashed
                                     ? HashFile(L"\\\\?\\" + path)
                                     : WriteTime(entry.ftLastWriteTime);
    Add(shown, DescribeFileData(size, entry.dwFileAttributes, contents));
  }

  // The folder's entries but "." and "..", sorted by folded name.
  std::vector<WIN32_FIND_DATAW> ListFolder(const std::wstring& folder, const std::string& shown) {
    std::vector<WIN32_FIND_DATAW> entries;
    WIN32_FIND_DATAW entry;
    HANDLE search = FindFirstFileW((L"\\\\?\\" + folder + L"\\*").c_str(), &entry);
    if (search == INVALID_HANDLE_VALUE) {
      Add(shown + "\\*", "folder unreadable (error " + std::to_string(GetLastError()) + ")");
      return entries;
    }
    do {
      const std::wstring name = entry.cFileName;
      if (name != L"." && name != L"..") entries.push_back(entry);
    } while (FindNextFileW(search, &entry));
    FindClose(search);
    std::vector<std::pair<std::string, size_t>> order;
    for (size_t i = 0; i < entries.size(); ++i) {
      order.emplace_back(MachineSnapshot::Fold(Utf8FromWide(entries[i].cFileName)), i);
    }
    std::sort(order.begin(), order.end());
    std::vector<WIN32_FIND_DATAW> sorted;
    for (const auto& [name, index] : order) sorted.push_back(entries[index]);
    entries.swap(sorted);
    return entries;
  }

  // The volume and file index of a folder; empty when it cannot be opened.
  static std::string FolderIdentity(const std::wstring& longPath) {
    HANDLE folder = CreateFileW(longPath.c_str(), 0,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (folder == INVALID_HANDLE_VALUE) return std::string();
    BY_HANDLE_FILE_INFORMATION information = {};
    const BOOL known = GetFileInformationByHandle(folder, &information);
    CloseHandle(folder);
    if (!known) return std::string();
    return std::to_string(information.dwVolumeSerialNumber) + ":" +
           std::to_string(information.nFileIndexHigh) + ":" +
           std::to_string(information.nFileIndexLow);
  }

  void Add(const std::string& path, const std::string& description) {
    snapshot_.entries_[MachineSnapshot::Fold(path)] = MachineSnapshot::Entry{path, description};
  }

  MachineSnapshot& snapshot_;
  MachineSnapshot::Contents contents_;
  bool leaveOutClasses_;
  std::map<std::string, std::string> folders_;  // identity => the path it was first walked under
};

MachineSnapshot MachineSnapshot::Take(Contents contents, Classes classes) {
  MachineSnapshot snapshot;
  SnapshotWalker walker(snapshot, contents, classes == Classes::kLeftOut);
  walker.WalkFolders(L"C:", "C:");
  walker.WalkKey(HKEY_LOCAL_MACHINE, L"SOFTWARE", "HKLM\\SOFTWARE", 0);
  walker.WalkKey(HKEY_CURRENT_USER, L"Software", "HKCU\\Software", 0);
  return snapshot;
}

std::string MachineSnapshot::Fold(const std::string& utf8Path) {
  std::string folded = utf8Path;
  bool ascii = true;
  for (char& c : folded) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    else if (static_cast<unsigned char>(c) >= 0x80) ascii = false;
  }
  if (ascii) return folded;
  std::wstring wide = WideFromUtf8(utf8Path);
  CharUpperBuffW(wide.data(), static_cast<DWORD>(wide.size()));
  return Utf8FromWide(wide);
}

std::string MachineSnapshot::DescriptionOf(const std::string& utf8Path) const {
  const auto found = entries_.find(Fold(utf8Path));
  return found == entries_.end() ? std::string() : found->second.description;
}

std::vector<SnapshotChange> CompareSnapshots(const MachineSnapshot& before,
                                             const MachineSnapshot& after) {
  std::vector<SnapshotChange> changes;
  const auto& was = before.Entries();
  const auto& is = after.Entries();
  for (const auto& [folded, entry] : was) {
    const auto now = is.find(folded);
    if (now == is.end()) {
      changes.push_back({'-', entry.path, entry.description, ""});
    } else if (now->second.description != entry.description) {
      changes.push_back({'~', now->second.path, entry.description, now->second.description});
    }
  }
  for (const auto& [folded, entry] : is) {
    if (!was.count(folded)) changes.push_back({'+', entry.path, "", entry.description});
  }
  std::sort(changes.begin(), changes.end(), [](const SnapshotChange& a, const SnapshotChange& b) {
    return MachineSnapshot::Fold(a.path) < MachineSnapshot::Fold(b.path);
  });
  return changes;
}

std::string DescribeChanges(const std::vector<SnapshotChange>& changes) {
  std::string text;
  for (const SnapshotChange& change : changes) {
    text += change.Line() + "\n";
    if (!change.before.empty()) text += "    was: " + change.before + "\n";
    if (!change.after.empty()) text += "    now: " + change.after + "\n";
  }
  return text.empty() ? "(no changes)\n" : text;
}

void ExpectChanges(const std::vector<SnapshotChange>& changes, std::vector<std::string> expected,
                   std::source_location where) {
  for (std::string& line : expected) line = MachineSnapshot::Fold(Utf8FromAnsi(line));
  std::sort(expected.begin(), expected.end(), [](const std::string& a, const std::string& b) {
    return a.substr(2) < b.substr(2);
  });
  std::vector<std::string> actual;
  for (const SnapshotChange& change : changes) {
    actual.push_back(MachineSnapshot::Fold(change.Line()));
  }
  if (actual == expected) return;
  std::string missing, unexpected;
  for (const std::string& line : expected) {
    if (std::find(actual.begin(), actual.end(), line) == actual.end()) {
      missing += "  " + line + "\n";
    }
  }
  for (const std::string& line : actual) {
    if (std::find(expected.begin(), expected.end(), line) == expected.end()) {
      unexpected += "  " + line + "\n";
    }
  }
  SETUP_TEST_FAIL_AT(where) << "the run's changes differ from the expected ones\nmissing:\n"
                            << (missing.empty() ? "  none\n" : missing) << "unexpected:\n"
                            << (unexpected.empty() ? "  none\n" : unexpected)
                            << "all changes:\n" << DescribeChanges(changes);
}

std::string AfterOf(const std::vector<SnapshotChange>& changes, const std::string& ansiPath) {
  const std::string folded = MachineSnapshot::Fold(Utf8FromAnsi(ansiPath));
  for (const SnapshotChange& change : changes) {
    if (MachineSnapshot::Fold(change.path) == folded) return change.after;
  }
  return std::string();
}

std::string DescribeFile(const std::string& bytes, DWORD attributes) {
  const uLong crc = crc32(crc32(0L, Z_NULL, 0), reinterpret_cast<const Bytef*>(bytes.data()),
                          static_cast<uInt>(bytes.size()));
  return DescribeFileData(bytes.size(), attributes, Crc32Text(crc));
}

std::string Utf8FromAnsi(const std::string& ansi) {
  if (ansi.empty()) return std::string();
  const int length =
      MultiByteToWideChar(CP_ACP, 0, ansi.data(), static_cast<int>(ansi.size()), nullptr, 0);
  std::wstring wide(length, L'\0');
  MultiByteToWideChar(CP_ACP, 0, ansi.data(), static_cast<int>(ansi.size()), wide.data(), length);
  return Utf8FromWide(wide);
}

std::string RegistryValuePath(const std::string& key, const std::string& name) {
  return key + ": " + name;
}

}  // namespace setup_test
