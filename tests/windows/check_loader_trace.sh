#!/usr/bin/env bash
# Runs the DLL search test program with Wine's loader trace and fails when a DLL planted beside
# SETUP.exe was resolved there (Wine then loads its built-in copy under the planted path; without
# the search restricted to the system directory it does so for uxtheme.dll).
#   check_loader_trace.sh <wine-session.sh> <session dir> <dll_search_test.exe>
set -uo pipefail
session_script=$1 session=$2 program=$3
trace=$(LUMIFOLD_WINEDEBUG=+loaddll "$session_script" run "$session" "$program" 2>&1)
status=$?
echo "$trace" | grep -v ':trace:loaddll:' | tail -20
[ $status -eq 0 ] || exit $status
if ! echo "$trace" | grep -q 'Loaded L".*uxtheme\.dll"'; then
  echo "no uxtheme.dll in the loader trace: the check proves nothing" >&2
  exit 1
fi
planted=$(echo "$trace" | grep -E 'Loaded L"C:\\\\lumifold-tests\\\\(uxtheme|dwmapi|propsys)\.dll"')
if [ -n "$planted" ]; then
  echo "planted DLLs resolved beside SETUP.exe:" >&2
  echo "$planted" >&2
  exit 1
fi
echo "no planted DLL was resolved beside SETUP.exe"
