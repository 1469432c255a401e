#include "grid/GridTableAttribute.h"
#include "LangText.h"
#include "platform/LanguageConf.h"
#include "database/XmlBytes.h"
#include "platform/SaveFile.h"

#include <QFile>

#include <algorithm>
#include <cstdlib>
#include <set>
#include <string>
#include <tinyxml.h>
#include <vector>

CGridColumnAttribute::CGridColumnAttribute(
    const QString &strColID_, std::int16_t iColIndex_, const QString &strColShowName_,
    bool isShow_, bool isEdit_, std::int16_t iColWidth_, bool isEnableFilter_,
    std::uint8_t iLock_, std::uint8_t enColSumType_, std::uint8_t iColFont_, bool IsFontWeight_,
    std::uint8_t enSerchType_, const QString &strColFormat_, const QString &strColDestribution_,
    const QString &strTableID_, bool batchEdit_)
    : strColID(strColID_), strColShowName(strColShowName_), strColFormat(strColFormat_),
      iColWidth(iColWidth_), iColIndex(iColIndex_), iColFont(iColFont_),
      IsFontWeight(IsFontWeight_), isEnableFilter(isEnableFilter_), isShow(isShow_),
      batchEdit(batchEdit_), isEdit(isEdit_), iLock(iLock_), enColSumType(enColSumType_),
      enSerchType(enSerchType_), strColDestribution(strColDestribution_),
      strTableID(strTableID_)
{
}

void AddColumnAttribute(CGridTableAttribute &attr, int index, const QString &id,
                        const QString &caption, const QString &description,
                        const QString &tableId, bool isShow, bool isEdit, std::int16_t width,
                        bool isEnableFilter, std::uint8_t iLock, std::uint8_t enColSumType,
                        std::uint8_t iColFont, bool IsFontWeight, std::uint8_t enSerchType,
                        const QString &strColFormat)
{
    CGridColumnAttribute col(id, static_cast<std::int16_t>(index), caption, isShow, isEdit,
                             width, isEnableFilter, iLock, enColSumType, iColFont, IsFontWeight,
                             enSerchType, strColFormat,
                             description.isEmpty() ? caption : description, tableId, false);
    attr.m_mapColumns.emplace(id, col);
    attr.m_mapColumnOrder.emplace(index, id);
}

void NormalizeColumnIndexes(CGridTableAttribute &attr)
{
    std::vector<std::pair<QString, int>> pairs;
    pairs.reserve(attr.m_mapColumns.size());
    for (const auto &[id, col] : attr.m_mapColumns)
        pairs.emplace_back(id, col.iColIndex);
    std::stable_sort(pairs.begin(), pairs.end(),
                     [](const auto &a, const auto &b) { return a.second < b.second; });
    for (std::size_t pos = 0; pos < pairs.size(); ++pos) {
        auto it = attr.m_mapColumns.find(pairs[pos].first);
        if (it != attr.m_mapColumns.end())
            it->second.iColIndex = static_cast<std::int16_t>(pos);
    }
}

// ---- Files ----------------------------------------------------------------------------------

namespace {

const char *TextOf(const TiXmlElement *e)
{
    if (!e)
        return nullptr;
    const TiXmlNode *child = e->FirstChild();
    if (!child || !child->ToText())
        return nullptr;
    return child->Value();
}

// Leading digits as the C library reads them; no text or no digits give 0.
int IntOf(const TiXmlElement *e)
{
    const char *t = TextOf(e);
    return t ? std::atoi(t) : 0;
}

QString StringOf(const TiXmlElement *e)
{
    const char *t = TextOf(e);
    return t ? QString::fromUtf8(t) : QString();
}

void SetXmlElementInt(int value, TiXmlElement *element)
{
    element->LinkEndChild(new TiXmlText(std::to_string(value).c_str()));
}

void SetXmlElementText(const QString &text, TiXmlElement *element)
{
    element->LinkEndChild(new TiXmlText(text.toUtf8().constData()));
}

void AppendInt(TiXmlElement *parent, const char *name, int value)
{
    auto *e = new TiXmlElement(name);
    SetXmlElementInt(value, e);
    parent->LinkEndChild(e);
}

void AppendText(TiXmlElement *parent, const char *name, const QString &text)
{
    auto *e = new TiXmlElement(name);
    SetXmlElementText(text, e);
    parent->LinkEndChild(e);
}

bool ReadColumn(const TiXmlElement *item, CGridColumnAttribute &col)
{
    const TiXmlElement *idEl = item->FirstChildElement("strColID");
    const TiXmlElement *indexEl = item->FirstChildElement("iColIndex");
    if (!TextOf(idEl) || !TextOf(indexEl))
        return false;
    struct Key {
        const char *name;
        void (*set)(CGridColumnAttribute &, const TiXmlElement *);
    };
    static const Key keys[] = {
        {"enColSumType", [](CGridColumnAttribute &c, const TiXmlElement *e) {
             c.enColSumType = static_cast<std::uint8_t>(IntOf(e)); }},
        {"enSerchType", [](CGridColumnAttribute &c, const TiXmlElement *e) {
             c.enSerchType = static_cast<std::uint8_t>(IntOf(e)); }},
        {"iColFont", [](CGridColumnAttribute &c, const TiXmlElement *e) {
             c.iColFont = static_cast<std::uint8_t>(IntOf(e)); }},
        {"iColWidth", [](CGridColumnAttribute &c, const TiXmlElement *e) {
             c.iColWidth = static_cast<std::int16_t>(IntOf(e)); }},
        {"iLock", [](CGridColumnAttribute &c, const TiXmlElement *e) {
             c.iLock = static_cast<std::uint8_t>(IntOf(e)); }},
        {"isEdit", [](CGridColumnAttribute &c, const TiXmlElement *e) { c.isEdit = IntOf(e) != 0; }},
        {"IsFontWeight", [](CGridColumnAttribute &c, const TiXmlElement *e) {
             c.IsFontWeight = IntOf(e) != 0; }},
        {"isShow", [](CGridColumnAttribute &c, const TiXmlElement *e) { c.isShow = IntOf(e) != 0; }},
        {"strColFormat", [](CGridColumnAttribute &c, const TiXmlElement *e) {
             c.strColFormat = StringOf(e); }},
        {"strColShowName", [](CGridColumnAttribute &c, const TiXmlElement *e) {
             c.strColShowName = StringOf(e); }},
        {"isEnableFilter", [](CGridColumnAttribute &c, const TiXmlElement *e) {
             c.isEnableFilter = IntOf(e) != 0; }},
        {"batchEdit", [](CGridColumnAttribute &c, const TiXmlElement *e) {
             c.batchEdit = IntOf(e) != 0; }},
    };
    for (const auto &k : keys) {
        const TiXmlElement *e = item->FirstChildElement(k.name);
        if (TextOf(e))
            k.set(col, e);
    }
    col.strColID = StringOf(idEl);
    col.iColIndex = static_cast<std::int16_t>(IntOf(indexEl));
    return true;
}

}

bool ReadTableAttributeFile(const QString &path, CGridTableAttribute &attr)
{
    attr.m_mapColumns.clear();
    attr.m_mapColumnOrder.clear();

    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return false;

    TiXmlDocument doc;
    ParseXmlBytes(doc, bytes);
    const TiXmlElement *root = doc.FirstChildElement();
    if (!root)
        return false;
    // A damaged document may still have given a root; whatever follows the damage is lost,
    // so the read as a whole is a failure.
    const bool complete = !doc.Error();

    struct BoolKey {
        const char *name;
        bool CGridTableAttribute::*field;
    };
    static const BoolKey boolKeys[] = {
        {"isAllowSort", &CGridTableAttribute::isAllowSort},
        {"isShowTitleFilter", &CGridTableAttribute::isShowTitleFilter},
        {"isMultiRowSelect", &CGridTableAttribute::isMultiRowSelect},
        {"IsMultiRowSelectNoLoseFocus", &CGridTableAttribute::IsMultiRowSelectNoLoseFocus},
        {"isShowSortBar", &CGridTableAttribute::isShowSortBar},
        {"isShowSumBar", &CGridTableAttribute::isShowSumBar},
        {"isWholeRowSelect", &CGridTableAttribute::isWholeRowSelect},
        {"isEnableDragCol", &CGridTableAttribute::isEnableDragCol},
        {"isEnableEdit", &CGridTableAttribute::isEnableEdit},
        {"isMainSortDesc", &CGridTableAttribute::isMainSortDesc},
        {"isSecondSortDesc", &CGridTableAttribute::isSecondSortDesc},
        {"isNoUpdateServerStyle", &CGridTableAttribute::isNoUpdateServerStyle},
    };

    for (const TiXmlElement *e = root->FirstChildElement(); e; e = e->NextSiblingElement()) {
        const std::string name = e->Value();
        bool handled = false;
        for (const auto &k : boolKeys) {
            if (name == k.name) {
                attr.*(k.field) = IntOf(e) != 0;
                handled = true;
                break;
            }
        }
        if (handled)
            continue;
        if (name == "DataRowHeight") {
            attr.DataRowHeight = IntOf(e);
        } else if (name == "iPageRows") {
            attr.iPageRows = IntOf(e);
        } else if (name == "iDataRowFont") {
            attr.iDataRowFont = static_cast<std::uint8_t>(IntOf(e));
        } else if (name == "mainSortField") {
            attr.mainSortField = StringOf(e);
        } else if (name == "secondSortField") {
            attr.secondSortField = StringOf(e);
        } else if (name == "UpdateDateTime") {
            attr.UpdateDateTime = StringOf(e);
        } else if (name == "ItemCount") {
            const int count = IntOf(e);
            for (int i = 1; i <= count; ++i) {
                const std::string tag = "Item" + std::to_string(i);
                const TiXmlElement *item = e->FirstChildElement(tag.c_str());
                if (!item)
                    return false;
                CGridColumnAttribute col;
                if (!ReadColumn(item, col))
                    return false;
                attr.m_mapColumns.emplace(col.strColID, col);
                attr.m_mapColumnOrder[i] = col.strColID;
            }
        }
    }
    return complete;
}

bool WriteTableAttributeFile(const QString &path, const CGridTableAttribute &attr)
{
    TiXmlDocument doc;
    auto *root = new TiXmlElement("TableAtrri");
    doc.LinkEndChild(root);

    AppendInt(root, "isAllowSort", attr.isAllowSort);
    AppendInt(root, "isShowTitleFilter", attr.isShowTitleFilter);
    AppendInt(root, "isMultiRowSelect", attr.isMultiRowSelect);
    AppendInt(root, "IsMultiRowSelectNoLoseFocus", attr.IsMultiRowSelectNoLoseFocus);
    AppendInt(root, "isShowSortBar", attr.isShowSortBar);
    AppendInt(root, "isShowSumBar", attr.isShowSumBar);
    AppendInt(root, "isWholeRowSelect", attr.isWholeRowSelect);
    AppendInt(root, "DataRowHeight", attr.DataRowHeight);
    AppendInt(root, "iDataRowFont", attr.iDataRowFont);
    AppendInt(root, "isEnableDragCol", attr.isEnableDragCol);
    AppendInt(root, "isEnableEdit", attr.isEnableEdit);
    AppendInt(root, "iPageRows", attr.iPageRows);
    AppendText(root, "mainSortField", attr.mainSortField);
    AppendText(root, "secondSortField", attr.secondSortField);
    AppendInt(root, "isMainSortDesc", attr.isMainSortDesc);
    AppendInt(root, "isSecondSortDesc", attr.isSecondSortDesc);

    // Items are numbered 1..n as written, and the count says how many there are, so that a
    // written file always reads back even when the order map has gaps or names a column that
    // is not there. Columns the order map forgot are written after the others.
    auto *itemCount = new TiXmlElement("ItemCount");
    std::vector<const CGridColumnAttribute *> columns;
    std::set<QString> written;
    for (const auto &[n, id] : attr.m_mapColumnOrder) {
        auto it = attr.m_mapColumns.find(id);
        if (it != attr.m_mapColumns.end() && written.insert(id).second)
            columns.push_back(&it->second);
    }
    for (const auto &[id, col] : attr.m_mapColumns) {
        if (written.insert(id).second)
            columns.push_back(&col);
    }
    SetXmlElementInt(static_cast<int>(columns.size()), itemCount);
    int number = 1;
    for (const CGridColumnAttribute *col : columns) {
        auto *item = new TiXmlElement(("Item" + std::to_string(number++)).c_str());
        AppendInt(item, "enColSumType", col->enColSumType);
        AppendInt(item, "enSerchType", col->enSerchType);
        AppendInt(item, "iColFont", col->iColFont);
        AppendInt(item, "iColIndex", col->iColIndex);
        AppendInt(item, "iColWidth", col->iColWidth);
        AppendInt(item, "iLock", col->iLock);
        AppendInt(item, "isEdit", col->isEdit);
        AppendInt(item, "IsFontWeight", col->IsFontWeight);
        AppendInt(item, "isShow", col->isShow);
        AppendText(item, "strColFormat", col->strColFormat);
        AppendText(item, "strColID", col->strColID);
        AppendText(item, "strColShowName", col->strColShowName);
        AppendInt(item, "isEnableFilter", col->isEnableFilter);
        AppendInt(item, "batchEdit", col->batchEdit);
        itemCount->LinkEndChild(item);
    }
    root->LinkEndChild(itemCount);

    AppendText(root, "UpdateDateTime", attr.UpdateDateTime);
    AppendInt(root, "isNoUpdateServerStyle", attr.isNoUpdateServerStyle);

    TiXmlPrinter printer;
    printer.SetIndent("    ");
    doc.Accept(&printer);
    const std::string &text = printer.Str();

    platform::SaveFile out(path);
    if (!out.open(QIODevice::WriteOnly))
        return false;
    if (out.write(text.data(), qint64(text.size())) != qint64(text.size())) {
        out.cancelWriting();
        return false;
    }
    return out.commit();
}

QString ShownColumnCaption(const QString &stored)
{
    if (stored.startsWith(QLatin1String("IDS_"))) {
        const QString text = ReadLangIniString(QStringLiteral("CDlgParams"), stored);
        if (!text.isEmpty() && text != QLatin1String("Not found"))
            return text;
        return stored;
    }
    return platform::TrText(stored);
}
