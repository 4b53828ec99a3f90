// The about box and the read-me file of the window program.
#pragma once

#include <QString>

#include <string>

class QPixmap;
class QWidget;

// The modal about box: the program's title, version and tag, the English copyright line
// and the dedication name; `picture` null gives the program's icon. `extra` is shown
// under the title when not "".
void ShowAbout(QWidget* owner, const std::u16string& extra, const QPixmap* picture, const std::u16string& dedication);

// Where the read-me file of this program is: "README.md" in the installed documentation
// folder (<prefix>/share/doc/tagscope beside <prefix>/bin), else beside the executable (a
// build tree). "" when there is none.
QString ReadMeFilePath();
// Opens the read-me file with the desktop's viewer; when there is no read-me file or it
// cannot be opened, says so in a message box. True when it was handed to the viewer.
bool esOpenReadMeFile(int flags);
