#!/usr/bin/env bash
# Installs the Debian packages the build and the tests need. Idempotent: quick when all are there.
#   install-deps.sh [guest]   guest: also what the 32-bit lane in an emulated guest needs
# On a machine whose kernel runs no 32-bit code (asked before Wine is installed), the resolver is
# asked for no i386 package: wine32 could not run there.
set -euo pipefail

# wine64 and the x86-64 compiler: the tests also run the installer under WOW64 in a 64-bit prefix
# and check it from a 64-bit program. osslsigncode and openssl: signed release builds. procps:
# pgrep, with which a test finds the installer's Unix process to limit its file size.
packages=(
  g++-mingw-w64-i686 g++-mingw-w64-x86-64 libz-mingw-w64-dev
  wine wine64 xvfb x11-utils imagemagick osslsigncode openssl
  zlib1g-dev googletest cmake g++ binutils-mingw-w64-i686 clang libclang-rt-14-dev libxml2-dev
  procps
)
# The emulator and the static shell of the guest's start-up (scripts/guest-lane.sh).
[ "${1:-}" != guest ] || packages+=(qemu-system-x86 busybox-static)

if bash "$(dirname "$0")/runs-32bit-code.sh" >/dev/null; then
  packages+=(wine32:i386)
  if ! dpkg --print-foreign-architectures | grep -qx i386; then
    dpkg --add-architecture i386
    need_update=1
  fi
fi

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
[ ${#missing[@]} -gt 0 ] || exit 0

# An update that fails (say an index caught half-synced: "File has unexpected size ... Mirror
# sync in progress?") is tried once more; then the install goes on with the indexes there are
# and says itself what it cannot find.
update_indexes() {
  apt-get update -qq && return
  echo "apt-get update failed; trying once more" >&2
  sleep 10
  apt-get update -qq || echo "apt-get update failed again; installing from the indexes there are" >&2
}
if [ -n "${need_update:-}" ] || [ -z "$(ls -A /var/lib/apt/lists 2>/dev/null | grep -v lock)" ] ||
   ! apt-get install -y --no-install-recommends --dry-run "${missing[@]}" >/dev/null 2>&1; then
  update_indexes
fi
DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}"
