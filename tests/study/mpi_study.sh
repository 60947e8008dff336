#!/bin/sh
# A study spread over two MPI processes (on this machine, more processes than
# cores allowed) writes the same table as one process with one thread.
#   mpi_study.sh KORVANT_BINARY EXAMPLES_FOLDER
set -eu
bin=$1
examples=$2
dir=$(mktemp -d /tmp/korvant-mpi-XXXXXX)
trap 'rm -rf "$dir"' EXIT
cd "$dir"
cp "$examples/edificio.txt" datos.txt
cat > estudio.txt <<'END'
método montecarlo
muestras 24
semilla 11
parámetro E2 perfil 1 estrato 1 lognormal 600 0.35
parámetro E2 perfil 1 estrato 2 lognormal 900 0.35
correlación 1 2 0.6
END
"$bin" --estudio=estudio.txt --memoria=no --hilos=1 datos.txt UNO > /dev/null 2>&1
mpirun --oversubscribe -np 2 "$bin" --estudio=estudio.txt --memoria=no --hilos=1 datos.txt DOS > mpi.out 2>&1 ||
  { cat mpi.out; exit 1; }
cmp UNO_estudio.csv DOS_estudio.csv
cmp UNO_estudio.txt DOS_estudio.txt
echo "las tablas de 1 y 2 procesos son iguales ($(wc -l < DOS_estudio.csv) renglones)"
