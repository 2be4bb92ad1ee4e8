#pragma once
// Directory Services status codes (tDirStatus) and their names, as dscl reports them.

#include "foundation/Status.h"

#include <string>

namespace veltrona {

inline constexpr int eDSNoErr = 0;
inline constexpr int eDSUnknownNodeName = -14009;
inline constexpr int eDSCorruptRecEntryData = -14065;
inline constexpr int eDSAuthFailed = -14090;
inline constexpr int eDSPermissionError = -14120;
inline constexpr int eDSInvalidRecordType = -14130;
inline constexpr int eDSInvalidRecordName = -14133;
inline constexpr int eDSAttributeNotFound = -14134;
inline constexpr int eDSRecordAlreadyExists = -14135;
inline constexpr int eDSRecordNotFound = -14136;
inline constexpr int eDSAttributeValueNotFound = -14143;

// "eDSRecordNotFound" for -14136; a number the table lacks gives "eDSUnknownError".
const char* directoryStatusName(int code);

// A failed Status carrying the code, whose message is the code's name.
Status directoryFailure(int code);

// What dscl exits with for a status: the code's absolute value modulo 256.
int directoryExitStatus(int code);

} // namespace veltrona
