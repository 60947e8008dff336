// Placeholder: the data-file reader is being written.
#include "driver/data_reader.hpp"
#include "model/fatal.hpp"
namespace korvant {
ReadStmt::ReadStmt(DataReader& rd) : rd_(rd) {}
ReadStmt::~ReadStmt() {}
ReadStmt& ReadStmt::i(int&, std::string_view) { return *this; }
ReadStmt& ReadStmt::r(float&, std::string_view) { return *this; }
ReadStmt& ReadStmt::a(std::string&, int, std::string_view) { return *this; }
void DataReader::open(const std::string& path) { name_ = path; }
void DataReader::open_text(const std::string& name, std::string text) { name_ = name; text_ = std::move(text); }
void DataReader::skip(std::string_view) {}
std::string DataReader::read_fixed(int w, std::string_view) { return std::string(static_cast<std::size_t>(w), ' '); }
void DataReader::fail(std::string_view, std::string_view w) const { throw Fatal{status::BAD_DATA, std::string(w)}; }
void DataReader::fail_at(int, std::string_view, std::string_view w) const { throw Fatal{status::BAD_DATA, std::string(w)}; }
}  // namespace korvant
