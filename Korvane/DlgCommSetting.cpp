#include "DlgCommSetting.h"

#include "AppFlags.h"
#include "LangText.h"
#include "SYSPARAM/SysParam.h"
#include "platform/ControlId.h"
#include "platform/LanguageConf.h"

#include <QComboBox>
#include <QFileInfo>
#include <QLabel>
#include <QPushButton>
#include <QRegularExpression>

#include <cerrno>
#include <mutex>

namespace {

const char *const kBauds[] = {"2400", "4800", "9600", "19200", "38400", "57600", "115200"};
const char *const kProtocols[] = {"8-N-2", "8-E-1", "8-O-1", "8-N-1"};

// COM numbers stay meaningful for the on-board ports: /dev/ttyS0 is COM1.
int ComNumOfPath(const QString &path, int current)
{
    static const QRegularExpression ttyS(QStringLiteral("^/dev/ttyS(\\d+)$"));
    const QRegularExpressionMatch m = ttyS.match(path);
    return m.hasMatch() ? m.captured(1).toInt() + 1 : current;
}

void SelectStartingWith(QComboBox *box, const QString &prefix)
{
    for (int i = 0; i < box->count(); ++i) {
        if (box->itemText(i).startsWith(prefix, Qt::CaseInsensitive)) {
            box->setCurrentIndex(i);
            return;
        }
    }
}

}

CDlgCommSetting::CDlgCommSetting(QWidget *pParent)
    : CDialogExMid(IDD, pParent), m_worker(this, "communication check")
{
    m_strLangSection = QStringLiteral("CDlgCommSetting");
    setWindowTitle(QStringLiteral("通信设置"));
    resize(MapDialogRect(QRect(0, 0, 316, 167)).size());
    m_fnListDevices = [] { return platform::ListSerialDevices(); };

    const struct
    {
        int labelId;
        const char *label;
        int boxId;
        QComboBox **box;
    } rows[] = {
        {IDC_STATION_LABEL, "站    号:", IDC_STATION, &m_cmbStation},
        {IDC_PORT_LABEL, "通信端口:", IDC_PORT, &m_cmbPort},
        {IDC_BAUD_LABEL, "波 特 率:", IDC_BAUD, &m_cmbBaud},
        {IDC_PROTOCOL_LABEL, "通信协议:", IDC_PROTOCOL, &m_cmbProtocol},
    };
    int y = 14;
    for (const auto &row : rows) {
        auto *label = new QLabel(QString::fromUtf8(row.label), this);
        platform::SetCtrlId(label, row.labelId);
        label->setGeometry(MapDialogRect(QRect(20, y + 2, 70, 12)));
        auto *box = new QComboBox(this);
        platform::SetCtrlId(box, row.boxId);
        box->setGeometry(MapDialogRect(QRect(95, y, 200, 14)));
        *row.box = box;
        y += 26;
    }
    m_cmbPort->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);

    m_btnOpen = new QPushButton(QStringLiteral("打开串口"), this);
    platform::SetCtrlId(m_btnOpen, IDC_OPEN);
    m_btnOpen->setGeometry(MapDialogRect(QRect(95, 122, 90, 18)));
    m_btnOpen->setDefault(true);
    m_btnBack = new QPushButton(QStringLiteral("返回"), this);
    platform::SetCtrlId(m_btnBack, IDC_BACK);
    m_btnBack->setGeometry(MapDialogRect(QRect(205, 122, 90, 18)));

    connect(m_btnOpen, &QPushButton::clicked, this, [this] { OnOpenPort(); });
    connect(m_btnBack, &QPushButton::clicked, this, [this] { OnCancel(); });

    m_nDoneMsg = platform::RegisterWindowMessage(QStringLiteral("KORVANE_COMM_CHECK_DONE"));
}

CDlgCommSetting::~CDlgCommSetting()
{
    m_worker.Stop();
}

bool CDlgCommSetting::OnInitDialog()
{
    CDialogExMid::OnInitDialog();
    FillPortList();

    const CSysParam *sys = GetSysParam();
    m_cmbBaud->clear();
    for (const char *b : kBauds)
        m_cmbBaud->addItem(QString::fromLatin1(b));
    m_cmbBaud->setCurrentIndex(-1);
    if (sys)
        SelectStartingWith(m_cmbBaud, QString::asprintf("%d", sys->m_nComBaud));

    m_cmbProtocol->clear();
    for (const char *p : kProtocols)
        m_cmbProtocol->addItem(QString::fromLatin1(p));
    m_cmbProtocol->setCurrentIndex(-1);
    if (sys)
        SelectStartingWith(m_cmbProtocol, sys->m_strProtocol);

    TranslateDialog(this, IDD);
    m_strOpenText = m_btnOpen->text();
    return true;
}

void CDlgCommSetting::FillPortList()
{
    const CSysParam *sys = GetSysParam();
    FillSerialPortList(m_cmbPort, m_fnListDevices ? m_fnListDevices() : std::vector<platform::SerialDevice>{},
                       sys ? sys->GetDevicePath() : QString());
}

void FillSerialPortList(QComboBox *box, const std::vector<platform::SerialDevice> &devices, const QString &configured)
{
    box->clear();
    const QString configuredNode = QFileInfo(configured).canonicalFilePath();
    int select = -1;
    for (const platform::SerialDevice &d : devices) {
        box->addItem(d.label, d.path);
        const bool same = d.path == configured ||
                          (!configuredNode.isEmpty() && QFileInfo(d.path).canonicalFilePath() == configuredNode);
        if (same && select < 0)
            select = box->count() - 1;
    }
    if (select < 0 && !configured.isEmpty()) {
        box->addItem(configured, configured);
        select = box->count() - 1;
    }
    if (box->count() > 0)
        box->setCurrentIndex(select < 0 ? 0 : select);
}

void CDlgCommSetting::SetBusy(bool busy)
{
    m_bBusy = busy;
    for (QWidget *w : {static_cast<QWidget *>(m_cmbStation), static_cast<QWidget *>(m_cmbPort),
                       static_cast<QWidget *>(m_cmbBaud), static_cast<QWidget *>(m_cmbProtocol),
                       static_cast<QWidget *>(m_btnOpen), static_cast<QWidget *>(m_btnBack)})
        w->setEnabled(!busy);
    if (busy) {
        m_strOpenText = m_btnOpen->text();
        m_btnOpen->setText(TrSection(m_strLangSection, QStringLiteral("正在连接...")));
        setCursor(Qt::BusyCursor);
    } else {
        m_btnOpen->setText(m_strOpenText);
        unsetCursor();
    }
}

void CDlgCommSetting::OnOpenPort()
{
    CSysParam *sys = GetSysParam();
    if (m_bBusy || !sys)
        return;

    const QString device = m_cmbPort->currentIndex() >= 0 ? m_cmbPort->currentData().toString() : QString();
    bool baudOk = false;
    const int baud = m_cmbBaud->currentText().toInt(&baudOk);
    const QString protocol = m_cmbProtocol->currentIndex() >= 0 ? m_cmbProtocol->currentText() : sys->m_strProtocol;

    // The choice is kept for the next save even when the device does not open.
    if (!device.isEmpty()) {
        sys->m_strDevicePath = device;
        sys->m_nComNum = ComNumOfPath(device, sys->m_nComNum);
    }
    if (baudOk)
        sys->m_nComBaud = baud;
    sys->m_strProtocol = protocol;
    const int nBaud = sys->m_nComBaud;
    const int parity = CSysParam::ParityOfProtocol(protocol);
    const int stopBits = CSysParam::StopBitsOfProtocol(protocol);

    SetBusy(true);
    const platform::WindowRef self(this);
    const UINT done = m_nDoneMsg;
    m_worker.Start([sys, device, nBaud, parity, stopBits, self, done](const std::atomic<bool> &) {
        auto outcome = std::make_shared<Outcome>();
        outcome->device = device;
        {
            std::lock_guard lock(sys->m_csSerial);
            if (sys->m_SeriesPort.m_bOpen)
                sys->m_SeriesPort.Close();
            outcome->opened = !device.isEmpty() &&
                              sys->m_SeriesPort.Open(QFile::encodeName(device).toStdString(), nBaud, parity, stopBits);
            outcome->openError = device.isEmpty() ? CSeriesPort::kOpenNotFound : sys->m_SeriesPort.m_dwLastError;
            outcome->openErrno = device.isEmpty() ? ENOENT : sys->m_SeriesPort.m_nLastErrno;
        }
        if (outcome->opened)
            outcome->connected = sys->CheckConnection() != FALSE;
        platform::PostMessage(self, done, 0, 0, outcome);
    });
}

std::pair<QString, QString> CDlgCommSetting::OpenFailureMessage(const Outcome &outcome)
{
    QString key;
    switch (outcome.openError) {
    case CSeriesPort::kOpenNotFound: key = QStringLiteral("IDS_DlgCommSetting_11"); break;
    case CSeriesPort::kOpenInUse:
        key = outcome.openErrno == EACCES || outcome.openErrno == EPERM ? QStringLiteral("IDS_DlgCommSetting_12")
                                                                        : QStringLiteral("IDS_DlgCommSetting_9");
        break;
    case CSeriesPort::kOpenSetupFailed: key = QStringLiteral("IDS_DlgCommSetting_13"); break;
    default: key = QStringLiteral("IDS_DlgCommSetting_14"); break;
    }
    QString text = FillLangPlaces(LoadLangString(key), {outcome.device});
    if (outcome.openError == CSeriesPort::kOpenOtherError && outcome.openErrno != 0)
        text += QStringLiteral(" (%1)").arg(QString::fromLocal8Bit(strerror(outcome.openErrno)));
    return {text, LoadLangString(QStringLiteral("IDS_DlgCommSetting_10"))};
}

void CDlgCommSetting::OnOutcome(const Outcome &outcome)
{
    SetBusy(false);
    CSysParam *sys = GetSysParam();
    CAppFlags *flags = GetAppFlags();
    if (!outcome.opened) {
        if (sys)
            sys->m_bConnected = FALSE;
        flags->m_bOnline = FALSE;
        const auto [text, caption] = OpenFailureMessage(outcome);
        ShowBCGMessageBox(this, text, caption, MB_OK | MB_ICONERROR);
        return;
    }
    if (!outcome.connected) {
        ShowBCGMessageBox(this, LoadLangString(QStringLiteral("IDS_DlgCommSetting_7")),
                          LoadLangString(QStringLiteral("IDS_DlgCommSetting_8")), MB_OK | MB_ICONINFORMATION);
        flags->m_bOnline = FALSE;
        return;
    }
    ShowBCGMessageBox(this, LoadLangString(QStringLiteral("IDS_DlgCommSetting_4")),
                      LoadLangString(QStringLiteral("IDS_DlgCommSetting_5")), MB_OK | MB_ICONINFORMATION);
    flags->m_bOnline = TRUE;
    OnOK();
}

void CDlgCommSetting::OnCancel()
{
    // The try in progress owns the port until it reports.
    if (m_bBusy)
        return;
    CDialogExMid::OnCancel();
}

LRESULT CDlgCommSetting::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg == m_nDoneMsg && msg != 0) {
        if (auto outcome = Payload<Outcome>())
            OnOutcome(*outcome);
        return 0;
    }
    return CDialogExMid::WindowProc(msg, wParam, lParam);
}
