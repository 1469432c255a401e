#pragma once
// A cell drawn as a push button; pressing it sends command 1027 to the grid.
#include "platform/grid/Grid.h"

class CButtonItem : public platform::GridItem
{
public:
    explicit CButtonItem(const QString &caption);
    void OnDrawValue(QPainter &p, const QRect &rect, const platform::GridPaintInfo &info,
                     COLORREF textColor) override;
    bool OnClickValue(UINT msg, const QPoint &point) override;
    bool PushChar(QChar ch) override;
    bool IsPushButton() const override { return true; }

    UINT m_nCommandId = 1027;

private:
    bool Press();
};
