#!/usr/bin/env bash
# Installs the Debian packages the build and the tests need. Idempotent: quick when all are there.
set -euo pipefail

# wine64 and the x86-64 compiler: the tests also run the installer under WOW64 in a 64-bit prefix
# and check it from a 64-bit program. osslsigncode and openssl: signed release builds. procps:
# pgrep, with which a test finds the installer's Unix process to limit its file size.
packages=(
  g++-mingw-w64-i686 g++-mingw-w64-x86-64 libz-mingw-w64-dev
  wine wine32:i386 wine64 xvfb x11-utils imagemagick osslsigncode openssl
  zlib1g-dev googletest cmake g++ binutils-mingw-w64-i686 clang libclang-rt-14-dev libxml2-dev
  procps
)
# LUMIFOLD_ARCH=x86_64 (the x86-64 build in 64-bit prefixes) needs no i386 package: it sets up on
# machines that run no 32-bit code.
if [ "${LUMIFOLD_ARCH:-i686}" = x86_64 ]; then
  kept=()
  for p in "${packages[@]}"; do [ "${p%:i386}" = "$p" ] && kept+=("$p"); done
  packages=("${kept[@]}")
elif ! dpkg --print-foreign-architectures | grep -qx i386; then
  dpkg --add-architecture i386
  need_update=1
fi

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done

if [ ${#missing[@]} -gt 0 ]; then
  if [ -n "${need_update:-}" ] || [ -z "$(ls -A /var/lib/apt/lists 2>/dev/null | grep -v lock)" ] ||
     ! apt-get install -y --no-install-recommends --dry-run "${missing[@]}" >/dev/null 2>&1; then
    apt-get update -qq
  fi
  DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
