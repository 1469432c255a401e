// korvane-xlsx OUT [PICTURE_COLUMN...] < table.tsv
// Exports UTF-8 tab-separated rows (header first) with the default export options; cells of
// the named columns that name a readable picture show it. Exit 0 when written, else 1.
#include "platform/NumericLocale.h"
#include "grid/SpreadsheetExport.h"

#include <QCoreApplication>
#include <QFile>
#include <QStringList>

#include <cstdio>

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    platform::KeepCNumericLocale();
    const QStringList args = app.arguments();
    if (args.size() < 2) {
        std::fprintf(stderr, "usage: korvane-xlsx OUT [PICTURE_COLUMN...] < table.tsv\n");
        return 1;
    }
    QFile in;
    if (!in.open(stdin, QIODevice::ReadOnly))
        return 1;
    QString text = QString::fromUtf8(in.readAll());
    text.remove(QLatin1Char('\r'));
    QStringList lines = text.split(QLatin1Char('\n'));
    if (!lines.isEmpty() && lines.back().isEmpty())
        lines.removeLast();
    SpreadsheetRows rows;
    for (const QString &line : lines)
        rows.push_back(line.split(QLatin1Char('\t')));
    const QStringList pictureColumns = args.mid(2);
    return ExportRowsToSpreadsheet(CSpreadsheetExportOptions(), args[1], rows, pictureColumns) ? 0 : 1;
}
