#!/usr/bin/env bash
# Builds the installer twice, in two fresh build trees at different paths, and fails unless the
# two SETUP.exe files are byte-identical (no time stamps, deterministic resources and archives).
#   reproducible_build.sh <source dir> <pack_payload> <scratch dir>
set -euo pipefail
source_dir=$1 packer=$2 scratch=$3
rm -rf "$scratch"
for tree in first second-tree; do
  cmake -S "$source_dir" -B "$scratch/$tree" \
    -DCMAKE_TOOLCHAIN_FILE="$source_dir/cmake/mingw-i686-win32.cmake" \
    -DCMAKE_BUILD_TYPE=MinSizeRel -DLUMIFOLD_PACKER="$packer" \
    -DLUMIFOLD_LICENSE="$source_dir/resources/license.txt" >"$scratch-$tree.log"
  cmake --build "$scratch/$tree" -j2 >>"$scratch-$tree.log" 2>&1
done
if cmp "$scratch/first/SETUP.exe" "$scratch/second-tree/SETUP.exe"; then
  echo "SETUP.exe is byte-identical across the two builds ($(stat -c %s "$scratch/first/SETUP.exe") bytes)"
else
  cmp -l "$scratch/first/SETUP.exe" "$scratch/second-tree/SETUP.exe" | head -5
  exit 1
fi
