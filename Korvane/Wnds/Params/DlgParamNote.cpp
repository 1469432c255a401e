#include "Wnds/Params/DlgParamNote.h"

#include "PathHelpers.h"
#include "SYSPARAM/SysParam.h"
#include "Wnds/Params/DlgParams.h"
#include "controls/BCGPComboBoxMy.h"
#include "database/ParamValueText.h"
#include "grid/BCGPGridCtrlMid.h"
#include "grid/PictureGridItem.h"
#include "grid/QLBCGGridCtrl.h"
#include "platform/ControlId.h"
#include "platform/ControlNotify.h"
#include "platform/LanguageConf.h"
#include "platform/UiServices.h"

#include <QDir>
#include <QImage>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>

using platform::TrSection;
using platform::TrText;

CDlgParamNote::CDlgParamNote(CDlgParams *page) : CDialogExMid(IDD, page), m_pPage(page)
{
    m_strLangSection = QStringLiteral("CDlgParamNote");
    m_setNoTranslateIds.insert(IDC_OPTIONS);
    m_comboOptions = new CBCGPComboBoxMy(this);
    platform::SetCtrlId(m_comboOptions, IDC_OPTIONS);
    m_editValue = new QLineEdit(this);
    platform::SetCtrlId(m_editValue, IDC_VALUE);
    m_editValue->installEventFilter(this);
    m_stcValue = new QLabel(QStringLiteral("当前值:"), this);
    platform::SetCtrlId(m_stcValue, IDC_VALUE_LABEL);
    m_stcOptions = new QLabel(QStringLiteral("可选项:"), this);
    platform::SetCtrlId(m_stcOptions, IDC_OPTIONS_LABEL);
    auto button = [this](int id, const char *caption) {
        auto *b = new QPushButton(QString::fromUtf8(caption), this);
        platform::SetCtrlId(b, id);
        b->setAutoDefault(false);
        return b;
    };
    m_btnWrite = button(IDC_WRITE, "写入伺服");
    m_btnPrev = button(IDC_PREV, "上一页");
    m_btnNext = button(IDC_NEXT, "下一页");
    m_btnRead = button(IDC_READ, "读取伺服");
    connect(m_btnWrite, &QPushButton::clicked, this, [this] { WriteValue(); });
    connect(m_btnRead, &QPushButton::clicked, this, [this] { ReadValue(); });
    connect(m_btnPrev, &QPushButton::clicked, this, [this] { ShowPage(m_nPicturePage - 1); });
    connect(m_btnNext, &QPushButton::clicked, this, [this] { ShowPage(m_nPicturePage + 1); });
    connect(m_comboOptions, qOverload<int>(&QComboBox::activated), this, [this](int) { OnOptionSelected(); });
    connect(m_editValue, &QLineEdit::editingFinished, this, [this] { OnValueEdited(); });
    m_nMsgDblClick = platform::GridMessage("BCGM_GRID_ITEM_DBLCLICK");
}

CDlgParamNote::~CDlgParamNote()
{
    delete m_pPictureGrid;
}

bool CDlgParamNote::OnInitDialog()
{
    CDialogExMid::OnInitDialog();
    CreatePictureGrid();
    ShowPicture();
    Layout();
    m_comboOptions->setEditable(false);
    return true;
}

void CDlgParamNote::OnSize(int cx, int cy)
{
    CDialogExMid::OnSize(cx, cy);
    Layout();
}

void CDlgParamNote::CreatePictureGrid()
{
    delete m_pPictureGrid;
    m_pPictureGrid = new CQLBCGGridCtrl(this);
    platform::SetCtrlId(m_pPictureGrid, IDC_PICTURES);
    m_pPictureGrid->EnableAlternateRows(false);
    // A row header of one pixel: none to speak of.
    m_pPictureGrid->EnableRowHeader(false);
    m_pPictureGrid->EnableHeader(false);
    m_pPictureGrid->InsertColumn(0, QString(), 380);
    m_pPictureGrid->InsertColumn(1, QString(), 0);
    m_pPictureGrid->SetColumnVisible(1, false);
    m_pPictureGrid->SetReadOnly(true);
    m_pPictureGrid->setGeometry(rect());
    m_pPictureGrid->show();
}

QString CDlgParamNote::PictureFolder()
{
    QString dir = GetProgramDir();
    while (dir.endsWith(QLatin1Char('/')))
        dir.chop(1);
    return GetDirectoryOfPath(dir) + QStringLiteral("/CommonRes/ParamInfoRes/");
}

std::map<int, QString> CDlgParamNote::FindPictures(const QString &folder, const QString &code)
{
    std::map<int, QString> pictures;
    const QDir dir(folder);
    const QStringList files = dir.entryList({QStringLiteral("*.png")}, QDir::Files, QDir::Name);
    for (const QString &name : files) {
        if (name.size() >= code.size() && name.startsWith(code, Qt::CaseSensitive))
            pictures.emplace(int(pictures.size()) + 1, dir.filePath(name));
    }
    if (pictures.empty() && QFileInfo::exists(dir.filePath(QStringLiteral("default.png"))))
        pictures.emplace(1, dir.filePath(QStringLiteral("default.png")));
    return pictures;
}

void CDlgParamNote::LoadPictures()
{
    m_mapPictures = m_pParam ? FindPictures(PictureFolder(), m_pParam->sNum) : std::map<int, QString>();
}

void CDlgParamNote::ShowPicture()
{
    if (!m_pPictureGrid)
        return;
    m_pPictureGrid->setUpdatesEnabled(false);
    m_pPictureGrid->RemoveAll();
    auto it = m_mapPictures.find(m_nPicturePage);
    if (it != m_mapPictures.end()) {
        QImage image(it->second);
        const int width = m_pPictureGrid->GetColumnWidth(0);
        // A picture that cannot be decoded keeps a sane row height.
        int height = 24;
        if (!image.isNull() && image.width() > 0 && width > 0)
            height = std::max(1, int(image.height() / (double(image.width()) / width)));
        m_pPictureGrid->SetFixedRowHeight(height);
        m_pPictureGrid->SetRowHeight();
        platform::GridRow *row = m_pPictureGrid->CreateRow(2);
        auto *picture = new CPictureGridItem(image);
        picture->AllowEdit(false);
        row->ReplaceItem(0, picture);
        auto *path = new CBCGPGridItemMid(QVariant(it->second));
        path->AllowEdit(false);
        row->ReplaceItem(1, path);
        m_pPictureGrid->AddRow(row, false);
    }
    m_pPictureGrid->setUpdatesEnabled(true);
    m_pPictureGrid->AdjustLayout();
}

void CDlgParamNote::UpdatePageButtons()
{
    m_btnPrev->setEnabled(m_nPicturePage > 1);
    m_btnNext->setEnabled(m_nPicturePage < int(m_mapPictures.size()));
}

void CDlgParamNote::ShowPage(int page)
{
    if (page < 1 || page > int(m_mapPictures.size()))
        return;
    m_nPicturePage = page;
    ShowPicture();
    UpdatePageButtons();
}

void CDlgParamNote::SetParameter(CDBDataParameter *param)
{
    m_pParam = param;
    if (param) {
        LoadPictures();
        m_nPicturePage = 1;
        ShowPicture();
        UpdatePageButtons();
    }
    FillValueAndOptions();
    Layout();
}

void CDlgParamNote::SetEditText(const QString &text)
{
    const bool notify = m_bEditNotify;
    m_bEditNotify = false;
    m_editValue->setText(text);
    m_bEditNotify = notify;
}

void CDlgParamNote::FillValueAndOptions()
{
    m_bEditNotify = false;
    m_comboOptions->setUpdatesEnabled(false);
    m_comboOptions->clear();
    m_editValue->clear();
    m_bHasOptions = false;
    if (m_pParam) {
        m_editValue->setText(FormatParamNumber(m_pParam->sNum, m_pParam->iCurValue));
        if (m_pParam->dwInput == 1 && !m_pParam->m_arrSelects.isEmpty()) {
            m_bHasOptions = true;
            const QString selection = GetParamOptionText(*m_pParam, m_pParam->iCurValue);
            for (const CDBDataSelects &s : m_pParam->m_arrSelects)
                m_comboOptions->addItem(TrText(s.sDescription));
            m_comboOptions->setCurrentIndex(selection.isEmpty() ? -1 : m_comboOptions->findText(selection));
        }
    }
    m_bEditNotify = true;
    m_comboOptions->setUpdatesEnabled(true);
    m_comboOptions->update();
}

void CDlgParamNote::TellRefusedValue(QWidget *owner, const CDBDataParameter &param, const QString &typed,
                                     bool takesOptions)
{
    const QString text = RefusedParamValueText(param, typed, takesOptions);
    if (text.isEmpty())
        return;
    // After the commit that refused it: a box inside an edit's end or a grid's commit would run
    // their events from its own loop.
    QTimer::singleShot(0, owner, [owner, text] {
        platform::Ui().MessageBox(text, TrText(QStringLiteral("设置值无效")), MB_OK | MB_ICONWARNING, owner);
    });
}

bool CDlgParamNote::OnValueEdited()
{
    if (!m_bEditNotify || !m_pParam)
        return true;
    const QString text = m_editValue->text();
    const std::optional<std::int32_t> typed = ParseParamNumber(m_pParam->sNum, text);
    if (!typed || !IsParamValueInRange(*m_pParam, *typed)) {
        // Nothing of it is kept: the box shows the value again, and the user learns why.
        SetEditText(FormatParamNumber(m_pParam->sNum, m_pParam->iCurValue));
        TellRefusedValue(this, *m_pParam, text, false);
        m_bValueRefused = true;
        return false;
    }
    const std::int32_t value = *typed;
    QString rowText = m_editValue->text();
    if (m_bHasOptions) {
        const QString option = GetParamOptionText(*m_pParam, value);
        if (!option.isEmpty()) {
            rowText = option;
            m_comboOptions->setCurrentIndex(m_comboOptions->findText(option));
        }
    }
    if (m_pParam->iCurValue == value && value != 0)
        return true;
    m_pParam->iCurValue = value;
    if (m_pPage)
        m_pPage->SetRowValueFromPane(*m_pParam, rowText);
    return true;
}

void CDlgParamNote::OnOptionSelected()
{
    if (!m_pParam)
        return;
    const QString text = m_comboOptions->currentText();
    const QString source = platform::GetSqlite()->SourceText(text);
    std::int32_t value = 0;
    for (const CDBDataSelects &s : m_pParam->m_arrSelects) {
        if (s.sDescription == source || s.sDescription == text) {
            value = std::int32_t(s.iValue);
            break;
        }
    }
    SetEditText(FormatParamNumber(m_pParam->sNum, value));
    if (m_pPage) {
        CDBDataParameter shown = *m_pParam;
        shown.iCurValue = value;
        m_pPage->SetRowValueFromPane(shown, text);
    }
}

void CDlgParamNote::WriteValue()
{
    CSysParam *sys = GetSysParam();
    if (!sys || !sys->m_bConnected || !m_pParam || !m_pPage)
        return;
    const QString text = m_editValue->text();
    const std::optional<std::int32_t> typed = ParseParamNumber(m_pParam->sNum, text);
    if (!typed || !IsParamValueInRange(*m_pParam, *typed)) {
        // Nothing is sent; a text that is no number gives way to the stored value again.
        if (!typed)
            SetEditText(FormatParamNumber(m_pParam->sNum, m_pParam->iCurValue));
        TellRefusedValue(this, *m_pParam, text, false);
        return;
    }
    const std::int32_t value = *typed;
    CDBDataParameter copy = *m_pParam;
    copy.iCurValue = value;
    m_pPage->m_arrTransferParameter.clear();
    m_pPage->m_arrTransferParameter.append(copy);
    m_pPage->StartParameterWrite();
}

void CDlgParamNote::ReadValue()
{
    if (!m_pParam || !m_pPage)
        return;
    CSysParam *sys = GetSysParam();
    if (!sys || !sys->m_bConnected) {
        platform::Ui().MessageBox(TrSection(m_strLangSection, QStringLiteral("请连接串口！")),
                                  TrSection(m_strLangSection, QStringLiteral("参数读取")), MB_OK, this);
        return;
    }
    m_pPage->m_arrTransferParameter.clear();
    m_pPage->m_arrTransferParameter.append(*m_pParam);
    m_pPage->StartParameterRead(0, TRUE);
}

bool CDlgParamNote::TranslateControls()
{
    const bool ok = CDialogExMid::TranslateControls();
    if (m_pParam)
        FillValueAndOptions();
    return ok;
}

LRESULT CDlgParamNote::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg == m_nMsgDblClick && msg) {
        if (lParam && m_pPictureGrid && m_pPictureGrid->GetRowCount() > 0) {
            if (platform::GridItem *item = m_pPictureGrid->GetRow(0)->GetItem(1))
                platform::Ui().ShellOpen(item->GetValue().toString());
        }
        return 1;
    }
    if (msg == WM_COMMAND) {
        switch (LOWORD(wParam)) {
        case IDC_WRITE: WriteValue(); return 0;
        case IDC_READ: ReadValue(); return 0;
        default: break;
        }
    }
    return CDialogExMid::WindowProc(msg, wParam, lParam);
}

bool CDlgParamNote::eventFilter(QObject *o, QEvent *e)
{
    if (o == m_editValue && e->type() == QEvent::KeyPress) {
        auto *key = static_cast<QKeyEvent *>(e);
        if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
            // The commit runs first (focus leaves the edit), then the write button is pressed.
            // A refused text (told as the edit ended, or now) writes nothing, not even the stored
            // value it gave way to.
            m_bValueRefused = false;
            m_btnWrite->setFocus();
            if (!m_bValueRefused && OnValueEdited())
                WriteValue();
            return true;
        }
    }
    return CDialogExMid::eventFilter(o, e);
}

void CDlgParamNote::keyPressEvent(QKeyEvent *e)
{
    if (e->key() == Qt::Key_Escape)
        return;
    CDialogExMid::keyPressEvent(e);
}

void CDlgParamNote::Layout()
{
    if (!m_pPictureGrid)
        return;
    const int W = width();
    const int H = height();
    m_pPictureGrid->setGeometry(1, 2, W - 6, (3 * H) / 5 - 2);
    int y = (3 * H) / 5;
    const bool pages = m_mapPictures.size() >= 2;
    if (pages) {
        y += 10;
        m_btnPrev->setGeometry(60, y, 90, 25);
        m_btnNext->setGeometry(W - 150, y, 90, 25);
        y += 35;
    } else {
        y += 20;
    }
    m_btnPrev->setVisible(pages);
    m_btnNext->setVisible(pages);
    m_stcValue->setGeometry(1, y + 5, 50, 25);
    m_editValue->setGeometry(56, y, W - 61, 25);
    if (m_bHasOptions) {
        y += 35;
        m_stcOptions->setGeometry(1, y + 5, 50, 25);
        m_comboOptions->setGeometry(56, y, W - 61, 25);
    }
    m_stcOptions->setVisible(m_bHasOptions);
    m_comboOptions->setVisible(m_bHasOptions);
    m_btnWrite->setGeometry(60, H - 30, 90, 25);
    m_btnRead->setGeometry(W - 150, H - 30, 90, 25);
}
