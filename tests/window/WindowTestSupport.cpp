// Shared pieces of the window program's GUI tests.
#include "tests/window/WindowTestSupport.h"

#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <deque>

#include "window/frmMain.h"
#include "window/modMain.h"

namespace wintest {

void PrivateSettings::WriteIni(const QByteArray& text) const
{
    QDir().mkpath(QFileInfo(IniFile()).path());
    WriteAll(IniFile(), text);
}

QString PrivateSettings::Value(const QString& key) const
{
    const QSettings settings(IniFile(), QSettings::IniFormat);
    const QVariant value = settings.value(key);
    if (value.typeId() == QMetaType::QStringList) return value.toStringList().join(u',');
    return value.toString();
}

void WindowTest::init()
{
    settings_.emplace();
    modMain::CommandLineFile.clear();
    WriteAll(PlainFile(), "not a reparse point");
}

void WindowTest::cleanup()
{
    DisposeMainWindow();
    settings_.reset();
}

namespace {

// Gives each modal widget that becomes active to the next step.
class ModalAnswerer : public QObject {
public:
    explicit ModalAnswerer(std::vector<Step> steps) : steps_(steps.begin(), steps.end())
    {
        timer_.setInterval(10);
        connect(&timer_, &QTimer::timeout, this, &ModalAnswerer::Poll);
        timer_.start();
    }

    std::deque<Step> steps_;
    QStringList unexpected_;  // the titles of the widgets rejected

private:
    void Poll()
    {
        QWidget* modal = QApplication::activeModalWidget();
        if (modal == nullptr || !modal->isVisible()) return;
        if (modal == last_.data()) {
            // A step that left its dialog open would block the test for good: give up on it.
            if (++pollsOnLast_ == kGiveUpPolls) Reject(modal, QStringLiteral("left open: "));
            return;
        }
        last_ = modal;
        pollsOnLast_ = 0;
        if (steps_.empty()) return Reject(modal, QString());
        Step step = std::move(steps_.front());
        steps_.pop_front();
        step(modal);
    }
    void Reject(QWidget* modal, const QString& why)
    {
        unexpected_.append(why + modal->windowTitle());
        if (auto* dialog = qobject_cast<QDialog*>(modal)) dialog->reject();
    }

    QTimer timer_;
    QPointer<QWidget> last_;
    int pollsOnLast_ = 0;
    static constexpr int kGiveUpPolls = 3000;  // 30 s of 10 ms polls
};

}  // namespace

bool Answer(std::vector<Step> steps, const std::function<void()>& action)
{
    ModalAnswerer answerer(std::move(steps));
    action();
    QCoreApplication::processEvents();
    if (!answerer.unexpected_.isEmpty()) qWarning() << "unexpected modal widgets:" << answerer.unexpected_;
    if (!answerer.steps_.empty()) qWarning() << "a step was left unused";
    return answerer.steps_.empty() && answerer.unexpected_.isEmpty();
}

Step AnswerBox(QMessageBox::StandardButton button, BoxSeen* seen)
{
    return [button, seen](QWidget* modal) {
        auto* box = qobject_cast<QMessageBox*>(modal);
        if (box == nullptr) return;
        if (seen != nullptr) *seen = {box->windowTitle(), box->text(), box->informativeText(), box->icon()};
        box->button(button)->click();
    };
}

Step AnswerFileDialog(const QString& path, DialogSeen* seen)
{
    return [path, seen](QWidget* modal) {
        auto* dialog = qobject_cast<QFileDialog*>(modal);
        if (dialog == nullptr) return;
        auto* name = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
        if (seen != nullptr)
            *seen = {dialog->directory().absolutePath(), name ? name->text() : QString()};
        if (path.isEmpty() || name == nullptr) return dialog->reject();
        // The user types the full name into the file name box and presses Save or Open (from
        // the event loop once this step has returned: it may open further boxes).
        name->setText(path);
        QTimer::singleShot(0, dialog, [dialog] { static_cast<QDialog*>(dialog)->accept(); });
    };
}

frmMain* StartProgram(const QStringList& args)
{
    std::vector<QByteArray> storage{QByteArrayLiteral("/usr/local/bin/Tagscope")};
    for (const QString& a : args) storage.push_back(a.toUtf8());
    std::vector<const char*> argv;
    for (const QByteArray& s : storage) argv.push_back(s.constData());
    if (modMain::Main(static_cast<int>(argv.size()), argv.data()) != modMain::kWindowOpen) return nullptr;
    return frmMain::Existing();
}

frmMain* StartWithReport(const QString& path)
{
    frmMain* window = StartProgram({path});
    if (window == nullptr) return nullptr;
    const QPointer<frmMain> guard(window);
    if (!QTest::qWaitFor([&] { return guard && Controls(guard.data()).mnuTools.Settings->isEnabled(); }, 20000)) return nullptr;
    return guard.data();
}

void DisposeMainWindow()
{
    if (frmMain* window = frmMain::Existing()) {
        Controls(window).IsLoading = false;
        window->close();
        if (frmMain::Existing() == window) QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        delete frmMain::Existing();
    }
}

QByteArray ReadAll(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

bool WriteAll(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes) == bytes.size();
}

}  // namespace wintest
