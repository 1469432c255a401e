#include "Wnds/scope/DlgHistoryData.h"

#include "DlgDesktop.h"
#include "PathHelpers.h"
#include "TraceLog.h"
#include "Wnds/Params/DlgParams.h"
#include "Wnds/scope/ScopeSettings.h"
#include "Wnds/scope/WaveFile.h"
#include "database/ParamValueText.h"
#include "grid/BCGPGridCtrlEx.h"
#include "platform/ControlId.h"
#include "platform/ControlNotify.h"
#include "platform/LanguageConf.h"
#include "platform/UiServices.h"
#include "platform/grid/Grid.h"

#include <QDir>
#include <QFileInfo>
#include <QPushButton>

#include <algorithm>
#include <array>
#include <type_traits>

#define HISTORY_LOG KLOG("Wnds\\scope\\DlgHistoryData")

using platform::TrSection;

CDlgHistoryData::CDlgHistoryData(QWidget *pParent) : CDialogExMid(IDD, pParent)
{
    m_strLangSection = QStringLiteral("CDlgHistoryData");
    m_nMsgSelChanged = platform::GridMessage("BCGM_GRID_SEL_CHANGED");
    m_gridFiles = new CBCGPGridCtrlEx(this);
    m_gridParams = new CBCGPGridCtrlEx(this);
    platform::SetCtrlId(m_gridFiles, IDC_FILES);
    platform::SetCtrlId(m_gridParams, IDC_PARAMS);
    m_btnApply = new QPushButton(QStringLiteral("使用选中文件的参数"), this);
    platform::SetCtrlId(m_btnApply, IDC_APPLY);
    connect(m_btnApply, &QPushButton::clicked, this, [this] { platform::NotifyParent(m_btnApply, BN_CLICKED); });
}

CDlgHistoryData::~CDlgHistoryData() = default;

bool CDlgHistoryData::OnInitDialog()
{
    CDialogExMid::OnInitDialog();
    const struct {
        CBCGPGridCtrlEx *grid;
        QStringList columns;
        int width;
    } grids[] = {{m_gridFiles, {QStringLiteral("文件名")}, 175},
                 {m_gridParams, {QStringLiteral("参数"), QStringLiteral("值")}, 75}};
    for (const auto &g : grids) {
        g.grid->RemoveAll();
        g.grid->DeleteAllColumns();
        for (int c = 0; c < g.columns.size(); ++c) {
            const int col = g.grid->InsertColumn(c, TrSection(m_strLangSection, g.columns[c]), g.width);
            g.grid->SetColumnAlign(col, Qt::AlignCenter);
            g.grid->SetHeaderAlign(col, Qt::AlignCenter);
        }
        g.grid->SetVisualManagerColorTheme();
        g.grid->EnableRowHeader(true);
        g.grid->SetReadOnly(true);
        g.grid->SetWholeRowSel(true);
        g.grid->show();
    }
    FillFileList();
    OnSize(width(), height());
    return true;
}

void CDlgHistoryData::OnSize(int cx, int cy)
{
    CDialogExMid::OnSize(cx, cy);
    if (!m_gridFiles)
        return;
    const QRect client = rect();
    const int l = client.left(), t = client.top(), r = client.left() + client.width(),
              b = client.top() + client.height();
    const int u = b - 30;
    const int fileHeight = std::max((u - t) / 2, 0);
    m_gridFiles->setGeometry(l, t, r - l, fileHeight);
    m_gridParams->setGeometry(l, t + fileHeight, r - l, std::max(u - t - fileHeight, 0));
    m_btnApply->setGeometry(l + 30, b - 28, std::max(r - l - 60, 0), 28);
}

LRESULT CDlgHistoryData::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg == m_nMsgSelChanged && msg) {
        if (!m_bListing)
            OnFileSelChanged();
        return 0;
    }
    if (msg == WM_COMMAND && LOWORD(wParam) == IDC_APPLY) {
        OnApplyParams();
        return 0;
    }
    return CDialogExMid::WindowProc(msg, wParam, lParam);
}

void CDlgHistoryData::AddRow(CBCGPGridCtrlEx *grid, const QStringList &cells)
{
    platform::GridRow *row = grid->CreateRow(grid->GetColumnCount());
    for (int c = 0; c < cells.size() && c < row->GetItemCount(); ++c)
        row->GetItem(c)->SetValue(cells[c], false);
    grid->AddRow(row, false);
}

void CDlgHistoryData::FillFileList()
{
    const QString folder = GetHistoryDataDir();
    if (folder.isEmpty())
        return;
    const QStringList files =
        QDir(folder).entryList({QStringLiteral("*.csv")}, QDir::Files | QDir::Hidden, QDir::Unsorted);
    m_bListing = true;
    for (const QString &name : files)
        AddRow(m_gridFiles, {name});
    m_gridFiles->AdjustLayout();
    m_bListing = false;
}

void CDlgHistoryData::ClearFileList()
{
    m_bListing = true;
    m_gridFiles->RemoveAll();
    m_gridFiles->AdjustLayout();
    m_bListing = false;
}

QString CDlgHistoryData::SelectedFilePath() const
{
    const platform::GridRow *row = m_gridFiles->GetCurSel();
    const platform::GridItem *item = row ? row->GetItem(0) : nullptr;
    if (!item)
        return QString();
    const QString name = item->GetValue().toString();
    const QString folder = GetHistoryDataDir();
    return name.isEmpty() || folder.isEmpty() ? QString() : folder + QLatin1Char('/') + name;
}

int CDlgHistoryData::ReadFileParams(const QString &path, QList<QPair<QString, QString>> &pairs, QString *why)
{
    // The reader also takes the file's set-up words. They describe the live capture, which
    // stays on screen (the file only becomes its comparison) and is saved with them: they must
    // not become an older capture's.
    CScopeSettings *settings = CScopeSettings::GetInstance();
    std::array<WORD, std::extent_v<decltype(CScopeSettings::m_wDriveConfig)>> live{};
    std::copy(std::begin(settings->m_wDriveConfig), std::end(settings->m_wDriveConfig), live.begin());
    const int read = ReadHistoryParams(path, pairs, *settings, why);
    std::copy(live.begin(), live.end(), settings->m_wDriveConfig);
    return read;
}

void CDlgHistoryData::Say(const QString &text)
{
    platform::Ui().MessageBox(text, TrSection(m_strLangSection, QStringLiteral("历史数据")), MB_OK, this);
}

void CDlgHistoryData::OnFileSelChanged()
{
    const QString path = SelectedFilePath();
    if (path.isEmpty())
        return;
    // A click that shows nothing reads as a dead list: say why the capture or its parameters
    // are not shown, in one box.
    const QString name = QFileInfo(path).fileName();
    QStringList said;
    const bool exists = QFileInfo::exists(path);
    if (m_fnLoadFile && !m_fnLoadFile(path))
        said << (exists ? TrSection(m_strLangSection, QStringLiteral("无法显示历史数据“%1”：文件已损坏，或与当前采样设置不符。"))
                        : TrSection(m_strLangSection, QStringLiteral("无法显示历史数据“%1”：文件已不存在。")))
                              .arg(name);
    QList<QPair<QString, QString>> pairs;
    QString why;
    const int read = ReadFileParams(path, pairs, &why);
    if (!read && exists)
        said << TrSection(m_strLangSection, QStringLiteral("历史数据“%1”的参数无法读取：%2")).arg(name, why);
    if (!said.isEmpty())
        Say(said.join(QLatin1Char('\n')));
    m_bListing = true;
    m_gridParams->RemoveAll();
    if (read) {
        for (const auto &[code, value] : pairs)
            AddRow(m_gridParams, {code, value});
    }
    m_gridParams->AdjustLayout();
    m_bListing = false;
}

void CDlgHistoryData::OnApplyParams()
{
    const QString path = SelectedFilePath();
    CSysParam *sys = GetSysParam();
    if (path.isEmpty() || !sys)
        return;
    const QString name = QFileInfo(path).fileName();
    QList<QPair<QString, QString>> pairs;
    QString why;
    if (!ReadFileParams(path, pairs, &why)) {
        Say(TrSection(m_strLangSection, QStringLiteral("历史数据“%1”的参数无法读取：%2")).arg(name, why));
        return;
    }
    if (pairs.isEmpty()) {
        Say(TrSection(m_strLangSection, QStringLiteral("历史数据“%1”中没有参数。")).arg(name));
        return;
    }
    QList<CDBDataParameter> *table = CDlgParams::ActiveParams();
    // All or nothing: every listed value of a known parameter must be a whole number (or an
    // option text) first, so that a damaged file changes nothing that a write would send.
    QList<QPair<int, std::int32_t>> values;
    bool writable = false;
    for (const auto &[code, text] : pairs) {
        for (int i = 0; table && i < table->size(); ++i) {
            const CDBDataParameter &p = (*table)[i];
            if (p.sNum != code)
                continue;
            const std::optional<std::int32_t> value = ParseParamValueText(p, text);
            if (!value) {
                // Refused as a file that cannot be read is: nothing changes.
                HISTORY_LOG << "history value unreadable: " << code.toStdString() << ' ' << text.toStdString();
                Say(TrSection(m_strLangSection, QStringLiteral("历史数据“%1”的参数无法使用：参数%2的值“%3”无效。"))
                        .arg(name, code, text));
                return;
            }
            values.append({i, *value});
            writable = writable || p.nModify != 2;
            break;
        }
    }
    if (!writable) {
        // A capture saved while the group was empty carries only values to look at.
        Say(TrSection(m_strLangSection, QStringLiteral("历史数据“%1”中没有可写入驱动器的参数。")).arg(name));
        return;
    }
    const QString group = QString::fromUtf8(kScopeGroupName);
    for (qsizetype i = sys->m_arrParamUser.size() - 1; i >= 0; --i) {
        if (sys->m_arrParamUser[i].sGroupName == group)
            sys->m_arrParamUser.removeAt(i);
    }
    for (const auto &[code, text] : pairs) {
        // A file listing a code twice still gives the group one member.
        if (std::none_of(sys->m_arrParamUser.begin(), sys->m_arrParamUser.end(),
                         [&](const CParamUser &m) { return m.sGroupName == group && m.sNum == code; }))
            sys->m_arrParamUser.push_back(CParamUser{group, code});
    }
    // The file's values go to the write; the table takes each only once the drive has taken it.
    m_arrApplyValues.clear();
    bool refused = false;
    for (const auto &[index, value] : values) {
        const CDBDataParameter &p = (*table)[index];
        if (IsParamValueInRange(p, value)) {
            m_arrApplyValues.append({p.sNum, value});
        } else {
            refused = true;
            HISTORY_LOG << "history value out of range: " << p.sNum.toStdString() << ' ' << value;
        }
    }
    if (std::none_of(sys->m_arrGroupsUser.begin(), sys->m_arrGroupsUser.end(),
                     [&](const CGroupsUser &g) { return g.sGroupName == group; }))
        sys->m_arrGroupsUser.push_back(CGroupsUser{group});
    if (refused)
        ShowDesktopAlert(1, TrSection(m_strLangSection, QStringLiteral("设置值超出范围！")), RGB(255, 0, 0));
    if (!m_fnApplyParams)
        return;
    const int started = m_fnApplyParams();
    if (started == 0) {
        platform::Ui().MessageBox(TrSection(m_strLangSection, QStringLiteral("文件的参数没有写入：请先打开“参数”页。")),
                                  TrSection(m_strLangSection, QStringLiteral("参数写入")), MB_OK, this);
    } else if (started < 0) {
        ShowDesktopAlert(1, TrSection(m_strLangSection, QStringLiteral("参数没有写入，表格未改变。")), RGB(255, 0, 0));
    }
}
