#include "Wnds/Params/RecipeFile.h"

#include "PathHelpers.h"
#include "Wnds/Params/DlgParams.h"
#include "database/ParamValueText.h"
#include "platform/LanguageConf.h"
#include "platform/SaveFile.h"

#include <QFile>
#include <QFileInfo>


namespace {

const QString kCodeKey = QStringLiteral("IDS_ParaView_1");
const QString kValueKey = QStringLiteral("IDS_ParaView_3");

// The file's lines as text (GBK), without their CR LF or LF; no limit on their length.
QStringList SplitLines(const QByteArray &bytes)
{
    QStringList lines;
    qsizetype start = 0;
    while (start < bytes.size()) {
        qsizetype end = bytes.indexOf('\n', start);
        if (end < 0)
            end = bytes.size();
        qsizetype stop = end;
        while (stop > start && bytes[stop - 1] == '\r')
            --stop;
        lines.push_back(AnsiToCString(std::string(bytes.constData() + start, size_t(stop - start))));
        start = end + 1;
    }
    return lines;
}

bool IsBlank(const QString &line)
{
    return line.trimmed().isEmpty();
}

// Appends a copy of every record with the code, carrying the value.
void Apply(const QList<CDBDataParameter> &params, const QString &code, std::int32_t value,
           QList<CDBDataParameter> &out)
{
    for (const CDBDataParameter &p : params) {
        if (p.sNum == code) {
            CDBDataParameter copy = p;
            copy.iCurValue = value;
            out.push_back(copy);
        }
    }
}

const CDBDataParameter *FindCode(const QList<CDBDataParameter> &params, const QString &code)
{
    for (const CDBDataParameter &p : params) {
        if (p.sNum == code)
            return &p;
    }
    return nullptr;
}

RecipeReadResult Fail(QString why)
{
    RecipeReadResult r;
    r.error = std::move(why);
    return r;
}

RecipeReadResult ReadText(const QStringList &lines, const QList<CDBDataParameter> &params)
{
    RecipeReadResult r;
    // The first line names the product and is not a parameter.
    for (int i = 1; i < lines.size(); ++i) {
        const QString &line = lines[i];
        if (IsBlank(line))
            continue;
        // "code value", or "UserParam code value"; the code's five characters are followed
        // by a blank, else the value would be read from the middle of a longer word.
        const bool user = line.startsWith(QLatin1String("UserParam"));
        const int codeAt = user ? 10 : 0;
        const QString code = line.mid(codeAt, 5);
        const QString valueText = line.mid(codeAt + 6);
        if (!FindCode(params, code))
            continue;
        const auto blankAt = [&](int at) { return at < line.size() && (line[at] == QLatin1Char(' ') || line[at] == QLatin1Char('\t')); };
        if ((user && !blankAt(9)) || !blankAt(codeAt + 5))
            return Fail(QStringLiteral("line %1: no blank after %2").arg(i + 1).arg(code));
        const std::optional<std::int32_t> value = ParseDecimalInt32(valueText);
        if (!value)
            return Fail(QStringLiteral("line %1: no decimal value for %2").arg(i + 1).arg(code));
        Apply(params, code, *value, r.records);
    }
    r.ok = true;
    return r;
}

RecipeReadResult ReadCsv(const QStringList &lines, const QList<CDBDataParameter> &params)
{
    if (lines.size() < 2)
        return Fail(QStringLiteral("no column line"));
    const QStringList keys = SplitCsvLine(lines[1]);
    const int codeAt = int(keys.indexOf(kCodeKey));
    const int valueAt = int(keys.indexOf(kValueKey));
    if (codeAt < 0 || valueAt < 0)
        return Fail(QStringLiteral("no code or value column"));
    RecipeReadResult r;
    // Line 3 holds the captions.
    for (int i = 3; i < lines.size(); ++i) {
        if (IsBlank(lines[i]))
            continue;
        const QStringList fields = SplitCsvLine(lines[i]);
        if (fields.size() != keys.size())
            return Fail(QStringLiteral("line %1: %2 fields for %3 columns").arg(i + 1).arg(fields.size()).arg(keys.size()));
        const QString code = fields[codeAt].trimmed();
        const CDBDataParameter *param = FindCode(params, code);
        if (!param)
            continue;
        const std::optional<std::int32_t> value = ParseParamValueText(*param, fields[valueAt]);
        if (!value)
            return Fail(QStringLiteral("line %1: value \"%2\" of %3 unreadable").arg(i + 1).arg(fields[valueAt], code));
        Apply(params, code, *value, r.records);
    }
    r.ok = true;
    return r;
}

bool Commit(const QString &path, const QByteArray &bytes)
{
    platform::SaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    if (file.write(bytes) != bytes.size()) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}

void AppendLine(QByteArray &out, const QString &text)
{
    const std::string bytes = CStringToAnsi(text);
    out.append(bytes.data(), qsizetype(bytes.size()));
    out.append("\r\n");
}

// A cell text on one line of the file: a line break or comma inside it would split the row.
QString CsvField(QString text)
{
    text.replace(QLatin1Char('\r'), QLatin1Char(' '));
    text.replace(QLatin1Char('\n'), QLatin1Char(' '));
    text.replace(QLatin1Char(','), QChar(0xFF0C));
    return text;
}

}

RecipeLayout RecipeLayoutOfPath(const QString &path)
{
    return QFileInfo(path).suffix().compare(QLatin1String("csv"), Qt::CaseInsensitive) == 0 ? RecipeLayout::Csv
                                                                                             : RecipeLayout::Text;
}

QString RecipeSavePath(const QString &chosen)
{
    const QString suffix = QFileInfo(chosen).suffix();
    if (suffix.compare(QLatin1String("txt"), Qt::CaseInsensitive) == 0 ||
        suffix.compare(QLatin1String("csv"), Qt::CaseInsensitive) == 0)
        return chosen;
    return chosen + QStringLiteral(".txt");
}

QString RecipeDefaultName(const QDateTime &now, const QString &model)
{
    const QDate d = now.date();
    const QTime t = now.time();
    return QString::asprintf("%04d%02d%02d%02d%02d%02d", d.year(), d.month(), d.day(), t.hour(), t.minute(),
                             t.second()) +
           QLatin1Char('[') + model + QLatin1Char(']');
}

QStringList SplitCsvLine(const QString &line)
{
    return line.split(QLatin1Char(','));
}

RecipeReadResult ReadRecipeFile(const QString &path, const QList<CDBDataParameter> &params)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return Fail(QStringLiteral("cannot open ") + path);
    const QByteArray bytes = f.readAll();
    if (f.error() != QFile::NoError)
        return Fail(QStringLiteral("cannot read ") + path);
    return ReadRecipeBytes(bytes, RecipeLayoutOfPath(path), params);
}

RecipeReadResult ReadRecipeBytes(const QByteArray &bytes, RecipeLayout layout, const QList<CDBDataParameter> &params)
{
    const QStringList lines = SplitLines(bytes);
    return layout == RecipeLayout::Csv ? ReadCsv(lines, params) : ReadText(lines, params);
}

QMap<QString, std::int32_t> RecipeValueMap(const QList<CDBDataParameter> &records)
{
    QMap<QString, std::int32_t> map;
    for (const CDBDataParameter &p : records)
        map.insert(p.sNum, p.iCurValue);
    return map;
}

bool WriteRecipeText(const QString &path, const QString &model, const QList<CDBDataParameter> &records)
{
    QList<CDBDataParameter> sorted = records;
    CDlgParams::SortParametersByAddress(sorted);
    QByteArray out;
    AppendLine(out, model);
    for (const CDBDataParameter &p : sorted)
        AppendLine(out, QString::asprintf("%s %d", qPrintable(p.sNum), p.iCurValue));
    return Commit(path, out);
}

bool WriteRecipeCsv(const QString &path, const QString &model, const CGridTableAttribute &layout,
                    const CGridRowDataMap &rows)
{
    QStringList keys;
    QStringList captions;
    for (const auto &[id, column] : layout.m_mapColumns) {
        keys.push_back(id);
        captions.push_back(CsvField(column.strColShowName));
    }
    QByteArray out;
    AppendLine(out, model);
    AppendLine(out, keys.join(QLatin1Char(',')));
    AppendLine(out, captions.join(QLatin1Char(',')));
    for (const auto &[key, row] : rows) {
        QStringList fields;
        for (const QString &id : keys) {
            const auto cell = row.find(id);
            if (cell != row.end())
                fields.push_back(CsvField(cell->second.m_strValue));
        }
        AppendLine(out, fields.join(QLatin1Char(',')));
    }
    return Commit(path, out);
}
