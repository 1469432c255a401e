#pragma once
// The setup wizard on a simulated drive seeded from the default database (the parameter page's
// fixture), with the confirmation list and the boxes answered by the test.
#include "ParamsFixture.h"

#include "grid/ColorGridCtrl.h"
#include "wizard/DlgSetupWizard.h"

class WizardFixture : public ParamsFixture
{
protected:
    void TearDown() override
    {
        m_wizard.reset();
        ParamsFixture::TearDown();
    }

    CDlgSetupWizard &Wizard()
    {
        m_wizard = std::make_unique<CDlgSetupWizard>();
        m_wizard->Create(nullptr);
        m_wizard->resize(1131, 700);
        m_wizard->show();
        QCoreApplication::processEvents();
        return *m_wizard;
    }

    template <class Page>
    Page *Current()
    {
        return dynamic_cast<Page *>(m_wizard->m_pPage);
    }

    CDBDataParameter *Project(const QString &code)
    {
        CDataAxisParameter *axis = m_sys->FindActiveAxis(m_sys->m_ProjectDatabase.m_nCurDeviceID);
        if (!axis)
            return nullptr;
        for (CDBDataParameter &p : axis->m_arrParameter)
            if (p.sNum == code)
                return &p;
        return nullptr;
    }

    std::unique_ptr<CDlgSetupWizard> m_wizard;
};
