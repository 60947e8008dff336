// The samples of a study and how their values enter the model.
#include <cmath>
#include <limits>

#include "study/random.hpp"
#include "study/study.hpp"
#include "text/fatal.hpp"

namespace korvant {

double Distribution::quantile(double u) const {
  switch (kind) {
    case DistKind::uniform:
      return a == b ? a : a + u * (b - a);
    case DistKind::normal:
      return b == 0 ? a : a + b * normal_quantile(u);
    case DistKind::lognormal: {
      if (b == 0) return a;
      const double s2 = std::log1p(b * b);
      return std::exp(std::log(a) - 0.5 * s2 + std::sqrt(s2) * normal_quantile(u));
    }
    case DistKind::triangular: {
      if (a == c) return a;
      const double fc = (b - a) / (c - a);
      return u < fc ? a + std::sqrt(u * (c - a) * (b - a)) : c - std::sqrt((1.0 - u) * (c - a) * (c - b));
    }
  }
  return a;
}

Sampler::Sampler(const Study& s) : s_(s) {
  const int np = static_cast<int>(s.params.size());
  if (s.method == Method::sensitivity) {
    count_ = 2 * np;
    return;
  }
  count_ = s.N;
  if (!s.lhs) return;
  // Each parameter's N bins in an order of its own.
  const std::size_t n = static_cast<std::size_t>(s.N);
  perm_.resize(n * static_cast<std::size_t>(np));
  for (int j = 0; j < np; ++j) {
    std::uint32_t* p = perm_.data() + static_cast<std::size_t>(j) * n;
    for (std::size_t i = 0; i < n; ++i) p[i] = static_cast<std::uint32_t>(i);
    Random r(stream_seed(s.seed, static_cast<std::uint64_t>(j) + 1, 0));
    for (std::size_t i = n; i > 1; --i) std::swap(p[i - 1], p[r.below(static_cast<std::uint32_t>(i))]);
  }
}

void Sampler::shares(int i, std::vector<double>& u) const {
  const int np = static_cast<int>(s_.params.size());
  u.resize(static_cast<std::size_t>(np));
  for (int j = 0; j < np; ++j) {
    Random r(stream_seed(s_.seed, static_cast<std::uint64_t>(j) + 1, static_cast<std::uint64_t>(i)));
    const double v = r.share();
    if (s_.lhs) {
      const std::uint32_t bin = perm_[static_cast<std::size_t>(j) * static_cast<std::size_t>(s_.N) +
                                      static_cast<std::size_t>(i - 1)];
      u[static_cast<std::size_t>(j)] = (static_cast<double>(bin) + v) / static_cast<double>(s_.N);
    } else {
      u[static_cast<std::size_t>(j)] = v;
    }
  }
}

void Sampler::values(int i, std::vector<double>& out) const {
  const std::size_t np = s_.params.size();
  out.assign(np, std::numeric_limits<double>::quiet_NaN());
  if (i < 1 || i > count_) return;
  if (s_.method == Method::sensitivity) {
    const Parameter& p = s_.params[static_cast<std::size_t>(moved(i))];
    const bool hi = high(i);
    out[static_cast<std::size_t>(moved(i))] =
        s_.minmax ? (hi ? p.d.max() : p.d.min()) : p.d.quantile(hi ? 0.95 : 0.05);
    return;
  }
  // The shares in place, then each turned into its value: no vector of its own per sample.
  std::vector<double>& u = out;
  shares(i, u);
  if (s_.corr_a >= 0) {
    // Gaussian copula: the second parameter's normal score leans on the first's.
    const double za = normal_quantile(u[static_cast<std::size_t>(s_.corr_a)]);
    const double zb = normal_quantile(u[static_cast<std::size_t>(s_.corr_b)]);
    const double z = s_.rho * za + std::sqrt(1.0 - s_.rho * s_.rho) * zb;
    double ub = normal_cdf(z);
    const double tiny = 0x1.0p-53;
    if (ub < tiny) ub = tiny;
    if (ub > 1.0 - tiny) ub = 1.0 - tiny;
    u[static_cast<std::size_t>(s_.corr_b)] = ub;
  }
  for (std::size_t j = 0; j < np; ++j) u[j] = s_.params[j].d.quantile(u[j]);
}

namespace {

std::string value_text(double v) {
  char b[40];
  std::snprintf(b, sizeof b, "%.6g", v);
  return b;
}

// Scales the entries of a soil table of profile p (every profile when 0).
void scale_profiles(Tab2<float>& t, const Model& m, int perfil, float f) {
  for (int p = 1; p <= m.NPS; ++p) {
    if (perfil != 0 && p != perfil) continue;
    for (int k = 1; k <= m.NEST(p); ++k) t(p, k) = t(p, k) * f;
  }
}

}  // namespace

std::string apply_values(const Study& s, const std::vector<double>& v, Model& m, bool& influence) {
  influence = false;
  for (std::size_t j = 0; j < s.params.size(); ++j) {
    const double x = v[j];
    if (std::isnan(x)) continue;
    const Parameter& p = s.params[j];
    // The start of a refusal, made only when one is (not for every value of every sample).
    const auto said = [&] { return p.name + " = " + value_text(x); };
    if (!std::isfinite(x) || std::fabs(x) > static_cast<double>(std::numeric_limits<float>::max()))
      return said() + ": no cabe en la precisión simple de los datos";
    const float f = static_cast<float>(x);
    const bool poisson = p.table == &Model::NU1 || p.table == &Model::NU2;
    const bool nonlinear = p.table == &Model::A2 || p.table == &Model::Ap || p.table == &Model::Acs;
    switch (p.q) {
      case Quantity::stratum: {
        Tab2<float>& t = m.*p.table;
        if (p.factor) {
          if (!(x > 0)) return said() + ": un factor de módulos o parámetros del suelo debe ser positivo";
          scale_profiles(t, m, p.perfil, f);
          if (poisson)
            for (int q = 1; q <= m.NPS; ++q)
              for (int k = 1; k <= m.NEST(q); ++k)
                if (t(q, k) > 0.5f) return said() + ": deja una relación de Poisson mayor que 0.5";
        } else {
          if (poisson && !(x >= 0 && x <= 0.5)) return said() + ": la relación de Poisson debe estar entre 0 y 0.5";
          if (nonlinear && !(x > 0)) return said() + ": debe ser positivo (la ley no lineal divide entre él)";
          if (!(x >= 0)) return said() + ": no puede ser negativo";
          t(p.perfil, p.estrato) = f;
        }
        if (p.table == &Model::NU2) influence = true;
        break;
      }
      case Quantity::VALNL:
        if (!(x > 0)) return said() + ": debe ser positivo";
        m.VALNL = f;
        break;
      case Quantity::E_material:
        if (!(x > 0)) return said() + ": el módulo de elasticidad debe ser positivo";
        if (p.factor)
          for (int i = 1; i <= m.NMAT; ++i) m.MODELAST(i) = m.MODELAST(i) * f;
        else
          m.MODELAST(p.material_index) = f;
        break;
      case Quantity::soil:
        if (!(x > 0)) return said() + ": un factor de módulos del suelo debe ser positivo";
        scale_profiles(m.E1, m, 0, f);
        scale_profiles(m.E2, m, 0, f);
        scale_profiles(m.Emv, m, 0, f);
        scale_profiles(m.Emt, m, 0, f);
        break;
      case Quantity::concentrated_loads:
        if (!(x >= 0)) return said() + ": un factor de cargas no puede ser negativo";
        for (int g = 1; g <= m.NGL; ++g) {
          m.P(g) = m.P(g) * f;
          if (m.NUMGL(g) != 0) m.PRED(m.NUMGL(g)) = m.P(g);
        }
        break;
      case Quantity::dead_load:
      case Quantity::live_load: {
        if (!(x >= 0)) return said() + ": un factor de cargas no puede ser negativo";
        const int from = p.q == Quantity::dead_load ? 4 : 1, to = p.q == Quantity::dead_load ? 4 : 3;
        for (int c = from; c <= to; ++c) {
          for (int b = 1; b <= m.NB; ++b) m.CARGASBARRA(b, c) = m.CARGASBARRA(b, c) * f;
          for (int l = 1; l <= m.NLOS; ++l) m.CARGASLOSA(l, c) = m.CARGASLOSA(l, c) * f;
        }
        break;
      }
    }
  }
  return "";
}

}  // namespace korvant
