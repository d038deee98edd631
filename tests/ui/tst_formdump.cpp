// The two windows as the program creates them, written out control by control
// and compared with tests/ui/golden/<window>.txt. A form changed on purpose is
// written anew by scripts/update-golden, and the change read in `git diff`.
#include "recordingnotices.h"
#include "ui/Unit1.h"
#include "ui/controls.h"
#include "ui/dialog.h"
#include "ui/uifonts.h"

#include <QAbstractButton>
#include <QFile>
#include <QFontDatabase>
#include <QFrame>
#include <QLabel>
#include <QListWidget>
#include <QMetaEnum>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>

#include <algorithm>
#include <memory>

using namespace linkwell;

namespace {

template <class E> QString key(E value)
{
    return QString::fromLatin1(QMetaEnum::fromType<E>().valueToKey(int(value)));
}

QString quoted(const QString& text)
{
    QString out = text;
    out.replace(u'\\', QStringLiteral("\\\\")).replace(u'"', QStringLiteral("\\\"")).replace(u'\n', QStringLiteral("\\n"))
        .replace(u'\r', QStringLiteral("\\r"));
    return u'"' + out + u'"';
}

// A text label takes the width of its text in the font the machine has, so
// only what the form fixes is written: the left edge, or the right edge of a
// right-aligned count, the top and the height. Whether the whole text shows is
// tst_mainwindow's textsShowWhole. For the same reason the fonts of labels and
// buttons are left out: a text that does not fit is shown smaller.
QString geometryOf(const QWidget* w)
{
    const QRect g = w->geometry();
    const auto* label = qobject_cast<const QLabel*>(w);
    if (label && label->pixmap().isNull()) {
        if (label->alignment() & Qt::AlignRight)
            return QStringLiteral("right=%1 y=%2 w=fitted h=%3").arg(g.right() + 1).arg(g.y()).arg(g.height());
        return QStringLiteral("x=%1 y=%2 w=fitted h=%3").arg(g.x()).arg(g.y()).arg(g.height());
    }
    return QStringLiteral("x=%1 y=%2 w=%3 h=%4").arg(g.x()).arg(g.y()).arg(g.width()).arg(g.height());
}

QString fontOf(const QWidget* w)
{
    return QStringLiteral("font=%1 %2pt").arg(quoted(w->font().family())).arg(w->font().pointSize());
}

QString describe(const QWidget* w)
{
    QStringList parts{w->objectName(), QString::fromLatin1(w->metaObject()->className()), geometryOf(w),
                      w->isEnabled() ? QStringLiteral("enabled") : QStringLiteral("disabled")};
    if (w->isHidden())
        parts << QStringLiteral("hidden");
    if (const auto* button = qobject_cast<const QAbstractButton*>(w)) {
        if (button->isCheckable())
            parts << (button->isChecked() ? QStringLiteral("checked") : QStringLiteral("unchecked"));
        if (const auto* push = qobject_cast<const QPushButton*>(w))
            parts << QStringLiteral("default=%1 autoDefault=%2").arg(push->isDefault()).arg(push->autoDefault());
        parts << QStringLiteral("text=") + quoted(button->text());
    }
    if (const auto* box = qobject_cast<const QPlainTextEdit*>(w)) {
        parts << (box->isReadOnly() ? QStringLiteral("read-only") : QStringLiteral("editable")) << fontOf(w)
              << QStringLiteral("wrap=") + key(box->lineWrapMode())
              << QStringLiteral("vscroll=") + key(box->verticalScrollBarPolicy())
              << QStringLiteral("hscroll=") + key(box->horizontalScrollBarPolicy());
    }
    if (const auto* list = qobject_cast<const QListWidget*>(w))
        parts << QStringLiteral("selection=") + key(list->selectionMode());
    if (w->metaObject() == &QFrame::staticMetaObject) {
        const auto* frame = static_cast<const QFrame*>(w);
        parts << QStringLiteral("frame=%1,%2").arg(key(frame->frameShape()), key(frame->frameShadow()));
    }
    if (const auto* label = qobject_cast<const QLabel*>(w)) {
        if (label->pixmap().isNull())
            parts << QStringLiteral("text=") + quoted(label->text());
        else
            parts << QStringLiteral("align=%1 scaled=%2")
                         .arg(QString::fromLatin1(QMetaEnum::fromType<Qt::Alignment>().valueToKeys(int(label->alignment()))))
                         .arg(label->hasScaledContents());
    }
    if (!w->toolTip().isEmpty())
        parts << QStringLiteral("tip=") + quoted(w->toolTip());
    return parts.join(u' ');
}

// The controls of the form: named children, each indented under its parent.
// Qt's own parts of a control (viewports, scroll bars) are not the form's.
void describeChildren(const QWidget* parent, int depth, QStringList& out)
{
    for (const QObject* child : parent->children()) {
        const auto* w = qobject_cast<const QWidget*>(child);
        if (!w || w->isWindow() || w->objectName().isEmpty() || w->objectName().startsWith(QLatin1String("qt_")))
            continue;
        out << QString(2 * depth, u' ') + describe(w);
        describeChildren(w, depth + 1, out);
    }
}

// The controls Tab visits, in the order it visits them, from the window on.
QString tabOrder(QWidget* window)
{
    QStringList order;
    for (QWidget* w = window->nextInFocusChain(); w != window; w = w->nextInFocusChain()) {
        if (w->focusPolicy() & Qt::TabFocus)
            order << w->objectName();
    }
    return QStringLiteral("tab order: ") + order.join(u' ');
}

QStringList dump(QWidget* window)
{
    QStringList out{QStringLiteral("%1 %2 at %3,%4 size %5x%6 %7 title=%8 %9")
                        .arg(window->objectName(), QString::fromLatin1(window->metaObject()->className()))
                        .arg(window->x()).arg(window->y()).arg(window->width()).arg(window->height())
                        .arg(window->isVisible() ? QStringLiteral("shown") : QStringLiteral("hidden"),
                             quoted(window->windowTitle()), fontOf(window))};
    describeChildren(window, 1, out);
    out << tabOrder(window);
    return out;
}

QString goldenPath(const QString& window)
{
    return QStringLiteral(LINKWELL_GOLDEN_DIR "/%1.txt").arg(window);
}

bool updating()
{
    return qEnvironmentVariableIntValue("LINKWELL_UPDATE_GOLDEN") == 1;
}

// Buttons and check boxes keep the width the form gives them unless their text
// needs more, which depends on the font. The dump is taken in the font the
// windows choose first for "MS Sans Serif" and "Arial" where the project's
// packages are installed (fonts-urw-base35), so that those widths are the
// same on every machine ("Delete entry" takes btnDelete from 61 to 64 pixels
// even there); the other fonts are tst_mainwindow's textsShowWhole.
const char* const DumpFont = "Nimbus Sans";

const char* const RegenerateHint = "if the form changed on purpose, run scripts/update-golden and read `git diff`";

} // namespace

class TestFormDump : public QObject {
    Q_OBJECT
private slots:
    void initTestCase()
    {
        const QString family = QString::fromLatin1(DumpFont);
        const QStringList installed = QFontDatabase::families();
        if (!std::any_of(installed.begin(), installed.end(), [&](const QString& f) { return f.startsWith(family); })) {
            const QString missing = family + " is not installed here (Debian package fonts-urw-base35)";
            // Files written in another font would fail everywhere else.
            if (updating())
                QFAIL(qPrintable(missing));
            QSKIP(qPrintable(missing));
        }
        installFontSubstitutes();
        for (const QString& designed : {QStringLiteral("MS Sans Serif"), QStringLiteral("Arial")}) {
            QFont::removeSubstitutions(designed);
            QFont::insertSubstitution(designed, family);
        }
    }
    void matchesGolden_data();
    void matchesGolden();
};

void TestFormDump::matchesGolden_data()
{
    QTest::addColumn<QString>("window");
    QTest::newRow("main window") << "TForm1";
    QTest::newRow("new-entry dialog") << "TForm2";
}

void TestFormDump::matchesGolden()
{
    QFETCH(QString, window);
    QTemporaryDir dir;
    testing::RecordingNotices notices;
    std::unique_ptr<QWidget> shown;
    if (window == QLatin1String("TForm1"))
        shown = std::make_unique<TForm1>(notices, dir.path());
    else
        shown = std::make_unique<TForm2>(notices);
    QCOMPARE(shown->objectName(), window);
    QVERIFY2(QFontInfo(shown->font()).family().startsWith(QString::fromLatin1(DumpFont)),
             qPrintable(QFontInfo(shown->font()).family()));
    const QStringList actual = dump(shown.get());
    QCOMPARE(notices.log, QStringList());

    const QString path = goldenPath(window);
    if (updating()) {
        QFile file(path);
        QVERIFY2(file.open(QIODevice::WriteOnly | QIODevice::Truncate), qPrintable(path));
        const QByteArray bytes = (actual.join(u'\n') + u'\n').toUtf8();
        QCOMPARE(file.write(bytes), bytes.size());
        qInfo("wrote %s", qPrintable(path));
        return;
    }
    QFile file(path);
    QVERIFY2(file.open(QIODevice::ReadOnly), qPrintable(path + QStringLiteral(" is missing; ") + RegenerateHint));
    QStringList expected = QString::fromUtf8(file.readAll()).split(u'\n');
    if (!expected.isEmpty() && expected.last().isEmpty())
        expected.removeLast();
    const qsizetype lines = std::max(expected.size(), actual.size());
    for (qsizetype i = 0; i < lines; ++i) {
        const QString want = i < expected.size() ? expected.at(i) : QStringLiteral("<end of file>");
        const QString got = i < actual.size() ? actual.at(i) : QStringLiteral("<end of window>");
        if (want != got)
            QFAIL(qPrintable(QStringLiteral("%1 line %2 differs\n   expected: %3\n   actual:   %4\n   %5")
                                 .arg(path).arg(i + 1).arg(want, got, QString::fromLatin1(RegenerateHint))));
    }
}

QTEST_MAIN(TestFormDump)
#include "tst_formdump.moc"
