#pragma once
// The communication settings dialog: serial device, baud rate and frame format. Connecting
// closes and reopens the port with the chosen settings under the link lock and runs the
// connection check; both run on the dialog's worker (the check takes seconds on a silent
// drive) while the dialog shows it is busy. The dialog writes no file: the settings object
// saves the choice with its settings.
#include "DialogExMid.h"
#include "platform/PageWorker.h"
#include "platform/SerialDevices.h"
#include "platform/WinTypes.h"

#include <functional>
#include <memory>
#include <vector>

class QComboBox;
class QLabel;
class QPushButton;

class CDlgCommSetting : public CDialogExMid
{
    Q_OBJECT
public:
    static constexpr int IDD = 199;
    static constexpr int IDC_STATION = 1048;
    static constexpr int IDC_PORT = 1046;
    static constexpr int IDC_BAUD = 1047;
    static constexpr int IDC_PROTOCOL = 1049;
    static constexpr int IDC_OPEN = 1050;
    static constexpr int IDC_BACK = 1051;
    static constexpr int IDC_STATION_LABEL = 1052;
    static constexpr int IDC_PORT_LABEL = 1053;
    static constexpr int IDC_BAUD_LABEL = 1054;
    static constexpr int IDC_PROTOCOL_LABEL = 1055;

    explicit CDlgCommSetting(QWidget *pParent = nullptr);
    ~CDlgCommSetting() override;

    bool OnInitDialog() override;
    void OnCancel() override;
    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;

    // Starts connecting with the chosen settings (button 1050); nothing while a try runs.
    void OnOpenPort();
    void FillPortList();
    bool IsBusy() const { return m_bBusy; }

    // Where the port list comes from (the system's serial devices by default); the configured
    // device is offered too when the system does not list it (a pseudo-terminal, a device
    // that is not plugged in).
    std::function<std::vector<platform::SerialDevice>()> m_fnListDevices;

    QComboBox *m_cmbStation = nullptr;
    QComboBox *m_cmbPort = nullptr;
    QComboBox *m_cmbBaud = nullptr;
    QComboBox *m_cmbProtocol = nullptr;
    QPushButton *m_btnOpen = nullptr;
    QPushButton *m_btnBack = nullptr;

    // What one connection try found (posted by the worker).
    struct Outcome
    {
        bool opened = false;
        DWORD openError = 0;
        int openErrno = 0;
        bool connected = false;
        QString device;
    };

    // The message that tells the user why the device did not open (text, caption).
    static std::pair<QString, QString> OpenFailureMessage(const Outcome &outcome);

private:
    void SetBusy(bool busy);
    void OnOutcome(const Outcome &outcome);

    platform::PageWorker m_worker;
    UINT m_nDoneMsg = 0;
    bool m_bBusy = false;
    QString m_strOpenText;
};

class QComboBox;
// Fills a port list with the devices (data: the path), then the configured device when it is
// none of them; selects the configured one, else the first.
void FillSerialPortList(QComboBox *box, const std::vector<platform::SerialDevice> &devices, const QString &configured);
