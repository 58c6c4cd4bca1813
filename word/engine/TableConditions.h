// Which of a table style's conditional formats (first row, banded rows, corner cells...) reach
// each cell of a table, as the table's look (w:tblLook) asks for them.
#pragma once

#include <cstddef>
#include <vector>

#include <pugixml.hpp>

namespace plenwick::word::engine {

struct CellConditions {
  pugi::xml_node cell;
  // The w:tblStylePr types that apply, the weakest first: a later one overrides an earlier one.
  std::vector<const char*> types;
};

// A table's rows, a row's cells and a cell's paragraphs, also those a content control or a
// custom XML element wraps (never those of a table nested in a cell).
std::vector<pugi::xml_node> RowsOf(pugi::xml_node table);
std::vector<pugi::xml_node> CellsOf(pugi::xml_node row);
std::vector<pugi::xml_node> ParagraphsOf(pugi::xml_node cell);

// The cells of the table's own rows (not those of tables nested in them), each with its
// conditions; rowBand and columnBand are how many rows or columns make one band.
std::vector<CellConditions> ConditionsOfCells(pugi::xml_node table, long rowBand, long columnBand);

}  // namespace plenwick::word::engine
