#pragma once
// The trigger of a single-shot capture: sources A and B with a condition and a level each,
// how they combine, and the pre-trigger share. Confirming leaves the six trigger words in
// m_wWords for the caller; the dialog writes nothing to the drive.
//
// The DI/DO entries are named from the drive's function registers, read on the dialog's worker
// once it opens; until then (and for a drive the link counts absent) they carry no name.
#include "DialogExMid.h"
#include "Wnds/scope/ScopePanelLogic.h"
#include "platform/PageWorker.h"

#include <vector>

class QComboBox;
class QLabel;
class QLineEdit;

// A channel that may serve as a value source, built by the sampling panel.
class TrigerObj {
public:
    QString strName;
    int nLower = 0;
    int nUpper = 0;
    int nCode = 0;  // the channel number 1..4
    float fScale = 1.0f;
};

// One entry of the dialog's source list.
class CTrigerObject {
public:
    int nCode = 0;
    int nKind = 0;  // 0 value source, 1 bit source
    int bHasLevel = 0;
    QString strText;
};

class CNewTrigerDlg : public CDialogExMid
{
    Q_OBJECT
public:
    static constexpr int IDD = 190;
    enum {
        IDC_SOURCE_A = 1036, IDC_COND_A = 1037, IDC_LEVEL_A = 1038, IDC_RANGE_A = 1039,
        IDC_SCALE_A = 1283, IDC_SOURCE_B = 1040, IDC_COND_B = 1042, IDC_LEVEL_B = 1043,
        IDC_RANGE_B = 1044, IDC_SCALE_B = 1284, IDC_COMBINATION = 1046, IDC_PERCENT = 1045,
        IDC_GROUP = 1509,
    };

    CNewTrigerDlg(const std::vector<TrigerObj> &objects, int nPointCount, BOOL bReset);

    bool OnInitDialog() override;
    void OnOK() override;
    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;

    void OnSelchangeSourceA();
    void OnSelchangeSourceB();
    bool NamesPending() const { return m_bPending; }
    QComboBox *Combo(int id) const;
    QLineEdit *Edit(int id) const;
    QLabel *Label(int id) const;

    // The eight choices remembered between openings (process-wide).
    struct Remembered {
        int srcA = 0, srcB = 0, condA = 0, condB = 0, combination = 0;
        int levelA = 0, levelB = 0;
        unsigned percent = 0;
    };
    static Remembered &Memory();

    std::vector<TrigerObj> m_arrObjects;
    std::vector<CTrigerObject> m_arrSources;
    int m_nPointCount = 1000;
    WORD m_wWords[6] = {};

private:
    void BuildSourceList();
    std::vector<scopepanel::TriggerSource> PlainSources() const;
    const CTrigerObject *FindSource(const QString &text) const;
    const TrigerObj *FindObject(const QString &text) const;
    void FillConditions(QComboBox *box, int kind, int firstKey);
    void FillCombination(int firstKey, int count);
    void SetIoNames(const QStringList &di, const QStringList &dobits);

    QComboBox *m_cmbSrcA, *m_cmbCondA, *m_cmbSrcB, *m_cmbCondB, *m_cmbComb;
    QLineEdit *m_edtLevelA, *m_edtLevelB, *m_edtPercent;
    QLabel *m_lblRangeA, *m_lblScaleA, *m_lblRangeB, *m_lblScaleB;
    int m_nFirstDi = 0;  // index of DI1 in m_arrSources
    platform::PageWorker m_worker;
    bool m_bPending = false;
};
