#!/usr/bin/env python3
"""How long a run takes to obey Ctrl-C (SIGINT): runs the program on a data
file, sends SIGINT after each of the given delays (a new run each time) and
prints the time from the signal to the end of the run, with its exit status.

usage: tools/interrupt-latency.py build/korvant datos.txt [delays in s ...]
"""
import os
import signal
import subprocess
import sys
import tempfile
import time


def main():
    prog, datos = os.path.abspath(sys.argv[1]), os.path.abspath(sys.argv[2])
    delays = [float(d) for d in sys.argv[3:]] or [1, 3, 6, 10, 20]
    worst = 0.0
    for d in delays:
        with tempfile.TemporaryDirectory() as tmp:
            p = subprocess.Popen([prog, "--memoria=no", datos, "REPORTE"], cwd=tmp,
                                 stdout=subprocess.DEVNULL, stderr=subprocess.PIPE)
            time.sleep(d)
            if p.poll() is not None:
                print(f"tras {d:5.1f} s: la corrida ya había terminado (estado {p.returncode})")
                continue
            t0 = time.monotonic()
            p.send_signal(signal.SIGINT)
            err = p.communicate()[1].decode("latin-1").strip().splitlines()
            dt = time.monotonic() - t0
            worst = max(worst, dt)
            print(f"tras {d:5.1f} s: terminó {dt:6.3f} s después de SIGINT, estado {p.returncode}, "
                  f"{err[-2] if len(err) > 1 else ''}")
            left = [f for f in os.listdir(tmp)]
            if left:
                print("   archivos que quedaron:", " ".join(sorted(left)))
    print(f"peor: {worst:.3f} s")


if __name__ == "__main__":
    main()
