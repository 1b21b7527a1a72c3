#pragma once
// CNtpRunner: NTP Timeserver (40): one SNTP query (client mode, version 4) to the time
// server.  A success when a synchronised server answers; the offset of this computer's
// clock from the server's is the check's data, the stratum and round trip are in the
// response.  An unsynchronised server, a "kiss of death" or no answer is an error.
#include "engine/CheckRunner.h"

#include <cstdint>
#include <string>
#include <string_view>

class CNtpRunner final : public ICheckRunner {
public:
    CheckOutcome Run(const CSnNodeCfg& check, const RunContext& context) override;
};

// An NTP time stamp: seconds since 1900 in the upper 32 bits, the fraction in the lower.
using NtpTimestamp = std::uint64_t;
NtpTimestamp NtpNow();
// What a server's answer says, read from its 48 bytes.
struct NtpAnswer {
    int Leap = 0;
    int Version = 0;
    int Mode = 0;
    int Stratum = 0;
    std::string Reference; // kiss code or reference id (stratum 0 and 1: four letters)
    NtpTimestamp Originate = 0, Receive = 0, Transmit = 0;
};
bool ReadNtpAnswer(std::string_view bytes, NtpAnswer& out);
// The clock offset in seconds (server minus this computer) and the round trip, from the
// four time stamps of one exchange (RFC 4330).
double NtpOffset(NtpTimestamp sent, NtpTimestamp serverReceived, NtpTimestamp serverSent, NtpTimestamp arrived);
double NtpRoundTrip(NtpTimestamp sent, NtpTimestamp serverReceived, NtpTimestamp serverSent, NtpTimestamp arrived);
