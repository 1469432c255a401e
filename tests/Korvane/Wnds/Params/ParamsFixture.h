#pragma once
// The parameter page on a simulated drive seeded from the default database: the settings
// object connected to it, scripted boxes, and the confirmation list answered by the test.
#include "SysParamFixture.h"

#include "AppFlags.h"
#include "SYSPARAM/SysParam.h"
#include "SimDrive.h"
#include "Wnds/Params/DlgParamNote.h"
#include "Wnds/Params/DlgParamUploadList.h"
#include "Wnds/Params/DlgParams.h"

#include <QCoreApplication>
#include <QListWidget>
#include <QElapsedTimer>
#include <QTest>

#include <functional>
#include <utility>
#include <vector>

class ParamsFixture : public SysParamFixture
{
protected:
    void SetUp() override
    {
        SysParamFixture::SetUp();
        ASSERT_TRUE(m_sim.Start());
        std::string error;
        ASSERT_TRUE(m_sim.SeedFromDefaultDatabase(m_dbPath.toStdString(), 1, &error)) << error;
        m_sim.SeedDefaults();
        qputenv("KORVANE_DEVICE", QByteArray::fromStdString(m_sim.SlavePath()));
        m_sys = std::make_unique<CSysParam>(m_dbPath);
        ASSERT_TRUE(m_sys->Init());
        SetSysParam(m_sys.get());
        ASSERT_TRUE(m_sys->CheckConnection());
        SetAppFlags(&m_flags);
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
    void TearDown() override
    {
        m_page.reset();
        CDlgParamUploadList::SetRunner(std::move(m_previousRunner));
        SetAppFlags(nullptr);
        SetSysParam(nullptr);
        m_sys.reset();
        m_sim.Stop();
        qunsetenv("KORVANE_DEVICE");
        SysParamFixture::TearDown();
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

    static bool WaitFor(const std::function<bool()> &done, int ms = 20000)
    {
        QElapsedTimer t;
        t.start();
        while (!done()) {
            if (t.elapsed() > ms)
                return false;
            QTest::qWait(5);
        }
        return true;
    }

    // The boxes shown with this caption, in order.
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

    // Register writes that reached the drive: (address, value) of 0x26 requests.
    std::vector<std::pair<int, int>> Writes() const
    {
        std::vector<std::pair<int, int>> w;
        for (const SimDrive::Request &r : m_sim.Requests())
            if (r.bytes.size() == 8 && r.bytes[1] == 0x26)
                w.push_back({(r.bytes[2] << 8) | r.bytes[3], (r.bytes[4] << 8) | r.bytes[5]});
        return w;
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

    SimDrive m_sim;
    std::unique_ptr<CSysParam> m_sys;
    CAppFlags m_flags;
    std::unique_ptr<CDlgParams> m_page;
    CDlgParamUploadList::Runner m_previousRunner;
    int m_listAnswer = IDOK;
    std::vector<QList<CDBDataParameter>> m_listed;
    std::vector<QString> m_listLines;
};
