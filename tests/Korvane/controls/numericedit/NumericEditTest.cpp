#include "controls/EditDoubleNum.h"
#include "controls/IntRangeEdit.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QMenu>
#include <QMimeData>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

#include <climits>

namespace {

// Puts text into the box with the caret (or a selection) where '|' marks (or between two '|').
void Prepare(QLineEdit &e, const QString &marked)
{
    const qsizetype a = marked.indexOf('|');
    const qsizetype b = marked.indexOf('|', a + 1);
    QString t = marked;
    t.remove('|');
    e.setText(t);
    if (a < 0)
        e.setCursorPosition(static_cast<int>(t.size()));
    else if (b < 0)
        e.setCursorPosition(static_cast<int>(a));
    else
        e.setSelection(static_cast<int>(a), static_cast<int>(b - a - 1));
}

// The box's text with '|' at the caret (no selection).
QString Marked(const QLineEdit &e)
{
    QString t = e.text();
    if (!e.hasSelectedText())
        t.insert(e.cursorPosition(), '|');
    return t;
}

void Type(QWidget &w, const QString &keys)
{
    for (QChar c : keys) {
        if (c == '\b')
            QTest::keyClick(&w, Qt::Key_Backspace);
        else
            QTest::keyClicks(&w, QString(c));
    }
}

struct EditCase
{
    const char *what;
    const char *start;  // text with caret marks
    const char *keys;   // '\b' = backspace
    const char *result; // text with the caret mark
};

}

TEST(EditDoubleNum, TypingFollowsTheRules)
{
    const EditCase cases[] = {
        {"third decimal refused, caret kept", "", "12.345", "12.34|"},
        {"sign in the middle dropped", "1|23", "-", "1|23"},
        {"sign at the start", "|123", "-", "-|123"},
        {"plus at the start", "|5", "+", "+|5"},
        {"point into a number with one", "1.5|", ".", "1.5|"},
        {"backspace leaving a leading point undone", "1|.5", "\b", "1|.5"},
        {"leading point refused", "", ".", "|"},
        {"letters and blanks dropped", "", "1a b2", "12|"},
        {"backspace normally", "12|", "\b", "1|"},
        {"decimals after the point", "-3.|", "7", "-3.7|"},
    };
    for (const EditCase &c : cases) {
        CEditDoubleNum e;
        Prepare(e, c.start);
        Type(e, c.keys);
        EXPECT_EQ(Marked(e), QString(c.result)) << c.what;
    }
}

TEST(EditDoubleNum, SecondSignDroppedEvenOverTheWholeText)
{
    CEditDoubleNum e;
    Prepare(e, "|-123|");
    Type(e, "+");
    EXPECT_EQ(e.text(), QString("-123"));
}

TEST(EditDoubleNum, RefusedKeyRestoresTheSelection)
{
    CEditDoubleNum e;
    e.m_nMaxLen = 4;
    Prepare(e, "1|2|34");
    Type(e, "9");  // "1934" fits
    EXPECT_EQ(e.text(), QString("1934"));
    Prepare(e, "1|2|34");
    e.m_nMaxLen = 3;
    Type(e, "9");  // still 4 long: undone with the selection back
    EXPECT_EQ(e.text(), QString("1234"));
    EXPECT_EQ(e.selectedText(), QString("2"));
}

TEST(EditDoubleNum, NoDecimalsRefusesEveryPoint)
{
    CEditDoubleNum e;
    e.m_nDecimals = 0;
    e.m_nMaxLen = 12;
    Type(e, "1.5.");
    EXPECT_EQ(e.text(), QString("15"));
    Type(e, "1234567890123");
    EXPECT_EQ(e.text().size(), 12);
}

TEST(EditDoubleNum, ControlKeysAreDropped)
{
    CEditDoubleNum e;
    QGuiApplication::clipboard()->setText("99");
    Prepare(e, "|12|");
    QTest::keyClick(&e, Qt::Key_V, Qt::ControlModifier);
    QTest::keyClick(&e, Qt::Key_X, Qt::ControlModifier);
    QTest::keyClick(&e, Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(e.text(), QString("12"));
}

TEST(EditDoubleNum, PastedDroppedAndComposedTextIsFiltered)
{
    CEditDoubleNum e;
    QGuiApplication::clipboard()->setText("12.345abc");
    QTest::keyClick(&e, Qt::Key_Insert, Qt::ShiftModifier);
    EXPECT_EQ(e.text(), QString("12.34"));

    e.clear();
    e.show();
    QMimeData mime;
    mime.setText("-7x.1.");
    // A drop reaches the widget that accepted the drag's entry.
    QDragEnterEvent enter(QPoint(2, 2), Qt::CopyAction | Qt::MoveAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&e, &enter);
    ASSERT_TRUE(enter.isAccepted());
    QDropEvent drop(QPointF(2, 2), Qt::CopyAction | Qt::MoveAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&e, &drop);
    EXPECT_EQ(e.text(), QString("-7.1"));

    e.clear();
    QInputMethodEvent im;
    im.setCommitString("3a.x");
    QApplication::sendEvent(&e, &im);
    EXPECT_EQ(e.text(), QString("3."));
}

TEST(EditDoubleNum, ContextMenuPasteIsFiltered)
{
    CEditDoubleNum e;
    e.show();
    QGuiApplication::clipboard()->setText(".5x9");
    Prepare(e, "1|");
    bool triggered = false;
    QTimer::singleShot(50, [&] {
        if (auto *menu = qobject_cast<QMenu *>(QApplication::activePopupWidget())) {
            for (QAction *a : menu->actions())
                if (a->objectName() == "edit-paste") {
                    a->trigger();
                    triggered = true;
                }
            menu->close();
        }
    });
    QContextMenuEvent ev(QContextMenuEvent::Mouse, QPoint(2, 2), e.mapToGlobal(QPoint(2, 2)));
    QApplication::sendEvent(&e, &ev);
    EXPECT_TRUE(triggered);
    EXPECT_EQ(e.text(), QString("1.59"));
}

TEST(EditDoubleNum, DeleteKeyIsChecked)
{
    CEditDoubleNum e;
    Prepare(e, "|1.5");
    QTest::keyClick(&e, Qt::Key_Delete);  // would leave ".5"
    EXPECT_EQ(e.text(), QString("1.5"));
    Prepare(e, "1|2");
    QTest::keyClick(&e, Qt::Key_Delete);
    EXPECT_EQ(e.text(), QString("1"));
}

TEST(IntRangeEdit, TypingKeepsTheValueInRange)
{
    const EditCase cases[] = {
        {"fourth digit above the maximum", "999|", "9", "1000|"},
        {"last digit deleted", "5|", "\b", "|"},
        {"minus before 5", "|5", "-", "0|"},
        {"zero before 25", "|25", "0", "25|"},
        {"zero into an empty box", "", "0", "0|"},
        {"point dropped", "12|", ".", "12|"},
        {"sign after the start", "1|2", "-", "12|"},
        {"digits", "", "42", "42|"},
        {"leading zero left by a backspace", "1|05", "\b", "5|"},
    };
    for (const EditCase &c : cases) {
        CIntRangeEdit e;
        e.m_nMin = 0;
        e.m_nMax = 1000;
        Prepare(e, c.start);
        Type(e, c.keys);
        EXPECT_EQ(Marked(e), QString(c.result)) << c.what;
    }
}

TEST(IntRangeEdit, SignOverASignKeepsTextAndSelection)
{
    CIntRangeEdit e;
    e.m_nMin = -10;
    e.m_nMax = 10;
    Prepare(e, "|-5");
    Type(e, "+");
    EXPECT_EQ(Marked(e), QString("|-5"));
    Prepare(e, "|5");
    Type(e, "-");
    EXPECT_EQ(Marked(e), QString("-|5"));
}

// A text starting with '0' is replaced by its value, and that value is the one kept inside
// the range: a range that does not hold 0 must not end up showing 0.
TEST(IntRangeEdit, LeadingZeroIsDroppedInsideTheRange)
{
    const struct
    {
        int min, max;
        const char *start, *keys, *result;
    } cases[] = {
        {0, 1000, "|3", "0", "3|"},
        {0, 1000, "", "0", "0|"},
        {5, 10, "", "0", "5|"},       // 0 is below the minimum
        {-100, -10, "", "0", "-10|"},  // and above the maximum
    };
    for (const auto &c : cases) {
        CIntRangeEdit e;
        e.m_nMin = c.min;
        e.m_nMax = c.max;
        Prepare(e, c.start);
        Type(e, c.keys);
        EXPECT_EQ(Marked(e), QString(c.result)) << c.min << ".." << c.max << " " << c.start;
    }
}

TEST(IntRangeEdit, LongNumbersDoNotOverflow)
{
    CIntRangeEdit e;
    e.m_nMin = -100;
    e.m_nMax = 1000;
    QGuiApplication::clipboard()->setText("99999999999999999999999");
    QTest::keyClick(&e, Qt::Key_Insert, Qt::ShiftModifier);
    EXPECT_EQ(e.text(), QString("1000"));

    struct Case
    {
        const char *text;
        int value;
    } cases[] = {
        {"", 0},
        {"-", 0},
        {"12abc", 12},
        {"  42", 42},
        {"+7", 7},
        {"-2147483648", INT_MIN},
        {"-2147483649", INT_MIN},
        {"2147483647", INT_MAX},
        {"99999999999999999999", INT_MAX},
        {"-99999999999999999999", INT_MIN},
    };
    for (const Case &c : cases)
        EXPECT_EQ(CIntRangeEdit::ParseValue(c.text), c.value) << c.text;
}
