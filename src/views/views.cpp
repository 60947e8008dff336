// The files a person looks at: what goes into them from one solve, their names,
// and the text helpers the VTK, CSV and SVG writers share.
#include "views/views.hpp"

#include <algorithm>
#include <charconv>
#include <filesystem>
#include <utility>

#include "frame/element_matrices.hpp"
#include "frame/frame.hpp"
#include "model/analysis_passes.hpp"
#include "views/envelope.hpp"
#include "views/summary.hpp"

namespace korvant {

namespace {

const char* const kSuffixes[] = {".vtu", "_reacciones.csv", "_nodos.csv", "_barras.csv", "_diagramas.csv", ".svg"};

}  // namespace

void reaction_points(const Model& m, const PassSolution& s, std::vector<ReactionPoint>& out) {
  out.clear();
  const bool nonlinear = s.c.nonlinear;
  const int count = nonlinear ? m.NR : m.NR + m.MR;
  for (int k = 1; k <= count; ++k) {
    ReactionPoint p;
    p.k = k;
    p.area = k <= m.NR;
    const int g = p.area ? m.NREAC(k) : m.NREACN(k - m.NR);
    p.node = (g - 1) / 6 + 1;
    p.comp = (g - 1) % 6 + 1;
    p.R = s.DESP(m.NGL + k);
    p.s = nonlinear ? s.DESP(g) : s.HUNDIM(k);
    out.push_back(p);
  }
}

void node_settlements(const Model& m, const PassSolution& s, const std::vector<ReactionPoint>& rp,
                      std::vector<float>& out) {
  out.assign(static_cast<std::size_t>(m.NN) + 1, 0.0f);
  for (int n = 1; n <= m.NN; ++n) out[static_cast<std::size_t>(n)] = s.DESP(6 * n - 3);
  for (const ReactionPoint& p : rp)
    if (p.comp == 3) out[static_cast<std::size_t>(p.node)] = p.s;
}

void put_real(OutFile& o, float v) {
  char b[32];
  const auto r = std::to_chars(b, b + sizeof b, v);
  o.put(std::string_view(b, static_cast<std::size_t>(r.ptr - b)));
}

void put_xml_text(OutFile& o, std::string_view text, bool latin1) {
  for (const char ch : text) {
    const unsigned char c = static_cast<unsigned char>(ch);
    switch (c) {
      case '&': o.put("&amp;"); break;
      case '<': o.put("&lt;"); break;
      case '>': o.put("&gt;"); break;
      case '"': o.put("&quot;"); break;
      default:
        if (c < 0x20 || c == 0x7F) {
          o.put('?');
        } else if (c < 0x80 || !latin1) {
          o.put(static_cast<char>(c));
        } else {
          o.put(static_cast<char>(0xC0 | (c >> 6)));
          o.put(static_cast<char>(0x80 | (c & 0x3F)));
        }
    }
  }
}

std::string trimmed(const std::string& s) {
  std::size_t e = s.find_last_not_of(' ');
  return e == std::string::npos ? std::string() : s.substr(0, e + 1);
}

Views::Views() = default;

bool report_to_stream(const std::string& reporte) {
  namespace fs = std::filesystem;
  std::error_code e;
  const fs::file_type type = fs::status(reporte, e).type();
  if (type == fs::file_type::character || type == fs::file_type::block || type == fs::file_type::fifo ||
      type == fs::file_type::socket)
    return true;
  const fs::path folder = fs::weakly_canonical(fs::absolute(reporte, e).parent_path(), e);
  for (const char* system : {"/dev", "/proc"}) {
    const fs::path p = system;
    if (folder == p || std::mismatch(p.begin(), p.end(), folder.begin(), folder.end()).first == p.end()) return true;
  }
  return false;
}

std::string view_base(const std::string& reporte) {
  namespace fs = std::filesystem;
  std::string base = report_to_stream(reporte) ? fs::path(reporte).filename().string() : reporte;
  // The report's extension, if its name has one, is not part of the other names.
  const std::size_t slash = base.find_last_of('/');
  const std::size_t start = slash == std::string::npos ? 0 : slash + 1;
  const std::size_t dot = base.find_last_of('.');
  if (dot != std::string::npos && dot > start) base.resize(dot);
  return base;
}

Views::Views(ViewOptions opts, const std::string& reporte) : opts_(opts), base_(view_base(reporte)), report_(reporte) {}

std::vector<std::string> Views::possible_names() const {
  std::vector<std::string> names;
  if (opts_.vtk) names.push_back(base_ + ".pvd");
  if (opts_.resumen) names.push_back(base_ + "_resumen.txt");
  if (opts_.html) names.push_back(base_ + ".html");
  if (opts_.resumen || opts_.html)
    for (const AnalysisPass& p : analysis_passes()) names.push_back(base_ + "_" + p.view + "_resortes_barras.csv");
  if (opts_.resumen)
    for (const AnalysisPass& p : analysis_passes()) names.push_back(base_ + "_" + p.view + "_resortes.csv");
  if (opts_.resumen || opts_.html) names.push_back(base_ + "_envolvente.csv");
  for (const AnalysisPass& p : analysis_passes())
    for (const char* suffix : kSuffixes) {
      const std::string s = suffix;
      const bool want = s == ".vtu" ? opts_.vtk : s == ".svg" ? opts_.svg : opts_.csv;
      if (want) names.push_back(base_ + "_" + p.view + s);
    }
  return names;
}

void Views::reserve() {
  if (sink_ != nullptr) return;
  for (const std::string& name : possible_names()) {
    held_.emplace_back(name, std::make_unique<OutFile>());
    held_.back().second->reserve(name);
  }
}

void Views::give_back(OutFile& o) {
  for (auto& [name, h] : held_)
    if (name == o.name() && !h->is_reserved() && !h->is_open()) {
      h->take(o);
      return;
    }
}

void Views::open(OutFile& o, const std::string& name) {
  if (sink_ != nullptr) {
    o.attach(sink_, name);
    return;
  }
  give_back(o);
  for (auto& [held_name, h] : held_) {
    if (held_name == name) {
      o.take(*h);
      o.start();
      return;
    }
  }
  o.open(name);
}

void Views::add_section(std::string html, std::string title, std::string id) {
  extra_sections_.push_back(std::move(html));
  PassAlerts p;
  p.id = std::move(id);
  p.title = std::move(title);
  passes_.push_back(std::move(p));
}

void Views::publish() {
  if (sink_ != nullptr) return;
  file_.close_quietly();
  give_back(file_);
  std::vector<std::string> written;
  for (auto& [name, h] : held_)
    if (h->publish()) written.push_back(name);
  held_.clear();
  // A file of an earlier run under a name this program writes for this report,
  // with whatever options, that this run did not write describes another run:
  // also when this run ends early, since its report and log replace the
  // earlier ones.
  ViewOptions every;
  every.vtk = every.csv = every.svg = every.resumen = every.html = true;
  Views all(every, report_);
  namespace fs = std::filesystem;
  for (const std::string& name : all.possible_names()) {
    if (std::find(written.begin(), written.end(), name) != written.end()) continue;
    std::error_code ec;
    const fs::file_status st = fs::symlink_status(name, ec);
    if (!ec && (fs::is_regular_file(st) || fs::is_symlink(st))) fs::remove(name, ec);
  }
}

void Views::discard() noexcept {
  file_.discard();
  for (auto& [name, h] : held_) h->discard();
}

void Views::write(const Model& m, std::shared_ptr<const PassSolution> sol) {
  const PassSolution& s = *sol;
  const SolvedCase& c = s.c;
  if (watch_) watch_(m, s);
  if (!opts_.any()) return;
  reaction_points(m, s, rp_);
  const std::string stem = base_ + "_" + c.pass;
  OutFile& o = file_;
  if (opts_.vtk) {
    open(o, stem + ".vtu");
    write_vtu(m, s, rp_, o);
    o.close();
    // The collection lists the grids written so far, so that it is whole even
    // when a later case ends the run.
    const std::size_t slash = stem.find_last_of('/');
    vtus_.push_back((slash == std::string::npos ? stem : stem.substr(slash + 1)) + ".vtu");
    open(o, base_ + ".pvd");
    write_pvd(vtus_, o);
    o.close();
  }
  if (opts_.csv) {
    open(o, stem + "_reacciones.csv");
    write_csv_reactions(rp_, o);
    o.close();
    open(o, stem + "_nodos.csv");
    write_csv_nodes(m, s, o);
    o.close();
    open(o, stem + "_barras.csv");
    write_csv_bars(m, s, o);
    o.close();
    open(o, stem + "_diagramas.csv");
    write_csv_diagrams(m, s, o);
    o.close();
  }
  if (opts_.svg) {
    open(o, stem + ".svg");
    write_svg(m, s, rp_, o);
    o.close();
  }
  if (opts_.resumen || opts_.html) {
    Summary sum;
    compute_summary(m, s, sum);
    judge(opts_.limites, sum);
    passes_.push_back({c.pass, c.title, sum.alerts});
    open(o, stem + "_resortes_barras.csv");
    write_line_springs_csv(m, sum, o);
    o.close();
    if (opts_.resumen) {
      const std::string springs = stem + "_resortes.csv";
      summary_text(m, sum, opts_.limites, std::filesystem::path(springs).filename().string(), resumen_);
      open(o, springs);
      write_springs_csv(sum, o);
      o.close();
    }
    // The page's section of the pass is made from the kept value when the page is written.
    records_.emplace_back();
    record_pass(m, std::move(sol), rp_, records_.back());
    records_.back().summary = std::move(sum);
  }
}

namespace {

// Title, signs, the limits in use and the findings of every pass so far (and of the total settlement).
void summary_heading(const Model& m, const Limits& l, const std::vector<PassAlerts>& passes, std::string& out) {
  out += "RESUMEN DE RESULTADOS: " + trimmed(m.TITULO) + "\n";
  out += "Signos: hundimientos negativos hacia abajo; reacciones y presiones positivas en compresión.\n";
  out += "Límites: " + l.cited() + ".\n";
  std::string found;
  for (const PassAlerts& p : passes)
    for (const Alert& a : p.alerts) found += "  [" + p.id + "] " + a.text + "\n";
  if (const std::string tie = tie_beam_text(m); !tie.empty()) found = "  Aviso: " + tie + "\n" + found;
  out += found.empty() ? std::string("Veredicto: sin avisos; todas las pasadas cumplen los límites.\n")
                       : "Veredicto: avisos y límites que no se cumplen\n" + found;
  out += "\n";
}

}  // namespace

void Views::write_summary_files(const Model& m) {
  OutFile& o = file_;
  // The findings of the total settlement join those of the passes.
  std::vector<PassAlerts> all = passes_;
  if (TotalSettlement t; total_settlement(m, records_, opts_.limites, t) && !t.s.alerts.empty())
    all.push_back({"envolventes", "Asentamiento total", t.s.alerts});
  const std::string csv = base_ + "_envolvente.csv";
  if (!records_.empty()) {
    open(o, csv);
    write_envelope_csv(m, records_, o);
    o.close();
  }
  if (opts_.resumen) {
    std::string text;
    summary_heading(m, opts_.limites, all, text);
    open(o, base_ + "_resumen.txt");
    put_utf8(o, text);
    put_utf8(o, resumen_.empty() ? std::string("No se resolvió ningún caso.\n") : resumen_);
    std::string env;
    envelope_text(m, records_, opts_.limites, std::filesystem::path(csv).filename().string(), env);
    put_utf8(o, env);
    o.close();
  }
  if (opts_.html) {
    // A section per solved pass, its pictures drawn from its kept value; then
    // those added after the passes (a study's).
    std::vector<std::string> sections;
    for (const PassRecord& r : records_) {
      reaction_points(m, *r.sol, rp_);
      std::string svg;
      OutFile capture;
      capture.copy_to(&svg);
      write_svg(m, *r.sol, rp_, capture, r.id + "-");
      capture.flush();
      sections.emplace_back();
      html_section(m, r.summary, opts_.limites, svg, sections.back());
    }
    sections.insert(sections.end(), extra_sections_.begin(), extra_sections_.end());
    if (!records_.empty()) {
      std::string svg;
      OutFile capture;
      capture.copy_to(&svg);
      write_envelope_svgs(m, records_, capture);
      capture.flush();
      sections.emplace_back();
      envelope_section(m, records_, opts_.limites, svg, sections.back());
      if (all.size() == passes_.size()) all.push_back({"envolventes", "Envolventes y asentamiento total", {}});
      else all.back().title = "Envolventes y asentamiento total";
    }
    open(o, base_ + ".html");
    write_html(m, sections, all, warnings_, opts_.limites, o);
    o.close();
  }
}

Views::~Views() {
  if (err_ != nullptr) err_->copy_to(nullptr);
}

void Views::start(OutFile& err) {
  if (!opts_.html) return;
  err_ = &err;
  err_->copy_to(&warnings_);
}

void Views::stop_copying_err() {
  if (err_ == nullptr) return;
  err_->flush();
  err_->copy_to(nullptr);
  err_ = nullptr;
}

void Views::finish(const Model& m, OutFile& con) {
  stop_copying_err();
  if (opts_.resumen || opts_.html) write_summary_files(m);
  if (opts_.resumen) {
    std::vector<PassAlerts> all = passes_;
    if (TotalSettlement t; total_settlement(m, records_, opts_.limites, t) && !t.s.alerts.empty())
      all.push_back({"envolventes", "Asentamiento total", t.s.alerts});
    std::string text;
    summary_heading(m, opts_.limites, all, text);
    con.put(text);
    con.put(resumen_.empty() ? std::string("No se resolvió ningún caso.\n") : resumen_);
    std::string env;
    envelope_text(m, records_, opts_.limites, std::filesystem::path(base_ + "_envolvente.csv").filename().string(), env);
    con.put(env);
    con.flush();
  }
}

void Views::finish_early(const Model& m) {
  stop_copying_err();
  if ((opts_.resumen || opts_.html) && !records_.empty()) write_summary_files(m);
}

}  // namespace korvant
