#pragma once
// The speed-loop page: the speed loop as a block diagram with a one-entry mode selector; a
// value committed in a parameter box is written to the box's register, a notch box's to the
// same register of all four notch filters.
#include "Wnds/Controls/LoopDiagramPage.h"

class CDlgSpeedLoop : public CLoopDiagramPage
{
    Q_OBJECT
public:
    static constexpr int IDD = 271;
    static constexpr int IDC_DIAGRAM = 2154;

    CDlgSpeedLoop();

    void BuildSpeedLoopDiagram();

    std::vector<WORD> RegistersOf(int editId) const override;
    static const std::map<int, std::vector<WORD>> &RegisterTable();

protected:
    QRectF SelectorRect() const override;
    QStringList SelectorEntries() const override;
    bool BuildModeDiagram(int nMode) override;
};
