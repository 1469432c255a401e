#include "StatusTick.h"

#include "SYSPARAM/SysParam.h"
#include "platform/LanguageConf.h"

#include <mutex>

// ---- The settings object as the tick's link -------------------------------------------------

bool CSysParamStatusLink::IsPortOpen() const
{
    return m_sys.m_SeriesPort.m_bOpen;
}

bool CSysParamStatusLink::IsDriveSampling() const
{
    return m_sys.g_bDriveSampling;
}

bool CSysParamStatusLink::IsConnected() const
{
    return m_sys.m_bConnected;
}

bool CSysParamStatusLink::PollConnection()
{
    return m_sys.PollConnection();
}

int CSysParamStatusLink::DriveStatus() const
{
    return m_sys.m_nDriveStatus;
}

QString CSysParamStatusLink::AlarmText()
{
    return m_sys.GetAlarmText();
}

QString CSysParamStatusLink::DriveModel() const
{
    return m_sys.GetDriveModel();
}

QString CSysParamStatusLink::DriveSerial() const
{
    return m_sys.GetDriveSerial();
}

void CSysParamStatusLink::ReadRunState()
{
    std::lock_guard lock(m_sys.m_csSerial);
    int value = 0;
    for (int i = 0; i < 10; ++i) {
        if (m_sys.m_ModbusRTU.ReadRegister(CSysParam::kRegRunState, &m_sys.m_SeriesPort, m_sys.m_byStation, &value))
            break;
    }
}

// ---- The tick ---------------------------------------------------------------------------------

StatusPollResult RunStatusPoll(IStatusLink &link, const StatusPollRequest &request)
{
    StatusPollResult r;
    r.portOpen = link.IsPortOpen();
    if (r.portOpen) {
        // While a capture streams from the drive only the second poll runs, and only on a
        // live link, so one poll per tick still reaches the drive.
        if (!link.IsDriveSampling())
            link.PollConnection();
        if (link.IsPortOpen() && link.IsConnected())
            r.online = link.PollConnection();
    }
    // A closed port has no drive behind it, whatever the last poll found.
    r.portOpen = r.portOpen && link.IsPortOpen();
    r.connected = r.portOpen && link.IsConnected();
    r.generation = request.generation;
    r.driveStatus = link.DriveStatus();
    if (r.connected) {
        r.model = link.DriveModel();
        r.serial = link.DriveSerial();
        r.identityKnown = !r.model.isEmpty() && !r.serial.isEmpty();
        if (r.online && r.driveStatus == 3)
            r.alarmText = link.AlarmText();
        if (request.readRunState && r.online && r.identityKnown) {
            link.ReadRunState();
            r.runStateRead = true;
        }
    }
    return r;
}

StatusPollResult RunStatusPoll(const StatusPollRequest &request)
{
    return request.link ? RunStatusPoll(*request.link, request) : StatusPollResult();
}

StatusView ComputeStatusView(const StatusPollResult &r, const StatusContext &c)
{
    auto tr = [&c](const char *source) { return TrSection(c.langSection, QString::fromUtf8(source)); };
    StatusView v;
    v.online = r.portOpen && r.online;
    QString label;
    if (v.online) {
        v.pane0 = tr("当前状态: 在线");
        v.connectText = tr("关闭");
        v.connectImage = 5;
    } else {
        v.pane0 = tr("当前状态: 离线");
        v.connectText = tr("连通");
        v.connectImage = 0;
        if (!c.currentProductModel.isEmpty())
            label = c.currentProductModel + QStringLiteral("   ");
        v.toolbar = std::make_pair(label, QStringLiteral(" "));
    }

    QString identity;
    if (!r.connected) {
        v.toolbar = std::make_pair(label, QStringLiteral("88888"));
    } else {
        identity = tr("驱动器型号：") + QStringLiteral("  ") + r.model + QStringLiteral("   ") + tr("SN号：") +
                   QStringLiteral("  ") + r.serial;
        // Only a state this tick has read is shown; 4 and above keep the previous display.
        if (v.online) {
            switch (r.driveStatus) {
            case 0: v.toolbar = std::make_pair(label, QStringLiteral("nrd")); break;
            case 1: v.toolbar = std::make_pair(label, QStringLiteral("rdy")); break;
            case 2: v.toolbar = std::make_pair(label, QStringLiteral("run")); break;
            case 3: v.toolbar = std::make_pair(label, r.alarmText); break;
            default: break;
            }
        }
    }

    // The product follows the model the drive reports, once per link, and only once that
    // model is known: a tick without a drive never throws away the product chosen at start.
    if (v.online && r.connected && r.identityKnown && !c.driveInfoRead) {
        v.productChecked = true;
        int id = c.findProductId ? c.findProductId(r.model) : -1;
        if (id == -1) {
            id = 1;
            v.unknownModel = true;
        }
        if (!(c.currentProductExists && c.currentProductId == id))
            v.switchToProduct = id;
    }

    v.pane2 = tr("软件发布版本号：") + QString::fromLatin1(kSoftwareVersion) + QLatin1Char(' ') + identity;
    return v;
}

// ---- The poll worker --------------------------------------------------------------------------

CStatusPoller::CStatusPoller(platform::WindowRef target, UINT message, PollFunction poll)
    : m_target(std::move(target)), m_message(message), m_poll(std::move(poll))
{
    m_thread = std::thread([this] { Run(); });
}

CStatusPoller::~CStatusPoller()
{
    Stop();
}

bool CStatusPoller::Start(const StatusPollRequest &request)
{
    std::lock_guard lock(m_mutex);
    if (m_stop || m_busy || m_request)
        return false;
    m_busy = true;
    m_request = request;
    m_wake.notify_one();
    return true;
}

void CStatusPoller::Stop()
{
    {
        std::lock_guard lock(m_mutex);
        m_stop = true;
    }
    m_wake.notify_one();
    if (m_thread.joinable())
        m_thread.join();
}

void CStatusPoller::Run()
{
    for (;;) {
        StatusPollRequest request;
        {
            std::unique_lock lock(m_mutex);
            m_wake.wait(lock, [this] { return m_stop || m_request.has_value(); });
            if (m_stop)
                return;
            request = *m_request;
            m_request.reset();
        }
        auto result = std::make_shared<StatusPollResult>(m_poll(request));
        platform::PostMessage(m_target, m_message, 0, 0, std::move(result));
        m_busy = false;
    }
}
