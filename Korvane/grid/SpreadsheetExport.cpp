#include "grid/SpreadsheetExport.h"
#include "platform/SaveFile.h"

#include <QBuffer>
#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>

#include <xlsxwriter.h>

#include <algorithm>
#include <cstdio>
#include <memory>

namespace {

constexpr double kHeaderRowHeight = 30;
constexpr int kMaxColumnWidth = 255;
// Stored pictures carry this density: the writer then sizes them from their pixels alone.
constexpr int kPictureDotsPerMeter = 3780;

bool IsWide(char32_t c)
{
    return (c >= 0x1100 && c <= 0x115F) || (c >= 0x2E80 && c <= 0xA4CF) || (c >= 0xAC00 && c <= 0xD7A3)
        || (c >= 0xF900 && c <= 0xFAFF) || (c >= 0xFE30 && c <= 0xFE4F) || (c >= 0xFF00 && c <= 0xFF60)
        || (c >= 0xFFE0 && c <= 0xFFE6) || (c >= 0x20000 && c <= 0x3FFFD);
}

int DisplayWidth(const QString &text)
{
    int w = 0;
    for (char32_t c : text.toUcs4())
        w += IsWide(c) ? 2 : 1;
    return w;
}

struct WorkbookCloser {
    void operator()(lxw_workbook *wb) const
    {
        if (wb)
            workbook_close(wb);
    }
};

// A picture as the writer stores it: PNG bytes and the size in pixels.
struct Picture {
    QByteArray png;
    QSize size;
};

bool LoadPicture(const QString &path, Picture &out)
{
    QImage image(path);
    if (image.isNull() || image.width() <= 0 || image.height() <= 0)
        return false;
    image.setDotsPerMeterX(kPictureDotsPerMeter);
    image.setDotsPerMeterY(kPictureDotsPerMeter);
    QBuffer buffer(&out.png);
    buffer.open(QIODevice::WriteOnly);
    if (!image.save(&buffer, "PNG"))
        return false;
    out.size = image.size();
    return true;
}

class Exporter
{
public:
    Exporter(const CSpreadsheetExportOptions &options, const SpreadsheetRows &rows,
             const QStringList &pictureColumns)
        : m_options(options), m_rows(rows), m_pictureColumns(pictureColumns)
    {
    }

    bool Write(const QString &file)
    {
        const QByteArray name = QFile::encodeName(file);
        std::unique_ptr<lxw_workbook, WorkbookCloser> wb(workbook_new(name.constData()));
        if (!wb)
            return false;
        lxw_worksheet *ws = workbook_add_worksheet(wb.get(), "Sheet1");
        lxw_format *format = workbook_add_format(wb.get());
        if (!ws || !format)
            return false;
        format_set_num_format(format, "@");
        format_set_border(format, LXW_BORDER_THIN);

        const QStringList &header = m_rows.front();
        const int columns = static_cast<int>(header.size());
        const bool fixedWidths = m_options.bAutoFit == 0 && !m_options.mapColumnWidths.empty();
        std::vector<double> widths(columns, 0);
        std::vector<int> longest(columns, 0);
        if (fixedWidths) {
            for (int c = 0; c < columns; ++c)
                widths[c] = SpreadsheetColumnWidth(m_options, header[c]);
        }
        std::vector<bool> pictureColumn(columns, false);
        for (int c = 0; c < columns; ++c)
            pictureColumn[c] = m_pictureColumns.contains(header[c]);

        // Widths before the rows: a picture's cell size depends on its column's width, and an
        // auto-fitted width on every text of the column.
        if (!fixedWidths) {
            for (std::size_t r = 0; r < m_rows.size(); ++r) {
                for (int c = 0; c < columns && c < m_rows[r].size(); ++c) {
                    if (r > 0 && pictureColumn[c] && IsPicture(m_rows[r][c]))
                        continue;
                    longest[c] = std::max(longest[c], DisplayWidth(m_rows[r][c]));
                }
            }
            for (int c = 0; c < columns; ++c)
                widths[c] = std::min(kMaxColumnWidth, longest[c] + 2);
        }
        for (int c = 0; c < columns; ++c) {
            if (worksheet_set_column(ws, c, c, widths[c], nullptr) != LXW_NO_ERROR)
                return false;
        }

        for (std::size_t r = 0; r < m_rows.size(); ++r) {
            const auto row = static_cast<lxw_row_t>(r);
            const double height = r == 0 ? kHeaderRowHeight : m_options.nDataRowHeight;
            if (worksheet_set_row(ws, row, height, nullptr) != LXW_NO_ERROR)
                return false;
            const QStringList &cells = m_rows[r];
            for (int c = 0; c < columns; ++c) {
                const QString text = c < cells.size() ? cells[c] : QString();
                const auto col = static_cast<lxw_col_t>(c);
                if (r > 0 && pictureColumn[c] && !text.isEmpty()) {
                    const int inserted = InsertPicture(ws, row, col, text, widths[c], height);
                    if (inserted < 0)
                        return false;
                    if (inserted > 0) {
                        if (worksheet_write_blank(ws, row, col, format) != LXW_NO_ERROR)
                            return false;
                        continue;
                    }
                }
                const QByteArray utf8 = text.toUtf8();
                if (worksheet_write_string(ws, row, col, utf8.constData(), format) != LXW_NO_ERROR)
                    return false;
            }
        }
        return workbook_close(wb.release()) == LXW_NO_ERROR;
    }

private:
    bool IsPicture(const QString &path)
    {
        auto it = m_pictures.find(path);
        if (it == m_pictures.end()) {
            Picture p;
            const bool ok = QFileInfo(path).isFile() && LoadPicture(path, p);
            it = m_pictures.emplace(path, ok ? std::move(p) : Picture{}).first;
        }
        return !it->second.png.isEmpty();
    }

    // 1 inserted, 0 not a readable picture (the text is written), -1 the writer failed.
    int InsertPicture(lxw_worksheet *ws, lxw_row_t row, lxw_col_t col, const QString &path,
                      double columnWidth, double rowHeight)
    {
        if (!IsPicture(path))
            return 0;
        const Picture &p = m_pictures[path];
        auto ratio = m_options.mapPictureRatios.find(path);
        const double r = ratio != m_options.mapPictureRatios.end() ? ratio->second : 1.0;
        const QSizeF size = SpreadsheetPictureSize(SpreadsheetColumnPixels(columnWidth),
                                                   SpreadsheetRowPixels(rowHeight), r);
        // The writer scales by 96 / the stored density.
        const double dpi = kPictureDotsPerMeter * 0.0254;
        lxw_image_options o{};
        o.x_scale = size.width() * dpi / (96.0 * p.size.width());
        o.y_scale = size.height() * dpi / (96.0 * p.size.height());
        const lxw_error e = worksheet_insert_image_buffer_opt(
            ws, row, col, reinterpret_cast<const unsigned char *>(p.png.constData()),
            static_cast<size_t>(p.png.size()), &o);
        return e == LXW_NO_ERROR ? 1 : -1;
    }

    const CSpreadsheetExportOptions &m_options;
    const SpreadsheetRows &m_rows;
    const QStringList &m_pictureColumns;
    std::map<QString, Picture> m_pictures;
};

}

QString SpreadsheetColumnName(int n)
{
    QString name;
    while (n > 0) {
        const int r = (n - 1) % 26;
        name.prepend(QChar('A' + r));
        n = (n - 1) / 26;
    }
    return name;
}

int SpreadsheetColumnWidth(const CSpreadsheetExportOptions &options, const QString &header)
{
    auto it = options.mapColumnWidths.find(header);
    return it != options.mapColumnWidths.end() ? it->second / 5 : 20;
}

int SpreadsheetAutoFitWidth(const std::vector<QString> &texts)
{
    int longest = 0;
    for (const QString &t : texts)
        longest = std::max(longest, DisplayWidth(t));
    return std::min(kMaxColumnWidth, longest + 2);
}

QSizeF SpreadsheetPictureSize(double cellWidth, double cellHeight, double ratio)
{
    const double m = std::min(cellWidth, cellHeight);
    return QSizeF(m * (ratio > 0 ? ratio : 1.0), m);
}

int SpreadsheetColumnPixels(double width)
{
    // The writer's own rule: 7-pixel digits and 5 pixels of padding.
    if (width < 1)
        return static_cast<int>(width * 12 + 0.5);
    return static_cast<int>(width * 7 + 0.5) + 5;
}

int SpreadsheetRowPixels(double height) { return static_cast<int>(4.0 / 3.0 * height); }

int ExportRowsToSpreadsheet(const CSpreadsheetExportOptions &options, const QString &path,
                            const SpreadsheetRows &rows, const QStringList &pictureColumns)
{
    if (path.isEmpty() || rows.empty() || rows.front().isEmpty())
        return 0;
    platform::SaveTemp temp(path);
    if (!temp.Create())
        return 0;
    Exporter exporter(options, rows, pictureColumns);
    const bool ok = exporter.Write(temp.Path()) && temp.ReplaceTarget();
    return ok ? 1 : 0;
}
