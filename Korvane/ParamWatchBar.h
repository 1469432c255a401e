#pragma once
// The docking pane at the bottom of the main window that hosts the parameter monitor: it
// creates the monitor dialog, keeps it filling its client area and hands it the add requests.
#include "platform/Messages.h"

#include <QDockWidget>

class CDlgParamMointor;

class CParamWatchBar : public QDockWidget, public platform::MessageTarget
{
    Q_OBJECT
public:
    CParamWatchBar(const QString &caption, QWidget *parent);
    ~CParamWatchBar() override;

    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;
    // (Re)creates the hosted monitor, replacing an earlier one.
    void CreateMonitor();
    CDlgParamMointor *Monitor() const { return m_pDlgMonitor; }

protected:
    bool eventFilter(QObject *o, QEvent *e) override;

private:
    void FitMonitor();

    CDlgParamMointor *m_pDlgMonitor = nullptr;
    QWidget *m_pClient = nullptr;
};
