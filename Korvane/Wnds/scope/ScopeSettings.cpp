#include "Wnds/scope/ScopeSettings.h"

#include "Wnds/scope/ScopeThreads.h"

#include <mutex>

std::atomic<int> g_bScopeSingleBusy{0};
std::atomic<int> g_nScopeRunMode{0};

namespace {

std::mutex g_instanceLock;
CScopeSettings *g_pInstance = nullptr;
bool g_bDestroyed = false;

}

int ScopeRollSamplesPerFrame(int layout)
{
    switch (layout) {
    case 3: return 64;
    case 4: return 32;
    default: return 16;
    }
}

CScopeThreadParam &CScopeThreadParam::SingleShot()
{
    static CScopeThreadParam param;
    return param;
}

CScopeThreadParam &CScopeThreadParam::Roll()
{
    static CScopeThreadParam param;
    return param;
}

CScopeSettings *CScopeSettings::GetInstance()
{
    std::lock_guard lock(g_instanceLock);
    if (!g_pInstance && !g_bDestroyed)
        g_pInstance = new CScopeSettings();
    return g_pInstance;
}

void CScopeSettings::AllowCreation()
{
    std::lock_guard lock(g_instanceLock);
    g_bDestroyed = false;
}

bool CScopeSettings::Exists()
{
    std::lock_guard lock(g_instanceLock);
    return g_pInstance != nullptr;
}

void CScopeSettings::DestroyInstance()
{
    if (!Exists())
        return;
    // The threads write into the object: none may outlive it.
    StopScopeThreads();
    std::lock_guard lock(g_instanceLock);
    delete g_pInstance;
    g_pInstance = nullptr;
    g_bDestroyed = true;
}

CScopeSettings::CScopeSettings()
{
    Reset();
}

void CScopeSettings::Reset()
{
    m_dBasePeriodMs = 0.125;
    m_nPointsPerDiv = 100;
    m_strTimePerDiv = QStringLiteral("all");
    m_strContinuousPath.clear();
    for (auto &name : m_strChannelName)
        name = QStringLiteral("NULL");
    for (auto &c : m_clrCursorChannel)
        c = 0;
    m_nChselKind = 0;
    m_bRollRunning = 0;
    m_bSingleRunning = 0;
    m_nCycleCount = 1;
    for (auto &w : m_wTrigger)
        w = 0;
    m_nSampleWords = 4096;
    const BYTE header[6] = {0x01, 0x7B, 0xAA, 0x0F, 0x55, 0xF0};
    std::copy(header, header + 6, m_byFrameHeader);
    m_nLastFrameCounter = 0;
    m_bFirstFrame = 1;
    // Words 0 and 1 and the low byte of word 2.
    m_wDriveConfig[0] = 0;
    m_wDriveConfig[1] = 0;
    m_wDriveConfig[2] &= 0xFF00;
}

void CScopeSettings::ClearSamples()
{
    for (auto &v : m_vecCh)
        v.clear();
    m_vecDI.clear();
    m_vecDO.clear();
}

int CScopeSettings::FindChannelInfo(const QString &name) const
{
    for (std::size_t i = 0; i < m_arrChannelInfo.size(); ++i)
        if (m_arrChannelInfo[i].strName == name)
            return static_cast<int>(i);
    return -1;
}

int CScopeSettings::FindBitSource(const QString &name) const
{
    for (std::size_t i = 0; i < m_arrChBit.size(); ++i)
        if (m_arrChBit[i].strName == name)
            return static_cast<int>(i);
    return -1;
}

int CScopeSettings::SourceCodeOfName(const QString &name) const
{
    const int i = FindChannelInfo(name);
    if (i >= 0)
        return m_arrChannelInfo[static_cast<std::size_t>(i)].nSourceCode;
    const int b = FindBitSource(name);
    return b >= 0 ? m_arrChBit[static_cast<std::size_t>(b)].nId : 0;
}

QString CScopeSettings::FindChannelName(int code) const
{
    QString name;
    for (const auto &c : m_arrChannelInfo) {
        if (c.nSourceCode == code) {
            name = c.strName;
            break;
        }
    }
    for (const auto &b : m_arrChBit) {
        if (b.nId == code)
            return b.strName;
    }
    return name;
}

int CScopeSettings::GetChannelType(const QString &name) const
{
    const int i = FindChannelInfo(name);
    return i >= 0 ? m_arrChannelInfo[static_cast<std::size_t>(i)].nType : 0;
}

BOOL CScopeSettings::SetLoadedParamValue(const QString &code, int value)
{
    for (auto &p : m_arrParamList) {
        if (p.sNum == code) {
            p.iCurValue = value;
            return TRUE;
        }
    }
    return FALSE;
}
