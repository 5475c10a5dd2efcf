#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace korvane::testing {

// An AGS 4 checker written for the tests, from the format's rules and an excerpt of the 4.2
// dictionary (the groups the export uses). Returns one line per fault of one rule family, none
// when the family holds:
//   characters   printable ASCII only; every line ended by CR LF, no other CR or LF
//   quoting      every field in double quotes, inner quotes doubled, fields split by commas
//   structure    GROUP, HEADING, UNIT, TYPE rows then DATA rows, as many fields as headings,
//                one blank line between groups, each group once, names of the allowed form
//   order        dictionary headings in dictionary order with its units and types, user-defined
//                headings after them
//   definitions  every unit in UNIT, type in TYPE, PA code in ABBR, user-defined heading in
//                DICT (with its type and unit); every value of the form its type gives
//   single       exactly one PROJ and one TRAN row, TRAN_AGS 4.2
//   keys         key combinations unique, required fields filled
std::vector<std::string> AgsFaults(const std::string& text, std::string_view family);

} // namespace korvane::testing
