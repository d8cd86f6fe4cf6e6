#include "link/win/line_setup.h"

namespace kelt {
namespace {

template <typename Change>
void ChangeLine(HANDLE port, Change change) {
    DCB dcb{};
    dcb.DCBlength = sizeof dcb;
    if (!GetCommState(port, &dcb)) return;
    change(dcb);
    SetCommState(port, &dcb);
}

}  // namespace

void SetLine9600_8N1(HANDLE port) {
    ChangeLine(port, [](DCB& dcb) { dcb.BaudRate = CBR_9600; });
    ChangeLine(port, [](DCB& dcb) {
        dcb.ByteSize = 8;  // an 8-bit size also means one stop bit and no parity
        dcb.StopBits = ONESTOPBIT;
        dcb.fParity = FALSE;
        dcb.Parity = NOPARITY;
    });
    ChangeLine(port, [](DCB& dcb) { dcb.fParity = FALSE; });
    ChangeLine(port, [](DCB& dcb) { dcb.StopBits = ONESTOPBIT; });
}

void SetQueueSizes(HANDLE port, DWORD outputBytes, DWORD inputBytes) {
    COMMPROP properties{};
    if (GetCommProperties(port, &properties))
        SetupComm(port, properties.dwCurrentRxQueue, outputBytes);
    properties = {};
    if (GetCommProperties(port, &properties))
        SetupComm(port, inputBytes, properties.dwCurrentTxQueue);
}

void LimitWriteTime(HANDLE port, DWORD constantMs, DWORD perByteMs) {
    COMMTIMEOUTS timeouts{};
    if (!GetCommTimeouts(port, &timeouts)) return;
    timeouts.WriteTotalTimeoutMultiplier = perByteMs;
    timeouts.WriteTotalTimeoutConstant = constantMs;
    SetCommTimeouts(port, &timeouts);
}

}  // namespace kelt
