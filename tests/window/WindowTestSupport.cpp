// Shared pieces of the window program's GUI tests.
#include "tests/window/WindowTestSupport.h"

#include <QAction>
#include <QApplication>
#include <QDesktopServices>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QSettings>
#include <QTest>

#include "window/frmMain.h"
#include "window/modMain.h"

namespace wintest {

// ---- Settings ----------------------------------------------------------------------------

PrivateSettings::PrivateSettings()
{
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, dir_.path());
}

QString PrivateSettings::IniFile() const
{
    return dir_.path() + QStringLiteral("/Quovix/Tag Scope.ini");
}

void PrivateSettings::WriteIni(const QByteArray& text) const
{
    QDir().mkpath(QFileInfo(IniFile()).path());
    QFile file(IniFile());
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate)) file.write(text);
}

QString PrivateSettings::Value(const QString& key) const
{
    const QSettings settings(IniFile(), QSettings::IniFormat);
    const QVariant value = settings.value(key);
    if (value.typeId() == QMetaType::QStringList) return value.toStringList().join(u',');
    return value.toString();
}

// ---- Modal dialogs -----------------------------------------------------------------------

ModalAnswerer::ModalAnswerer()
{
    timer_.setInterval(10);
    connect(&timer_, &QTimer::timeout, this, &ModalAnswerer::Poll);
    timer_.start();
}

ModalAnswerer::~ModalAnswerer() = default;

void ModalAnswerer::Poll()
{
    QWidget* modal = QApplication::activeModalWidget();
    if (modal == nullptr || !modal->isVisible()) return;
    if (modal == last_.data()) {
        // A step that left its dialog open would block the test for good: give up on it.
        if (++pollsOnLast_ == kGiveUpPolls) {
            ++unexpected_;
            unexpectedTitles_.append(QStringLiteral("left open: ") + modal->windowTitle());
            if (auto* dialog = qobject_cast<QDialog*>(modal)) dialog->reject();
        }
        return;
    }
    last_ = modal;
    pollsOnLast_ = 0;
    if (steps_.empty()) {
        ++unexpected_;
        unexpectedTitles_.append(modal->windowTitle());
        if (auto* dialog = qobject_cast<QDialog*>(modal)) dialog->reject();
        return;
    }
    Step step = std::move(steps_.front());
    steps_.pop_front();
    step(modal);
}

void Later(QObject* context, std::function<void()> work)
{
    QTimer::singleShot(0, context, std::move(work));
}

// ---- Start-up ----------------------------------------------------------------------------

frmMain* StartProgram(const QStringList& args)
{
    std::vector<QByteArray> storage;
    storage.push_back(QByteArrayLiteral("/usr/local/bin/Tagscope"));
    for (const QString& a : args) storage.push_back(a.toUtf8());
    std::vector<const char*> argv;
    for (const QByteArray& s : storage) argv.push_back(s.constData());
    if (!modMain::Main(static_cast<int>(argv.size()), argv.data())) return nullptr;
    return frmMain::Existing();
}

frmMain* StartWithReport(const QString& path)
{
    frmMain* window = StartProgram({path});
    if (window == nullptr) return nullptr;
    const QPointer<frmMain> guard(window);
    if (!QTest::qWaitFor([&] { return guard && guard->mnuTools[1]->isEnabled(); }, 20000)) return nullptr;
    return guard.data();
}

void DisposeMainWindow()
{
    if (frmMain* window = frmMain::Existing()) {
        window->IsLoading = false;
        window->close();
        if (frmMain::Existing() == window) QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        delete frmMain::Existing();
    }
}

UrlCatcher::UrlCatcher()
{
    QDesktopServices::setUrlHandler(QStringLiteral("file"), this, "open");
}

UrlCatcher::~UrlCatcher()
{
    QDesktopServices::unsetUrlHandler(QStringLiteral("file"));
}

void UrlCatcher::open(const QUrl& url)
{
    opened.append(url);
}

// ---- Reparse data ------------------------------------------------------------------------

namespace {

void PutU16(QByteArray& out, std::uint16_t v)
{
    out.append(static_cast<char>(v & 0xFF));
    out.append(static_cast<char>(v >> 8));
}

}  // namespace

QByteArray MountPointBuffer(const std::u16string& substituteName, const std::u16string& printName)
{
    // Reparse header (tag, data length, reserved), then the mount point's offsets and
    // lengths in bytes, then both names, each followed by a UTF-16 zero.
    QByteArray names;
    for (char16_t c : substituteName) PutU16(names, c);
    PutU16(names, 0);
    for (char16_t c : printName) PutU16(names, c);
    PutU16(names, 0);
    const auto substituteBytes = static_cast<std::uint16_t>(substituteName.size() * 2);
    const auto printBytes = static_cast<std::uint16_t>(printName.size() * 2);
    QByteArray out;
    PutU16(out, 0x0003);
    PutU16(out, 0xA000);
    PutU16(out, static_cast<std::uint16_t>(8 + names.size()));
    PutU16(out, 0);
    PutU16(out, 0);
    PutU16(out, substituteBytes);
    PutU16(out, static_cast<std::uint16_t>(substituteBytes + 2));
    PutU16(out, printBytes);
    return out + names;
}

// ---- ntfs-3g volume ----------------------------------------------------------------------

namespace {

bool Run(const QString& program, const QStringList& args)
{
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(program, args);
    if (!process.waitForFinished(60000)) return false;
    return process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
}

}  // namespace

NtfsTestVolume::~NtfsTestVolume()
{
    Unmount();
}

QString NtfsTestVolume::Mount()
{
    if (!QFileInfo(QStringLiteral("/dev/fuse")).isWritable()) return QStringLiteral("needs root and /dev/fuse");
    dir_ = std::make_unique<QTemporaryDir>(QDir::tempPath() + QStringLiteral("/tagscope-window-ntfs-XXXXXX"));
    if (!dir_->isValid()) return QStringLiteral("no temporary folder");
    image_ = dir_->filePath(QStringLiteral("volume.img"));
    mountPoint_ = dir_->filePath(QStringLiteral("mnt"));
    QDir().mkpath(mountPoint_);
    QFile image(image_);
    if (!image.open(QIODevice::WriteOnly) || !image.resize(8 * 1024 * 1024)) return QStringLiteral("no image file");
    image.close();
    if (!Run(QStringLiteral("mkntfs"), {QStringLiteral("-F"), QStringLiteral("-q"), QStringLiteral("-Q"), image_}))
        return QStringLiteral("mkntfs failed");
    if (!Run(QStringLiteral("ntfs-3g"), {image_, mountPoint_})) return QStringLiteral("ntfs-3g mount failed");
    mounted_ = true;
    return {};
}

QString NtfsTestVolume::MakeReparseFolder(const QString& relative, const QByteArray& buffer)
{
    const QString path = mountPoint_ + u'/' + relative;
    if (!QDir().mkpath(path)) return QStringLiteral("mkdir failed");
    const QString value = QStringLiteral("0x") + QString::fromLatin1(buffer.toHex());
    if (!Run(QStringLiteral("setfattr"), {QStringLiteral("-n"), QStringLiteral("system.ntfs_reparse_data"),
                                          QStringLiteral("-v"), value, path}))
        return QStringLiteral("setfattr failed");
    Unmount();
    if (!Run(QStringLiteral("ntfs-3g"), {image_, mountPoint_})) return QStringLiteral("ntfs-3g remount failed");
    mounted_ = true;
    return {};
}

void NtfsTestVolume::Unmount()
{
    if (!mounted_) return;
    if (!Run(QStringLiteral("umount"), {mountPoint_})) Run(QStringLiteral("umount"), {QStringLiteral("-l"), mountPoint_});
    mounted_ = false;
}

}  // namespace wintest
