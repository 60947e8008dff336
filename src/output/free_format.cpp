// Placeholder: the free-format writer is being written.
#include "output/free_format.hpp"
namespace korvant {
Lst::~Lst() { f_.end_line(); }
void Lst::start() {}
Lst& Lst::operator<<(int) { return *this; }
Lst& Lst::operator<<(float) { return *this; }
Lst& Lst::operator<<(double) { return *this; }
Lst& Lst::operator<<(std::string_view) { return *this; }
}  // namespace korvant
