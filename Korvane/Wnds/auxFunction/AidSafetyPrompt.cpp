#include "AidSafetyPrompt.h"

#include "DlgShowTip.h"
#include "PathHelpers.h"
#include "platform/UiServices.h"

namespace {

void DefaultRunner(QWidget *owner, const QString &picturePath, BOOL *flag)
{
    if (!platform::MainWindow())
        return;
    CDlgShowTip tip(owner);
    tip.m_strImagePath = picturePath;
    tip.m_pDontShowAgain = flag;
    tip.DoModal();
}

AidSafetyPromptRunner &Runner()
{
    static AidSafetyPromptRunner runner = DefaultRunner;
    return runner;
}

}  // namespace

QString AidSafetyPicturePath(const QString &pictureName)
{
    return GetDirectoryOfPath(GetProgramDir()) + QStringLiteral("/CommonRes/AlarmInfoRes/") + pictureName;
}

void ShowAidSafetyPrompt(QWidget *owner, const QString &pictureName, BOOL *flag)
{
    if (!flag || *flag)
        return;
    Runner()(owner, AidSafetyPicturePath(pictureName), flag);
}

AidSafetyPromptRunner SetAidSafetyPromptRunner(AidSafetyPromptRunner runner)
{
    AidSafetyPromptRunner previous = Runner();
    Runner() = runner ? std::move(runner) : AidSafetyPromptRunner(DefaultRunner);
    return previous;
}
