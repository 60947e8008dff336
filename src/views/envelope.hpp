// What a design is made of, across every solved pass: the total settlement of
// each foundation node (compressions + primary + secondary consolidation), the
// envelope of the end moments and shears of every bar, and, drawn on the page,
// the envelope diagrams and the settlement profile along each axis.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "frame/frame.hpp"
#include "model/model.hpp"
#include "views/summary.hpp"

namespace korvant {

// What the envelopes read of one solved pass: its kept solution (its end
// forces, the drawn walk of its axes) and the settlement of each node.
struct PassRecord {
  std::shared_ptr<const PassSolution> sol;
  std::string id, title;  // "caso2_laboratorio"; title in Latin-1
  int case_no = 0;
  std::vector<float> s;          // settlement (vertical movement) by node 1..NN
  std::vector<char> foundation;  // by node: a vertical reaction point in this pass
  Summary summary;               // its summary, judged against the limits
  // The drawn walk of axis a (1..NEJES).
  const std::vector<AxisPoint>& axis(int a) const { return sol->drawn[static_cast<std::size_t>(a - 1)].points; }
};
void record_pass(const Model& m, std::shared_ptr<const PassSolution> sol, const std::vector<ReactionPoint>& rp,
                 PassRecord& r);

// The total settlement: the pass of each consolidating case that is summed
// (compressions: the iterative or nonlinear one where it ran, else laboratory
// moduli, else field moduli; each consolidation: its one pass) and the summary
// figures of the sum, judged against the limits. False when no pass of
// cases 2 to 4 was solved.
struct TotalSettlement {
  std::vector<const PassRecord*> used;
  Summary s;  // nodes: the totals; anchors of its findings: "total-..."
};
bool total_settlement(const Model& m, const std::vector<PassRecord>& passes, const Limits& l, TotalSettlement& t);

// The largest and smallest of one end force of one bar over the passes.
struct ForceEnvelope {
  int bar = 0, r = 0;  // r: 1..12, the end force (only shears and moments)
  float max = 0.0f, min = 0.0f;
  int pmax = 0, pmin = 0;  // index of the pass
};
void force_envelope(const Model& m, const std::vector<PassRecord>& passes, std::vector<ForceEnvelope>& out);

// The text after the passes' blocks in the summary; REPORTE_envolvente.csv;
// the page's last section (its pictures from write_envelope_svgs).
void envelope_text(const Model& m, const std::vector<PassRecord>& passes, const Limits& l, const std::string& csv_file,
                   std::string& out);
void write_envelope_csv(const Model& m, const std::vector<PassRecord>& passes, OutFile& o);
void envelope_section(const Model& m, const std::vector<PassRecord>& passes, const Limits& l, const std::string& svg,
                      std::string& out);
// Per axis: the settlement profile (one line per pass) and the envelope of V and M.
void write_envelope_svgs(const Model& m, const std::vector<PassRecord>& passes, OutFile& o);

}  // namespace korvant
