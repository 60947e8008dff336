#!/usr/bin/env python3
"""Small data files that once made the program take gigabytes: each must now run,
or be refused at the start, within a bound on time, memory and file sizes.

usage: tools/size-bombs.py [PATH/TO/korvant]

Each case is written into a scratch folder, run once with /usr/bin/time's
figures taken from the kernel (peak resident memory of the run), and checked:

  axes     the example with 2000 axes of 20 bars each (a 36 KB file): the axes
           are lists, so their table is the 40 000 bars listed.
  views    a row of 200 foundation nodes, one axis of its 199 bars cut in 1000
           divisions (19 KB file), --csv --svg --html --resumen: every picture
           draws each diagram through at most 2000 points; the CSV keep all.
  valinf   a row of 1000 foundation nodes on 50 strata (99 KB file): VALINF
           would be 3.1 GB and MEMORIA over 100 GB; with 2 GB free
           (KORVANT_ESPACIO_LIBRE) the run ends at once with status 4, and
           the files of the run before stay as they were.
  memoria  a nonlinear 6 x 5 building (KANAL 2): MEMORIA may reach 1.2 GB
           (20 Newton steps); with 200 MB free, status 4 at once.

Prints one line per case and exits 1 when a bound is not met. The suite runs
it as the test `size_bombs` (label `large`); its bounds of time and memory are
tens of times what a run takes, a guard against a runaway, not a timing.
"""
import os, resource, shutil, subprocess, sys, tempfile, time

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
BIN = os.path.abspath(sys.argv[1] if len(sys.argv) > 1 else os.path.join(ROOT, "build", "korvant"))


def genmodel(*args):
    return subprocess.run([sys.executable, os.path.join(ROOT, "tools", "genmodel.py"), *args],
                          check=True, capture_output=True, text=True).stdout


def run(folder, args, env=None):
    """Runs the program in folder; returns (status, seconds, peak MB of this child)."""
    before = resource.getrusage(resource.RUSAGE_CHILDREN).ru_maxrss
    t = time.monotonic()
    r = subprocess.run([BIN, *args], cwd=folder, capture_output=True,
                       env=dict(os.environ, LC_ALL="C", **(env or {})))
    seconds = time.monotonic() - t
    peak = resource.getrusage(resource.RUSAGE_CHILDREN).ru_maxrss
    # ru_maxrss of the children is the largest of any child so far: meaningful
    # when the cases run from the smallest up, as below.
    return r.returncode, seconds, max(peak, before) / 1024.0, r.stderr.decode("latin-1")


def sizes(folder, ext):
    return {n: os.path.getsize(os.path.join(folder, n)) for n in os.listdir(folder) if n.endswith(ext)}


def main():
    failures = []
    scratch = tempfile.mkdtemp(prefix="korvant-bombs-")
    try:
        example = open(os.path.join(ROOT, "examples", "edificio.txt"), encoding="latin-1").read().split("\n")

        # Axes as lists.
        d = os.path.join(scratch, "axes"); os.makedirs(d)
        text = "\n".join(example[:87]) + "\n2000 4\n" + "".join(f"EJE {a}\n20 20*1\n" for a in range(2000))
        open(os.path.join(d, "datos.txt"), "w", encoding="latin-1").write(text)
        st, s, mb, _ = run(d, ["--memoria=no", "datos.txt", "rep.txt"])
        ok = st == 0 and s < 60 and mb < 200
        print(f"axes     {len(text) // 1024} KB file: status {st}, {s:.1f} s, {mb:.0f} MB peak")
        if not ok: failures.append("axes")

        # Views of a long axis.
        d = os.path.join(scratch, "views"); os.makedirs(d)
        open(os.path.join(d, "datos.txt"), "w").write(genmodel("--nx", "200", "--ny", "1", "--storeys", "0", "--ndiv", "1000"))
        st, s, mb, _ = run(d, ["--csv", "--svg", "--html", "--resumen", "--memoria=no", "datos.txt", "rep.txt"])
        svg, html = sizes(d, ".svg"), sizes(d, ".html")
        rows = sum(1 for _ in open(os.path.join(d, "rep_caso2_laboratorio_diagramas.csv")))
        ok = st == 0 and s < 120 and mb < 500 and max(svg.values()) < 1 << 20 and max(html.values()) < 8 << 20 and rows == 199 * 1001 + 1
        print(f"views    status {st}, {s:.1f} s, {mb:.0f} MB peak; largest SVG {max(svg.values()) // 1024} KB, "
              f"page {max(html.values()) // 1024} KB, a diagrams CSV {rows} rows")
        if not ok: failures.append("views")

        # VALINF and MEMORIA of a row of 1000 nodes on 50 strata.
        d = os.path.join(scratch, "valinf"); os.makedirs(d)
        lines = genmodel("--nx", "1000", "--ny", "1", "--storeys", "0", "--strata", "3").split("\n")
        i = next(k for k, l in enumerate(lines) if l.startswith("ESTRATO TIPO"))
        stratum = lines[i + 6:i + 12]
        body = lines[:i - 1] + ["50"]
        for k in range(1, 51):
            b = list(stratum); b[1] = f"{k} 2 1.00 1.7"; body += b
        open(os.path.join(d, "datos.txt"), "w").write("\n".join(body + lines[i + 18:]))
        earlier = b"MEMORIA de otra corrida\n"
        open(os.path.join(d, "MEMORIA"), "wb").write(earlier)
        st, s, mb, err = run(d, ["datos.txt", "rep.txt"], {"KORVANT_ESPACIO_LIBRE": "2G"})
        ok = st == 4 and s < 5 and "VALINF\" puede llegar a 3,1 GB" in err and \
            open(os.path.join(d, "MEMORIA"), "rb").read() == earlier and sorted(os.listdir(d)) == ["MEMORIA", "datos.txt"]
        print(f"valinf   status {st} in {s:.2f} s: {err.strip().splitlines()[-2] if err.strip() else ''}")
        if not ok: failures.append("valinf")

        # MEMORIA of a nonlinear building.
        d = os.path.join(scratch, "memoria"); os.makedirs(d)
        open(os.path.join(d, "datos.txt"), "w").write(genmodel("--nx", "6", "--ny", "5", "--kanal", "2", "--cases", "0011",
                                                               "--storeys", "1", "--footings", "2"))
        st, s, mb, err = run(d, ["datos.txt", "rep.txt"], {"KORVANT_ESPACIO_LIBRE": "200M"})
        ok = st == 4 and s < 5 and "MEMORIA\" puede llegar a" in err
        print(f"memoria  status {st} in {s:.2f} s: {err.strip().splitlines()[-2] if err.strip() else ''}")
        if not ok: failures.append("memoria")
    finally:
        shutil.rmtree(scratch, ignore_errors=True)
    if failures:
        print("bounds not met: " + ", ".join(failures))
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
