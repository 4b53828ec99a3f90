// The about box and the read-me file of the window program.
#include "window/AboutBox.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QIcon>
#include <QMessageBox>
#include <QPixmap>
#include <QUrl>

#include "AppIdentity.h"
#include "console/modAppInfo.h"
#include "console/modFormatVersion.h"
#include "window/Dialogs.h"
#include "window/Icons.h"
#include "window/QtText.h"
#include "window/modAppWindowTitle.h"

void ShowAbout(QWidget* owner, const std::u16string& extra, const QPixmap* picture, const std::u16string& dedication)
{
    QMessageBox box(owner);
    box.setWindowModality(Qt::ApplicationModal);
    box.setWindowTitle(QStringLiteral("About ") + ToQString(modAppWindowTitle::GetAppName(u"", u"")));
    box.setIconPixmap(picture != nullptr && !picture->isNull() ? *picture : ResIcon(u"A_MAIN").pixmap(48, 48));
    box.setTextFormat(Qt::RichText);

    const QString title = ToQString(AppIdentity::Title);
    const QString copyright = ToQString(modAppInfo::GetCopyrightText(AppIdentity::LegalCopyright, true));
    QString html = QStringLiteral("<p><b>%1</b></p>").arg(title.toHtmlEscaped());
    if (!extra.empty()) html += QStringLiteral("<p>%1</p>").arg(ToQString(extra).toHtmlEscaped());
    html += QStringLiteral("<p>Version %1 (%2)</p>")
                .arg(ToQString(modFormatVersion::GetAppVersion()).toHtmlEscaped(),
                     ToQString(modFormatVersion::GetAppVersionTag()).toHtmlEscaped());
    html += QStringLiteral("<p>%1</p>").arg(copyright.toHtmlEscaped());
    if (!dedication.empty()) html += QStringLiteral("<p><i>%1</i></p>").arg(ToQString(dedication).toHtmlEscaped());
    box.setText(html);
    box.setStandardButtons(QMessageBox::Ok);
    box.exec();
}

QString ReadMeFilePath()
{
    const QString appDir = QCoreApplication::applicationDirPath();
    const QString candidates[] = {
        QDir::cleanPath(appDir + QStringLiteral("/../share/doc/tagscope/README.md")),
        QDir::cleanPath(appDir + QStringLiteral("/README.md")),
    };
    for (const QString& path : candidates)
        if (QFileInfo(path).isFile()) return path;
    return {};
}

bool esOpenReadMeFile(int /*flags*/)
{
    const QString path = ReadMeFilePath();
    if (path.isEmpty()) {
        esMsgBoxEx(u"Can't find the read-me file README.md beside the program or in its documentation folder.",
                   kMsgExclamation, u"", u"A_MAIN", GetActiveWindow());
        return false;
    }
    if (!QDesktopServices::openUrl(QUrl::fromLocalFile(path))) {
        esMsgBoxEx(u"Can't open the read-me file\r\n" + FromQString(QDir::toNativeSeparators(path)), kMsgExclamation,
                   u"", u"A_MAIN", GetActiveWindow());
        return false;
    }
    return true;
}
