// Where the diagram shapes put their hosted controls, as pure functions and on live shapes.
#include "Wnds/Controls/BCGPDiagramControlObject.h"
#include "Wnds/Controls/BCGPDiagramVisualContainerCtrlEx.h"

#include <QComboBox>
#include <QGraphicsProxyWidget>
#include <QLineEdit>
#include <gtest/gtest.h>

namespace {

const ControlMargins kBoxMargins{30, 5, 5, 50};
const ControlMargins kSelectorMargins{20, 1, 5, 5};

QRectF Edges(double l, double t, double r, double b)
{
    return QRectF(QPointF(l, t), QPointF(r, b));
}

struct RectCase
{
    const char *name;
    QRectF shape;
    double sx, sy;
    bool show;
    ControlMargins margins;
    QVector<double> heights;
    int ownRects;
    QRectF expected;
};

TEST(ControlRect, Table)
{
    const RectCase cases[] = {
        // The parameter box of the worked example: its own text rectangles, margins inside.
        {"box", Edges(55, 290, 175, 370), 1, 1, true, kBoxMargins, {30, 15}, 2, Edges(60, 320, 125, 365)},
        // Label and unit but one rectangle: the lines stack and the edit goes under them.
        {"one rect, two lines", Edges(55, 290, 175, 370), 1, 1, true, kBoxMargins, {10, 5}, 1,
         Edges(60, 290 + 10 + 35 + 5 + 35, 125, 370)},
        // Plain hosting shapes stack their texts whatever rectangles they do not have.
        {"stacked", Edges(0, 0, 100, 200), 1, 1, true, {2, 2, 0, 0}, {16, 16}, -1, Edges(0, 40, 100, 200)},
        // The mode selector has no text: the control takes the full height.
        {"selector", Edges(870, 10, 1170, 50), 1, 1, true, kSelectorMargins, {}, -1, Edges(875, 10, 1165, 50)},
        // A scale ratio of (1.5, 0.5) scales every margin by their mean, 1.0.
        {"scale 1.5 x 0.5", Edges(0, 0, 200, 100), 1.5, 0.5, true, kBoxMargins, {12}, 1, Edges(5, 30, 150, 95)},
        {"scale 2", Edges(0, 0, 200, 100), 2, 2, true, kBoxMargins, {12}, 1, Edges(10, 60, 100, 90)},
        {"hidden control", Edges(55, 290, 175, 370), 1, 1, false, kBoxMargins, {30}, 1, Edges(0, 0, 0, 0)},
    };
    for (const RectCase &c : cases)
        EXPECT_EQ(ControlRectOf(c.shape, c.sx, c.sy, c.show, c.margins, c.heights, c.ownRects), c.expected)
            << c.name;
}

struct PlaceCase
{
    const char *name;
    HostedKind kind;
    QRectF controlRect;
    QPointF scroll;
    ControlMargins margins;
    int comboHeight;
    QRect expected;  // x, y, width, height
};

TEST(ControlWindowRect, Table)
{
    const PlaceCase cases[] = {
        // Half-margins 15 and 2.5: the top moves down 15, the bottom up 2 (whole pixels).
        {"edit of the worked example", HostedKind::Edit, Edges(60, 320, 125, 365), {}, kBoxMargins, -1,
         QRect(60, 335, 65, 28)},
        {"edit scrolled by (20, 10)", HostedKind::Edit, Edges(60, 320, 125, 365), {20, 10}, kBoxMargins, -1,
         QRect(40, 325, 65, 28)},
        {"combo centred", HostedKind::Combo, Edges(875, 10, 1165, 50), {}, kSelectorMargins, 24,
         QRect(875, 18, 290, 24)},
        // A combo taller than its rectangle stays at the top: the offset never goes negative.
        {"tall combo", HostedKind::Combo, Edges(875, 10, 1165, 50), {}, kSelectorMargins, 60,
         QRect(875, 10, 290, 60)},
        {"plain", HostedKind::None, Edges(10.7, 20.2, 50.9, 60.5), {}, {}, -1, QRect(10, 20, 40, 40)},
    };
    for (const PlaceCase &c : cases)
        EXPECT_EQ(ControlWindowRect(c.kind, c.controlRect, c.scroll, c.margins, c.comboHeight), c.expected)
            << c.name;
}

// A parameter box in a live diagram window places its edit like the worked example.
TEST(HostedControls, BoxAndSelectorArePlacedOnTheirShapes)
{
    CBCGPDiagramVisualContainerCtrlEx view;
    DiagramScene *scene = view.GetVisualContainer();

    auto *box = new CMyEditDiagramControlObject(Edges(55, 290, 175, 370), Qt::white, Qt::green, Qt::gray);
    box->AddTextData(" P0329\n 低频振动频率", Qt::black);
    box->AddTextData("Hz", Qt::black);
    box->AddTextRect(Edges(55, 295, 175, 335));
    box->AddTextRect(Edges(130, 340, 160, 360));
    box->m_dblMarginTop = 30;
    box->m_dblMarginBottom = 5;
    box->m_dblMarginLeft = 5;
    box->m_dblMarginRight = 50;
    box->SetID(1107);
    // Not in a diagram yet: nothing to host the edit.
    EXPECT_EQ(box->GetControl(), nullptr);
    scene->AddItem(box, true);
    auto *edit = qobject_cast<QLineEdit *>(box->GetControl());
    ASSERT_NE(edit, nullptr);
    EXPECT_EQ(box->ControlProxy()->geometry(), QRectF(60, 335, 65, 28));

    auto *selector = new CBCGPComboboxDiagramControlObject(Edges(870, 10, 1170, 50), Qt::white, Qt::green, Qt::gray);
    selector->m_dblMarginTop = 20;
    selector->m_dblMarginBottom = 1;
    selector->m_dblMarginLeft = 5;
    selector->m_dblMarginRight = 5;
    selector->SetID(1105);
    scene->AddItem(selector, true);
    auto *combo = qobject_cast<QComboBox *>(selector->GetControl());
    ASSERT_NE(combo, nullptr);
    const QRectF g = selector->ControlProxy()->geometry();
    EXPECT_EQ(g.left(), 875);
    EXPECT_EQ(g.width(), 290);
    EXPECT_EQ(g.top(), 10 + std::max(0, 40 - combo->height()) / 2);

    // Moving the shape moves its control; removing it destroys the control at once.
    box->SetRect(Edges(155, 290, 275, 370));
    EXPECT_EQ(box->ControlProxy()->geometry(), QRectF(160, 335, 65, 28));
    QPointer<QLineEdit> gone(edit);
    scene->Remove(box->GetItemID(), false);
    EXPECT_TRUE(gone.isNull());
}

}
