#pragma once
// A status or I/O page's world: a program tree in a temporary directory, a simulated drive on a
// pseudo-terminal seeded from the default parameter database, the settings object connected to
// it, the application's flags on line, and scripted message boxes.
#include "ConnectedDriveFixture.h"

#include "AppFlags.h"
#include "SYSPARAM/SysParam.h"
#include "SimDrive.h"
#include "platform/Messages.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTest>

#include <functional>
#include <memory>

class DrivePageFixture : public ConnectedDriveFixture
{
protected:
    void SetUp() override
    {
        ConnectedDriveFixture::SetUp();
        if (HasFatalFailure())
            return;
        m_flags.m_bOnline = TRUE;
        SetAppFlags(&m_flags);
        m_ui->ClearCalls();
        m_sim.ClearRequests();
    }
    void TearDown() override
    {
        DestroyPages();
        SetAppFlags(nullptr);
        ConnectedDriveFixture::TearDown();
    }
    void PrepareDrive() override
    {
        m_sim.EnableStatusSide();
        UseLineRate(kTopRate);
    }
    // Tests that own pages destroy them here, before the link goes.
    virtual void DestroyPages() {}

    // The link as the program sees it when the drive is away.
    void GoOffline()
    {
        m_sys->m_bConnected = FALSE;
        m_flags.m_bOnline = FALSE;
    }
    // Takes a parameter out of the connected drive's table, as a project without it has.
    void DropParameter(const char *code)
    {
        CDataAxisParameter *axis = m_sys->FindActiveAxis(m_sys->m_ProjectDatabase.m_nCurDeviceID);
        ASSERT_NE(axis, nullptr);
        axis->m_arrParameter.removeIf([code](const CDBDataParameter &p) { return p.sNum == code; });
    }
    // The drive stops answering. Nothing answers from here on, so waiting out the codec's full
    // reply windows would only make the test slow: they are shortened.
    void Silence()
    {
        m_sys->m_ModbusRTU.SetReplyTimeouts(10, 20);
        SimDrive::Fault f;
        f.kind = SimDrive::FaultKind::Silence;
        f.persistent = true;
        m_sim.InjectFault(f);
    }
    static void Pump(int rounds = 5)
    {
        for (int i = 0; i < rounds; ++i)
            QCoreApplication::processEvents();
    }

    // Addresses the drive was asked to read (function 0x23).
    std::vector<int> Reads() const
    {
        std::vector<int> a;
        for (const SimDrive::Request &r : m_sim.Requests())
            if (r.bytes.size() == 8 && r.bytes[1] == 0x23)
                a.push_back((r.bytes[2] << 8) | r.bytes[3]);
        return a;
    }
    std::vector<QString> BoxTexts() const
    {
        std::vector<QString> t;
        for (const auto &c : m_ui->Calls())
            if (c.kind == platform::ScriptedUiServices::Kind::MessageBox)
                t.push_back(c.text);
        return t;
    }

    CAppFlags m_flags;
};

// One page of type Page, opened by the test, destroyed before the link goes; for pages whose
// drive work runs on a worker (IsBusy), Activate and Settle wait until it is done.
template <class Page>
class DrivePageTest : public DrivePageFixture
{
protected:
    void DestroyPages() override { m_page.reset(); }
    Page &Open(int w = 700, int h = 700)
    {
        m_page = std::make_unique<Page>();
        m_page->Create(nullptr);
        m_page->resize(w, h);
        return *m_page;
    }
    void Activate()
    {
        platform::SendMessage(platform::WindowRef(m_page.get()), UM_PAGE_ACTIVATE, 0, 0);
        Settle();
    }
    void Settle()
    {
        ASSERT_TRUE(WaitFor([&] { return !m_page->IsBusy(); }));
        Pump();
    }
    std::unique_ptr<Page> m_page;
};
