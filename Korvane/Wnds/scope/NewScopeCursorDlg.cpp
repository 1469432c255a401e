#include "Wnds/scope/NewScopeCursorDlg.h"

#include "AppFlags.h"
#include "LangText.h"
#include "Wnds/scope/ScopeSettings.h"
#include "Wnds/scope/VScope.h"
#include "controls/ColourPicker.h"
#include "grid/BCGPGridCtrlEx.h"
#include "platform/ControlId.h"
#include "platform/LanguageConf.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>

#include <algorithm>

namespace {

// In the current language at each refresh.
QStringList TimeHeader()
{
    return {QString(), "A", "B", "B-A", platform::TrText(QStringLiteral("有效值")), platform::TrText(QStringLiteral("最小值")),
            platform::TrText(QStringLiteral("最大值"))};
}
const QStringList kValueHeader{QString(), "A", "B", "B-A"};

QString Num(double v)
{
    return QString::asprintf("%.3f", v);
}

QString SourceName(const std::function<QString(int)> &sourceName, int channel)
{
    return sourceName ? sourceName(channel) : QString();
}

template <class W>
W *Make(QWidget *parent, int id, const QString &text, const QRect &dlu)
{
    auto *w = new W(text, parent);
    platform::SetCtrlId(w, id);
    w->setGeometry(CDialogExMid::MapDialogRect(dlu));
    return w;
}

}

CNewScopeCursorDlg::CNewScopeCursorDlg(CVScope *view, QWidget *owner)
    : CDialogExMid(IDD, owner), m_pView(view), m_pOwner(owner)
{
    m_strLangSection = QStringLiteral("CNewScopeCursorDlg");
    resize(MapDialogRect(QRect(0, 0, 173, 238)).size());
    // The resource's rows put the colour swatches on the radio buttons' line and the texts
    // wider than their boxes: the swatches get a line of their own inside the cursor group and
    // everything below moves down by that line, so no control covers another.
    m_chkShowCursor = Make<QCheckBox>(this, IDC_SHOW_CURSOR, QStringLiteral("显示游标"), QRect(4, 16, 60, 10));
    Make<QGroupBox>(this, IDC_CURSOR_GROUP, QStringLiteral("坐标设置"), QRect(0, 30, 167, 38))->lower();
    m_radTime = Make<QRadioButton>(this, IDC_TIME_CURSORS, QStringLiteral("垂直"), QRect(8, 40, 30, 11));
    m_radValue = Make<QRadioButton>(this, IDC_VALUE_CURSORS, QStringLiteral("水平"), QRect(42, 40, 30, 11));
    // Both may be unchecked (the refresh then does nothing), so the pair is kept by hand.
    m_radTime->setAutoExclusive(false);
    m_radValue->setAutoExclusive(false);
    m_btnLock = Make<QCheckBox>(this, IDC_LOCK, QStringLiteral("固定AB间距"), QRect(78, 40, 70, 12));
    const int pickerX[4] = {10, 38, 66, 94};
    for (int i = 0; i < 4; ++i) {
        m_pickers[i] = new CColourPicker(this);
        platform::SetCtrlId(m_pickers[i], kPickerIds[i]);
        m_pickers[i]->setGeometry(MapDialogRect(QRect(pickerX[i], 54, 14, 8)));
        m_pickers[i]->SetPopupEnabled(FALSE);  // swatches only, this dialog's own pickers
    }
    m_grpMeasure = Make<QGroupBox>(this, IDC_MEASURE_GROUP, QStringLiteral("坐标"), QRect(0, 70, 173, 161));
    m_grpMeasure->lower();
    m_lblTime = Make<QLabel>(this, IDC_TIME_LABEL, QStringLiteral("时间"), QRect(5, 93, 16, 8));
    auto *ok = Make<QPushButton>(this, 1, QStringLiteral("OK"), QRect(51, 77, 50, 14));
    auto *cancel = Make<QPushButton>(this, 2, QStringLiteral("Cancel"), QRect(117, 77, 50, 14));
    connect(ok, &QPushButton::clicked, this, [this] { OnOK(); });
    connect(cancel, &QPushButton::clicked, this, [this] { OnCancel(); });
    m_gridTime = new CBCGPGridCtrlEx(this);
    m_gridChannels[0] = new CBCGPGridCtrlEx(this);
    m_gridChannels[1] = new CBCGPGridCtrlEx(this);
    for (auto *g : {m_gridTime, m_gridChannels[0], m_gridChannels[1]})
        g->hide();

    connect(m_radTime, &QRadioButton::clicked, this, [this] { OnTimeCursors(); });
    connect(m_radValue, &QRadioButton::clicked, this, [this] { OnValueCursors(); });
    connect(m_btnLock, &QCheckBox::clicked, this, [this] { OnLock(); });
    connect(m_chkShowCursor, &QCheckBox::clicked, this, [this] { OnShowCursor(); });
}

CNewScopeCursorDlg::~CNewScopeCursorDlg() = default;

bool CNewScopeCursorDlg::OnInitDialog()
{
    CDialogExMid::OnInitDialog();
    m_radTime->setChecked(true);
    m_radValue->setChecked(false);
    if (CScopeSettings *settings = CScopeSettings::GetInstance())
        std::copy(std::begin(settings->m_clrCursorChannel), std::end(settings->m_clrCursorChannel), m_clrCursor);
    const int ids[3] = {IDC_TIME_GRID, IDC_CHANNEL_GRID1, IDC_CHANNEL_GRID2};
    CBCGPGridCtrlEx *grids[3] = {m_gridTime, m_gridChannels[0], m_gridChannels[1]};
    for (int i = 0; i < 3; ++i) {
        CBCGPGridCtrlEx *g = grids[i];
        platform::SetCtrlId(g, ids[i]);
        g->SetVisualManagerColorTheme();
        g->EnableRowHeader(true);
        g->SetReadOnly(true);
        g->show();
    }
    // Every opening starts without cursors, whatever the saved setting says.
    m_chkShowCursor->setChecked(false);
    GetAppFlags()->m_bScopeShowCursor = FALSE;
    for (int i = 0; i < 4; ++i)
        m_pickers[i]->SetColour(m_clrCursor[i]);
    CursorsOff();
    OnSize(width(), height());
    return true;
}

void CNewScopeCursorDlg::RedrawView()
{
    // Coalesced with the view's own request: a cursor drag paints once per move.
    if (m_pView)
        m_pView->update();
}

void CNewScopeCursorDlg::CursorsOff()
{
    if (!m_pView)
        return;
    m_pView->m_nCursorMode = 0;
    m_pView->ResetCursorPositions();
    m_nTableKind = 0;
    RedrawView();
}

LRESULT CNewScopeCursorDlg::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg == UM_SCOPE_CURSOR_REFRESH) {
        // The cursors moved: only they are drawn again over the view's picture.
        if (m_pView)
            m_pView->UpdateCursors();
        if (m_radTime->isChecked() && !m_radValue->isChecked())
            FillTimeCursorTable();
        else if (m_radValue->isChecked() && !m_radTime->isChecked())
            FillValueCursorTable();
        return 0;
    }
    return CDialogExMid::WindowProc(msg, wParam, lParam);
}

void CNewScopeCursorDlg::OnTimeCursors()
{
    m_nTableKind = 0;  // the table starts afresh
    m_radTime->setChecked(true);
    m_radValue->setChecked(false);
    if (!m_pView)
        return;
    m_pView->m_nCursorMode = 1;
    m_pView->ResetCursorPositions();
    RedrawView();
    FillTimeCursorTable();
}

void CNewScopeCursorDlg::OnValueCursors()
{
    m_nTableKind = 0;  // the table starts afresh
    m_radValue->setChecked(true);
    m_radTime->setChecked(false);
    if (!m_pView)
        return;
    m_pView->m_nCursorMode = 2;
    m_pView->ResetCursorPositions();
    RedrawView();
    FillValueCursorTable();
}

void CNewScopeCursorDlg::OnLock()
{
    if (m_pView)
        m_pView->m_bCursorsLocked = m_btnLock->isChecked() ? 1 : 0;
}

void CNewScopeCursorDlg::OnShowCursor()
{
    CAppFlags *flags = GetAppFlags();
    flags->m_bScopeShowCursor = m_chkShowCursor->isChecked() ? TRUE : FALSE;
    if (flags->m_fnSaveSysSetIni)
        flags->m_fnSaveSysSetIni();
    if (!m_chkShowCursor->isChecked())
        CursorsOff();
    else if (m_radTime->isChecked())
        OnTimeCursors();
    else
        OnValueCursors();
}

void CNewScopeCursorDlg::OnCancel()
{
    // Escape takes the cursors away; the tab itself stays open and usable.
    CursorsOff();
}

void CNewScopeCursorDlg::OnDestroy()
{
    CDialogExMid::OnDestroy();
    RedrawView();
}

void CNewScopeCursorDlg::OnSize(int cx, int cy)
{
    CDialogExMid::OnSize(cx, cy);
    if (!m_gridTime)
        return;
    const int l = 0, t = 0, r = cx, b = cy;
    // Below the OK and Cancel line; the measurement group frames the tables to the bottom.
    const int measureTop = m_grpMeasure->geometry().top();
    m_grpMeasure->setGeometry(l, measureTop, r - l, std::max(b - measureTop, 0));
    m_lblTime->setGeometry(l, t + 150, r - l, 27);
    m_gridTime->setGeometry(l, t + 178, r - l, 60);
    const int top1 = t + 178 + 60;
    const int h1 = std::max((b - top1) / 2, 0);
    m_gridChannels[0]->setGeometry(l, top1, r - l, h1);
    m_gridChannels[1]->setGeometry(l, top1 + h1, r - l, std::max(b - top1 - h1, 0));
}

std::vector<QStringList> CNewScopeCursorDlg::TimeCursorRows(const CVScope &view,
                                                            const std::function<QString(int)> &sourceName)
{
    std::vector<QStringList> rows{TimeHeader()};
    int a = -1, b = -1;
    view.GetCursorSamples(a, b);
    const bool valid = a >= 0 && b >= 0;
    QStringList time{LoadLangString(QStringLiteral("IDS_NewScopeCursorDlg_1"))};
    if (valid)
        time << Num(view.m_dSamplePeriod * a) << Num(view.m_dSamplePeriod * b) << Num(view.m_dSamplePeriod * (b - a));
    else
        time << QString() << QString() << QString();
    time << "--" << "--" << "--";
    rows.push_back(time);
    for (int k = 0; k < 4; ++k) {
        const CChannel &c = view.m_ch[k];
        if (valid && c.m_nCount > 0) {
            const double va = c.At(a), vb = c.At(b);
            const int lo = std::min(a, b), hi = std::max(a, b);
            rows.push_back(QStringList{c.GetName(), Num(va), Num(vb), Num(vb - va), Num(c.GetRms(lo, hi)),
                                       Num(c.GetMin(lo, hi)), Num(c.GetMax(lo, hi))});
        } else {
            QStringList row{SourceName(sourceName, k)};
            for (int i = 0; i < 6; ++i)
                row << QString();
            rows.push_back(row);
        }
    }
    return rows;
}

std::vector<QStringList> CNewScopeCursorDlg::ValueCursorRows(const CVScope &view,
                                                             const std::function<QString(int)> &sourceName)
{
    std::vector<QStringList> rows{kValueHeader};
    for (int k = 0; k < 4; ++k) {
        const CChannel &c = view.m_ch[k];
        if (c.m_nCount > 0) {
            double a = 0, b = 0;
            view.GetCursorValues(c, a, b);
            rows.push_back(QStringList{c.GetName(), Num(a), Num(b), Num(b - a)});
        } else {
            rows.push_back(QStringList{SourceName(sourceName, k), QString(), QString(), QString()});
        }
    }
    return rows;
}

void CNewScopeCursorDlg::HeaderColours(CBCGPGridCtrlEx *grid, int col, int channel)
{
    COLORREF c = 0;  // black for a channel outside 1..4
    if (channel >= 1 && channel <= 4)
        if (CScopeSettings *settings = CScopeSettings::GetInstance())
            c = settings->m_clrCursorChannel[channel - 1];
    const COLORREF complement = RGB(255 - (c & 0xFF), 255 - ((c >> 8) & 0xFF), 255 - ((c >> 16) & 0xFF));
    grid->GetColumnsInfo().m_mapHeaderColors[col] = {complement, c};
}

void CNewScopeCursorDlg::ShowTable()
{
    m_lblTime->show();
    m_gridTime->show();

    // The rebuild's row table: the time-cursor form with the channels' source names.
    std::vector<QStringList> rows = TimeCursorRows(*m_pView, m_fnGetChannelSourceName);
    for (int k = 0; k < 4; ++k) {
        QStringList row{SourceName(m_fnGetChannelSourceName, k)};
        for (int i = 0; i < 6; ++i)
            row << QString();
        rows[static_cast<size_t>(2 + k)] = row;
    }

    CBCGPGridCtrlEx *grids[3] = {m_gridTime, m_gridChannels[0], m_gridChannels[1]};
    for (CBCGPGridCtrlEx *g : grids) {
        g->setUpdatesEnabled(false);
        g->RemoveAll();
        g->DeleteAllColumns();
    }

    const QStringList &header = rows[0];
    const QStringList &time = rows[1];
    for (int i = 1; i <= 3; ++i) {
        const int col = m_gridTime->InsertColumn(i - 1, header[i], 75);
        m_gridTime->SetColumnAlign(col, Qt::AlignCenter);
        m_gridTime->SetHeaderAlign(col, Qt::AlignCenter);
    }
    platform::GridRow *timeRow = m_gridTime->CreateRow(3);
    for (int i = 0; i < 3; ++i)
        timeRow->GetItem(i)->SetValue(time[i + 1], false);
    m_gridTime->AddRow(timeRow, false);

    for (int g = 0; g < 2; ++g) {
        CBCGPGridCtrlEx *grid = m_gridChannels[g];
        grid->InsertColumn(0, QString(), 71);
        grid->SetColumnAlign(0, Qt::AlignCenter);
        grid->SetHeaderAlign(0, Qt::AlignCenter);
        for (int j = 0; j < 2; ++j) {
            const int channel = 2 * g + j;
            const QStringList &row = rows[static_cast<size_t>(2 + channel)];
            const int col = grid->InsertColumn(1 + j, row[0], 71);
            grid->SetColumnAlign(col, Qt::AlignCenter);
            grid->SetHeaderAlign(col, Qt::AlignCenter);
            HeaderColours(grid, col, channel + 1);
        }
        for (int r = 1; r < header.size(); ++r) {
            platform::GridRow *gridRow = grid->CreateRow(3);
            gridRow->GetItem(0)->SetValue(header[r], false);
            for (int j = 0; j < 2; ++j)
                gridRow->GetItem(1 + j)->SetValue(rows[static_cast<size_t>(2 + 2 * g + j)][r], false);
            grid->AddRow(gridRow, false);
        }
    }

    for (CBCGPGridCtrlEx *g : grids) {
        g->setUpdatesEnabled(true);
        g->AdjustLayout();
        g->RedrawAll();
    }
}

void CNewScopeCursorDlg::WriteChannelColumns(int rowsUsed)
{
    const size_t first = m_rows.size() - 4;  // the channel rows follow the header (and time) row
    for (int g = 0; g < 2; ++g) {
        CBCGPGridCtrlEx *grid = m_gridChannels[g];
        grid->setUpdatesEnabled(false);
        for (int j = 0; j < 2; ++j) {
            const int channel = 2 * g + j;
            const QStringList &row = m_rows[first + static_cast<size_t>(channel)];
            grid->SetColumnName(1 + j, row[0]);
            for (int r = 0; r < rowsUsed && r + 1 < row.size(); ++r)
                if (platform::GridRow *gridRow = grid->GetRow(r))
                    gridRow->GetItem(1 + j)->SetValue(row[r + 1], false);
            HeaderColours(grid, 1 + j, channel + 1);
        }
        grid->setUpdatesEnabled(true);
        grid->RedrawAll();
    }
}

void CNewScopeCursorDlg::PrepareTable(int kind)
{
    // The grids are built once per kind of table; a cursor move only rewrites their cells.
    if (m_nTableKind == kind && m_gridTime->GetRowCount() > 0)
        return;
    ShowTable();
    m_nTableKind = kind;
}

void CNewScopeCursorDlg::FillTimeCursorTable()
{
    if (!m_pView)
        return;
    PrepareTable(kTimeTable);
    m_rows = TimeCursorRows(*m_pView, m_fnGetChannelSourceName);
    m_gridTime->setUpdatesEnabled(false);
    if (platform::GridRow *row = m_gridTime->GetRow(0))
        for (int i = 0; i < 3; ++i)
            row->GetItem(i)->SetValue(m_rows[1][i + 1], false);
    m_gridTime->setUpdatesEnabled(true);
    m_gridTime->RedrawAll();
    WriteChannelColumns(6);
}

void CNewScopeCursorDlg::FillValueCursorTable()
{
    if (!m_pView)
        return;
    PrepareTable(kValueTable);
    m_gridTime->hide();
    m_lblTime->hide();
    m_rows = ValueCursorRows(*m_pView, m_fnGetChannelSourceName);
    WriteChannelColumns(3);
}
