// The output box helpers: the font fallback list and the Ctrl+A select-all hook.
#include <QFontDatabase>
#include <QFontInfo>
#include <QKeyEvent>
#include <QPlainTextEdit>
#include <QTest>

#include <memory>
#include <optional>

#include "tests/window/WindowTestSupport.h"
#include "window/csTBSelectAllHook.h"
#include "window/frmMain.h"
#include "window/modMain.h"
#include "window/modTextBoxFonts.h"

using namespace Hollin0106;

using namespace wintest;

namespace {

// Counts the presses of the A key that reach the box past every filter installed before
// it (QTest also presses the modifier keys themselves; those are not counted).
class KeySpy : public QObject {
public:
    explicit KeySpy(QWidget& box) { box.installEventFilter(this); }
    int presses = 0;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::KeyPress && static_cast<QKeyEvent*>(event)->key() == Qt::Key_A) ++presses;
        return QObject::eventFilter(watched, event);
    }
};

bool Installed(const QString& family)
{
    return QFontDatabase::families().contains(family, Qt::CaseInsensitive);
}

const QString kMissingA = QStringLiteral("Tagscope No Such Font A");
const QString kMissingB = QStringLiteral("Tagscope No Such Font B");

std::vector<Variant> ToCandidates(const QVariantList& list)
{
    std::vector<Variant> out;
    for (const QVariant& v : list) {
        if (v.typeId() == QMetaType::QString)
            out.emplace_back(v.toString().toStdU16String());
        else
            out.emplace_back(v.toDouble());
    }
    return out;
}

}  // namespace

class OutputBoxTest : public WindowTest {
    Q_OBJECT

private slots:
    void initTestCase()
    {
        // The test picks its fonts from what is installed: PT Mono comes with the program's
        // dependencies, DejaVu Sans Mono with every Debian desktop; the missing names must be.
        QVERIFY(Installed(QStringLiteral("PT Mono")));
        QVERIFY(Installed(QStringLiteral("DejaVu Sans Mono")));
        QVERIFY(!Installed(kMissingA) && !Installed(kMissingB));
    }

    void outBoxFontIsFirstInstalledCandidate()
    {
        QPlainTextEdit box;
        modTextBoxFonts::SetOutBoxFont(box, false);
        QCOMPARE(QFontInfo(box.font()).family(), QStringLiteral("PT Mono"));
        QCOMPARE(box.font().pointSizeF(), 10.0);

        // The second list starts at Consolas, then Andale Mono, Courier New and Courier: the
        // first of them installed here wins, with its own size; none installed leaves the size.
        QPlainTextEdit other;
        QFont start = other.font();
        start.setPointSizeF(7.5);
        other.setFont(start);
        modTextBoxFonts::SetOutBoxFont(other, true);
        std::optional<std::pair<QString, double>> expected;
        for (const auto& [name, size] : {std::pair{"Consolas", 11.0}, {"Andale Mono", 10.0}, {"Courier New", 10.0},
                                         {"Courier", 10.0}}) {
            if (Installed(QString::fromLatin1(name))) {
                expected.emplace(QString::fromLatin1(name), size);
                break;
            }
        }
        if (expected) {
            QCOMPARE(QFontInfo(other.font()).family().toUpper(), expected->first.toUpper());
            QCOMPARE(other.font().pointSizeF(), expected->second);
        } else {
            QCOMPARE(other.font().pointSizeF(), 7.5);
        }
    }

    // A box in DejaVu Sans Mono 8.5 given a list of family and size pairs; `family` empty
    // for the system's substitute of a missing font.
    void applyFirstFont_data()
    {
        QTest::addColumn<QVariantList>("candidates");
        QTest::addColumn<QString>("family");
        QTest::addColumn<double>("points");
        QTest::newRow("first entry installed") << QVariantList{"PT Mono", 10, "DejaVu Sans Mono", 9} << "PT Mono" << 10.0;
        QTest::newRow("missing ones skipped")
            << QVariantList{kMissingA, 12, kMissingB, 14, "PT Mono", 9, "DejaVu Sans Mono", 10} << "PT Mono" << 9.0;
        QTest::newRow("size with decimals") << QVariantList{kMissingA, 12, "PT Mono", 11.25} << "PT Mono" << 11.25;
        QTest::newRow("size given as text") << QVariantList{"PT Mono", "12"} << "PT Mono" << 12.0;
        QTest::newRow("empty list changes nothing") << QVariantList{} << "DejaVu Sans Mono" << 8.5;
        QTest::newRow("odd number of entries changes nothing")
            << QVariantList{"PT Mono", 10, "DejaVu Sans Mono"} << "DejaVu Sans Mono" << 8.5;
        QTest::newRow("no candidate installed: the size stays") << QVariantList{kMissingA, 12, kMissingB, 14} << "" << 8.5;
    }

    void applyFirstFont()
    {
        QFETCH(QVariantList, candidates);
        QFETCH(QString, family);
        QFETCH(double, points);
        QPlainTextEdit box;
        QFont start(QStringLiteral("DejaVu Sans Mono"));
        start.setPointSizeF(8.5);
        box.setFont(start);
        modTextBoxFonts::ApplyFirstFont(box, ToCandidates(candidates));
        QCOMPARE(box.font().pointSizeF(), points);
        const QString shown = QFontInfo(box.font()).family();
        if (family.isEmpty())
            QVERIFY2(Installed(shown) && shown != kMissingB, qPrintable(shown));  // the system's substitute
        else
            QCOMPARE(shown, family);
    }

    void nameCheckIgnoresCase()
    {
        QPlainTextEdit box;
        QVERIFY(modTextBoxFonts::TrySetFont(box, u"pt mono", 10.5));
        QCOMPARE(QFontInfo(box.font()).family(), QStringLiteral("PT Mono"));
        QCOMPARE(box.font().pointSizeF(), 10.5);
        QVERIFY(modTextBoxFonts::TrySetFont(box, u"PT MONO", 10));
        QVERIFY(!modTextBoxFonts::TrySetFont(box, kMissingA.toStdU16String(), 10));
        QVERIFY(!modTextBoxFonts::TrySetFont(box, u"", 10));
    }

    void selectAllHookKeys_data()
    {
        QTest::addColumn<int>("modifiers");
        QTest::addColumn<bool>("handledByHook");
        QTest::newRow("Ctrl+A") << int(Qt::ControlModifier) << true;
        QTest::newRow("Ctrl+Shift+A") << int(Qt::ControlModifier | Qt::ShiftModifier) << false;
        QTest::newRow("Ctrl+Alt+A") << int(Qt::ControlModifier | Qt::AltModifier) << false;
        QTest::newRow("plain A") << int(Qt::NoModifier) << false;
        QTest::newRow("Shift+A") << int(Qt::ShiftModifier) << false;
    }

    void selectAllHookKeys()
    {
        QFETCH(int, modifiers);
        QFETCH(bool, handledByHook);
        QPlainTextEdit box;
        box.setPlainText(QStringLiteral("first line\nsecond line"));
        box.moveCursor(QTextCursor::End);
        KeySpy spy(box);  // installed first, so it sees what the hook lets through
        csTBSelectAllHook hook;
        QVERIFY(hook.Init(&box));
        QCOMPARE(hook.TextBox(), &box);
        QTest::keyClick(&box, Qt::Key_A, Qt::KeyboardModifiers(modifiers));
        QCOMPARE(spy.presses, handledByHook ? 0 : 1);
        if (handledByHook) {
            QCOMPARE(box.textCursor().selectedText(), QString::fromUtf8("first line\u2029second line"));
            QCOMPARE(box.toPlainText(), QStringLiteral("first line\nsecond line"));
        }
    }

    // A hook given no box takes no keys; a hooked box gets the next key after Ctrl+A; a
    // released hook gives Ctrl+A back to the box.
    void selectAllHookLifetime()
    {
        QPlainTextEdit box;
        box.setPlainText(QStringLiteral("old text"));
        KeySpy spy(box);
        {
            csTBSelectAllHook none;
            QVERIFY(!none.Init(nullptr));
            QCOMPARE(none.TextBox(), nullptr);
            QTest::keyClick(&box, Qt::Key_A, Qt::ControlModifier);
            QCOMPARE(spy.presses, 1);
        }
        box.moveCursor(QTextCursor::End);
        auto hook = std::make_unique<csTBSelectAllHook>();
        QVERIFY(hook->Init(&box));
        QTest::keyClick(&box, Qt::Key_A, Qt::ControlModifier);
        QCOMPARE(spy.presses, 1);
        // The selection was replaced by the next key: it reached the box.
        QTest::keyClick(&box, Qt::Key_B);
        QCOMPARE(box.toPlainText(), QStringLiteral("b"));
        hook.reset();
        QTest::keyClick(&box, Qt::Key_A, Qt::ControlModifier);
        QCOMPARE(spy.presses, 2);
    }

    void ctrlAInTheMainWindow()
    {
        modMain::CommandLineFile = Scratch(QStringLiteral("missing")).toStdU16String();
        frmMain& window = frmMain::Instance();
        window.ShowMessage(u"one\r\ntwo");
        QTest::keyClick(window.txtMain, Qt::Key_A, Qt::ControlModifier);
        QCOMPARE(window.txtMain->textCursor().selectedText(), QString::fromUtf8("one\u2029two"));
        QCOMPARE(QFontInfo(window.txtMain->font()).family(), QStringLiteral("PT Mono"));
    }
};

QTEST_MAIN(OutputBoxTest)
#include "tst_outbox.moc"
