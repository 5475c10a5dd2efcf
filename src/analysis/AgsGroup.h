#pragma once

#include <string>
#include <vector>

namespace korvane {

// One group of an AGS 4 data file: its name, its headings with their units and data types, and
// its data rows, all as the text the file holds. Owns its rows.
class AgsGroup {
public:
    struct Heading {
        std::string name; // "ISTA_WVL"
        std::string unit; // "m/s", empty for none
        std::string type; // "1DP", "X", "PA", ...
        // Left out of the file when every row leaves it empty.
        bool optional = false;
    };

    AgsGroup(std::string name, std::vector<Heading> headings);

    // fields: one per heading, in heading order; empty for a null value.
    void AddRow(std::vector<std::string> fields);

    const std::string& Name() const { return name_; }
    const std::vector<Heading>& Headings() const { return headings_; }
    const std::vector<std::vector<std::string>>& Rows() const { return rows_; }

    // Removes the optional headings no row fills.
    void DropEmptyOptionalHeadings();

    // The GROUP, HEADING, UNIT, TYPE and DATA rows, every field in double quotes (a quote
    // inside doubled), fields separated by commas, each row ended by CR LF.
    void AppendTo(std::string& out) const;

private:
    std::string name_;
    std::vector<Heading> headings_;
    std::vector<std::vector<std::string>> rows_;
};

} // namespace korvane
