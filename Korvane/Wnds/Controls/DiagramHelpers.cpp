#include "DiagramHelpers.h"

namespace {
constexpr int kArrowShape = 4;
constexpr int kCurveStraight = 0;
}

void SetParameterBoxFormat(CBCGPDiagramControlObject *shape, const QSizeF &topBottom,
                           const QSizeF &leftRight)
{
    DiagramText *label = shape->GetTextData(0);
    if (!label)
        return;
    DiagramTextFormat f = label->GetTextFormat();
    f.size = 12.0;
    f.vAlign = kAlignCenter;
    f.weight = f.weight / 2;
    f.hAlign = kAlignLeading;
    label->SetTextFormat(f);

    shape->m_textFormatControl = f;
    shape->ResetControlFont();
    shape->SetDirty(true, false);

    shape->m_bShowControl = true;
    shape->m_dblMarginTop = topBottom.width();
    shape->m_dblMarginBottom = topBottom.height();
    shape->m_dblMarginLeft = leftRight.width();
    shape->m_dblMarginRight = leftRight.height();

    if (DiagramText *unit = shape->GetTextData(1))
        unit->SetTextFormat(f);
}

DiagramItemId AddParameterBox(DiagramScene *scene, EditItemMap &map,
                              CBCGPDiagramControlObject *shape, int editId)
{
    shape->SetID(editId);
    const DiagramItemId id = scene->AddItem(shape, true);
    map.insert({editId, id});
    return id;
}

void AddDiagramConnector(DiagramScene *scene, QPointF start, QPointF end, QVector<QPointF> &bends)
{
    auto *connector = new DiagramConnector;
    connector->Connect(start, end);
    connector->SetEndArrow(kArrowShape);
    if (!bends.isEmpty()) {
        for (qsizetype i = 0; i < bends.size(); ++i)
            connector->InsertPoint(static_cast<int>(i + 1), bends[i]);
        connector->SetCurveType(kCurveStraight);
        connector->SetEndArrow(kArrowShape);
    }
    scene->AddConnector(connector, true);
    bends.resize(0);
}
