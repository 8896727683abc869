# The benchmark's table, from its results file ("KIND ROUND NAME VALUE" lines; round 0 is the
# warm-up and not counted) and what is passed with -v: the sizes own, stub, setup_bytes,
# zopfli_bytes, nsis_bytes; rounds; and date, machine, versions for the heading.
$2 > 0 && $1 == "setup" && $3 == "trivial_ms" { setup_trivial[$2] = $4; trivial[++t] = $4 }
$2 > 0 && $1 == "nsis" && $3 == "trivial_ms" { nsis_trivial[$2] = $4; trivial[++t] = $4 }
$2 > 0 && $1 == "setup" && $3 == "dialog_ms" { dialog_ms[$2] = $4 }
$2 > 0 && $1 == "setup" && $3 == "bare_dialog_ms" { bare_ms[$2] = $4 }
$2 > 0 && $1 == "setup" && $3 == "install_ms" { install[$2] = $4 }
$2 > 0 && $1 == "nsis" && $3 == "nsis_total_ms" { nsis_total[$2] = $4 }

function sort_numbers(a, n,   i, j, x) {
  for (i = 2; i <= n; i++) {
    x = a[i]
    for (j = i - 1; j >= 1 && a[j] > x; j--) a[j + 1] = a[j]
    a[j + 1] = x
  }
}
function median(a, n) { return (n % 2) ? a[(n + 1) / 2] : (a[n / 2] + a[n / 2 + 1]) / 2 }
# One table row: name, then min, median and max of the n sorted values of a, target, verdict.
function row(name, a, n, format, target, verdict) {
  printf "| %s | " format " | " format " | " format " | %s | %s |\n", name, a[1], median(a, n),
         a[n], target, verdict
}
function ok(condition) { return condition ? "met" : "NOT met" }

END {
  for (r = 1; r <= rounds; r++) {
    over[r] = dialog_ms[r] - setup_trivial[r]
    bare[r] = bare_ms[r] - setup_trivial[r]
    own_part[r] = dialog_ms[r] - bare_ms[r]
    work[r] = nsis_total[r] - nsis_trivial[r]
    ratio[r] = install[r] / work[r]
    if (over[r] <= 100) within++
  }
  sort_numbers(trivial, t)
  sort_numbers(over, rounds)
  sort_numbers(bare, rounds)
  sort_numbers(own_part, rounds)
  sort_numbers(install, rounds)
  sort_numbers(work, rounds)
  sort_numbers(ratio, rounds)
  dialog = median(over, rounds)
  install_ratio = median(install, rounds) / median(work, rounds)

  printf "Run of %s on %s: %d rounds after one warm-up round; %s.\n\n", date, machine, rounds,
         versions
  print "| figure | min | median | max | target | verdict |"
  print "|---|---:|---:|---:|---|---|"
  printf "| own weight of SETUP.exe, bytes | %d | %d | %d | at most half the NSIS stub's %d | %.3f x: %s |\n",
         own, own, own, stub, own / stub, ok(own * 2 <= stub)
  row("trivial program, start to exit, ms", trivial, t, "%.1f", "", "")
  row("SETUP.exe dialog visible, less the trivial program, ms", over, rounds, "%.1f",
      "at most 100 (median)", sprintf("%s; %d of %d rounds within", ok(dialog <= 100), within, rounds))
  row("bare dialog (the same template, nothing else) visible, less the trivial program, ms", bare,
      rounds, "%.1f", "", "")
  row("SETUP.exe's own part: its dialog visible less the bare dialog, ms", own_part, rounds, "%.1f",
      "", "")
  row("SETUP.exe install work, Install to thank-you, ms", install, rounds, "%.1f", "", "")
  row("NSIS install work, silent run less the trivial program, ms", work, rounds, "%.1f", "", "")
  row("install work, SETUP.exe / NSIS, per round", ratio, rounds, "%.3f",
      "at most 0.5 (ratio of the medians)", sprintf("%.3f: %s", install_ratio, ok(install_ratio <= 0.5)))
  printf "\nSizes, bytes: SETUP.exe %d with zlib level 9 payloads, %d with the zopfli release option (LUMIFOLD_ZOPFLI); the NSIS installer %d; the NSIS stub (one-byte payloads) %d.\n",
         setup_bytes, zopfli_bytes, nsis_bytes, stub
}
