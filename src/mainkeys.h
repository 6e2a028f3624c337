#pragma once

class TfrmMain;

// Ctrl+O, Ctrl+S and Ctrl+Q run "öffnen", "speichern" and "beenden" anywhere
// in the window; the text area keeps its own keys.
void AddMainShortcuts(TfrmMain* window);
