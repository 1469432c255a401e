#include "LoopDiagramPage.h"

#include "SYSPARAM/SysParam.h"
#include "TraceLog.h"
#include "Wnds/Controls/DiagramLayouts.h"
#include "database/DBDataParameter.h"
#include "platform/ControlId.h"
#include "platform/LanguageConf.h"
#include "platform/UiServices.h"

#include <QComboBox>
#include <QLineEdit>
#include <QSignalBlocker>

namespace {
const char *const kFailedProperty = "writeFailed";
}

CLoopDiagramPage::CLoopDiagramPage(int nIDTemplate, int nPlaceholderId, const QRect &placeholderDlu,
                                   CBCGPDiagramVisualContainerCtrlEx *container,
                                   const char *logSource, int lastEditId)
    : CDialogExMid(nIDTemplate), m_pWndDiagram(container), m_rcPlaceholder(placeholderDlu),
      m_pszLogSource(logSource), m_nLastEditId(lastEditId),
      m_writer(static_cast<platform::MessageTarget *>(this))
{
    m_pWndDiagram->setParent(this);
    platform::SetCtrlId(m_pWndDiagram, nPlaceholderId);
    m_pWndDiagram->setGeometry(MapDialogRect(m_rcPlaceholder));
}

CLoopDiagramPage::~CLoopDiagramPage()
{
    m_writer.Stop();
}

void CLoopDiagramPage::StopWorkers()
{
    m_writer.Stop();
}

DiagramScene *CLoopDiagramPage::Diagram() const
{
    return m_pWndDiagram->GetVisualContainer();
}

bool CLoopDiagramPage::OnInitDialog()
{
    CDialogExMid::OnInitDialog();
    DiagramScene *diagram = Diagram();
    diagram->SetOutlineBrush(diagram_colours::kGray);
    diagram->EnableEditMode(false);
    RebuildDiagram(0, true);
    Redraw();
    OnSize(width(), height());
    return true;
}

bool CLoopDiagramPage::TranslateControls()
{
    const bool ok = CDialogExMid::TranslateControls();
    // Not built yet (the first re-texting comes before the first build): nothing to do.
    QComboBox *combo = SelectorCombo();
    if (!combo)
        return ok;
    const QStringList entries = SelectorEntries();
    {
        const QSignalBlocker quiet(combo);
        for (int i = 0; i < combo->count() && i < entries.size(); ++i)
            combo->setItemText(i, TrText(entries[i]));
    }
    const int mode = combo->currentIndex() >= 0 ? combo->currentData().toInt() : 0;
    // The blocks' captions and the boxes' labels are drawn from texts taken as they were built.
    RebuildDiagram(mode, false);
    return ok;
}

void CLoopDiagramPage::OnSize(int cx, int cy)
{
    CDialogExMid::OnSize(cx, cy);
    // The diagram keeps its top-left corner and grows and shrinks with the page.
    const QRect place = MapDialogRect(m_rcPlaceholder);
    const QRect page = MapDialogRect(QRect(0, 0, m_rcPlaceholder.right() + m_rcPlaceholder.left() + 1,
                                           m_rcPlaceholder.bottom() + m_rcPlaceholder.top() + 1));
    const int rightGap = page.width() - place.right() - 1;
    const int bottomGap = page.height() - place.bottom() - 1;
    m_pWndDiagram->setGeometry(place.left(), place.top(), std::max(0, cx - place.left() - rightGap),
                               std::max(0, cy - place.top() - bottomGap));
}

void CLoopDiagramPage::Redraw()
{
    m_pWndDiagram->viewport()->update();
}

void CLoopDiagramPage::RebuildDiagram(int nMode, bool bCreateSelector)
{
    DiagramScene *diagram = Diagram();
    diagram->SetFillBrush(diagram_colours::kWhite);
    // The controls of the boxes about to go must not report their end as a commit.
    for (int i = 1; i < diagram->GetCount(); ++i)
        if (auto *c = dynamic_cast<CBCGPDiagramControlObject *>(diagram->GetAt(i)))
            if (QWidget *w = c->GetControl())
                w->blockSignals(true);
    diagram->RemoveAllConnectors(false);
    for (int i = diagram->GetCount() - 1; i >= 1; --i)
        if (DiagramShape *s = diagram->GetAt(i))
            diagram->Remove(s->GetItemID(), false);
    ++m_nGeneration;

    if (bCreateSelector) {
        auto *selector = new CBCGPComboboxDiagramControlObject(
            SelectorRect(), diagram_colours::kWhite, diagram_colours::kSeaGreen, diagram_colours::kShadowGrey);
        selector->m_bShowControl = true;
        selector->m_dblMarginTop = 20;
        selector->m_dblMarginBottom = 1;
        selector->m_dblMarginLeft = 5;
        selector->m_dblMarginRight = 5;
        selector->SetID(kSelectorId);
        diagram->AddItem(selector, true);
        if (auto *combo = qobject_cast<QComboBox *>(selector->GetControl())) {
            const QStringList entries = SelectorEntries();
            for (int i = 0; i < entries.size(); ++i) {
                combo->addItem(TrText(entries[i]), i);
                if (i == 0)
                    combo->setCurrentIndex(0);
            }
        }
    }

    setUpdatesEnabled(false);
    const bool built = BuildModeDiagram(nMode);
    setUpdatesEnabled(true);
    if (built)
        AfterBuild();
    Redraw();
}

std::optional<QString> CLoopDiagramPage::BoxUnit(int editId) const
{
    const std::vector<WORD> registers = RegistersOf(editId);
    if (registers.empty())
        return std::nullopt;
    CDBDataParameter record;
    CSysParam *sys = GetSysParam();
    if (!sys || !sys->FindParamByCode(QString::asprintf("P%04X", registers.front()), &record))
        return QString();
    return record.sUnit.trimmed();
}

QComboBox *CLoopDiagramPage::SelectorCombo() const
{
    auto *selector = dynamic_cast<CBCGPDiagramControlObject *>(Diagram()->GetItem(1));
    return selector ? qobject_cast<QComboBox *>(selector->GetControl()) : nullptr;
}

QLineEdit *CLoopDiagramPage::BoxEdit(int editId) const
{
    const auto it = m_mapEditItem.find(editId);
    if (it == m_mapEditItem.end())
        return nullptr;
    auto *box = dynamic_cast<CBCGPDiagramControlObject *>(Diagram()->GetItem(it->second));
    return box ? qobject_cast<QLineEdit *>(box->GetControl()) : nullptr;
}

int CLoopDiagramPage::CurrentMode() const
{
    DiagramShape *selector = Diagram()->GetItem(1);
    if (!selector)
        return 0;
    KLOG(m_pszLogSource) << static_cast<const void *>(selector);
    QComboBox *combo = SelectorCombo();
    return combo ? combo->currentIndex() : 0;
}

LRESULT CLoopDiagramPage::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam)
{
    switch (msg) {
    case UM_DIAGRAM_MODE_CHANGED:
        return OnDiagramModeChanged();
    case UM_DIAGRAM_EDIT_CHANGED:
        return OnDiagramEditChanged(static_cast<int>(wParam));
    case UM_DIAGRAM_EDIT_COMMITTED:
        return OnDiagramEditCommitted(static_cast<int>(wParam));
    case UM_DIAGRAM_WRITE_DONE:
        OnWriteDone();
        return 0;
    default:
        return CDialogExMid::WindowProc(msg, wParam, lParam);
    }
}

LRESULT CLoopDiagramPage::OnDiagramModeChanged()
{
    DiagramShape *selector = Diagram()->GetItem(1);
    if (!selector)
        return 0;
    KLOG(m_pszLogSource) << static_cast<const void *>(selector);
    QComboBox *combo = SelectorCombo();
    if (!combo || combo->currentIndex() < 0)
        return 0;
    RebuildDiagram(combo->currentData().toInt(), false);
    Redraw();
    return 0;
}

LRESULT CLoopDiagramPage::OnDiagramEditChanged(int id)
{
    // A change is only typing: the value goes to the drive when the box is committed.
    CurrentMode();
    Q_UNUSED(id);
    return 0;
}

LRESULT CLoopDiagramPage::OnDiagramEditCommitted(int id)
{
    const int mode = CurrentMode();
    if (id < kFirstEditId || id > m_nLastEditId || mode < 0)
        return 0;
    QLineEdit *edit = BoxEdit(id);
    if (!edit || edit->isReadOnly())
        return 0;
    const std::vector<WORD> registers = RegistersOf(id);
    const QString text = edit->text();
    if (registers.empty() || text.isEmpty())
        return 0;

    long value = 0;
    CSysParam *sys = GetSysParam();
    for (WORD reg : registers) {
        const QString code = QString::asprintf("P%04X", reg);
        CDBDataParameter record;
        if (!sys || !sys->FindParamByCode(code, &record)) {
            platform::Ui().MessageBox(TrText(QStringLiteral("参数表中没有 %1。")).arg(code),
                                      TrText(QStringLiteral("提示")), MB_OK, this);
            return 0;
        }
        long lo = 0, hi = 0;
        RecordRange(record, &lo, &hi);
        if (ParseBoxText(text, lo, hi, &value) != BoxText::Ok) {
            platform::Ui().MessageBox(
                TrText(QStringLiteral("请输入 %1 到 %2 之间的整数。")).arg(lo).arg(hi),
                TrText(QStringLiteral("提示")), MB_OK, this);
            return 0;
        }
    }
    m_writer.Write(id, m_nGeneration, registers, static_cast<WORD>(value & 0xFFFF));
    return 0;
}

void CLoopDiagramPage::OnWriteDone()
{
    const auto outcome = Payload<BoxWriteOutcome>();
    if (!outcome || outcome->generation != m_nGeneration)
        return;
    if (QLineEdit *edit = BoxEdit(outcome->id))
        MarkBox(edit, !outcome->Ok(), outcome->lastError);
}

void CLoopDiagramPage::MarkBox(QLineEdit *edit, bool failed, DWORD error)
{
    edit->setProperty(kFailedProperty, failed);
    if (failed) {
        edit->setStyleSheet(QStringLiteral("QLineEdit { border: 2px solid red; }"));
        edit->setToolTip(TrText(QStringLiteral("写入失败，错误代码 0x%1"))
                             .arg(static_cast<qulonglong>(error), 4, 16, QLatin1Char('0')));
    } else {
        edit->setStyleSheet(QString());
        edit->setToolTip(QString());
    }
}
