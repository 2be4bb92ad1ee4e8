#pragma once
// Authorization Services: authenticate a user for a named right and hand the result to a
// privileged helper as a 32-byte external form. Codes and flags keep the Mac's values.

#include "foundation/PlistValue.h"

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace veltrona {

using OSStatus = std::int32_t;

inline constexpr OSStatus errAuthorizationSuccess = 0;
inline constexpr OSStatus errAuthorizationInvalidSet = -60001;
inline constexpr OSStatus errAuthorizationInvalidRef = -60002;
inline constexpr OSStatus errAuthorizationInvalidTag = -60003;
inline constexpr OSStatus errAuthorizationInvalidPointer = -60004;
inline constexpr OSStatus errAuthorizationDenied = -60005;
inline constexpr OSStatus errAuthorizationCanceled = -60006;
inline constexpr OSStatus errAuthorizationInteractionNotAllowed = -60007;
inline constexpr OSStatus errAuthorizationInternal = -60008;
inline constexpr OSStatus errAuthorizationExternalizeNotAllowed = -60009;
inline constexpr OSStatus errAuthorizationInternalizeNotAllowed = -60010;
inline constexpr OSStatus errAuthorizationInvalidFlags = -60011;
inline constexpr OSStatus errAuthorizationToolExecuteFailure = -60031;
inline constexpr OSStatus errAuthorizationToolEnvironmentError = -60032;
inline constexpr OSStatus errAuthorizationBadAddress = -60033;

using AuthorizationFlags = std::uint32_t;
inline constexpr AuthorizationFlags kAuthorizationFlagDefaults = 0;
inline constexpr AuthorizationFlags kAuthorizationFlagInteractionAllowed = 1;
inline constexpr AuthorizationFlags kAuthorizationFlagExtendRights = 2;
inline constexpr AuthorizationFlags kAuthorizationFlagPartialRights = 4;
inline constexpr AuthorizationFlags kAuthorizationFlagDestroyRights = 8;
inline constexpr AuthorizationFlags kAuthorizationFlagPreAuthorize = 16;

// The standard environment item names.
inline constexpr const char* kAuthorizationEnvironmentUsername = "username";
inline constexpr const char* kAuthorizationEnvironmentPassword = "password";

// One right or environment item: a name, optional bytes (no terminator) and flags.
struct AuthorizationItem {
    std::string name;
    std::vector<std::uint8_t> value;
    std::uint32_t flags = 0;
};
using AuthorizationItemSet = std::vector<AuthorizationItem>;

// An authorization reference: valid only in the process that created it. Zero is "none".
struct AuthorizationRef {
    std::uint64_t id = 0;
    explicit operator bool() const { return id != 0; }
    bool operator==(const AuthorizationRef&) const = default;
};

// The form an authorization takes to cross into another process.
inline constexpr std::size_t kAuthorizationExternalFormLength = 32;
struct AuthorizationExternalForm {
    std::array<std::uint8_t, kAuthorizationExternalFormLength> bytes{};
    bool operator==(const AuthorizationExternalForm&) const = default;
};

class AuthorizationServices {
public:
    virtual ~AuthorizationServices() = default;

    // AuthorizationCreate: a fresh reference; rights given here are copied as by copyRights.
    virtual OSStatus create(const AuthorizationItemSet& rights, const AuthorizationItemSet& environment,
                            AuthorizationFlags flags, AuthorizationRef& authorization) = 0;

    // AuthorizationRightGet: success when the right is defined in the database; its rule
    // dictionary goes into `definition` when one is given.
    virtual OSStatus rightGet(std::string_view rightName, PlistDictionary* definition) = 0;

    // AuthorizationRightSet: stores the rule dictionary under the right's name.
    virtual OSStatus rightSet(AuthorizationRef authorization, std::string_view rightName,
                              const PlistDictionary& definition) = 0;

    // AuthorizationCopyRights: obtains every right of the set for the reference, authenticating
    // with the "username" and "password" environment items. Never prompts.
    virtual OSStatus copyRights(AuthorizationRef authorization, const AuthorizationItemSet& rights,
                                const AuthorizationItemSet& environment, AuthorizationFlags flags) = 0;

    // AuthorizationMakeExternalForm: 32 bytes naming the reference to another process.
    virtual OSStatus makeExternalForm(AuthorizationRef authorization, AuthorizationExternalForm& externalForm) = 0;

    // AuthorizationFree: releases the reference; its external forms stop being valid.
    virtual OSStatus free(AuthorizationRef authorization, AuthorizationFlags flags) = 0;

    // For the privileged helper: success only when the form names a live authorization that
    // holds the right; errAuthorizationInvalidRef for a zero, unknown, forged, freed or stale
    // form, errAuthorizationDenied when it lacks the right.
    virtual OSStatus checkExternalForm(const AuthorizationExternalForm& externalForm, std::string_view rightName) = 0;
};

} // namespace veltrona
