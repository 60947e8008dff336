// The model store: every table of one run, named as in the engineering notation
// of the program's messages. Tables are sized to the model when their counts are
// read.
#pragma once

#include <string>

#include "model/method_options.hpp"
#include "model/tables.hpp"

namespace korvant {

// The counts of the data file are bounded by the memory the run needs (see
// model/memory.hpp), checked as each count is read, and by what 32-bit counts
// hold: the equations of the interaction (NGRED + NR + MR) are at most 12·NN.
// A count that multiplies the output keeps a capacity.
namespace cap {
constexpr int NODES = 0x7fffffff / 12;  // NN
constexpr int DIVISIONS = 1000;  // NDIV: each one adds a line per bar of an axis to every diagram block
constexpr long long DIAGRAM_LINES = 1000000;  // lines of one diagram block: sum over the axes of 2 + NBEJE·(NDIV + 1)
}  // namespace cap

struct Model {
  // ---- Head of the data file (blocks 1-3) --------------------------------
  std::string TITULO;          // 50 characters, blank-padded
  std::string UNIDADES[6];     // entries 1..5, 4 characters each
  int KANAL = 0;
  int CASO[5] = {0, 0, 0, 0, 0};  // entries 1..4
  std::string DATOS;           // name of the data file, for messages about data found faulty after reading
  MethodOptions method;        // from the command line; the default computes the method as written

  // ---- Materials and sections (block 4) ----------------------------------
  int NMAT = 0;
  Tab1<std::string> MATNOM;    // 20 characters
  Tab1<float> PESOVOL, MODELAST, RPOISSON;
  int NSEC = 0;
  Tab1<std::string> SECNOM, SECMAT;  // 20 characters
  Tab1<float> BASE, ALTURA, AREASEC, Iy, Iz, IRot;

  // ---- Nodes (block 5) ---------------------------------------------------
  int NN = 0;
  int NGL = 0;                 // 6*NN
  Tab2<float> COORD;           // (node, 1..3)
  Tab2<int> RESTR;             // (node, 1..6)
  Tab1<int> PERFIL;            // soil profile of the node, 0 none
  Tab1<float> DF;              // depth of foundation
  Tab1<int> LINNODO;           // line of the data file on which each node line ends

  // ---- Bars (block 6) ----------------------------------------------------
  int NB = 0;
  Tab1<std::string> BARSEC;    // 20 characters
  Tab1<int> PI, PJ, FDC, TIPO;
  Tab1<float> GIRO;
  Tab2<float> CARGASBARRA;     // (bar, 1..6): CVMax CVMed CVInst CMUERTA Pprop PV
  Tab1<int> SINBARRA;          // by global dof, 1..NGL
  Tab1<int> PERFCIM;           // by node

  // ---- Isolated footings (block 7) ---------------------------------------
  int NZAP = 0;
  Tab1<float> ANCHO, LARGO, ESPESOR;  // by footing
  Tab1<int> NODZAP;

  // ---- Restrictions and numbering ----------------------------------------
  Tab1<int> IFIJO, NUMGL;      // by global dof
  int NFIJO = 0, NGRED = 0;
  Tab1<int> NREAC, NREACN;     // area and nodal reaction dofs
  int NR = 0, MR = 0;
  int NCENTRO = 1;

  // ---- Concentrated loads (block 8) --------------------------------------
  int NCARGAS = 0;
  Tab1<float> P;               // by global dof
  Tab1<float> PRED;            // by equation number 1..NGRED

  // ---- Soil profiles (block 9) -------------------------------------------
  int NPS = 0;
  float VALNL = 0.0f;
  Tab1<int> NEST;              // by profile
  // Tables by (profile p, stratum k) are sized (NPS, most strata of any profile); a case that is
  // switched off leaves its tables at 0.
  Tab2<int> TIPOEST;           // (p, k)
  Tab2<float> H, GAMA, Z, PROF, PZ, PV;
  Tab2<float> E1, NU1, slab, E2, NU2, KO, K2, N2, A2, Emv, Ap, Emt, Acs, psi, T;
  float PvCentro = 0.0f;

  // ---- Slabs (block 10) --------------------------------------------------
  int NLOS = 0;
  Tab1<int> LOSA, NI, NJ, NK, NL;
  Tab1<float> h;               // slab thickness
  Tab1<std::string> Mat;       // 20 characters
  Tab2<float> CARGASLOSA;      // (slab, 1..6)

  // ---- Axes (block 11) ---------------------------------------------------
  int NEJES = 0, NDIV = 0;
  Tab1<std::string> NOMEJE;    // 20 characters
  Tab1<int> NBEJE;
  ListTab<int> BAREJE;         // (axis, position): one list per axis, NBEJE(a) bars long (none when negative)

  // ---- Bar geometry ------------------------------------------------------
  Tab3<float> COSDIR;          // (bar, row 1..3, column 1..3)
  Tab1<float> LONG, UX, UY;

  // ---- Reaction points and tributary areas -------------------------------
  Tab1<int> NDIR;              // by bar
  int NDIRS = 0;
  Tab1<float> XR, YR;          // by node
  Tab2<float> Xi, Yi, Xf, Yf;  // (node, direction 1..2)
  Tab1<float> LONGITUD, AREA;  // by global dof
  float ACIM = 0.0f;
  Tab1<float> ATRIB;           // by bar

  // ---- Influence values --------------------------------------------------
  Tab4<float> IX, IY, IZ, AINF;  // (point j, stratum k, reaction l, direction d)
  Tab2<float> SUM_AINF;          // (point j, stratum k)
  // With --zapatas=estratificadas the influence tables also hold, after the NR
  // reaction points and their rectangles, one point (the node) and one loaded
  // rectangle (ANCHO along X by LARGO along Y, direction 1) per vertical
  // footing reaction: NRZ of them, ZREAC the nodal reaction (1..MR) of each.
  int NRZ = 0;
  Tab1<int> ZREAC;

  // ---- Field moduli ------------------------------------------------------
  Tab2<float> ECAMPO1, ECAMPO2;    // (reaction point, stratum)
  Tab2<float> ECAMPOP1, ECAMPOP2;  // (profile, stratum)

  // ---- Frame assembly ----------------------------------------------------
  Tab2<int> GLBARRA;           // (bar, 1..12)
  Tab2<float> akr;             // NGRED rows x (NGRED + NR + MR) columns (gaussj's path)
  SparseTab<double> akr_sparse; // akr by compressed columns, summed in double precision: the sparse solver's path, where akr stays empty
  Tab1<float> vered1, vered2, vered3, vered4;      // by equation
  Tab1<float> vecomp1, vecomp2, vecomp3, vecomp4;  // by global dof
  float CARGATOTAL = 0.0f, qmax = 0.0f;

  // What a pass computes (FLEX, DESP, HUNDIM, QREAC, QCAMBIO, RNL) is no
  // table of the model: PassTables (model/pass_solution.hpp), in the workspace.
};

// Width of the tables by (profile, stratum): the most strata of any profile read.
inline int strata_width(const Model& m) { return m.H.n2; }

}  // namespace korvant
