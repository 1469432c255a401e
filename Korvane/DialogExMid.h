#pragma once
// The one base of the program's dialogs and pages: the page protocol (identification answer and
// a page timer started and stopped by the view), re-texting into the user's language, window
// placement in an ini file, remembered control values, a row-flow layout table, and keyboard
// handling in which Escape never closes anything and Enter never closes a page.
//
// A derived class builds its controls in its constructor (giving them their ids with
// platform::SetCtrlId), sets its members there (m_strLangSection, m_nTimerID, m_nElapse, ...),
// and overrides WindowProc for its messages, passing the rest to CDialogExMid::WindowProc:
//
//     CDlgStatus::CDlgStatus() : CDialogExMid(IDD) {
//         m_strLangSection = "CDlgStatus"; m_nTimerID = 1; m_nElapse = 500; ... }
//     LRESULT CDlgStatus::WindowProc(UINT msg, WPARAM w, LPARAM l) {
//         switch (msg) { case UM_PAGE_ACTIVATE: ...; return 0;
//                        default: return CDialogExMid::WindowProc(msg, w, l); } }
//     void CDlgStatus::OnTimer(UINT_PTR id) { ... }   // the page timer, while the page shows
//
// The window is "created" by Create (a page: a child of its parent; or a modeless window) or by
// DoModal; both run OnInitDialog. DestroyWindow runs OnDestroy and hides the window; the
// controls stay, so a second creation finds them as the first one left them.
#include "platform/CommandId.h"
#include "platform/Messages.h"
#include "platform/UiServices.h"

#include <QDialog>
#include <QPointer>

#include <functional>
#include <map>
#include <memory>
#include <set>

class QMenu;

// Window show commands.
constexpr int SW_HIDE = 0;
constexpr int SW_SHOWNORMAL = 1;
constexpr int SW_SHOWMINIMIZED = 2;
constexpr int SW_SHOWMAXIMIZED = 3;
constexpr int SW_SHOW = 5;
constexpr int SW_MINIMIZE = 6;
constexpr int SW_RESTORE = 9;

// Key under which the dialog's own caption is looked up; combo-box items use kComboTextKeyBase
// plus a running item number over the whole dialog.
constexpr int kCaptionTextKey = -2;
constexpr int kComboTextKeyBase = 2000000;

// One entry of the row-flow layout table.
struct CLayoutItem
{
    QPointer<QWidget> hWnd;
    int cx = 0;
    int cy = 0;
    int nMarginX = 0;   // gap before the control
    int nMarginY = 0;   // gap above the control
    int nFixedCx = -1;  // -1: width is a share of the space left
    int nFixedCy = -1;  // -1: height is a share of the space left
    float fRatioX = 1.0f;
    float fRatioY = 1.0f;
};

class CDialogExMid : public QDialog, public platform::MessageTarget
{
    Q_OBJECT
public:
    explicit CDialogExMid(int nIDTemplate, QWidget *pParent = nullptr);
    ~CDialogExMid() override;

    // ---- window life
    // A page (child of pParent) or, without a parent, a modeless window. False when created.
    bool Create(QWidget *pParent);
    // Runs the dialog modally; answers the code given to EndDialog (IDOK, IDCANCEL, ...).
    int DoModal();
    // Ends a modal run; hides a modeless window; does nothing to a page.
    void EndDialog(int nResult);
    // Ends the window; one with workers of its own (platform::PageWorker) detaches its
    // mailbox and stops and joins them first, and is not created again.
    void DestroyWindow();
    bool IsCreated() const { return m_bCreated; }
    bool IsPage() const;

    // ---- messages
    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;

    // ---- overridables
    virtual bool OnInitDialog();
    virtual void OnOK();
    virtual void OnCancel();
    // Placement and flags saved, then the window closes (classes that take WM_CLOSE here).
    virtual void OnClose();
    virtual void ShowStoredState(int nCmdShow);
    virtual void UpdateControl(int nKind, int nIndex, WPARAM wParam, LPARAM lParam) {}
    // Re-texts the caption, the children and the combo-box items; false when the caption would
    // need a lookup but the dialog has no language section.
    virtual bool TranslateControls();
    virtual void OnSize(int cx, int cy);
    virtual void OnDestroy();

    // A message box owned by the owner's window (none when null); answers the button pressed.
    static int ShowBCGMessageBox(QWidget *pOwner, const QString &text, const QString &caption, UINT nType);

    // ---- placement in the ini file
    void SaveWindowPos();
    void SaveMaxFlag();
    void SaveMinFlag();
    void SavePlacementToIni();
    bool LoadPlacementFromIni();
    void ApplyStoredPlacement();

    // ---- row-flow layout table (owned by the dialog; cleared on destroy)
    CLayoutItem *AddLayoutItem(int nRow, int nCol, QWidget *w, int nMarginX = 0, int nMarginY = 0,
                               int nFixedCx = -1, int nFixedCy = -1, float fRatioX = 1.0f, float fRatioY = 1.0f);
    void ClearLayout();
    // Places the visible items of the table inside the rectangle.
    void RelayoutControls(const QRect &client);

    // ---- command-update handlers run over a pop-up menu before it opens (WM_INITMENUPOPUP)
    void SetCommandUpdateHandler(int nID, std::function<void(platform::CmdUi &)> handler);
    void UpdateMenuCommands(QMenu *menu);

    // Pixels of a rectangle given in dialog units of the program's dialog font.
    static QRect MapDialogRect(const QRect &dlu);

    // The language number the language library now uses.
    static unsigned CurrentLanguage();

    int m_nIDD;
    int m_nTimerID = -1;
    UINT m_nElapse = 1000;
    bool m_bDragClientArea = true;
    QString m_strLangSection;
    bool m_bTranslated = false;
    bool m_bForceTranslate = false;
    int m_nAppliedLanguage = -1;
    bool m_bTranslateEnabled = true;
    std::set<UINT> m_setNoTranslateIds;
    std::map<int, std::map<int, std::unique_ptr<CLayoutItem>>> m_layout;
    bool m_bTranslateCaption = true;
    bool m_bRememberValues = false;
    QPoint m_ptStored{0, 0};
    bool m_bRememberPos = false;
    QString m_strIniFile;
    bool m_bCenterIfUnplaced = false;
    bool m_bRememberSize = false;
    QSize m_sizeStored{-1, -1};
    bool m_bRememberMin = false;
    bool m_bRememberMax = false;
    QSize m_sizeDefault{-1, -1};
    QString m_strIniSection;

protected:
    // The text to show for a control (key = control id, kCaptionTextKey or a combo item key)
    // whose current text is given: the language library's per-control lookup in this dialog's
    // section.
    virtual QString LookupControlText(int nKey, const QString &currentText);

    void keyPressEvent(QKeyEvent *e) override;
    void resizeEvent(QResizeEvent *e) override;
    void mousePressEvent(QMouseEvent *e) override;
    void mouseMoveEvent(QMouseEvent *e) override;
    void mouseReleaseEvent(QMouseEvent *e) override;

public:
    // QDialog's own closing goes through OnOK / OnCancel.
    void accept() override;
    void reject() override;
    void done(int r) override;

private:
    void CaptureRememberedValues();
    void CenterWindow();

    bool m_bCreated = false;
    bool m_bModal = false;
    int m_nModalResult = 0;
    bool m_bEnding = false;
    QPoint m_dragOffset;
    bool m_bDragging = false;
    std::map<int, std::function<void(platform::CmdUi &)>> m_cmdUpdate;
};

// Re-texts the child controls of a dialog, in z-order: ids in `noTranslateIds` and edit boxes
// keep their text; combo-box items are looked up under kComboTextKeyBase plus a running item
// number with the selection kept; other non-empty captions under their control id.
void TranslateChildControls(QWidget *dlg, const std::set<UINT> &noTranslateIds,
                            const std::function<QString(int key, const QString &text)> &lookup);
