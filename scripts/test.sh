#!/usr/bin/env bash
# Installs what is missing, builds everything and runs every test (native and under Wine). Where
# this machine runs no 32-bit code (or LUMIFOLD_ARCH=x86_64), the Windows tests run against the
# x86-64 build in 64-bit prefixes, and what only the 32-bit build can show is listed as skipped.
# Where it runs no 32-bit code, the 32-bit release's tests then run in an emulated guest too (the
# 32-bit lane, scripts/guest-lane.sh): LUMIFOLD_GUEST_LANE=force runs that lane on any machine,
# LUMIFOLD_GUEST_LANE=off leaves it out.
set -euo pipefail
cd "$(dirname "$0")/.."
guest=""
case ${LUMIFOLD_GUEST_LANE:-} in
  force) guest=1; echo "32-bit lane: in an emulated guest (LUMIFOLD_GUEST_LANE=force)" ;;
  off) echo "32-bit lane: none (LUMIFOLD_GUEST_LANE=off)" ;;
  "")
    if reason=$(bash scripts/runs-32bit-code.sh); then
      [ "${LUMIFOLD_ARCH:-i686}" = x86_64 ] || echo "32-bit lane: native (this machine runs 32-bit x86 code)"
    else
      guest=1
      echo "32-bit lane: in an emulated guest: this machine runs no 32-bit x86 code (a 32-bit program: $reason)"
    fi ;;
  *) echo "LUMIFOLD_GUEST_LANE must be force or off, not \"$LUMIFOLD_GUEST_LANE\"" >&2; exit 2 ;;
esac
bash scripts/install-deps.sh ${guest:+guest}
arch=$(bash scripts/windows-arch.sh)
cmake -S . -B build -DLUMIFOLD_ARCH="$arch"
cmake --build build -j"$(nproc)"
[ -z "$guest" ] || bash scripts/guest-lane.sh build
cat build/skipped-tests.txt  # why ctest will list these as not run
rc=0
ctest --test-dir build --output-on-failure --timeout 600 "$@" || rc=$?
[ -z "$guest" ] || bash scripts/guest-lane.sh test || rc=$?
exit $rc
