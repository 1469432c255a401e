#pragma once
// Building steps the control-loop layouts share: the parameter box's text and control format,
// adding a parameter box under its edit id, and adding a free connector through bend points.
#include "BCGPDiagramControlObject.h"
#include "DiagramScene.h"

#include <QPointF>
#include <QSizeF>
#include <QVector>

#include <map>

// Edit id of a parameter box -> its item id in the diagram now shown.
using EditItemMap = std::map<int, DiagramItemId>;

// The box's first two text lines get a 12-pixel, half-weight, left-aligned and vertically
// centred copy of the first line's format, which is also the hosted edit's font; the control
// margins are (top, bottom) and (left, right) in unscaled diagram units.
void SetParameterBoxFormat(CBCGPDiagramControlObject *shape, const QSizeF &topBottom,
                           const QSizeF &leftRight);

// Gives the box the edit id, adds it to the diagram and records edit id -> item id; an entry
// already there for the id is kept.
DiagramItemId AddParameterBox(DiagramScene *scene, EditItemMap &map,
                              CBCGPDiagramControlObject *shape, int editId);

// A connector from start through the bends to end, arrow at the end, owned by the diagram.
// Empties the bend list, so the next connector starts without bends.
void AddDiagramConnector(DiagramScene *scene, QPointF start, QPointF end, QVector<QPointF> &bends);
