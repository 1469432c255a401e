#include "SYSPARAM/SysParam.h"

#include "LangText.h"
#include "PathHelpers.h"
#include "TraceLog.h"
#include "database/CustomParamGroups.h"
#include "platform/IniFile.h"
#include "platform/UiServices.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace {

CSysParam *g_pSysParam = nullptr;

const QString kSerialPort = QStringLiteral("SerialPort");
const QString kPath = QStringLiteral("Path");
const QString kUserManage = QStringLiteral("UserManage");
const QString kDialog = QStringLiteral("Dialog");
const QString kLastState = QStringLiteral("LastState");

}

CSysParam *GetSysParam()
{
    return g_pSysParam;
}

void SetSysParam(CSysParam *sysParam)
{
    g_pSysParam = sysParam;
}

CSysParam::CSysParam() : m_byStation(g_byDefaultStation) {}

CSysParam::CSysParam(const QString &defaultDbPath)
    : m_ProjectDatabase(defaultDbPath), m_byStation(g_byDefaultStation)
{
}

CSysParam::~CSysParam()
{
    ClosePort();
    // Only the initialised instance owns config.ini and the custom groups.
    if (m_bInitialised) {
        SaveSettings();
        SaveCustomGroups();
    }
}

BOOL CSysParam::Init()
{
    LoadCustomGroups();
    const QString dir = GetProgramDir();
    m_strParamsDataPath = dir + QStringLiteral("ParamsData/");
    m_strConfigFile = dir + QStringLiteral("config/config.ini");
    m_bInitialised = true;
    LoadSettings();

    if (!QFileInfo::exists(m_ProjectDatabase.m_strDefaultDbPath)) {
        AssertLinkLockNotHeld();
        platform::Ui().MessageBox(LoadLangString(QStringLiteral("IDS_SysParam_1")),
                                  LoadLangString(QStringLiteral("IDS_SysParam_2")), MB_OK);
        return FALSE;
    }
    CDataProject loaded;
    if (!m_ProjectDatabase.LoadDefaultDatabase(loaded, m_ProjectDatabase.m_nProductID))
        return FALSE;
    m_ProjectDatabase.m_Project = loaded;
    m_ProjectDatabase.MarkUnchanged();

    OpenPortFromSettings();

    if (CDataAxisParameter *axis = FindActiveAxis(m_ProjectDatabase.m_nCurDeviceID)) {
        for (const CDBDataParameter &p : axis->m_arrParameter)
            CheckParamRange(p);
    }
    return TRUE;
}

// ---- Settings ---------------------------------------------------------------------------------

QString CSysParam::ReadIniString(const QString &section, const QString &key, const QString &def,
                                 const QString &file)
{
    // The profile calls read into a buffer of 260 characters.
    return IniFile::GetString(file, section, key, def).left(259);
}

QString CSysParam::GetProgramDir()
{
    return GetModulePath();
}

QString CSysParam::DefaultRecipePath()
{
    return QDir::homePath();
}

BOOL CSysParam::LoadSettings()
{
    const IniFile ini(m_strConfigFile);
    auto text = [&](const QString &s, const QString &k, const QString &def) {
        return ini.Read(s, k, def).left(259);
    };
    m_ProjectDatabase.m_nProductID = ini.ReadInt(kLastState, QStringLiteral("LastProductID"), 1);
    m_nComNum = ini.ReadInt(kSerialPort, QStringLiteral("ComNum"), 1);
    m_strDevicePath = IniFile::NormalizePath(text(kSerialPort, QStringLiteral("DevicePath"), {}));
    m_nComBaud = ini.ReadInt(kSerialPort, QStringLiteral("ComBaud"), 57600);
    m_strProtocol = text(kSerialPort, QStringLiteral("Protocol"), QStringLiteral("8-N-2"));
    m_strRecipePath = text(kPath, QStringLiteral("RecipePath"), DefaultRecipePath());
    m_strLoginUser = text(kUserManage, QStringLiteral("LoginUser"), QStringLiteral("qorvi"));
    m_strLoginPsw = text(kUserManage, QStringLiteral("LoginPsw"), QStringLiteral("qorvi"));
    m_nClose1s = ini.ReadInt(kDialog, QStringLiteral("Close1s"), 0);
    m_bEngineer = ini.ReadInt(kLastState, QStringLiteral("bEngineer"), 0);
    return TRUE;
}

void CSysParam::SaveSettings()
{
    if (m_strConfigFile.isEmpty())
        return;
    IniFile ini(m_strConfigFile);
    auto num = [](int v) { return QString::number(v); };
    ini.Write(kSerialPort, QStringLiteral("ComNum"), num(m_nComNum));
    if (!m_strDevicePath.isEmpty() || ini.HasKey(kSerialPort, QStringLiteral("DevicePath")))
        ini.Write(kSerialPort, QStringLiteral("DevicePath"), m_strDevicePath);
    ini.Write(kSerialPort, QStringLiteral("ComBaud"), num(m_nComBaud));
    ini.Write(kSerialPort, QStringLiteral("ModAddr"), num(m_byStation.load()));
    ini.Write(kSerialPort, QStringLiteral("Protocol"), m_strProtocol);
    ini.Write(kPath, QStringLiteral("RecipePath"), m_strRecipePath);
    ini.Write(kUserManage, QStringLiteral("LoginUser"), m_strLoginUser);
    ini.Write(kUserManage, QStringLiteral("LoginPsw"), m_strLoginPsw);
    ini.Write(kLastState, QStringLiteral("LastProductID"), num(m_ProjectDatabase.m_nProductID));
    ini.Write(kDialog, QStringLiteral("Close1s"), num(m_nClose1s));
    ini.Write(kLastState, QStringLiteral("bEngineer"), num(m_bEngineer));
    if (!ini.Save())
        KLOG("SYSPARAM\\SysParam") << "config.ini could not be written: " << m_strConfigFile.toStdString();
}

void CSysParam::SaveClose1s()
{
    if (m_strConfigFile.isEmpty())
        return;
    IniFile::WriteInt(m_strConfigFile, kDialog, QStringLiteral("Close1s"), m_nClose1s);
}

QString CSysParam::DevicePathOfComNum(int comNum)
{
    return QString::fromStdString(CSeriesPort::GetDeviceName(comNum));
}

QString CSysParam::GetDevicePath() const
{
    const QByteArray env = qgetenv("KORVANE_DEVICE");
    if (!env.isEmpty())
        return QString::fromLocal8Bit(env);
    if (!m_strDevicePath.isEmpty())
        return m_strDevicePath;
    return DevicePathOfComNum(m_nComNum);
}

int CSysParam::ParityOfProtocol(const QString &protocol)
{
    const QChar c = protocol.size() > 2 ? protocol[2] : QChar();
    if (c == QLatin1Char('O'))
        return 1;
    if (c == QLatin1Char('E'))
        return 2;
    return 0;
}

int CSysParam::StopBitsOfProtocol(const QString &protocol)
{
    return protocol.size() > 4 && protocol[4] == QLatin1Char('1') ? 0 : 2;
}

BOOL CSysParam::OpenPortFromSettings()
{
    std::lock_guard lock(m_csSerial);
    if (m_SeriesPort.m_bOpen)
        return TRUE;
    return m_SeriesPort.Open(QFile::encodeName(GetDevicePath()).toStdString(), m_nComBaud, ParityOfProtocol(m_strProtocol),
                             StopBitsOfProtocol(m_strProtocol));
}

void CSysParam::ClosePort()
{
    std::lock_guard lock(m_csSerial);
    if (m_SeriesPort.m_bOpen)
        m_SeriesPort.Close();
}

BOOL CSysParam::ReopenPort()
{
    std::lock_guard lock(m_csSerial);
    ClosePort();
    return OpenPortFromSettings();
}

// ---- Custom groups ----------------------------------------------------------------------------

bool CSysParam::LoadCustomGroups()
{
    const CustomGroupsLoad result =
        LoadCustomParamGroupsFrom(CustomParamFilePath(), m_arrParamUser, m_arrGroupsUser);
    m_bCustomGroupsLoadFailed = result == CustomGroupsLoad::Failed;
    if (m_bCustomGroupsLoadFailed)
        KLOG("SYSPARAM\\SysParam") << "CustomParam.xml could not be read completely";
    return result == CustomGroupsLoad::Loaded;
}

void CSysParam::SaveCustomGroups()
{
    const QString path = CustomParamFilePath();
    if (m_bCustomGroupsLoadFailed) {
        if (m_arrGroupsUser.isEmpty() && m_arrParamUser.isEmpty())
            return;
        // Keep what could not be read before writing over it.
        const QString backup = path + QStringLiteral(".bak");
        QFile::remove(backup);
        if (QFile::exists(path) && !QFile::rename(path, backup)) {
            KLOG("SYSPARAM\\SysParam") << "CustomParam.xml kept: its copy could not be made";
            return;
        }
        m_bCustomGroupsLoadFailed = false;
    }
    if (!SaveCustomParamGroupsTo(path, m_arrParamUser, m_arrGroupsUser))
        KLOG("SYSPARAM\\SysParam") << "CustomParam.xml could not be written";
}

// ---- Look-ups ---------------------------------------------------------------------------------

QMap<QString, std::int32_t> &CSysParam::GetCurrentDeviceSelects()
{
    if (CDataDevice *device = m_ProjectDatabase.m_Project.FindDevice(m_ProjectDatabase.m_nCurDeviceID))
        return device->m_mapLoadedValues;
    m_mapNoDeviceSelects.clear();
    return m_mapNoDeviceSelects;
}

CDataAxisParameter *CSysParam::FindActiveAxis(int deviceId)
{
    CDataDevice *device = m_ProjectDatabase.m_Project.FindDevice(deviceId);
    return device ? device->FindAxis(1) : nullptr;
}

CDataAxisSystem *CSysParam::FindActiveProductSystem(int productId)
{
    CDataProductSystem *product = m_ProjectDatabase.m_Project.FindProductSystem(productId);
    return product ? product->FindAxis(1) : nullptr;
}

CDBDataProducts *CSysParam::FindCurrentProduct()
{
    return m_ProjectDatabase.m_Project.FindProduct(m_ProjectDatabase.m_nProductID);
}

BOOL CSysParam::FindParamByCode(const QString &code, CDBDataParameter *out)
{
    CDataAxisParameter *axis = FindActiveAxis(m_ProjectDatabase.m_nCurDeviceID);
    if (!axis)
        return FALSE;
    for (CDBDataParameter &p : axis->m_arrParameter) {
        if (p.sNum == code) {
            if (out && out != &p)
                *out = p;
            return TRUE;
        }
    }
    return FALSE;
}

BOOL CSysParam::AppendGroupParameters(const QString &groupNo, QList<CDBDataParameter> &list)
{
    if (CDataAxisParameter *axis = FindActiveAxis(m_ProjectDatabase.m_nCurDeviceID)) {
        for (const CDBDataParameter &p : axis->m_arrParameter) {
            if (p.sGroupNO == groupNo)
                list.append(p);
        }
    }
    return list.isEmpty() ? FALSE : TRUE;
}

BOOL CSysParam::CheckParamRange(const CDBDataParameter &param)
{
    if (param.iCurValue < param.iMin || param.iCurValue > param.iMax) {
        const QString text = FillLangPlaces(LoadLangString(QStringLiteral("IDS_SysParam_15")),
                                        {param.sNum, QString::number(param.iMin),
                                         QString::number(param.iMax),
                                         QString::number(param.iCurValue)});
        AssertLinkLockNotHeld();
        platform::Ui().MessageBox(text, QString(), MB_OK);
    }
    return TRUE;
}
