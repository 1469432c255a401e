#pragma once
// The setup wizard's recipe: seven fixed groups of entries that the step pages fill, shown in
// the overview grid and turned into parameter writes. Widget-free so that it tests alone.
#include "database/DBDataParameter.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <array>
#include <atomic>
#include <functional>
#include <map>
#include <vector>

class CSysParam;

// The code of a setting that has no parameter yet: shown, never written.
inline const QString kRecipeNoCode = QStringLiteral("暂时无编号");

struct RecipeEntry
{
    QString strGroup;
    QString strCode;
    QString strText;   // column "参数名称"
    QString strValue;  // column "参数值": the decimal value to write
};

struct RecipeGroup
{
    int nFirstRow = 0;  // the group's first row in the overview grid, set by every refresh
    QString strName;
    std::map<int, RecipeEntry> entries;  // by insertion number, from 0
};

// The group names in step order. The pages look their group up by these fixed names, never by
// their translated titles, so the recipe fills in every language.
const std::array<QString, 7> &WizardGroupNames();

// One row of the overview grid: code, display text, value, group (the hidden column).
struct RecipeGridRow
{
    QString code, text, value, group;
};

// The write list of one press of "写入": copies of the project's records with the values to
// write staged in iCurValue (the project itself is not touched), and the entries refused before
// any write because their value is no whole number within the record's range and width.
struct RecipeWriteList
{
    QList<CDBDataParameter> records;
    QList<CDBDataParameter> refused;
    QStringList refusedValues;  // the refused entries' texts, in step with `refused`
};

class CWizardRecipe
{
public:
    CWizardRecipe();

    const std::vector<RecipeGroup> &Groups() const { return m_groups; }
    const RecipeGroup *FindGroup(const QString &name) const;

    // Empties the named group's entries; its numbering restarts at 0.
    void RemoveEntries(const QString &group);
    // Replaces the texts of the entry with that code in the named group, or appends one.
    void AddEntry(const QString &group, const QString &code, const QString &text, const QString &value);

    // The grid's rows in group order, setting every group's first row; `captions` gets each
    // group's name under its first row. An empty group enters no caption, so the caption
    // table never names the next group's rows after it.
    std::vector<RecipeGridRow> GridRows(std::map<int, QString> *captions);

    // The records to write, in recipe order: each entry whose code the table has (first record
    // with that code); an empty value goes out as the record's default.
    RecipeWriteList BuildWriteList(const QList<CDBDataParameter> &table) const;

private:
    std::vector<RecipeGroup> m_groups;
};

// A recipe value as the drive takes it: the whole text a decimal integer (sign allowed, blanks
// around it ignored) within the record's range and its register width. False otherwise.
bool ParseRecipeValue(const QString &text, const CDBDataParameter &record, std::int32_t *value);

// The outcome of writing a write list.
struct RecipeWriteOutcome
{
    QString text;                              // the result box's text; empty: nothing to say
    QList<CDBDataParameter> acknowledged;      // the records the drive acknowledged
    bool stopped = false;                      // the page went away before the end
};

// Writes the records in order: up to 10 attempts each, 16-bit with one register write, 32-bit
// with a two-register write in the drive's word order, any other width with no frame. A record
// that changes the word order register is asked about first (`ask` true = go ahead). Refused
// entries of the list are reported as failed. Runs on a worker; `stop` ends it between records.
RecipeWriteOutcome WriteRecipeRecords(const RecipeWriteList &list, CSysParam *sys,
                                      const std::function<bool()> &askWordOrder,
                                      const std::atomic<bool> &stop);
