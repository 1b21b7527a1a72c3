#pragma once
// Tools > "Notification Settings..." (69): the channels' settings sheet on the open
// configuration.
class CCommandRegistry;
class CQMonApp;

void RegisterNotifyCommands(CQMonApp& app, CCommandRegistry& commands);
