#!/usr/bin/env bash
# Installs what is missing, builds everything and runs every test (native and under Wine). Where
# this machine runs no 32-bit code (or LUMIFOLD_ARCH=x86_64), the Windows tests run against the
# x86-64 build in 64-bit prefixes, and what only the 32-bit build can show is listed as skipped.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
arch=$(bash scripts/windows-arch.sh)
cmake -S . -B build -DLUMIFOLD_ARCH="$arch"
cmake --build build -j"$(nproc)"
cat build/skipped-tests.txt  # why ctest will list these as not run
ctest --test-dir build --output-on-failure --timeout 600 "$@"
