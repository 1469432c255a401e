#pragma once
// The oscilloscope's one road to the drive. Each call is one transaction (or one read of the
// roll stream) under the link lock of the live settings object; callers make their own
// attempts. Kept in one place so that the transport underneath can change without the
// acquisition code noticing.
#include "platform/WinTypes.h"

namespace scopelink {

// FALSE when there is no live settings object, the port is closed or the drive did not
// answer; the reason is then in LastError() of this thread.
BOOL ReadReg(WORD address, int *value);
BOOL ReadReg32(WORD address, int *value);
BOOL WriteReg(WORD address, WORD value);
BOOL ReadBlock(WORD index, BYTE data[128]);
// The codec's error code of this thread's last failed call.
DWORD LastError();

// Reads what the port holds, at most `max` bytes. When nothing is there it waits up to
// `waitMs` for bytes first (a closed port waits the same, so a caller's loop never spins).
DWORD ReadStream(BYTE *buffer, DWORD max, int waitMs);

bool Connected();
BYTE Station();
BYTE BlockFunction();
// The port's baud rate and bits per byte on the line (start, data, parity, stop).
int Baud();
int BitsPerByte();

}
