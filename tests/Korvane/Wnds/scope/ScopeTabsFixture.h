#pragma once
// The oscilloscope's parameter tab and history tab on the simulated drive: the parameter
// page's world (settings object, scripted boxes, the confirmation list answered by the test)
// plus the two tabs, the custom group "示波器参数" and capture files in the history folder.
#include "ParamsFixture.h"

#include "PathHelpers.h"
#include "Wnds/Params/ParamTransfer.h"
#include "Wnds/scope/DlgHistoryData.h"
#include "Wnds/scope/DlgScopeSet.h"
#include "Wnds/scope/ScopeChannels.h"
#include "Wnds/scope/ScopeSettings.h"
#include "Wnds/scope/WaveFile.h"

#include <QFile>

#include <memory>

class ScopeTabsFixture : public ParamsFixture
{
protected:
    void SetUp() override
    {
        ParamsFixture::SetUp();
        CScopeSettings::GetInstance()->m_bRollRunning = 0;
    }
    void TearDown() override
    {
        m_history.reset();
        m_tab.reset();
        CScopeSettings::GetInstance()->m_bRollRunning = 0;
        ParamsFixture::TearDown();
    }

    static QString Group() { return QString::fromUtf8(kScopeGroupName); }

    // The group with these members (it is created when missing).
    void SetScopeGroup(const QStringList &codes)
    {
        m_sys->m_arrGroupsUser.append(CGroupsUser{Group()});
        for (const QString &code : codes)
            m_sys->m_arrParamUser.append(CParamUser{Group(), code});
    }
    QStringList GroupCodes() const
    {
        QStringList codes;
        for (const CParamUser &m : m_sys->m_arrParamUser)
            if (m.sGroupName == Group())
                codes << m.sNum;
        return codes;
    }
    int GroupCount() const
    {
        int n = 0;
        for (const CGroupsUser &g : m_sys->m_arrGroupsUser)
            n += g.sGroupName == Group();
        return n;
    }

    CDlgScopeSet &Tab()
    {
        m_tab = std::make_unique<CDlgScopeSet>();
        m_tab->Create(nullptr);
        m_tab->resize(420, 500);
        m_tab->show();
        QCoreApplication::processEvents();
        return *m_tab;
    }
    CDlgHistoryData &History()
    {
        m_history = std::make_unique<CDlgHistoryData>();
        m_history->Create(nullptr);
        m_history->resize(300, 500);
        m_history->show();
        QCoreApplication::processEvents();
        return *m_history;
    }

    QStringList TabCodes()
    {
        QStringList codes;
        CQLBCGGridCtrl *grid = m_tab->Grid()->GetGrid();
        for (int r = 0; grid && r < grid->GetRowCount(); ++r) {
            QString code;
            m_tab->Grid()->GetRowCellText(code, r, QStringLiteral("IDS_ParaView_1"));
            codes << code;
        }
        return codes;
    }
    QString TabCell(int row, const char *field)
    {
        QString text;
        m_tab->Grid()->GetRowCellText(text, row, QString::fromLatin1(field));
        return text;
    }
    // Types the text into the value cell of the row, as the in-place edit leaves it.
    void TypeValue(int row, const QString &text)
    {
        CQLBCGGridCtrl *grid = m_tab->Grid()->GetGrid();
        const int col = m_tab->Grid()->m_mapFieldToCol.at(QStringLiteral("IDS_ParaView_3"));
        grid->GetItem(platform::GridItemID{row, col})->SetValue(QVariant(text), false);
        platform::GridItemInfo info{grid->GetItem(platform::GridItemID{row, col}), row, col};
        platform::SendMessage(platform::WindowRef(m_tab->Grid()), platform::GridMessage("BCGM_GRID_ITEM_CHANGED"), 0,
                              reinterpret_cast<LPARAM>(&info));
    }

    // A capture file in the history folder whose scope group section holds the pairs.
    QString WriteHistoryFile(const QString &name, const std::vector<std::pair<QString, int>> &params)
    {
        CScopeSettings *settings = CScopeSettings::GetInstance();
        CScopeChannels channels;
        channels.m_dTimePerPoint = 0.125;
        channels.ResetLive();
        channels.m_ch[0].AppendFromArray(std::vector<double>{1, 2, 3, 4});
        QList<CDBDataParameter> group;
        for (const auto &[code, value] : params) {
            CDBDataParameter p;
            p.sNum = code;
            p.sName = code;
            p.iCurValue = value;
            group.append(p);
        }
        const QString path = GetHistoryDataDir() + QLatin1Char('/') + name;
        EXPECT_TRUE(SaveWaveFile(path, 1, channels, *settings, group));
        return path;
    }

    std::unique_ptr<CDlgScopeSet> m_tab;
    std::unique_ptr<CDlgHistoryData> m_history;
};
