// A record of the machine as Windows programs see it: every file and folder under C:\ and every
// key and value under HKLM\SOFTWARE and HKCU\Software, each as one line of text. Two records
// taken around a run of the installer give exactly what the run created, changed or deleted.
//
//   const MachineSnapshot before = MachineSnapshot::Take();
//   ... run the installer ...
//   const auto changes = CompareSnapshots(before, MachineSnapshot::Take());
//
// Paths are kept in UTF-8 (file and key names may hold any character) and compared without
// regard to case, as Windows compares them. Wine's own bookkeeping is left out; the filters and
// the reason for each are in machine_snapshot.cpp.
#pragma once

#include <windows.h>

#include <map>
#include <source_location>
#include <string>
#include <vector>

namespace setup_test {

class MachineSnapshot {
 public:
  enum class Contents {
    kHashed,     // each file's bytes hashed: any change shows
    kTimestamp,  // each file's last-write time instead: a quicker walk, a write still shows
  };

  enum class Classes {
    kWalked,   // HKLM\SOFTWARE\Classes walked like the rest
    kLeftOut,  // left out: nine in ten keys of a fresh prefix, a second of each walk under Wine
  };

  static MachineSnapshot Take(Contents contents = Contents::kHashed,
                              Classes classes = Classes::kWalked);

  // Entries by path, e.g. "C:\Program Files\Quorvale" => "folder, attributes 0x10" or
  // "HKLM\SOFTWARE\Quorvale\Lumifold: PartnerKey" => "REG_SZ \"abc\\0\"".
  struct Entry {
    std::string path;
    std::string description;
  };
  const std::map<std::string, Entry>& Entries() const { return entries_; }
  // The description of the entry at a path (UTF-8); empty when there is none.
  std::string DescriptionOf(const std::string& utf8Path) const;

  // The folded (upper-case) form under which a path is kept.
  static std::string Fold(const std::string& utf8Path);

 private:
  friend class SnapshotWalker;
  std::map<std::string, Entry> entries_;  // by Fold(path)
};

// One difference between two snapshots.
struct SnapshotChange {
  char kind;  // '+' appeared, '-' went, '~' changed
  std::string path;
  std::string before, after;  // descriptions; empty on the side where the entry is missing
  std::string Line() const { return std::string(1, kind) + " " + path; }
};

// The differences from before to after, sorted by folded path.
std::vector<SnapshotChange> CompareSnapshots(const MachineSnapshot& before,
                                             const MachineSnapshot& after);

// Every change with both descriptions, one per line, for a failure message.
std::string DescribeChanges(const std::vector<SnapshotChange>& changes);

// Records a failure at the caller's line unless the changes are exactly the expected "kind path"
// lines (paths in ANSI, as the installer writes them), in any order.
void ExpectChanges(const std::vector<SnapshotChange>& changes, std::vector<std::string> expected,
                   std::source_location where = std::source_location::current());

// The after-description of the change at an ANSI path; empty when there is none.
std::string AfterOf(const std::vector<SnapshotChange>& changes, const std::string& ansiPath);

// How the snapshot describes a file with these bytes and attributes, as kHashed records it.
std::string DescribeFile(const std::string& bytes, DWORD attributes);

// An ANSI (code page of the system) path or name in UTF-8, as the snapshot keeps paths.
std::string Utf8FromAnsi(const std::string& ansi);

// The entry path of a registry value as the snapshot names it, e.g.
// RegistryValuePath("HKLM\\SOFTWARE\\Quorvale\\Lumifold", "PartnerKey").
std::string RegistryValuePath(const std::string& key, const std::string& name);

}  // namespace setup_test
