#!/usr/bin/env bash
# Rewrites the tables of docs/verificacion.md with the results of this build
# (after a deliberate change of results), then runs the check again.
set -euo pipefail
cd "$(dirname "$0")/.."
cmake -S . -B build -G Ninja > /dev/null && cmake --build build
KORVANT_VERIFICACION_ESCRIBIR=1 build/korvant_verificacion > /dev/null || true
ctest --test-dir build -L verificacion --output-on-failure
git diff --stat -- docs/verificacion.md
