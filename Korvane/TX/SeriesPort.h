#pragma once
// The program's one path to the drive: a serial device (real adapter or pseudo-terminal)
// opened by path, raw 8-bit, on a non-blocking descriptor. It knows nothing of frames.
// The port has no lock: every user holds the settings object's link lock for a whole
// request-and-reply exchange.

#include "platform/WinTypes.h"

#include <QString>

#include <atomic>
#include <chrono>
#include <mutex>
#include <string>

struct termios;

class CSeriesPort {
public:
    // Results of the last Open, in m_dwLastError.
    static constexpr DWORD kOpenOk = 0;
    static constexpr DWORD kOpenNotFound = 1;
    static constexpr DWORD kOpenInUse = 2;      // also: no permission
    static constexpr DWORD kOpenOtherError = 3;
    static constexpr DWORD kOpenSetupFailed = 4;  // opened, but could not be configured

    CSeriesPort();
    virtual ~CSeriesPort();
    CSeriesPort(const CSeriesPort &) = delete;
    CSeriesPort &operator=(const CSeriesPort &) = delete;

    // Opens and configures the device: baud rate, 8 data bits, parity code (0 none, 1 odd,
    // 2 even, 3 mark, 4 space, anything else none), stop-bit code (0 one, anything else
    // two: one and a half does not exist with 8 data bits here). TRUE on success, and at
    // once when already open (the stored settings then stay as they were). The device is
    // held exclusively until Close.
    BOOL Open(const std::string &strDevice, int nBaud, int nParity, int nStopBits);
    BOOL Open(const QString &strDevice, int nBaud, int nParity, int nStopBits)
    {
        return Open(strDevice.toStdString(), nBaud, nParity, nStopBits);
    }
    BOOL Open(const char *szDevice, int nBaud, int nParity, int nStopBits)
    {
        return Open(std::string(szDevice ? szDevice : ""), nBaud, nParity, nStopBits);
    }
    // The same for a numbered port (1 = the first serial device, see GetDeviceName).
    BOOL Open(int nPort, int nBaud, int nParity, int nStopBits);
    // Always TRUE.
    BOOL Close();

    // Reads what is already queued, at most dwMax bytes; never waits. 0 on any failure.
    DWORD Read(BYTE *pBuffer, DWORD dwMax);
    // Keeps the line silent for SilenceMicros after the last byte received (a frame boundary
    // for the drive), discards unread input and unsent output, then sends; dwLength when all
    // was sent (waiting at most 5 s for room), else 0.
    DWORD Write(const BYTE *pBuffer, DWORD dwLength);
    // Lets nMs pass without reading, noting when input arrives (that sets where the silence
    // before the next Write starts).
    void Idle(DWORD dwMs);
    // The silence kept before a write: 3.5 characters of 11 bits.
    static DWORD SilenceMicros(int nBaud);

    // Bytes waiting in the input queue (0 when closed or on failure).
    DWORD GetBytesQueued();
    // When input was last seen arriving (where the silence before the next Write starts).
    std::chrono::steady_clock::time_point LastInputAt() const { return m_tLastInput; }
    // Waits up to nTimeoutMs for input (or a device condition that the next Read must see).
    // TRUE when a Read is worth making. Needs no link lock (the roll reader waits here).
    BOOL WaitForData(int nTimeoutMs);
    // Discards unread input and unsent output.
    void Purge();

    // Milliseconds to let pass after sending dwBytes at nBaud before looking for the reply:
    // 11 bit times per byte plus a margin by baud rate.
    static DWORD GetFrameTime(DWORD dwBytes, int nBaud);
    // Device path of port number nPort: 1 is "/dev/ttyS0".
    static std::string GetDeviceName(int nPort);
    // Turns `tio` into the raw 8-bit line Open sets up (no flow control, no echo, reads
    // that never block). False for a baud rate the system does not offer.
    static bool MakeLineSettings(struct termios &tio, int nBaud, int nParity, int nStopBits);

    // The device path last opened (a copy: other threads ask while the port reopens).
    std::string DevicePath() const;

    // Read by other threads (the status tick, the frame) while the link's owner reopens.
    std::atomic<BOOL> m_bOpen{FALSE};
    int m_nPort = 0;           // number given to Open, 0 when opened by path
    std::atomic<int> m_nBaud{0};
    int m_nDataBits = 8;
    int m_nParity = 0;
    int m_nStopBits = 0;
    DWORD m_dwLastError = kOpenOk;
    int m_nLastErrno = 0;      // the system's reason behind the last failed Open

private:
    // The device vanished (adapter pulled out, pseudo-terminal master gone): the
    // descriptor is released and the port counts as closed from now on.
    void OnDeviceGone();
    void Release();
    // Notes input that arrived since the last look (FIONREAD grew): the time it was seen.
    void NoteInput();
    void WaitForSilence();

    // Atomic: the roll reader waits for input on it without the link lock.
    std::atomic<int> m_fd{-1};
    mutable std::mutex m_mxDevice;
    std::string m_strDevice;  // path of the device last opened, under m_mxDevice
    // Input bookkeeping for the silence before a write.
    DWORD m_dwSeenQueued = 0;
    std::chrono::steady_clock::time_point m_tLastInput{};
};
