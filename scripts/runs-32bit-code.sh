#!/usr/bin/env bash
# Exits 0 when this machine's kernel runs 32-bit x86 programs, else 1 with the reason (e.g.
# "Exec format error") on standard output. Needs no Wine: it runs a 93-byte i386 ELF of its own
# that only calls exit(0), so the set-up can ask before it installs any i386 package.
set -uo pipefail
probe=$(mktemp "${TMPDIR:-/tmp}/runs32.XXXXXX") || exit 1
trap 'rm -f "$probe"' EXIT
# ELF header (i386, executable, entry 0x08048054), one loadable segment of the whole file, then
# mov eax, 1; xor ebx, ebx; int 0x80.
printf '%b' '\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00' \
  '\x02\x00\x03\x00\x01\x00\x00\x00\x54\x80\x04\x08\x34\x00\x00\x00' \
  '\x00\x00\x00\x00\x00\x00\x00\x00\x34\x00\x20\x00\x01\x00\x00\x00\x00\x00\x00\x00' \
  '\x01\x00\x00\x00\x00\x00\x00\x00\x00\x80\x04\x08\x00\x80\x04\x08' \
  '\x5d\x00\x00\x00\x5d\x00\x00\x00\x05\x00\x00\x00\x00\x10\x00\x00' \
  '\xb8\x01\x00\x00\x00\x31\xdb\xcd\x80' > "$probe"
chmod +x "$probe"
if reason=$("$probe" 2>&1); then exit 0; fi
# The shell's own message ends in the system's reason: "...: Exec format error".
echo "${reason##*: }" | tail -n 1
[ -n "$reason" ] || echo "exit code not 0"
exit 1
