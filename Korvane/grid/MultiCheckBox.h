#pragma once
// A cell with a row of check boxes; its value is a bit mask (bit i = box i checked). A second
// mask shows boxes checked and disabled. At most 32 boxes: the mask has 32 bits.
#include "platform/grid/Grid.h"

#include <vector>

class CMultiCheckBox : public platform::GridItem
{
public:
    static constexpr int kMaxBoxes = 32;
    explicit CMultiCheckBox(int count);
    void OnDrawValue(QPainter &p, const QRect &rect, const platform::GridPaintInfo &info,
                     COLORREF textColor) override;
    bool OnClickValue(UINT msg, const QPoint &point) override;
    bool IsPushButton() const override { return true; }
    virtual void DrawCheckBox(QPainter &p, const QRect &box, int state, bool enabled, int align);

    int GetCount() const { return m_nCount; }
    DWORD GetMask() const { return static_cast<DWORD>(m_value.toInt()); }
    void SetLabel(int i, const QString &label);
    // The box under a point of the cell's value rectangle, or -1.
    int BoxAt(const QRect &cell, const QPoint &point) const;

    int m_nCount;
    std::vector<QString> m_labels;
    QString m_str;
    DWORD m_nMask2 = 0;
};
