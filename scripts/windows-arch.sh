#!/usr/bin/env bash
# Prints the architecture of the Windows programs that this machine's Wine can run for the
# tests and the demo: i686 (the 32-bit release) where the kernel runs 32-bit x86 code, else
# x86_64 (the second build, in a 64-bit prefix). LUMIFOLD_ARCH=x86_64 asks for the latter on any
# machine. Says which, and why, in one plain line on standard error. Run after the set-up.
set -euo pipefail
if [ "${LUMIFOLD_ARCH:-i686}" = x86_64 ]; then
  echo "Windows programs: x86-64 build, 64-bit Wine prefix (LUMIFOLD_ARCH=x86_64)" >&2
  echo x86_64
elif reason=$(bash "$(dirname "$0")/runs-32bit-code.sh"); then
  echo i686
else
  echo "Windows programs: x86-64 build, 64-bit Wine prefix: this machine runs no 32-bit x86 code" \
    "(a 32-bit program: $reason)" >&2
  echo x86_64
fi
