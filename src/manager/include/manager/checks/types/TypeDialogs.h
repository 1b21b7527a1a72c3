#pragma once
// Puts every check-type settings dialog into the registry through
// which the property sheet opens them.
class CCheckDialogRegistry;

void RegisterTypeDialogs(CCheckDialogRegistry& registry);
