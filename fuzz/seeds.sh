#!/usr/bin/env bash
# Seed corpus of the input fuzzer: the example building and generated models
# of every shape the generator knows (slabs, footings, profiles, analyses).
set -euo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"
out="$1"
mkdir -p "$out"
cp "$here/examples/edificio.txt" "$out/"
i=0
for args in "--nx 2 --ny 1 --storeys 0" "--nx 3 --ny 2 --slabs" "--nx 2 --ny 2 --footings 2" \
            "--nx 3 --ny 1 --profiles 2 --kanal 1 --cases 0100" "--nx 2 --ny 2 --kanal 2 --cases 0111" \
            "--nx 2 --ny 1 --cases 0000" "--nx 2 --ny 2 --slabs --footings 1 --profiles 2" \
            "--nx 4 --ny 3 --storeys 2"; do
  i=$((i + 1))
  # shellcheck disable=SC2086
  python3 "$here/tools/genmodel.py" $args > "$out/gen$i.txt"
done
