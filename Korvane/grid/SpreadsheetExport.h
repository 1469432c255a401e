#pragma once
// Export of a table of texts (first row the header) into an .xlsx workbook. Every cell is
// written as text in one format (number format "@", thin borders), so "0012" and "=1+1" stay
// what they were; cells of picture columns whose text names a readable picture show the
// picture instead. The workbook is written beside the target and renamed over it only when
// complete: a failed export leaves an existing file as it was.
#include <QSize>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <map>
#include <vector>

class CSpreadsheetExportOptions
{
public:
    CSpreadsheetExportOptions() = default;

    // Height of the data rows in points (the header row is 30).
    std::int32_t nDataRowHeight = 30;
    // Header text -> width in grid pixels; used only when bAutoFit is 0 and the map is not empty.
    std::map<QString, std::int32_t> mapColumnWidths;
    std::int32_t bAutoFit = 1;
    // Picture path -> width-to-height ratio (values not above 0 count as 1).
    std::map<QString, double> mapPictureRatios;
};

using SpreadsheetRows = std::vector<QStringList>;

// 1 when the workbook was written; 0 when the path is empty, there are no rows or the header
// is empty, the file there may not be written, or writing failed (a text longer than a cell
// holds fails it, it is never cut). A replaced workbook keeps its mode.
int ExportRowsToSpreadsheet(const CSpreadsheetExportOptions &options, const QString &path,
                            const SpreadsheetRows &rows, const QStringList &pictureColumns);

// 1 -> "A", 26 -> "Z", 27 -> "AA", 702 -> "ZZ", 703 -> "AAA"; empty for n < 1.
QString SpreadsheetColumnName(int n);

// ---- the rules behind the export, for the export and its tests

// Column width in characters from a width in grid pixels: pixels / 5, or 20 without one.
int SpreadsheetColumnWidth(const CSpreadsheetExportOptions &options, const QString &header);
// Auto-fit width in characters of a column's texts: the longest text (a wide character such
// as CJK counts 2) plus 2, at most 255.
int SpreadsheetAutoFitWidth(const std::vector<QString> &texts);
// Size of a picture in a cell: the shorter cell side m gives m * ratio by m.
QSizeF SpreadsheetPictureSize(double cellWidth, double cellHeight, double ratio);
// Size in pixels of a column of `width` characters and of a row of `height` points.
int SpreadsheetColumnPixels(double width);
int SpreadsheetRowPixels(double height);
