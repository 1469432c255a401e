#include "Wnds/scope/DISelecDlg.h"

#include "LangText.h"
#include "SYSPARAM/SysParam.h"
#include "Wnds/scope/ScopePanelLogic.h"
#include "platform/ControlId.h"

#include <QCheckBox>
#include <QPushButton>

namespace {

constexpr COLORREF kDiColours[10] = {RGB(0, 255, 128),   RGB(0, 128, 255), RGB(255, 128, 128),
                                     RGB(255, 0, 128),   RGB(0, 64, 240),  RGB(165, 42, 0),
                                     RGB(150, 45, 255),  RGB(255, 128, 0), RGB(64, 128, 128),
                                     RGB(255, 0, 255)};
constexpr COLORREF kDoColours[8] = {RGB(139, 139, 0), RGB(50, 205, 50),   RGB(255, 255, 0),
                                    RGB(0, 147, 0),   RGB(255, 0, 0),     RGB(128, 255, 255),
                                    RGB(255, 0, 255), RGB(64, 128, 128)};

UINT NamesMessage()
{
    static const UINT msg = platform::RegisterWindowMessage(QStringLiteral("KORVANE_SCOPE_IO_NAMES"));
    return msg;
}

}

CIoSelecDlg::CIoSelecDlg(int nIDD, bool bDO, QWidget *pParent, DWORD mask)
    : CDialogExMid(nIDD, pParent), m_dwMask(mask), m_bDO(bDO), m_worker(this, "DI/DO names")
{
    m_strLangSection = bDO ? QStringLiteral("CDOSelecDlg") : QStringLiteral("CDISelecDlg");
    setWindowTitle(bDO ? QStringLiteral("DO通道选择") : QStringLiteral("DI通道选择"));
    resize(MapDialogRect(QRect(0, 0, 271, 142)).size());
    const int n = TerminalCount(bDO);
    const int firstId = bDO ? CDOSelecDlg::kFirstBox : CDISelecDlg::kFirstBox;
    const int y0 = bDO ? 9 : 7;
    const int dy = bDO ? 16 : 13;
    for (int i = 0; i < n; ++i) {
        auto *box = new QCheckBox(this);
        platform::SetCtrlId(box, firstId + i);
        box->setGeometry(MapDialogRect(QRect(12, y0 + dy * i, 180, 10)));
        m_boxes << box;
        m_setNoTranslateIds.insert(static_cast<UINT>(firstId + i));
    }
    auto *ok = new QPushButton(QStringLiteral("确 定"), this);
    platform::SetCtrlId(ok, IDOK);
    ok->setGeometry(MapDialogRect(QRect(207, 7, 50, 14)));
    ok->setDefault(true);
    auto *cancel = new QPushButton(QStringLiteral("取 消"), this);
    platform::SetCtrlId(cancel, IDCANCEL);
    cancel->setGeometry(MapDialogRect(QRect(207, 26, 50, 14)));
    connect(ok, &QPushButton::clicked, this, [this] { OnOK(); });
    connect(cancel, &QPushButton::clicked, this, [this] { OnCancel(); });
}

COLORREF CIoSelecDlg::TerminalColour(bool bDO, int terminal)
{
    if (bDO)
        return terminal >= 0 && terminal < 8 ? kDoColours[terminal] : 0;
    return terminal >= 0 && terminal < 10 ? kDiColours[terminal] : 0;
}

QString CIoSelecDlg::Caption(bool bDO, int terminal, const QString &name)
{
    return (bDO ? QStringLiteral("DO%1:%2") : QStringLiteral("DI%1:%2")).arg(terminal + 1).arg(name);
}

void CIoSelecDlg::Chosen(bool bDO, DWORD mask, const QStringList &captions, QStringList &names,
                         std::vector<COLORREF> &colours)
{
    names.clear();
    colours.clear();
    for (int i = 0; i < TerminalCount(bDO) && i < captions.size(); ++i) {
        if ((mask >> i) & 1u) {
            names << captions[i];
            colours.push_back(TerminalColour(bDO, i));
        }
    }
}

QCheckBox *CIoSelecDlg::Box(int terminal) const
{
    return terminal >= 0 && terminal < m_boxes.size() ? m_boxes[terminal] : nullptr;
}

bool CIoSelecDlg::NamesPending() const
{
    return m_bPending;
}

bool CIoSelecDlg::OnInitDialog()
{
    CDialogExMid::OnInitDialog();
    const int n = static_cast<int>(m_boxes.size());
    const WORD first = m_bDO ? 0x0400 : 0x0302;
    m_terminals.assign(static_cast<std::size_t>(n), Terminal());
    for (int i = 0; i < n; ++i)
        m_terminals[static_cast<std::size_t>(i)].nAddress = first + 2 * i;

    CSysParam *sys = GetSysParam();
    if (!sys || !sys->m_bConnected) {
        const QString format = LoadLangString(m_bDO ? QStringLiteral("IDS_DOSelecDlg_6")
                                                    : QStringLiteral("IDS_DISelecDlg_6"));
        for (int i = 0; i < n; ++i)
            m_terminals[static_cast<std::size_t>(i)].strCaption =
                FillLangPlaces(format, {QString::number(i + 1)});
    } else {
        SetCaptions(QStringList());
        m_bPending = true;
        const QString code = m_bDO ? QStringLiteral("H0400") : QStringLiteral("H0302");
        const platform::WindowRef self(this);
        const UINT done = NamesMessage();
        m_worker.Start([first, n, code, self, done](const std::atomic<bool> &stop) {
            auto names = std::make_shared<QStringList>(scopepanel::ReadIoFunctionNames(first, n, code, stop));
            platform::PostMessage(self, done, 0, 0, names);
        });
    }
    for (int i = 0; i < n; ++i) {
        m_boxes[i]->setText(m_terminals[static_cast<std::size_t>(i)].strCaption);
        m_boxes[i]->setChecked((m_dwMask >> i) & 1u);
    }
    if (!m_bDO)
        TranslateDialog(this, m_nIDD);
    return true;
}

void CIoSelecDlg::SetCaptions(const QStringList &names)
{
    for (int i = 0; i < static_cast<int>(m_terminals.size()); ++i) {
        const QString name = i < names.size() ? names[i] : QString();
        m_terminals[static_cast<std::size_t>(i)].strCaption = Caption(m_bDO, i, name);
        if (QCheckBox *b = Box(i))
            b->setText(m_terminals[static_cast<std::size_t>(i)].strCaption);
    }
}

LRESULT CIoSelecDlg::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg == NamesMessage()) {
        if (auto names = Payload<QStringList>())
            SetCaptions(*names);
        m_bPending = false;
        if (m_bOkWhenNamed) {
            m_bOkWhenNamed = false;
            OnOK();
        }
        return 0;
    }
    return CDialogExMid::WindowProc(msg, wParam, lParam);
}

void CIoSelecDlg::OnOK()
{
    // The selection carries the terminals' names: an OK before they came closes the dialog
    // once they are there (the read gives up by itself on a silent drive).
    if (m_bPending) {
        m_bOkWhenNamed = true;
        if (QWidget *ok = platform::FindCtrl(this, IDOK))
            ok->setEnabled(false);
        return;
    }
    QStringList captions;
    for (int i = 0; i < static_cast<int>(m_boxes.size()); ++i) {
        if (m_boxes[i]->isChecked())
            m_dwMask |= 1u << i;
        else
            m_dwMask &= ~(1u << i);
        captions << m_terminals[static_cast<std::size_t>(i)].strCaption;
    }
    Chosen(m_bDO, m_dwMask, captions, m_arrSelNames, m_arrSelColours);
    CDialogExMid::OnOK();
}
