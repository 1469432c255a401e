#pragma once
// The oscilloscope side panel's "历史数据" tab: the capture files kept in the history folder,
// listed by name; choosing one loads it into the oscilloscope as comparison traces and lists
// the drive parameters stored in it; "使用选中文件的参数" makes that set the group
// "示波器参数" and has the parameter tab write the file's values; the table takes those the
// drive took.
#include "DialogExMid.h"

#include <QList>
#include <QPair>
#include <QString>

#include <cstdint>
#include <functional>

class CBCGPGridCtrlEx;
class QPushButton;

class CDlgHistoryData : public CDialogExMid
{
    Q_OBJECT
public:
    static constexpr int IDD = 269;
    enum { IDC_APPLY = 2155, IDC_FILES = 6670, IDC_PARAMS = 6671 };

    explicit CDlgHistoryData(QWidget *pParent = nullptr);
    ~CDlgHistoryData() override;

    // Bound by the side panel: the page's load of a capture file, and the parameter tab's
    // fill and write of ApplyValues(): 1 when the write started, 0 when the parameter tab
    // does not exist yet, -1 when the write was not started (declined, cancelled, refused).
    // Either may be empty.
    std::function<int(const QString &)> m_fnLoadFile;
    std::function<int()> m_fnApplyParams;

    bool OnInitDialog() override;
    void OnSize(int cx, int cy) override;
    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;

    // Appends one row per "*.csv" file of the history folder, in the folder's order.
    void FillFileList();
    // Empties the file list.
    void ClearFileList();
    // The selection of either list changed: the chosen file is loaded and its parameters listed.
    void OnFileSelChanged();
    // Button 2155.
    void OnApplyParams();

    // The path of the chosen file, empty when no file row is chosen.
    QString SelectedFilePath() const;

    CBCGPGridCtrlEx *FileList() const { return m_gridFiles; }
    CBCGPGridCtrlEx *ParamList() const { return m_gridParams; }
    QPushButton *ApplyButton() const { return m_btnApply; }
    // The last applied file's (code, value) pairs that are in range, for the write.
    const QList<QPair<QString, std::int32_t>> &ApplyValues() const { return m_arrApplyValues; }

private:
    // The file's (code, value text) pairs; 1 when the file was read, else *why tells why.
    static int ReadFileParams(const QString &path, QList<QPair<QString, QString>> &pairs, QString *why);
    // Tells the user about the chosen file.
    void Say(const QString &text);
    static void AddRow(CBCGPGridCtrlEx *grid, const QStringList &cells);

    CBCGPGridCtrlEx *m_gridFiles = nullptr;
    CBCGPGridCtrlEx *m_gridParams = nullptr;
    QPushButton *m_btnApply = nullptr;
    QList<QPair<QString, std::int32_t>> m_arrApplyValues;
    UINT m_nMsgSelChanged = 0;
    bool m_bListing = false;  // the lists are being rebuilt: their selection notices are ours
};
