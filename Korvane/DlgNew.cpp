#include "DlgNew.h"

#include "DlgCommSetting.h"
#include "PathHelpers.h"
#include "SYSPARAM/SysParam.h"
#include "grid/DlgBCGGrid.h"
#include "grid/GridCtrlTableAttributeOp.h"
#include "grid/PictureGridItem.h"
#include "grid/QLBCGGridCtrl.h"
#include "platform/ControlId.h"
#include "platform/LanguageConf.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateTime>
#include <QFileInfo>
#include <QFrame>
#include <QGroupBox>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRegularExpression>

namespace {

const QString kColStation = QStringLiteral("XML_NEW_DLG_SECOND_ZH");
const QString kColType = QStringLiteral("XML_NEW_DLG_SECOND_DXLX");
const QString kColName = QStringLiteral("XML_NEW_DLG_SECOND_DXM");
const QString kColDeviceId = QStringLiteral("XML_NEW_DLG_SECOND_DEVICE_ID");
const QString kColProductId = QStringLiteral("XML_NEW_DLG_SECOND_PRODUCT_ID");
const QString kColVersion = QStringLiteral("XML_NEW_DLG_SECOND_VERSION");

QString CellText(const CGridRowData &row, const QString &key)
{
    const auto it = row.find(key);
    return it == row.end() ? QString() : it->second.m_strValue;
}

void SetCell(CGridRowData &row, const QString &key, const QString &text)
{
    InsertGridCellData(key, text, row, 0, 0, -1);
}

// Selects the first item that begins with the text, else leaves the selection.
void SelectPrefix(QComboBox *box, const QString &prefix)
{
    for (int i = 0; i < box->count(); ++i) {
        if (box->itemText(i).startsWith(prefix)) {
            box->setCurrentIndex(i);
            return;
        }
    }
}

void Place(QWidget *w, int x, int y, int cx, int cy)
{
    if (w)
        w->setGeometry(x, y, cx, cy);
}

}

CDlgNew::CDlgNew(QWidget *pParent) : CDialogExMid(IDD, pParent)
{
    m_strLangSection = QStringLiteral("CDlgNew");
    setWindowTitle(QStringLiteral("工程向导"));
    m_fnListDevices = [] { return platform::ListSerialDevices(); };

    m_listMode = new QListWidget(this);
    platform::SetCtrlId(m_listMode, IDC_MODE_LIST);
    connect(m_listMode, &QListWidget::currentRowChanged, this, [this] { OnModeChanged(); });

    const char *labels[6] = {"通讯类型：", "串口号：", "波特率：", "数据位：", "校验位：", "停止位："};
    const int combos[6] = {IDC_COMM_TYPE, IDC_PORT, IDC_BAUD, IDC_DATA_BITS, IDC_PARITY, IDC_STOP_BITS};
    for (int i = 0; i < 6; ++i) {
        m_stcComm[i] = new QLabel(QString::fromUtf8(labels[i]), this);
        platform::SetCtrlId(m_stcComm[i], kLabelIds[i]);
        m_cmbComm[i] = new QComboBox(this);
        platform::SetCtrlId(m_cmbComm[i], combos[i]);
    }
    m_chkAutoBaud = new QCheckBox(QStringLiteral("自适应波特率"), this);
    platform::SetCtrlId(m_chkAutoBaud, IDC_AUTO_BAUD);
    m_chkAutoBaud->hide();
    m_btnPage = new QPushButton(QStringLiteral("下一页"), this);
    platform::SetCtrlId(m_btnPage, IDC_PAGE);
    connect(m_btnPage, &QPushButton::clicked, this, [this] { OnPageButton(); });

    m_grpDevices = new QGroupBox(QStringLiteral("设备列表"), this);
    platform::SetCtrlId(m_grpDevices, IDC_DEVICE_GROUP);
    m_stcStation = new QLabel(QStringLiteral("站号："), this);
    platform::SetCtrlId(m_stcStation, IDC_STATION_LABEL);
    m_stcType = new QLabel(QStringLiteral("对象类型："), this);
    platform::SetCtrlId(m_stcType, IDC_TYPE_LABEL);
    m_stcVersion = new QLabel(QStringLiteral("软件版本："), this);
    platform::SetCtrlId(m_stcVersion, IDC_VERSION_LABEL);
    m_editStation = new QLineEdit(this);
    platform::SetCtrlId(m_editStation, IDC_STATION);
    m_cmbObjectType = new QComboBox(this);
    platform::SetCtrlId(m_cmbObjectType, IDC_OBJECT_TYPE);
    m_cmbVersion = new QComboBox(this);
    platform::SetCtrlId(m_cmbVersion, IDC_VERSION);
    m_btnAdd = new QPushButton(QStringLiteral(">>"), this);
    platform::SetCtrlId(m_btnAdd, IDC_ADD);
    connect(m_btnAdd, &QPushButton::clicked, this, [this] { OnAddDevice(); });
    m_btnRemove = new QPushButton(QStringLiteral("<<"), this);
    platform::SetCtrlId(m_btnRemove, IDC_REMOVE);
    connect(m_btnRemove, &QPushButton::clicked, this, [this] { OnRemoveDevice(); });
    m_frmDevices = new QFrame(this);
    platform::SetCtrlId(m_frmDevices, IDC_DEVICE_FRAME);
    m_frmDevices->setFrameShape(QFrame::Box);
    m_grpStore = new QGroupBox(QStringLiteral("存储位置："), this);
    platform::SetCtrlId(m_grpStore, IDC_STORE_GROUP);
    m_stcName = new QLabel(QStringLiteral("工程名称："), this);
    platform::SetCtrlId(m_stcName, IDC_NAME_LABEL);
    m_stcFolder = new QLabel(QStringLiteral("存储过程："), this);
    platform::SetCtrlId(m_stcFolder, IDC_FOLDER_LABEL);
    m_editName = new QLineEdit(this);
    platform::SetCtrlId(m_editName, IDC_NAME);
    m_editFolder = new QLineEdit(this);
    platform::SetCtrlId(m_editFolder, IDC_FOLDER);
    m_btnBrowse = new QPushButton(QStringLiteral("..."), m_editFolder);
    platform::SetCtrlId(m_btnBrowse, IDC_FOLDER_BROWSE);
    m_btnBrowse->setCursor(Qt::ArrowCursor);
    connect(m_btnBrowse, &QPushButton::clicked, this, [this] { OnBrowseFolder(); });
    m_btnFinish = new QPushButton(QStringLiteral("完成"), this);
    platform::SetCtrlId(m_btnFinish, IDOK);
    connect(m_btnFinish, &QPushButton::clicked, this, [this] { OnFinish(); });
}

CDlgNew::~CDlgNew() = default;

bool CDlgNew::OnInitDialog()
{
    CDialogExMid::OnInitDialog();
    resize(927, 525);
    CSysParam *sys = GetSysParam();
    m_strDeviceImageDir = GetDirectoryOfPath(GetModulePath().chopped(1)) + QStringLiteral("/CommonRes/DeviceInfoRes/");

    FillSerialPortList(m_cmbComm[1], m_fnListDevices ? m_fnListDevices() : std::vector<platform::SerialDevice>{},
                       sys ? sys->GetDevicePath() : QString());

    m_listMode->clear();
    m_listMode->addItem(TrSection(m_strLangSection, QStringLiteral("在线")));
    m_listMode->addItem(TrSection(m_strLangSection, QStringLiteral("离线")));
    // The online search is not offered: its entry stays in view, greyed and out of reach.
    if (QListWidgetItem *online = m_listMode->item(0))
        online->setFlags(online->flags() & ~(Qt::ItemIsEnabled | Qt::ItemIsSelectable));
    m_listMode->setCurrentRow(1);
    m_nMode = 1;

    m_cmbComm[0]->clear();
    m_cmbComm[0]->addItem(TrSection(m_strLangSection, QStringLiteral("串口")));
    m_cmbComm[0]->setCurrentIndex(0);
    m_cmbComm[2]->clear();
    for (const char *b : {"2400", "4800", "9600", "19200", "38400", "57600", "115200"})
        m_cmbComm[2]->addItem(QString::fromLatin1(b));
    SelectPrefix(m_cmbComm[2], QString::asprintf("%d", sys ? sys->m_nComBaud : 57600));
    const QStringList format = (sys ? sys->m_strProtocol : QStringLiteral("8-N-2")).split(QLatin1Char('-'));
    m_cmbComm[3]->clear();
    m_cmbComm[3]->addItem(QStringLiteral("8"));
    m_cmbComm[4]->clear();
    m_cmbComm[4]->addItems({QStringLiteral("E"), QStringLiteral("O"), QStringLiteral("N")});
    m_cmbComm[5]->clear();
    m_cmbComm[5]->addItems({QStringLiteral("1"), QStringLiteral("2")});
    for (int i = 0; i < 3; ++i) {
        const int at = format.size() > i ? m_cmbComm[3 + i]->findText(format[i].trimmed()) : -1;
        m_cmbComm[3 + i]->setCurrentIndex(at);
    }

    m_editName->setText(QDateTime::currentDateTime().toString(QStringLiteral("'NewProjects'yyyy-MM-dd")));
    m_editFolder->setText(GetDirectoryOfPath(GetModulePath().chopped(1)) + QStringLiteral("/UserDir"));
    m_editStation->setText(QStringLiteral("1"));
    m_cmbVersion->clear();
    m_cmbVersion->addItem(QStringLiteral("1.0.0"));
    m_cmbVersion->setCurrentIndex(0);

    CreateProductGrid();
    CreateDeviceGrid();
    LayoutPages();
    ShowPage();
    return true;
}

void CDlgNew::CreateProductGrid()
{
    m_arrProductModels.clear();
    QList<CDBDataProducts> products;
    if (CSysParam *sys = GetSysParam())
        products = sys->m_ProjectDatabase.m_arrDefaultProducts;
    for (const CDBDataProducts &p : products)
        m_arrProductModels.push_back(p.sProductModel);
    if (!m_pProductGrid) {
        m_pProductGrid = new CQLBCGGridCtrl(this);
        platform::SetCtrlId(m_pProductGrid, IDC_PRODUCT_GRID);
        m_pProductGrid->SetOwner(this);
    }
    CQLBCGGridCtrl *grid = m_pProductGrid;
    grid->RemoveAll();
    grid->DeleteAllColumns();
    grid->EnableHeader(false);
    grid->EnableRowHeader(false);
    grid->EnableHeaderFilterMenu(false);
    grid->SetReadOnly(true);
    for (int c = 0; c < 4; ++c)
        grid->InsertColumn(c, QString(), 125);
    int height = 210;
    grid->SetFixedRowHeight(height);
    grid->SetRowHeight();
    const int count = int(m_arrProductModels.size());
    for (int first = 0; first < count; first += 4) {
        platform::GridRow *row = grid->CreateRow(0);
        for (int c = 0; c < 4; ++c) {
            const int i = first + c;
            if (i < count) {
                const QString model = m_arrProductModels[size_t(i)];
                auto *cell = new CPicNewDlgGridItem(QImage(m_strDeviceImageDir + model + QStringLiteral(".png")), model, i);
                cell->AllowEdit(false);
                row->AddItem(cell);
            } else {
                auto *cell = new CBCGPGridItemMid(QVariant(QString()));
                cell->AllowEdit(false);
                row->AddItem(cell);
            }
        }
        grid->AddRow(row, false);
    }
    if (count > 0)
        grid->SetCurSel(platform::GridItemID{0, 0});
    m_nSelectedProduct = 0;
}

void CDlgNew::CreateDeviceGrid()
{
    if (m_pDeviceGrid)
        return;
    m_pDeviceGrid = new CDlgBCGGrid(this);
    m_pDeviceGrid->m_strTableId = QStringLiteral("XML_NEW_DLG_SECOND");
    m_pDeviceGrid->Create(this);
    CGridTableAttribute attr;
    CGridCtrlTableAttributeOp::GetInstance()->GetTableAttribute(m_pDeviceGrid->m_strTableId, attr);
    attr.isMultiRowSelect = false;
    m_pDeviceGrid->InitColumns(attr, 2);
}

void CDlgNew::OnSize(int cx, int cy)
{
    CDialogExMid::OnSize(cx, cy);
    LayoutPages();
}

void CDlgNew::LayoutPages()
{
    if (!m_pDeviceGrid)
        return;
    const int W = width();
    const int H = height();
    // Page 1.
    const int w1 = int(W * 1.5 / 8.5);
    const int w2 = int(W * 5.0 / 8.5);
    const int x2 = w1 + w2 + 5;
    Place(m_listMode, 0, 0, w1, H - 40);
    Place(m_pProductGrid, w1, 0, w2, H - 40);
    for (int i = 0; i < 6; ++i) {
        Place(m_stcComm[i], x2, 10 + 25 * i, 80, 25);
        Place(m_cmbComm[i], x2 + 85, 5 + 25 * i, 100, 25);
    }
    Place(m_chkAutoBaud, x2, 155, 100, 25);
    Place(m_btnPage, W / 2 - 105, H - 30, 100, 25);
    // Page 2.
    const int h1 = (H - 50) * 7 / 9;
    const int m = h1 / 2;
    Place(m_grpDevices, 5, 5, W - 10, h1);
    Place(m_stcStation, 15, m - 25, 70, 25);
    Place(m_editStation, 80, m - 30, 100, 25);
    Place(m_stcType, 15, m + 5, 70, 25);
    Place(m_cmbObjectType, 80, m, 100, 25);
    Place(m_stcVersion, 15, m + 30, 70, 25);
    Place(m_cmbVersion, 80, m + 25, 100, 25);
    Place(m_btnAdd, 185, m - 17, 50, 25);
    Place(m_btnRemove, 185, m + 13, 50, 25);
    Place(m_frmDevices, 240, 20, W - 255, h1 - 25);
    Place(m_pDeviceGrid, 240, 20, W - 255, h1 - 25);
    Place(m_grpStore, 5, h1 + 15, W - 10, (H - 50) * 2 / 9);
    Place(m_stcName, 15, h1 + 40, 70, 25);
    Place(m_editName, 80, h1 + 35, W - 95, 25);
    Place(m_stcFolder, 15, h1 + 75, 70, 25);
    Place(m_editFolder, 80, h1 + 70, W - 95, 25);
    Place(m_btnBrowse, m_editFolder->width() - 30, 1, 29, m_editFolder->height() - 2);
    if (m_nPage == 1)
        Place(m_btnPage, W / 2 - 105, H - 30, 100, 25);
    Place(m_btnFinish, W / 2 + 5, H - 30, 100, 25);
    // The group boxes stay behind the controls they frame.
    m_grpDevices->lower();
    m_grpStore->lower();
}

std::vector<QWidget *> CDlgNew::Page1Controls() const
{
    std::vector<QWidget *> v{m_listMode, m_pProductGrid};
    for (int i = 0; i < 6; ++i) {
        v.push_back(m_stcComm[i]);
        v.push_back(m_cmbComm[i]);
    }
    return v;
}

std::vector<QWidget *> CDlgNew::Page2Controls() const
{
    return {m_pDeviceGrid, m_grpDevices, m_stcStation, m_stcType, m_stcVersion, m_editStation,
            m_cmbObjectType, m_cmbVersion, m_btnAdd, m_btnRemove, m_frmDevices, m_grpStore,
            m_stcName, m_stcFolder, m_editName, m_editFolder, m_btnFinish};
}

void CDlgNew::ShowPage()
{
    for (QWidget *w : Page1Controls())
        if (w)
            w->setVisible(m_nPage == 0);
    for (QWidget *w : Page2Controls())
        if (w)
            w->setVisible(m_nPage == 1);
    m_chkAutoBaud->hide();
    // Finding devices online is not offered: only the offline mode goes on to page 2.
    m_btnPage->setVisible(m_nMode == 1);
    LayoutPages();
}

void CDlgNew::OnPageButton()
{
    if (m_nPage == 0) {
        m_nPage = 1;
        m_btnPage->setText(TrSection(m_strLangSection, QStringLiteral("上一页")));
        CollectSettings();
        m_cmbObjectType->clear();
        m_cmbObjectType->addItem(m_record.info.sProductModel);
        m_cmbObjectType->setCurrentIndex(0);
    } else {
        m_nPage = 0;
        m_btnPage->setText(TrSection(m_strLangSection, QStringLiteral("下一页")));
    }
    ShowPage();
}

void CDlgNew::OnModeChanged()
{
    m_nMode = m_listMode->currentRow();
    ShowPage();
}

void CDlgNew::CollectSettings()
{
    CNewProjectInfo &info = m_record.info;
    m_record.sCommType = m_cmbComm[0]->currentText();
    info.sDataBits = m_cmbComm[3]->currentText();
    info.sParity = m_cmbComm[4]->currentText();
    info.sStopBits = m_cmbComm[5]->currentText();
    info.nBaud = m_cmbComm[2]->currentText().toInt();
    // The port as a number: the trailing digits of the device plus one, as COMn names ttyS(n-1).
    const QString device = m_cmbComm[1]->currentData().toString();
    const QRegularExpressionMatch digits = QRegularExpression(QStringLiteral("(\\d+)$")).match(device);
    info.nPort = digits.hasMatch() ? digits.captured(1).toInt() + 1 : 0;
    const CSysParam *sys = GetSysParam();
    const QList<CDBDataProducts> products = sys ? sys->m_ProjectDatabase.m_arrDefaultProducts : QList<CDBDataProducts>{};
    if (m_nSelectedProduct >= 0 && m_nSelectedProduct < products.size() &&
        m_nSelectedProduct < int(m_arrProductModels.size())) {
        const QString model = m_arrProductModels[size_t(m_nSelectedProduct)];
        m_record.sPicturePath = m_strDeviceImageDir + model + QStringLiteral(".png");
        info.sProductModel = model;
        m_record.product = products[m_nSelectedProduct];
    } else {
        m_record.sPicturePath.clear();
        info.sProductModel.clear();
        m_record.product = CDBDataProducts();
    }
    m_record.curDevice = CDBDataDeviceList();
    m_record.curDevice.nStationNo = m_editStation->text().toInt();
    m_record.curDevice.sDeviceName = info.sProductModel;
}

void CDlgNew::RefillDeviceGrid()
{
    m_pDeviceGrid->SetRowDataMap(m_mapDeviceRows);
    m_pDeviceGrid->FillRows();
    m_pDeviceGrid->SelectRow(m_pDeviceGrid->GetGrid()->GetRowCount() - 1);
}

void CDlgNew::OnAddDevice()
{
    const QString station = m_editStation->text();
    const QString type = m_cmbObjectType->currentText();
    const QString version = m_cmbVersion->currentText();
    if (station.isEmpty() || type.isEmpty() || version.isEmpty())
        return;
    for (const auto &[key, row] : m_mapDeviceRows) {
        if (CellText(row, kColStation) == station && CellText(row, kColType) == type &&
            CellText(row, kColVersion) == version) {
            platform::Ui().MessageBox(TrSection(m_strLangSection, QStringLiteral("重复数据")), QString(), MB_OK, this);
            return;
        }
    }
    // A number still in use after a removal must not come again: the project keeps one
    // device per number. The row key likewise follows the largest one.
    int deviceId = 1;
    for (const CDBDataDeviceList &d : m_record.info.m_arrDeviceList)
        deviceId = std::max(deviceId, d.nDeviceID + 1);
    const std::int64_t key = m_mapDeviceRows.empty() ? 0 : m_mapDeviceRows.rbegin()->first + 1;
    const int productId = m_record.product.nProductID;
    CGridRowData row;
    SetCell(row, kColStation, station);
    SetCell(row, kColType, type);
    SetCell(row, kColName, station + QLatin1Char('_') + type);
    SetCell(row, kColDeviceId, QString::asprintf("%d", deviceId));
    SetCell(row, kColProductId, QString::asprintf("%d", productId));
    SetCell(row, kColVersion, version);
    m_mapDeviceRows[key] = row;
    RefillDeviceGrid();

    CDBDataDeviceList &device = m_record.curDevice;
    device.nDeviceID = deviceId;
    device.nStationNo = station.toInt();
    device.sDeviceName = m_record.info.sProductModel;
    device.sIpAddress.clear();
    device.nProductID = productId;
    m_record.info.m_arrDeviceList.push_back(device);
}

void CDlgNew::OnRemoveDevice()
{
    CGridRowDataMap selected;
    m_pDeviceGrid->GetSelectedRowsData(selected);
    m_pDeviceGrid->GetRowDataMap(m_mapDeviceRows);
    if (selected.empty())
        return;
    const QString number = CellText(selected.begin()->second, kColDeviceId);
    for (auto it = m_mapDeviceRows.begin(); it != m_mapDeviceRows.end(); ++it) {
        if (CellText(it->second, kColDeviceId) != number)
            continue;
        const int id = number.toInt();
        QList<CDBDataDeviceList> &devices = m_record.info.m_arrDeviceList;
        for (qsizetype i = 0; i < devices.size(); ++i) {
            if (devices[i].nDeviceID == id) {
                devices.removeAt(i);
                break;
            }
        }
        m_mapDeviceRows.erase(it);
        break;
    }
    RefillDeviceGrid();
}

void CDlgNew::OnBrowseFolder()
{
    platform::FileDialogRequest request;
    request.overwritePrompt = true;
    request.owner = this;
    request.initialDir = m_editFolder->text();
    const std::optional<QString> path = platform::Ui().FileDialog(request);
    // The edit names the folder of the project: a chosen file gives its folder.
    if (path)
        m_editFolder->setText(QFileInfo(*path).isDir() ? *path : GetDirectoryOfPath(*path));
}

void CDlgNew::OnFinish()
{
    CollectSettings();
    auto say = [this](const char *text) {
        platform::Ui().MessageBox(TrSection(m_strLangSection, QString::fromUtf8(text)), QString(), MB_OK, this);
    };
    if (m_record.info.m_arrDeviceList.isEmpty()) {
        say("请先添加设备对象！");
        return;
    }
    QString folder = m_editFolder->text().trimmed();
    const QString name = m_editName->text().trimmed();
    if (folder.isEmpty()) {
        say("文件路径不能为空！");
        return;
    }
    if (name.isEmpty()) {
        say("文件名不能为空！");
        return;
    }
    folder.replace(QLatin1Char('\\'), QLatin1Char('/'));
    while (folder.size() > 1 && folder.endsWith(QLatin1Char('/')))
        folder.chop(1);
    m_strProjectFile = folder + QLatin1Char('/') + name + QStringLiteral(".KVF");
    if (QFileInfo::exists(m_strProjectFile) &&
        platform::Ui().MessageBox(TrSection(m_strLangSection, QStringLiteral("文件已存在是否覆盖?")), QString(),
                                  MB_YESNO | MB_ICONQUESTION, this) != IDYES)
        return;
    m_record.info.m_strFilePath = m_strProjectFile;
    CreateDirectoryTree(GetDirectoryOfPath(m_strProjectFile) + QLatin1Char('/'));
    CDialogExMid::OnOK();
}

LRESULT CDlgNew::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam)
{
    switch (msg) {
    case UM_GRID_CELL_LCLICK:
        if (m_pProductGrid && int(wParam) == platform::GetCtrlId(m_pProductGrid)) {
            if (auto *cell = dynamic_cast<CPicNewDlgGridItem *>(m_pProductGrid->GetCurSelItem()))
                m_nSelectedProduct = cell->m_nValue;
        }
        return 0;
    case UM_THEME_CHANGED: {
        const LRESULT r = CDialogExMid::WindowProc(msg, wParam, lParam);
        const UINT change = platform::RegisterWindowMessage("BCGM_CHANGEVISUALMANAGER");
        if (m_pDeviceGrid)
            platform::SendMessage(platform::WindowRef(static_cast<platform::MessageTarget *>(m_pDeviceGrid)), change, 0, 0);
        if (m_pProductGrid)
            platform::SendMessage(platform::WindowRef(static_cast<platform::MessageTarget *>(m_pProductGrid)), change, 0, 0);
        return r;
    }
    default:
        return CDialogExMid::WindowProc(msg, wParam, lParam);
    }
}
