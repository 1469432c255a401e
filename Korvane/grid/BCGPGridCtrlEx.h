#pragma once
// The second grid control of the program (the oscilloscope's docked pages and its cursor
// dialog): a fixed row height, a notice to the parent when the vertical scroll reaches the
// end, and a header check box that follows the row check boxes.
#include "grid/BCGPGridCtrlMid.h"

class CBCGPGridCtrlEx : public CBCGPGridCtrlMid
{
    Q_OBJECT
public:
    explicit CBCGPGridCtrlEx(QWidget *parent = nullptr);

    // -1 = the computed height.
    virtual void SetFixedRowHeight(int &height);
    int GetFixedRowHeight() const { return m_nFixedRowHeight; }
    void SetRowHeight() override;
    void OnRowCheckBoxClick(platform::GridRow *row) override;
    // Sends UM_GRID_SCROLL_END to the parent.
    void OnScrollEnd() override;

private:
    int m_nFixedRowHeight = -1;
};
