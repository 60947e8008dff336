// Bars of the frame: section, end nodes and uniform loads of each bar. Each bar
// is classified as a foundation bar (both ends on soil) or a superstructure bar,
// the degrees of freedom of the nodes that carry bars are marked, and the bars
// become the line elements of the GiD mesh.
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "driver/input.hpp"
#include "driver/read_checks.hpp"
#include "text/fatal.hpp"
#include "text/free_format.hpp"
#include "text/layout.hpp"

namespace korvant {

namespace {

// Why a bar typed with its ends in this order would get a wrong local frame, or
// an empty text when the order is sound. The local axes of a bar are built from
// its plan direction: a bar pointing towards -Y (or along -X) gets its local z
// axis pointing down, so its loads would act upwards; a vertical bar keeps its
// local x axis pointing up whatever the order of its ends; the contact
// rectangles of a foundation beam are only built along +X and +Y.
std::string orientation_fault(const Model& m, int b) {
  const int I = m.PI(b), J = m.PJ(b);
  const float dx = m.COORD(J, 1) - m.COORD(I, 1);
  const float dy = m.COORD(J, 2) - m.COORD(I, 2);
  const float dz = m.COORD(J, 3) - m.COORD(I, 3);
  if (dx == 0.0f && dy == 0.0f) {
    if (dz == 0.0f) return "sus dos extremos PI y PJ están en el mismo punto (barra de longitud cero); corrija PI o PJ";
  }
  // A shorter bar is a typing slip, and its stiffness (1/L³) has no value.
  const double len = std::sqrt(static_cast<double>(dx) * static_cast<double>(dx) + static_cast<double>(dy) * static_cast<double>(dy) +
                               static_cast<double>(dz) * static_cast<double>(dz));
  if (len < 0.001) {
    char b[32];
    std::snprintf(b, sizeof b, "%.3g", len);
    return std::string("mide ") + b + " m, menos de 1 mm; revise las coordenadas de PI y PJ";
  }
  if (dx == 0.0f && dy == 0.0f) {
    if (dz < 0.0f) return "barra vertical definida de arriba hacia abajo; intercambie PI y PJ";
  } else if (dy < 0.0f || (dy == 0.0f && dx < 0.0f)) {
    return "barra orientada hacia -Y (o a lo largo de -X); intercambie PI y PJ";
  }
  if (m.TIPO(b) == 1) {
    // Plan direction cosines exactly as the reaction areas compute them.
    const float L = std::sqrt(dx * dx + dy * dy + dz * dz);
    const float ux = dx / L;
    const float uy = dy / L;
    if (!(ux > 0.9999f) && !(uy > 0.9999f))
      return "barra de cimentación (sus dos nodos tienen perfil de suelo) que no corre a lo largo de +X ni de +Y; "
             "las barras de cimentación deben ser horizontales y paralelas a X o a Y, de PI a PJ en el sentido "
             "positivo (intercambie PI y PJ si corre hacia -X o -Y)";
  }
  return {};
}

}  // namespace

void read_bars(DataReader& rd, Model& m, Files& f) {
  m.PERFCIM.size_to(m.NN);
  m.SINBARRA.size_to(m.NGL, 1);

  rd.read().i(m.NB, "NB (número de barras)");
  check_count_memory(rd, m, m.NB, "NB (número de barras)");
  rd.skip("¿el número de nodos (NN) es menor que los nodos escritos?");

  put(f.rep, "(///25X, 'PROPIEDADES DE LAS BARRAS'//A19, 9X, A24, A57, A58)", "   No       SECCIÓN",
      "   PI   PJ     GIRO  FDC", " TIPO PERF SUELO    Iy        Iz        J         CVMáx",
      "    CVMed       CVInst     CMUERTA      Pprop         PV");

  m.BARSEC.size_to(m.NB, std::string(20, ' '));
  m.PI.size_to(m.NB);
  m.PJ.size_to(m.NB);
  m.GIRO.size_to(m.NB);
  m.FDC.size_to(m.NB);
  m.CARGASBARRA.size_to(m.NB, 6);
  m.TIPO.size_to(m.NB);

  lst(f.msh);
  put(f.msh, "(A8)", "Elements");
  lst(f.log, "LECTURA DE BARRAS");

  std::vector<int> line(static_cast<std::size_t>(m.NB) + 1, 0);
  int num = 0;  // typed bar number: echoed only, kept from the line before when null
  for (int j = 1; j <= m.NB; ++j) {
    rd.read()
        .of(" " + std::to_string(j))
        .counted("NB", m.NB, j, "renglones de barras")
        .i(num, "número de la barra")
        .a(m.BARSEC(j), 20, "sección de la barra")
        .i(m.PI(j), "PI de la barra")
        .i(m.PJ(j), "PJ de la barra")
        .r(m.GIRO(j), "GIRO de la barra")
        .i(m.FDC(j), "FDC de la barra")
        .r(m.CARGASBARRA(j, 1), "CVMáx de la barra")
        .r(m.CARGASBARRA(j, 2), "CVMed de la barra")
        .r(m.CARGASBARRA(j, 3), "CVInst de la barra")
        .r(m.CARGASBARRA(j, 4), "CMUERTA de la barra")
        .r(m.CARGASBARRA(j, 6), "PV de la barra");
    line[static_cast<std::size_t>(j)] = rd.line();
    check_ref(rd, m.PI(j), m.NN, "PI de la barra " + std::to_string(j), "NN");
    check_ref(rd, m.PJ(j), m.NN, "PJ de la barra " + std::to_string(j), "NN");

    lst(detail(f.log), num, m.BARSEC(j), m.PI(j), m.PJ(j), m.GIRO(j), m.FDC(j), m.CARGASBARRA(j, 1), m.CARGASBARRA(j, 2),
        m.CARGASBARRA(j, 3), m.CARGASBARRA(j, 4), m.CARGASBARRA(j, 6));

    // Section: the last one of that name.
    float iy = 0.0f, iz = 0.0f, jt = 0.0f;
    bool known = false;
    for (int k = 1; k <= m.NSEC; ++k) {
      if (m.BARSEC(j) == m.SECNOM(k)) {
        iy = m.Iy(k);
        iz = m.Iz(k);
        jt = m.IRot(k);
        known = true;
      }
    }
    if (!known)
      rd.fail("sección de la barra " + std::to_string(j),
              "\"" + trimmed(m.BARSEC(j)) + "\" no es ninguna de las secciones leídas");

    const int I = m.PI(j), J = m.PJ(j);
    lst(detail(f.log), "para el nodo ", I, "ngn= ", 6 * I - 6);
    lst(detail(f.log), "para el nodo ", J, "ngn= ", 6 * J - 6);
    for (int n : {I, J})
      for (int g = 6 * (n - 1) + 1; g <= 6 * n; ++g) m.SINBARRA(g) = 0;

    const char* tipo = "  Sup";
    if (m.PERFIL(I) >= 1 && m.PERFIL(J) >= 1) {
      m.TIPO(j) = 1;
      tipo = "  Cim";
    }
    for (int n : {I, J})
      if (m.PERFCIM(n) == 0) m.PERFCIM(n) = m.PERFIL(n);

    put(f.rep, "(I5, 3X, A20, 2I5, F10.3, I5, A5, 2I5, 3F10.5, 6F12.6)", num, m.BARSEC(j), I, J, m.GIRO(j), m.FDC(j),
        tipo, m.PERFCIM(I), m.PERFCIM(J), iy, iz, jt, m.CARGASBARRA(j, 1), m.CARGASBARRA(j, 2), m.CARGASBARRA(j, 3),
        m.CARGASBARRA(j, 4), m.CARGASBARRA(j, 5), m.CARGASBARRA(j, 6));
    put(f.msh, "(4I9)", num, I, J, 2 - m.TIPO(j));
  }
  put(f.msh, "(A12)", "end elements");
  lst(f.msh, " ");

  // Bars typed with their ends in an order the geometry cannot handle: all of
  // them are named at once, so that the file can be corrected in one go.
  std::string faults;
  for (int j = 1; j <= m.NB; ++j) {
    std::string why = orientation_fault(m, j);
    if (why.empty()) continue;
    if (!faults.empty()) faults += '\n';
    faults += "Error en el archivo de datos \"" + rd.name() + "\", línea " +
              std::to_string(line[static_cast<std::size_t>(j)]) + ", barra " + std::to_string(j) + " (PI " +
              std::to_string(m.PI(j)) + ", PJ " + std::to_string(m.PJ(j)) + "): " + why;
  }
  if (!faults.empty()) throw Fatal{status::BAD_DATA, faults};
}

}  // namespace korvant
