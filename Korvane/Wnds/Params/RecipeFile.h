#pragma once
// Parameter recipe files: a set of parameter values of one drive, kept to be written back
// later. Two layouts, both GBK text with CR LF line ends and a first line naming the product:
//   ".txt" (also ".usr" and ".rcp"): one "code value" line per parameter;
//   ".csv": a line of column ids, a line of captions, then one line per table row.
// Reading is all or nothing: a file that cannot be read, a line that cannot be understood or
// a value that cannot be read back fails the whole read, so the caller changes nothing.
// Only a line's code and value are taken; everything else about a parameter comes from the
// parameter table, never from the file.
#include "database/DBDataParameter.h"
#include "database/ParamValueText.h"
#include "grid/GridRowData.h"
#include "grid/GridTableAttribute.h"

#include <QDateTime>
#include <QList>
#include <QMap>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <optional>

enum class RecipeLayout { Text, Csv };

// ".csv" (any case) is the comma-separated layout; every other name is read as plain text.
RecipeLayout RecipeLayoutOfPath(const QString &path);
// The name a save writes to: names ending in neither ".txt" nor ".csv" get ".txt" added.
QString RecipeSavePath(const QString &chosen);
// "%04d%02d%02d%02d%02d%02d[%s]" of the time and the product model.
QString RecipeDefaultName(const QDateTime &now, const QString &model);

// Splits at every comma; the text after the last comma is always the last field.
QStringList SplitCsvLine(const QString &line);

struct RecipeReadResult
{
    bool ok = false;
    // One copy per line and per record of the table with the line's code, in file order,
    // each with the line's value as its current value.
    QList<CDBDataParameter> records;
    // Why the read failed (for the log).
    QString error;
};

// Reads a recipe file against the parameter table `params`. Blank lines and lines whose code
// names no parameter of the table are skipped.
RecipeReadResult ReadRecipeFile(const QString &path, const QList<CDBDataParameter> &params);
// The same from the file's bytes.
RecipeReadResult ReadRecipeBytes(const QByteArray &bytes, RecipeLayout layout,
                                 const QList<CDBDataParameter> &params);
// Code -> value of a read, the later line winning.
QMap<QString, std::int32_t> RecipeValueMap(const QList<CDBDataParameter> &records);

// Writes the plain text layout: the model, then "code value" of each record in address
// order. The file is replaced only when complete; false when it could not be written.
bool WriteRecipeText(const QString &path, const QString &model, const QList<CDBDataParameter> &records);
// Writes the comma-separated layout of the table's rows: the column ids of `layout` in
// ascending order of the id, their captions, then one line of cell texts per row.
bool WriteRecipeCsv(const QString &path, const QString &model, const CGridTableAttribute &layout,
                    const CGridRowDataMap &rows);
