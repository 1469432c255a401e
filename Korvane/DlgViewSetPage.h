#pragma once
// The view page of the settings dialog: which panes the main window shows, the table text
// colour and the two alternating row colours, and whether the tables use them.
#include "BCGPPropertyPageEx.h"
#include "platform/ColorRef.h"
#include "platform/WinTypes.h"

class CKVColorButton;
class QCheckBox;
class QLabel;
class QPushButton;

class CDlgViewSetPage : public CBCGPPropertyPageEx
{
    Q_OBJECT
public:
    static constexpr int IDD = 246;
    static constexpr int IDC_SHOW_EDIT = 2052;
    static constexpr int IDC_SHOW_MONITOR = 2053;
    static constexpr int IDC_SHOW_NAVIGATION = 2054;
    static constexpr int IDC_VIEW_LABEL = 2055;
    static constexpr int IDC_THEME_LABEL = 2056;
    static constexpr int IDC_THEME = 2057;
    static constexpr int IDC_FONT_LABEL = 2058;
    static constexpr int IDC_FONT_COLOUR = 2059;
    static constexpr int IDC_TABLE_LABEL = 2060;
    static constexpr int IDC_TABLE_COLOUR1 = 2061;
    static constexpr int IDC_TABLE_COLOUR2 = 2062;
    static constexpr int IDC_TABLE_CUSTOM = 2099;
    // The automatic entry of the colour buttons.
    static constexpr COLORREF kAutomaticColour = RGB(255, 0, 255);

    explicit CDlgViewSetPage(QWidget *pParent = nullptr);

    bool OnInitDialog() override;
    bool TranslateControls() override;
    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;

    // Filled by the opener from the main frame's view settings.
    BOOL m_bShowParamEdit = TRUE;
    BOOL m_bShowParamMonitor = TRUE;
    BOOL m_bShowNavigation = TRUE;
    COLORREF m_clrFont = static_cast<COLORREF>(-1);
    COLORREF m_clrTable1 = static_cast<COLORREF>(-1);
    COLORREF m_clrTable2 = static_cast<COLORREF>(-1);
    BOOL m_bTableCustom = FALSE;

    QCheckBox *m_chkShowEdit = nullptr;
    QCheckBox *m_chkShowMonitor = nullptr;
    QCheckBox *m_chkShowNavigation = nullptr;
    QCheckBox *m_chkTableCustom = nullptr;
    QPushButton *m_btnTheme = nullptr;
    QLabel *m_lblTheme = nullptr;
    CKVColorButton *m_btnFont = nullptr;
    CKVColorButton *m_btnTable1 = nullptr;
    CKVColorButton *m_btnTable2 = nullptr;

    void OnPaneBox(int id);
    void OnColourChosen(int id);
    void OnTableCustom();

private:
    void SetUpColourButtons();
    void NotifyTableColours();
    UINT m_nRefreshMsg = 0;
};
