#!/usr/bin/env bash
# The benchmark (not part of the tests): SETUP.exe against an NSIS 3.08 installer doing the same
# install job with the same payloads, both timed under Wine in fresh copies of one warm prefix,
# interleaved, for several rounds. The pair: the 32-bit SETUP.exe against NSIS's x86 stub in
# 32-bit prefixes; where the machine runs no 32-bit code, or with LUMIFOLD_ARCH=x86_64, the
# x86-64 SETUP.exe against NSIS's amd64 stub in 64-bit prefixes.
#   scripts/benchmark.sh [ROUNDS]   ROUNDS measured rounds (default 5), after one warm-up round
# Everything goes to build-benchmark/ (or $LUMIFOLD_BENCH_DIR); the table is printed and saved
# as report.md there, and one line of the run's medians and verdicts is added to runs.md there,
# which keeps the lines of all runs made in that folder (remove it to start a new series). Installs what it needs, the benchmark's own nsis and zopfli included.
set -euo pipefail
cd "$(dirname "$0")/.."
source_dir=$PWD
rounds=${1:-5}
work=${LUMIFOLD_BENCH_DIR:-build-benchmark}
mkdir -p "$work"
work=$(cd "$work" && pwd)
application_bytes=3997757
partner_key=bench

say() { printf '== %s\n' "$*" >&2; }
die() { printf 'benchmark: %s\n' "$*" >&2; exit 1; }
windows_path() { local p; p=$(cd "$(dirname "$1")" && pwd)/$(basename "$1"); echo "Z:${p//\//\\}"; }

install_packages() {
  LUMIFOLD_ARCH=$requested_arch bash scripts/install-deps.sh
  local missing=() p
  for p in nsis zopfli; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
  done
  if [ ${#missing[@]} -gt 0 ]; then
    apt-get install -y -qq --no-install-recommends --dry-run "${missing[@]}" >/dev/null 2>&1 ||
      apt-get update -qq
    DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}"
  fi
}

# A real PE of Wine's for the pair's architecture, cut to the product's inflated size, stands in
# for the application.
make_payloads() {
  mkdir -p "$work/payloads"
  [ "$(stat -c %s "$application_source")" -ge $application_bytes ] ||
    die "$application_source is smaller than $application_bytes bytes"
  head -c $application_bytes "$application_source" >"$work/payloads/Lumifold.exe"
  printf 'x' >"$work/payloads/one-byte"
  # makensis on Linux refuses the Windows-1252 file ("wchar_t conversion failed"): it gets the
  # same text as UTF-8 with a byte-order mark.
  { printf '\xef\xbb\xbf'; iconv -f CP1252 -t UTF-8 resources/license.txt; } \
    >"$work/payloads/license-utf8.txt"
}

# build_setup TREE [cmake options...]: SETUP.exe of the pair with the benchmark's application.
build_setup() {
  local tree=$1
  shift
  cmake -S "$source_dir" -B "$work/$tree" -DLUMIFOLD_APPLICATION="$work/payloads/Lumifold.exe" \
    -DLUMIFOLD_ARCH="$arch" "$@" >"$work/$tree.log" 2>&1 || die "cmake failed, see $work/$tree.log"
  cmake --build "$work/$tree" -j2 --target "$installer_tree" >>"$work/$tree.log" 2>&1 ||
    die "build failed, see $work/$tree.log"
}

build_nsis() {
  local out=$1 application=$2 uninstaller=$3 license=$4
  makensis -V2 -DOUTFILE="$out" -DAPPLICATION="$application" -DUNINSTALLER="$uninstaller" \
    -DLICENSE="$license" -DPARTNER_KEY=$partner_key $nsis_target "$source_dir/bench/lumifold.nsi" >/dev/null
}

build_programs() {
  mkdir -p "$work/bin"
  local compiler=$arch-w64-mingw32-g++-win32 installed=$work/build/$installer_tree
  $compiler -O2 -std=c++17 -Wall -Wextra -static -s bench/bench_driver.cpp -o "$work/bin/bench_driver.exe"
  $compiler -O2 -Wall -static -s -mwindows bench/trivial.cpp -o "$work/bin/trivial.exe"
  "$arch-w64-mingw32-windres" -I. bench/bare_dialog.rc -O coff -o "$work/bare_dialog.res"
  $compiler -I. -Os -Wall -Wextra -static -s -mwindows -nostartfiles \
    -Wl,-e,"$bare_entry" bench/bare_dialog.cpp "$work/bare_dialog.res" -o "$work/bin/bare_dialog.exe"
  cp "$installed/SETUP.exe" "$work/bin/SETUP-$partner_key.exe"  # partner key: settings file too
  build_nsis "$work/bin/nsis-setup.exe" "$work/payloads/Lumifold.exe" \
    "$installed/TevikUninstaller.exe" "$work/payloads/license-utf8.txt"
  build_nsis "$work/bin/nsis-stub.exe" "$work/payloads/one-byte" "$work/payloads/one-byte" "$work/payloads/one-byte"
}

# One prefix, made and warmed once: its desktop, fonts and the installer's start-up have run
# (no install). Every measured run gets a fresh copy of it. A display session of its own
# serves the copies.
make_warm_prefix() {
  scripts/wine-session.sh stop "$work/display" >/dev/null 2>&1 || true
  scripts/wine-session.sh start "$work/display"
  scripts/wine-session.sh start "$work/warm"
  local i
  for i in 1 2; do
    scripts/wine-session.sh run "$work/warm" "$work/bin/bench_driver.exe" warm \
      "$(windows_path "$work/bin/trivial.exe")" "$(windows_path "$work/bin/SETUP-$partner_key.exe")" \
      "$(windows_path "$work/bin/bare_dialog.exe")" "$(windows_path "$work/bin/nsis-setup.exe")" >/dev/null ||
      die "warming the prefix failed"
  done
  scripts/wine-session.sh stop "$work/warm"  # the server saves the registry as it ends
}

# fresh_copy DIR: the warm prefix and home copied to DIR, their links into home re-pointed.
fresh_copy() {
  local copy=$1 link target
  rm -rf "$copy"
  mkdir -p "$copy"
  cp -a "$work/warm/prefix" "$work/warm/home" "$copy/"
  cp "$work/display/env" "$copy/env"
  while IFS= read -r link; do
    target=$(readlink "$link")
    if [ "${target#"$work/warm/"}" != "$target" ]; then ln -sfn "$copy/${target#"$work/warm/"}" "$link"; fi
  done < <(find "$copy/prefix" -type l)
}

# unix_path COPY WINDOWS_PATH: where a C: path of the copy's prefix lies.
unix_path() {
  local path=${2//\\//}
  [ "${path:0:3}" = C:/ ] || [ "${path:0:3}" = c:/ ] || die "$1: $2 is not on drive C:"
  echo "$1/prefix/drive_c/${path:3}"
}

# check_install COPY: what both installers must leave behind, read from the copy itself. The
# application is looked for where the prefix's own "ProgramFilesDir" says.
check_install() {
  local copy=$1 user drive program_files
  drive=$copy/prefix/drive_c
  user=$(ls "$drive/users" | grep -v '^Public$' | head -1)
  local home=$drive/users/$user uninstall values v
  program_files=$(scripts/wine-session.sh run "$copy" reg query \
    'HKLM\SOFTWARE\Microsoft\Windows\CurrentVersion' /v ProgramFilesDir $reg_view | tr -d '\r' |
    sed -n 's/^ *ProgramFilesDir *REG_SZ *//p') || true  # said just below
  [ -n "$program_files" ] || die "$copy: no ProgramFilesDir"
  cmp -s "$(unix_path "$copy" "$program_files")/Quorvale/Lumifold/Lumifold.exe" "$work/payloads/Lumifold.exe" ||
    die "$copy: application missing or wrong"
  cmp -s "$drive/windows/system32/TevikUninstaller.exe" "$work/build/$installer_tree/TevikUninstaller.exe" ||
    die "$copy: uninstaller missing or wrong"
  [ -s "$home/AppData/Roaming/Microsoft/Windows/Start Menu/Programs/Quorvale Lumifold.lnk" ] ||
    die "$copy: no Programs-menu shortcut"
  [ -s "$home/Desktop/Quorvale Lumifold.lnk" ] || die "$copy: no desktop shortcut"
  grep -q "<partnerkey xsi:type=\"tevik:string\">$partner_key</partnerkey>" \
    "$home/AppData/Roaming/Quorvale/Lumifold/CorvaneSettings.xml" || die "$copy: no settings file"
  uninstall='HKLM\SOFTWARE\Microsoft\Windows\CurrentVersion\Uninstall\Quorvale Lumifold'
  values=$(scripts/wine-session.sh run "$copy" reg query "$uninstall" $reg_view | tr -d '\r') || true
  for v in DisplayName InstallPath UninstallString Publisher UrlInfoAbout NoModify NoRepair; do
    grep -q "^ *$v " <<<"$values" || die "$copy: uninstall value $v missing"
  done
  scripts/wine-session.sh run "$copy" reg query 'HKLM\SOFTWARE\Quorvale\Lumifold' /v PartnerKey $reg_view |
    grep -q "$partner_key" || die "$copy: PartnerKey missing"
}

# run_one KIND ROUND: one measured run in a fresh copy; appends "KIND ROUND name value" lines.
run_one() {
  local kind=$1 round=$2 copy=$work/runs/current programs
  programs=("$(windows_path "$work/bin/trivial.exe")")
  if [ "$kind" = setup ]; then
    programs+=("$(windows_path "$work/bin/SETUP-$partner_key.exe")" "$(windows_path "$work/bin/bare_dialog.exe")"
      "$(windows_path "$work/bin/nsis-setup.exe")")
  else
    programs+=("$(windows_path "$work/bin/nsis-setup.exe")")
  fi
  fresh_copy "$copy"
  scripts/wine-session.sh run "$copy" "$work/bin/bench_driver.exe" "$kind" "${programs[@]}" >"$copy/result.txt" ||
    { cat "$copy/result.txt" >&2; die "$kind run of round $round failed"; }
  check_install "$copy"
  scripts/wine-session.sh stop "$copy"
  tr -d '\r' <"$copy/result.txt" | sed "s/^/$kind $round /" >>"$work/results.txt"
}

measure() {
  : >"$work/results.txt"
  load_before=$(cut -d' ' -f1 /proc/loadavg)
  local round
  for round in $(seq 0 "$rounds"); do
    if [ "$round" = 0 ]; then say "warm-up round (not counted)"; else say "round $round of $rounds"; fi
    if [ $((round % 2)) = 0 ]; then run_one setup "$round"; run_one nsis "$round"
    else run_one nsis "$round"; run_one setup "$round"; fi
  done
  load_after=$(cut -d' ' -f1 /proc/loadavg)
  rm -rf "$work/runs"
}

weigh() {
  scripts/wine-session.sh run "$work/display" "$work/bin/bench_driver.exe" weight - \
    "$(windows_path "$1")" | tr -d '\r' | awk -v n="$2" '$1 == n { print $2 }'
}

report() {
  local setup_exe=$work/bin/SETUP-$partner_key.exe
  awk -v own="$(weigh "$setup_exe" own_weight_bytes)" -v stub="$(stat -c %s "$work/bin/nsis-stub.exe")" \
    -v setup_bytes="$(stat -c %s "$setup_exe")" \
    -v zopfli_bytes="$(stat -c %s "$work/build-zopfli/$installer_tree/SETUP.exe")" \
    -v nsis_bytes="$(stat -c %s "$work/bin/nsis-setup.exe")" -v rounds="$rounds" \
    -v date="$(date -u '+%Y-%m-%d %H:%M')" -v load="$load_before, $load_after" \
    -v machine="$(nproc) cores, $(uname -m), load average $load_before before the runs and $load_after after" \
    -v versions="$(wine --version), makensis $(makensis -VERSION)" -v runs="$work/runs.md" -v pair="$pair" \
    -f bench/report.awk "$work/results.txt" >"$work/report.md"
  { printf '\nThe medians of every run in %s so far (runs.md):\n\n' "$work"; cat "$work/runs.md"; } \
    >>"$work/report.md"
  cat "$work/report.md"
}

# Whatever happens, no Wine session of the benchmark is left running.
cleanup() {
  local session
  for session in "$work/runs/current" "$work/warm" "$work/display"; do
    [ -d "$session" ] && scripts/wine-session.sh stop "$session" >/dev/null 2>&1
  done
  return 0
}
trap cleanup EXIT

# The pair measured: the 32-bit one where Wine runs 32-bit programs (asked once the set-up is
# done), else the x86-64 one; each with its own payload, so that neither needs the other's Wine.
requested_arch=${LUMIFOLD_ARCH:-i686}
install_packages
arch=$(LUMIFOLD_ARCH=$requested_arch scripts/windows-arch.sh 2>/dev/null)
if [ "$arch" = x86_64 ]; then
  pair="x86-64 pair: the x86-64 SETUP.exe against NSIS's amd64-unicode stub, 64-bit prefixes"
  export LUMIFOLD_WINEARCH=win64
  installer_tree=installer-x86_64 bare_entry=BareDialogEntryPoint nsis_target=-DAMD64
  reg_view=/reg:64  # after the key: Debian's wine may start the 32-bit reg.exe, which reads the 32-bit view
  application_source=/usr/lib/x86_64-linux-gnu/wine/x86_64-windows/comctl32.dll
else
  pair="32-bit pair: the 32-bit SETUP.exe against NSIS's x86-ansi stub, 32-bit prefixes"
  installer_tree=installer bare_entry=_BareDialogEntryPoint@0 nsis_target= reg_view=
  application_source=/usr/lib/i386-linux-gnu/wine/i386-windows/comctl32.dll
fi
say "$pair"
say "payloads and installers"
make_payloads
build_setup build
build_setup build-zopfli -DLUMIFOLD_ZOPFLI=ON
build_programs
say "warm prefix"
make_warm_prefix
measure
report
