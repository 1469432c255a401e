// The parameter page's recipe files: save the checked parameters, load a file into the table,
// the checked list and the recipe list. A load is all or nothing: a cancelled dialog or a file
// that cannot be read changes nothing.
#include "Wnds/Params/DlgParams.h"

#include "DlgDesktop.h"
#include "PathHelpers.h"
#include "Wnds/Params/RecipeFile.h"
#include "platform/LanguageConf.h"

#include <QDateTime>
#include <QFileInfo>
#include <glog/logging.h>

namespace {

QString ProductModel(CSysParam *sys)
{
    const CDBDataProducts *product = sys ? sys->FindCurrentProduct() : nullptr;
    return product ? product->sProductModel : QString();
}

// The folder of a chosen file, as the recipe folder keeps it (with its separator).
QString FolderOf(const QString &path)
{
    return QFileInfo(path).absolutePath() + QLatin1Char('/');
}

}

int CDlgParams::LoadRecipeFile()
{
    CSysParam *sys = GetSysParam();
    QList<CDBDataParameter> *params = ActiveParams();
    if (!sys || !params)
        return 0;
    platform::FileDialogRequest request;
    request.filter = TrSection(m_strLangSection, QStringLiteral("配方文件")) +
                     QStringLiteral("(*.txt;*.usr;*.rcp;*.csv)|*.txt;*.usr;*.rcp;*.csv||");
    request.initialDir = sys->m_strRecipePath;
    request.overwritePrompt = true;
    request.owner = this;
    const std::optional<QString> path = platform::Ui().FileDialog(request);
    if (!path)
        return 0;
    sys->m_strRecipePath = FolderOf(*path);

    const RecipeReadResult read = ReadRecipeFile(*path, *params);
    if (!read.ok) {
        LOG(INFO) << "数组读取有问题! " << read.error.toStdString();
        ShowDesktopAlert(1, TrSection(m_strLangSection, QStringLiteral("读取失败!")), RGB(255, 0, 0));
        return 0;
    }
    if (read.records.isEmpty()) {
        LOG(INFO) << "theApp.g_SysParam.m_arrRecipeParameter 为空";
        return 0;
    }
    // Values outside their range are shown with a warning each and loaded; the writes check
    // the range again and leave them out.
    for (const CDBDataParameter &p : read.records)
        sys->CheckParamRange(p);
    sys->m_arrRecipeParameter = read.records;
    if (QList<CDBDataParameter> *checked = CheckedParams())
        checked->clear();
    if (QWidget *main = platform::MainWindow()) {
        const CDBDataParameter first = sys->m_arrRecipeParameter.front();
        platform::SendMessage(platform::WindowRef(main), UM_SHOW_PARAM_GROUP, WPARAM(&first), 0);
    }
    for (const CDBDataParameter &p : sys->m_arrRecipeParameter) {
        if ((params = ActiveParams()))
            ReplaceParamInList(*params, p);
        UpdateCheckedList(p, TRUE);
    }
    RefreshTable();
    return 1;
}

void CDlgParams::SaveRecipeFile()
{
    CSysParam *sys = GetSysParam();
    const QList<CDBDataParameter> *checked = CheckedParams();
    if (!sys)
        return;
    const QString model = ProductModel(sys);
    if (!checked || checked->isEmpty()) {
        platform::Ui().MessageBox(TrSection(m_strLangSection, QStringLiteral("没有选择功能码,请重新选择!")), QString(),
                                  MB_OK, this);
        return;
    }
    platform::FileDialogRequest request;
    request.save = true;
    request.filter = TrSection(m_strLangSection, QStringLiteral("配方文件")) +
                     QStringLiteral("(*.txt)|*.txt|(*.csv)|*.csv||");
    request.initialName = RecipeDefaultName(QDateTime::currentDateTime(), model);
    request.initialDir = sys->m_strRecipePath;
    request.overwritePrompt = true;
    request.owner = this;
    const std::optional<QString> chosen = platform::Ui().FileDialog(request);
    if (!chosen)
        return;
    const QString path = RecipeSavePath(*chosen);
    sys->m_strRecipePath = FolderOf(path);
    bool ok = false;
    if (RecipeLayoutOfPath(path) == RecipeLayout::Csv) {
        CGridTableAttribute layout;
        m_dlgGrid.SaveColumnLayout(layout);
        CGridRowDataMap rows;
        m_dlgGrid.GetSelectedRowsData(rows);
        ok = WriteRecipeCsv(path, model, layout, rows);
    } else {
        ok = WriteRecipeText(path, model, *checked);
    }
    platform::Ui().MessageBox(TrSection(m_strLangSection, ok ? QStringLiteral("配方文件保存成功!")
                                                             : QStringLiteral("配方文件保存失败!")),
                              QString(), MB_OK, this);
}
