#pragma once
// The new-project wizard. Page 1 chooses how devices are found (only offline goes on), the
// product from the pictures of the default database's products and the serial settings;
// page 2 lists the devices and asks for the project's name and folder. "完成" checks the
// input, composes <folder>/<name>.KVF, makes the folder and ends with IDOK; the caller then
// creates the project from m_record.info.
#include "DialogExMid.h"
#include "database/DataProject.h"
#include "grid/GridRowData.h"
#include "platform/SerialDevices.h"

#include <functional>
#include <vector>

class CDlgBCGGrid;
class CQLBCGGridCtrl;
class QComboBox;
class QFrame;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QCheckBox;
class QPushButton;

// What the wizard collects; `info` is what the caller hands to the project creation.
struct CNewProjectRecord
{
    QString sCommType;
    CNewProjectInfo info;
    QString sPicturePath;
    CDBDataProducts product;
    CDBDataDeviceList curDevice;
};

class CDlgNew : public CDialogExMid
{
    Q_OBJECT
public:
    static constexpr int IDD = 254;
    enum {
        IDC_MODE_LIST = 2065,
        IDC_PRODUCT_GRID = 2037,
        IDC_COMM_TYPE = 1998,
        IDC_PORT = 1999,
        IDC_BAUD = 2000,
        IDC_DATA_BITS = 2001,
        IDC_PARITY = 2002,
        IDC_STOP_BITS = 2003,
        IDC_AUTO_BAUD = 2066,
        IDC_PAGE = 2075,
        IDC_DEVICE_GROUP = 2076,
        IDC_STATION_LABEL = 2077,
        IDC_TYPE_LABEL = 2078,
        IDC_VERSION_LABEL = 2079,
        IDC_STATION = 2086,
        IDC_OBJECT_TYPE = 2005,
        IDC_VERSION = 2006,
        IDC_ADD = 2047,
        IDC_REMOVE = 1179,
        IDC_DEVICE_FRAME = 2083,
        IDC_STORE_GROUP = 2080,
        IDC_NAME_LABEL = 2084,
        IDC_FOLDER_LABEL = 2085,
        IDC_NAME = 2081,
        IDC_FOLDER = 2082,
        IDC_FOLDER_BROWSE = 2087,
    };
    static constexpr int kLabelIds[6] = {2067, 2068, 2069, 2070, 2071, 2072};

    explicit CDlgNew(QWidget *pParent = nullptr);
    ~CDlgNew() override;

    bool OnInitDialog() override;
    void OnSize(int cx, int cy) override;
    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;
    // The wizard re-lays itself out; the base's control updates do not apply.
    void UpdateControl(int, int, WPARAM, LPARAM) override {}

    void OnPageButton();
    void OnModeChanged();
    void OnAddDevice();
    void OnRemoveDevice();
    void OnFinish();
    void OnBrowseFolder();
    // Reads the serial settings, the product and the station into the record.
    void CollectSettings();
    // Shows the controls of the page shown and hides the others.
    void ShowPage();

    int m_nPage = 0;
    int m_nMode = 1;  // 0 online, 1 offline
    CNewProjectRecord m_record;
    CQLBCGGridCtrl *m_pProductGrid = nullptr;
    CDlgBCGGrid *m_pDeviceGrid = nullptr;
    QString m_strDeviceImageDir;
    int m_nSelectedProduct = 0;
    QString m_strProjectFile;
    CGridRowDataMap m_mapDeviceRows;
    std::vector<QString> m_arrProductModels;
    // The serial devices offered (the communication dialog's list); tests set their own.
    std::function<std::vector<platform::SerialDevice>()> m_fnListDevices;

    QListWidget *m_listMode = nullptr;
    QLabel *m_stcComm[6] = {};
    QComboBox *m_cmbComm[6] = {};  // type, port, baud, data bits, parity, stop bits
    QCheckBox *m_chkAutoBaud = nullptr;
    QPushButton *m_btnPage = nullptr;
    QGroupBox *m_grpDevices = nullptr;
    QLabel *m_stcStation = nullptr;
    QLabel *m_stcType = nullptr;
    QLabel *m_stcVersion = nullptr;
    QLineEdit *m_editStation = nullptr;
    QComboBox *m_cmbObjectType = nullptr;
    QComboBox *m_cmbVersion = nullptr;
    QPushButton *m_btnAdd = nullptr;
    QPushButton *m_btnRemove = nullptr;
    QFrame *m_frmDevices = nullptr;
    QGroupBox *m_grpStore = nullptr;
    QLabel *m_stcName = nullptr;
    QLabel *m_stcFolder = nullptr;
    QLineEdit *m_editName = nullptr;
    QLineEdit *m_editFolder = nullptr;
    QPushButton *m_btnBrowse = nullptr;
    QPushButton *m_btnFinish = nullptr;

private:
    void CreateProductGrid();
    void CreateDeviceGrid();
    void LayoutPages();
    void RefillDeviceGrid();
    std::vector<QWidget *> Page1Controls() const;
    std::vector<QWidget *> Page2Controls() const;
};
