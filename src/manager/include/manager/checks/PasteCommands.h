#pragma once
// Copying and pasting checks: "Copy" (57634) puts the selected checks on the clipboard by
// identifier, "Paste Check(s)" (57637) makes new checks from them in the selected folder,
// and "Paste Properties" (32790) applies chosen settings groups of one copied check to the
// selected checks or to every check of the selected folder.
class CCommandRegistry;
class CQMonApp;

void RegisterPasteCommands(CQMonApp& app, CCommandRegistry& registry);
