#include "Wnds/DiDo/DiDoGrid.h"

#include "LangText.h"
#include "SYSPARAM/SysParam.h"
#include "controls/MiniGridCtrl.h"
#include "controls/MyProgressCtrl.h"
#include "platform/ControlId.h"
#include "platform/LanguageConf.h"
#include "platform/UiServices.h"

CMiniGridCtrl *MakeDiDoGrid(QWidget *page, int id, const QString &langSection, const std::vector<DiDoColumn> &columns)
{
    auto *grid = new CMiniGridCtrl(page);
    platform::SetCtrlId(grid, id);
    for (int c = 0; c < int(columns.size()); ++c) {
        const DiDoColumn &col = columns[std::size_t(c)];
        grid->InsertColumn(c, TrSection(langSection, QString::fromUtf8(col.caption)), col.width);
        grid->SetColumnAlign(c, Qt::AlignCenter);
        grid->SetHeaderAlign(c, Qt::AlignCenter);
    }
    grid->show();
    return grid;
}

CMyProgressCtrl *MakeDiDoProgress(QWidget *page)
{
    auto *progress = new CMyProgressCtrl(page);
    platform::SetCtrlId(progress, 255);
    progress->hide();
    return progress;
}

void WarnWhenOffline(QWidget *page)
{
    CSysParam *sys = GetSysParam();
    if (!sys || !sys->m_bConnected)
        platform::Ui().MessageBox(LoadLangString(QStringLiteral("IDS_DlgSoftWarning_1")), QString(), MB_OK, page);
}

int DiDoLineOfRow(const std::vector<int> &map, int row)
{
    return row >= 0 && std::size_t(row) < map.size() ? map[std::size_t(row)] : -1;
}
