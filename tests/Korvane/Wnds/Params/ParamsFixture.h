#pragma once
// The parameter page on a simulated drive seeded from the default database: the settings
// object connected to it, scripted boxes, and the confirmation list answered by the test.
#include "ConnectedDriveFixture.h"

#include "AppFlags.h"
#include "SYSPARAM/SysParam.h"
#include "SimDrive.h"
#include "Wnds/Params/DlgParamNote.h"
#include "Wnds/Params/DlgParamUploadList.h"
#include "Wnds/Params/DlgParams.h"
#include "grid/DlgBCGGrid.h"
#include "grid/QLBCGGridCtrl.h"
#include "platform/grid/Grid.h"

#include <QCoreApplication>
#include <QListWidget>
#include <QElapsedTimer>
#include <QTest>

#include <functional>
#include <utility>
#include <vector>

class ParamsFixture : public ConnectedDriveFixture
{
protected:
    void SetUp() override
    {
        // The grid's focus comes back 50 ms after a write ends, not up to a second.
        CDlgParams::SetWriteTimerMs(50);
        ConnectedDriveFixture::SetUp();
        if (HasFatalFailure())
            return;
        SetAppFlags(&m_flags);
        UseGenerousReplyWindows();
        m_previousRunner = CDlgParamUploadList::SetRunner([this](CDlgParamUploadList &dlg) {
            m_listed.push_back(dlg.m_arrParameter);
            m_listLines.clear();
            for (int i = 0; i < dlg.ListBox()->count(); ++i)
                m_listLines.push_back(dlg.ListBox()->item(i)->text());
            return m_listAnswer;
        });
        m_ui->ClearCalls();
        m_sim.ClearRequests();
    }
    void PrepareDrive() override
    {
        ConnectedDriveFixture::PrepareDrive();
        UseLineRate(kTopRate);
    }
    void TearDown() override
    {
        m_page.reset();
        CDlgParamUploadList::SetRunner(std::move(m_previousRunner));
        SetAppFlags(nullptr);
        ConnectedDriveFixture::TearDown();
        CDlgParams::SetWriteTimerMs(0);
    }

    // The page showing every parameter.
    CDlgParams &Page()
    {
        m_page = std::make_unique<CDlgParams>();
        m_page->Create(nullptr);
        m_page->resize(1200, 700);
        m_page->show();
        NavigationTarget all;
        all.m_nTargetId = 0;
        all.m_bAll = 1;
        m_page->ShowParamGroup(all);
        QCoreApplication::processEvents();
        return *m_page;
    }

    // The boxes shown with this caption, in order.
    // The value cell of a parameter's row chosen, as a click chooses it: the detail pane shows
    // the parameter. The cell's row and column.
    std::pair<int, int> ChooseValueCell(const char *code)
    {
        const int row = m_page->FindRowByCode(QString::fromLatin1(code));
        const int col = m_page->Grid()->m_mapFieldToCol.at(QStringLiteral("IDS_ParaView_3"));
        m_page->Grid()->GetGrid()->SetCurSel(platform::GridItemID{row, col});
        platform::SendMessage(platform::WindowRef(m_page.get()), platform::GridMessage("BCGM_GRID_SEL_CHANGED"), 0, 0);
        return {row, col};
    }
    std::vector<QString> Boxes(const char *caption) const
    {
        std::vector<QString> texts;
        for (const auto &c : m_ui->Calls())
            if (c.kind == platform::ScriptedUiServices::Kind::MessageBox && c.caption == QString::fromUtf8(caption))
                texts.push_back(c.text);
        return texts;
    }
    // Waits for the result box of a transfer and for the page to have handled its end.
    bool WaitForResult(const char *caption)
    {
        const bool shown = WaitFor([&] { return !Boxes(caption).empty(); });
        WaitFor([&] { return !m_page->IsTransferRunning(); });
        for (int i = 0; i < 5; ++i)
            QCoreApplication::processEvents();
        return shown;
    }


    QString CellText(const QString &code, const char *column)
    {
        const int row = m_page->FindRowByCode(code);
        QString text;
        m_page->Grid()->GetRowCellText(text, row, QString::fromLatin1(column));
        return text;
    }

    CDBDataParameter *Record(const QString &code)
    {
        for (CDBDataParameter &p : *CDlgParams::ActiveParams())
            if (p.sNum == code)
                return &p;
        return nullptr;
    }

    CAppFlags m_flags;
    std::unique_ptr<CDlgParams> m_page;
    CDlgParamUploadList::Runner m_previousRunner;
    int m_listAnswer = IDOK;
    std::vector<QList<CDBDataParameter>> m_listed;
    std::vector<QString> m_listLines;
};
