#include "grid/GridRowData.h"

#include <cstdarg>
#include <cstdio>

namespace {

QString FormatV(const char *format, va_list args)
{
    va_list copy;
    va_copy(copy, args);
    const int n = std::vsnprintf(nullptr, 0, format, copy);
    va_end(copy);
    if (n <= 0)
        return QString();
    std::string buf(static_cast<std::size_t>(n) + 1, '\0');
    std::vsnprintf(buf.data(), buf.size(), format, args);
    buf.resize(static_cast<std::size_t>(n));
    return QString::fromUtf8(buf.c_str());
}

}

void AddGridCellValue(const QString &key, CGridRowData &row, const char *format, ...)
{
    va_list args;
    va_start(args, format);
    const QString text = FormatV(format, args);
    va_end(args);
    InsertGridCellData(key, text, row, 0, 0, -1);
}

void AddGridCellValueEx(const QString &key, CGridRowData &row, BYTE valueType, BYTE kind, const char *format, ...)
{
    va_list args;
    va_start(args, format);
    const QString text = FormatV(format, args);
    va_end(args);
    InsertGridCellData(key, text, row, valueType, kind, -1);
}

void InsertGridCellData(const QString &key, const QString &value, CGridRowData &row, BYTE valueType, BYTE kind,
                        int number, std::vector<COLORREF> backColors, std::vector<QString> options,
                        std::vector<COLORREF> textColors, std::vector<QString> choices,
                        std::vector<QString> extraTexts)
{
    CGridCellData cell;
    cell.m_strValue = value;
    cell.m_byValueType = valueType;
    cell.m_byCellKind = kind;
    cell.m_nNumber = number;
    if (!backColors.empty())
        cell.m_spBackColors = std::make_shared<std::vector<COLORREF>>(std::move(backColors));
    if (!options.empty())
        cell.m_spOptions = std::make_shared<std::vector<QString>>(std::move(options));
    if (!textColors.empty())
        cell.m_spTextColors = std::make_shared<std::vector<COLORREF>>(std::move(textColors));
    if (!extraTexts.empty())
        cell.m_spExtraTexts = std::make_shared<std::vector<QString>>(std::move(extraTexts));
    if (kind == 14) {
        for (std::size_t i = 0; i < choices.size() && i < 2; ++i)
            cell.m_strChoice[i] = choices[i];
    }
    row.emplace(key, std::move(cell));
}
