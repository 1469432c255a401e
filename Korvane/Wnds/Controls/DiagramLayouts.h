#pragma once
// The three control-loop diagrams as data (position control, model position control, speed
// control) and the one builder that puts a layout into a diagram. Every connector point is
// derived from the connection ports of the items it joins, with an offset; the point the
// picture expects is kept beside it so that a derivation that drifts is caught.
#include "DiagramHelpers.h"
#include "DiagramScene.h"

#include <QColor>
#include <QPoint>
#include <QRect>

#include <functional>
#include <optional>
#include <vector>

enum class LayoutItemKind { Block, Junction, Branch, Box };

// Ways an item differs from its kind's common style.
enum LayoutStyle : unsigned {
    kStyleNone = 0,
    kStyleOutlineWhite = 1,  // a bare label or sign
    kStyleFillSmoke = 2,
    kStyleMarginRight5 = 4,  // a box without a unit: its edit runs to the right edge
};

struct LayoutItem
{
    LayoutItemKind kind;
    int editId;          // boxes; 0 otherwise
    const char *text;    // the one text line, or the box's label
    const char *unit;    // boxes; null: no unit line
    int left, top, right, bottom;
    unsigned style = kStyleNone;

    QRect Rect() const { return QRect(QPoint(left, top), QPoint(right - 1, bottom - 1)); }
};

// One coordinate of a connector point: the x (or y) of a port of item `item` (1-based, in
// creation order) plus an offset.
struct PortCoord
{
    int item;
    int port;
    int offset;
};

struct LayoutPoint
{
    PortCoord x;
    PortCoord y;
    QPoint expected;
};

struct LayoutConnector
{
    LayoutPoint start;
    std::vector<LayoutPoint> bends;
    LayoutPoint end;
};

struct DiagramLayout
{
    int boxWidth;  // the label rectangle's width
    std::vector<LayoutItem> items;
    std::vector<LayoutConnector> connectors;

    int BoxCount() const;
};

const DiagramLayout &PositionControlLayout();       // mode 0 of the position loop
const DiagramLayout &ModelPositionControlLayout();  // mode 1 of the position loop
const DiagramLayout &SpeedLoopLayout();

namespace diagram_colours {
inline const QColor kWhite{255, 255, 255};
inline const QColor kGreen{0, 128, 0};
inline const QColor kWhiteSmoke{245, 245, 245};
inline const QColor kBlack{0, 0, 0};
inline const QColor kShadowGrey = QColor::fromRgbF(0.1f, 0.1f, 0.1f, 0.2f);
inline const QColor kSeaGreen{0x2E, 0x8B, 0x57};
inline const QColor kGray{0x80, 0x80, 0x80};
}

// The point a layout point stands for, from the shapes built so far (index 0 = item 1).
QPointF DeriveLayoutPoint(const std::vector<DiagramShape *> &shapes, const LayoutPoint &pt);

// The unit a parameter box shows, by its edit id: the unit its parameter has in the parameter
// records (empty: none), or nothing to keep the layout's own text (a box bound to no register).
using BoxUnitLookup = std::function<std::optional<QString>(int editId)>;

// Adds the layout's items and connectors to the diagram behind what it holds, after emptying
// `map`, and records every parameter box in it. The boxes that have a unit line take its text
// from `unitOf` when given.
void BuildLayoutDiagram(const DiagramLayout &layout, DiagramScene *scene, EditItemMap &map,
                        const BoxUnitLookup &unitOf = {});
