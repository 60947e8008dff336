// The processes of a study: one on its own, or the K processes of an MPI job
// (built with -DKORVANT_MPI=ON and started by mpirun or srun). Rank 0 writes
// every file; the others compute samples and send their rows to it.
#pragma once

#include <string>

namespace korvant {

class Cluster {
 public:
  // Joins the job when `join` (a study) and the program is built with MPI
  // (a no-op otherwise).
  Cluster(int& argc, char**& argv, bool join);
  ~Cluster();
  Cluster(const Cluster&) = delete;
  Cluster& operator=(const Cluster&) = delete;

  int rank() const { return rank_; }
  int size() const { return size_; }
  bool leader() const { return rank_ == 0; }

  // Rank 0 gives every rank one number (the first sample to compute, or a
  // negative exit status when the study does not go on).
  void share(int& value);
  // A rank other than 0: sends the row of one sample (its table line), or says it has no more.
  void send_row(int sample, const std::string& line);
  void send_done();
  // Rank 0: takes a row that has arrived, without waiting; false when none has.
  // `done` counts the ranks that said they have no more.
  bool receive_row(int& sample, std::string& line, int& done);
  // Ends every process of the job at once (rank 0 after a fatal error while others wait).
  [[noreturn]] void abort(int status);

 private:
  int rank_ = 0, size_ = 1;
  bool mpi_ = false;
};

}  // namespace korvant
