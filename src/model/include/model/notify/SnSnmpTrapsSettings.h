#pragma once
// SNMP trap notification settings (table SnmpTrapsSettings): where traps are sent and what
// they carry.
// Read and Write return 0 or the component's code; a failed read keeps the values.
#include "library/QvcString.h"
#include "model/settings/SnRecordSettings.h"
#include "model/store/SnRecordProperties.h"

#include <cstdint>

class CSnSnmpTrapsSettings
    : public CSnRowSettings<CSnSnmpTrapsSettings, &snkind::kSnmpTrapsSettings, &ISnCfg::GetSnmpTrapsSettings,
                            &ISnCfg::PutSnmpTrapsSettings> {
public:
    CQvcString Agent;
    std::int32_t Port = 162;
    CQvcString Community = "public";
    CQvcString Oid = "1.3.6.1.4.1.0";
    std::int32_t OidType = 4;
    std::int32_t ProtocolVersion = 1;
    std::int32_t GenericTrap = 6;
    CQvcString LogFile = "<SNROOT>Logs\\snmptrap.txt";

    template <class Self, class Fn> static void Fields(Self& s, Fn&& fn) {
        namespace snprop = snsnmptrap;
        fn(snprop::kAgent, "Agent", s.Agent);
        fn(snprop::kPort, "Port", s.Port);
        fn(snprop::kCommunity, "Community", s.Community);
        fn(snprop::kOid, "Oid", s.Oid);
        fn(snprop::kOidType, "OidType", s.OidType);
        fn(snprop::kProtocolVersion, "ProtocolVersion", s.ProtocolVersion);
        fn(snprop::kGenericTrap, "GenericTrap", s.GenericTrap);
        fn(snprop::kLogFile, "LogFile", s.LogFile);
    }
};
