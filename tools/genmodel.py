#!/usr/bin/env python3
"""Writes a KORVANT data file for a generated building.

A grid of nx x ny foundation nodes joined by foundation beams along X and Y
(bays of --bay-x / --bay-y m), columns and beams on --storeys storeys, optional
foundation slabs on every bay, optional isolated footings (a row of columns on
footings beside the grid), one or more soil profiles of three strata, any KANAL
and set of cases. Foundation nodes are numbered first; beams run towards +X/+Y
and columns from bottom to top.

usage: genmodel.py [--nx 4] [--ny 3] [--storeys 1] [--slabs] [--footings N]
                   [--profiles 1] [--kanal 0] [--cases 1111] [--ndiv 4] [--strata 3]
                   > datos.txt
"""
import argparse
import sys


def main():
    ap = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    ap.add_argument("--nx", type=int, default=4)
    ap.add_argument("--ny", type=int, default=3)
    ap.add_argument("--storeys", type=int, default=1)
    ap.add_argument("--bay-x", type=float, default=5.0)
    ap.add_argument("--bay-y", type=float, default=6.0)
    ap.add_argument("--height", type=float, default=3.0)
    ap.add_argument("--slabs", action="store_true")
    ap.add_argument("--footings", type=int, default=0, help="columns on isolated footings beside the grid")
    ap.add_argument("--profiles", type=int, default=1)
    ap.add_argument("--kanal", type=int, default=0)
    ap.add_argument("--cases", default="1111", help="four digits: CASO(1..4)")
    ap.add_argument("--ndiv", type=int, default=4)
    ap.add_argument("--strata", type=int, default=3, help="3, or 6: each of the three strata typed as two halves")
    a = ap.parse_args()
    nx, ny, ns = a.nx, a.ny, a.storeys
    if nx < 2 or ny < 1 or ns < 0:
        sys.exit("genmodel: nx >= 2, ny >= 1, storeys >= 0")
    if a.strata not in (3, 6):
        sys.exit("genmodel: --strata 3 or 6")
    out = []
    w = out.append
    w(f"'EDIFICIO GENERADO {nx}X{ny}, {ns} NIVELES'")
    w("UNIDADES")
    w("'t' 'm' 'rad' 't/m2' 't/m3'")
    w("KANAL CASO(1) CASO(2) CASO(3) CASO(4)")
    w(f"{a.kanal} " + " ".join(a.cases[:4]))
    w("1")
    w("MATERIAL PESO-VOL MOD-ELAST R-POISSON")
    w("CONCRETO 2.4 2213594. 0.2")
    w("3")
    w("SECCION MATERIAL BASE ALTURA")
    w("CONTRATRABE CONCRETO 0.40 0.90")
    w("COLUMNA CONCRETO 0.40 0.40")
    w("TRABE CONCRETO 0.25 0.50")

    def nid(i, j, s):  # grid node (i along X, j along Y) of level s (0 = foundation)
        return s * nx * ny + j * nx + i + 1

    nodes = []
    for s in range(ns + 1):
        for j in range(ny):
            for i in range(nx):
                x, y, z = i * a.bay_x, j * a.bay_y, s * a.height
                if s == 0:
                    prof = 1 + (i * a.profiles) // nx
                    codes = "1 1 0 0 0 0" if (i, j) == (0, 0) else ("0 1 0 0 0 0" if (i, j) == (nx - 1, 0) else "0 0 0 0 0 0")
                    nodes.append(f"{nid(i, j, s)} {x:.2f} {y:.2f} {z:.2f} {codes} {prof} 1.2")
                else:
                    nodes.append(f"{nid(i, j, s)} {x:.2f} {y:.2f} {z:.2f} 0 0 0 0 0 0 0 0.0")
    nfoot = min(a.footings, nx)
    base = (ns + 1) * nx * ny
    foot_nodes = []
    for f in range(nfoot):
        lo, hi = base + 2 * f + 1, base + 2 * f + 2
        x, y = f * a.bay_x, -a.bay_y * 0.5
        nodes.append(f"{lo} {x:.2f} {y:.2f} 0.00 0 0 0 0 0 0 1 1.2")
        nodes.append(f"{hi} {x:.2f} {y:.2f} {a.height:.2f} 0 0 0 0 0 0 0 0.0")
        foot_nodes.append((lo, hi, f))
    w(str(len(nodes)))
    w("NODO X Y Z DX DY DZ MX MY MZ PERFIL DF")
    out.extend(nodes)

    bars = []

    def bar(sec, i, j, loads):
        bars.append(f"{len(bars) + 1} {sec} {i} {j} 0.0 0 {loads}")

    found = "0.0 0.0 0.0 0.3 1.0"
    top = "2.0 1.2 1.5 1.8 0.0"
    for s in range(ns + 1):
        sec, loads = ("CONTRATRABE", found) if s == 0 else ("TRABE", top)
        if s > 0 or True:
            for j in range(ny):
                for i in range(nx - 1):
                    bar(sec, nid(i, j, s), nid(i + 1, j, s), loads)
            for i in range(nx):
                for j in range(ny - 1):
                    bar(sec, nid(i, j, s), nid(i, j + 1, s), loads)
        if s > 0:
            for j in range(ny):
                for i in range(nx):
                    bar("COLUMNA", nid(i, j, s - 1), nid(i, j, s), "0.0 0.0 0.0 0.0 0.0")
    for lo, hi, f in foot_nodes:
        bar("COLUMNA", lo, hi, "0.0 0.0 0.0 0.0 0.0")
        if ns >= 1:
            bar("TRABE", hi, nid(f, 0, 1), "1.0 0.6 0.8 1.0 0.0")
    w(str(len(bars)))
    w("BARRA SECCION PI PJ GIRO FDC CVMAX CVMED CVINST CMUERTA PV")
    out.extend(bars)

    w(str(nfoot))
    w("ZAPATA ANCHO LARGO ESPESOR NODO")
    for lo, hi, f in foot_nodes:
        w(f"{f + 1} 1.8 1.8 0.5 {lo}")

    loads = []
    if ns >= 1:
        for j in range(ny):
            for i in range(nx):
                loads.append(f"{nid(i, j, ns)} 0.0 0.0 -10.0 0.0 0.0 0.0")
    for lo, hi, f in foot_nodes:
        loads.append(f"{hi} 1.0 0.0 -8.0 0.0 0.0 0.0")
    w(str(len(loads)))
    w("NODO PX PY PZ MX MY MZ")
    out.extend(loads)

    w(f"{a.profiles} 10.0")
    strata = [
        (2, 2.5, 1.6, "450. 0.35 6.", "600. 0.35 10. 0.6 120. 0.5 1.0", "150. 0.8 3.0", "300. 0.9 0.1 3.0"),
        (2, 4.0, 1.7, "700. 0.40 9.", "900. 0.40 15. 0.6 160. 0.5 1.2", "400. 0.7 3.0", "800. 0.8 0.1 3.0"),
        (1, 6.0, 1.9, "2000. 0.30 15.", "2500. 0.30 25. 0.5 400. 0.4 1.5", "3000. 0.9 3.0", "6000. 0.9 0.05 3.0"),
    ]
    split = a.strata // 3
    for p in range(a.profiles):
        w(str(a.strata))
        for k, (tipo, h, g, c1, c2, c3, c4) in enumerate(strata):
            for half in range(split):
                w("ESTRATO TIPO H GAMA")
                w(f"{split * k + half + 1} {tipo} {(h + 0.5 * p) / split:.2f} {g}")
                for on, line in zip(a.cases, (c1, c2, c3, c4)):
                    if on == "1":
                        w(line)

    slabs = []
    if a.slabs:
        for j in range(ny - 1):
            for i in range(nx - 1):
                slabs.append(f"{len(slabs) + 1} {nid(i, j, 0)} {nid(i + 1, j, 0)} {nid(i + 1, j + 1, 0)} {nid(i, j + 1, 0)}"
                             " 0.15 CONCRETO 0.25 0.15 0.20 0.10")
    w(str(len(slabs)))
    w("LOSA NI NJ NK NL H MAT CVMAX CVMED CVINST CMUERTA")
    out.extend(slabs)

    w("EJES PARA DIAGRAMAS")
    w("EJE NDIV")
    w(f"{ny} {a.ndiv}")
    for j in range(ny):
        w(f"EJE Y={j * a.bay_y:.2f}")
        w(f"{nx - 1} " + " ".join(str(j * (nx - 1) + i + 1) for i in range(nx - 1)))
    sys.stdout.write("\n".join(out) + "\n")


if __name__ == "__main__":
    main()
