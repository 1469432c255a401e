#include "Wnds/scope/ScopePageLogic.h"

#include <algorithm>

namespace scopepage {

ScrollMove ScrollStep(ScrollRequest request, int pos, int limit, int step, int thumb)
{
    const int page = 5 * step;
    ScrollMove m;
    switch (request) {
    case ScrollRequest::LineLeft:
        m.moves = true;
        if (pos <= step) {
            m.pos = 0;
            m.left = pos;
        } else {
            m.pos = pos - step;
            m.left = step;
        }
        break;
    case ScrollRequest::LineRight:
        m.moves = true;
        if (pos > limit - step) {
            m.pos = limit;
            m.right = limit - pos;
        } else {
            m.pos = pos + step;
            m.right = step;
        }
        break;
    case ScrollRequest::PageLeft:
        if (pos >= page) {
            m = {true, pos - page, page, 0, false};
        } else if (pos > 0) {
            m = {true, 0, pos, 0, false};
        }
        break;
    case ScrollRequest::PageRight:
        if (limit - pos < page && limit > pos) {
            m = {true, limit, 0, limit - pos, false};
        } else if (limit - pos >= page) {
            m = {true, pos + page, 0, page, false};
        }
        break;
    case ScrollRequest::Thumb:
        m = {true, thumb, 0, 0, true};
        break;
    case ScrollRequest::Other: break;
    }
    return m;
}

int ScrollLimit(int minimum, int maximum, int page)
{
    return std::max(minimum, maximum - std::max(page - 1, 0));
}

QString HistoryFileName(const QDateTime &local)
{
    return local.toString(QStringLiteral("yyyyMMdd_HHmmss")) + QStringLiteral(".csv");
}

QString HistoryFileToDrop(const QStringList &names, int keep)
{
    if (names.size() <= keep)
        return QString();
    QString smallest = names.first();
    for (const QString &n : names)
        if (QString::compare(n, smallest, Qt::CaseSensitive) < 0)
            smallest = n;
    return smallest;
}

QString ExtensionOf(const QString &path)
{
    const int dot = path.lastIndexOf(QLatin1Char('.'));
    return dot < 0 ? QString() : path.mid(dot);
}

int CaptureKindOfCount(int sampleCount)
{
    return sampleCount == 1000 || sampleCount == 2000 || sampleCount == 4000 ? 1 : 0;
}

}
