// The processes of a study, with MPI when the build has it.
#include "driver/cluster.hpp"

#include <cstdlib>
#include <vector>

#ifdef KORVANT_MPI
#include <mpi.h>
#endif

namespace korvant {

#ifdef KORVANT_MPI

namespace {
constexpr int TAG_ROW = 1, TAG_DONE = 2;
}

Cluster::Cluster(int& argc, char**& argv, bool join) {
  if (!join) return;
  int provided = 0;
  MPI_Init_thread(&argc, &argv, MPI_THREAD_FUNNELED, &provided);
  mpi_ = true;
  MPI_Comm_rank(MPI_COMM_WORLD, &rank_);
  MPI_Comm_size(MPI_COMM_WORLD, &size_);
}

Cluster::~Cluster() {
  if (mpi_) MPI_Finalize();
}

void Cluster::share(int& value) {
  if (size_ > 1) MPI_Bcast(&value, 1, MPI_INT, 0, MPI_COMM_WORLD);
}

void Cluster::send_row(int sample, const std::string& line) {
  std::string msg = std::to_string(sample) + " " + line;
  MPI_Send(msg.data(), static_cast<int>(msg.size()), MPI_CHAR, 0, TAG_ROW, MPI_COMM_WORLD);
}

void Cluster::send_done() { MPI_Send(nullptr, 0, MPI_CHAR, 0, TAG_DONE, MPI_COMM_WORLD); }

bool Cluster::receive_row(int& sample, std::string& line, int& done) {
  for (;;) {
    int flag = 0;
    MPI_Status st;
    MPI_Iprobe(MPI_ANY_SOURCE, MPI_ANY_TAG, MPI_COMM_WORLD, &flag, &st);
    if (!flag) return false;
    int n = 0;
    MPI_Get_count(&st, MPI_CHAR, &n);
    std::vector<char> b(static_cast<std::size_t>(n) + 1);
    MPI_Recv(b.data(), n, MPI_CHAR, st.MPI_SOURCE, st.MPI_TAG, MPI_COMM_WORLD, MPI_STATUS_IGNORE);
    if (st.MPI_TAG == TAG_DONE) {
      ++done;
      continue;
    }
    const std::string msg(b.data(), static_cast<std::size_t>(n));
    const std::size_t sp = msg.find(' ');
    sample = std::atoi(msg.substr(0, sp).c_str());
    line = msg.substr(sp + 1);
    return true;
  }
}

void Cluster::abort(int status) {
  if (mpi_) MPI_Abort(MPI_COMM_WORLD, status);
  std::exit(status);
}

#else

Cluster::Cluster(int&, char**&, bool) {}
Cluster::~Cluster() = default;
void Cluster::share(int&) {}
void Cluster::send_row(int, const std::string&) {}
void Cluster::send_done() {}
bool Cluster::receive_row(int&, std::string&, int&) { return false; }
void Cluster::abort(int status) { std::exit(status); }

#endif

}  // namespace korvant
