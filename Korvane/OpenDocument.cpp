#include "OpenDocument.h"

#include "platform/LanguageConf.h"
#include "platform/UiServices.h"

#include <QFileInfo>
#include <QString>

bool OpenInstalledDocument(const QString &path, QWidget *owner, const QString &langSection)
{
    if (!QFileInfo(path).isFile()) {
        platform::Ui().MessageBox(TrSection(langSection, QStringLiteral("文件名无效!")), QString(), MB_OK, owner);
        return false;
    }
    if (!platform::Ui().ShellOpen(path)) {
        platform::Ui().MessageBox(TrSection(langSection, QStringLiteral("没有相关联的应用程序!")), QString(), MB_OK, owner);
        return false;
    }
    return true;
}
