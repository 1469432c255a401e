// The three control-loop layouts: counts, connector points from ports, boxes and their map,
// and the building helpers.
#include "Wnds/Controls/BCGPDiagramVisualContainerCtrlEx.h"
#include "Wnds/Controls/DiagramLayouts.h"

#include <gtest/gtest.h>

namespace {

struct LayoutCase
{
    const char *name;
    const DiagramLayout &layout;
    int items, connectors, boxes;
    int firstId, lastId;
};

std::vector<LayoutCase> Layouts()
{
    return {
        {"position control", PositionControlLayout(), 39, 24, 21, 1107, 1127},
        {"model position control", ModelPositionControlLayout(), 46, 28, 22, 1107, 1128},
        {"speed loop", SpeedLoopLayout(), 27, 17, 14, 1107, 1120},
    };
}

CMyEditDiagramControlObject *BoxOf(DiagramScene *scene, const EditItemMap &map, int id)
{
    return dynamic_cast<CMyEditDiagramControlObject *>(scene->GetItem(map.at(id)));
}

TEST(Layouts, CountsAndConnectorPointsFromPorts)
{
    for (const LayoutCase &c : Layouts()) {
        CBCGPDiagramVisualContainerCtrlEx view;
        DiagramScene *scene = view.GetVisualContainer();
        EditItemMap map;
        BuildLayoutDiagram(c.layout, scene, map);
        EXPECT_EQ(scene->GetCount(), c.items) << c.name;
        EXPECT_EQ(scene->GetConnectorCount(), c.connectors) << c.name;
        EXPECT_EQ(c.layout.BoxCount(), c.boxes) << c.name;
        EXPECT_EQ(static_cast<int>(map.size()), c.boxes) << c.name;

        // Each connector runs start, bends, end exactly as the picture has them, and those
        // points came from the ports of the items it joins.
        std::vector<DiagramShape *> shapes;
        for (int i = 0; i < scene->GetCount(); ++i)
            shapes.push_back(scene->GetAt(i));
        for (size_t k = 0; k < c.layout.connectors.size(); ++k) {
            const LayoutConnector &spec = c.layout.connectors[k];
            std::vector<QPoint> expected{spec.start.expected};
            for (const LayoutPoint &b : spec.bends)
                expected.push_back(b.expected);
            expected.push_back(spec.end.expected);
            std::vector<QPoint> derived{DeriveLayoutPoint(shapes, spec.start).toPoint()};
            for (const LayoutPoint &b : spec.bends)
                derived.push_back(DeriveLayoutPoint(shapes, b).toPoint());
            derived.push_back(DeriveLayoutPoint(shapes, spec.end).toPoint());
            EXPECT_EQ(derived, expected) << c.name << " connector " << k + 1;

            const DiagramConnector *conn = scene->GetConnectorAt(static_cast<int>(k));
            std::vector<QPoint> drawn;
            for (const QPointF &p : conn->Points())
                drawn.push_back(p.toPoint());
            EXPECT_EQ(drawn, expected) << c.name << " connector " << k + 1;
            EXPECT_EQ(conn->EndArrow(), 4);
            EXPECT_EQ(conn->CurveType(), spec.bends.empty() ? -1 : 0);
        }
    }
}

TEST(Layouts, MapHoldsExactlyTheBoxesOfTheLastBuild)
{
    CBCGPDiagramVisualContainerCtrlEx view;
    DiagramScene *scene = view.GetVisualContainer();
    EditItemMap map{{999, 5}, {1107, 77}};
    for (const LayoutCase &c : Layouts()) {
        BuildLayoutDiagram(c.layout, scene, map);
        std::vector<int> keys;
        for (const auto &[id, item] : map) {
            keys.push_back(id);
            DiagramShape *box = scene->GetItem(item);
            ASSERT_NE(box, nullptr) << c.name << " " << id;
            EXPECT_EQ(box->GetID(), id) << "each key maps to its own box";
        }
        std::vector<int> expected;
        for (int id = c.firstId; id <= c.lastId; ++id)
            expected.push_back(id);
        EXPECT_EQ(keys, expected) << c.name;
    }
    // Only the boxes got an id of their own.
    for (int i = 0; i < scene->GetCount(); ++i) {
        if (!dynamic_cast<CMyEditDiagramControlObject *>(scene->GetAt(i))) {
            EXPECT_EQ(scene->GetAt(i)->GetID(), -1);
        }
    }
}

TEST(Layouts, BoxFormatAndTextRectangles)
{
    CBCGPDiagramVisualContainerCtrlEx view;
    DiagramScene *scene = view.GetVisualContainer();
    EditItemMap map;
    BuildLayoutDiagram(ModelPositionControlLayout(), scene, map);

    // The model gain box is computed 563 wide; its label keeps the standard width, its unit
    // sits at its right end (30 wide, or up to the box's edge for a unit wider than that).
    CMyEditDiagramControlObject *gain = BoxOf(scene, map, 1128);
    EXPECT_EQ(gain->GetRect(), QRectF(QPointF(190, 20), QPointF(753, 100)));
    ASSERT_EQ(gain->TextRects().size(), 2);
    EXPECT_EQ(gain->TextRects()[0], QRectF(QPointF(190, 25), QPointF(310, 65)));
    const QRectF unit = gain->TextRects()[1];
    EXPECT_EQ(unit.topLeft(), QPointF(708, 70));
    EXPECT_EQ(unit.bottom(), 90);
    EXPECT_GE(unit.right(), 738);
    EXPECT_LE(unit.right(), 750);

    // A box with only a label: one line, one rectangle, the format on the label; only 1121
    // lets its edit run to the right edge.
    struct Row { int id; int lines; double right; };
    for (const Row r : {Row{1108, 1, 50}, Row{1109, 1, 50}, Row{1121, 1, 5}, Row{1112, 2, 50}}) {
        CMyEditDiagramControlObject *box = BoxOf(scene, map, r.id);
        EXPECT_EQ(box->GetTextCount(), r.lines) << r.id;
        EXPECT_EQ(box->TextRects().size(), r.lines) << r.id;
        EXPECT_EQ(box->m_dblMarginRight, r.right) << r.id;
        EXPECT_EQ(box->m_dblMarginTop, 30) << r.id;
        EXPECT_EQ(box->m_dblMarginBottom, 5) << r.id;
        EXPECT_EQ(box->m_dblMarginLeft, 5) << r.id;
        for (int i = 0; i < box->GetTextCount(); ++i) {
            const DiagramTextFormat f = box->GetTextData(i)->GetTextFormat();
            EXPECT_EQ(f.size, 12.0) << r.id;
            EXPECT_EQ(f.weight, 200) << r.id;
            EXPECT_EQ(f.hAlign, kAlignLeading) << r.id;
            EXPECT_EQ(f.vAlign, kAlignCenter) << r.id;
        }
    }
}

TEST(Helpers, BendsAreNeverInherited)
{
    DiagramScene scene;
    QVector<QPointF> bends{{10, 0}, {10, 10}};
    AddDiagramConnector(&scene, {0, 0}, {20, 10}, bends);
    EXPECT_TRUE(bends.isEmpty());
    AddDiagramConnector(&scene, {0, 50}, {40, 50}, bends);
    ASSERT_EQ(scene.GetConnectorCount(), 2);
    EXPECT_EQ(scene.GetConnectorAt(0)->Points(), (QVector<QPointF>{{0, 0}, {10, 0}, {10, 10}, {20, 10}}));
    EXPECT_EQ(scene.GetConnectorAt(1)->Points(), (QVector<QPointF>{{0, 50}, {40, 50}}));
}

TEST(Helpers, AddParameterBoxKeepsAnExistingEntry)
{
    DiagramScene scene;
    EditItemMap map{{1121, 42}};
    auto *box = new CMyEditDiagramControlObject(QRectF(0, 0, 120, 80), Qt::white, Qt::green, Qt::gray);
    box->AddTextData("x", Qt::black);
    const DiagramItemId id = AddParameterBox(&scene, map, box, 1121);
    EXPECT_EQ(box->GetID(), 1121);
    EXPECT_EQ(scene.GetItem(id), box);
    EXPECT_EQ(map.at(1121), 42);
}

TEST(Scene, FirstItemOfAnEmptyDiagramIsOne)
{
    DiagramScene scene;
    EXPECT_EQ(scene.AddItem(new DiagramShape, true), 1);
    EXPECT_EQ(scene.AddItem(new DiagramShape, true), 2);
    scene.Remove(1, false);
    scene.Remove(2, false);
    EXPECT_EQ(scene.AddItem(new DiagramShape, true), 1);
}

}
