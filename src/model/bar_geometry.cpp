// Orientation of every bar: the rotation from global to local axes. Row 1 is the
// local x axis (from PI to PJ), row 2 the local y axis (horizontal), row 3 the
// local z axis, each in global X, Y, Z components. The cross-section is never
// turned about the bar axis.
#include <cmath>

#include "model/preprocess.hpp"
#include "text/free_format.hpp"

namespace korvant {

void direction_cosines(Model& m, Log& log) {
  m.COSDIR.size_to(m.NB, 3, 3);
  lst(log, "Cosenos directores para cada barra");
  for (int b = 1; b <= m.NB; ++b) {
    const int I = m.PI(b);
    const int J = m.PJ(b);
    const float xI = m.COORD(I, 1), yI = m.COORD(I, 2);
    lst(detail(log), "Barra", b);
    const float dx = m.COORD(J, 1) - xI;
    const float dy = m.COORD(J, 2) - yI;
    const float dz = m.COORD(J, 3) - m.COORD(I, 3);
    lst(detail(log), "ij=", dx, dy, dz);

    const float L = std::sqrt(dz * dz + dx * dx + dy * dy);
    const float x1 = dx / L, x2 = dy / L, x3 = dz / L;

    float r[3][3];
    // The local y axis points to an auxiliary horizontal point 10 units away
    // from node I, on the horizontal line through I perpendicular to the bar's
    // plan projection.
    float a = 0.0f, bb = 0.0f;
    bool vertical = false;
    if (dy != 0.0f) {
      lst(detail(log), "PLANO DISTINTO A XZ", dx);
      a = (xI - 10.0f) - xI;
      bb = (yI * dy - dx * a) / dy - yI;
    } else if (dx != 0.0f) {
      lst(detail(log), "SOBRE PLANO XZ", dy);
      bb = (yI + 10.0f) - yI;
      a = (xI * dx - dy * bb) / dx - xI;
    } else {
      lst(detail(log), "BARRA VERTICAL");
      vertical = true;
    }

    if (vertical) {
      r[0][0] = 0.0f, r[0][1] = 0.0f, r[0][2] = 1.0f;
      r[1][0] = 0.0f, r[1][1] = 1.0f, r[1][2] = 0.0f;
      r[2][0] = -1.0f, r[2][1] = -0.0f, r[2][2] = 0.0f;
    } else {
      const float mm = std::sqrt(a * a + bb * bb);
      const float y1 = a / mm, y2 = bb / mm, y3 = 0.0f;
      const float z1 = x2 * y3 - x3 * y2;
      const float z2 = x3 * y1 - x1 * y3;
      const float z3 = x1 * y2 - x2 * y1;
      const float t = std::sqrt(z1 * z1 + z2 * z2 + z3 * z3);
      r[0][0] = x1, r[0][1] = x2, r[0][2] = x3;
      r[1][0] = y1, r[1][1] = y2, r[1][2] = y3;
      r[2][0] = z1 / t, r[2][1] = z2 / t, r[2][2] = z3 / t;
    }

    lst(detail(log), "MATRIZ DE COSENOS DIRECTORES DE LA BARRA", b);
    for (int i = 0; i < 3; ++i) {
      for (int j = 0; j < 3; ++j) m.COSDIR(b, i + 1, j + 1) = r[i][j];
      lst(detail(log), r[i][0], r[i][1], r[i][2]);
    }
  }
}

}  // namespace korvant
