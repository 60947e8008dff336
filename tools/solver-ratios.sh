#!/usr/bin/env bash
# The two solvers side by side on generated buildings: processor time (user +
# system), wall-clock time and peak resident memory of whole runs, from
# /usr/bin/time, and the ratio gaussj / sparse of each. Not a test: the
# figures depend on the machine and its load (the load average is printed).
#
# usage: tools/solver-ratios.sh [PATH/TO/korvant] [WHICH ...]
#   WHICH: 20x20x2 (all cases, --memoria=no), 10x10x3k2 (KANAL 2,
#   --memoria=resumida), 30x30x2 and 50x50x1 (sparse only); default: all.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
bin="$(realpath "${1:-$root/build/korvant}")"
shift || true
which=("${@:-20x20x2 10x10x3k2 30x30x2 50x50x1}")
work="$(mktemp -d /tmp/korvant-ratios-XXXXXX)"
trap 'rm -rf "$work"' EXIT

# One run in a folder of its own: "cpu wall rss_MB".
measure() {  # model-file options...
  local d; d="$(mktemp -d "$work/run-XXXXXX")"
  cp "$1" "$d/datos.txt"; shift
  (cd "$d" && /usr/bin/time -f "%U %S %e %M" -o t "$bin" "$@" datos.txt reporte >/dev/null 2>&1)
  awk '{printf "%.2f %.2f %.0f\n", $1 + $2, $3, $4 / 1024}' "$d/t"
  rm -rf "$d"
}

row() {  # name genmodel-args run-options both(1/0)
  local name="$1" gen="$2" opts="$3" both="$4" m="$work/$1.txt"
  # shellcheck disable=SC2086
  python3 "$root/tools/genmodel.py" $gen >"$m"
  local load; load="$(cut -d' ' -f1 /proc/loadavg)"
  # shellcheck disable=SC2086
  read -r sc sw sm < <(measure "$m" $opts --solucion=dispersa)
  if [ "$both" = 1 ]; then
    # shellcheck disable=SC2086
    read -r gc gw gm < <(measure "$m" $opts)
    awk -v n="$name" -v l="$load" -v gc="$gc" -v gw="$gw" -v gm="$gm" -v sc="$sc" -v sw="$sw" -v sm="$sm" 'BEGIN {
      printf "%-10s carga %-5s gaussj %8.1f s cpu %8.1f s reloj %6d MB | dispersa %7.2f s cpu %7.2f s reloj %5d MB | cpu %5.1fx reloj %5.1fx memoria %4.1fx\n",
             n, l, gc, gw, gm, sc, sw, sm, gc / sc, gw / sw, gm / sm }'
  else
    printf "%-10s carga %-5s dispersa %7.2f s cpu %7.2f s reloj %5d MB\n" "$name" "$load" "$sc" "$sw" "$sm"
  fi
}

for w in ${which[*]}; do
  case "$w" in
    20x20x2) row 20x20x2 "--nx 20 --ny 20 --storeys 2" "--memoria=no" 1 ;;
    10x10x3k2) row 10x10x3k2 "--nx 10 --ny 10 --storeys 3 --kanal 2" "--memoria=resumida" 1 ;;
    30x30x2) row 30x30x2 "--nx 30 --ny 30 --storeys 2" "--memoria=no" 0 ;;
    50x50x1) row 50x50x1 "--nx 50 --ny 50 --storeys 1" "--memoria=no" 0 ;;
    *) echo "unknown: $w" >&2; exit 2 ;;
  esac
done
