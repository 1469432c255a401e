#include "DlgDeviceInfo.h"

#include "OpenDocument.h"
#include "PathHelpers.h"
#include "SYSPARAM/SysParam.h"
#include "platform/ControlId.h"

#include <QDir>
#include <QFileInfo>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace {

struct Field
{
    int labelId;
    int editId;
    const char *caption;
    const char *initial;
};

const Field kFields[CDlgDeviceInfo::kFieldCount] = {
    {CDlgDeviceInfo::IDC_MODEL_LABEL, CDlgDeviceInfo::IDC_MODEL, "驱动器型号", "Vom 204718"},
    {CDlgDeviceInfo::IDC_SERIAL_LABEL, CDlgDeviceInfo::IDC_SERIAL, "序列号", "911"},
    {CDlgDeviceInfo::IDC_MCU_STD_LABEL, CDlgDeviceInfo::IDC_MCU_STD, "MCU标准版本号", "0x0"},
    {CDlgDeviceInfo::IDC_MCU_CUSTOM_LABEL, CDlgDeviceInfo::IDC_MCU_CUSTOM, "MCU非标版本号", "0x0"},
    {CDlgDeviceInfo::IDC_FPGA_STD_LABEL, CDlgDeviceInfo::IDC_FPGA_STD, "FPGA标准版本号", "0x0"},
    {CDlgDeviceInfo::IDC_FPGA_CUSTOM_LABEL, CDlgDeviceInfo::IDC_FPGA_CUSTOM, "FPGA非标版本号", "0x0"},
};

constexpr WORD kVersionRegisters[4] = {0x9104, 0x9105, 0x9106, 0x9107};

}

CDlgDeviceInfo::CDlgDeviceInfo() : CDialogExMid(IDD)
{
    m_strLangSection = QStringLiteral("CDlgDeviceInfo");
    auto *grid = new QGridLayout(this);
    for (int i = 0; i < kFieldCount; ++i) {
        const Field &f = kFields[i];
        m_strText[std::size_t(i)] = QString::fromUtf8(f.initial);
        auto *label = new QLabel(QString::fromUtf8(f.caption), this);
        platform::SetCtrlId(label, f.labelId);
        auto *edit = new QLineEdit(this);
        edit->setReadOnly(true);
        platform::SetCtrlId(edit, f.editId);
        grid->addWidget(label, i, 0);
        grid->addWidget(edit, i, 1);
        m_pLabel[std::size_t(i)] = label;
        m_pEdit[std::size_t(i)] = edit;
    }
    m_pManual = new QPushButton(QStringLiteral("查看手册"), this);
    platform::SetCtrlId(m_pManual, IDC_MANUAL);
    grid->addWidget(m_pManual, kFieldCount, 1, Qt::AlignLeft);
    grid->setRowStretch(kFieldCount + 1, 1);
    grid->setColumnStretch(2, 1);
    connect(m_pManual, &QPushButton::clicked, this, [this] { OpenDeviceManual(); });
}

bool CDlgDeviceInfo::OnInitDialog()
{
    CDialogExMid::OnInitDialog();
    FillDeviceInfo();
    return true;
}

void CDlgDeviceInfo::FillDeviceInfo()
{
    CSysParam *sys = GetSysParam();
    if (!sys || !sys->m_bConnected)
        return;
    m_strText[0] = sys->GetDriveModel();
    m_strText[1] = sys->GetDriveSerial();
    ShowTexts();
    // The versions are read where waiting on the drive harms no one.
    m_worker.Start([ref = GetWindowRef()](const std::atomic<bool> &stop) {
        auto result = std::make_shared<Versions>();
        for (std::size_t i = 0; i < 4; ++i) {
            int value = 0;
            CSysParam *s = GetSysParam();
            const bool ok = !stop && s && s->ReadReg(kVersionRegisters[i], &value);
            result->text[i] = ok ? QString::asprintf("%04x", value & 0xFFFF) : QString::fromLatin1(kUnreadVersion);
        }
        platform::PostMessage(ref, UM_THREAD_FINISHED, 0, 0, result);
    });
}

LRESULT CDlgDeviceInfo::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg == UM_THREAD_FINISHED) {
        if (auto versions = Payload<Versions>()) {
            for (std::size_t i = 0; i < 4; ++i)
                m_strText[i + 2] = versions->text[i];
            ShowTexts();
        }
        return 0;
    }
    return CDialogExMid::WindowProc(msg, wParam, lParam);
}

void CDlgDeviceInfo::ShowTexts()
{
    for (std::size_t i = 0; i < m_strText.size(); ++i)
        m_pEdit[i]->setText(m_strText[i]);
}

QString CDlgDeviceInfo::ManualPath(const QString &model)
{
    // CommonRes sits beside the program directory.
    return QFileInfo(GetProgramDir()).dir().filePath(QStringLiteral("CommonRes/DeviceInfoRes/") + model +
                                                     QStringLiteral(".pdf"));
}

void CDlgDeviceInfo::OpenDeviceManual()
{
    OpenInstalledDocument(ManualPath(m_strText[0]), this, m_strLangSection);
}
