#include "DialogExMid.h"

#include "UserCtrlDefValue.h"
#include "platform/ControlWalk.h"
#include "platform/ControlId.h"
#include "platform/IniFile.h"
#include "platform/LanguageConf.h"
#include "platform/UiServices.h"
#include "platform/WindowText.h"
#include "platform/grid/Grid.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QTextEdit>

#include <algorithm>

namespace {

// ---- language library and ini files
unsigned LanguageNumber()
{
    return platform::CLanguageConf::GetTheOne()->Get();
}

QString TranslateForControl(const QString &section, int key, const QString &currentText)
{
    return platform::GetSqlite()->TranslateControl(section, key, currentText);
}

int ProfileInt(const QString &file, const QString &section, const QString &key, int def)
{
    return platform::IniFile::GetInt(file, section, key, def);
}

void WriteProfileInt(const QString &file, const QString &section, const QString &key, int value)
{
    platform::IniFile::WriteInt(file, section, key, value);
}

// ----

const QString kKeyPosX = QStringLiteral("PosX");
const QString kKeyPosY = QStringLiteral("PosY");
const QString kKeySizeCX = QStringLiteral("SizeCX");
const QString kKeySizeCY = QStringLiteral("SizeCY");
const QString kKeyMaxFlag = QStringLiteral("MaxFlag");
const QString kKeyMinFlag = QStringLiteral("MinFlag");
constexpr int kNoPlacement = -5000;

QRect VirtualScreen()
{
    QScreen *s = QGuiApplication::primaryScreen();
    return s ? s->virtualGeometry() : QRect(0, 0, 1920, 1080);
}

}

CDialogExMid::CDialogExMid(int nIDTemplate, QWidget *pParent)
    : QDialog(pParent), MessageTarget(this), m_nIDD(nIDTemplate)
{
}

CDialogExMid::~CDialogExMid()
{
    if (m_bCreated)
        CDialogExMid::OnDestroy();
}

bool CDialogExMid::IsPage() const
{
    return !isWindow();
}

bool CDialogExMid::Create(QWidget *pParent)
{
    if (m_bCreated)
        return false;
    if (pParent)
        setParent(pParent, Qt::Widget);
    m_bModal = false;
    m_bCreated = true;
    OnInitDialog();
    return true;
}

int CDialogExMid::DoModal()
{
    m_bModal = true;
    m_nModalResult = IDCANCEL;
    m_bCreated = true;
    OnInitDialog();
    setModal(true);
    QDialog::exec();
    const int result = m_nModalResult;
    DestroyWindow();
    m_bModal = false;
    return result;
}

void CDialogExMid::EndDialog(int nResult)
{
    if (m_bModal) {
        m_nModalResult = nResult;
        m_bEnding = true;
        QDialog::done(nResult);
        m_bEnding = false;
    } else if (!IsPage()) {
        hide();
    }
    // A page belongs to the view, which alone shows and hides it.
}

void CDialogExMid::DestroyWindow()
{
    // A window with workers of its own ends them here: its mailbox goes first, so that a
    // worker waiting on the window is released, then the workers are stopped and joined.
    if (HasWorkers())
        StopWorkersForGood();
    if (!m_bCreated)
        return;
    OnDestroy();
    m_bCreated = false;
    hide();
}

void CDialogExMid::accept()
{
    OnOK();
}

void CDialogExMid::reject()
{
    OnCancel();
}

void CDialogExMid::done(int r)
{
    if (m_bEnding)
        QDialog::done(r);
    else
        EndDialog(r);
}

LRESULT CDialogExMid::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam)
{
    switch (msg) {
    case UM_IDENTIFY:
        return kIdentifyAnswer;
    case UM_STOP_TIMER:
        KillTimer(static_cast<UINT_PTR>(m_nTimerID));
        return 0;
    case UM_START_TIMER:
        if (m_nTimerID != -1)
            SetTimer(static_cast<UINT_PTR>(m_nTimerID), m_nElapse);
        return 0;
    case WM_INITMENUPOPUP:
        UpdateMenuCommands(reinterpret_cast<QMenu *>(wParam));
        return 0;
    default:
        return MessageTarget::WindowProc(msg, wParam, lParam);
    }
}

bool CDialogExMid::OnInitDialog()
{
    ApplyStoredPlacement();
    if (m_bCenterIfUnplaced && m_ptStored.x() < -4999 && m_ptStored.y() < -4999)
        CenterWindow();
    if (m_bRememberPos && !m_strIniFile.isEmpty()) {
        if (m_bRememberMin && (ProfileInt(m_strIniFile, m_strIniSection, kKeyMinFlag, 0) & 1))
            ShowStoredState(SW_MINIMIZE);
        if (m_bRememberMax && ProfileInt(m_strIniFile, m_strIniSection, kKeyMaxFlag, 0) != 0)
            ShowStoredState(SW_SHOWMAXIMIZED);
    }
    const int language = static_cast<int>(CurrentLanguage());
    if (m_bForceTranslate || language != m_nAppliedLanguage || !m_bTranslated) {
        m_bTranslated = true;
        TranslateControls();
        m_nAppliedLanguage = language;
    }
    return true;
}

void CDialogExMid::OnOK()
{
    if (!isMinimized() && !isMaximized())
        SaveWindowPos();
    SaveMaxFlag();
    SaveMinFlag();
    EndDialog(IDOK);
}

void CDialogExMid::OnCancel()
{
    if (!isMinimized() && !isMaximized())
        SaveWindowPos();
    SaveMaxFlag();
    SaveMinFlag();
    EndDialog(IDCANCEL);
}

void CDialogExMid::OnClose()
{
    if (!isMinimized() && !isMaximized())
        SaveWindowPos();
    SaveMaxFlag();
    SaveMinFlag();
    if (m_bModal)
        EndDialog(IDCANCEL);
    else
        DestroyWindow();
}

void CDialogExMid::ShowStoredState(int nCmdShow)
{
    if (nCmdShow == SW_HIDE && !isMinimized() && !isMaximized())
        SaveWindowPos();
    switch (nCmdShow) {
    case SW_HIDE:
        hide();
        break;
    case SW_MINIMIZE:
    case SW_SHOWMINIMIZED:
        showMinimized();
        break;
    case SW_SHOWMAXIMIZED:
        showMaximized();
        break;
    case SW_SHOWNORMAL:
    case SW_RESTORE:
        showNormal();
        break;
    default:
        show();
        break;
    }
}

unsigned CDialogExMid::CurrentLanguage()
{
    return LanguageNumber();
}

QString CDialogExMid::LookupControlText(int nKey, const QString &currentText)
{
    return TranslateForControl(m_strLangSection, nKey, currentText);
}

bool CDialogExMid::TranslateControls()
{
    if (!m_bTranslateEnabled)
        return true;
    const QString caption = windowTitle();
    if (!caption.isEmpty() && m_bTranslateCaption) {
        if (m_strLangSection.isEmpty())
            return false;
        setWindowTitle(LookupControlText(kCaptionTextKey, caption));
    }
    TranslateChildControls(this, m_setNoTranslateIds,
                           [this](int key, const QString &text) { return LookupControlText(key, text); });
    return true;
}

void CDialogExMid::resizeEvent(QResizeEvent *e)
{
    QDialog::resizeEvent(e);
    OnSize(width(), height());
}

void CDialogExMid::OnSize(int cx, int cy)
{
    update();
    RelayoutControls(QRect(0, 0, cx, cy));
}

void CDialogExMid::OnDestroy()
{
    SaveWindowPos();
    if (m_bRememberValues)
        CaptureRememberedValues();
    ClearLayout();
}

void CDialogExMid::CaptureRememberedValues()
{
    CUserCtrlDefValueList *store = CUserCtrlDefValueList::GetInstance();
    // The controls by id, found by the same walk that re-texts them (the first of an id wins).
    std::map<int, QWidget *> byId;
    platform::ForEachControl(this, [&byId](QWidget *w) {
        const int id = platform::GetCtrlId(w);
        if (id != platform::kNoCtrlId)
            byId.emplace(id, w);
    });
    for (CUserCtrlDefValue *entry : store->Entries()) {
        if (entry->m_nDlgID != m_nIDD)
            continue;
        const int ctrl = entry->m_nCtrlID;
        const auto found = byId.find(ctrl);
        if (found == byId.end())
            continue;
        QWidget *w = found->second;
        if (qobject_cast<QLineEdit *>(w) || qobject_cast<QTextEdit *>(w) || qobject_cast<QPlainTextEdit *>(w)) {
            store->SetValue(m_nIDD, ctrl, kCtrlKindEdit, platform::GetWindowText(w));
        } else if (auto *combo = qobject_cast<QComboBox *>(w)) {
            store->SetValue(m_nIDD, ctrl, kCtrlKindCombo, combo->currentText());
        } else if (auto *button = qobject_cast<QAbstractButton *>(w)) {
            QString value;
            if (auto *check = qobject_cast<QCheckBox *>(button))
                value = check->checkState() == Qt::Checked ? "1" : (check->checkState() == Qt::PartiallyChecked ? "2" : "0");
            else if (qobject_cast<QRadioButton *>(button))
                value = button->isChecked() ? "1" : "0";
            else
                value = button->text();
            store->SetValue(m_nIDD, ctrl, kCtrlKindButton, value);
        } else if (auto *label = qobject_cast<QLabel *>(w)) {
            store->SetValue(m_nIDD, ctrl, kCtrlKindStatic, label->text());
        }
    }
}

int CDialogExMid::ShowBCGMessageBox(QWidget *pOwner, const QString &text, const QString &caption, UINT nType)
{
    return platform::Ui().MessageBox(text, caption, nType, pOwner);
}

// ---- placement

bool CDialogExMid::LoadPlacementFromIni()
{
    if (m_strIniFile.isEmpty())
        return false;
    int x = m_ptStored.x(), y = m_ptStored.y();
    if (m_bRememberPos) {
        x = ProfileInt(m_strIniFile, m_strIniSection, kKeyPosX, kNoPlacement);
        y = ProfileInt(m_strIniFile, m_strIniSection, kKeyPosY, kNoPlacement);
        m_ptStored = QPoint(x, y);
        if (x == kNoPlacement || y == kNoPlacement)
            return false;
    }
    if (m_bRememberSize) {
        const bool haveDefault = m_sizeDefault.width() >= 0 && m_sizeDefault.height() >= 0;
        const int cx = ProfileInt(m_strIniFile, m_strIniSection, kKeySizeCX,
                                  haveDefault ? m_sizeDefault.width() : kNoPlacement);
        const int cy = ProfileInt(m_strIniFile, m_strIniSection, kKeySizeCY,
                                  haveDefault ? m_sizeDefault.height() : kNoPlacement);
        m_sizeStored = QSize(cx, cy);
    }
    const QRect screen = VirtualScreen();
    return x <= screen.width() && y <= screen.height();
}

void CDialogExMid::ApplyStoredPlacement()
{
    if (!LoadPlacementFromIni())
        return;
    const QPoint at = m_bRememberPos ? m_ptStored : pos();
    if (m_bRememberSize && m_sizeStored.width() >= 0 && m_sizeStored.height() >= 0)
        setGeometry(QRect(at, m_sizeStored));
    else
        move(at);
    raise();
}

void CDialogExMid::SaveWindowPos()
{
    if (m_strIniFile.isEmpty())
        return;
    const QRect r = frameGeometry();
    if (m_bRememberPos)
        m_ptStored = r.topLeft();
    if (m_bRememberSize)
        m_sizeStored = r.size();
    SavePlacementToIni();
}

void CDialogExMid::SavePlacementToIni()
{
    if (m_strIniFile.isEmpty())
        return;
    if (m_bRememberPos) {
        WriteProfileInt(m_strIniFile, m_strIniSection, kKeyPosX, m_ptStored.x());
        WriteProfileInt(m_strIniFile, m_strIniSection, kKeyPosY, m_ptStored.y());
    }
    if (m_bRememberSize) {
        WriteProfileInt(m_strIniFile, m_strIniSection, kKeySizeCX, m_sizeStored.width());
        WriteProfileInt(m_strIniFile, m_strIniSection, kKeySizeCY, m_sizeStored.height());
    }
}

void CDialogExMid::SaveMaxFlag()
{
    if (m_bRememberPos && !m_strIniFile.isEmpty() && m_bRememberMax)
        WriteProfileInt(m_strIniFile, m_strIniSection, kKeyMaxFlag, isMaximized() ? 1 : 0);
}

void CDialogExMid::SaveMinFlag()
{
    if (m_bRememberPos && !m_strIniFile.isEmpty() && m_bRememberMin)
        WriteProfileInt(m_strIniFile, m_strIniSection, kKeyMinFlag, isMinimized() ? 1 : 0);
}

void CDialogExMid::CenterWindow()
{
    const QWidget *over = parentWidget() ? parentWidget()->window() : nullptr;
    const QRect area = over ? over->frameGeometry() : VirtualScreen();
    QRect r = frameGeometry();
    r.moveCenter(area.center());
    move(r.topLeft());
}

// ---- layout table

CLayoutItem *CDialogExMid::AddLayoutItem(int nRow, int nCol, QWidget *w, int nMarginX, int nMarginY, int nFixedCx,
                                         int nFixedCy, float fRatioX, float fRatioY)
{
    auto item = std::make_unique<CLayoutItem>();
    item->hWnd = w;
    item->nMarginX = nMarginX;
    item->nMarginY = nMarginY;
    item->nFixedCx = nFixedCx;
    item->nFixedCy = nFixedCy;
    item->fRatioX = fRatioX;
    item->fRatioY = fRatioY;
    item->cx = nFixedCx >= 0 ? nFixedCx : (w ? w->width() : 0);
    item->cy = nFixedCy >= 0 ? nFixedCy : (w ? w->height() : 0);
    CLayoutItem *raw = item.get();
    m_layout[nRow][nCol] = std::move(item);
    return raw;
}

void CDialogExMid::ClearLayout()
{
    m_layout.clear();
}

void CDialogExMid::RelayoutControls(const QRect &client)
{
    if (m_layout.empty())
        return;
    const int left = client.x();
    const int right = client.x() + client.width();
    const int bottom = client.y() + client.height();
    int rowTop = client.y();
    for (auto &[rowKey, row] : m_layout) {
        int x = left;
        int rowHeight = 0;
        bool first = true;
        for (auto &[colKey, item] : row) {
            QWidget *w = item->hWnd;
            if (!w || w->isHidden())
                continue;
            if (item->nFixedCx == -1)
                item->cx = static_cast<int>((right - x) * item->fRatioX - item->nMarginX);
            if (item->nFixedCy == -1)
                item->cy = static_cast<int>((bottom - rowTop) * item->fRatioY - item->nMarginY);
            int placeX;
            if (first) {
                x += item->nMarginX;
                placeX = x;
                first = false;
            } else if (item->cx * 0.8 > right - x) {
                rowTop += rowHeight + 5;
                x = left;
                placeX = x;
            } else {
                placeX = x + item->nMarginX;
            }
            w->setGeometry(placeX, rowTop + item->nMarginY, item->cx, item->cy);
            x = placeX + item->cx;
            rowHeight = std::max(rowHeight, item->nMarginY + item->cy);
        }
        rowTop += rowHeight;
    }
}

// ---- keyboard and mouse

void CDialogExMid::keyPressEvent(QKeyEvent *e)
{
    switch (e->key()) {
    case Qt::Key_Escape:
        e->accept();  // never closes a dialog or a page
        return;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        // A default push button takes Enter; else it is the dialog's OK.
        e->accept();
        for (QPushButton *b : findChildren<QPushButton *>()) {
            if (b->isDefault() && b->isVisible()) {
                if (b->isEnabled())
                    b->click();
                return;
            }
        }
        OnOK();
        return;
    default:
        QDialog::keyPressEvent(e);
    }
}

void CDialogExMid::mousePressEvent(QMouseEvent *e)
{
    if (m_bDragClientArea && isWindow() && e->button() == Qt::LeftButton) {
        m_bDragging = true;
        m_dragOffset = e->globalPosition().toPoint() - frameGeometry().topLeft();
        e->accept();
        return;
    }
    QDialog::mousePressEvent(e);
}

void CDialogExMid::mouseMoveEvent(QMouseEvent *e)
{
    if (m_bDragging) {
        move(e->globalPosition().toPoint() - m_dragOffset);
        e->accept();
        return;
    }
    QDialog::mouseMoveEvent(e);
}

void CDialogExMid::mouseReleaseEvent(QMouseEvent *e)
{
    if (m_bDragging && e->button() == Qt::LeftButton) {
        m_bDragging = false;
        e->accept();
        return;
    }
    QDialog::mouseReleaseEvent(e);
}

// ---- command updates

void CDialogExMid::SetCommandUpdateHandler(int nID, std::function<void(platform::CmdUi &)> handler)
{
    if (handler)
        m_cmdUpdate[nID] = std::move(handler);
    else
        m_cmdUpdate.erase(nID);
}

void CDialogExMid::UpdateMenuCommands(QMenu *menu)
{
    if (!menu)
        return;
    for (qsizetype i = 0; i < menu->actions().size(); ++i) {
        QAction *a = menu->actions().at(i);
        if (a->isSeparator())
            continue;
        int id;
        if (QMenu *sub = a->menu()) {
            const QList<QAction *> subActions = sub->actions();
            id = subActions.isEmpty() ? 0 : platform::GetCommandId(subActions.front());
            if (!m_cmdUpdate.count(id)) {
                a->setEnabled(false);
                continue;
            }
        } else {
            id = platform::GetCommandId(a);
            if (!m_cmdUpdate.count(id))
                continue;
        }
        platform::CmdUi ui(id, a);
        m_cmdUpdate[id](ui);
        // The handler may have added or removed items: go on after this item wherever it is
        // now, or at its old place when it is gone.
        const qsizetype now = menu->actions().indexOf(a);
        i = now >= 0 ? now : i - 1;
    }
}

QRect CDialogExMid::MapDialogRect(const QRect &dlu)
{
    auto mapX = [](int v) { return (v * 6 + (v >= 0 ? 2 : -2)) / 4; };
    auto mapY = [](int v) { return (v * 13 + (v >= 0 ? 4 : -4)) / 8; };
    return QRect(mapX(dlu.x()), mapY(dlu.y()), mapX(dlu.width()), mapY(dlu.height()));
}

void TranslateChildControls(QWidget *dlg, const std::set<UINT> &noTranslateIds,
                            const std::function<QString(int, const QString &)> &lookup)
{
    int comboItem = 0;
    // Dialogs embedded in this one (dockers, grid pages, panels) re-text their own controls by
    // their own sections; the walk does not enter them.
    for (CDialogExMid *child : dlg->findChildren<CDialogExMid *>()) {
        if (child->isWindow())
            continue;
        QWidget *owner = child->parentWidget();
        while (owner && owner != dlg && !qobject_cast<CDialogExMid *>(owner))
            owner = owner->parentWidget();
        if (owner == dlg)
            child->TranslateControls();
    }
    platform::ForEachControl(dlg, [&](QWidget *w) {
        const int id = platform::GetCtrlId(w);
        // A tip says what the control does, in the same language as the rest of the window,
        // whatever the control shows.
        if (const QString tip = w->toolTip(); !tip.isEmpty())
            w->setToolTip(lookup(id, tip));
        if (noTranslateIds.count(static_cast<UINT>(id)))
            return;
        if (platform::IsEditControl(w))
            return;
        // A grid's column captions are texts of the program; its cells are the page's to make.
        if (auto *grid = qobject_cast<platform::GridCtrl *>(w)) {
            for (int c = 0; c < grid->GetColumnCount(); ++c) {
                const QString name = grid->GetColumnName(c);
                if (name.isEmpty())
                    continue;
                const QString caption = lookup(id, name);
                grid->SetColumnName(c, caption);
                if (grid->GetColumnWidth(c) < grid->CaptionWidth(caption))
                    grid->SetColumnWidth(c, grid->CaptionWidth(caption));
            }
        }
        if (auto *combo = qobject_cast<QComboBox *>(w)) {
            // Item by item: the entries keep their data and the selection stays where it is.
            const QSignalBlocker quiet(combo);
            for (int i = 0; i < combo->count(); ++i)
                combo->setItemText(i, lookup(kComboTextKeyBase + comboItem++, combo->itemText(i)));
            return;
        }
        // A plain frame or page has no caption; a group box has its title.
        if (platform::IsPlainContainer(w) && !qobject_cast<QGroupBox *>(w))
            return;
        const QString text = platform::GetWindowText(w);
        if (!text.isEmpty())
            platform::SetWindowText(w, lookup(id, text));
    });
}
