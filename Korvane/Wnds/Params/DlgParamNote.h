#pragma once
// The detail pane beside the parameter table: the selected parameter's pictures, its value in
// an edit box, its named values, and its own read and write through the page's workers.
//
// A typed value is checked when it is committed (Enter or leaving the box), never on every
// keystroke, so that a value whose range starts at 10 or more can be typed digit by digit.
#include "DialogExMid.h"
#include "database/DBDataParameter.h"

#include <map>

class CBCGPComboBoxMy;
class CDlgParams;
class CQLBCGGridCtrl;
class QLabel;
class QLineEdit;
class QPushButton;

class CDlgParamNote : public CDialogExMid
{
    Q_OBJECT
public:
    enum {
        IDD = 226,
        IDC_OPTIONS = 2022,
        IDC_VALUE_LABEL = 2026,
        IDC_VALUE = 2027,
        IDC_OPTIONS_LABEL = 2028,
        IDC_WRITE = 2030,
        IDC_READ = 2031,
        IDC_PREV = 2138,
        IDC_NEXT = 2139,
        IDC_PICTURES = 6666,
    };

    explicit CDlgParamNote(CDlgParams *page);
    ~CDlgParamNote() override;

    bool OnInitDialog() override;
    void OnSize(int cx, int cy) override;
    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;
    bool TranslateControls() override;

    // The record of the selected row (null: none). Pictures stay from the last record.
    void SetParameter(CDBDataParameter *param);
    CDBDataParameter *Parameter() const { return m_pParam; }
    // Writes the edit's value through the page (button 2030 and Enter in the table).
    void WriteValue();
    // Reads the parameter through the page (button 2031).
    void ReadValue();

    // The pictures of a code in a folder: PNG files whose names begin with the code
    // (case-sensitive), else the folder's "default.png".
    static std::map<int, QString> FindPictures(const QString &folder, const QString &code);
    // The folder of the parameter pictures.
    static QString PictureFolder();

    QLineEdit *ValueEdit() const { return m_editValue; }
    CBCGPComboBoxMy *Options() const { return m_comboOptions; }
    QPushButton *PrevButton() const { return m_btnPrev; }
    QPushButton *NextButton() const { return m_btnNext; }
    CQLBCGGridCtrl *PictureGrid() const { return m_pPictureGrid; }
    int PicturePage() const { return m_nPicturePage; }
    int PictureCount() const { return int(m_mapPictures.size()); }
    bool HasOptions() const { return m_bHasOptions; }

    // The value-edited handler (the edit's commit). False when the typed text was refused: the
    // box shows the stored value again and the user is told why.
    bool OnValueEdited();
    // Tells the user why a typed text cannot be the parameter's value (a warning box, shown once
    // the edit that ended has finished); nothing for a text that is a value in range. The pane's
    // own edit takes numbers only, the table's cell also the option names.
    static void TellRefusedValue(QWidget *owner, const CDBDataParameter &param, const QString &typed,
                                 bool takesOptions = true);
    void OnOptionSelected();
    void ShowPage(int page);

protected:
    bool eventFilter(QObject *o, QEvent *e) override;
    void keyPressEvent(QKeyEvent *e) override;

private:
    void CreatePictureGrid();
    void LoadPictures();
    void ShowPicture();
    void UpdatePageButtons();
    void FillValueAndOptions();
    void Layout();
    void SetEditText(const QString &text);

    CDlgParams *m_pPage;
    CQLBCGGridCtrl *m_pPictureGrid = nullptr;
    CDBDataParameter *m_pParam = nullptr;
    CBCGPComboBoxMy *m_comboOptions = nullptr;
    QLineEdit *m_editValue = nullptr;
    bool m_bHasOptions = false;
    QPushButton *m_btnWrite = nullptr;
    bool m_bEditNotify = true;
    bool m_bValueRefused = false;  // the last commit of the edit was refused
    QPushButton *m_btnPrev = nullptr;
    QPushButton *m_btnNext = nullptr;
    int m_nPicturePage = 1;
    std::map<int, QString> m_mapPictures;
    QPushButton *m_btnRead = nullptr;
    QLabel *m_stcValue = nullptr;
    QLabel *m_stcOptions = nullptr;
    UINT m_nMsgDblClick = 0;
};
