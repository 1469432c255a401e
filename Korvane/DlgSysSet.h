#pragma once
// The settings dialog: a tabbed sheet with the view, language and function pages. Every change
// takes effect when it is made; closing keeps everything, and nothing is saved here.
#include "DialogExMid.h"

#include <QTabWidget>

#include <array>

class CBCGPPropertyPageEx;
class CDlgSetFunction;
class CDlgSetLanguage;
class CDlgViewSetPage;

// The tabbed sheet of property pages.
class CBCGPPropertySheet : public QTabWidget
{
    Q_OBJECT
public:
    using QTabWidget::QTabWidget;
};

class CDlgSysSet : public CDialogExMid
{
    Q_OBJECT
public:
    static constexpr int IDD = 245;
    // Sent by the view page after a table colour change: redraw now.
    static constexpr UINT UM_SYSSET_REDRAW = 0x464;

    explicit CDlgSysSet(QWidget *pParent = nullptr);
    ~CDlgSysSet() override;

    bool OnInitDialog() override;
    // The dialog's caption, then every page and its tab label.
    bool TranslateControls() override;
    void OnSize(int cx, int cy) override;
    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;

    CBCGPPropertySheet *m_sheet = nullptr;
    CDlgViewSetPage *m_pageView = nullptr;
    CDlgSetLanguage *m_pageLanguage = nullptr;
    CDlgSetFunction *m_pageFunction = nullptr;
    int m_nRedraws = 0;

private:
    std::array<CBCGPPropertyPageEx *, 3> Pages() const;
};
