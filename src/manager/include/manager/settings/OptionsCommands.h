#pragma once
// Tools > "Options..." (70): the Options sheet on the open configuration.  When OK wrote
// new date and time formats, the activity view is rebuilt in them at once.
class CCommandRegistry;
class CQMonApp;

void RegisterOptionsCommands(CQMonApp& app, CCommandRegistry& commands);
