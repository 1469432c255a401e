#pragma once
// The program's main window: hosts the view (the page area) and the status bar, holds the view
// settings of "SysSet.ini", and stays hidden until the start-up allows it to be shown.
#include "platform/ColorRef.h"
#include "platform/Messages.h"

#include <QMainWindow>

#include <array>

class CKorvaneView;
class QLabel;

class CMainFrame : public QMainWindow, public platform::MessageTarget
{
    Q_OBJECT
public:
    explicit CMainFrame(QWidget *parent = nullptr);
    ~CMainFrame() override;

    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;

    CKorvaneView *GetActiveView() const { return m_pView; }
    // The view shows the parameter page.
    void ShowAllParameters();
    // Lets the window become visible from now on.
    void AllowShow() { m_bAllowShow = true; }
    QLabel *StatusPane(int index) const;

    // Requests to show the window are dropped until AllowShow.
    void setVisible(bool visible) override;

    static constexpr COLORREF kNoColour = 0xFFFFFFFFu;
    static constexpr int kDefaultThemeId = 32826;

    QString m_strLangSection = QStringLiteral("CMainFrame");
    bool m_bClrCustom = false;
    COLORREF m_clrFont = kNoColour;
    COLORREF m_clrEven = kNoColour;
    COLORREF m_clrOdd = kNoColour;
    bool m_bShowEditParam = true;
    bool m_bShowMonitorParam = true;
    bool m_bShowFuncNavigation = true;
    int m_nThemeID = kDefaultThemeId;
    bool m_bAllowShow = false;

protected:
    void closeEvent(QCloseEvent *e) override;

private:
    CKorvaneView *m_pView = nullptr;
    std::array<QLabel *, 4> m_statusPanes{};
};
