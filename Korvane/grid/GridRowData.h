#pragma once
// The rows that owners hand to a grid page: typed cell records keyed by the column's field id,
// and the page's rows keyed by the owner's 64-bit row key.
#include "platform/ColorRef.h"
#include "platform/WinTypes.h"

#include <QString>
#include <QStringList>

#include <cstdint>
#include <map>
#include <memory>
#include <vector>

class CGridCellData
{
public:
    CGridCellData() = default;

    // Option texts (kinds 2 and 5), labels (kind 10), the three texts of a ball-colour cell.
    std::shared_ptr<std::vector<QString>> m_spOptions;
    // Entry 0: background; entries 1 to 3: the colours of a ball-colour cell.
    std::shared_ptr<std::vector<COLORREF>> m_spBackColors;
    // Entry 0: text colour.
    std::shared_ptr<std::vector<COLORREF>> m_spTextColors;
    QString m_strValue;
    QString m_strLabel;
    std::int32_t m_nNumber = -1;
    BYTE m_byValueType = 0;
    BYTE m_byCellKind = 0;
    BYTE m_byState = 0xFF;
    std::int32_t m_nExtra = 0;
    QString m_strChoice[2] = {QString(), QStringLiteral("1")};
    BOOL m_bEnabled = 1;
    std::shared_ptr<std::vector<QString>> m_spExtraTexts;
};

using CGridRowData = std::map<QString, CGridCellData>;
using CGridRowDataMap = std::map<std::int64_t, CGridRowData>;

// Formats the value with printf rules and adds a plain cell (kind 0, value type 0).
void AddGridCellValue(const QString &key, CGridRowData &row, const char *format, ...);
void AddGridCellValueEx(const QString &key, CGridRowData &row, BYTE valueType, BYTE kind, const char *format, ...);
// Adds a cell; a key the row already holds keeps its first cell.
void InsertGridCellData(const QString &key, const QString &value, CGridRowData &row, BYTE valueType, BYTE kind,
                        int number, std::vector<COLORREF> backColors = {}, std::vector<QString> options = {},
                        std::vector<COLORREF> textColors = {}, std::vector<QString> choices = {},
                        std::vector<QString> extraTexts = {});
