// Results a person can look at, written besides the report after each solved
// case and pass when asked for on the command line: VTK unstructured grids for
// ParaView (with a .pvd collection of them), CSV tables for spreadsheets and SVG
// pictures (plan of the foundation coloured by settlement, shear and moment
// diagrams of every axis). Each file is named after the report (without its
// extension), the case and the pass: REPORTE_caso2_campo-nodo.vtu.
#pragma once

#include <cstdio>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "frame/frame.hpp"
#include "model/model.hpp"
#include "text/out_file.hpp"
#include "views/limits.hpp"

namespace korvant {

struct ViewOptions {
  bool vtk = false, csv = false, svg = false;
  bool resumen = false, html = false;  // the summary (text, console, springs) and the HTML page
  Limits limites;                      // what the summary and the page judge against
  bool any() const { return vtk || csv || svg || resumen || html; }
};

// A finding of the verdict that the heads of the summary and of the page list:
// a limit not met, an equilibrium that fails, tension where it should not be.
struct Alert {
  std::string text;    // Latin-1, one line
  std::string anchor;  // the id of the part of the pass's section that says it
};
// The findings of one pass, with its id and title (Latin-1).
struct PassAlerts {
  std::string id, title;
  std::vector<Alert> alerts;
};

// A reaction point of a solve: area reaction k of node k (DZ), or nodal
// reaction k - NR of an isolated footing (one of the six components).
struct ReactionPoint {
  int k = 0, node = 0, comp = 0;  // comp 1..6: DX DY DZ MX MY MZ
  bool area = true;
  float R = 0.0f;  // the solved reaction
  float s = 0.0f;  // its settlement (displacement or rotation of its dof)
};

// The reaction points of solution s: NR + MR of a linear solve, the NR area
// reactions of a nonlinear one.
void reaction_points(const Model& m, const PassSolution& s, std::vector<ReactionPoint>& out);

// Settlement of each node 1..NN: that of its vertical reaction point where it
// has one, otherwise its vertical displacement DESP(6n - 3).
void node_settlements(const Model& m, const PassSolution& s, const std::vector<ReactionPoint>& rp,
                      std::vector<float>& out);

// The writers, each to one open file.
void write_vtu(const Model& m, const PassSolution& s, const std::vector<ReactionPoint>& rp, OutFile& o);
void write_pvd(const std::vector<std::string>& vtu_names, OutFile& o);
void write_csv_reactions(const std::vector<ReactionPoint>& rp, OutFile& o);
void write_csv_nodes(const Model& m, const PassSolution& s, OutFile& o);
void write_csv_bars(const Model& m, const PassSolution& s, OutFile& o);
void write_csv_diagrams(const Model& m, const PassSolution& s, OutFile& o);
// `ids` prefixes every id of the picture; a picture with a prefix is one of
// several on a page: the plan and each axis in a figure of its own, whole
// pixels, colours of the page's shared classes, foundation bars at their width.
// The diagrams are those of s.drawn.
void write_svg(const Model& m, const PassSolution& s, const std::vector<ReactionPoint>& rp, OutFile& o,
               std::string_view ids = "");
// The colour classes the pictures of a page share (CSS).
std::string page_colour_styles();

// Text helpers shared by the writers.
// The shortest decimal text that reads back as the same float ("0.1", "-2.5e-05").
void put_real(OutFile& o, float v);
// A Latin-1 text as UTF-8 XML character data or attribute value (&, <, >, " escaped,
// control characters replaced by '?'). A file name keeps its bytes (latin1 false).
void put_xml_text(OutFile& o, std::string_view text, bool latin1 = true);
// A 20-character name without its trailing blanks.
std::string trimmed(const std::string& s);

struct PassRecord;  // views/envelope.hpp

// Whether the report is sent to a device or a pipe rather than a folder's
// file: "/dev/stdout" is one even when the console it names is redirected to
// a file (a name under /dev or /proc never has outputs beside it).
bool report_to_stream(const std::string& reporte);

// The start of every view file's name: the report's name without its
// extension ("casos/REP.txt": "casos/REP"). A report sent to a stream leaves
// its views in the working directory, as the files of fixed name, under the
// stream's own name ("stdout").
std::string view_base(const std::string& reporte);

// The files of the run, opened and closed one at a time.
class Views {
 public:
  Views();
  Views(const Views&) = delete;
  Views& operator=(const Views&) = delete;
  Views(ViewOptions opts, const std::string& reporte);
  ~Views();
  const ViewOptions& options() const { return opts_; }

  // Every name these options may write, so that none can be the data file,
  // the report or one of the fixed files (checked before anything is written).
  std::vector<std::string> possible_names() const;

  // Reserves every name of possible_names() (checks it and creates its
  // temporary file, see OutFile::reserve), so that a name that cannot be
  // written ends the run before anything is.
  void reserve();
  // Puts every file written in place (OutFile::publish) and discards the
  // temporary files of those not written; it also removes the files of an
  // earlier run under the names this program writes for this report (any
  // option) that this run did not write.
  void publish();
  // Removes every temporary file: the earlier files stay as they were.
  void discard() noexcept;

  // Whether the pictures are asked for: each solution then carries the
  // denser walk of its axes (PassSolution::drawn).
  bool draws() const { return opts_.svg || opts_.html; }

  // Writes the files of one solved pass; throws Fatal{status::OUTPUT} when one
  // cannot be written. The solution is kept for the files across the passes
  // (the summary, the envelopes and the page), written once, at the end.
  void write(const Model& m, std::shared_ptr<const PassSolution> s);

  // From the start of the run the text of the error stream `err` is kept for
  // the page's warnings (when the page is asked for); at its end the summary,
  // the envelopes and the page are written, with every warning of the run,
  // and the summary of every pass goes to the console `con`.
  void start(OutFile& err);
  void finish(const Model& m, OutFile& con);
  // A run that ends early because of its data: the summary, the envelopes and
  // the page of the passes it solved, if it solved any.
  void finish_early(const Model& m);

  // Told of every solved pass before its files are written (a study watches
  // each sample's results this way, with no file asked for).
  void watch(std::function<void(const Model&, const PassSolution&)> w) { watch_ = std::move(w); }
  // A section of the page after those of the passes (a study's), written with the page.
  void add_section(std::string html, std::string title, std::string id);

  // Tests and fuzzing: every file goes to this stream instead of its own file.
  void send_all_to(std::FILE* sink) { sink_ = sink; }

 private:
  void open(OutFile& o, const std::string& name);
  void give_back(OutFile& o);  // a file written by o goes back to its name in held_
  ViewOptions opts_;
  std::string base_;                // report name without its extension
  std::vector<std::string> vtus_;   // written so far, for the collection
  std::vector<ReactionPoint> rp_;   // scratch, kept for the run
  OutFile file_;                    // the file being written
  std::vector<std::pair<std::string, std::unique_ptr<OutFile>>> held_;  // by name, from reserve() to publish()
  std::string report_;
  std::FILE* sink_ = nullptr;
  // Summary and page: the text of the passes so far (Latin-1), the page's sections.
  std::string resumen_;
  std::vector<std::string> extra_sections_;  // the page's sections after those of the passes
  std::vector<PassAlerts> passes_;  // title, id and findings of each pass on the page and in the summary
  std::vector<PassRecord> records_;  // what the envelopes across the passes read of each
  std::string warnings_;
  OutFile* err_ = nullptr;  // copying its text to warnings_
  std::function<void(const Model&, const PassSolution&)> watch_;
  void write_summary_files(const Model& m);
  void stop_copying_err();
};

}  // namespace korvant
