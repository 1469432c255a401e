#include "grid/BCGPGridDateTimeExtItem.h"

#include <QDateTimeEdit>

CBCGPGridDateTimeExtItem::CBCGPGridDateTimeExtItem(const QDateTime &value) : GridDateTimeItem(value) {}

QDateTime CBCGPGridDateTimeExtItem::NoDate() { return QDateTime(QDate(1971, 1, 1), QTime(0, 0, 0)); }

QString CBCGPGridDateTimeExtItem::FormatItem() const
{
    if (m_value.typeId() != QMetaType::QDateTime)
        return GridDateTimeItem::FormatItem();
    const QDateTime dt = m_value.toDateTime();
    if (dt == NoDate())
        return QString();
    return dt.toString(QStringLiteral("yyyy-MM-dd"));
}

QWidget *CBCGPGridDateTimeExtItem::CreateInPlaceEdit(QWidget *parent)
{
    QWidget *w = GridDateTimeItem::CreateInPlaceEdit(parent);
    if (auto *edit = qobject_cast<QDateTimeEdit *>(w))
        edit->setMinimumDateTime(QDateTime::currentDateTime());
    return w;
}
