#pragma once
// An edit box for signed decimal numbers of limited length and a limited number of decimals.
#include "FilteredEdit.h"

class CEditDoubleNum : public CFilteredEdit
{
public:
    explicit CEditDoubleNum(QWidget *parent = nullptr);

    void OnChar(QChar ch) override;

    int m_nMaxLen = 40;   // the longest text accepted, in characters
    int m_nDecimals = 2;  // the most characters after the point; 0 = no point at all
};
