#pragma once
// The instrument's serial line settings, shared by the panel and the
// terminal. Each step is a read-modify-write of what the driver holds; a
// step the driver refuses is skipped and the port is used as it then is.

#include <windows.h>

namespace kelt {

// 9600 baud, 8 data bits, no parity, one stop bit, as four steps in that
// order. Flow control, DTR, RTS and the special characters stay as they are.
void SetLine9600_8N1(HANDLE port);

// The driver's queues: first the output queue, keeping the input queue at
// its current size, then the input queue, keeping the output queue.
void SetQueueSizes(HANDLE port, DWORD outputBytes, DWORD inputBytes);

// Only the write time-outs: a write on a stalled line fails after the
// constant plus its own time on the line. Read time-outs stay as they are.
void LimitWriteTime(HANDLE port, DWORD constantMs, DWORD perByteMs);

}  // namespace kelt
