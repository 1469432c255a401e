#pragma once
// A date cell: shown as a date only, empty for the value that stands for "no date", and edited
// with a date editor that refuses dates before now.
#include "platform/grid/Grid.h"

class CBCGPGridDateTimeExtItem : public platform::GridDateTimeItem
{
public:
    explicit CBCGPGridDateTimeExtItem(const QDateTime &value);
    QString FormatItem() const override;
    QWidget *CreateInPlaceEdit(QWidget *parent) override;
    // The value the grid page gives a cell without a date.
    static QDateTime NoDate();

    QString m_strFormat = QStringLiteral("%Y-%m-%d");
};
