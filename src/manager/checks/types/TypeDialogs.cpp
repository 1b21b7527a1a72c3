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
}
