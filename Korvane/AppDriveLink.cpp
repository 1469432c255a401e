#include "AppDriveLink.h"

#include "SYSPARAM/SysParam.h"
#include "Thread/ReadQueue.h"
#include "database/DbServices.h"
#include "platform/LanguageConf.h"
#include "platform/UiServices.h"

namespace {

// The settings object and the application's read-request queue.
class CSysParamDriveLink : public IAppDriveLink
{
public:
    explicit CSysParamDriveLink(CSysParam &sysParam) : m_sysParam(sysParam), m_queue(sysParam) {}

    ~CSysParamDriveLink() override
    {
        m_queue.Shutdown();
        if (GetReadQueue() == &m_queue)
            SetReadQueue(nullptr);
        if (GetSysParam() == &m_sysParam)
            SetSysParam(nullptr);
        SetDbMessageSink({});
    }

    bool Init() override
    {
        SetSysParam(&m_sysParam);
        SetReadQueue(&m_queue);
        // The database layer tells the user through the same prompts as the rest of the program.
        SetDbMessageSink(TellUserOfDbMessage);
        return m_sysParam.Init() != FALSE;
    }

    void RequestReadWorkerStop() override { m_queue.SetStop(); }
    bool IsReadWorkerRunning() const override { return m_queue.IsWorkerRunning(); }
    void ReleaseReadWorker() override { m_queue.Shutdown(); }

private:
    CSysParam &m_sysParam;
    CReadQueue m_queue;
};

}

void TellUserOfDbMessage(DbMessageKind kind, const QString &text)
{
    if (kind == DbMessageKind::DesktopAlert) {
        platform::DesktopAlertRequest alert;
        alert.seconds = kProjectAlertSeconds;
        alert.text = TrText(text);
        alert.caption = TrText(QStringLiteral("温馨提示："));
        platform::Ui().DesktopAlert(alert);
    } else {
        platform::Ui().MessageBox(TrText(text), TrText(QStringLiteral("提示")), MB_OK | MB_ICONWARNING);
    }
}

std::unique_ptr<IAppDriveLink> CreateAppDriveLink(CSysParam &sysParam)
{
    return std::make_unique<CSysParamDriveLink>(sysParam);
}
