#include "manager/checks/types/TypeDialogs.h"

#include "manager/checks/CheckDialogRegistry.h"
#include "manager/checks/types/DialogTypeGeneric.h"
#include "manager/checks/types/internet/DialogTypeDns.h"
#include "manager/checks/types/internet/DialogTypeICMP.h"
#include "manager/checks/types/internet/DialogTypeNtp.h"
#include "manager/checks/types/internet/DialogTypeRadius.h"
#include "manager/checks/types/internet/DialogTypeSmpp.h"
#include "manager/checks/types/internet/DialogTypeSnmp.h"
#include "manager/checks/types/internet/DialogTypeSnmpTrapRcv.h"
#include "manager/checks/types/internet/DialogTypeTraceRoute.h"
#include "manager/checks/types/unix/DialogTypeRsh.h"
#include "manager/checks/types/unix/DialogTypeSsh.h"
#include "manager/checks/types/internet/DialogTypePOP3.h"
#include "manager/checks/types/internet/DialogTypeSMTP.h"
#include "manager/checks/types/internet/DialogTypeSftp.h"
#include "manager/checks/types/internet/DialogTypeSmtp2Pop3.h"
#include "manager/checks/types/internet/DialogTypeTCP.h"
#include "manager/checks/types/internet/DialogTypeTcpFtp.h"
#include "manager/checks/types/internet/DialogTypeTcpHttp.h"
#include "manager/checks/types/internet/DialogTypeTftp.h"
#include "manager/checks/types/databases/DialogTypeAdoSql.h"
#include "manager/checks/types/databases/DialogTypeOdbc.h"
#include "manager/checks/types/databases/DialogTypeOracle.h"
#include "model/checks/CheckTypes.h"

// One line per dialog class (a class that serves several types has one line per type).
void RegisterTypeDialogs(CCheckDialogRegistry& registry) {
    registry.generic = TypeDialogOf<CDialogTypeGeneric>();
    registry.AddType(kTypeIcmpPing, TypeDialogOf<CDialogTypeICMP>());
    registry.AddType(kTypeDns, TypeDialogOf<CDialogTypeDns>());
    registry.AddType(kTypeSnmpGet, TypeDialogOf<CDialogTypeSnmp>());
    registry.AddType(kTypeNtp, TypeDialogOf<CDialogTypeNtp>());
    registry.AddType(kTypeSnmpTrapReceive, TypeDialogOf<CDialogTypeSnmpTrapRcv>());
    registry.AddType(kTypeSsh, TypeDialogOf<CDialogTypeSsh>());
    registry.AddType(kTypeRsh, TypeDialogOf<CDialogTypeRsh>());
    registry.AddType(kTypeTraceRoute, TypeDialogOf<CDialogTypeTraceRoute>());
    registry.AddType(kTypeRadius, TypeDialogOf<CDialogTypeRadius>());
    registry.AddType(kTypeSmpp, TypeDialogOf<CDialogTypeSmpp>());
    registry.AddType(kTypeTcpIp, TypeDialogOf<CDialogTypeTCP>());
    registry.AddType(kTypeNntp, TypeDialogOf<CDialogTypeTCP>());
    registry.AddType(kTypeImap, TypeDialogOf<CDialogTypeTCP>());
    registry.AddType(kTypeCitrixIca, TypeDialogOf<CDialogTypeTCP>());
    registry.AddType(kTypeHttp, TypeDialogOf<CDialogTypeTcpHttp>());
    registry.AddType(kTypeSmtp, TypeDialogOf<CDialogTypeSMTP>());
    registry.AddType(kTypePop3, TypeDialogOf<CDialogTypePOP3>());
    registry.AddType(kTypeFtp, TypeDialogOf<CDialogTypeTcpFtp>());
    registry.AddType(kTypeTftp, TypeDialogOf<CDialogTypeTftp>());
    registry.AddType(kTypeSftp, TypeDialogOf<CDialogTypeSftp>());
    registry.AddType(kTypeSmtpToPop3, TypeDialogOf<CDialogTypeSmtp2Pop3>());
    registry.AddType(kTypeOdbc, TypeDialogOf<CDialogTypeOdbc>());
    registry.AddType(kTypeOracle, TypeDialogOf<CDialogTypeOracle>());
    registry.AddType(kTypeDatabaseQuery, TypeDialogOf<CDialogTypeAdoSql>());
}
