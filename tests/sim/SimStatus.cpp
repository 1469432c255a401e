// The simulated drive's status side: the moving status values, the fault history and its
// reset, and the digital inputs and outputs with their forcing.
#include "SimDrive.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr std::uint16_t kRegWriteEnable = 0x0001;
constexpr std::uint16_t kRegFaultReset = 0x0805;
constexpr std::uint16_t kRegForceEnable = 0x080F;
constexpr std::uint16_t kRegForcedDi = 0x0810;
constexpr std::uint16_t kRegForcedDo = 0x0811;
constexpr std::uint16_t kRegSpeed = 0x0900;
constexpr std::uint16_t kRegPosition = 0x0906;
constexpr std::uint16_t kRegDiState = 0x0925;
constexpr std::uint16_t kRegDoState = 0x0926;
constexpr std::uint16_t kRegDriveState = 0x092B;
constexpr std::uint16_t kRegAlarm = 0x0931;
constexpr std::uint16_t kRegRecordSelect = 0x0935;
constexpr std::uint16_t kRegDiTerminals = 0x0B03;
constexpr std::uint16_t kRegDoTerminals = 0x0B05;
constexpr std::uint16_t kRegWordOrder = 0x8006;
constexpr std::uint16_t kWriteEnableCode = 0x3A6D;
constexpr std::uint16_t kFirstDiParam = 0x0107;
constexpr std::uint16_t kLastDiParam = 0x0118;

}

void SimDrive::EnableStatusSide()
{
    std::lock_guard lock(m_mx);
    if (m_bStatusSide)
        return;
    m_bStatusSide = true;
    InstallStatusHooks();
}

void SimDrive::InstallStatusHooks()
{
    for (std::uint16_t a : {kRegWriteEnable, kRegFaultReset, kRegForceEnable, kRegForcedDi, kRegForcedDo,
                            kRegRecordSelect, kRegSpeed, kRegPosition, std::uint16_t(kRegPosition + 1)})
        m_registers.emplace(a, 0);

    // Status values that move: every read of the speed or the position gives the next value.
    m_readHooks[kRegSpeed] = [this](std::uint16_t a) -> Access {
        if (m_bStatusMoving) {
            const long long n = ++m_nStatusReads;
            m_registers[a] = static_cast<std::uint16_t>(static_cast<std::int16_t>(std::lround(1500 * std::sin(n * 0.3))));
        }
        return {m_registers[a], 0};
    };
    // The position's two registers are fixed when its first one is read, so that one
    // two-register read always sees one value.
    m_readHooks[kRegPosition] = [this](std::uint16_t a) -> Access {
        if (m_bStatusMoving) {
            const long long n = ++m_nStatusReads;
            const auto value = static_cast<std::uint32_t>(70000 + 1237 * n);
            const bool lowFirst = m_registers[kRegWordOrder] != 0;
            m_registers[a] = static_cast<std::uint16_t>(lowFirst ? value & 0xFFFF : value >> 16);
            m_registers[static_cast<std::uint16_t>(a + 1)] = static_cast<std::uint16_t>(lowFirst ? value >> 16 : value & 0xFFFF);
        }
        return {m_registers[a], 0};
    };

    // Fault history and reset.
    m_writeHooks[kRegRecordSelect] = [this](std::uint16_t a, std::uint16_t v) -> std::uint16_t {
        if (v > 9)
            return kExBadValue;
        m_registers[a] = v;
        return 0;
    };
    for (std::uint16_t a = 0x0936; a <= 0x093D; ++a) {
        m_readHooks[a] = [this](std::uint16_t address) -> Access {
            const FaultRecord &r = m_faultRing[std::min<std::size_t>(m_registers[kRegRecordSelect], 9)];
            const bool lowFirst = m_registers[kRegWordOrder] != 0;
            switch (address) {
            case 0x0936: return {r.code, 0};
            case 0x0937: return {static_cast<std::uint16_t>(lowFirst ? r.time & 0xFFFF : r.time >> 16), 0};
            case 0x0938: return {static_cast<std::uint16_t>(lowFirst ? r.time >> 16 : r.time & 0xFFFF), 0};
            case 0x0939: return {static_cast<std::uint16_t>(r.speed), 0};
            case 0x093B: return {static_cast<std::uint16_t>(r.currentU), 0};
            case 0x093C: return {static_cast<std::uint16_t>(r.currentV), 0};
            case 0x093D: return {r.busVoltage, 0};
            default: return {0, 0};
            }
        };
        m_writeHooks[a] = [](std::uint16_t, std::uint16_t) -> std::uint16_t { return 0; };
    }
    m_writeHooks[kRegFaultReset] = [this](std::uint16_t a, std::uint16_t v) -> std::uint16_t {
        m_registers[a] = v;
        if (v == 1 && m_bFaultResettable && m_registers[kRegAlarm] != 0) {
            m_registers[kRegAlarm] = 0;
            m_registers[kRegDriveState] = 1;
        }
        return 0;
    };

    // Digital inputs and outputs.
    auto diWord = [this]() -> std::uint16_t {
        return (m_registers[kRegForceEnable] & 1) ? m_registers[kRegForcedDi] : m_wDiWord;
    };
    auto doWord = [this]() -> std::uint16_t {
        return (m_registers[kRegForceEnable] & 2) ? m_registers[kRegForcedDo] : m_wDoWord;
    };
    m_readHooks[kRegDiState] = [diWord](std::uint16_t) -> Access { return {diWord(), 0}; };
    m_readHooks[kRegDiTerminals] = [diWord](std::uint16_t) -> Access { return {diWord(), 0}; };
    m_readHooks[kRegDoState] = [doWord](std::uint16_t) -> Access { return {doWord(), 0}; };
    m_readHooks[kRegDoTerminals] = [doWord](std::uint16_t) -> Access { return {doWord(), 0}; };
    for (std::uint16_t a : {kRegDiState, kRegDoState, kRegDiTerminals, kRegDoTerminals})
        m_writeHooks[a] = [](std::uint16_t, std::uint16_t) -> std::uint16_t { return 0; };
    m_writeHooks[kRegForcedDi] = [this](std::uint16_t a, std::uint16_t v) -> std::uint16_t {
        m_registers[a] = v & 0x01FF;
        return 0;
    };
    m_writeHooks[kRegForcedDo] = [this](std::uint16_t a, std::uint16_t v) -> std::uint16_t {
        m_registers[a] = v & 0x001F;
        return 0;
    };
    for (std::uint16_t a = kFirstDiParam; a <= kLastDiParam; ++a) {
        m_writeHooks[a] = [this](std::uint16_t address, std::uint16_t v) -> std::uint16_t {
            if (m_bStrictDi && m_registers[kRegWriteEnable] != kWriteEnableCode)
                return kExRefused;
            const auto it = m_registers.find(address);
            if (it == m_registers.end())
                return kExUnknownRegister;
            it->second = v;
            return 0;
        };
    }
}

void SimDrive::RaiseFault(const FaultRecord &record, bool resettable)
{
    EnableStatusSide();
    std::lock_guard lock(m_mx);
    m_faultRing.insert(m_faultRing.begin(), record);
    m_faultRing.resize(10);
    m_registers[kRegAlarm] = record.code;
    m_registers[kRegDriveState] = 3;
    m_bFaultResettable = resettable;
}

void SimDrive::RaiseFault(std::uint16_t code, bool resettable)
{
    FaultRecord r;
    r.code = code;
    {
        std::lock_guard lock(m_mx);
        const auto stored = std::count_if(m_faultRing.begin(), m_faultRing.end(),
                                          [](const FaultRecord &f) { return f.code != 0; });
        r.time = static_cast<std::uint32_t>(100 + 10 * stored);
    }
    r.speed = 1200;
    r.currentU = 150;
    r.currentV = -150;
    r.busVoltage = 3110;
    RaiseFault(r, resettable);
}

std::vector<SimDrive::FaultRecord> SimDrive::FaultHistory() const
{
    std::lock_guard lock(m_mx);
    return m_faultRing;
}

void SimDrive::SetDiWord(std::uint16_t word)
{
    EnableStatusSide();
    std::lock_guard lock(m_mx);
    m_wDiWord = word;
}

void SimDrive::SetDoWord(std::uint16_t word)
{
    EnableStatusSide();
    std::lock_guard lock(m_mx);
    m_wDoWord = word;
}

void SimDrive::SetStrictDiWrites(bool strict)
{
    EnableStatusSide();
    std::lock_guard lock(m_mx);
    m_bStrictDi = strict;
}

void SimDrive::SetStatusMoving(bool moving)
{
    EnableStatusSide();
    std::lock_guard lock(m_mx);
    m_bStatusMoving = moving;
}
