#pragma once

class TfrmMain;

// A key for every command of the window, named at the end of its label
// button's tooltip ("… (Strg+Umschalt+C)"); Umschalt+F10 opens the text area's
// menu as the menu key does. The text area keeps its own keys.
void AddMainShortcuts(TfrmMain* window);
