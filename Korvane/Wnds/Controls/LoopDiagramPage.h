#pragma once
// What the position-loop and speed-loop pages share: a diagram container filling the page, a
// mode selector as the diagram's first item (item id 1, kept across rebuilds), the rebuild of
// the diagram for the selected mode, and the parameter boxes' writes.
//
// A box writes when its text is committed (Enter, or leaving it with a changed text), never per
// keystroke, and only a whole number inside the parameter records of all the registers it
// writes. The writes run on the page's writer; a box whose write failed is framed red, with the
// codec's error as its tool tip, until a write of it succeeds.
#include "DialogExMid.h"
#include "PageWorkers.h"
#include "Wnds/Controls/BCGPDiagramVisualContainerCtrlEx.h"
#include "Wnds/Controls/DiagramBoxWriter.h"
#include "Wnds/Controls/DiagramHelpers.h"

#include <QRectF>
#include <QStringList>

#include <map>
#include <optional>
#include <vector>

class QComboBox;
class QLineEdit;

class CLoopDiagramPage : public CDialogExMid, public IPageWorkers
{
    Q_OBJECT
public:
    static constexpr int kSelectorId = 1105;
    static constexpr int kFirstEditId = 1107;

    ~CLoopDiagramPage() override;

    bool OnInitDialog() override;
    // The selector's entries and the diagram of the shown mode in the current language.
    bool TranslateControls() override;
    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;
    void OnSize(int cx, int cy) override;
    void StopWorkers() override;

    // Removes every connector and every item but the selector, creates the selector when asked,
    // and builds the mode's diagram (none for a mode the page does not have).
    void RebuildDiagram(int nMode, bool bCreateSelector);

    CBCGPDiagramVisualContainerCtrlEx *DiagramCtrl() const { return m_pWndDiagram; }
    DiagramScene *Diagram() const;
    const EditItemMap &EditItems() const { return m_mapEditItem; }
    // The selector's combo box and a box's edit, or null.
    QComboBox *SelectorCombo() const;
    QLineEdit *BoxEdit(int editId) const;
    // Registers a box writes in this mode, in order; empty for a box that writes nothing.
    virtual std::vector<WORD> RegistersOf(int editId) const = 0;
    // The unit a box shows: its first register's parameter's unit in the parameter records
    // (empty when it has none, or is not among them); nothing for a box bound to no register.
    std::optional<QString> BoxUnit(int editId) const;
    CDiagramBoxWriter &Writer() { return m_writer; }

protected:
    CLoopDiagramPage(int nIDTemplate, int nPlaceholderId, const QRect &placeholderDlu,
                     CBCGPDiagramVisualContainerCtrlEx *container, const char *logSource,
                     int lastEditId);

    virtual QRectF SelectorRect() const = 0;
    virtual QStringList SelectorEntries() const = 0;
    // Builds the diagram of the mode; false for a mode the page does not have.
    virtual bool BuildModeDiagram(int nMode) = 0;
    // Called after a build: boxes that only show their value.
    virtual void AfterBuild() {}

    LRESULT OnDiagramModeChanged();
    LRESULT OnDiagramEditChanged(int id);
    LRESULT OnDiagramEditCommitted(int id);
    void OnWriteDone();
    // The selector's selection (-1 when none), 0 without a selector.
    int CurrentMode() const;
    void Redraw();
    void MarkBox(QLineEdit *edit, bool failed, DWORD error);

    CBCGPDiagramVisualContainerCtrlEx *m_pWndDiagram;
    EditItemMap m_mapEditItem;

private:
    QRect m_rcPlaceholder;  // dialog units
    const char *m_pszLogSource;
    int m_nLastEditId;
    unsigned m_nGeneration = 0;
    CDiagramBoxWriter m_writer;
};
