#include "manager/checks/types/TypeDialogs.h"

#include "manager/checks/CheckDialogRegistry.h"
#include "manager/checks/types/DialogTypeGeneric.h"
#include "manager/checks/types/internet/DialogTypeICMP.h"
#include "model/checks/CheckTypes.h"

// One line per dialog class (a class that serves several types has one line per type).
void RegisterTypeDialogs(CCheckDialogRegistry& registry) {
    registry.generic = TypeDialogOf<CDialogTypeGeneric>();
    registry.AddType(kTypeIcmpPing, TypeDialogOf<CDialogTypeICMP>());
}
