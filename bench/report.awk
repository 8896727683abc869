# The benchmark's table, from its results file ("KIND ROUND NAME VALUE" lines; round 0 is the
# warm-up and not counted) and what is passed with -v: the sizes own, stub, setup_bytes,
# zopfli_bytes, nsis_bytes; rounds; date, machine, versions, pair for the heading; and runs, a file
# to which one line of this run's medians and verdicts is appended (its heading first when new).
$2 > 0 && $1 == "setup" && $3 == "trivial_ms" { trivial[++t] = $4 }
$2 > 0 && $1 == "nsis" && $3 == "trivial_ms" { nsis_trivial[$2] = $4; trivial[++t] = $4 }
$2 > 0 && $1 == "setup" && $3 == "dialog_ms" { dialog_ms[$2] = $4 }
$2 > 0 && $1 == "setup" && $3 == "bare_dialog_ms" { bare_ms[$2] = $4 }
$2 > 0 && $1 == "setup" && $3 == "install_ms" { install[$2] = $4 }
$2 > 0 && $1 == "setup" && $3 == "license_page_ms" { license_ms[$2] = $4 }
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
    first[r] = dialog_ms[r]
    bare[r] = bare_ms[r]
    license[r] = license_ms[r]
    first_ratio[r] = dialog_ms[r] / license_ms[r]
    own_part[r] = dialog_ms[r] - bare_ms[r]
    work[r] = nsis_total[r] - nsis_trivial[r]
    ratio[r] = install[r] / work[r]
  }
  sort_numbers(trivial, t)
  sort_numbers(first, rounds)
  sort_numbers(license, rounds)
  sort_numbers(first_ratio, rounds)
  sort_numbers(bare, rounds)
  sort_numbers(own_part, rounds)
  sort_numbers(install, rounds)
  sort_numbers(work, rounds)
  sort_numbers(ratio, rounds)
  window_ratio = median(first, rounds) / median(license, rounds)
  own_ms = median(own_part, rounds)
  install_ratio = median(install, rounds) / median(work, rounds)
  weight_ratio = own / stub
  weight_ok = own * 100 <= stub * 45

  printf "Run of %s on %s: %d rounds after one warm-up round; %s.\n%s.\n\n", date, machine, rounds,
         versions, pair
  print "| figure | min | median | max | target | verdict |"
  print "|---|---:|---:|---:|---|---|"
  printf "| own weight of SETUP.exe, bytes | %d | %d | %d | at most 0.45 of the NSIS stub's %d | %.3f x: %s |\n",
         own, own, own, stub, weight_ratio, ok(weight_ok)
  row("trivial program, start to exit, ms", trivial, t, "%.1f", "", "")
  row("SETUP.exe, start to dialog visible, ms", first, rounds, "%.1f", "", "")
  row("NSIS, start to licence page visible, ms", license, rounds, "%.1f", "", "")
  row("first window, SETUP.exe / NSIS, per round", first_ratio, rounds, "%.3f",
      "at most 0.75 (ratio of the medians)", sprintf("%.3f: %s", window_ratio, ok(window_ratio <= 0.75)))
  row("bare dialog (the same template, nothing else), start to visible, ms", bare, rounds, "%.1f",
      "", "")
  row("SETUP.exe's own part: its dialog visible less the bare dialog, ms", own_part, rounds, "%.1f",
      "at most 12 (median)", ok(own_ms <= 12))
  row("SETUP.exe install work, Install to thank-you, ms", install, rounds, "%.1f", "", "")
  row("NSIS install work, silent run less the trivial program, ms", work, rounds, "%.1f", "", "")
  row("install work, SETUP.exe / NSIS, per round", ratio, rounds, "%.3f",
      "at most 0.45 (ratio of the medians)", sprintf("%.3f: %s", install_ratio, ok(install_ratio <= 0.45)))
  printf "\nSizes, bytes: SETUP.exe %d with zlib level 9 payloads, %d with the zopfli release option (LUMIFOLD_ZOPFLI); the NSIS installer %d; the NSIS stub (one-byte payloads) %d.\n",
         setup_bytes, zopfli_bytes, nsis_bytes, stub

  if ((getline line < runs) <= 0) {
    print "| run | pair | rounds | load before, after | own weight / NSIS stub | first window / NSIS | own part, ms | install work / NSIS | all four met |" > runs
    print "|---|---|---:|---|---:|---:|---:|---:|---|" > runs
  }
  close(runs)
  met = weight_ok && window_ratio <= 0.75 && own_ms <= 12 && install_ratio <= 0.45
  split(pair, pair_name, ":")
  printf "| %s | %s | %d | %s | %.3f | %.3f | %.1f | %.3f | %s |\n", date, pair_name[1], rounds, load, weight_ratio,
         window_ratio, own_ms, install_ratio, met ? "yes" : "no" >> runs
}
