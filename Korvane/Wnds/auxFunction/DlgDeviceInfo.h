#pragma once
// The device information page: the connected drive's model, serial number and four firmware
// versions in read-only fields, and the drive model's manual. The versions are read on the
// page's worker; the fields are filled when its answer arrives.
#include "DialogExMid.h"
#include "platform/PageWorker.h"

#include <QString>

#include <array>

class QLabel;
class QLineEdit;
class QPushButton;

class CDlgDeviceInfo : public CDialogExMid
{
    Q_OBJECT
public:
    static constexpr int IDD = 262;
    enum {
        IDC_MODEL_LABEL = 2134, IDC_MODEL = 2135, IDC_SERIAL_LABEL = 2136, IDC_SERIAL = 2137,
        IDC_MCU_STD_LABEL = 2138, IDC_MCU_STD = 2139, IDC_MCU_CUSTOM_LABEL = 2140, IDC_MCU_CUSTOM = 2141,
        IDC_FPGA_STD_LABEL = 2142, IDC_FPGA_STD = 2143, IDC_FPGA_CUSTOM_LABEL = 2144, IDC_FPGA_CUSTOM = 2145,
        IDC_MANUAL = 2148,
    };
    static constexpr int kFieldCount = 6;
    // Shown for a version that could not be read.
    static constexpr const char *kUnreadVersion = "----";

    CDlgDeviceInfo();

    bool OnInitDialog() override;
    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;

    // Takes the model and serial number the link read and starts the version reads; nothing
    // while not connected.
    void FillDeviceInfo();
    void OpenDeviceManual();
    // Where the manual of a model lies.
    static QString ManualPath(const QString &model);

    QString FieldText(int i) const { return m_strText[std::size_t(i)]; }
    QLineEdit *Edit(int i) const { return m_pEdit[std::size_t(i)]; }
    bool IsReading() const { return m_worker.IsRunning(); }

private:
    struct Versions
    {
        std::array<QString, 4> text;
    };
    void ShowTexts();

    std::array<QLabel *, kFieldCount> m_pLabel{};
    std::array<QLineEdit *, kFieldCount> m_pEdit{};
    QPushButton *m_pManual = nullptr;
    std::array<QString, kFieldCount> m_strText;
    platform::PageWorker m_worker{this, "device info"};
};
