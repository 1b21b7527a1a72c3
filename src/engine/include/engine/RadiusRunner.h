#pragma once
// CRadiusRunner: RADIUS (300): an Access-Request for the configured user with the password
// sent the PAP way, hidden with the shared secret; Access-Accept is a success,
// Access-Reject an error, and an answer whose Response Authenticator does not match the
// shared secret is not taken for one.
#include "engine/CheckRunner.h"

#include <array>
#include <string>
#include <string_view>

class CRadiusRunner final : public ICheckRunner {
public:
    CheckOutcome Run(const CSnNodeCfg& check, const RunContext& context) override;
};

namespace radius {

using Digest = std::array<unsigned char, 16>;

enum Code : unsigned char { kAccessRequest = 1, kAccessAccept = 2, kAccessReject = 3, kAccessChallenge = 11 };
enum Attribute : unsigned char { kUserName = 1, kUserPassword = 2, kNasIdentifier = 32, kReplyMessage = 18 };

// The MD5 digest of `data`.
Digest Md5(std::string_view data);

// The User-Password attribute's value: the password padded with zero bytes to a multiple
// of 16 (at most 128 bytes), each block XORed with MD5(secret + the previous hidden block),
// the first with MD5(secret + the Request Authenticator).
std::string HidePassword(std::string_view password, std::string_view secret, const Digest& requestAuthenticator);

// An Access-Request with User-Name, User-Password and NAS-Identifier.
std::string AccessRequest(unsigned char identifier, const Digest& requestAuthenticator, std::string_view user,
                          std::string_view password, std::string_view secret);

// Whether `packet` is a well-formed answer to the request of `identifier` whose Response
// Authenticator is MD5(code + identifier + length + request authenticator + attributes +
// secret).
bool AuthenticAnswer(std::string_view packet, unsigned char identifier, const Digest& requestAuthenticator,
                     std::string_view secret);

// The text of the first attribute of `type` of a packet, empty when it has none.
std::string AttributeText(std::string_view packet, unsigned char type);

} // namespace radius
