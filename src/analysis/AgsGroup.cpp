#include "analysis/AgsGroup.h"

#include <stdexcept>

namespace korvane {

namespace {

void AppendRow(std::string& out, const char* descriptor, const std::vector<std::string>& fields) {
    out += '"';
    out += descriptor;
    out += '"';
    for (const std::string& field : fields) {
        out += ",\"";
        for (char c : field) {
            if (c == '"')
                out += '"';
            out += c;
        }
        out += '"';
    }
    out += "\r\n";
}

} // namespace

AgsGroup::AgsGroup(std::string name, std::vector<Heading> headings)
    : name_(std::move(name)), headings_(std::move(headings)) {}

void AgsGroup::AddRow(std::vector<std::string> fields) {
    if (fields.size() != headings_.size())
        throw std::logic_error("an AGS row of " + name_ + " has the wrong number of fields");
    rows_.push_back(std::move(fields));
}

void AgsGroup::DropEmptyOptionalHeadings() {
    for (std::size_t h = headings_.size(); h-- > 0;) {
        if (!headings_[h].optional)
            continue;
        bool empty = true;
        for (const std::vector<std::string>& row : rows_)
            empty = empty && row[h].empty();
        if (!empty)
            continue;
        headings_.erase(headings_.begin() + static_cast<std::ptrdiff_t>(h));
        for (std::vector<std::string>& row : rows_)
            row.erase(row.begin() + static_cast<std::ptrdiff_t>(h));
    }
}

void AgsGroup::AppendTo(std::string& out) const {
    AppendRow(out, "GROUP", {name_});
    std::vector<std::string> names, units, types;
    for (const Heading& h : headings_) {
        names.push_back(h.name);
        units.push_back(h.unit);
        types.push_back(h.type);
    }
    AppendRow(out, "HEADING", names);
    AppendRow(out, "UNIT", units);
    AppendRow(out, "TYPE", types);
    for (const std::vector<std::string>& row : rows_)
        AppendRow(out, "DATA", row);
}

} // namespace korvane
