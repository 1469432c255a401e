// Every enabled control of every page can be reached on a 1280 x 800 screen with the monitor
// pane shown: it lies inside the page area the main window leaves, or inside a scroll area that
// can bring it into view. Each tab of a page is looked at.
#include "FramePagesFixture.h"

#include "KorvaneView.h"
#include "ParamWatchBar.h"
#include "platform/ControlId.h"

#include <QAbstractButton>
#include <QAbstractScrollArea>
#include <QAbstractSlider>
#include <QAbstractSpinBox>
#include <QComboBox>
#include <QLineEdit>
#include <QScrollArea>
#include <QScrollBar>
#include <QTabBar>
#include <QWheelEvent>
#include <QtTest/QTest>

namespace {

// What a user works with: buttons, boxes, lists, sliders, tables, and the round press controls.
bool IsControl(const QWidget *w)
{
    return qobject_cast<const QAbstractButton *>(w) || qobject_cast<const QComboBox *>(w) ||
           qobject_cast<const QLineEdit *>(w) || qobject_cast<const QAbstractSpinBox *>(w) ||
           (qobject_cast<const QAbstractSlider *>(w) && !qobject_cast<const QScrollBar *>(w)) ||
           (qobject_cast<const QAbstractScrollArea *>(w) && !qobject_cast<const QScrollArea *>(w)) ||
           w->inherits("CKVProcessIndicator");
}

// Inside a table, a list or a text box: part of that control, not one of its own.
bool InsideAControl(const QWidget *w, const QWidget *page)
{
    for (const QWidget *p = w->parentWidget(); p && p != page; p = p->parentWidget())
        if (IsControl(p) || qobject_cast<const QComboBox *>(p))
            return true;
    return false;
}

// The part of `w` a user can see: its rectangle clipped by every window it lies in, up to the
// page area, in the page area's coordinates.
QRect SeenPart(const QWidget *w, const QWidget *area)
{
    QRect seen(w->mapTo(area->window(), QPoint(0, 0)), w->size());
    for (const QWidget *p = w->parentWidget(); p; p = p->parentWidget()) {
        seen &= QRect(p->mapTo(area->window(), QPoint(0, 0)), p->size());
        if (p == area)
            break;
    }
    return seen;
}

class PageReachTest : public FramePagesFixture
{
protected:
    // The controls of the shown page that cannot be brought into view, one line each.
    QStringList Unreachable(int id, const QString &where)
    {
        QStringList out;
        CKorvaneView *view = m_frame->GetActiveView();
        CDialogExMid *page = view->CurrentPage();
        for (QWidget *w : page->findChildren<QWidget *>()) {
            if (!IsControl(w) || !w->isVisibleTo(page) || !w->isEnabled() || InsideAControl(w, page))
                continue;
            // Scrolled to, as a user would: the innermost scroll area first.
            for (QWidget *p = w->parentWidget(); p; p = p->parentWidget()) {
                if (auto *scroll = qobject_cast<QScrollArea *>(p))
                    scroll->ensureWidgetVisible(w, 0, 0);
                if (auto *v = qobject_cast<CKorvaneView *>(p))
                    v->EnsureVisible(w);
                if (p == view)
                    break;
            }
            QCoreApplication::processEvents();
            const QRect seen = SeenPart(w, view);
            // A table larger than its area shows enough of itself to be scrolled within.
            const QSize need = qobject_cast<QAbstractScrollArea *>(w)
                                   ? QSize(std::min(w->width(), 80), std::min(w->height(), 80))
                                   : w->size();
            if (seen.width() < need.width() || seen.height() < need.height())
                out << QStringLiteral("page %1%2: %3 \"%4\" (id %5) %6x%7, seen %8x%9")
                           .arg(id)
                           .arg(where, QString::fromLatin1(w->metaObject()->className()),
                                w->property("text").toString().left(20))
                           .arg(platform::GetCtrlId(w))
                           .arg(w->width())
                           .arg(w->height())
                           .arg(seen.width())
                           .arg(seen.height());
        }
        return out;
    }
};

TEST_F(PageReachTest, EveryEnabledControlOfEveryPageCanBeBroughtIntoView)
{
    ASSERT_FALSE(m_frame->MonitorPane()->isHidden()) << "the monitor pane takes its room";
    QStringList faults;
    const int pages = ForEachPageAndTab([&](int id, const QString &where) { faults << Unreachable(id, where); });
    EXPECT_GE(pages, 15);
    faults.removeDuplicates();
    EXPECT_TRUE(faults.isEmpty()) << faults.size() << " controls:\n" << faults.join(QLatin1Char('\n')).toStdString();
}

// The inertia page is taller than the area: the area's bar scrolls it, a wheel that reaches the
// area turns the bar, and a control reached with the keyboard comes into view.
TEST_F(PageReachTest, ThePageTallerThanTheAreaScrollsByWheelBarAndKeyboard)
{
    CKorvaneView *view = m_frame->GetActiveView();
    view->ShowPage(5);
    CDialogExMid *page = view->CurrentPage();
    ASSERT_TRUE(SettleWindow(page));
    QWidget *write = platform::FindCtrl(page, 1919);
    QWidget *result = platform::FindCtrl(page, 1925);
    ASSERT_TRUE(write && result);
    ASSERT_TRUE(view->VerticalBar()->isVisible());
    EXPECT_FALSE(view->HorizontalBar()->isVisible()) << "the page is no wider than the area";
    EXPECT_LT(SeenPart(write, view).height(), write->height()) << "under the edge at first";

    // Clicks on the bar's track below its handle, as a user pages down.
    QScrollBar *bar = view->VerticalBar();
    for (int i = 0; i < 20 && SeenPart(write, view).height() < write->height(); ++i) {
        QTest::mouseClick(bar, Qt::LeftButton, Qt::NoModifier, QPoint(bar->width() / 2, bar->height() - bar->width() - 3));
        QCoreApplication::processEvents();
    }
    EXPECT_EQ(SeenPart(write, view).size(), write->size());
    EXPECT_EQ(SeenPart(result, view).size(), result->size());
    EXPECT_EQ(view->VerticalBar()->value(), view->VerticalBar()->maximum());

    // A wheel that no control of the page takes reaches the area and scrolls back up.
    for (int i = 0; i < 20 && bar->value() > 0; ++i) {
        const QPointF at(view->rect().center());
        QWheelEvent wheel(at, view->mapToGlobal(at), QPoint(), QPoint(0, 120), Qt::NoButton, Qt::NoModifier,
                          Qt::NoScrollPhase, false);
        QApplication::sendEvent(view, &wheel);
        QCoreApplication::processEvents();
    }
    EXPECT_EQ(bar->value(), 0);
    // The keyboard's focus brings the result box down into view.
    EXPECT_LT(SeenPart(result, view).height(), result->height());
    result->setFocus(Qt::TabFocusReason);
    QCoreApplication::processEvents();
    EXPECT_EQ(SeenPart(result, view).size(), result->size());

    // Another page opens at its top, without bars when it fits.
    view->ShowPage(4);
    ASSERT_TRUE(SettleWindow(view->CurrentPage()));
    EXPECT_FALSE(view->VerticalBar()->isVisible());
    EXPECT_EQ(view->CurrentPage()->geometry(), view->rect());
}

}  // namespace
