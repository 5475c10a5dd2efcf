#include "AgsChecker.h"

#include <algorithm>
#include <map>
#include <set>
#include <sstream>

namespace korvane::testing {
namespace {

// From the AGS 4.2 dictionary, the headings of the groups the export uses that it may write
// or that are key or required: per group in order, "NAME TYPE UNIT STATUS" each (unit "-" for
// none; status K key, R required, KR both, O other). A standard heading missing here reads as a
// user-defined one without its DICT row, so it cannot pass unnoticed.
const std::map<std::string, std::string> kDictionary = {
    {"PROJ", "PROJ_ID ID - KR;PROJ_NAME X - O;PROJ_CLNT X - O"},
    {"TRAN", "TRAN_ISNO X - KR;TRAN_DATE DT yyyy-mm-dd R;TRAN_PROD X - R;TRAN_STAT X - R;"
             "TRAN_DESC X - O;TRAN_AGS X - R;TRAN_RECV X - R;TRAN_DLIM X - O;TRAN_RCON X - O"},
    {"ABBR", "ABBR_HDNG X - KR;ABBR_CODE X - KR;ABBR_DESC X - R"},
    {"DICT", "DICT_TYPE PA - KR;DICT_GRP X - KR;DICT_HDNG X - K;DICT_STAT PA - O;"
             "DICT_DTYP PT - O;DICT_DESC X - R;DICT_UNIT PU - O;DICT_EXMP X - O"},
    {"TYPE", "TYPE_TYPE X - KR;TYPE_DESC X - R"},
    {"UNIT", "UNIT_UNIT X - KR;UNIT_DESC X - R"},
    {"LOCA", "LOCA_ID ID - K;LOCA_TYPE PA - O;LOCA_FDEP 2DP m O;LOCA_STAR DT yyyy-mm-dd O"},
    {"ISTG", "LOCA_ID ID - K;ISTG_TESN X - K;ISTG_TYPE PA - O;ISTG_RECC PA - O;ISTG_RECD X - O;"
             "ISTG_SOUR PA - O;ISTG_SHOF 2DP m O;ISTG_OTOP 2DP m O;ISTG_REM X - O;"
             "ISTG_METH X - O"},
    {"ISTS", "LOCA_ID ID - K;ISTG_TESN X - K;ISTS_SGLN X - K;ISTS_RATE 3DP ms O"},
    {"ISTR", "LOCA_ID ID - K;ISTG_TESN X - K;ISTS_SGLN X - K;ISTR_DPTH 2DP m K;ISTR_REF X - K;"
             "ISTR_SSD 2DP m O"},
    {"ISTA", "LOCA_ID ID - K;ISTG_TESN X - K;ISTA_TOP 2DP m K;ISTA_BASE 2DP m K;"
             "ISTA_ANYN X - K;ISTA_DPTH 2DP m O;ISTA_RCOM PA - O;ISTA_MIVL PA - O;"
             "ISTA_WVTY PA - O;ISTA_UPSR 3DP ms O;ISTA_FTU PA - O;ISTA_FMIN 0DP Hz O;"
             "ISTA_FMAX 0DP Hz O;ISTA_WATT 3DP ms O;ISTA_WATB 3DP ms O;ISTA_WATM X - O;"
             "ISTA_ITM X - O;ISTA_WVL 1DP m/s O;ISTA_WVLM X - O;ISTA_IVAL YN - O;ISTA_REM X - O"},
};

struct Entry {
    std::string name, type, unit, status;
};

std::vector<Entry> Entries(const std::string& group) {
    std::vector<Entry> entries;
    const auto found = kDictionary.find(group);
    if (found == kDictionary.end())
        return entries;
    std::istringstream in(found->second);
    for (std::string item; std::getline(in, item, ';');) {
        std::istringstream words(item);
        Entry e;
        words >> e.name >> e.type >> e.unit >> e.status;
        if (e.unit == "-")
            e.unit.clear();
        entries.push_back(e);
    }
    return entries;
}

// Without std::regex, whose inlined code trips GCC 12's warnings under the sanitizers.
bool Digits(std::string_view text) {
    return !text.empty() &&
           std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

bool NameCharacters(std::string_view text) {
    return !text.empty() && std::all_of(text.begin(), text.end(), [](char c) {
        return (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
    });
}

bool IsGroupName(std::string_view name) {
    return name.size() == 4 && NameCharacters(name);
}

// Four characters of a group, an underscore and up to four more.
bool IsHeadingName(std::string_view name) {
    return name.size() >= 6 && name.size() <= 9 && name[4] == '_' &&
           IsGroupName(name.substr(0, 4)) && NameCharacters(name.substr(5));
}

bool IsDecimal(std::string_view value, int decimals) {
    if (!value.empty() && value.front() == '-')
        value.remove_prefix(1);
    const std::size_t point = value.find('.');
    if (decimals == 0)
        return Digits(value);
    return point != std::string_view::npos && Digits(value.substr(0, point)) &&
           value.size() - point - 1 == static_cast<std::size_t>(decimals) &&
           Digits(value.substr(point + 1));
}

struct Group {
    std::string name;
    std::vector<std::string> headings, units, types;
    std::vector<std::vector<std::string>> rows;
    std::string Value(std::size_t row, const std::string& heading) const {
        const auto at = std::find(headings.begin(), headings.end(), heading);
        return at == headings.end() ? std::string() : rows[row][at - headings.begin()];
    }
};

struct Parsed {
    std::vector<std::string> characters, quoting, structure;
    std::vector<Group> groups;
    const Group* Find(const std::string& name) const {
        for (const Group& g : groups)
            if (g.name == name)
                return &g;
        return nullptr;
    }
};

// Fields of one quoted line; false when the line breaks the quoting.
bool SplitQuoted(const std::string& line, std::vector<std::string>& fields) {
    std::size_t at = 0;
    while (true) {
        if (at >= line.size() || line[at] != '"')
            return false;
        std::string field;
        for (++at;; ++at) {
            if (at >= line.size())
                return false;
            if (line[at] == '"') {
                if (at + 1 < line.size() && line[at + 1] == '"') {
                    field += '"';
                    ++at;
                    continue;
                }
                break;
            }
            field += line[at];
        }
        fields.push_back(field);
        ++at;
        if (at == line.size())
            return true;
        if (line[at] != ',')
            return false;
        ++at;
    }
}

Parsed Parse(const std::string& text) {
    Parsed p;
    for (unsigned char c : text)
        if ((c < 0x20 || c > 0x7e) && c != '\r' && c != '\n') {
            p.characters.push_back("a character outside printable ASCII: " + std::to_string(c));
            break;
        }
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < text.size()) {
        const std::size_t end = text.find("\r\n", start);
        std::string line = text.substr(start, end == std::string::npos ? end : end - start);
        if (end == std::string::npos)
            p.characters.push_back("the last line has no CR LF");
        if (line.find_first_of("\r\n") != std::string::npos)
            p.characters.push_back("a lone CR or LF in line " + std::to_string(lines.size() + 1));
        lines.push_back(line);
        start = end == std::string::npos ? text.size() : end + 2;
    }
    std::set<std::string> seen;
    bool blankBefore = true;
    for (std::size_t n = 0; n < lines.size(); ++n) {
        const std::string where = "line " + std::to_string(n + 1);
        if (lines[n].empty()) {
            if (blankBefore)
                p.structure.push_back(where + ": a blank line that does not end a group");
            blankBefore = true;
            continue;
        }
        std::vector<std::string> fields;
        if (!SplitQuoted(lines[n], fields)) {
            p.quoting.push_back(where + ": " + lines[n]);
            continue;
        }
        const std::string descriptor = fields.front();
        fields.erase(fields.begin());
        if (descriptor == "GROUP") {
            if (!blankBefore)
                p.structure.push_back(where + ": no blank line before the group");
            if (fields.size() != 1 || !IsGroupName(fields[0]) || !seen.insert(fields[0]).second)
                p.structure.push_back(where + ": a bad or repeated GROUP row");
            p.groups.push_back({fields.empty() ? "" : fields[0], {}, {}, {}, {}});
        } else if (p.groups.empty()) {
            p.structure.push_back(where + ": a row before the first GROUP");
        } else {
            Group& g = p.groups.back();
            const std::size_t expected = g.headings.size();
            const std::vector<std::vector<std::string>*> order = {&g.headings, &g.units, &g.types};
            const std::size_t filled =
                std::count_if(order.begin(), order.end(), [](auto* v) { return !v->empty(); });
            const char* next[] = {"HEADING", "UNIT", "TYPE", "DATA"};
            if (filled > 0 && fields.size() != expected)
                p.structure.push_back(where + ": " + std::to_string(fields.size()) +
                                      " fields for " + std::to_string(expected) + " headings");
            if (filled > 0)
                fields.resize(expected); // so later families read within the row
            if (descriptor != next[filled])
                p.structure.push_back(where + ": " + descriptor + " where " + next[filled] +
                                      " belongs");
            else if (filled < 3)
                *order[filled] = fields;
            else
                g.rows.push_back(fields);
            if (filled == 0)
                for (const std::string& h : fields)
                    if (!IsHeadingName(h))
                        p.structure.push_back(where + ": heading name " + h);
        }
        blankBefore = false;
    }
    for (const Group& g : p.groups)
        if (g.rows.empty())
            p.structure.push_back(g.name + ": no DATA row");
    return p;
}

bool MatchesType(const std::string& value, const std::string& type, const std::string& unit) {
    if (value.empty() || type == "X" || type == "ID" || type == "PA" || type == "PT" ||
        type == "PU")
        return true;
    if (type == "YN")
        return value == "Y" || value == "N";
    if (type == "DT" && unit == "yyyy-mm-dd")
        return value.size() == 10 && value[4] == '-' && value[7] == '-' &&
               Digits(value.substr(0, 4)) && Digits(value.substr(5, 2)) &&
               Digits(value.substr(8, 2));
    if (type.size() == 3 && type.substr(1) == "DP")
        return IsDecimal(value, type[0] - '0');
    return false;
}

std::vector<std::string> Order(const Parsed& p) {
    std::vector<std::string> faults;
    for (const Group& g : p.groups) {
        const std::vector<Entry> entries = Entries(g.name);
        int last = -1;
        bool userDefined = false;
        for (std::size_t h = 0; h < g.headings.size(); ++h) {
            const auto at = std::find_if(entries.begin(), entries.end(),
                                         [&](const Entry& e) { return e.name == g.headings[h]; });
            if (at == entries.end()) {
                userDefined = true;
                continue;
            }
            const int index = static_cast<int>(at - entries.begin());
            if (index < last || userDefined)
                faults.push_back(g.name + ": " + at->name + " out of order");
            last = index;
            if (g.units[h] != at->unit || g.types[h] != at->type)
                faults.push_back(g.name + ": " + at->name + " unit/type " + g.units[h] + "/" +
                                 g.types[h]);
        }
    }
    return faults;
}

std::vector<std::string> Definitions(const Parsed& p) {
    std::vector<std::string> faults;
    std::set<std::string> units, types;
    std::set<std::pair<std::string, std::string>> codes;
    if (const Group* g = p.Find("UNIT"))
        for (std::size_t r = 0; r < g->rows.size(); ++r)
            units.insert(g->Value(r, "UNIT_UNIT"));
    if (const Group* g = p.Find("TYPE"))
        for (std::size_t r = 0; r < g->rows.size(); ++r)
            types.insert(g->Value(r, "TYPE_TYPE"));
    if (const Group* g = p.Find("ABBR"))
        for (std::size_t r = 0; r < g->rows.size(); ++r)
            codes.insert({g->Value(r, "ABBR_HDNG"), g->Value(r, "ABBR_CODE")});
    const Group* dict = p.Find("DICT");
    for (const Group& g : p.groups) {
        if (!kDictionary.count(g.name))
            faults.push_back(g.name + ": a group the dictionary does not hold");
        const std::vector<Entry> entries = Entries(g.name);
        for (std::size_t h = 0; h < g.headings.size(); ++h) {
            const std::string& name = g.headings[h];
            if (!g.units[h].empty() && !units.count(g.units[h]))
                faults.push_back(name + ": unit " + g.units[h] + " not in UNIT");
            if (!types.count(g.types[h]))
                faults.push_back(name + ": type " + g.types[h] + " not in TYPE");
            const bool standard = std::any_of(entries.begin(), entries.end(),
                                              [&](const Entry& e) { return e.name == name; });
            bool defined = standard;
            for (std::size_t r = 0; dict != nullptr && r < dict->rows.size(); ++r)
                defined = defined || (dict->Value(r, "DICT_TYPE") == "HEADING" &&
                                      dict->Value(r, "DICT_GRP") == g.name &&
                                      dict->Value(r, "DICT_HDNG") == name &&
                                      dict->Value(r, "DICT_DTYP") == g.types[h] &&
                                      dict->Value(r, "DICT_UNIT") == g.units[h]);
            if (!defined)
                faults.push_back(name + ": user-defined without its DICT row");
            for (const std::vector<std::string>& row : g.rows) {
                const std::string& value = row[h];
                if (!MatchesType(value, g.types[h], g.units[h]))
                    faults.push_back(name + ": \"" + value + "\" is not " + g.types[h]);
                if (g.types[h] == "PA" && !value.empty() && !codes.count({name, value}))
                    faults.push_back(name + ": code " + value + " not in ABBR");
                if (g.types[h] == "PT" && !value.empty() && !types.count(value))
                    faults.push_back(name + ": type " + value + " not in TYPE");
                if (g.types[h] == "PU" && !value.empty() && !units.count(value))
                    faults.push_back(name + ": unit " + value + " not in UNIT");
            }
        }
    }
    return faults;
}

std::vector<std::string> Single(const Parsed& p) {
    std::vector<std::string> faults;
    for (const char* name : {"PROJ", "TRAN"}) {
        const Group* g = p.Find(name);
        if (g == nullptr || g->rows.size() != 1)
            faults.push_back(std::string(name) + ": not exactly one DATA row");
    }
    const Group* tran = p.Find("TRAN");
    if (tran != nullptr && !tran->rows.empty() && tran->Value(0, "TRAN_AGS") != "4.2")
        faults.push_back("TRAN_AGS is not 4.2");
    return faults;
}

std::vector<std::string> Keys(const Parsed& p) {
    std::vector<std::string> faults;
    for (const Group& g : p.groups) {
        const std::vector<Entry> entries = Entries(g.name);
        std::set<std::string> seen;
        for (std::size_t r = 0; r < g.rows.size(); ++r) {
            std::string key;
            for (const Entry& e : entries)
                if (e.status.find('K') != std::string::npos)
                    key += g.Value(r, e.name) + "|";
            if (!seen.insert(key).second)
                faults.push_back(g.name + ": key " + key + " repeated");
            for (const Entry& e : entries)
                if (e.status.find('R') != std::string::npos && g.Value(r, e.name).empty())
                    faults.push_back(g.name + ": required " + e.name + " empty");
        }
    }
    return faults;
}

} // namespace

std::vector<std::string> AgsFaults(const std::string& text, std::string_view family) {
    const Parsed p = Parse(text);
    if (family == "characters")
        return p.characters;
    if (family == "quoting")
        return p.quoting;
    if (family == "structure")
        return p.structure;
    if (family == "order")
        return Order(p);
    if (family == "definitions")
        return Definitions(p);
    if (family == "single")
        return Single(p);
    if (family == "keys")
        return Keys(p);
    return {"no rule family " + std::string(family)};
}

} // namespace korvane::testing
