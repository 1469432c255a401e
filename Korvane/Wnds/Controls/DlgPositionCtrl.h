#pragma once
// The position-loop page: the position loop as a block diagram in two modes (position control
// and model position control), picked with the selector at the diagram's top right; a value
// committed in a parameter box is written to the box's register.
#include "Wnds/Controls/LoopDiagramPage.h"

class CDlgPositionCtrl : public CLoopDiagramPage
{
    Q_OBJECT
public:
    static constexpr int IDD = 277;
    static constexpr int IDC_DIAGRAM = 2156;
    static constexpr int kModelGainEditId = 1128;

    CDlgPositionCtrl();

    void BuildPositionControlDiagram();
    void BuildModelPositionControlDiagram();

    std::vector<WORD> RegistersOf(int editId) const override;
    // Edit id -> the registers its box writes. The model gain box (1128) writes nothing until
    // the gain has a register of its own: the register its label names is a torque limit.
    static const std::map<int, std::vector<WORD>> &RegisterTable();

protected:
    QRectF SelectorRect() const override;
    QStringList SelectorEntries() const override;
    bool BuildModeDiagram(int nMode) override;
    void AfterBuild() override;
};
