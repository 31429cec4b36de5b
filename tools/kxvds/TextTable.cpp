#include "TextTable.h"

#include <algorithm>

namespace kxvds {

namespace {

// Code points, not bytes: labels and paths may be UTF-8.
size_t Width(const std::string& text)
{
    return static_cast<size_t>(std::count_if(text.begin(), text.end(), [](char c) {
        return (static_cast<unsigned char>(c) & 0xC0) != 0x80;
    }));
}

} // namespace

void TextTable::AddColumn(const std::string& heading, Align align)
{
    headings.push_back(heading);
    aligns.push_back(align);
}

void TextTable::AddRow(const std::vector<std::string>& cells)
{
    rows.push_back(cells);
    rows.back().resize(headings.size());
}

std::string TextTable::Text() const
{
    std::vector<size_t> widths;
    for (const std::string& h : headings) widths.push_back(Width(h));
    for (const auto& row : rows)
        for (size_t c = 0; c < row.size(); ++c) widths[c] = std::max(widths[c], Width(row[c]));

    std::string text;
    auto emit = [&](const std::vector<std::string>& cells) {
        std::string line;
        for (size_t c = 0; c < cells.size(); ++c) {
            const std::string pad(widths[c] - Width(cells[c]), ' ');
            if (c) line += "  ";
            line += aligns[c] == Right ? pad + cells[c] : cells[c] + pad;
        }
        while (!line.empty() && line.back() == ' ') line.pop_back();
        text += line + "\n";
    };
    emit(headings);
    for (const auto& row : rows) emit(row);
    return text;
}

} // namespace kxvds
