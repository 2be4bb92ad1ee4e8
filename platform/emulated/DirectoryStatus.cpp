#include "platform/emulated/DirectoryStatus.h"

#include <cstdlib>

namespace veltrona {

const char* directoryStatusName(int code)
{
    switch (code) {
    case eDSNoErr: return "eDSNoErr";
    case eDSUnknownNodeName: return "eDSUnknownNodeName";
    case eDSCorruptRecEntryData: return "eDSCorruptRecEntryData";
    case eDSAuthFailed: return "eDSAuthFailed";
    case eDSPermissionError: return "eDSPermissionError";
    case eDSInvalidRecordType: return "eDSInvalidRecordType";
    case eDSInvalidRecordName: return "eDSInvalidRecordName";
    case eDSAttributeNotFound: return "eDSAttributeNotFound";
    case eDSRecordAlreadyExists: return "eDSRecordAlreadyExists";
    case eDSRecordNotFound: return "eDSRecordNotFound";
    case eDSAttributeValueNotFound: return "eDSAttributeValueNotFound";
    default: return "eDSUnknownError";
    }
}

Status directoryFailure(int code)
{
    return Status::failure(code, directoryStatusName(code));
}

int directoryExitStatus(int code)
{
    return std::abs(code) % 256;
}

} // namespace veltrona
