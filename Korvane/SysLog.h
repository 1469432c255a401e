#pragma once
// The plain system log "Quennark_Sys.log" beside the program: one line per call, optionally
// stamped "%m/%d/%Y %H:%M:%S : ", appended and closed at once. The file is ANSI (GBK) text with
// CR LF line ends; callers format UTF-8 text.
#include <QString>
#include <mutex>

class CSysLog {
public:
    CSysLog() = default;
    CSysLog(const CSysLog &) = delete;
    CSysLog &operator=(const CSysLog &) = delete;

    // Enables the log and points it at program directory + "/Quennark_Sys.log".
    void InitPath();
    // Appends one line formatted by printf rules, cut to 2999 bytes (never inside a
    // character). False before InitPath, for a null format and when the file cannot be
    // opened; true when written or when the log is switched off.
    bool Write(const char *fmt, ...) __attribute__((format(printf, 2, 3)));

    static constexpr int kMaxText = 2999;
    static constexpr const char *kFileName = "Quennark_Sys.log";

    QString m_strPath;
    bool m_bEnable = false;
    bool m_bWithTime = false;

private:
    std::mutex m_cs;
    char m_szText[kMaxText + 1] = {};
};

// The program's one system log.
CSysLog &GetSysLog();
