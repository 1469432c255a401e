#include "EditDoubleNum.h"

CEditDoubleNum::CEditDoubleNum(QWidget *parent) : CFilteredEdit(parent) {}

void CEditDoubleNum::OnChar(QChar ch)
{
    const char16_t c = ch.unicode();
    const bool sign = c == u'+' || c == u'-';
    const bool deletion = c == kBackspace || c == kDelete;
    if (!((c >= u'0' && c <= u'9') || sign || c == u'.' || deletion))
        return;
    const EditState before = GetState();
    if (sign && (before.text.contains(u'-') || before.text.contains(u'+') || before.start != 0))
        return;

    DefaultChar(ch);
    const QString now = text();

    bool undo = now.size() > m_nMaxLen;
    const qsizetype point = now.indexOf(u'.');
    if (!undo && point >= 0)
        undo = m_nDecimals == 0 || now.size() - point - 1 > m_nDecimals;
    if (!undo)
        undo = now.startsWith(u'.');
    if (!undo)
        undo = c == u'.' && before.text.contains(u'.');
    if (undo)
        RestoreState(before);
}
