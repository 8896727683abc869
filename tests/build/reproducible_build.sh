#!/usr/bin/env bash
# Builds the installer twice, signed with a throw-away certificate made here, in two fresh build
# trees at different paths, and fails unless the two SETUP.exe files are byte-identical (no time
# stamps, deterministic resources, archives and signatures). Then checks the signatures of the
# first: SETUP.exe and the two programs it carries verify with a SHA-1 and a nested SHA-256
# signature, so does a copy named SETUP-abc.exe, and one byte changed in a payload does not.
#   reproducible_build.sh <source dir> <pack_payload> <scratch dir>
set -euo pipefail
source_dir=$1 packer=$2 scratch=$3
rm -rf "$scratch"
mkdir -p "$scratch/keys"

# A certificate authority and a code-signing certificate issued by it.
make_certificates() {
  cd "$scratch/keys"
  openssl req -x509 -newkey rsa:2048 -nodes -keyout ca.key -out ca.pem -days 2 \
    -subj "/CN=Lumifold Test CA" -addext "basicConstraints=critical,CA:TRUE" \
    -addext "keyUsage=critical,keyCertSign"
  openssl req -newkey rsa:2048 -nodes -keyout signing.key -out signing.csr \
    -subj "/O=Quorvale, Inc./CN=Quorvale, Inc."
  printf '%s\n' basicConstraints=CA:FALSE keyUsage=critical,digitalSignature \
    extendedKeyUsage=codeSigning >signing.ext
  openssl x509 -req -in signing.csr -CA ca.pem -CAkey ca.key -CAcreateserial -days 2 \
    -extfile signing.ext -out signing.pem
}
(make_certificates) >"$scratch-keys.log" 2>&1 || { cat "$scratch-keys.log"; exit 1; }

for tree in first second-tree; do
  cmake -S "$source_dir" -B "$scratch/$tree" \
    -DCMAKE_TOOLCHAIN_FILE="$source_dir/cmake/mingw-i686-win32.cmake" \
    -DCMAKE_BUILD_TYPE=MinSizeRel -DLUMIFOLD_PACKER="$packer" \
    -DLUMIFOLD_LICENSE="$source_dir/resources/license.txt" -DLUMIFOLD_VERSION=1.0.0.0 \
    -DLUMIFOLD_SIGN_CERT="$scratch/keys/signing.pem" \
    -DLUMIFOLD_SIGN_KEY="$scratch/keys/signing.key" \
    >"$scratch-$tree.log"
  cmake --build "$scratch/$tree" -j2 >>"$scratch-$tree.log" 2>&1
done
setup=$scratch/first/SETUP.exe
if cmp "$setup" "$scratch/second-tree/SETUP.exe"; then
  echo "SETUP.exe is byte-identical across the two signed builds ($(stat -c %s "$setup") bytes)"
else
  cmp -l "$setup" "$scratch/second-tree/SETUP.exe" | head -5
  exit 1
fi

# Both signatures verify against the test authority, and only that certificate signed.
verify() {
  osslsigncode verify -CAfile "$scratch/keys/ca.pem" -in "$1" >"$scratch/verify.log" 2>&1
}
expect_signed() {
  if ! verify "$1"; then cat "$scratch/verify.log"; echo "FAIL: $1 does not verify"; exit 1; fi
  for expected in "Message digest algorithm  : SHA1" "Message digest algorithm  : SHA256" \
      "Number of verified signatures: 2" "Subject: /O=Quorvale, Inc./CN=Quorvale, Inc."; do
    grep -qF "$expected" "$scratch/verify.log" ||
      { cat "$scratch/verify.log"; echo "FAIL: $1: no \"$expected\""; exit 1; }
  done
  echo "$(basename "$1"): SHA-1 and nested SHA-256 signatures verify"
}
expect_signed "$setup"
expect_signed "$scratch/first/Lumifold.exe"
expect_signed "$scratch/first/TevikUninstaller.exe"
cp "$setup" "$scratch/SETUP-abc.exe"
expect_signed "$scratch/SETUP-abc.exe"

# One byte in the middle of the application's payload (RCDATA 129), found through the resource
# directory: its address less the section's address, plus the section's place in the file.
read -r vma place < <(i686-w64-mingw32-objdump -h "$setup" |
  awk '$2 == ".rsrc" { print $4, $6 }')
base=$(i686-w64-mingw32-objdump -p "$setup" | awk '$1 == "ImageBase" { print $2 }')
read -r leaf size < <(i686-w64-mingw32-objdump -p "$setup" |
  awk '/Entry: ID: 0x000081,/ { found = 1 }
       found && /Leaf: Addr:/ { gsub(",", ""); print $4, $6; exit }')
offset=$(( 0x$place + leaf + 0x$base - 0x$vma + size / 2 ))
cp "$setup" "$scratch/changed.exe"
byte=$(od -An -tu1 -j "$offset" -N1 "$scratch/changed.exe" | tr -d ' ')
printf "$(printf '\\%03o' $(( byte ^ 1 )))" |
  dd of="$scratch/changed.exe" bs=1 seek="$offset" conv=notrunc status=none
cmp -s "$setup" "$scratch/changed.exe" && { echo "FAIL: the byte at $offset did not change"; exit 1; }
if verify "$scratch/changed.exe"; then
  echo "FAIL: SETUP.exe with one payload byte changed (at $offset) still verifies"
  exit 1
fi
echo "one payload byte changed (at $offset): verification fails"
