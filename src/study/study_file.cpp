// The study file: one instruction per line, words separated by blanks, '#'
// to the end of the line a comment. Every fault is refused with its line.
//
//   método montecarlo              (or sensibilidad)
//   muestras 200
//   muestreo hipercubo             (or aleatorio)
//   semilla 2024
//   extremos percentiles           (sensibilidad: or mínimo-máximo)
//   parámetro E2 perfil 1 estrato 2   lognormal 850 0.30
//   parámetro factor E2 perfil 1      uniforme 0.5 1.5
//   correlación 1 2 0.6
#include <charconv>
#include <cmath>
#include <fstream>
#include <sstream>

#include "study/study.hpp"
#include "text/charset.hpp"
#include "text/fatal.hpp"

namespace korvant {

std::string bad_study_message(std::string_view file, int line, std::string_view item, std::string_view what) {
  return bad_file_message("estudio", file, line, item, what);
}

namespace {

constexpr int MAX_MUESTRAS = 10000000;

struct Word {
  std::string text;  // as written (quotes removed)
  std::string key;   // lower case, without accents: for comparing with the keywords
};

// Lower case and without the accents of Latin-1 vowels.
std::string key_of(const std::string& s) {
  std::string k;
  for (unsigned char c : s) {
    if (c >= 'A' && c <= 'Z') c = static_cast<unsigned char>(c - 'A' + 'a');
    switch (c) {
      case 0xe1: case 0xc1: c = 'a'; break;
      case 0xe9: case 0xc9: c = 'e'; break;
      case 0xed: case 0xcd: c = 'i'; break;
      case 0xf3: case 0xd3: c = 'o'; break;
      case 0xfa: case 0xda: case 0xfc: case 0xdc: c = 'u'; break;
      default: break;
    }
    k.push_back(static_cast<char>(c));
  }
  return k;
}

class Line {
 public:
  Line(const std::string& file, int n, std::vector<Word> w) : file_(file), n_(n), w_(std::move(w)) {}
  int number() const { return n_; }
  std::size_t size() const { return w_.size(); }
  const Word& operator[](std::size_t i) const { return w_[i]; }
  [[noreturn]] void fail(std::string_view item, std::string_view what) const {
    throw Fatal{status::BAD_DATA, bad_study_message(file_, n_, item, what)};
  }
  const Word& at(std::size_t i, std::string_view item, std::string_view expected) const {
    if (i >= w_.size()) fail(item, "falta; se espera " + std::string(expected));
    return w_[i];
  }
  double real(std::size_t i, std::string_view item) const {
    const std::string& t = at(i, item, "un número").text;
    double v = 0;
    const char* end = t.data() + t.size();
    const char* b = t.data() + (!t.empty() && t[0] == '+' ? 1 : 0);
    auto r = std::from_chars(b, end, v);
    if (r.ec != std::errc() || r.ptr != end || !std::isfinite(v))
      fail(item, "se leyó \"" + t + "\"; se espera un número (con punto decimal)");
    return v;
  }
  long long integer(std::size_t i, std::string_view item, long long lo, long long hi) const {
    const std::string& t = at(i, item, "un número entero").text;
    long long v = 0;
    auto r = std::from_chars(t.data(), t.data() + t.size(), v);
    if (r.ec != std::errc() || r.ptr != t.data() + t.size())
      fail(item, "se leyó \"" + t + "\"; se espera un número entero");
    if (v < lo || v > hi) fail(item, out_of_range(v, lo, hi));
    return v;
  }
  void end(std::size_t i) const {
    if (i < w_.size()) fail("\"" + w_[i].text + "\"", "sobra al final del renglón");
  }

 private:
  const std::string& file_;
  int n_;
  std::vector<Word> w_;
};

// The words of a line: runs without blanks, or texts between quotes.
std::vector<Word> words(const std::string& file, int n, std::string_view s) {
  std::vector<Word> w;
  std::size_t i = 0;
  while (i < s.size()) {
    const char c = s[i];
    if (c == ' ' || c == '\t' || c == '\r') {
      ++i;
      continue;
    }
    if (c == '#') break;
    std::string t;
    if (c == '"' || c == '\'') {
      const std::size_t close = s.find(c, i + 1);
      if (close == std::string_view::npos)
        throw Fatal{status::BAD_DATA, bad_study_message(file, n, "texto entre comillas", "falta la comilla que lo cierra")};
      t = std::string(s.substr(i + 1, close - i - 1));
      i = close + 1;
    } else {
      const std::size_t e = s.find_first_of(" \t\r#", i);
      t = std::string(s.substr(i, e == std::string_view::npos ? std::string_view::npos : e - i));
      i = e == std::string_view::npos ? s.size() : e;
    }
    w.push_back({t, key_of(t)});
  }
  return w;
}

// The word after an instruction that takes one of two: true for the first
// (`a_key`, written `a`), false for the second; anything else is refused.
bool one_of_two(const Line& ln, std::string_view item, const char* a, const char* a_key, const char* b,
                const char* b_key) {
  const std::string both = std::string(a) + " o " + b;
  const Word& w = ln.at(1, item, both);
  if (w.key != a_key && w.key != b_key) ln.fail(item, "se leyó \"" + w.text + "\"; se espera " + both);
  ln.end(2);
  return w.key == a_key;
}

// The soil tables a parameter may name.
struct SoilName {
  const char* key;   // lower case
  const char* name;  // as the data file's messages write it
  Tab2<float> Model::*table;
  int case_no;
  bool nonlinear;    // used only by the nonlinear analysis (KANAL 2)
};
const SoilName kSoil[] = {
    {"e1", "E1", &Model::E1, 1, false},    {"nu1", "NU1", &Model::NU1, 1, false},
    {"e2", "E2", &Model::E2, 2, false},    {"nu2", "NU2", &Model::NU2, 2, false},
    {"a", "A", &Model::A2, 2, true},       {"emv", "Emv", &Model::Emv, 3, false},
    {"ap", "Ap", &Model::Ap, 3, true},     {"emt", "Emt", &Model::Emt, 4, false},
    {"acs", "Acs", &Model::Acs, 4, true},
};
const SoilName* soil_name(const std::string& key) {
  for (const SoilName& s : kSoil)
    if (key == s.key) return &s;
  return nullptr;
}

const char* const kParameterList =
    "E1, NU1, E2, NU2, A, Emv, Ap, Emt o Acs con \"perfil P estrato K\", VALNL, \"E material NOMBRE\", o un factor: "
    "\"factor E2 perfil P\", \"factor E2\", \"factor E\", \"factor suelo\", \"factor cargas concentradas\", "
    "\"factor carga muerta\", \"factor carga viva\"";

// The words of a parameter up to its distribution, at w[i..]; returns the index of the distribution's word.
std::size_t read_parameter(const Line& ln, std::size_t i, Parameter& p) {
  auto is_dist = [](const std::string& k) {
    return k == "uniforme" || k == "normal" || k == "lognormal" || k == "triangular";
  };
  const Word& first = ln.at(i, "parámetro", kParameterList);
  if (first.key == "factor") {
    p.factor = true;
    const Word& what = ln.at(i + 1, "factor", kParameterList);
    if (const SoilName* s = soil_name(what.key)) {
      p.q = Quantity::stratum;
      p.table = s->table;
      p.case_no = s->case_no;
      p.name = std::string("factor_") + s->name;
      std::size_t j = i + 2;
      if (j < ln.size() && ln[j].key == "perfil") {
        p.perfil = static_cast<int>(ln.integer(j + 1, "perfil", 1, 0x7fffffff));
        p.name += "_p" + std::to_string(p.perfil);
        j += 2;
      }
      if (j < ln.size() && ln[j].key == "estrato")
        ln.fail("estrato", "un factor escala el perfil entero; para un estrato escriba \"parámetro " +
                               std::string(s->name) + " perfil P estrato K\" con sus valores");
      return j;
    }
    if (what.key == "e") {
      p.q = Quantity::E_material;
      p.name = "factor_E";
      return i + 2;
    }
    if (what.key == "suelo") {
      p.q = Quantity::soil;
      p.name = "factor_suelo";
      return i + 2;
    }
    if (what.key == "cargas" && i + 2 < ln.size() && ln[i + 2].key == "concentradas") {
      p.q = Quantity::concentrated_loads;
      p.name = "factor_cargas_concentradas";
      return i + 3;
    }
    if (what.key == "carga" && i + 2 < ln.size() && (ln[i + 2].key == "muerta" || ln[i + 2].key == "viva")) {
      p.q = ln[i + 2].key == "muerta" ? Quantity::dead_load : Quantity::live_load;
      p.name = ln[i + 2].key == "muerta" ? "factor_carga_muerta" : "factor_carga_viva";
      return i + 3;
    }
    ln.fail("factor", "se leyó \"" + what.text + "\"; se espera " + kParameterList);
  }
  if (const SoilName* s = soil_name(first.key)) {
    p.q = Quantity::stratum;
    p.table = s->table;
    p.case_no = s->case_no;
    if (i + 1 >= ln.size() || ln[i + 1].key != "perfil")
      ln.fail(s->name, "falta \"perfil P estrato K\" (para escalar un perfil entero: \"factor " + std::string(s->name) +
                           " perfil P\")");
    p.perfil = static_cast<int>(ln.integer(i + 2, "perfil", 1, 0x7fffffff));
    if (i + 3 >= ln.size() || ln[i + 3].key != "estrato")
      ln.fail(s->name, "falta \"estrato K\" después del perfil (para escalar el perfil entero: \"factor " +
                           std::string(s->name) + " perfil " + std::to_string(p.perfil) + "\")");
    p.estrato = static_cast<int>(ln.integer(i + 4, "estrato", 1, 0x7fffffff));
    p.name = std::string(s->name) + "_p" + std::to_string(p.perfil) + "_e" + std::to_string(p.estrato);
    return i + 5;
  }
  if (first.key == "valnl") {
    p.q = Quantity::VALNL;
    p.name = "VALNL";
    return i + 1;
  }
  if (first.key == "e") {
    p.q = Quantity::E_material;
    if (i + 1 >= ln.size() || ln[i + 1].key != "material" || i + 2 >= ln.size() || is_dist(ln[i + 2].key))
      ln.fail("E", "falta \"material NOMBRE\" (para todos los materiales: \"factor E\")");
    p.material = ln[i + 2].text;
    p.name = "E_" + p.material;
    for (char& c : p.name)
      if (c == ' ' || c == ',' || c == '"') c = '_';
    return i + 3;
  }
  ln.fail("parámetro", "se leyó \"" + first.text + "\"; se espera " + kParameterList);
}

void read_distribution(const Line& ln, std::size_t i, Parameter& p) {
  const Word& w = ln.at(i, "distribución", "uniforme, normal, lognormal o triangular");
  Distribution& d = p.d;
  if (w.key == "uniforme") {
    d.kind = DistKind::uniform;
    d.a = ln.real(i + 1, "mínimo");
    d.b = ln.real(i + 2, "máximo");
    if (d.a > d.b) ln.fail("mínimo", "el mínimo (" + ln[i + 1].text + ") es mayor que el máximo (" + ln[i + 2].text + ")");
    ln.end(i + 3);
  } else if (w.key == "normal") {
    d.kind = DistKind::normal;
    d.a = ln.real(i + 1, "media");
    d.b = ln.real(i + 2, "desviación estándar");
    if (d.b < 0) ln.fail("desviación estándar", "se leyó " + ln[i + 2].text + "; no puede ser negativa");
    ln.end(i + 3);
  } else if (w.key == "lognormal") {
    d.kind = DistKind::lognormal;
    d.a = ln.real(i + 1, "media");
    d.b = ln.real(i + 2, "coeficiente de variación");
    if (!(d.a > 0)) ln.fail("media", "se leyó " + ln[i + 1].text + "; la media de una lognormal debe ser positiva");
    if (d.b < 0) ln.fail("coeficiente de variación", "se leyó " + ln[i + 2].text + "; no puede ser negativo");
    ln.end(i + 3);
  } else if (w.key == "triangular") {
    d.kind = DistKind::triangular;
    d.a = ln.real(i + 1, "mínimo");
    d.b = ln.real(i + 2, "moda");
    d.c = ln.real(i + 3, "máximo");
    if (d.a > d.c) ln.fail("mínimo", "el mínimo (" + ln[i + 1].text + ") es mayor que el máximo (" + ln[i + 3].text + ")");
    if (d.b < d.a || d.b > d.c) ln.fail("moda", "se leyó " + ln[i + 2].text + "; debe estar entre el mínimo y el máximo");
    ln.end(i + 4);
  } else {
    ln.fail("distribución", "se leyó \"" + w.text + "\"; se espera uniforme, normal, lognormal o triangular");
  }
}

}  // namespace

Study parse_study(const std::string& file, std::string text) {
  Study s;
  s.file = file;
  if (scan_utf8(text).valid) {
    if (const int bad = utf8_to_latin1(text); bad > 0)
      throw Fatal{status::BAD_DATA, bad_study_message(file, bad, "texto", "tiene un carácter fuera de Latin-1")};
  }
  int seen_N = 0, seen_seed = 0, seen_sampling = 0, seen_ends = 0;
  std::size_t pos = 0;
  int n = 0;
  while (pos < text.size()) {
    std::size_t e = text.find('\n', pos);
    if (e == std::string::npos) e = text.size();
    const std::string_view raw(text.data() + pos, e - pos);
    pos = e + 1;
    ++n;
    Line ln(s.file, n, words(s.file, n, raw));
    if (ln.size() == 0) continue;
    const std::string& k = ln[0].key;
    auto once = [&](int& seen, const char* item) {
      if (seen > 0) ln.fail(item, "ya se dio en la línea " + std::to_string(seen));
      seen = n;
    };
    if (k == "metodo") {
      once(s.method_line, "método");
      s.method = one_of_two(ln, "método", "sensibilidad", "sensibilidad", "montecarlo", "montecarlo")
                     ? Method::sensitivity
                     : Method::montecarlo;
    } else if (k == "muestras") {
      once(seen_N, "muestras");
      s.N = static_cast<int>(ln.integer(1, "muestras", 1, MAX_MUESTRAS));
      ln.end(2);
    } else if (k == "muestreo") {
      once(seen_sampling, "muestreo");
      s.lhs = one_of_two(ln, "muestreo", "hipercubo", "hipercubo", "aleatorio", "aleatorio");
    } else if (k == "semilla") {
      once(seen_seed, "semilla");
      const std::string& t = ln.at(1, "semilla", "un número entero de 0 a 18446744073709551615").text;
      auto r = std::from_chars(t.data(), t.data() + t.size(), s.seed);
      if (r.ec != std::errc() || r.ptr != t.data() + t.size())
        ln.fail("semilla", "se leyó \"" + t + "\"; se espera un número entero de 0 a 18446744073709551615");
      ln.end(2);
    } else if (k == "extremos") {
      once(seen_ends, "extremos");
      s.minmax = !one_of_two(ln, "extremos", "percentiles", "percentiles", "mínimo-máximo", "minimo-maximo");
    } else if (k == "parametro") {
      Parameter p;
      p.line = n;
      const std::size_t d = read_parameter(ln, 1, p);
      read_distribution(ln, d, p);
      for (std::size_t i = 1; i < d; ++i) p.text += (i > 1 ? " " : "") + ln[i].text;
      for (const Parameter& q : s.params)
        if (q.name == p.name) ln.fail(p.name, "ya varía en la línea " + std::to_string(q.line));
      s.params.push_back(std::move(p));
    } else if (k == "correlacion") {
      if (s.corr_line > 0) ln.fail("correlación", "sólo se admite una; ya se dio en la línea " + std::to_string(s.corr_line));
      s.corr_line = n;
      s.corr_a = static_cast<int>(ln.integer(1, "primer parámetro", 1, 1000000)) - 1;
      s.corr_b = static_cast<int>(ln.integer(2, "segundo parámetro", 1, 1000000)) - 1;
      s.rho = ln.real(3, "coeficiente de correlación");
      if (s.rho < -1.0 || s.rho > 1.0)
        ln.fail("coeficiente de correlación", "se leyó " + ln[3].text + "; debe estar entre -1 y 1");
      if (s.corr_a == s.corr_b) ln.fail("segundo parámetro", "un parámetro no se correlaciona consigo mismo");
      ln.end(4);
    } else {
      ln.fail("\"" + ln[0].text + "\"",
              "no es una instrucción de estudio; se espera método, muestras, muestreo, semilla, extremos, parámetro o "
              "correlación");
    }
  }
  auto whole = [&](std::string_view item, std::string_view what) {
    throw Fatal{status::BAD_DATA, bad_study_message(s.file, 0, item, what)};
  };
  if (s.method_line == 0) whole("método", "falta el renglón \"método sensibilidad\" o \"método montecarlo\"");
  if (s.params.empty()) whole("parámetro", "no hay ningún renglón \"parámetro\": nada varía");
  if (s.method == Method::montecarlo && seen_N == 0) whole("muestras", "falta el renglón \"muestras N\" de montecarlo");
  const int np = static_cast<int>(s.params.size());
  if (s.corr_line > 0) {
    if (s.corr_a >= np)
      throw Fatal{status::BAD_DATA, bad_study_message(s.file, s.corr_line, "primer parámetro",
                                                      out_of_range(s.corr_a + 1, 1, np))};
    if (s.corr_b >= np)
      throw Fatal{status::BAD_DATA, bad_study_message(s.file, s.corr_line, "segundo parámetro",
                                                      out_of_range(s.corr_b + 1, 1, np))};
  }
  if (s.method == Method::sensitivity && s.minmax)
    for (const Parameter& p : s.params)
      if (!p.d.bounded())
        throw Fatal{status::BAD_DATA, bad_study_message(s.file, p.line, p.name,
                                                        "una distribución normal o lognormal no tiene mínimo ni máximo; "
                                                        "use \"extremos percentiles\"")};
  return s;
}

Study read_study(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw Fatal{status::BAD_DATA, "Error: no se puede abrir el archivo de estudio \"" + path + "\": " +
                                             system_reason(errno)};
  std::stringstream b;
  b << in.rdbuf();
  return parse_study(path, b.str());
}

namespace {

std::string padded20(const std::string& s) {
  std::string t = s.substr(0, 20);
  t.resize(20, ' ');
  return t;
}

}  // namespace

void check_study(Study& s, const Model& m) {
  for (Parameter& p : s.params) {
    auto fail = [&](std::string_view what) {
      throw Fatal{status::BAD_DATA, bad_study_message(s.file, p.line, p.name, what)};
    };
    if (p.q == Quantity::stratum) {
      static const char* const kCase[] = {"", "1 (expansiones)", "2 (compresiones)", "3 (consolidación primaria)",
                                          "4 (consolidación secundaria)"};
      if (m.CASO[p.case_no] != 1) fail(std::string("el caso ") + kCase[p.case_no] + " no se analiza en este modelo");
      const SoilName* sn = nullptr;
      for (const SoilName& x : kSoil)
        if (x.table == p.table) sn = &x;
      if (sn != nullptr && sn->nonlinear && m.KANAL != 2)
        fail("sólo lo usa el análisis no lineal (KANAL = 2); este modelo tiene KANAL = " + std::to_string(m.KANAL));
      if (p.perfil > m.NPS)
        fail("no existe el perfil " + std::to_string(p.perfil) + "; el modelo tiene " + std::to_string(m.NPS));
      if (p.estrato > 0 && p.estrato > m.NEST(p.perfil))
        fail("no existe el estrato " + std::to_string(p.estrato) + " del perfil " + std::to_string(p.perfil) +
             "; tiene " + std::to_string(m.NEST(p.perfil)));
    } else if (p.q == Quantity::VALNL) {
      if (m.KANAL != 2)
        fail("sólo lo usa el análisis no lineal (KANAL = 2); este modelo tiene KANAL = " + std::to_string(m.KANAL));
    } else if (p.q == Quantity::E_material && !p.factor) {
      p.material_index = 0;
      for (int i = 1; i <= m.NMAT; ++i)
        if (padded20(m.MATNOM(i)) == padded20(p.material)) p.material_index = i;
      if (p.material_index == 0) fail("no hay un material \"" + p.material + "\" en el archivo de datos");
    }
  }
}

namespace {

// A typed single-precision value as the double its shortest text reads as (0.4, not 0.4000000059604645).
double as_typed(float v) {
  char b[32];
  auto r = std::to_chars(b, b + sizeof b, v);
  double d = 0;
  std::from_chars(b, r.ptr, d);
  return d;
}

}  // namespace

double typed_value(const Parameter& p, const Model& m) {
  if (p.factor) return 1.0;
  switch (p.q) {
    case Quantity::stratum: return as_typed((m.*p.table)(p.perfil, p.estrato));
    case Quantity::VALNL: return as_typed(m.VALNL);
    case Quantity::E_material: return as_typed(m.MODELAST(p.material_index));
    default: return 1.0;
  }
}

}  // namespace korvant
