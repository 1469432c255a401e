#include "IntRangeEdit.h"

#include <climits>

CIntRangeEdit::CIntRangeEdit(QWidget *parent) : CFilteredEdit(parent) {}

int CIntRangeEdit::ParseValue(const QString &text)
{
    qsizetype i = 0;
    while (i < text.size() && text[i].isSpace())
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == u'+' || text[i] == u'-'))
        negative = text[i++] == u'-';
    long long v = 0;
    for (; i < text.size() && text[i] >= u'0' && text[i] <= u'9'; ++i) {
        v = v * 10 + (text[i].unicode() - u'0');
        if (v > static_cast<long long>(INT_MAX) + 1)
            v = static_cast<long long>(INT_MAX) + 1;  // saturated; more digits change nothing
    }
    if (negative)
        v = -v;
    if (v > INT_MAX)
        return INT_MAX;
    if (v < INT_MIN)
        return INT_MIN;
    return static_cast<int>(v);
}

void CIntRangeEdit::OnChar(QChar ch)
{
    const char16_t c = ch.unicode();
    const bool sign = c == u'+' || c == u'-';
    const bool deletion = c == kBackspace || c == kDelete;
    if (!((c >= u'0' && c <= u'9') || sign || deletion))
        return;

    setUpdatesEnabled(false);
    const EditState before = GetState();
    DefaultChar(ch);
    const QString now = text();
    QString replacement = now;
    bool changed = false;
    bool restoreSelection = false;

    const int value = ParseValue(now);
    const int clamped = value > m_nMax ? m_nMax : (value < m_nMin ? m_nMin : value);
    if (clamped != value) {
        replacement = QString::asprintf("%d", clamped);
        changed = true;
    }
    if (sign && before.end != 0) {
        replacement = before.text;
        changed = true;
    } else if (sign) {
        if (!before.text.isEmpty() && (before.text[0] == u'-' || before.text[0] == u'+')) {
            replacement = before.text;
            changed = true;
            restoreSelection = true;
        }
    } else if (now.startsWith(u'0')) {
        // Drops leading zeros. The value shown is the one kept inside the range: the plain value
        // would let a '0' typed into an empty box commit 0 to a box whose range does not hold it
        // (5..10, or -100..-10).
        replacement = QString::asprintf("%d", clamped);
        changed = true;
    }
    setUpdatesEnabled(true);

    if (changed) {
        setText(replacement);
        if (restoreSelection) {
            EditState s = before;
            s.text = replacement;
            RestoreState(s);
        } else {
            setCursorPosition(static_cast<int>(replacement.size()));
        }
    }
    repaint();
}
