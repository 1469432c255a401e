#include "Wnds/scope/DlgSocpeParam.h"

#include "AppFlags.h"
#include "LangText.h"
#include "SYSPARAM/SysParam.h"
#include "TraceLog.h"
#include "Wnds/scope/ChBitDlg.h"
#include "Wnds/scope/DISelecDlg.h"
#include "Wnds/scope/DlgScopeChsel.h"
#include "Wnds/scope/NewScopeContiPathDlg.h"
#include "Wnds/scope/NewTrigerDlg.h"
#include "Wnds/scope/ScopeConfig.h"
#include "Wnds/scope/ScopeThreads.h"
#include "Wnds/scope/VScope.h"
#include "Wnds/scope/WaveFile.h"
#include "controls/ColourPicker.h"
#include "controls/KVColorButton.h"
#include "controls/KVProcessIndicator.h"
#include "platform/ControlId.h"
#include "platform/ControlNotify.h"
#include "platform/LanguageConf.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>

#include <algorithm>
#include <cmath>
#include <ctime>

namespace {

constexpr WORD kRegFrequency = 0x8958;
constexpr WORD kRegCommand = 0x8963;
constexpr int kTries = 10;
const char *const kLog = "Wnds\\scope\\DlgSocpeParam";

const char *const kLayoutTexts[kScopeLayoutCount] = {
    "CH1:16 CH2:16 CH3:16 CH4:16", "CH1:32 ------ CH3:16 CH4:16", "CH1:32 ------ CH3:32 ------",
    "CH1:16 ------ ------ ------", "CH1:32 ------ ------ ------"};
// Channels switched on by each layout.
constexpr bool kLayoutChannels[kScopeLayoutCount][4] = {
    {true, true, true, true}, {true, false, true, true}, {true, false, true, false},
    {true, false, false, false}, {true, false, false, false}};

constexpr int kDisplayControls[] = {1719, 1715, 1717, 1718, 1729, 1725, 1727, 1728, 1739,
                                    1735, 1737, 1738, 1749, 1745, 1747, 1748, 1765};
constexpr int kRollControls[] = {1763, 1713, 1723, 1733, 1769, 1743, 1770, 1753, 1756};
constexpr int kRollChecks[] = {1711, 1721, 1731, 1741};

QString Lang(const char *key)
{
    return LoadLangString(QString::fromLatin1(key));
}

QString SourceNameOf(const QComboBox *box, int index)
{
    return index >= 0 && index < box->count() ? box->itemData(index).toString() : QString();
}

CScopeSettings &Settings()
{
    return *CScopeSettings::GetInstance();
}

UINT BaseMessage()
{
    static const UINT msg = platform::RegisterWindowMessage(QStringLiteral("KORVANE_SCOPE_PANEL_BASE"));
    return msg;
}

// The function names of the DI and DO terminals as read; an empty list: not read.
struct IoFunctionNames {
    QStringList names[2];
};

UINT IoNamesMessage()
{
    static const UINT msg = platform::RegisterWindowMessage(QStringLiteral("KORVANE_SCOPE_PANEL_IO_NAMES"));
    return msg;
}

BOOL *CheckFlag(int k)
{
    CAppFlags *flags = GetAppFlags();
    if (!flags)
        return nullptr;
    switch (k) {
    case 1: return &flags->m_bScopeCheckCh1;
    case 2: return &flags->m_bScopeCheckCh2;
    case 3: return &flags->m_bScopeCheckCh3;
    case 4: return &flags->m_bScopeCheckCh4;
    default: return nullptr;
    }
}

}

// ---- construction -----------------------------------------------------------------------

CDlgSocpeParam::CDlgSocpeParam(QWidget *pParent)
    : CDialogExMid(IDD, pParent), m_worker(this, "sampling panel"), m_ioWorker(this, "DI/DO names")
{
    m_strLangSection = QStringLiteral("CDlgSocpeParam");
    CScopeSettings &s = Settings();
    s.m_dBasePeriodMs = 0.125;
    s.m_nPointsPerDiv = 100;
    s.m_nPeriodCount = s.m_nCycleCount;
    s.m_bHasData = 0;
    m_fnRunDialog = [](CDialogExMid &dlg) { return dlg.DoModal(); };
    BuildControls();
}

CDlgSocpeParam::~CDlgSocpeParam()
{
    m_pCore.reset();
    m_worker.Stop();
    m_ioWorker.Stop();
}

QWidget *CDlgSocpeParam::Ctrl(int id) const
{
    return platform::FindCtrl(const_cast<CDlgSocpeParam *>(this), id);
}

void CDlgSocpeParam::BuildControls()
{
    resize(MapDialogRect(QRect(0, 0, 190, 380)).size());
    auto place = [this](QWidget *w, int id, const QRect &dlu) {
        if (id)
            platform::SetCtrlId(w, id);
        w->setGeometry(MapDialogRect(dlu));
        return w;
    };
    auto label = [&](const char *text, int id, const QRect &dlu) {
        auto *l = new QLabel(QString::fromUtf8(text), this);
        place(l, id, dlu);
        return l;
    };
    auto button = [&](const char *text, int id, const QRect &dlu) {
        auto *b = new QPushButton(QString::fromUtf8(text), this);
        place(b, id, dlu);
        return b;
    };
    place(new QGroupBox(QStringLiteral("采样模式"), this), IDC_MODE_GROUP, QRect(3, 2, 184, 84));
    label("周期", IDC_PERIOD_LABEL, QRect(8, 15, 27, 10));
    m_edtPeriod = new QLineEdit(this);
    place(m_edtPeriod, IDC_PERIOD, QRect(36, 13, 32, 14));
    m_lblBase = label("×62.5us", IDC_BASE_LABEL, QRect(70, 15, 60, 10));
    label("时间分度", IDC_TIMEDIV_LABEL, QRect(8, 33, 34, 10));
    m_cmbTimeDiv = new QComboBox(this);
    place(m_cmbTimeDiv, IDC_TIMEDIV, QRect(44, 31, 56, 14));
    label("ms/div", IDC_TIMEDIV_UNIT, QRect(102, 33, 30, 10));
    m_rdoSingle = new QRadioButton(QStringLiteral("单次"), this);
    place(m_rdoSingle, IDC_SINGLE, QRect(8, 50, 40, 10));
    m_rdoRoll = new QRadioButton(QStringLiteral("滚动"), this);
    place(m_rdoRoll, IDC_ROLL, QRect(50, 50, 40, 10));
    button("触发条件", IDC_TRIGGER, QRect(8, 66, 38, 14));
    button("数据设定", IDC_DATA_CHOICE, QRect(49, 66, 38, 14));
    button("缓存路径", IDC_SAVE_PATH, QRect(90, 66, 38, 14));
    m_pIndicator = new CKVProcessIndicator(this);
    place(m_pIndicator, IDC_INDICATOR, QRect(134, 12, 48, 50));

    place(new QGroupBox(QStringLiteral("显示设置"), this), IDC_DISPLAY_GROUP, QRect(3, 88, 184, 290));
    m_cmbLayout = new QComboBox(this);
    place(m_cmbLayout, IDC_LAYOUT, QRect(8, 99, 174, 14));
    for (int k = 1; k <= 4; ++k) {
        const int y = 116 + (k - 1) * 58;
        place(new QGroupBox(this), ChId(IDC_CH_GROUP, k), QRect(6, y, 178, 56));
        m_chk[k - 1] = new QCheckBox(QStringLiteral("CH%1").arg(k), this);
        place(m_chk[k - 1], ChId(IDC_CH_CHECK, k), QRect(10, y + 9, 30, 10));
        label("源", ChId(IDC_CH_SRC_LABEL, k), QRect(42, y + 9, 14, 10));
        m_cmbSource[k - 1] = new QComboBox(this);
        place(m_cmbSource[k - 1], ChId(IDC_CH_SOURCE, k), QRect(57, y + 7, 123, 14));
        m_btnColour[k - 1] = new CKVColorButton(this);
        place(m_btnColour[k - 1], ChId(IDC_CH_COLOUR, k), QRect(10, y + 24, 30, 14));
        m_cmbScale[k - 1] = new QComboBox(this);
        place(m_cmbScale[k - 1], ChId(IDC_CH_SCALE, k), QRect(42, y + 24, 60, 14));
        label("/div", ChId(IDC_CH_SCALE_UNIT, k), QRect(104, y + 26, 16, 10));
        auto *up = new QPushButton(this);
        up->setIcon(style()->standardIcon(QStyle::SP_ArrowUp));
        place(up, ChId(IDC_CH_UP, k), QRect(122, y + 24, 14, 14));
        auto *down = new QPushButton(this);
        down->setIcon(style()->standardIcon(QStyle::SP_ArrowDown));
        place(down, ChId(IDC_CH_DOWN, k), QRect(138, y + 24, 14, 14));
        button("Auto", ChId(IDC_CH_AUTO, k), QRect(154, y + 24, 26, 14));
        for (QWidget *w : {static_cast<QWidget *>(up), static_cast<QWidget *>(down)})
            w->setCursor(Qt::PointingHandCursor);

        connect(m_chk[k - 1], &QCheckBox::clicked, this, [this, k] { OnClickedChannelCheck(k); });
        connect(m_cmbSource[k - 1], qOverload<int>(&QComboBox::activated), this, [this, k] { OnSelchangeSource(k); });
        connect(m_cmbScale[k - 1], qOverload<int>(&QComboBox::activated), this, [this, k] { OnSelchangeScale(k); });
        connect(up, &QPushButton::clicked, this, [this, k] { OnClickedShift(k, true); });
        connect(down, &QPushButton::clicked, this, [this, k] { OnClickedShift(k, false); });
        connect(qobject_cast<QPushButton *>(Ctrl(ChId(IDC_CH_AUTO, k))), &QPushButton::clicked, this,
                [this, k] { OnClickedAuto(k); });
    }
    m_btnDi = button("DI", IDC_DI, QRect(10, 116 + 2 * 58 + 41, 34, 12));
    m_btnDo = button("DO", IDC_DO, QRect(10, 116 + 3 * 58 + 41, 34, 12));
    label("背景颜色", IDC_BACK_LABEL, QRect(10, 352, 50, 10));
    m_pBack = new CColourPicker(this);
    place(m_pBack, IDC_BACK, QRect(62, 350, 40, 14));

    connect(m_edtPeriod, &QLineEdit::editingFinished, this, [this] { OnKillfocusPeriod(); });
    connect(m_cmbTimeDiv, qOverload<int>(&QComboBox::activated), this, [this] { OnSelchangeTimeDiv(); });
    connect(m_cmbLayout, qOverload<int>(&QComboBox::activated), this, [this] { OnSelchangeChannelWidth(); });
    connect(m_rdoSingle, &QRadioButton::clicked, this, [this] { OnClickedSingle(); });
    connect(m_rdoRoll, &QRadioButton::clicked, this, [this] { OnClickedRoll(); });
    connect(qobject_cast<QPushButton *>(Ctrl(IDC_TRIGGER)), &QPushButton::clicked, this, [this] { OnClickedTrigger(); });
    connect(qobject_cast<QPushButton *>(Ctrl(IDC_DATA_CHOICE)), &QPushButton::clicked, this,
            [this] { OnClickedDataChoice(); });
    connect(qobject_cast<QPushButton *>(Ctrl(IDC_SAVE_PATH)), &QPushButton::clicked, this,
            [this] { OnClickedSavePath(); });
    connect(m_btnDi, &QPushButton::clicked, this, [this] { OnClickedDi(); });
    connect(m_btnDo, &QPushButton::clicked, this, [this] { OnClickedDo(); });

    // Texts that are data, not captions.
    for (int id : {static_cast<int>(IDC_BASE_LABEL), static_cast<int>(IDC_TIMEDIV), static_cast<int>(IDC_LAYOUT),
                   static_cast<int>(IDC_DI), static_cast<int>(IDC_DO)})
        m_setNoTranslateIds.insert(static_cast<UINT>(id));
    for (int k = 1; k <= 4; ++k) {
        m_setNoTranslateIds.insert(static_cast<UINT>(ChId(IDC_CH_SOURCE, k)));
        m_setNoTranslateIds.insert(static_cast<UINT>(ChId(IDC_CH_SCALE, k)));
    }
}

// ---- docker, page and view -----------------------------------------------------------------

CScopePanelDocker *CDlgSocpeParam::Docker() const
{
    if (m_pDocker)
        return m_pDocker;
    return dynamic_cast<CScopePanelDocker *>(parentWidget());
}

CScopePanelPage *CDlgSocpeParam::Page() const
{
    CScopePanelDocker *d = Docker();
    return d ? d->GetPage() : nullptr;
}

CVScope *CDlgSocpeParam::View() const
{
    CScopePanelPage *p = Page();
    return p ? p->GetScopeView() : nullptr;
}

void CDlgSocpeParam::InvalidateView()
{
    if (CVScope *v = View())
        v->update();
}

CScopeControl &CDlgSocpeParam::Core()
{
    CVScope *view = View();
    CScopeChannels *channels = view ? &view->Channels() : &m_ownChannels;
    if (!m_pCore || (channels != m_pCoreChannels && !m_pCore->Busy())) {
        m_pCore.reset();
        m_pCore = std::make_unique<CScopeControl>(*channels, Settings());
        m_pCoreChannels = channels;
    }
    return *m_pCore;
}

CChannel *CDlgSocpeParam::GetViewChannel(int nChannel) const
{
    CVScope *v = View();
    if (!v || nChannel < 0 || nChannel > 3)
        return nullptr;
    return &v->Channels().m_ch[nChannel];
}

int CDlgSocpeParam::TraceOfChannel(int k) const
{
    for (int s = 1; s <= 4; ++s)
        if (m_nSlotChannel[s] == k)
            return s - 1;
    return k - 1;
}

QCheckBox *CDlgSocpeParam::Check(int k) const
{
    return k >= 1 && k <= 4 ? m_chk[k - 1] : nullptr;
}

QComboBox *CDlgSocpeParam::Source(int k) const
{
    return k >= 1 && k <= 4 ? m_cmbSource[k - 1] : nullptr;
}

QComboBox *CDlgSocpeParam::Scale(int k) const
{
    return k >= 1 && k <= 4 ? m_cmbScale[k - 1] : nullptr;
}

CKVColorButton *CDlgSocpeParam::ColourButton(int k) const
{
    return k >= 1 && k <= 4 ? m_btnColour[k - 1] : nullptr;
}

int CDlgSocpeParam::RunDialog(CDialogExMid &dlg)
{
    return m_fnRunDialog ? m_fnRunDialog(dlg) : IDCANCEL;
}

ScopeMode CDlgSocpeParam::Mode() const
{
    if (m_rdoSingle->isChecked())
        return ScopeMode::SingleShot;
    if (m_rdoRoll->isChecked())
        return ScopeMode::Roll;
    return ScopeMode::None;
}

// ---- initialisation ------------------------------------------------------------------------

bool CDlgSocpeParam::OnInitDialog()
{
    CDialogExMid::OnInitDialog();
    CScopeSettings &s = Settings();
    KLOG(kLog) << "OnInitDialog";
    for (int k = 1; k <= 4; ++k) {
        m_btnColour[k - 1]->EnableAutomaticButton(TrText(QStringLiteral("自动")), 0);
        m_btnColour[k - 1]->SetColor(kAutomaticColor);
    }
    m_pIndicator->SetLabel(TrText(QStringLiteral("开始")));
    KLOG(kLog) << "OnInitDialog";
    ReadBitSelections(s);
    ReadSampleBase();
    KLOG(kLog) << "OnInitDialog";
    ScopePanelIniValues ini;
    ReadScopeIni(s, ini);
    for (int i = 0; i < 4; ++i) {
        m_clrChannel[i] = ini.clrChannel[i];
        m_btnColour[i]->SetColor(m_clrChannel[i]);
    }
    m_clrBack = ini.clrBack;
    m_pBack->SetColour(m_clrBack);
    if (CVScope *v = View())
        v->m_clrBack = s.m_clrBack;
    m_nPeriodCount = ini.nCycleCount;
    m_edtPeriod->setText(QString::number(m_nPeriodCount));
    KLOG(kLog) << "OnInitDialog";
    if (CSysParam *sys = GetSysParam()) {
        const CDataAxisParameter *axis = sys->FindActiveAxis(sys->m_ProjectDatabase.m_nCurDeviceID);
        Core().BuildCaptureParamLists(axis ? axis->m_arrParameter : QList<CDBDataParameter>());
    }
    FillSourceLists();
    m_cmbLayout->clear();
    for (const char *t : kLayoutTexts)
        m_cmbLayout->addItem(QString::fromLatin1(t));
    m_cmbLayout->setCurrentIndex(s.m_nLayout >= 0 && s.m_nLayout < kScopeLayoutCount ? s.m_nLayout : 0);
    KLOG(kLog) << "OnInitDialog";
    s.m_nPeriodCount = static_cast<int>(m_nPeriodCount);
    FillTimeDivList(m_nPeriodCount);
    FillScaleLists();
    RecordDisplayControls();
    EnableDisplayControls(false);
    KLOG(kLog) << "OnInitDialog";
    const CAppFlags *flags = GetAppFlags();
    const bool once = flags && flags->m_bScopeIsOnce;
    m_rdoSingle->setChecked(once);
    m_rdoRoll->setChecked(!once);
    for (int k = 1; k <= 4; ++k) {
        const BOOL *f = CheckFlag(k);
        m_chk[k - 1]->setChecked(f && *f);
    }
    // Stored ticks that no longer fit (a table changed under them) are dropped from the last
    // channel down, quietly: opening the page is no choice of the user's to refuse.
    for (int k = 4; k >= 1 && !ChannelsWithinBudget(); --k) {
        if (!m_chk[k - 1]->isChecked())
            continue;
        m_chk[k - 1]->setChecked(false);
        if (BOOL *f = CheckFlag(k))
            *f = FALSE;
    }
    CheckChannelBits();
    KLOG(kLog) << "OnInitDialog";
    struct Tip {
        int id;
        const char *text;
    };
    const Tip tips[] = {{IDC_TRIGGER, "触发条件"}, {IDC_DATA_CHOICE, "数据设定"}, {IDC_INDICATOR, "示波器开始按钮"}};
    for (const Tip &t : tips)
        Ctrl(t.id)->setToolTip(TrText(QString::fromUtf8(t.text)));
    for (int k = 1; k <= 4; ++k) {
        Ctrl(ChId(IDC_CH_CHECK, k))->setToolTip(TrText(QStringLiteral("显示通道波形")));
        Ctrl(ChId(IDC_CH_SOURCE, k))->setToolTip(TrText(QStringLiteral("选择监控数据")));
        Ctrl(ChId(IDC_CH_SCALE, k))->setToolTip(TrText(QStringLiteral("选择缩放比例")));
        Ctrl(ChId(IDC_CH_UP, k))->setToolTip(TrText(QStringLiteral("波形上移")));
        Ctrl(ChId(IDC_CH_DOWN, k))->setToolTip(TrText(QStringLiteral("波形下移")));
        Ctrl(ChId(IDC_CH_AUTO, k))->setToolTip(TrText(QStringLiteral("波形自动缩放")));
        Ctrl(ChId(IDC_CH_COLOUR, k))->setToolTip(TrText(QStringLiteral("波形颜色选择")));
    }
    KLOG(kLog) << "OnInitDialog";
    return true;
}

void CDlgSocpeParam::ReadSampleBase()
{
    CSysParam *sys = GetSysParam();
    if (!sys || !sys->m_bConnected)
        return;
    m_bBasePending = true;
    const platform::WindowRef self(this);
    const UINT done = BaseMessage();
    m_worker.Start([sys, self, done](const std::atomic<bool> &stop) {
        int f = 0;
        bool ok = false;
        for (int i = 0; i < kTries && !ok && !stop && !sys->IsDriveAbsent(); ++i)
            ok = sys->ReadReg(kRegFrequency, &f, CSysParam::LinkWait::Block);
        platform::PostMessage(self, done, ok ? 1 : 0, static_cast<LPARAM>(f & 0xFFFF));
    });
}

void CDlgSocpeParam::OnBaseRead(unsigned f)
{
    const QString text = scopepanel::BasePeriodLabel(f);
    if (text.isEmpty())
        return;
    m_lblBase->setText(text);
    CScopeSettings &s = Settings();
    s.m_dBasePeriodMs = 1000.0 / f;
    if (!s.m_bHasData && !s.m_bRollRunning && !s.m_bSingleRunning)
        FillTimeDivList(m_nPeriodCount);
}

std::vector<std::pair<QString, QString>> CDlgSocpeParam::SourceEntries(int k)
{
    const CScopeSettings &s = Settings();
    auto textOf = [](const CChannelInfo &c) {
        if (c.nBits == 32)
            return c.strName + QStringLiteral("-32");
        if (c.nBits == 16)
            return c.strName + QStringLiteral("-16");
        return c.strName;
    };
    std::vector<std::pair<QString, QString>> entries;
    for (const CChannelInfo &c : s.m_arrChannelInfo) {
        const bool di = c.strName == QLatin1String("DI");
        const bool dout = c.strName == QLatin1String("DO");
        if ((k <= 2 && (di || dout)) || (k == 3 && dout) || (k == 4 && di))
            continue;
        entries.emplace_back(textOf(c), c.strName);
    }
    if (k >= 3)
        for (const CHBit &b : s.m_arrChBit)
            entries.emplace_back(b.strName, b.strName);
    return entries;
}

bool CDlgSocpeParam::TranslateControls()
{
    const bool ok = CDialogExMid::TranslateControls();
    m_pIndicator->SetLabel(TrText(IndicatorRunning() ? QStringLiteral("采样") : QStringLiteral("开始")));
    for (int k = 1; k <= 4; ++k)
        m_btnColour[k - 1]->EnableAutomaticButton(TrText(QStringLiteral("自动")), 0);
    if (m_cmbSource[0]->count() == 0)
        return ok;  // not filled yet: the first fill reads the tables of the language
    // The channel and bit tables of the chosen language list the same sources in the same
    // order: each entry takes its new name, the choices stay.
    CScopeSettings &s = Settings();
    ReadChannelTable(s);
    ReadBitTable(s);
    for (int k = 1; k <= 4; ++k) {
        QComboBox *box = m_cmbSource[k - 1];
        const std::vector<std::pair<QString, QString>> entries = SourceEntries(k);
        const QSignalBlocker block(box);
        for (int i = 0; i < box->count() && i < int(entries.size()); ++i) {
            box->setItemText(i, entries[std::size_t(i)].first);
            box->setItemData(i, entries[std::size_t(i)].second);
        }
    }
    return ok;
}

void CDlgSocpeParam::FillSourceLists()
{
    CScopeSettings &s = Settings();
    ReadChannelTable(s);
    ReadBitTable(s);
    for (int k = 1; k <= 4; ++k) {
        QComboBox *box = m_cmbSource[k - 1];
        const QSignalBlocker block(box);
        box->clear();
        for (const auto &[text, name] : SourceEntries(k))
            box->addItem(text, name);
    }
    for (int k = 1; k <= 2; ++k)
        m_cmbSource[k - 1]->setCurrentIndex(std::max(s.m_nChSel[k - 1], 0) < m_cmbSource[k - 1]->count()
                                                ? std::max(s.m_nChSel[k - 1], 0)
                                                : -1);
    // Lists 3 and 4 come back as stored too: their first entry is a value source, which
    // would change the layout (or break the budget) behind the user's back.
    for (int k = 3; k <= 4; ++k) {
        const int n = m_cmbSource[k - 1]->count();
        const int stored = s.m_nChSel[k - 1];
        m_cmbSource[k - 1]->setCurrentIndex(stored >= 0 && stored < n ? stored : n > 0 ? 0 : -1);
    }
    for (int k = 1; k <= 4; ++k)
        m_nAcceptedSource[k - 1] = m_cmbSource[k - 1]->currentIndex();
    // A stored choice is no change of the user's: it opens no dialog (at start-up there is not
    // even a drive to name the terminals).
    for (int k = 3; k <= 4; ++k) {
        ApplyBitSourceState(k);
        RestoreBitSelection(k == 4);
    }
    RefreshIoNames();
}

void CDlgSocpeParam::FillTimeDivList(unsigned n)
{
    CScopeSettings &s = Settings();
    const QSignalBlocker block(m_cmbTimeDiv);
    m_cmbTimeDiv->clear();
    const QStringList entries = scopepanel::TimeDivEntries(s.m_dBasePeriodMs, n);
    m_cmbTimeDiv->addItems(entries);
    const int sel = scopepanel::TimeDivSelection(entries, s.m_dBasePeriodMs, n, s.m_nPointsPerDiv);
    m_cmbTimeDiv->setCurrentIndex(sel);
    s.m_strTimePerDiv = m_cmbTimeDiv->currentText();
}

void CDlgSocpeParam::FillScaleLists()
{
    for (QComboBox *box : m_cmbScale) {
        const QSignalBlocker block(box);
        box->clear();
        box->addItems(scopepanel::ScaleEntries());
        box->setCurrentIndex(scopepanel::kDefaultScaleEntry);
    }
}

void CDlgSocpeParam::RebuildTimeDivList(const QString &strCurrent)
{
    CVScope *v = View();
    const CScopeChannels &ch = v ? v->Channels() : m_ownChannels;
    const int n = ch.PointCount();
    const QString whole = Lang("IDS_NewScopeView_98");
    const QSignalBlocker block(m_cmbTimeDiv);
    m_cmbTimeDiv->clear();
    m_cmbTimeDiv->addItems(scopepanel::CaptureTimeDivEntries(n, ch.m_dTimePerPoint, whole));
    if (scopepanel::IsWholeRecord(strCurrent, whole)) {
        m_cmbTimeDiv->setCurrentIndex(0);
        if (v)
            v->SetXWindow(0, n);
        return;
    }
    const double ms = strCurrent.trimmed().toDouble();
    const QString text = QString::number(ms, 'f', 4);
    int index = m_cmbTimeDiv->findText(text);
    if (index < 0) {
        m_cmbTimeDiv->addItem(text);
        index = m_cmbTimeDiv->count() - 1;
    }
    m_cmbTimeDiv->setCurrentIndex(index);
    const int per = scopepanel::SamplesPerDivision(ms, ch.m_dTimePerPoint);
    Settings().m_nPointsPerDiv = per;
    if (v)
        v->SetXWindowByDivision(per);
    if (CScopePanelPage *p = Page())
        p->UpdateScrollRange(per);
}

void CDlgSocpeParam::SelectScaleForTrace(QComboBox *list, const CChannel &trace)
{
    if (!list)
        return;
    const int i = scopepanel::FindScaleEntry(
        [list] {
            QStringList l;
            for (int j = 0; j < list->count(); ++j)
                l << list->itemText(j);
            return l;
        }(),
        (trace.m_dMax - trace.m_dMin) / 10.0);
    if (i >= 0) {
        const QSignalBlocker block(list);
        list->setCurrentIndex(i);
    }
}

// ---- control lists -------------------------------------------------------------------------

void CDlgSocpeParam::SetDisplayEnabled(int id, bool on)
{
    if (QWidget *w = Ctrl(id))
        w->setEnabled(on);
}

void CDlgSocpeParam::RecordDisplayControls()
{
    auto &list = Settings().m_arrDisplayCtrl;
    list.clear();
    for (int id : kDisplayControls)
        if (QWidget *w = Ctrl(id); w && w->isEnabled())
            list.push_back(static_cast<WORD>(id));
}

void CDlgSocpeParam::EnableDisplayControls(bool bEnable)
{
    for (WORD id : Settings().m_arrDisplayCtrl)
        SetDisplayEnabled(id, bEnable);
}

void CDlgSocpeParam::RecordRollControls()
{
    auto &list = Settings().m_arrCtrlRoll;
    list.clear();
    for (int id : kRollControls)
        if (QWidget *w = Ctrl(id); w && w->isEnabled())
            list.push_back(static_cast<WORD>(id));
    for (int id : kRollChecks) {
        auto *box = qobject_cast<QCheckBox *>(Ctrl(id));
        if (box && box->isEnabled() && !box->isChecked())
            list.push_back(static_cast<WORD>(id));
    }
}

void CDlgSocpeParam::EnableSingleControls(bool bEnable)
{
    for (WORD id : Settings().m_arrCtrlSingle)
        SetDisplayEnabled(id, bEnable);
}

void CDlgSocpeParam::EnableRollControls(bool bEnable)
{
    for (WORD id : Settings().m_arrCtrlRoll)
        SetDisplayEnabled(id, bEnable);
}

void CDlgSocpeParam::EnableChannelGroup(int k, bool on)
{
    if (k == 1)
        on = true;
    for (int base : {IDC_CH_SCALE, IDC_CH_UP, IDC_CH_DOWN, IDC_CH_AUTO})
        SetDisplayEnabled(ChId(base, k), on);
    m_chk[k - 1]->setChecked(on);
    if (CChannel *c = GetViewChannel(TraceOfChannel(k)))
        c->m_bVisible = on ? 1 : 0;
    if (BOOL *f = CheckFlag(k))
        *f = on ? TRUE : FALSE;
}

void CDlgSocpeParam::EnableChannelExtras(int k, bool on)
{
    for (int base : {IDC_CH_COLOUR, IDC_CH_SCALE, IDC_CH_UP, IDC_CH_DOWN, IDC_CH_AUTO})
        SetDisplayEnabled(ChId(base, k), on);
}

void CDlgSocpeParam::ShowChannelControls()
{
    for (int k = 1; k <= 4; ++k) {
        const bool shown = SourceNameOf(m_cmbSource[k - 1], m_cmbSource[k - 1]->currentIndex()) != QLatin1String("NULL");
        for (int base : {IDC_CH_COLOUR, IDC_CH_SCALE, IDC_CH_SCALE_UNIT, IDC_CH_UP, IDC_CH_DOWN, IDC_CH_AUTO})
            if (QWidget *w = Ctrl(ChId(base, k)))
                w->setVisible(shown);
    }
}

// ---- channels ------------------------------------------------------------------------------

QString CDlgSocpeParam::GetActiveSourceName(bool bByEnable, int nChannelIndex) const
{
    if (nChannelIndex < 0 || nChannelIndex > 3)
        return QStringLiteral("NULL");
    const QCheckBox *box = m_chk[nChannelIndex];
    const bool active = bByEnable ? box->isEnabled() : box->isChecked();
    const QComboBox *list = m_cmbSource[nChannelIndex];
    if (!active || list->currentIndex() < 0)
        return QStringLiteral("NULL");
    return SourceNameOf(list, list->currentIndex());
}

QString CDlgSocpeParam::GetChannelSourceName(int nChannel) const
{
    if (nChannel < 0 || nChannel > 3)
        return QString();
    return m_cmbSource[nChannel]->currentText();
}

scopepanel::ChannelBits CDlgSocpeParam::CurrentChannelBits() const
{
    bool ticked[4];
    QString text[4];
    for (int i = 0; i < 4; ++i) {
        ticked[i] = m_chk[i]->isChecked();
        const QComboBox *list = m_cmbSource[i];
        text[i] = list->currentIndex() < 0 ? QStringLiteral("NULL")
                  : SourceNameOf(list, list->currentIndex()) == QLatin1String("NULL") ? QStringLiteral("NULL")
                                                                                     : list->currentText();
    }
    return scopepanel::CheckChannelBits(ticked, text);
}

bool CDlgSocpeParam::ChannelsWithinBudget() const
{
    return CurrentChannelBits().accepted;
}

BOOL CDlgSocpeParam::CheckChannelBits()
{
    const scopepanel::ChannelBits r = CurrentChannelBits();
    if (!r.accepted) {
        platform::Ui().MessageBox(TrText(QStringLiteral("选择内容超过64位，请重新选择")), QString(), MB_OK, this);
        return FALSE;
    }
    for (int k = 1; k <= 4; ++k)
        if (r.turnOn[k])
            EnableChannelGroup(k, true);
    for (int s = 0; s < 5; ++s)
        m_nSlotChannel[s] = r.slot[s];
    CScopeSettings &s = Settings();
    s.m_nChselKind = r.layout;
    if (r.layout != s.m_nLayout)
        std::fill(std::begin(s.m_wTrigger), std::end(s.m_wTrigger), WORD(0));
    s.m_nLayout = r.layout;
    // The list shows the layout the drive will be given.
    const QSignalBlocker block(m_cmbLayout);
    m_cmbLayout->setCurrentIndex(r.layout);
    return TRUE;
}

void CDlgSocpeParam::ApplyLayoutChoice(int sel)
{
    if (sel >= 0 && sel < kScopeLayoutCount)
        for (int k = 1; k <= 4; ++k)
            EnableChannelGroup(k, kLayoutChannels[sel][k - 1]);
    CScopeSettings &s = Settings();
    if (sel != s.m_nLayout)
        std::fill(std::begin(s.m_wTrigger), std::end(s.m_wTrigger), WORD(0));
    s.m_nLayout = sel;
}

void CDlgSocpeParam::ApplyChannelColours()
{
    for (int i = 0; i < 4; ++i) {
        const COLORREF c = m_btnColour[i]->GetColor();
        m_clrChannel[i] = c == kAutomaticColor ? m_btnColour[i]->GetAutomaticColor() : c;
    }
    m_clrBack = m_pBack->GetColour();
    CScopeSettings &s = Settings();
    for (int i = 0; i < 4; ++i) {
        s.m_clrChannel[i] = m_clrChannel[i];
        s.m_clrCursorChannel[i] = m_clrChannel[i];
    }
    if (CVScope *v = View()) {
        for (int t = 0; t < 4; ++t) {
            const int k = m_nSlotChannel[t + 1];
            v->Channels().m_ch[t].m_clrTrace = s.m_clrChannel[k >= 1 && k <= 4 ? k - 1 : 0];
        }
        v->m_clrBack = s.m_clrBack;
    }
}

DWORD CDlgSocpeParam::GetBitSet(int id) const
{
    for (const BitSetCh &b : Settings().m_arrBitSetCh)
        if (b.nId == id)
            return static_cast<DWORD>(b.bits.to_ulong());
    return 0;
}

void CDlgSocpeParam::SetBitSet(int id, DWORD bits)
{
    for (BitSetCh &b : Settings().m_arrBitSetCh) {
        if (b.nId == id) {
            b.bits = std::bitset<16>(bits & 0xFFFF);
            return;
        }
    }
    BitSetCh b;
    b.nId = id;
    b.bits = std::bitset<16>(bits & 0xFFFF);
    Settings().m_arrBitSetCh.push_back(b);
}

void CDlgSocpeParam::StoreListSelections()
{
    CScopeSettings &s = Settings();
    for (int i = 0; i < 4; ++i)
        s.m_nChSel[i] = m_cmbSource[i]->count() ? m_cmbSource[i]->currentIndex() : -1;
    s.m_nLayout = m_cmbLayout->currentIndex();
    s.m_nPeriodCount = static_cast<int>(m_nPeriodCount);
    s.m_nCycleCount = static_cast<int>(m_nPeriodCount);
}

void CDlgSocpeParam::WriteScopeIni()
{
    ScopePanelIniValues ini;
    for (int i = 0; i < 4; ++i) {
        ini.clrChannel[i] = m_clrChannel[i];
        ini.nSourceSel[i] = m_cmbSource[i]->count() ? m_cmbSource[i]->currentIndex() : -1;
    }
    ini.clrBack = m_clrBack;
    ini.nCycleCount = m_nPeriodCount;
    ini.nLayoutSel = m_cmbLayout->currentIndex();
    if (!::WriteScopeIni(Settings(), ini))
        KLOG(kLog) << "scope settings not written: " << ScopeIniPath().toStdString();
}

// ---- handlers of the channel controls ---------------------------------------------------------

void CDlgSocpeParam::OnClickedChannelCheck(int k)
{
    QCheckBox *box = m_chk[k - 1];
    const bool ticked = box->isChecked();
    if (ticked && !CheckChannelBits()) {
        box->setChecked(false);
        return;
    }
    if (CChannel *c = GetViewChannel(TraceOfChannel(k)))
        c->m_bVisible = ticked ? 1 : 0;
    if (BOOL *f = CheckFlag(k))
        *f = ticked ? TRUE : FALSE;
    OnSelchangeTimeDiv();
    InvalidateView();
}

void CDlgSocpeParam::OnSelchangeSource(int k)
{
    QComboBox *list = m_cmbSource[k - 1];
    if (!CheckChannelBits()) {
        // Back to what was accepted before: any other entry might break the budget again,
        // unseen until a capture shows wrong data.
        const QSignalBlocker block(list);
        const int before = m_nAcceptedSource[k - 1];
        list->setCurrentIndex(before >= 0 && before < list->count() ? before : -1);
        return;
    }
    m_nAcceptedSource[k - 1] = list->currentIndex();
    if (k <= 2)
        return;
    ApplyBitSourceState(k);
    if (SourceNameOf(list, list->currentIndex()) == (k == 3 ? QLatin1String("DI") : QLatin1String("DO")))
        OnClickedBits(k == 4);
}

void CDlgSocpeParam::ApplyBitSourceState(int k)
{
    QComboBox *list = m_cmbSource[k - 1];
    QPushButton *button = k == 3 ? m_btnDi : m_btnDo;
    const QString own = k == 3 ? QStringLiteral("DI") : QStringLiteral("DO");
    if (list->currentIndex() < 0 && list->count() > 0) {
        const QSignalBlocker block(list);
        list->setCurrentIndex(0);
    }
    const QString name = SourceNameOf(list, list->currentIndex());
    if (name == own) {
        button->setText(own);
        button->setEnabled(true);
        EnableChannelExtras(k, false);
    } else if (Settings().FindBitSource(name) >= 0) {
        button->setText(QStringLiteral("bit"));
        button->setEnabled(true);
        EnableChannelExtras(k, false);
    } else {
        button->setText(own);
        button->setEnabled(false);
        EnableChannelExtras(k, true);
    }
    ShowChannelControls();
}

void CDlgSocpeParam::OnSelchangeChannelWidth()
{
    ApplyLayoutChoice(m_cmbLayout->currentIndex());
    InvalidateView();
}

void CDlgSocpeParam::OnSelchangeScale(int k)
{
    CVScope *v = View();
    if (!v)
        return;
    const double per = m_cmbScale[k - 1]->currentText().toDouble();
    const int t = TraceOfChannel(k);
    auto rescale = [per](double &lo, double &hi) {
        const double mid = (lo + hi) * 0.5;
        lo = mid - 5 * per;
        hi = mid + 5 * per;
    };
    for (CChannel *c : {&v->Channels().m_ch[t], &v->Channels().m_cmp[t]}) {
        rescale(c->m_dMin, c->m_dMax);
        rescale(c->m_dViewMin, c->m_dViewMax);
        v->update();
    }
}

void CDlgSocpeParam::OnClickedShift(int k, bool up)
{
    CVScope *v = View();
    if (!v)
        return;
    const int t = TraceOfChannel(k);
    auto shift = [up, zoomed = v->m_bZoomed != 0](CChannel &c) {
        double &lo = zoomed ? c.m_dViewMin : c.m_dMin;
        double &hi = zoomed ? c.m_dViewMax : c.m_dMax;
        const double step = (hi - lo) / 10.0;
        lo += up ? -step : step;
        hi += up ? -step : step;
    };
    shift(v->Channels().m_ch[t]);
    v->update();
    if (v->m_bCompare) {
        shift(v->Channels().m_cmp[t]);
        v->update();
    }
}

void CDlgSocpeParam::OnClickedAuto(int k)
{
    CChannel *c = GetViewChannel(TraceOfChannel(k));
    if (!c || c->m_nCount <= 0)
        return;
    c->AutoScale();
    InvalidateView();
    SelectScaleForTrace(m_cmbScale[k - 1], *c);
}

void CDlgSocpeParam::OnClickedColour()
{
    ApplyChannelColours();
    InvalidateView();
}

void CDlgSocpeParam::OnSelchangeTimeDiv()
{
    CScopeSettings &s = Settings();
    const QString t = m_cmbTimeDiv->currentText();
    const QString whole = Lang("IDS_NewScopeView_98");
    CVScope *v = View();
    CScopePanelPage *page = Page();
    const bool wholeRecord = scopepanel::IsWholeRecord(t, whole);
    if (!wholeRecord) {
        const double perPoint = v ? v->Channels().m_dTimePerPoint : s.m_dBasePeriodMs * m_nPeriodCount;
        const int n = scopepanel::SamplesPerDivision(t.toDouble(), perPoint);
        if (v)
            v->SetXWindowByDivision(n);
        s.m_nPointsPerDiv = n;
        if (page)
            page->UpdateScrollRange(n);
    } else {
        if (v)
            v->SetXWindow(0, v->GetSampleCount());
        if (page)
            page->UpdateScrollRange(0xFFFF);
    }
    s.m_strTimePerDiv = wholeRecord ? scopepanel::kWholeRecord : t;
    if (CScopePanelDocker *d = Docker())
        if (QWidget *cursor = d->GetCursorDialog())
            platform::SendMessage(platform::WindowRef(static_cast<QObject *>(cursor)), UM_SCOPE_CURSOR_REFRESH, 0, 0);
}

void CDlgSocpeParam::OnKillfocusPeriod()
{
    bool ok = false;
    const long long v = m_edtPeriod->text().trimmed().toLongLong(&ok);
    CScopeSettings &s = Settings();
    auto clamp = [&](unsigned value, const char *key) {
        platform::Ui().MessageBox(Lang(key), QString(), MB_OK, this);
        m_nPeriodCount = value;
        s.m_nPeriodCount = static_cast<int>(value);
        m_edtPeriod->setText(QString::number(value));
    };
    if (!ok || v <= 0)
        clamp(1, "IDS_NewScopeView_110");
    else if (v > 9999)
        clamp(9999, "IDS_NewScopeView_111");
    else
        m_nPeriodCount = static_cast<unsigned>(v);
}

// ---- commands --------------------------------------------------------------------------------

void CDlgSocpeParam::OnClickedSingle()
{
    if (CAppFlags *f = GetAppFlags())
        f->m_bScopeIsOnce = TRUE;
}

void CDlgSocpeParam::OnClickedRoll()
{
    if (CAppFlags *f = GetAppFlags())
        f->m_bScopeIsOnce = FALSE;
}

void CDlgSocpeParam::OnClickedTrigger()
{
    CScopeSettings &s = Settings();
    std::vector<TrigerObj> objects;
    for (int k = 1; k <= 4; ++k) {
        QComboBox *list = m_cmbSource[k - 1];
        if (!list->isEnabled() || list->currentIndex() < 0)
            continue;
        const QString name = SourceNameOf(list, list->currentIndex());
        if (k >= 3 && s.SourceCodeOfName(name) < kScopeFirstValueSource)
            continue;
        const int row = s.FindChannelInfo(name);
        if (row < 0)
            continue;
        const CChannelInfo &c = s.m_arrChannelInfo[static_cast<std::size_t>(row)];
        if (c.nSourceCode < kScopeFirstValueSource)
            continue;
        // The drive names a trigger channel by the slot that carries it.
        objects.push_back({c.strName, c.nParam1, c.nParam2, TraceOfChannel(k) + 1, c.fScale});
    }
    const int points = scopepanel::CapturePointCount(s.m_nSampleWords, s.m_nLayout);
    const bool reset = std::all_of(std::begin(s.m_wTrigger), std::end(s.m_wTrigger), [](WORD w) { return w == 0; });
    CNewTrigerDlg dlg(objects, points, reset ? TRUE : FALSE);
    if (RunDialog(dlg) == IDOK)
        std::copy(dlg.m_wWords, dlg.m_wWords + 6, s.m_wTrigger);
}

void CDlgSocpeParam::OnClickedSavePath()
{
    CNewScopeContiPathDlg dlg(this);
    RunDialog(dlg);
    // "设 定" stores the folder and leaves the dialog open; whichever button then closes it,
    // the stored folder is the one recordings go to.
    if (dlg.m_bStored)
        Settings().m_strContinuousPath = CheckedRecordingFolder(dlg.m_strStored);
}

void CDlgSocpeParam::SetBitSelection(bool bDO, DWORD bits, const QStringList &names,
                                     const std::vector<COLORREF> &colours)
{
    CScopeSettings &s = Settings();
    ScopeIoSelection &sel = bDO ? s.m_selDO : s.m_selDI;
    sel.nBits = static_cast<std::int32_t>(bits);
    sel.arrNames = names;
    sel.arrColors = colours;
    if (CVScope *v = View()) {
        CDIDOChannel &d = bDO ? v->Channels().m_do : v->Channels().m_di;
        if (d.m_nCount > 0) {
            d.SetBits(std::bitset<16>(bits & 0xFFFF), names, colours);
            v->update();
        }
    }
}

void CDlgSocpeParam::OnClickedDi()
{
    OnClickedBits(false);
}

void CDlgSocpeParam::OnClickedDo()
{
    OnClickedBits(true);
}

void CDlgSocpeParam::OnClickedBits(bool bDO)
{
    CScopeSettings &s = Settings();
    QComboBox *list = m_cmbSource[bDO ? 3 : 2];
    const QString name = SourceNameOf(list, list->currentIndex());
    const int code = s.SourceCodeOfName(name);
    const int own = bDO ? kScopeSourceDO : kScopeSourceDI;
    if (code == own) {
        std::unique_ptr<CIoSelecDlg> dlg;
        if (bDO)
            dlg = std::make_unique<CDOSelecDlg>(this, GetBitSet(own));
        else
            dlg = std::make_unique<CDISelecDlg>(this, GetBitSet(own));
        if (RunDialog(*dlg) != IDOK)
            return;
        SetBitSelection(bDO, dlg->m_dwMask, dlg->m_arrSelNames, dlg->m_arrSelColours);
        SetBitSet(own, dlg->m_dwMask);
        // A dialog opened without the link has named no terminal.
        CSysParam *sys = GetSysParam();
        m_bIoNamesFromDrive[bDO ? 1 : 0] = sys && sys->m_bConnected;
    } else if (const CHBit *bit = BitSourceOf(code, name)) {
        const DWORD bits = GetBitSet(bit->nId);
        CChBitDlg dlg(&bits, &bit->arrBitNames);
        if (RunDialog(dlg) != IDOK)
            return;
        SetBitSelection(bDO, dlg.m_dwBits, dlg.m_arrSelNames, dlg.m_arrSelColours);
        SetBitSet(bit->nId, dlg.m_dwBits);
    }
}

const CHBit *CDlgSocpeParam::BitSourceOf(int code, const QString &name) const
{
    if (code < 3 || code >= kScopeFirstValueSource)
        return nullptr;
    const CScopeSettings &s = Settings();
    const int row = s.FindBitSource(name);
    return row < 0 ? nullptr : &s.m_arrChBit[static_cast<std::size_t>(row)];
}

void CDlgSocpeParam::RestoreBitSelection(bool bDO)
{
    CScopeSettings &s = Settings();
    const QComboBox *list = m_cmbSource[bDO ? 3 : 2];
    const QString name = SourceNameOf(list, list->currentIndex());
    const int code = s.SourceCodeOfName(name);
    const int own = bDO ? kScopeSourceDO : kScopeSourceDI;
    QStringList names;
    std::vector<COLORREF> colours;
    if (code == own) {
        // The terminals stay unnamed until the drive has told their functions.
        const DWORD bits = GetBitSet(own);
        QStringList captions;
        for (int i = 0; i < CIoSelecDlg::TerminalCount(bDO); ++i)
            captions << CIoSelecDlg::Caption(bDO, i, QString());
        CIoSelecDlg::Chosen(bDO, bits, captions, names, colours);
        SetBitSelection(bDO, bits, names, colours);
        m_bIoNamesFromDrive[bDO ? 1 : 0] = false;
    } else if (const CHBit *bit = BitSourceOf(code, name)) {
        const DWORD bits = GetBitSet(bit->nId);
        CChBitDlg::Chosen(bits, bit->arrBitNames, names, colours);
        SetBitSelection(bDO, bits, names, colours);
    }
}

void CDlgSocpeParam::RefreshIoNames()
{
    CSysParam *sys = GetSysParam();
    if (!sys || !sys->m_bConnected || m_ioWorker.IsRunning())
        return;
    bool wanted[2] = {false, false};
    for (int d = 0; d < 2; ++d) {
        const QComboBox *list = m_cmbSource[d == 1 ? 3 : 2];
        wanted[d] = !m_bIoNamesFromDrive[d] &&
                    SourceNameOf(list, list->currentIndex()) == (d == 1 ? QLatin1String("DO") : QLatin1String("DI"));
    }
    if (!wanted[0] && !wanted[1])
        return;
    const platform::WindowRef self(this);
    const UINT done = IoNamesMessage();
    m_ioWorker.Start([wanted0 = wanted[0], wanted1 = wanted[1], self, done](const std::atomic<bool> &stop) {
        auto read = std::make_shared<IoFunctionNames>();
        if (wanted0)
            read->names[0] = scopepanel::ReadIoFunctionNames(0x0302, CIoSelecDlg::TerminalCount(false),
                                                             QStringLiteral("H0302"), stop);
        if (wanted1 && !stop)
            read->names[1] = scopepanel::ReadIoFunctionNames(0x0400, CIoSelecDlg::TerminalCount(true),
                                                             QStringLiteral("H0400"), stop);
        platform::PostMessage(self, done, 0, 0, read);
    });
}

void CDlgSocpeParam::OnIoNamesRead(bool bDO, const QStringList &functions)
{
    const QComboBox *list = m_cmbSource[bDO ? 3 : 2];
    // The user may have chosen another source, or the dialog, meanwhile.
    if (functions.isEmpty() || m_bIoNamesFromDrive[bDO ? 1 : 0] ||
        SourceNameOf(list, list->currentIndex()) != (bDO ? QLatin1String("DO") : QLatin1String("DI")))
        return;
    CSysParam *sys = GetSysParam();
    if (!sys || !sys->m_bConnected || sys->IsDriveAbsent())
        return;
    QStringList captions;
    for (int i = 0; i < functions.size(); ++i)
        captions << CIoSelecDlg::Caption(bDO, i, functions[i]);
    const ScopeIoSelection &sel = bDO ? Settings().m_selDO : Settings().m_selDI;
    const DWORD bits = static_cast<DWORD>(sel.nBits);
    QStringList names;
    std::vector<COLORREF> colours;
    CIoSelecDlg::Chosen(bDO, bits, captions, names, colours);
    SetBitSelection(bDO, bits, names, colours);
    m_bIoNamesFromDrive[bDO ? 1 : 0] = true;
}

void CDlgSocpeParam::SelectSourceByName(int k, const QString &name)
{
    QComboBox *list = m_cmbSource[k - 1];
    const QSignalBlocker block(list);
    for (int i = 0; i < list->count(); ++i)
        if (SourceNameOf(list, i) == name)
            list->setCurrentIndex(i);
    m_nAcceptedSource[k - 1] = list->currentIndex();
}

void CDlgSocpeParam::OnClickedDataChoice()
{
    DlgScopeChsel dlg;
    if (RunDialog(dlg) != IDOK)
        return;
    CScopeSettings &s = Settings();
    for (int i = 0; i < 5; ++i)
        m_nSlotChannel[i] = i;
    {
        const QSignalBlocker block(m_cmbLayout);
        m_cmbLayout->setCurrentIndex(s.m_nChselKind);
    }
    OnSelchangeChannelWidth();
    for (int k = 1; k <= 4; ++k)
        SelectSourceByName(k, s.m_strChannelName[k - 1]);
    OnSelchangeSource(3);
    OnSelchangeSource(4);
}

// ---- start, stop and the capture messages ----------------------------------------------------

bool CDlgSocpeParam::IndicatorRunning() const
{
    return m_pIndicator->GetIndicatorImpl()->IsMarqueeRunning();
}

void CDlgSocpeParam::StopIndicator()
{
    if (IndicatorRunning()) {
        m_pIndicator->GetIndicatorImpl()->StartMarquee(FALSE);
        m_pIndicator->SetLabel(TrText(QStringLiteral("开始")));
    }
}

int CDlgSocpeParam::ToggleSampleIndicator()
{
    if (IndicatorRunning()) {
        StopIndicator();
        return 0;
    }
    m_pIndicator->GetIndicatorImpl()->StartMarquee(TRUE);
    m_pIndicator->SetLabel(TrText(QStringLiteral("采样")));
    return 1;
}

LRESULT CDlgSocpeParam::OnIndicatorReleased()
{
    CScopePanelPage *page = Page();
    if (!page)
        return 0;
    const int r = IndicatorRunning() ? page->StopSampling() : page->StartSampling();
    if (r != 0)
        ToggleSampleIndicator();
    return 0;
}

void CDlgSocpeParam::SetTraceNamesForRoll()
{
    QString names[4];
    COLORREF colours[4];
    for (int t = 0; t < 4; ++t) {
        const int k = m_nSlotChannel[t + 1];
        names[t] = GetActiveSourceName(true, k - 1);
        colours[t] = m_clrChannel[k >= 1 && k <= 4 ? k - 1 : 0];
    }
    Core().SetRollTraces(names, colours);
}

int CDlgSocpeParam::StartSampling()
{
    const ScopeMode mode = Mode();
    if (mode == ScopeMode::None) {
        m_rdoSingle->setEnabled(false);
        m_rdoRoll->setEnabled(false);
        return 0;
    }
    // The lists may have been changed without their handlers (a table reloaded, a stored
    // choice): nothing over the budget reaches the drive.
    if (!ChannelsWithinBudget()) {
        platform::Ui().MessageBox(TrText(QStringLiteral("选择内容超过64位，请重新选择")), QString(), MB_OK, this);
        return -2;
    }
    // The DI and DO strips of this capture name the terminals as the drive has them.
    RefreshIoNames();
    ScopeStartChoice choice;
    choice.mode = mode;
    choice.nCycleCount = m_nPeriodCount;
    for (int t = 0; t < 4; ++t)
        choice.strSource[t] = GetActiveSourceName(false, m_nSlotChannel[t + 1] - 1);
    choice.hNotify = platform::WindowRef(this);
    if (mode == ScopeMode::Roll)
        SetTraceNamesForRoll();
    const int r = Core().StartSampling(choice, [this, mode](int result, unsigned minimum) {
        if (result == -2 && minimum > 0) {
            m_edtPeriod->setText(QString::number(minimum));
            m_edtPeriod->setFocus();
            m_edtPeriod->selectAll();
        }
        OnStartResult(mode, result);
    });
    if (r == -2 && mode == ScopeMode::SingleShot) {
        m_edtPeriod->setFocus();
        m_edtPeriod->selectAll();
    }
    if (r != CScopeControl::kPending)
        return r;
    m_rdoSingle->setEnabled(false);
    m_rdoRoll->setEnabled(false);
    return 0;
}

void CDlgSocpeParam::OnStartResult(ScopeMode mode, int result)
{
    if (result != 0) {
        m_rdoSingle->setEnabled(true);
        m_rdoRoll->setEnabled(true);
        StopIndicator();
        if (CScopePanelPage *p = Page())
            p->OnStartRefused(result);
        return;
    }
    CVScope *v = View();
    if (mode == ScopeMode::SingleShot) {
        // A new capture is drawn whole: any zoom, however many steps deep, ends here.
        if (v)
            v->SetZoomed(FALSE);
        EnableSingleControls(false);
        if (CScopePanelPage *p = Page())
            p->SetCaptureProgress(Lang("IDS_NewScopeView_51"), 0, true);
    } else {
        if (v)
            v->SetZoomed(FALSE);
        EnableDisplayControls(true);
        FillTimeDivList(m_nPeriodCount);
        RecordRollControls();
        EnableRollControls(false);
        // A channel that is not ticked shows neither trace nor axis during the roll.
        for (int k = 1; k <= 4; ++k)
            if (CChannel *c = GetViewChannel(TraceOfChannel(k)))
                c->m_bVisible = m_chk[k - 1]->isChecked() ? 1 : 0;
    }
    InvalidateView();
}

int CDlgSocpeParam::StopSampling()
{
    const ScopeMode mode = Mode();
    if (mode == ScopeMode::SingleShot) {
        if (CScopePanelPage *p = Page())
            p->SetCaptureProgress(Lang("IDS_NewScopeView_51"), 0, false);
        Core().StopSampling(mode, [this] { InvalidateView(); });
        EnableSingleControls(true);
    } else if (mode == ScopeMode::Roll) {
        Core().StopSampling(mode, [this] { InvalidateView(); });
        EnableRollControls(true);
        // The list is the last roll start's: a stop with no roll behind it (a start called
        // off before it took effect) must not enable what has been disabled since.
        Settings().m_arrCtrlRoll.clear();
    }
    m_rdoSingle->setEnabled(true);
    m_rdoRoll->setEnabled(true);
    return 0;
}

bool CDlgSocpeParam::Capturing() const
{
    return m_pCore && (m_pCore->StartPending() || m_pCore->Running(ScopeMode::SingleShot) ||
                       m_pCore->Running(ScopeMode::Roll));
}

LRESULT CDlgSocpeParam::OnCaptureDone(WPARAM wParam, LPARAM lParam)
{
    if (CScopePanelPage *p = Page())
        p->OnCaptureDone(wParam, lParam);
    StopIndicator();
    StopSampling();
    return 0;
}

void CDlgSocpeParam::OnRollFrame(WPARAM bDecoded, LPARAM nLost, const ScopeRollFrame *frame)
{
    SetTraceNamesForRoll();
    Core().OnRollFrame(static_cast<int>(bDecoded), static_cast<int>(nLost), frame);
    InvalidateView();
}

void CDlgSocpeParam::RedrawCapture()
{
    CVScope *v = View();
    if (!v)
        return;
    CScopeSettings &s = Settings();
    CScopeChannels &ch = v->Channels();
    for (int i = 0; i < 4; ++i)
        s.m_clrChannel[i] = m_clrChannel[i];
    QString names[4];
    for (int t = 0; t < 4; ++t)
        names[t] = GetActiveSourceName(false, m_nSlotChannel[t + 1] - 1);
    switch (s.m_nLayout) {
    case 1: names[1] = QStringLiteral("NULL"); break;
    case 2: names[1] = names[3] = QStringLiteral("NULL"); break;
    case 3:
    case 4: names[1] = names[2] = names[3] = QStringLiteral("NULL"); break;
    default: break;
    }
    const int points = scopepanel::CapturePointCount(s.m_nSampleWords, s.m_nLayout);
    ch.m_dTimePerPoint = s.m_dBasePeriodMs * (s.m_nPeriodCount > 0 ? s.m_nPeriodCount : 1);
    for (int t = 0; t < 4; ++t) {
        const int code = s.SourceCodeOfName(names[t]);
        if (code == 0)
            continue;
        const int k = m_nSlotChannel[t + 1];
        if (t >= 2 && code < kScopeFirstValueSource) {
            CDIDOChannel &d = t == 2 ? ch.m_di : ch.m_do;
            const auto &buffer = t == 2 ? s.m_vecDI : s.m_vecDO;
            const ScopeIoSelection &sel = t == 2 ? s.m_selDI : s.m_selDO;
            d.Clear();
            const int n = std::min<int>(points, static_cast<int>(buffer.size()));
            d.AppendFromVector(std::vector<int>(buffer.begin(), buffer.end()), n);
            d.SetBits(std::bitset<16>(static_cast<unsigned long>(sel.nBits & 0xFFFF)), sel.arrNames, sel.arrColors);
            continue;
        }
        CChannel &c = ch.m_ch[t];
        const auto &buffer = s.m_vecCh[t];
        c.m_nCount = 0;
        c.AppendFromVector(buffer, std::min<int>(points, static_cast<int>(buffer.size())));
        c.m_strName = names[t];
        c.m_clrTrace = m_clrChannel[k >= 1 && k <= 4 ? k - 1 : 0];
        c.AutoScale();
        SelectScaleForTrace(m_cmbScale[(k >= 1 && k <= 4 ? k : 1) - 1], c);
    }
    s.m_bHasData = 1;
    RebuildTimeDivList(s.m_strTimePerDiv);
    EnableDisplayControls(true);
    v->update();
}

// ---- files ---------------------------------------------------------------------------------------

bool CDlgSocpeParam::SaveWaveFile(const QString &path, int nKind)
{
    CVScope *v = View();
    const CScopeChannels &ch = v ? v->Channels() : m_ownChannels;
    return ::SaveWaveFile(path, nKind, ch, Settings(), ScopeGroupParameters());
}

BOOL CDlgSocpeParam::OpenWaveFile(QWidget *owner, const QString &path)
{
    Q_UNUSED(owner);
    CScopeSettings &s = Settings();
    CVScope *v = View();
    CScopeChannels &ch = v ? v->Channels() : m_ownChannels;
    for (int i = 0; i < 4; ++i)
        s.m_clrChannel[i] = m_clrChannel[i];
    WaveFileInfo info;
    const int ok = ::OpenWaveFile(path, ch, s, &info);
    // What was read before a failure stays, as the period and time base do.
    m_nPeriodCount = static_cast<unsigned>(std::max(s.m_nPeriodCount, 0));
    m_edtPeriod->setText(QString::number(m_nPeriodCount));
    if (s.m_dBasePeriodMs > 0) {
        const QString label = scopepanel::BasePeriodLabel(static_cast<unsigned>(1000.0 / s.m_dBasePeriodMs));
        if (!label.isEmpty())
            m_lblBase->setText(label);
    }
    if (!ok)
        return FALSE;
    for (int i = 0; i < 5; ++i)
        m_nSlotChannel[i] = i;
    const int layout = info.nLayout;
    {
        const QSignalBlocker block(m_cmbLayout);
        m_cmbLayout->setCurrentIndex(layout);
    }
    const WORD trigger[6] = {s.m_wTrigger[0], s.m_wTrigger[1], s.m_wTrigger[2],
                             s.m_wTrigger[3], s.m_wTrigger[4], s.m_wTrigger[5]};
    s.m_nLayout = -1;  // the file's layout is applied whatever the panel showed
    ApplyLayoutChoice(layout);
    std::copy(trigger, trigger + 6, s.m_wTrigger);
    for (int c = 0; c < 4; ++c) {
        if (info.nCodes[c] == 0) {
            const QSignalBlocker block(m_cmbSource[c]);
            m_cmbSource[c]->setCurrentIndex(m_cmbSource[c]->count() > 0 ? 0 : -1);
        } else {
            SelectSourceByName(c + 1, info.strNames[c]);
        }
        const CChannel &trace = ch.m_ch[c];
        if (trace.m_nCount > 0)
            SelectScaleForTrace(m_cmbScale[c], trace);
    }
    RebuildTimeDivList(s.m_strTimePerDiv);
    s.m_bHasData = 1;
    EnableDisplayControls(true);
    m_cmbTimeDiv->setEnabled(true);
    InvalidateView();
    return TRUE;
}

BOOL CDlgSocpeParam::OpenCompareFile(const QString &path)
{
    CScopeSettings &s = Settings();
    CVScope *v = View();
    CScopeChannels &ch = v ? v->Channels() : m_ownChannels;
    if (!::OpenCompareFile(path, ch, s))
        return FALSE;
    RebuildTimeDivList(s.m_strTimePerDiv);
    // The comparison is drawn over as many samples as the live window shows (all of it when
    // nothing is live), not over the view's initial 10,000, which squeezed a short file.
    if (v) {
        const int span = v->m_nXLast - v->m_nXFirst;
        v->SetCompareWindow(span > 0 ? span : v->GetCompareSampleCount());
    }
    InvalidateView();
    return TRUE;
}

// ---- messages and destruction ------------------------------------------------------------------

LRESULT CDlgSocpeParam::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg == BaseMessage()) {
        m_bBasePending = false;
        if (wParam)
            OnBaseRead(static_cast<unsigned>(lParam));
        return 0;
    }
    if (msg == IoNamesMessage()) {
        if (const auto read = Payload<IoFunctionNames>())
            for (int d = 0; d < 2; ++d)
                OnIoNamesRead(d == 1, read->names[d]);
        return 0;
    }
    switch (msg) {
    case UM_BUTTON_RELEASED:
        // The indicator's release only; the number is shared with a colour notification.
        if (wParam == static_cast<WPARAM>(IDC_INDICATOR) && lParam == 0)
            return OnIndicatorReleased();
        return 0;
    case UM_COLOR_DONE:
        // The background picker: its colour becomes the view's background.
        m_clrBack = m_pBack->GetColour();
        Settings().m_clrBack = m_clrBack;
        if (CVScope *v = View()) {
            v->m_clrBack = m_clrBack;
            v->update();
        }
        return 0;
    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case ChId(IDC_CH_COLOUR, 1):
        case ChId(IDC_CH_COLOUR, 2):
        case ChId(IDC_CH_COLOUR, 3):
        case ChId(IDC_CH_COLOUR, 4): OnClickedColour(); return 0;
        default: break;
        }
        break;
    case UM_SCOPE_CAPTURE_DONE: return OnCaptureDone(wParam, lParam);
    case UM_SCOPE_PROGRESS:
        if (CScopePanelPage *p = Page())
            p->OnCaptureProgress(wParam, lParam);
        return 0;
    case UM_SCOPE_ROLL_FRAME: OnRollFrame(wParam, lParam, Payload<ScopeRollFrame>().get()); return 0;
    case UM_SCOPE_THREAD_ENDED:
        // The thread gave up (its box has told why, or the stream stopped coming): the
        // capture ends as if stopped, and the page releases its controls.
        StopIndicator();
        StopSampling();
        if (CScopePanelPage *p = Page())
            p->OnCaptureFailed(wParam == 1 && lParam == kScopeRollLinkLost);
        return 0;
    default: break;
    }
    return CDialogExMid::WindowProc(msg, wParam, lParam);
}

void CDlgSocpeParam::OnDestroy()
{
    CDialogExMid::OnDestroy();
    CScopeSettings &s = Settings();
    WriteScopeIni();
    StoreListSelections();
    if (!WriteBitSelections(s))
        KLOG(kLog) << "bit selections not written";
    // The core's worker goes first: a start it was writing ends there, and its continuation,
    // which would start a thread, never runs. Then the threads, so that the stop below finds
    // the link free.
    m_pCore.reset();
    s.m_bRollRunning = 0;
    s.m_bSingleRunning = 0;
    StopScopeThreads();
    if (CSysParam *sys = GetSysParam()) {
        for (int i = 0; i < kTries && !sys->IsDriveAbsent(); ++i)
            if (sys->WriteReg(kRegCommand, 2, CSysParam::LinkWait::Bounded))
                break;
        sys->g_bDriveSampling = FALSE;
    }
    g_nScopeRunMode = 0;
    g_bScopeSingleBusy = 0;
}
