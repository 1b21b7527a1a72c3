#include "engine/RadiusRunner.h"

#include "RunnerCommon.h"
#include "engine/NetworkHelpers.h"
#include "model/checks/CheckSettings.h"

#include <openssl/evp.h>
#include <poll.h>

#include <algorithm>
#include <random>

namespace radius {

namespace {

constexpr std::size_t kHeader = 20;        // code, identifier, length, authenticator
constexpr std::size_t kMostPassword = 128; // the longest hidden password
constexpr const char* kNasName = "sentrelle";

void AddAttribute(std::string& packet, unsigned char type, std::string_view value) {
    const std::size_t size = std::min<std::size_t>(value.size(), 253);
    packet += static_cast<char>(type);
    packet += static_cast<char>(size + 2);
    packet.append(value.substr(0, size));
}

std::string_view View(const Digest& digest) {
    return {reinterpret_cast<const char*>(digest.data()), digest.size()};
}

} // namespace

Digest Md5(std::string_view data) {
    Digest digest{};
    unsigned int size = 0;
    EVP_Digest(data.data(), data.size(), digest.data(), &size, EVP_md5(), nullptr);
    return digest;
}

std::string HidePassword(std::string_view password, std::string_view secret, const Digest& requestAuthenticator) {
    std::string padded(password.substr(0, kMostPassword));
    padded.resize(std::max<std::size_t>(16, (padded.size() + 15) / 16 * 16), '\0');
    std::string hidden;
    std::string chain(View(requestAuthenticator));
    for (std::size_t block = 0; block < padded.size(); block += 16) {
        const Digest mask = Md5(std::string(secret) + chain);
        for (std::size_t i = 0; i < 16; ++i)
            hidden += static_cast<char>(padded[block + i] ^ static_cast<char>(mask[i]));
        chain = hidden.substr(block, 16);
    }
    return hidden;
}

std::string AccessRequest(unsigned char identifier, const Digest& requestAuthenticator, std::string_view user,
                          std::string_view password, std::string_view secret) {
    std::string packet(4, '\0');
    packet[0] = static_cast<char>(kAccessRequest);
    packet[1] = static_cast<char>(identifier);
    packet.append(View(requestAuthenticator));
    AddAttribute(packet, kUserName, user);
    AddAttribute(packet, kUserPassword, HidePassword(password, secret, requestAuthenticator));
    AddAttribute(packet, kNasIdentifier, kNasName);
    packet[2] = static_cast<char>(packet.size() >> 8);
    packet[3] = static_cast<char>(packet.size() & 0xff);
    return packet;
}

bool AuthenticAnswer(std::string_view packet, unsigned char identifier, const Digest& requestAuthenticator,
                     std::string_view secret) {
    if (packet.size() < kHeader || static_cast<unsigned char>(packet[1]) != identifier)
        return false;
    const std::size_t length = (static_cast<unsigned char>(packet[2]) << 8) | static_cast<unsigned char>(packet[3]);
    if (length < kHeader || length > packet.size())
        return false;
    packet = packet.substr(0, length); // bytes past the length are padding
    std::string signed_(packet.substr(0, 4));
    signed_.append(View(requestAuthenticator));
    signed_.append(packet.substr(kHeader));
    signed_.append(secret);
    return View(Md5(signed_)) == packet.substr(4, 16);
}

std::string AttributeText(std::string_view packet, unsigned char type) {
    for (std::size_t at = kHeader; at + 2 <= packet.size();) {
        const std::size_t size = static_cast<unsigned char>(packet[at + 1]);
        if (size < 2 || at + size > packet.size())
            break;
        if (static_cast<unsigned char>(packet[at]) == type)
            return std::string(packet.substr(at + 2, size - 2));
        at += size;
    }
    return {};
}

} // namespace radius

namespace {

// How long the request waits for an answer before it is sent again (same identifier).
constexpr std::chrono::milliseconds kResend{2000};

std::string Quoted(const std::string& text) {
    return "'" + text + "'";
}

} // namespace

CheckOutcome CRadiusRunner::Run(const CSnNodeCfg& check, const RunContext& context) {
    const RadiusSettings settings = RadiusSettings::Read(check.Function);
    if (settings.Host.empty())
        return CheckOutcome::Uncertain("No RADIUS server configured");
    if (settings.Secret.empty())
        return CheckOutcome::Uncertain("No shared secret configured");
    if (settings.User.empty())
        return CheckOutcome::Uncertain("No user configured");
    HostAndPort target;
    if (!SplitHostPort(settings.Host, target))
        return CheckOutcome::Uncertain("RADIUS server '" + settings.Host + "' is not valid");
    const int port = target.Port ? target.Port : settings.Port;

    const CRunDeadline deadline(context, std::chrono::milliseconds(settings.TimeoutMs));
    const ResolveOutcome resolved = ResolveHost(target.Host, port, SOCK_DGRAM, AF_UNSPEC, deadline);
    if (resolved.Status == NetWait::Cancelled)
        return runner::Cancelled();
    if (resolved.Status != NetWait::Ready)
        return CheckOutcome::Error("RADIUS server '" + target.Host + "' could not be resolved: " +
                                   (resolved.Error.empty() ? "no answer in time" : resolved.Error));
    const SocketAddress& address = resolved.Addresses.front();
    const std::string server = address.HostPortText();
    int error = 0;
    const platform::UniqueFd socket = ConnectUdp(address, &error);
    if (!socket)
        return CheckOutcome::Error("Cannot reach RADIUS server " + server + ": " + ErrnoText(error));

    std::random_device random;
    radius::Digest authenticator{};
    for (unsigned char& byte : authenticator)
        byte = static_cast<unsigned char>(random());
    const auto identifier = static_cast<unsigned char>(random());
    const std::string request =
        radius::AccessRequest(identifier, authenticator, settings.User, settings.Password, settings.Secret);

    const auto start = CRunDeadline::Clock::now();
    int forged = 0; // answers that the shared secret does not sign
    while (!deadline.Expired()) {
        if (::send(socket.Get(), request.data(), request.size(), 0) < 0)
            return CheckOutcome::Error("Cannot send the request to RADIUS server " + server + ": " + ErrnoText(errno));
        const auto resendAt = deadline.Within(kResend);
        for (;;) {
            const NetWait wait = WaitForSocket(socket.Get(), POLLIN, resendAt, deadline);
            if (wait == NetWait::Cancelled)
                return runner::Cancelled();
            if (wait != NetWait::Ready)
                break;
            char buffer[4096];
            const ssize_t got = ::recv(socket.Get(), buffer, sizeof buffer, 0);
            if (got < 0) {
                if (errno == EAGAIN || errno == EINTR)
                    continue;
                return CheckOutcome::Error("RADIUS server " + server + " does not answer: " + ErrnoText(errno));
            }
            const std::string_view answer(buffer, static_cast<std::size_t>(got));
            if (!radius::AuthenticAnswer(answer, identifier, authenticator, settings.Secret)) {
                ++forged;
                continue;
            }
            const std::string took = FormatMilliseconds(
                std::chrono::duration_cast<std::chrono::microseconds>(CRunDeadline::Clock::now() - start));
            const std::string message = radius::AttributeText(answer, radius::kReplyMessage);
            const std::string said = message.empty() ? "" : ": " + FirstLine(message);
            switch (static_cast<unsigned char>(answer[0])) {
            case radius::kAccessAccept:
                return CheckOutcome::Success("Access-Accept for user " + Quoted(settings.User) + " from " + server + said,
                                             took);
            case radius::kAccessReject:
                return CheckOutcome::Error("Access-Reject for user " + Quoted(settings.User) + " from " + server + said,
                                           took);
            case radius::kAccessChallenge:
                return CheckOutcome::Error("Access-Challenge for user " + Quoted(settings.User) + " from " + server +
                                               ": the server asks for more than a password" + said,
                                           took);
            default:
                return CheckOutcome::Error("RADIUS server " + server + " gave an answer of unknown code " +
                                           std::to_string(static_cast<unsigned char>(answer[0])));
            }
        }
    }
    CheckOutcome outcome = CheckOutcome::Error("No answer from RADIUS server " + server + " within " +
                                               runner::Millis(deadline.Limit().count()));
    if (forged > 0)
        outcome.Response += " (answers came whose authenticator does not match the shared secret: is the secret right?)";
    return outcome;
}
