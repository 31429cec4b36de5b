// Columns aligned for a terminal: every cell padded to its column's widest.
#pragma once

#include <string>
#include <vector>

namespace kxvds {

class TextTable {
public:
    enum Align { Left, Right };

    void AddColumn(const std::string& heading, Align align);
    void AddRow(const std::vector<std::string>& cells);
    std::string Text() const;

private:
    std::vector<std::string> headings;
    std::vector<Align> aligns;
    std::vector<std::vector<std::string>> rows;
};

} // namespace kxvds
