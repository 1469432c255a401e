#pragma once
// One request to the read worker: the parameters to read and up to two windows to tell.
// The worker reads every parameter and then posts UM_READ_DONE with the request as payload:
// wParam 0 to m_hMainWnd, wParam 1 to m_hPageWnd; lParam carries the same CReadRequest*,
// valid while the handler holds the payload (MessageTarget::Payload<CReadRequest>()).
#include "database/DBDataParameter.h"
#include "platform/Messages.h"

#include <QList>
#include <vector>

class CReadRequest {
public:
    QList<CDBDataParameter> m_arrParam;  // the worker writes each result into iCurValue
    platform::WindowRef m_hMainWnd;      // set by AppendReadRequest to the main window
    platform::WindowRef m_hPageWnd;      // the requesting page; may be empty
    int m_nFlag = 0;                     // the requester's own, carried unchanged

    // After the worker: one entry per parameter, true where the read succeeded. A parameter
    // whose read failed keeps the value the requester gave it and must not be taken as read.
    std::vector<bool> m_arrReadOk;
    // The reads stopped early because the drive did not answer at all.
    bool m_bDriveAbsent = false;
    bool IsRead(int index) const
    {
        return index >= 0 && std::size_t(index) < m_arrReadOk.size() && m_arrReadOk[std::size_t(index)];
    }
    // True when every parameter was read.
    bool AllRead() const;
};
