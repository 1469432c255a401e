#pragma once
// An edit box for signed integers kept inside a range.
#include "FilteredEdit.h"

class CIntRangeEdit : public CFilteredEdit
{
public:
    explicit CIntRangeEdit(QWidget *parent = nullptr);

    void OnChar(QChar ch) override;

    // The value of a text as the box reads it: optional leading blanks and sign, then the
    // digits up to the first other character (none: 0); saturates at the int limits.
    static int ParseValue(const QString &text);

    int m_nMin = 0;
    int m_nMax = 100;
};
