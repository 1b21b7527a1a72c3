#pragma once
// "Reports..." (63): the availability report of a folder's checks (or of the whole
// configuration) over a chosen period, worst first, saved as HTML and, on request, as PDF
// in the report settings' output directory and opened with the desktop's viewer.
class CCommandRegistry;
class CQMonApp;

void RegisterReportCommand(CQMonApp& app, CCommandRegistry& registry);
