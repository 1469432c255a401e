#include "Wnds/scope/NewTrigerDlg.h"

#include "LangText.h"
#include "SYSPARAM/SysParam.h"
#include "platform/ControlId.h"
#include "platform/LanguageConf.h"

#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include <algorithm>
#include <memory>

namespace {

constexpr int kDiCount = 10;
constexpr int kDoCount = 8;
constexpr int kDiFirstCode = 16;
constexpr int kDoFirstCode = 32;

QString Key(int n)
{
    return LoadLangString(QStringLiteral("IDS_NewTrigerDlg_%1").arg(n));
}

UINT NamesMessage()
{
    static const UINT msg = platform::RegisterWindowMessage(QStringLiteral("KORVANE_SCOPE_TRIGGER_NAMES"));
    return msg;
}

struct IoNames {
    QStringList di, dobits;
};

// A number typed in an edit: the whole text must be an integer.
bool ParseInteger(const QString &text, long long &value)
{
    bool ok = false;
    value = text.trimmed().toLongLong(&ok);
    return ok;
}

}

CNewTrigerDlg::Remembered &CNewTrigerDlg::Memory()
{
    static Remembered memory;
    return memory;
}

CNewTrigerDlg::CNewTrigerDlg(const std::vector<TrigerObj> &objects, int nPointCount, BOOL bReset)
    : CDialogExMid(IDD, nullptr), m_arrObjects(objects), m_nPointCount(nPointCount),
      m_worker(this, "trigger sources")
{
    if (bReset)
        Memory() = Remembered();
    m_strLangSection = QStringLiteral("CNewTrigerDlg");
    setWindowTitle(QStringLiteral("触发设置"));
    resize(MapDialogRect(QRect(0, 0, 330, 175)).size());

    auto *group = new QGroupBox(QStringLiteral("设置触发AB"), this);
    platform::SetCtrlId(group, IDC_GROUP);
    group->setGeometry(MapDialogRect(QRect(5, 3, 320, 120)));
    auto label = [this](const char *text, int x, int y, int w) {
        auto *l = new QLabel(QString::fromUtf8(text), this);
        l->setGeometry(MapDialogRect(QRect(x, y, w, 10)));
        return l;
    };
    auto combo = [this](int id, int x, int y, int w) {
        auto *c = new QComboBox(this);
        platform::SetCtrlId(c, id);
        c->setGeometry(MapDialogRect(QRect(x, y, w, 14)));
        return c;
    };
    auto edit = [this](int id, int x, int y, int w) {
        auto *e = new QLineEdit(this);
        platform::SetCtrlId(e, id);
        e->setGeometry(MapDialogRect(QRect(x, y, w, 14)));
        return e;
    };
    auto stat = [this](int id, int x, int y, int w) {
        auto *l = new QLabel(this);
        platform::SetCtrlId(l, id);
        l->setGeometry(MapDialogRect(QRect(x, y, w, 10)));
        return l;
    };
    label("触发对象", 12, 16, 50);
    label("触发条件", 12, 34, 50);
    label("触发水平", 12, 52, 50);
    label("取值区间", 165, 52, 40);
    m_cmbSrcA = combo(IDC_SOURCE_A, 62, 14, 95);
    m_cmbCondA = combo(IDC_COND_A, 62, 32, 95);
    m_edtLevelA = edit(IDC_LEVEL_A, 62, 50, 55);
    m_lblScaleA = stat(IDC_SCALE_A, 120, 52, 40);
    m_lblRangeA = stat(IDC_RANGE_A, 205, 52, 115);
    m_cmbSrcB = combo(IDC_SOURCE_B, 165, 14, 95);
    m_cmbCondB = combo(IDC_COND_B, 165, 32, 95);
    m_edtLevelB = edit(IDC_LEVEL_B, 62, 70, 55);
    m_lblScaleB = stat(IDC_SCALE_B, 120, 72, 40);
    m_lblRangeB = stat(IDC_RANGE_B, 205, 72, 115);
    label("触发条件选择", 12, 92, 60);
    m_cmbComb = combo(IDC_COMBINATION, 75, 90, 120);
    label("预触发设定(%)", 12, 132, 70);
    m_edtPercent = edit(IDC_PERCENT, 85, 130, 40);
    auto *ok = new QPushButton(QStringLiteral("确 定"), this);
    platform::SetCtrlId(ok, IDOK);
    ok->setGeometry(MapDialogRect(QRect(210, 152, 50, 16)));
    auto *cancel = new QPushButton(QStringLiteral("取 消"), this);
    platform::SetCtrlId(cancel, IDCANCEL);
    cancel->setGeometry(MapDialogRect(QRect(268, 152, 50, 16)));
    cancel->hide();
    connect(ok, &QPushButton::clicked, this, [this] { OnOK(); });
    connect(cancel, &QPushButton::clicked, this, [this] { OnCancel(); });
    connect(m_cmbSrcA, qOverload<int>(&QComboBox::activated), this, [this] { OnSelchangeSourceA(); });
    connect(m_cmbSrcB, qOverload<int>(&QComboBox::activated), this, [this] { OnSelchangeSourceB(); });
    m_setNoTranslateIds = {IDC_SOURCE_A, IDC_SOURCE_B, IDC_COND_A, IDC_COND_B, IDC_COMBINATION,
                           IDC_RANGE_A, IDC_RANGE_B, IDC_SCALE_A, IDC_SCALE_B};
}

QComboBox *CNewTrigerDlg::Combo(int id) const
{
    return qobject_cast<QComboBox *>(platform::FindCtrl(const_cast<CNewTrigerDlg *>(this), id));
}

QLineEdit *CNewTrigerDlg::Edit(int id) const
{
    return qobject_cast<QLineEdit *>(platform::FindCtrl(const_cast<CNewTrigerDlg *>(this), id));
}

QLabel *CNewTrigerDlg::Label(int id) const
{
    return qobject_cast<QLabel *>(platform::FindCtrl(const_cast<CNewTrigerDlg *>(this), id));
}

void CNewTrigerDlg::BuildSourceList()
{
    m_arrSources.clear();
    m_arrSources.push_back({0, 0, 0, Key(1)});
    for (const TrigerObj &o : m_arrObjects)
        m_arrSources.push_back({o.nCode, 0, 1, o.strName});
    m_nFirstDi = static_cast<int>(m_arrSources.size());
    CSysParam *sys = GetSysParam();
    const bool connected = sys && sys->m_bConnected;
    for (int n = 1; n <= kDiCount; ++n)
        m_arrSources.push_back({kDiFirstCode + n - 1, 1, 0,
                                connected ? QStringLiteral("DI%1: ").arg(n)
                                          : FillLangPlaces(Key(2), {QString::number(n)})});
    for (int n = 1; n <= kDoCount; ++n)
        m_arrSources.push_back({kDoFirstCode + n - 1, 1, 0,
                                connected ? QStringLiteral("DO%1: ").arg(n)
                                          : FillLangPlaces(Key(3), {QString::number(n)})});
    for (const auto &row : scopepanel::ReadTriggerFile(scopepanel::TriggerFilePath()))
        m_arrSources.push_back({row.code, row.kind, row.hasLevel, row.text});
    if (connected) {
        m_bPending = true;
        const platform::WindowRef self(this);
        const UINT done = NamesMessage();
        m_worker.Start([self, done](const std::atomic<bool> &stop) {
            auto names = std::make_shared<IoNames>();
            names->di = scopepanel::ReadIoFunctionNames(0x0302, kDiCount, QStringLiteral("H0302"), stop);
            names->dobits = scopepanel::ReadIoFunctionNames(0x0400, kDoCount, QStringLiteral("H0400"), stop);
            platform::PostMessage(self, done, 0, 0, names);
        });
    }
}

void CNewTrigerDlg::SetIoNames(const QStringList &di, const QStringList &dobits)
{
    auto set = [this](int index, const QString &text) {
        m_arrSources[static_cast<std::size_t>(index)].strText = text;
        m_cmbSrcA->setItemText(index, text);
        m_cmbSrcB->setItemText(index, text);
    };
    for (int n = 1; n <= kDiCount; ++n)
        set(m_nFirstDi + n - 1, QStringLiteral("DI%1: %2").arg(n).arg(n - 1 < di.size() ? di[n - 1] : QString()));
    for (int n = 1; n <= kDoCount; ++n)
        set(m_nFirstDi + kDiCount + n - 1,
            QStringLiteral("DO%1: %2").arg(n).arg(n - 1 < dobits.size() ? dobits[n - 1] : QString()));
}

LRESULT CNewTrigerDlg::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg == NamesMessage()) {
        if (auto names = Payload<IoNames>())
            SetIoNames(names->di, names->dobits);
        m_bPending = false;
        return 0;
    }
    return CDialogExMid::WindowProc(msg, wParam, lParam);
}

bool CNewTrigerDlg::OnInitDialog()
{
    CDialogExMid::OnInitDialog();
    BuildSourceList();
    for (const CTrigerObject &s : m_arrSources) {
        m_cmbSrcA->addItem(s.strText);
        m_cmbSrcB->addItem(s.strText);
    }
    TranslateDialog(this, IDD);
    const Remembered &m = Memory();
    m_cmbSrcA->setCurrentIndex(m.srcA < m_cmbSrcA->count() ? m.srcA : 0);
    OnSelchangeSourceA();
    m_cmbSrcB->setCurrentIndex(m.srcB < m_cmbSrcB->count() ? m.srcB : 0);
    OnSelchangeSourceB();
    if (m.condA < m_cmbCondA->count())
        m_cmbCondA->setCurrentIndex(m.condA);
    if (m.condB < m_cmbCondB->count())
        m_cmbCondB->setCurrentIndex(m.condB);
    if (m.combination < m_cmbComb->count())
        m_cmbComb->setCurrentIndex(m.combination);
    m_edtLevelA->setText(QString::number(m.levelA));
    m_edtLevelB->setText(QString::number(m.levelB));
    m_edtPercent->setText(QString::number(m.percent));
    return true;
}

const CTrigerObject *CNewTrigerDlg::FindSource(const QString &text) const
{
    for (const auto &s : m_arrSources)
        if (s.strText == text)
            return &s;
    return m_arrSources.empty() ? nullptr : &m_arrSources.back();
}

const TrigerObj *CNewTrigerDlg::FindObject(const QString &text) const
{
    for (const auto &o : m_arrObjects)
        if (o.strName == text)
            return &o;
    return m_arrObjects.empty() ? nullptr : &m_arrObjects.back();
}

void CNewTrigerDlg::FillConditions(QComboBox *box, int kind, int firstKey)
{
    box->clear();
    const int first = firstKey + (kind == 1 ? 5 : 0);
    for (int k = first; k < first + 5; ++k)
        box->addItem(Key(k));
    box->setCurrentIndex(0);
}

void CNewTrigerDlg::FillCombination(int firstKey, int count)
{
    m_cmbComb->clear();
    for (int k = firstKey; k < firstKey + count; ++k)
        m_cmbComb->addItem(Key(k));
    m_cmbComb->setCurrentIndex(0);
}

void CNewTrigerDlg::OnSelchangeSourceA()
{
    const bool setA = m_cmbSrcA->currentIndex() > 0;
    const bool setB = m_cmbSrcB->currentIndex() > 0;
    if (setA) {
        m_cmbCondA->setEnabled(true);
        m_cmbComb->setEnabled(true);
        m_edtPercent->setEnabled(true);
        m_cmbSrcB->setEnabled(true);
        if (setB)
            FillCombination(4, 3);
        else
            FillCombination(7, 1);
    } else {
        m_cmbCondA->setEnabled(false);
        if (m_cmbComb->count() == 0)
            FillCombination(7, 1);
        m_cmbComb->setCurrentIndex(0);
        m_edtPercent->setText(QStringLiteral("0"));
        m_cmbComb->setEnabled(false);
        m_edtPercent->setEnabled(false);
        m_cmbSrcB->setCurrentIndex(0);
        m_cmbSrcB->setEnabled(false);
        m_cmbCondB->setCurrentIndex(0);
        m_cmbCondB->setEnabled(false);
        m_edtLevelB->setText(QStringLiteral("0"));
        m_edtLevelB->setEnabled(false);
        m_lblRangeB->clear();
    }
    const CTrigerObject *s = FindSource(m_cmbSrcA->currentText());
    FillConditions(m_cmbCondA, s ? s->nKind : 0, 8);
    if (s && s->bHasLevel) {
        m_edtLevelA->setEnabled(true);
        if (const TrigerObj *o = FindObject(m_cmbSrcA->currentText())) {
            m_lblRangeA->setText(FillLangPlaces(Key(18), {QString::number(o->nLower), QString::number(o->nUpper)}));
            m_lblScaleA->setText(FillLangPlaces(Key(19), {QString::number(static_cast<double>(o->fScale))}));
        }
    } else {
        m_edtLevelA->setText(QStringLiteral("0"));
        m_edtLevelA->setEnabled(false);
        m_lblRangeA->clear();
    }
}

void CNewTrigerDlg::OnSelchangeSourceB()
{
    const bool setB = m_cmbSrcB->currentIndex() > 0;
    if (setB)
        m_cmbCondB->setEnabled(true);
    const CTrigerObject *s = FindSource(m_cmbSrcB->currentText());
    FillConditions(m_cmbCondB, s ? s->nKind : 0, 20);
    if (s && s->bHasLevel) {
        m_edtLevelB->setEnabled(true);
        if (const TrigerObj *o = FindObject(m_cmbSrcB->currentText())) {
            m_lblRangeB->setText(FillLangPlaces(Key(30), {QString::number(o->nLower), QString::number(o->nUpper)}));
            m_lblScaleB->setText(FillLangPlaces(Key(31), {QString::number(static_cast<double>(o->fScale))}));
        }
    } else {
        m_edtLevelB->setEnabled(false);
        m_lblRangeB->clear();
    }
    if (setB) {
        m_cmbCondB->setEnabled(true);
        FillCombination(32, 3);
    } else {
        m_cmbCondB->setEnabled(false);
        FillCombination(35, 1);
    }
}

std::vector<scopepanel::TriggerSource> CNewTrigerDlg::PlainSources() const
{
    std::vector<scopepanel::TriggerSource> list;
    for (const auto &s : m_arrSources)
        list.push_back({s.nCode, s.nKind, s.bHasLevel, s.strText});
    return list;
}

void CNewTrigerDlg::OnOK()
{
    scopepanel::TriggerChoice c;
    c.sourceA = m_cmbSrcA->currentText();
    c.sourceB = m_cmbSrcB->currentText();
    c.posA = m_cmbSrcA->currentIndex();
    c.posB = m_cmbSrcB->currentIndex();
    c.condA = std::max(m_cmbCondA->currentIndex(), 0);
    c.condB = std::max(m_cmbCondB->currentIndex(), 0);
    c.combination = std::max(m_cmbComb->currentIndex(), 0);
    c.pointCount = m_nPointCount;
    auto refuse = [this](QLineEdit *edit, const QString &text) {
        ShowBCGMessageBox(this, text, QString(), MB_OK | MB_ICONEXCLAMATION);
        edit->setFocus();
        edit->selectAll();
    };
    const QString levelText = TrText(QStringLiteral("请输入介于 %d 和 %d 之间的整数。"));
    const QStringList levelRange{QString::number(scopepanel::kTriggerLevelMin),
                                 QString::number(scopepanel::kTriggerLevelMax)};
    // A level counts only for a source that is set.
    if (!ParseInteger(m_edtLevelA->text(), c.levelA) && c.posA > 0)
        return refuse(m_edtLevelA, FillLangPlaces(levelText, levelRange));
    if (!ParseInteger(m_edtLevelB->text(), c.levelB) && c.posB > 0)
        return refuse(m_edtLevelB, FillLangPlaces(levelText, levelRange));
    if (c.posA == 0)
        c.levelA = 0;
    if (c.posB == 0)
        c.levelB = 0;
    if (!ParseInteger(m_edtPercent->text(), c.percent))
        c.percent = -1;
    WORD words[6] = {};
    switch (scopepanel::MakeTriggerWords(PlainSources(), c, words)) {
    case scopepanel::TriggerRefusal::LevelA: return refuse(m_edtLevelA, FillLangPlaces(levelText, levelRange));
    case scopepanel::TriggerRefusal::LevelB: return refuse(m_edtLevelB, FillLangPlaces(levelText, levelRange));
    case scopepanel::TriggerRefusal::Percent:
        return refuse(m_edtPercent, FillLangPlaces(levelText, {QStringLiteral("0"), QStringLiteral("100")}));
    case scopepanel::TriggerRefusal::None: break;
    }
    std::copy(words, words + 6, m_wWords);
    Remembered &m = Memory();
    m.srcA = c.posA;
    m.condA = c.condA;
    m.srcB = c.posB;
    m.condB = c.condB;
    m.combination = c.combination;
    m.levelA = static_cast<int>(c.levelA);
    m.levelB = static_cast<int>(c.levelB);
    m.percent = static_cast<unsigned>(c.percent);
    CDialogExMid::OnOK();
}
