#pragma once
// How one grid table looks: its options and one attribute record per column. Pages get these
// from CGridCtrlTableAttributeOp and hand them to their grid; the table style editor and the
// grid's header menu change them and save them back.
#include <QString>

#include <cstdint>
#include <map>

class CGridColumnAttribute
{
public:
    CGridColumnAttribute() = default;
    CGridColumnAttribute(const QString &strColID, std::int16_t iColIndex,
                         const QString &strColShowName, bool isShow, bool isEdit,
                         std::int16_t iColWidth, bool isEnableFilter, std::uint8_t iLock,
                         std::uint8_t enColSumType, std::uint8_t iColFont, bool IsFontWeight,
                         std::uint8_t enSerchType, const QString &strColFormat,
                         const QString &strColDestribution, const QString &strTableID,
                         bool batchEdit);

    bool operator==(const CGridColumnAttribute &) const = default;

    QString strColID;
    QString strColShowName;
    QString strColFormat;
    std::int16_t iColWidth = 75;
    std::int16_t iColIndex = -1;
    std::uint8_t iColFont = 11;
    bool IsFontWeight = false;
    bool isEnableFilter = true;
    bool isShow = true;
    bool batchEdit = false;
    bool isEdit = true;
    // 0 not locked, 1 frozen on the left, 2 frozen on the right.
    std::uint8_t iLock = 0;
    // Sum-row statistic: 0 none, 1 sum, 2 count, 3 average.
    std::uint8_t enColSumType = 0;
    // 0 contains, 1 equals.
    std::uint8_t enSerchType = 0;
    // Not stored in the table files: taken from the built-in columns on every load.
    QString strColDestribution;
    QString strTableID;
    // Not stored either, and no part of the layout (columns that differ only here are equal):
    // the width is a built-in default, not one a user's file kept, so the grid widens it to the
    // caption in the language in use.
    struct DefaultWidthMark {
        bool on = false;
        bool operator==(const DefaultWidthMark &) const { return true; }
    } defaultWidth;
};

class CGridTableAttribute
{
public:
    bool operator==(const CGridTableAttribute &) const = default;

    // Column id (case-sensitive order) -> column.
    std::map<QString, CGridColumnAttribute> m_mapColumns;
    // Item number (storage order in the file, from 1) -> column id.
    std::map<int, QString> m_mapColumnOrder;
    std::uint8_t iSumRowHeight = 24;
    std::int32_t DataRowHeight = 24;
    std::uint8_t iDataRowFont = 11;
    bool isShowTitleFilter = false;
    // The filter bar under the header.
    bool isShowSortBar = false;
    bool isAllowSort = false;
    bool isWholeRowSelect = false;
    bool isShowSumBar = false;
    bool isMultiRowSelect = false;
    bool IsMultiRowSelectNoLoseFocus = false;
    bool isEnableDragCol = true;
    bool isEnableEdit = true;
    bool isPrintLandscape = false;
    QString UpdateDateTime;
    bool isNoUpdateServerStyle = false;
    std::int32_t iPageRows = 50;
    QString mainSortField;
    bool isMainSortDesc = false;
    QString secondSortField;
    bool isSecondSortDesc = false;
};

// Adds one column for the builders of the built-in tables: item number and display position
// are both `index`; an empty description takes the caption. An id or item number already
// present keeps its entry.
void AddColumnAttribute(CGridTableAttribute &attr, int index, const QString &id,
                        const QString &caption, const QString &description,
                        const QString &tableId, bool isShow, bool isEdit, std::int16_t width,
                        bool isEnableFilter, std::uint8_t iLock, std::uint8_t enColSumType,
                        std::uint8_t iColFont, bool IsFontWeight, std::uint8_t enSerchType,
                        const QString &strColFormat);

// Gives the columns the display positions 0..n-1 in the order of their current positions.
void NormalizeColumnIndexes(CGridTableAttribute &attr);

// A column's caption as the tables show it, from the name the attributes store: a text key
// ("IDS_ParaView_3", the parameter tables' columns) from the language file, a fixed Chinese
// caption through the translator, a caption the user wrote as it is.
QString ShownColumnCaption(const QString &stored);

// One table file. Reading clears the columns but keeps table options the file does not name.
bool ReadTableAttributeFile(const QString &path, CGridTableAttribute &attr);
// Written through a temporary file beside the target, renamed over it when complete.
bool WriteTableAttributeFile(const QString &path, const CGridTableAttribute &attr);
