#pragma once
// The Service and Auto Refresh Settings commands and the dialogs they open.
class CCommandRegistry;
class CQMonApp;

void RegisterServiceCommands(CQMonApp& app, CCommandRegistry& registry);

// The modal Service dialog; with `startWhenOpened` it starts the service at once.
void OpenServiceDialog(CQMonApp& app, bool startWhenOpened);
// The Auto Refresh Settings dialog: on OK the preferences and the cycle take the values.
void OpenAutoRefreshDialog(CQMonApp& app);
