#!/usr/bin/env bash
# Runs scripts/install-deps.sh against stand-ins for apt-get, dpkg and dpkg-query (nothing
# installed, every index update failing as during a mirror sync) and checks that it tries the
# update twice, still installs, and asks for an i386 package only where 32-bit code runs.
#   install_deps_test.sh <source dir> <scratch dir>
set -euo pipefail
source_dir=$1 scratch=$2
rm -rf "$scratch"; mkdir -p "$scratch/bin" "$scratch/scripts"
cp "$source_dir/scripts/install-deps.sh" "$scratch/scripts/"
cat > "$scratch/bin/apt-get" <<'STUB'
#!/bin/sh
echo "apt-get $*" >> "$CALLS"
case " $* " in
  *" update "*) echo "E: File has unexpected size (Mirror sync in progress?)" >&2; exit 100 ;;
  *" --dry-run "*) exit 100 ;;  # the packages do not resolve before an update
esac
STUB
printf '#!/bin/sh\nexit 1\n' > "$scratch/bin/dpkg-query"  # nothing is installed
printf '#!/bin/sh\necho "dpkg $*" >> "$CALLS"\n' > "$scratch/bin/dpkg"
printf '#!/bin/sh\n' > "$scratch/bin/sleep"
chmod +x "$scratch"/bin/*
fail() { echo "FAIL: $*"; cat "$CALLS"; exit 1; }

for runs32 in 0 1; do
  printf '#!/bin/sh\necho "Exec format error"\nexit %d\n' "$runs32" > "$scratch/scripts/runs-32bit-code.sh"
  export CALLS=$scratch/calls-$runs32
  : > "$CALLS"
  PATH=$scratch/bin:$PATH bash "$scratch/scripts/install-deps.sh" guest || fail "stopped (runs32=$runs32)"
  [ "$(grep -c '^apt-get update' "$CALLS")" = 2 ] || fail "not two updates"
  grep -q '^apt-get install .*qemu-system-x86' "$CALLS" || fail "no install"
  if [ "$runs32" = 0 ]; then
    grep -q 'wine32:i386' "$CALLS" || fail "no wine32:i386 where 32-bit code runs"
  else
    ! grep -qE ':i386|add-architecture' "$CALLS" || fail "an i386 package asked for where no 32-bit code runs"
  fi
done
echo "install-deps.sh: two failed updates, then the install; i386 only where 32-bit code runs"
