// Soil profiles: the strata of every profile with the properties of the cases
// switched on, depths and in-situ pressures, the stratum on which the
// foundation rests under the central node (PvCentro), and the horizontal earth
// pressures and thrusts of each profile.
#include <string>
#include <vector>

#include "output/free_format.hpp"
#include "output/layout.hpp"
#include "soil/soil.hpp"

namespace korvant {

namespace {

// Rejects a count read from the data file that lies outside 0..limit.
void check_count(DataReader& rd, std::string_view item, int n, int limit, std::string_view what) {
  if (n >= 0 && n <= limit) return;
  rd.fail(item, "se encontró " + std::to_string(n) + "; se esperaba un número de " + std::string(what) +
                    " entre 0 y " + std::to_string(limit));
}

// Report of the case properties of stratum (p, k), in case order.
void report_properties(const Model& m, Files& f, int p, int k) {
  if (m.CASO[1] == 1) {
    put(f.rep, "(4X, A18)", "PROPIEDADES CASO 1");
    put(f.rep, "(6X, A24)", "    E        NU    slab");
    put(f.rep, "(4X, A16)", "   t/m2      ");
    put(f.rep, "(8X, 3F8.2)", m.E1(p, k), m.NU1(p, k), m.slab(p, k));
  }
  if (m.CASO[2] == 1) {
    put(f.rep, "(4X, A18)", "PROPIEDADES CASO 2");
    put(f.rep, "(6X, A56)", "    E       NU    slab  KO       K       N     A");
    put(f.rep, "(4X, A16)", "   t/m2      ");
    put(f.rep, "(8X, 7F8.2)", m.E2(p, k), m.NU2(p, k), m.slab(p, k), m.KO(p, k), m.K2(p, k), m.N2(p, k),
        m.A2(p, k));
  }
  if (m.CASO[3] == 1) {
    put(f.rep, "(4X, A18)", "PROPIEDADES CASO 3");
    put(f.rep, "(7X, A24)", "   Emv       Ap       T ");
    put(f.rep, "(4X, A16)", "   m2/t      ");
    put(f.rep, "(8X, 3F8.2)", m.Emv(p, k), m.Ap(p, k), m.T(p, k));
  }
  if (m.CASO[4] == 1) {
    put(f.rep, "(4X, A18)", "PROPIEDADES CASO 4");
    put(f.rep, "(7X, A32)", "   Emt      Acs      psi       T ");
    put(f.rep, "(4X, A16)", "   m2/t      ");
    put(f.rep, "(8X, 4F8.2)", m.Emt(p, k), m.Acs(p, k), m.psi(p, k), m.T(p, k));
  }
}

}  // namespace

void read_soil(DataReader& rd, Model& m, Files& f) {
  rd.read().i(m.NPS, "NPS").r(m.VALNL, "VALNL");
  check_count(rd, "NPS", m.NPS, cap::PROFILES, "perfiles");

  // Every node that points to a profile must point to one of the profiles read.
  for (int n = 1; n <= m.PERFIL.size(); ++n)
    if (m.PERFIL(n) > m.NPS)
      rd.fail("NPS", "se encontraron " + std::to_string(m.NPS) + " perfiles, pero el nodo " + std::to_string(n) +
                         " usa el perfil " + std::to_string(m.PERFIL(n)) + "; se esperaba un perfil entre 1 y NPS");

  lst(f.err, "Casos de analisis", m.CASO[1], m.CASO[2], m.CASO[3], m.CASO[4]);
  put(f.rep, "(//8X, 'PROPIEDADES DEL SUELO'//)");

  const int np = m.NPS;
  m.NEST.size_to(np);
  m.TIPOEST.size_to(np, cap::STRATA);
  for (Tab2<float>* t : {&m.H, &m.GAMA, &m.Z, &m.PROF, &m.PZ, &m.PV, &m.E1, &m.NU1, &m.slab, &m.E2, &m.NU2,
                         &m.KO, &m.K2, &m.N2, &m.A2, &m.Emv, &m.Ap, &m.Emt, &m.Acs, &m.psi, &m.T})
    t->size_to(np, cap::STRATA);
  m.PvCentro = 0.0f;

  // Depth of foundation at the central node (a model without nodes has none).
  const float D = (m.NCENTRO >= 1 && m.NCENTRO <= m.DF.size()) ? m.DF(m.NCENTRO) : 0.0f;

  // Horizontal pressure of each stratum of the current profile.
  std::vector<float> Ph(cap::STRATA + 1, 0.0f);
  // The stratum number typed on each stratum line is only echoed; a null value
  // keeps the one of the previous line.
  int numest = 0;
  // Type text of the last stratum line written (a type other than 1 or 2 repeats it).
  std::string tipo = "       ";

  for (int p = 1; p <= np; ++p) {
    lst(f.mem, "PERFIL ", p);
    rd.read().i(m.NEST(p), "NEST");
    check_count(rd, "NEST", m.NEST(p), cap::STRATA, "estratos del perfil " + std::to_string(p));

    float d = 0.0f;  // depth of the bottom of the last stratum
    float v = 0.0f;  // vertical pressure there
    for (int k = 1; k <= m.NEST(p); ++k) {
      rd.skip();
      rd.read().i(numest, "número de estrato").i(m.TIPOEST(p, k), "TIPO").r(m.H(p, k), "H").r(m.GAMA(p, k), "GAMA");
      if (m.CASO[1] == 1) rd.read().r(m.E1(p, k), "E1").r(m.NU1(p, k), "NU1").r(m.slab(p, k), "slab");
      if (m.CASO[2] == 1)
        rd.read()
            .r(m.E2(p, k), "E2")
            .r(m.NU2(p, k), "NU2")
            .r(m.slab(p, k), "slab")
            .r(m.KO(p, k), "KO")
            .r(m.K2(p, k), "K")
            .r(m.N2(p, k), "N")
            .r(m.A2(p, k), "A");
      if (m.CASO[3] == 1) rd.read().r(m.Emv(p, k), "Emv").r(m.Ap(p, k), "Ap").r(m.T(p, k), "T");
      if (m.CASO[4] == 1) rd.read().r(m.Emt(p, k), "Emt").r(m.Acs(p, k), "Acs").r(m.psi(p, k), "psi").r(m.T(p, k), "T");

      const float h = m.H(p, k);
      const float g = m.GAMA(p, k);
      m.PZ(p, k) = g * 0.5f * h + v;
      m.Z(p, k) = h * 0.5f + d;
      d = d + h;
      v = v + h * g;
      m.PROF(p, k) = d;
      m.PV(p, k) = v;

      // The foundation under the central node rests on this stratum when D lies
      // between its top and its bottom (both included: on a boundary the deeper
      // stratum, tested later, decides).
      const float top = k == 1 ? 0.0f : m.PROF(p, k - 1);
      if (D <= m.PROF(p, k) && top <= D) {
        if (k == 1) {
          lst(f.rep, "en el nodo", m.NCENTRO, "df=", D);
          m.PvCentro = -m.GAMA(p, 1) * D;
        } else {
          m.PvCentro = -m.PV(p, k - 1) - (D - m.PROF(p, k - 1)) * m.GAMA(p, k);
        }
        lst(f.rep, "Estrato de apoyo", k);
        lst(f.rep, "Pv al centro de la cimentación=", m.PvCentro);
        lst(f.rep);
      }

      lst(f.mem, "ESTRATO", k, "Z=", m.Z(p, k), "GAMA=", g, "H=", h, "PROF=", m.PROF(p, k), "PZ=", m.PZ(p, k), "PV=",
          m.PV(p, k));

      put(f.rep,
          "(' PERFIL  ESTRATO  TIPO MAT   z        H        PESO '/'                            (m)      (m)      t/m3')");
      if (m.TIPOEST(p, k) == 1) tipo = " ARENA ";
      else if (m.TIPOEST(p, k) == 2) tipo = "ARCILLA";
      put(f.rep, "(I5, 3X, I5, A11, 2F8.2, F12.4)", p, numest, tipo, m.Z(p, k), h, g);
      report_properties(m, f, p, k);
    }

    // Earth pressure at rest and the thrust down to the bottom of each stratum.
    lst(f.rep);
    lst(f.rep);
    lst(f.rep, "PRESIONES EN PERFIL", p);
    lst(f.rep, "ESTRATO  PROFUNDIDAD      Pv            PhEMPUJE POR     EMPUJE ");
    lst(f.rep, "               m         t/m2          t/m2      ESTRATO (t)  ACUMULADO (t)");
    lst(f.mem, "PRESIONES EN PERFIL", p);
    lst(f.mem, "ESTRATO  PROFUNDIDAD      PV       EMPUJE POR  EMPUJE ");
    lst(f.mem, "               m         t/m2      ESTRATO (t)  ACUMULADO (t)");
    float s = 0.0f;
    for (int k = 1; k <= m.NEST(p); ++k) {
      Ph[static_cast<std::size_t>(k)] = m.KO(p, k) * m.PV(p, k);
      const float phk = Ph[static_cast<std::size_t>(k)];
      const float empuje = k == 1 ? phk * 0.5f * m.PROF(p, 1)
                                  : (Ph[static_cast<std::size_t>(k - 1)] + phk) * 0.5f * m.PROF(p, k);
      s = s + empuje;
      put(f.mem, "(I5, 5F13.4)", k, m.PROF(p, k), m.PV(p, k), phk, empuje, s);
      put(f.rep, "(I5, 5F13.2)", k, m.PROF(p, k), m.PV(p, k), phk, empuje, s);
    }
  }
}

}  // namespace korvant
