// Bar lengths, the contact rectangle, length and area of every area reaction,
// and the transfer of the slab loads onto the bars that border each slab.
#include <cmath>
#include <string>
#include <string_view>

#include "model/preprocess.hpp"

namespace korvant {

namespace {

// DZ degree of freedom of node n.
int gdz(int n) { return 6 * (n - 1) + 3; }

// The current bound keeps its value unless the new one is strictly beyond it.
float lower(float bound, float v) { return bound < v ? bound : v; }
float upper(float bound, float v) { return bound > v ? bound : v; }

std::string_view rtrim(std::string_view s) {
  std::size_t n = s.size();
  while (n > 0 && s[n - 1] == ' ') --n;
  return s.substr(0, n);
}

bool same_name(std::string_view a, std::string_view b) { return rtrim(a) == rtrim(b); }

// Grows the rectangle of node n in direction d to take in x0..x1, y0..y1.
void grow(Model& m, int n, int d, float x0, float x1, float y0, float y1) {
  m.Xi(n, d) = lower(m.Xi(n, d), x0);
  m.Xf(n, d) = upper(m.Xf(n, d), x1);
  m.Yi(n, d) = lower(m.Yi(n, d), y0);
  m.Yf(n, d) = upper(m.Yf(n, d), y1);
}

// Lengths and plan direction cosines of every bar, with the class of direction
// of the foundation bars and the contact length of their ends.
void bar_lengths(Model& m, Log& log) {
  lst(log, "NUMERO DE BARRAS", m.NB);
  lst(log, "BARRA   LONGITUD       UX        UY");
  for (int b = 1; b <= m.NB; ++b) {
    const int I = m.PI(b), J = m.PJ(b);
    const float dx = m.COORD(J, 1) - m.COORD(I, 1);
    const float dy = m.COORD(J, 2) - m.COORD(I, 2);
    const float dz = m.COORD(J, 3) - m.COORD(I, 3);
    m.LONG(b) = std::sqrt(dx * dx + dy * dy + dz * dz);
    m.UX(b) = dx / m.LONG(b);
    m.UY(b) = dy / m.LONG(b);
    put(detail(log), "(I6, 4F10.4)", b, m.LONG(b), m.UX(b), m.UY(b));

    if (m.TIPO(b) != 1) continue;
    lst(detail(log), "PRODUCTO PUNTO", m.UX(b) * 1.0f);
    if (m.UX(b) > 0.9999f) {
      m.NDIR(b) = 1;
      lst(detail(log), "NDIR=", 1);
    } else {
      m.NDIR(b) = 2;
    }
    if (m.NDIR(b) > m.NDIRS) m.NDIRS = m.NDIR(b);
    lst(detail(log), "NDIR=", m.NDIR(b));

    for (int n : {I, J}) {
      const float x = m.COORD(n, 1), y = m.COORD(n, 2);
      m.XR(n) = x;
      m.YR(n) = y;
      for (int d = 1; d <= 2; ++d) {
        m.Xi(n, d) = x;
        m.Xf(n, d) = x;
        m.Yi(n, d) = y;
        m.Yf(n, d) = y;
      }
    }
    m.LONGITUD(gdz(I)) += m.LONG(b) * 0.5f;
    m.LONGITUD(gdz(J)) += m.LONG(b) * 0.5f;
  }
}

// Contact areas of foundation beams: the width of the beam times half its
// length at each end, with the rectangles grown along the beam.
void beam_areas(Model& m) {
  for (int b = 1; b <= m.NB; ++b) {
    if (m.TIPO(b) != 1) continue;
    const float L = m.LONG(b);
    const int I = m.PI(b), J = m.PJ(b);
    float B = 0.0f;
    for (int s = 1; s <= m.NSEC; ++s)
      if (same_name(m.SECNOM(s), m.BARSEC(b))) B = m.BASE(s);
    const float xI = m.COORD(I, 1), yI = m.COORD(I, 2);
    const float xJ = m.COORD(J, 1), yJ = m.COORD(J, 2);
    const float L2 = L * 0.5f, B2 = B * 0.5f;
    if (m.NDIR(b) == 1) {
      grow(m, I, 1, xI, xI + L2, yI - B2, yI + B2);
      grow(m, J, 1, xJ - L2, xJ, yJ - B2, yJ + B2);
    } else {
      grow(m, I, 2, xI - B2, xI + B2, yI, yI + L2);
      grow(m, J, 2, xJ - B2, xJ + B2, yJ - L2, yJ);
    }
    m.AREA(gdz(I)) += B * L * 0.5f;
    m.AREA(gdz(J)) += B * L * 0.5f;
  }
}

// Self weight of each slab, its loads spread over the bars on its edges, and
// the quarter of the slab that each corner carries as contact area.
void slab_areas(Model& m, Log& log) {
  m.NDIRS = 1;
  for (int s = 1; s <= m.NLOS; ++s) {
    const int I = m.NI(s), J = m.NJ(s), K = m.NK(s), L = m.NL(s);

    float gama = 0.0f;
    for (int t = 1; t <= m.NMAT; ++t)
      if (same_name(m.MATNOM(t), m.Mat(s))) gama = m.PESOVOL(t);
    const float Pp = gama * m.h(s);
    m.CARGASLOSA(s, 5) = Pp;
    lst(detail(log), "Pp Losa=", Pp);

    // Edge bars: the bars joining two corners, except the diagonals.
    int edge[4] = {0, 0, 0, 0};
    int c = 0;
    for (int b = 1; b <= m.NB && c < 4; ++b) {
      const int pi = m.PI(b), pj = m.PJ(b);
      const int hits = (I == pi) + (I == pj) + (J == pi) + (J == pj) + (K == pi) + (K == pj) + (L == pi) + (L == pj);
      if (hits != 2) continue;
      const bool diagonal = (pi == I && pj == K) || (pi == K && pj == I) || (pi == J && pj == L) || (pi == L && pj == J);
      if (diagonal) continue;
      edge[c++] = b;
    }

    auto side = [&](int p, int q) {
      const float ex = m.COORD(q, 1) - m.COORD(p, 1);
      const float ey = m.COORD(q, 2) - m.COORD(p, 2);
      const float ez = m.COORD(q, 3) - m.COORD(p, 3);
      return std::sqrt(ex * ex + ey * ey + ez * ez);
    };
    const float a = side(I, J);
    const float bs = side(J, K);
    const float A = a * bs;

    // Square slabs give each edge a triangle of a quarter of the slab; otherwise
    // the short edges get triangles and the long edges trapezoids. The edge
    // length is compared exactly with the short side.
    for (int e = 0; e < c; ++e) {
      const int bar = edge[e];
      const float Le = m.LONG(bar);
      for (int k = 1; k <= 6; ++k) {
        const float q = m.CARGASLOSA(s, k);
        float add;
        if (a == bs) {
          add = q * (A * 0.25f) / a;
        } else if (bs <= a) {
          if (Le == bs) add = q * (Le * 0.25f * Le) / bs;
          else add = ((a + a) - bs) * 0.25f * bs * q / a;
        } else {
          if (Le == a) add = q * (Le * 0.25f * Le) / a;
          else add = 0.25f * a * ((bs - a) + bs) * q / bs;
        }
        m.CARGASBARRA(bar, k) += add;
      }
      float share;
      if (a == bs) share = A * 0.25f;
      else if (bs <= a) share = Le == bs ? Le * 0.25f * Le : ((a + a) - bs) * 0.25f * bs;
      else share = Le == a ? Le * 0.25f * Le : 0.25f * a * ((bs - a) + bs);
      m.ATRIB(bar) += share;
    }

    if (c != 4) continue;
    lst(detail(log), "SE TIENEN LOSAS DE CIMENTACIÓN");
    lst(detail(log), "CALCULANDO AREAS DE REACCIÓN");
    const float a2 = a * 0.5f, b2 = bs * 0.5f;
    const float xI = m.COORD(I, 1), yI = m.COORD(I, 2);
    const float xJ = m.COORD(J, 1), yJ = m.COORD(J, 2);
    const float xK = m.COORD(K, 1), yK = m.COORD(K, 2);
    const float xL = m.COORD(L, 1), yL = m.COORD(L, 2);
    grow(m, I, 1, xI, xI + a2, yI, yI + b2);
    grow(m, J, 1, xJ - a2, xJ, yJ, yJ + b2);
    grow(m, K, 1, xK - a2, xK, yK - b2, yK);
    grow(m, L, 1, xL, xL + a2, yL - b2, yL);
    for (int n : {I, J, K, L}) m.AREA(gdz(n)) += A * 0.25f;
  }
}

}  // namespace

void reaction_areas(Model& m, Log& log) {
  m.LONG.size_to(m.NB);
  m.UX.size_to(m.NB);
  m.UY.size_to(m.NB);
  m.NDIR.size_to(m.NB);
  m.ATRIB.size_to(m.NB);
  m.XR.size_to(m.NN);
  m.YR.size_to(m.NN);
  m.Xi.size_to(m.NN, 2);
  m.Yi.size_to(m.NN, 2);
  m.Xf.size_to(m.NN, 2);
  m.Yf.size_to(m.NN, 2);
  m.LONGITUD.size_to(m.NGL);
  m.AREA.size_to(m.NGL);
  m.NDIRS = 0;

  bar_lengths(m, log);
  lst(log, "DIRECCIONES ENCONTRADAS", m.NDIRS);
  lst(log, "CALCULO DE AREAS DE REACCION");
  if (m.NLOS < 1) beam_areas(m);
  else slab_areas(m, log);

  // Area of the foundation: the contact areas of the reactions.
  m.ACIM = 0.0f;
  for (int g = 1; g <= 6 * m.NN; ++g)
    if (m.LONGITUD(g) != 0.0f) m.ACIM += m.AREA(g);
}

void write_reaction_areas(const Model& m, OutFile& rep) {
  lst(rep);
  lst(rep, "LONGITUD DE BARRAS");
  for (int b = 1; b <= m.NB; ++b) put(rep, "(I6, F10.4)", b, m.LONG(b));

  lst(rep);
  lst(rep, "               COORDENADAS DE REACCIONES ");
  lst(rep, "              PUNTO       PUNTO INICIAL   PUNTO FINAL");
  lst(rep, "           (X  ,   Y)          (Xi  ,   Yi)        ", "(Xf  ,   Yf)");
  for (int d = 1; d <= (m.NDIRS == 2 ? 2 : 1); ++d) {
    lst(rep, d == 1 ? "direccion 1" : "direccion 2");
    for (int i = 1; i <= m.NR; ++i)
      put(rep, "(I6, 6F10.4)", i, m.XR(i), m.YR(i), m.Xi(i, d), m.Yi(i, d), m.Xf(i, d), m.Yf(i, d));
  }

  lst(rep, "GL DE REACCION   LONGITUD    AREA");
  for (int g = 1; g <= 6 * m.NN; ++g)
    if (m.LONGITUD(g) != 0.0f) put(rep, "(I6, 9X, 2F10.4)", g, m.LONGITUD(g), m.AREA(g));
  lst(rep, "Área de la cimentación:", m.ACIM);

  lst(rep, "Área tributaria por barra");
  lst(rep, " Barra            LONGITUD    AREA");
  for (int b = 1; b <= m.NB; ++b)
    if (m.ATRIB(b) != 0.0f) put(rep, "(I6, 9X, 2F10.4)", b, m.LONG(b), m.ATRIB(b));
}


void log_reaction_dofs(const Model& m, Log& log) {
  lst(log, "PROGRAMA PRINCIPAL");
  lst(log, "GL DE REACCION   LONGITUD    AREA");
  for (int g = 1; g <= m.NGL; ++g)
    if (m.LONGITUD(g) != 0.0f) put(detail(log), "(I6, 9X, 2F10.4)", g, m.LONGITUD(g), m.AREA(g));
}

}  // namespace korvant
