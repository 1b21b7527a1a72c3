#pragma once
// Puts every check-type settings dialog and the generic page into the registry through
// which the property sheet opens them.
class CCheckDialogRegistry;

void RegisterTypeDialogs(CCheckDialogRegistry& registry);
