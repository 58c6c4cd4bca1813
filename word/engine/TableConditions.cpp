#include "word/engine/TableConditions.h"

#include <algorithm>
#include <cstdlib>
#include <string_view>

#include "word/engine/Xml.h"

namespace plenwick::word::engine {
namespace {

// Wrappers nest without end in a hostile part; real documents use one or two.
constexpr int kWrapperDepth = 16;

void Collect(pugi::xml_node container, std::string_view name, std::vector<pugi::xml_node>& out,
             int depth) {
  for (pugi::xml_node c = container.first_child(); c; c = c.next_sibling()) {
    std::string_view n = c.name();
    if (n == name) {
      out.push_back(c);
    } else if (depth < kWrapperDepth && n == "w:sdt") {
      Collect(c.child("w:sdtContent"), name, out, depth + 1);
    } else if (depth < kWrapperDepth && n == "w:customXml") {
      Collect(c, name, out, depth + 1);
    }
  }
}

std::vector<pugi::xml_node> Collected(pugi::xml_node container, std::string_view name) {
  std::vector<pugi::xml_node> out;
  Collect(container, name, out, 0);
  return out;
}

// What the table's look switches on. A table that states no look gets none of the conditional
// formats; one written before the look had attributes states it as a bit mask.
struct Look {
  bool firstRow = false, lastRow = false, firstColumn = false, lastColumn = false;
  bool rowBands = false, columnBands = false;
};

Look LookOf(pugi::xml_node table) {
  Look look;
  pugi::xml_node tblLook = table.child("w:tblPr").child("w:tblLook");
  if (!tblLook) return look;
  const bool named = tblLook.attribute("w:firstRow") || tblLook.attribute("w:lastRow") ||
                     tblLook.attribute("w:firstColumn") || tblLook.attribute("w:lastColumn") ||
                     tblLook.attribute("w:noHBand") || tblLook.attribute("w:noVBand");
  if (named) {
    look.firstRow = IsOn(tblLook.attribute("w:firstRow"));
    look.lastRow = IsOn(tblLook.attribute("w:lastRow"));
    look.firstColumn = IsOn(tblLook.attribute("w:firstColumn"));
    look.lastColumn = IsOn(tblLook.attribute("w:lastColumn"));
    look.rowBands = !IsOn(tblLook.attribute("w:noHBand"));
    look.columnBands = !IsOn(tblLook.attribute("w:noVBand"));
    return look;
  }
  const unsigned long mask = std::strtoul(tblLook.attribute("w:val").value(), nullptr, 16);
  look.firstRow = (mask & 0x20) != 0;
  look.lastRow = (mask & 0x40) != 0;
  look.firstColumn = (mask & 0x80) != 0;
  look.lastColumn = (mask & 0x100) != 0;
  look.rowBands = (mask & 0x200) == 0;
  look.columnBands = (mask & 0x400) == 0;
  return look;
}

// Word's grid has at most 63 columns; a broken file's counts are held near that, so that adding
// them up along a row cannot overflow.
constexpr long kMostColumns = 64;

long GridSpan(pugi::xml_node cell) {
  const long span = cell.child("w:tcPr").child("w:gridSpan").attribute("w:val").as_int(1);
  return std::clamp(span, 1L, kMostColumns);
}

}  // namespace

std::vector<pugi::xml_node> RowsOf(pugi::xml_node table) {
  return Collected(table, "w:tr");
}

std::vector<pugi::xml_node> CellsOf(pugi::xml_node row) {
  return Collected(row, "w:tc");
}

std::vector<pugi::xml_node> ParagraphsOf(pugi::xml_node cell) {
  return Collected(cell, "w:p");
}

std::vector<CellConditions> ConditionsOfCells(pugi::xml_node table, long rowBand, long columnBand) {
  std::vector<CellConditions> out;
  const Look look = LookOf(table);
  if (rowBand < 1) rowBand = 1;
  if (columnBand < 1) columnBand = 1;
  const std::vector<pugi::xml_node> rows = RowsOf(table);
  for (std::size_t r = 0; r < rows.size(); ++r) {
    const bool firstRow = look.firstRow && r == 0;
    const bool lastRow = look.lastRow && r + 1 == rows.size();
    // Bands are counted from the row after the header row, and from the column after the first.
    const long rowIndex = static_cast<long>(r) - (look.firstRow ? 1 : 0);
    const std::vector<pugi::xml_node> cells = CellsOf(rows[r]);
    long column =
        std::clamp<long>(rows[r].child("w:trPr").child("w:gridBefore").attribute("w:val").as_int(0),
                         0, kMostColumns);
    for (std::size_t c = 0; c < cells.size(); ++c) {
      const bool firstColumn = look.firstColumn && c == 0;
      const bool lastColumn = look.lastColumn && c + 1 == cells.size();
      const long columnIndex = column - (look.firstColumn ? 1 : 0);
      column += GridSpan(cells[c]);
      CellConditions cc{cells[c], {}};
      // The weakest first: column bands, row bands, first and last column, first and last row,
      // corner cells.
      if (look.columnBands && columnIndex >= 0) {
        cc.types.push_back((columnIndex / columnBand) % 2 == 0 ? "band1Vert" : "band2Vert");
      }
      if (look.rowBands && rowIndex >= 0) {
        cc.types.push_back((rowIndex / rowBand) % 2 == 0 ? "band1Horz" : "band2Horz");
      }
      if (firstColumn) cc.types.push_back("firstCol");
      if (lastColumn) cc.types.push_back("lastCol");
      if (firstRow) cc.types.push_back("firstRow");
      if (lastRow) cc.types.push_back("lastRow");
      if (firstRow && firstColumn) cc.types.push_back("nwCell");
      if (firstRow && lastColumn) cc.types.push_back("neCell");
      if (lastRow && firstColumn) cc.types.push_back("swCell");
      if (lastRow && lastColumn) cc.types.push_back("seCell");
      out.push_back(std::move(cc));
    }
  }
  return out;
}

}  // namespace plenwick::word::engine
