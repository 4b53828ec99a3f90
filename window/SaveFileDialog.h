// The save dialog of the window's save commands, which remembers the folder last saved to.
#pragma once

#include <string>

class QWidget;

// Asks for the target of a save command: `filter` as FileDialog takes it, `suggestedName`
// in the name box, starting in the folder of the file last saved ("OFN Paths", "Last open
// TXT directory"; the home folder at first). On confirmation the chosen file's folder is
// remembered at once, as far as the settings can be written, so it is kept even when the
// write that follows fails. Returns the full path, or "" when the user cancelled.
std::u16string AskSaveFileName(QWidget* owner, const std::u16string& filter, const std::u16string& suggestedName);
