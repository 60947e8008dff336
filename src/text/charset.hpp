// Character sets of the program's texts. Every text inside the program and in
// the files of a run is single-byte Latin-1; the console may want UTF-8, a
// data file may come in UTF-8, and the views write UTF-8.
#pragma once

#include <string>
#include <string_view>

namespace korvant {

// Appends the UTF-8 form of a Latin-1 text.
void latin1_to_utf8(std::string& out, std::string_view latin1);

// Appends the UTF-8 form of a Latin-1 text for a UTF-8 terminal, keeping
// unchanged every run of bytes that already is a multi-byte UTF-8 sequence (a
// file name typed in that terminal). No Latin-1 text of the program holds such
// a pair: a capital letter with accent followed by a symbol of 0x80..0xBF.
void console_utf8(std::string& out, std::string_view text);

// What decoding a data file found.
struct Utf8Scan {
  bool valid = true;       // the whole text is well-formed UTF-8
  bool multibyte = false;  // and holds at least one sequence of two bytes or more
};
Utf8Scan scan_utf8(std::string_view text);

// Translates well-formed UTF-8 to Latin-1 in place. Returns 0, or the line
// (from 1) of the first character without a Latin-1 form (the text is then
// only partly translated).
int utf8_to_latin1(std::string& text);

// Whether the locale of the environment (LC_ALL, LC_CTYPE, LANG) uses UTF-8.
// Sets the program's LC_CTYPE from the environment.
bool console_wants_utf8();

}  // namespace korvant
