// The output box helpers: the font fallback list and the Ctrl+A select-all hook.
#include <QFontDatabase>
#include <QFontInfo>
#include <QKeyEvent>
#include <QPlainTextEdit>
#include <QTest>

#include <memory>

#include "tests/window/WindowTestSupport.h"
#include "window/TextBoxHelpers.h"
#include "window/csTBSelectAllHook.h"
#include "window/modTextBoxFonts.h"

using namespace Hollin0106;

using namespace wintest;

namespace {

// Counts the key presses that reach the box past every filter installed before it.
class KeySpy : public QObject {
public:
    explicit KeySpy(QWidget& box) { box.installEventFilter(this); }
    int presses = 0;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::KeyPress && static_cast<QKeyEvent*>(event)->key() != Qt::Key_Control) ++presses;
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
        // PT Mono comes with the program's dependencies, DejaVu Sans Mono with every Debian
        // desktop; the missing names must be missing.
        QVERIFY(Installed(QStringLiteral("PT Mono")));
        QVERIFY(Installed(QStringLiteral("DejaVu Sans Mono")));
        QVERIFY(!Installed(kMissingA) && !Installed(kMissingB));
    }

    void outBoxFontIsPtMono()
    {
        QPlainTextEdit box;
        modTextBoxFonts::SetOutBoxFont(box, false);
        QCOMPARE(QFontInfo(box.font()).family(), QStringLiteral("PT Mono"));
        QCOMPARE(box.font().pointSizeF(), 10.0);
    }

    // A box in DejaVu Sans Mono 8.5 given a list of family and size pairs; `family` empty
    // for the system's substitute of a missing font.
    void applyFirstFont_data()
    {
        QTest::addColumn<QVariantList>("candidates");
        QTest::addColumn<QString>("family");
        QTest::addColumn<double>("points");
        QTest::newRow("missing ones skipped")
            << QVariantList{kMissingA, 12, kMissingB, 14, "PT Mono", 9, "DejaVu Sans Mono", 10} << "PT Mono" << 9.0;
        QTest::newRow("name compared without case") << QVariantList{"pt MONO", 11.25} << "PT Mono" << 11.25;
        QTest::newRow("size given as text") << QVariantList{"PT Mono", "12"} << "PT Mono" << 12.0;
        QTest::newRow("empty list changes nothing") << QVariantList{} << "DejaVu Sans Mono" << 8.5;
        QTest::newRow("odd number of entries changes nothing")
            << QVariantList{"PT Mono", 10, "DejaVu Sans Mono"} << "DejaVu Sans Mono" << 8.5;
        QTest::newRow("no candidate installed: the size stays") << QVariantList{kMissingA, 12, kMissingB, 14} << ""
                                                                << 8.5;
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

    // Key events as the platforms deliver them: `key` and the native scan code and
    // virtual key of the A key's place (xkb key code 38, Windows virtual key 'A').
    void selectAllKey_data()
    {
        QTest::addColumn<QString>("platform");
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("modifiers");
        QTest::addColumn<quint32>("scanCode");
        QTest::addColumn<quint32>("virtualKey");
        QTest::addColumn<bool>("selectAll");
        const int ctrl = Qt::ControlModifier;
        const int cyrillicEf = 0x424;  // what the A key gives in a Russian layout
        QTest::newRow("Ctrl+A") << "offscreen" << int(Qt::Key_A) << ctrl << 0u << 0u << true;
        QTest::newRow("Ctrl+Shift+A") << "xcb" << int(Qt::Key_A) << int(ctrl | Qt::ShiftModifier) << 38u << 0x41u << false;
        QTest::newRow("Ctrl+Alt+A") << "xcb" << int(Qt::Key_A) << int(ctrl | Qt::AltModifier) << 38u << 0x61u << false;
        QTest::newRow("plain A") << "xcb" << int(Qt::Key_A) << 0 << 38u << 0x61u << false;
        QTest::newRow("Russian layout alone, X11") << "xcb" << cyrillicEf << ctrl << 38u << 0x6c6u << true;
        QTest::newRow("Russian layout alone, Wayland") << "wayland" << cyrillicEf << ctrl << 38u << 0x6c6u << true;
        QTest::newRow("Russian layout alone, Windows") << "windows" << cyrillicEf << ctrl << 0x1Eu << 0x41u << true;
        QTest::newRow("another key's place, X11") << "xcb" << cyrillicEf + 1 << ctrl << 39u << 0x6d9u << false;
        QTest::newRow("scan code 38 is L on Windows") << "windows" << int(Qt::Key_L) << ctrl << 38u << 0x4Cu << false;
    }

    void selectAllKey()
    {
        QFETCH(QString, platform);
        QFETCH(int, key);
        QFETCH(int, modifiers);
        QFETCH(quint32, scanCode);
        QFETCH(quint32, virtualKey);
        QFETCH(bool, selectAll);
        const QKeyEvent event(QEvent::KeyPress, key, Qt::KeyboardModifiers(modifiers), scanCode, virtualKey, 0);
        QCOMPARE(IsSelectAllKey(event, platform), selectAll);
    }

    // Ctrl+A selects all and stops there; the next key reaches the box; a hook given no
    // box takes no keys; a released hook gives Ctrl+A back to the box.
    void selectAllHook()
    {
        QPlainTextEdit box;
        box.setPlainText(QStringLiteral("first line\nsecond line"));
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
        QCOMPARE(hook->TextBox(), &box);
        QTest::keyClick(&box, Qt::Key_A, Qt::ControlModifier);
        QCOMPARE(spy.presses, 1);
        QCOMPARE(box.textCursor().selectedText(), QString::fromUtf8("first line\u2029second line"));
        QTest::keyClick(&box, Qt::Key_Right);
        QCOMPARE(spy.presses, 2);
        QVERIFY(!box.textCursor().hasSelection());
        hook.reset();
        QTest::keyClick(&box, Qt::Key_A, Qt::ControlModifier);
        QCOMPARE(spy.presses, 3);
    }
};

QTEST_MAIN(OutputBoxTest)
#include "tst_outbox.moc"
