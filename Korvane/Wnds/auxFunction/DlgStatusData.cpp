#include "DlgStatusData.h"

#include "LangText.h"
#include "PathHelpers.h"
#include "SYSPARAM/SysParam.h"
#include "Thread/ReadQueue.h"
#include "controls/LineChart.h"
#include "controls/MyNumericIndicatorCtrl.h"
#include "grid/DlgBCGGrid.h"
#include "grid/GridCtrlTableAttributeOp.h"
#include "grid/QLBCGGridCtrl.h"
#include "platform/ControlId.h"
#include "platform/IniFile.h"
#include "platform/LanguageConf.h"
#include "platform/UiServices.h"
#include "platform/Adjustable.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QFontMetrics>
#include <QStyle>
#include <QStyleOptionComboBox>
#include <QLabel>
#include <QPushButton>

#include <algorithm>
#include <cmath>

namespace {

const QString kColCheck = QStringLiteral("XML_STATUS_DATA_CTL_CHECK");
const QString kColId = QStringLiteral("XML_STATUS_DATA_CTL_ID");
const QString kColCode = QStringLiteral("XML_STATUS_DATA_CTL_FUNC_NUM");
const QString kColName = QStringLiteral("XML_STATUS_DATA_CTL_FUNC_NUM_NAME");
const QString kColValue = QStringLiteral("XML_STATUS_DATA_CTL_CUR_VALUE");
const QString kColUnit = QStringLiteral("XML_STATUS_DATA_CTL_CHAR");
const QString kColMax = QStringLiteral("XML_STATUS_DATA_CTL_MAX");
const QString kColMin = QStringLiteral("XML_STATUS_DATA_CTL_MIN");
const QString kComboSection = QStringLiteral("StatusDataComb");

constexpr COLORREF kStaleText = 0x00999999;  // a value that could not be read

platform::Adjustable<UINT> g_periodMs;

// Thresholds and major units of the vertical axes, scanned from the last row to the first.
constexpr std::pair<int, int> kSteps[] = {
    {100, 20},       {400, 50},       {500, 100},       {1000, 200},       {2000, 300},
    {5000, 500},     {10000, 1000},   {20000, 2000},    {30000, 3000},     {400000, 40000},
    {50000, 5000},   {600000, 60000}, {70000, 7000},    {80000, 8000},     {90000, 9000},
    {100000, 10000}, {1000000, 100000}, {10000000, 1000000}, {10000000, 1000000},
};

double NumberOf(const QString &text)
{
    return text.toDouble();
}

}

UINT CDlgStatusData::PeriodMs()
{
    return g_periodMs.Or(kPeriodMs);
}

void CDlgStatusData::SetPeriodMs(UINT ms)
{
    g_periodMs.Set(ms);
}

CDlgStatusData::CDlgStatusData() : CDialogExMid(IDD)
{
    m_strLangSection = QStringLiteral("CDlgStatusData");
    m_pStart = new QPushButton(QStringLiteral("开始"), this);
    platform::SetCtrlId(m_pStart, IDC_START);
    m_pStart->setToolTip(TrSection(m_strLangSection, QStringLiteral("数据监控开始")));
    m_pStop = new QPushButton(QStringLiteral("停止"), this);
    platform::SetCtrlId(m_pStop, IDC_STOP);
    m_pStop->setToolTip(TrSection(m_strLangSection, QStringLiteral("数据监控停止")));
    m_pPeriod = new QLabel(QStringLiteral("采样周期：500ms"), this);
    platform::SetCtrlId(m_pPeriod, IDC_PERIOD);
    for (int k = 0; k < kSlots; ++k) {
        auto *combo = new QComboBox(this);
        platform::SetCtrlId(combo, IDC_COMBO1 + k);
        auto *unit = new QLabel(this);
        platform::SetCtrlId(unit, IDC_UNIT1 + k);
        m_pCombo[std::size_t(k)] = combo;
        m_pUnit[std::size_t(k)] = unit;
        connect(combo, &QComboBox::currentIndexChanged, this, [this, k] {
            if (!m_bFillingCombos)
                OnComboChanged(k);
        });
    }
    m_setNoTranslateIds.insert(IDC_UNIT1);
    m_setNoTranslateIds.insert(IDC_UNIT1 + 1);
    m_setNoTranslateIds.insert(IDC_UNIT1 + 2);
    m_setNoTranslateIds.insert(IDC_UNIT1 + 3);
    connect(m_pStart, &QPushButton::clicked, this, [this] { OnStart(); });
    connect(m_pStop, &QPushButton::clicked, this, [this] { OnStop(); });
}

CDlgStatusData::~CDlgStatusData() = default;

QString CDlgStatusData::ConfigFile()
{
    return GetModulePath(QStringLiteral("config/config.ini"));
}

bool CDlgStatusData::OnInitDialog()
{
    CDialogExMid::OnInitDialog();
    InitCtrl();
    DoReadFileComb();
    OnSize(width(), height());
    return true;
}

void CDlgStatusData::InitCtrl()
{
    m_pStop->setEnabled(false);
    m_pGrid = new CDlgBCGGrid(this);
    m_pGrid->m_strTableId = QStringLiteral("XML_Status_data_ctl");
    m_pGrid->SetOwner(this);
    m_pGrid->Create(this);
    CGridTableAttribute attr;
    CGridCtrlTableAttributeOp::GetInstance()->GetTableAttribute(m_pGrid->m_strTableId, attr);
    m_pGrid->InitColumns(attr, 2);
    m_pGrid->show();

    m_arrParams.clear();
    CSysParam *sys = GetSysParam();
    if (!sys || !sys->AppendGroupParameters(QStringLiteral("P09"), m_arrParams)) {
        platform::Ui().MessageBox(LoadLangString(QStringLiteral("IDS_DlgParamRealData_1")), QString(), MB_OK, this);
        return;
    }
    m_stale = QVector<bool>(m_arrParams.size(), false);
    for (int k = 0; k < kSlots; ++k) {
        auto *chart = new CLineChart(this);
        chart->show();
        m_pChart[std::size_t(k)] = chart;
        auto *indicator = new CMyNumericIndicatorCtrl(this);
        indicator->show();
        m_pIndicator[std::size_t(k)] = indicator;
    }
    RefreRealP09Data();
    FillCombos();
    RestChart();
    RestCount();
}

// ---- values -------------------------------------------------------------------------------

QString CDlgStatusData::ValueText(const CDBDataParameter &item)
{
    if (item.sNum == QLatin1String("H0B03") || item.sNum == QLatin1String("H0B05"))
        return QString::number(std::uint32_t(item.iCurValue), 2).rightJustified(10, QLatin1Char('0'));
    return QString::number(item.iCurValue);
}

CReadRequest CDlgStatusData::MakeRequest(int flag) const
{
    CReadRequest request;
    request.m_arrParam = m_arrParams;
    request.m_hPageWnd = GetWindowRef();
    request.m_nFlag = flag;
    return request;
}

void CDlgStatusData::QueueReadRequest()
{
    CReadQueue *queue = GetReadQueue();
    if (!queue)
        return;
    if (m_bRequestOut) {
        // The answer to the request out is still to come: this tick's request waits in place
        // of any older one, so a slow drive is asked for the newest values only.
        m_pWaiting = std::make_unique<CReadRequest>(MakeRequest(1));
        m_nMaxWaiting = std::max(m_nMaxWaiting, 1);
    } else {
        m_bRequestOut = true;
        queue->AppendReadRequest(MakeRequest(1));
    }
    UpdateRowValues();
}

void CDlgStatusData::OnReadDone(const CReadRequest &request)
{
    ++m_nAnswers;
    std::vector<bool> fresh(std::size_t(m_arrParams.size()), false);
    for (int j = 0; j < request.m_arrParam.size(); ++j) {
        const CDBDataParameter &answer = request.m_arrParam[j];
        for (int i = 0; i < m_arrParams.size(); ++i) {
            CDBDataParameter &item = m_arrParams[i];
            if (item.sNum != answer.sNum || item.nAxisID != answer.nAxisID || item.nDeviceID != answer.nDeviceID)
                continue;
            // A value that was not read is no value: the item keeps its last one, marked.
            if (request.IsRead(j)) {
                item.iCurValue = answer.iCurValue;
                m_stale[i] = false;
                fresh[std::size_t(i)] = true;
            } else {
                m_stale[i] = true;
            }
        }
    }
    if (request.m_nFlag == 0) {
        // A table refresh answered after Start brings values; the rows stay those of the run.
        if (m_bRunning)
            UpdateRowValues();
        else
            RebuildRows();
        return;
    }
    if (!m_bRequestOut)
        return;  // an answer after Stop: the values only
    UpdateRowValues();
    UpdateChart(fresh);
    UpdateIndicators();
    m_bRequestOut = false;
    if (m_bRunning && m_pWaiting) {
        m_bRequestOut = true;
        std::unique_ptr<CReadRequest> next = std::move(m_pWaiting);
        if (CReadQueue *queue = GetReadQueue())
            queue->AppendReadRequest(*next);
    }
}

void CDlgStatusData::RefreRealP09Data()
{
    if (CReadQueue *queue = GetReadQueue())
        queue->AppendReadRequest(MakeRequest(0));
    RebuildRows();
}

// ---- table --------------------------------------------------------------------------------

CGridRowData CDlgStatusData::MakeRow(int i, bool checked) const
{
    const CDBDataParameter &p = m_arrParams[i];
    CGridRowData row;
    AddGridCellValue(kColCheck, row, "%s", checked ? "1" : "0");
    AddGridCellValue(kColId, row, "%d", i + 1);
    AddGridCellValue(kColCode, row, "%s", p.sNum.toUtf8().constData());
    AddGridCellValue(kColName, row, "%s", TrText(p.sName).toUtf8().constData());
    AddGridCellValue(kColValue, row, "%s", ValueText(p).toUtf8().constData());
    AddGridCellValue(kColUnit, row, "%s", p.sUnit.toUtf8().constData());
    AddGridCellValue(kColMax, row, "%d", p.iMax);
    AddGridCellValue(kColMin, row, "%d", p.iMin);
    if (IsStale(i))
        row[kColValue].m_spTextColors = std::make_shared<std::vector<COLORREF>>(1, kStaleText);
    return row;
}

void CDlgStatusData::HandRowsToGrid()
{
    if (!m_pGrid)
        return;
    m_pGrid->SetRowDataMap(m_rows);
    m_pGrid->FillRows();
    int r = 0;
    for (const auto &[key, row] : m_rows) {
        const auto cell = row.find(kColCheck);
        m_pGrid->SetRowCheck(cell != row.end() && cell->second.m_strValue.toInt() != 0, r++);
    }
    WidenValueColumn();
}

void CDlgStatusData::WidenValueColumn()
{
    // A value cut to "173…" tells nothing: the value column grows to its widest value (it
    // never shrinks below the width the table gives it or the user chose).
    CQLBCGGridCtrl *grid = m_pGrid ? m_pGrid->GetGrid() : nullptr;
    if (!grid)
        return;
    int col = -1;
    for (int c = 0; c < grid->GetColumnCount(); ++c)
        if (m_pGrid->GetColumnFieldId(c) == kColValue)
            col = c;
    if (col < 0)
        return;
    const QFontMetrics fm(grid->GetGridFont());
    int widest = 0;
    for (const auto &[key, row] : m_rows)
        if (const auto cell = row.find(kColValue); cell != row.end())
            widest = std::max(widest, fm.horizontalAdvance(cell->second.m_strValue));
    const int needed = widest + 2 * fm.averageCharWidth() + 4;
    if (grid->GetColumnWidth(col) < needed)
        grid->SetColumnWidth(col, needed);
}

void CDlgStatusData::RebuildRows()
{
    QStringList checked;
    for (const auto &[key, row] : m_rows) {
        const auto cell = row.find(kColCheck);
        if (cell != row.end() && cell->second.m_strValue.toInt() != 0)
            checked << row.at(kColCode).m_strValue;
    }
    m_rows.clear();
    for (int i = 0; i < m_arrParams.size(); ++i)
        m_rows[i] = MakeRow(i, checked.contains(m_arrParams[i].sNum));
    HandRowsToGrid();
}

void CDlgStatusData::UpdateRowValues()
{
    for (auto &[key, row] : m_rows) {
        const auto check = row.find(kColCheck);
        if (check == row.end() || check->second.m_strValue != QLatin1String("1"))
            continue;
        const auto id = row.find(kColId);
        const int i = (id == row.end() ? 1 : id->second.m_strValue.toInt()) - 1;
        if (i < 0 || i >= m_arrParams.size())
            continue;
        row[kColValue] = MakeRow(i, true)[kColValue];
    }
    HandRowsToGrid();
}

void CDlgStatusData::MoveCheckedRowsFirst()
{
    CGridRowDataMap sorted;
    std::int64_t next = 0;
    for (int pass = 0; pass < 2; ++pass) {
        for (const auto &[key, row] : m_rows) {
            const auto check = row.find(kColCheck);
            const bool on = check != row.end() && check->second.m_strValue.toInt() != 0;
            if (on == (pass == 0))
                sorted[next++] = row;
        }
    }
    m_rows = sorted;
    HandRowsToGrid();
}

void CDlgStatusData::ShowCheckedRowsOnly()
{
    for (auto it = m_rows.begin(); it != m_rows.end();) {
        const auto check = it->second.find(kColCheck);
        if (check == it->second.end() || check->second.m_strValue.toInt() == 0)
            it = m_rows.erase(it);
        else
            ++it;
    }
    HandRowsToGrid();
}

void CDlgStatusData::SetRowChecked(int row, bool checked)
{
    auto it = m_rows.begin();
    std::advance(it, std::min<std::ptrdiff_t>(row, std::ptrdiff_t(m_rows.size())));
    if (it == m_rows.end())
        return;
    it->second[kColCheck].m_strValue = checked ? QStringLiteral("1") : QStringLiteral("0");
    if (m_pGrid)
        m_pGrid->SetRowCheck(checked, row);
}

// ---- combos -------------------------------------------------------------------------------

void CDlgStatusData::FillCombos()
{
    m_bFillingCombos = true;
    for (QComboBox *combo : m_pCombo) {
        combo->clear();
        int widest = 0;
        for (const CDBDataParameter &p : m_arrParams) {
            combo->addItem(TrText(p.sName));
            widest = std::max(widest, combo->fontMetrics().horizontalAdvance(TrText(p.sName)));
        }
        combo->setCurrentIndex(-1);
        // The open list shows every name whole, however narrow the combo.
        combo->view()->setMinimumWidth(widest + 40);
    }
    m_bFillingCombos = false;
}

void CDlgStatusData::DoReadFileComb()
{
    m_bFillingCombos = true;
    for (int k = 0; k < kSlots; ++k) {
        QComboBox *combo = m_pCombo[std::size_t(k)];
        const QString stored = platform::IniFile::GetString(ConfigFile(), kComboSection, QStringLiteral("comb%1").arg(k + 1), QString());
        int found = StoredChoiceIndex(stored);
        // The prefix search of the list: from the second item on, wrapping round.
        const int n = combo->count();
        for (int step = 1; found < 0 && !stored.isEmpty() && step <= n; ++step) {
            const int i = step % n;
            if (combo->itemText(i).startsWith(stored, Qt::CaseInsensitive))
                found = i;
        }
        combo->setCurrentIndex(found);
        ShowUnit(k, found);
    }
    m_bFillingCombos = false;
}

int CDlgStatusData::StoredChoiceIndex(const QString &stored) const
{
    if (stored.isEmpty())
        return -1;
    // The parameter's code, as the choice is stored; then a name as an earlier version stored
    // it, shown in whatever language was chosen then.
    for (int i = 0; i < m_arrParams.size(); ++i)
        if (m_arrParams[i].sNum.compare(stored, Qt::CaseInsensitive) == 0)
            return i;
    const QString source = GetSqlite()->SourceText(stored);
    for (int i = 0; i < m_arrParams.size(); ++i)
        if (m_arrParams[i].sName == stored || m_arrParams[i].sName == source || TrText(m_arrParams[i].sName) == stored)
            return i;
    return -1;
}

void CDlgStatusData::SaveComboSelection()
{
    // By the parameter's code: a choice that is the same in every language.
    for (int k = 0; k < kSlots; ++k) {
        const int i = m_pCombo[std::size_t(k)]->currentIndex();
        platform::IniFile::WriteString(ConfigFile(), kComboSection, QStringLiteral("comb%1").arg(k + 1),
                                       i >= 0 && i < m_arrParams.size() ? m_arrParams[i].sNum : QString());
    }
}

void CDlgStatusData::ShowUnit(int k, int index)
{
    if (index >= 0 && index < m_arrParams.size())
        m_pUnit[std::size_t(k)]->setText(m_arrParams[index].sUnit);
}

void CDlgStatusData::OnComboChanged(int k)
{
    ShowUnit(k, m_pCombo[std::size_t(k)]->currentIndex());
    SaveComboSelection();
    // A longer name may need a wider column.
    OnSize(width(), height());
}

// ---- charts and indicators ----------------------------------------------------------------

void CDlgStatusData::RescaleChart(ChartScale &s, double sample, bool reset)
{
    if (reset) {
        s.dHighest = 100;
        s.dLowest = -100;
    }
    if (std::isfinite(sample)) {
        const double c = std::ceil(sample);
        s.dHighest = std::max(s.dHighest, c);
        s.dLowest = std::min(s.dLowest, c);
    }
    const double range = std::fabs(s.dHighest) + std::fabs(s.dLowest);
    s.dStep = 20;
    for (int r = int(std::size(kSteps)) - 1; r >= 0; --r) {
        if (kSteps[r].first < range) {
            s.dStep = kSteps[r].second;
            break;
        }
    }
    // Past the table the step grows by powers of ten, so the axis keeps a readable count of lines.
    while (range / s.dStep > 100)
        s.dStep *= 10;
    const double pad = reset ? 0 : s.dStep;
    s.dAxisLow = s.dLowest - pad;
    s.dAxisHigh = s.dHighest + pad;
}

void CDlgStatusData::RescaleCharts(const std::array<double, kSlots> &samples, bool reset)
{
    for (std::size_t k = 0; k < kSlots; ++k) {
        RescaleChart(m_scale[k], samples[k], reset);
        if (m_pChart[k])
            m_pChart[k]->SetVerticalRange(m_scale[k].dAxisLow, m_scale[k].dAxisHigh, m_scale[k].dStep);
    }
}

void CDlgStatusData::RestChart()
{
    for (CLineChart *chart : m_pChart)
        if (chart)
            chart->ClearPoints();
    RescaleCharts({0, 0, 0, 0}, true);
}

void CDlgStatusData::RestCount()
{
    for (CMyNumericIndicatorCtrl *indicator : m_pIndicator) {
        if (!indicator)
            continue;
        CMyNumericIndicatorImpl *impl = indicator->GetImpl();
        impl->m_style = NumericIndicatorImpl::Classic;
        impl->m_nCells = 10;
        impl->m_textFont.setPointSize(24);
        impl->SetDigitsText(QString());
        indicator->update();
    }
}

std::array<int, CDlgStatusData::kSlots> CDlgStatusData::SlotItems() const
{
    std::array<int, kSlots> items{-1, -1, -1, -1};
    for (int k = 0; k < kSlots; ++k) {
        const QComboBox *combo = m_pCombo[std::size_t(k)];
        if (combo->currentIndex() < 0)
            continue;
        const QString name = combo->currentText();
        bool taken = false;
        for (int j = 0; j < k; ++j)
            taken = taken || (m_pCombo[std::size_t(j)]->currentIndex() >= 0 && m_pCombo[std::size_t(j)]->currentText() == name);
        if (taken)
            continue;
        for (int i = 0; i < m_arrParams.size(); ++i) {
            if (TrText(m_arrParams[i].sName) == name) {
                items[std::size_t(k)] = i;
                break;
            }
        }
    }
    return items;
}

void CDlgStatusData::UpdateChart(const std::vector<bool> &fresh)
{
    const std::array<int, kSlots> items = SlotItems();
    std::array<double, kSlots> samples{};
    for (std::size_t k = 0; k < kSlots; ++k) {
        const int i = items[k];
        if (i < 0 || !m_pChart[k] || !fresh[std::size_t(i)])
            continue;
        samples[k] = NumberOf(ValueText(m_arrParams[i]));
        m_pChart[k]->AddPoint(samples[k]);
    }
    RescaleCharts(samples, false);
}

void CDlgStatusData::UpdateIndicators()
{
    const std::array<int, kSlots> items = SlotItems();
    for (std::size_t k = 0; k < kSlots; ++k) {
        const int i = items[k];
        if (i < 0 || !m_pIndicator[k])
            continue;
        const double v = NumberOf(ValueText(m_arrParams[i]));
        m_pIndicator[k]->GetImpl()->SetDigitsText(QString::number(v, 'f', 0));
        m_pIndicator[k]->update();
    }
}

// ---- start and stop -----------------------------------------------------------------------

void CDlgStatusData::SetControlsRunning(bool running)
{
    m_pStart->setEnabled(!running);
    m_pStop->setEnabled(running);
    for (QComboBox *combo : m_pCombo)
        combo->setEnabled(!running);
}

void CDlgStatusData::OnStart()
{
    m_bRunning = true;
    m_bRequestOut = false;
    m_nTimerID = int(kMonitorTimer);
    m_nElapse = PeriodMs();
    SetTimer(kMonitorTimer, m_nElapse);
    MoveCheckedRowsFirst();
    SetControlsRunning(true);
    ShowCheckedRowsOnly();
}

void CDlgStatusData::OnStop()
{
    m_bRequestOut = false;
    m_bRunning = false;
    m_pWaiting.reset();
    KillTimer(kMonitorTimer);
    // A page shown again stays stopped until Start.
    m_nTimerID = -1;
    if (m_pGrid)
        m_pGrid->setEnabled(true);
    SetControlsRunning(false);
    RefreRealP09Data();
    MoveCheckedRowsFirst();
    RestChart();
    RestCount();
    OnSize(width(), height());
    update();
}

void CDlgStatusData::OnTimer(UINT_PTR id)
{
    CDialogExMid::OnTimer(id);
    if (id == kMonitorTimer && m_bRunning)
        QueueReadRequest();
}

// ---- layout and messages ------------------------------------------------------------------

int CDlgStatusData::ComboWidthFor(const QComboBox *combo, const QString &text)
{
    // What the style puts around a text: frame, margins and the drop-down arrow.
    QStyleOptionComboBox opt;
    opt.initFrom(combo);
    opt.editable = combo->isEditable();
    opt.frame = combo->hasFrame();
    opt.currentText = text;
    const QSize content(combo->fontMetrics().horizontalAdvance(text), combo->fontMetrics().height());
    return combo->style()->sizeFromContents(QStyle::CT_ComboBox, &opt, content, combo).width();
}

void CDlgStatusData::OnSize(int cx, int cy)
{
    CDialogExMid::OnSize(cx, cy);
    if (!m_pGrid)
        return;
    const int L = 0, T = 0, W = cx, H = cy;
    const int LW = int(W * 0.6);
    const int RW = W - LW;
    const bool charts = m_pChart[0] != nullptr;
    if (charts) {
        const int RH = H / 4;
        const int IW = (H / 2) * 5 / 6;
        const int IH = std::max(0, H / 2 - IW - 5);
        // The combos show the chosen names whole: a name wider than the indicator's column
        // widens the column (the unit beside the combo, the charts after it), leaving the
        // charts at least half of the left part.
        int comboW = IW - 60;
        for (const QComboBox *combo : m_pCombo)
            if (combo->currentIndex() >= 0)
                comboW = std::max(comboW, ComboWidthFor(combo, combo->currentText()));
        comboW = std::max(40, std::min(comboW, LW / 2 - 60));
        const int column = std::max(IW, comboW + 60);
        for (int r = 0; r < kSlots; ++r) {
            const int RT = T + r * RH;
            m_pIndicator[std::size_t(r)]->setGeometry(L, RT + RH / 2 - IH / 2 + 5, IW, IH);
            m_pCombo[std::size_t(r)]->setGeometry(L, RT + 20, comboW, 25);
            m_pUnit[std::size_t(r)]->setGeometry(L + column - 50, RT + 20, 50, 25);
            m_pChart[std::size_t(r)]->setGeometry(L + column, RT, std::max(40, LW - column), RH);
        }
    }
    m_pStart->setGeometry(L + LW, T, 115, 50);
    m_pStop->setGeometry(L + LW + 125, T, 115, 50);
    m_pPeriod->adjustSize();
    m_pPeriod->move(L + LW + 250, T + 25 - m_pPeriod->height() / 2);
    m_pGrid->setGeometry(L + LW, T + 55, RW, std::max(40, H - 60));
}

LRESULT CDlgStatusData::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam)
{
    static const UINT rowCheck = platform::RegisterWindowMessage(QStringLiteral("BCGM_GRID_ROW_CHECKBOX_CLICK"));
    static const UINT headerCheck = platform::RegisterWindowMessage(QStringLiteral("BCGM_GRID_HEADERCHECKBOX_CLICK"));
    switch (msg) {
    case UM_STOP_TIMER:
        if (m_bRunning)
            OnStop();
        KillTimer(kMonitorTimer);
        return 0;
    case UM_START_TIMER:
        // Only a running monitor ticks again when its page comes back.
        if (m_bRunning)
            SetTimer(kMonitorTimer, PeriodMs());
        return 0;
    case UM_READ_DONE:
        if (wParam == 1)
            if (auto request = Payload<CReadRequest>())
                OnReadDone(*request);
        return 0;
    default:
        break;
    }
    if (msg == rowCheck) {
        const auto *row = reinterpret_cast<const platform::GridRow *>(lParam);
        if (row) {
            const int r = row->GetRowId();
            auto it = m_rows.begin();
            std::advance(it, std::min<std::ptrdiff_t>(r, std::ptrdiff_t(m_rows.size())));
            if (it != m_rows.end()) {
                QString &v = it->second[kColCheck].m_strValue;
                v = v.toInt() == 0 ? QStringLiteral("1") : QStringLiteral("0");
            }
        }
        return 0;
    }
    if (msg == headerCheck) {
        bool all = true;
        for (int r = 0; r < int(m_rows.size()); ++r) {
            BOOL on = FALSE;
            if (m_pGrid)
                m_pGrid->GetRowCheck(&on, r);
            all = all && on;
        }
        for (auto &[key, row] : m_rows)
            row[kColCheck].m_strValue = all ? QStringLiteral("0") : QStringLiteral("1");
        return 0;
    }
    return CDialogExMid::WindowProc(msg, wParam, lParam);
}
