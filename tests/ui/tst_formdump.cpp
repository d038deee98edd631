// The two windows as the program creates them, written out control by control
// and compared with tests/ui/golden/<window>.txt. A form changed on purpose is
// written anew by scripts/update-golden, and the change read in `git diff`.
#include "recordingnotices.h"
#include "ui/mainwindow.h"
#include "ui/newentrydialog.h"
#include "ui/uifonts.h"

#include <QAbstractButton>
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
using namespace Qt::StringLiterals;

namespace {

// Buttons and check boxes keep the width the form gives them unless their text
// needs more, which depends on the font. The dump is taken in the font the
// windows choose first for "MS Sans Serif" and "Arial" where the project's
// packages are installed (fonts-urw-base35), so that those widths are the
// same on every machine ("Delete entry" takes btnDelete from 61 to 64 pixels
// even there); the other fonts are tst_mainwindow's textsShowWhole.
const QString DumpFont = u"Nimbus Sans"_s;
const QString RegenerateHint = u"if the form changed on purpose, run scripts/update-golden and read `git diff`"_s;

bool updating()
{
    return qEnvironmentVariableIntValue("LINKWELL_UPDATE_GOLDEN") == 1;
}

template <class E> QString key(E value)
{
    return QString::fromLatin1(QMetaEnum::fromType<E>().valueToKey(int(value)));
}

QString quoted(QString text)
{
    return u'"' + text.replace(u'\\', u"\\\\"_s).replace(u'"', u"\\\""_s).replace(u'\n', u"\\n"_s) + u'"';
}

QString fontOf(const QWidget* w)
{
    return u"font=%1 %2pt"_s.arg(quoted(w->font().family())).arg(w->font().pointSize());
}

// A text label takes the width of its text, in whatever font the machine has,
// and a text that does not fit is shown smaller: so a label is written without
// its width, by the edge it keeps (the right one for a right-aligned count),
// and no label or button with its font. Whether texts show whole is
// tst_mainwindow's textsShowWhole.
QString describe(const QWidget* w)
{
    const QRect g = w->geometry();
    const auto* label = qobject_cast<const QLabel*>(w);
    const bool textLabel = label && label->pixmap().isNull();
    QStringList parts{w->objectName(), QString::fromLatin1(w->metaObject()->className())};
    if (!textLabel)
        parts << u"x=%1 y=%2 w=%3 h=%4"_s.arg(g.x()).arg(g.y()).arg(g.width()).arg(g.height());
    else if (label->alignment() & Qt::AlignRight)
        parts << u"right=%1 y=%2 w=fitted h=%3"_s.arg(g.right() + 1).arg(g.y()).arg(g.height());
    else
        parts << u"x=%1 y=%2 w=fitted h=%3"_s.arg(g.x()).arg(g.y()).arg(g.height());
    parts << (w->isEnabled() ? u"enabled"_s : u"disabled"_s);
    if (w->isHidden())
        parts << u"hidden"_s;
    if (const auto* button = qobject_cast<const QAbstractButton*>(w)) {
        if (button->isCheckable())
            parts << (button->isChecked() ? u"checked"_s : u"unchecked"_s);
        if (const auto* push = qobject_cast<const QPushButton*>(w))
            parts << u"default=%1 autoDefault=%2"_s.arg(push->isDefault()).arg(push->autoDefault());
        parts << u"text="_s + quoted(button->text());
    }
    if (const auto* box = qobject_cast<const QPlainTextEdit*>(w))
        parts << (box->isReadOnly() ? u"read-only"_s : u"editable"_s) << fontOf(w) << u"wrap="_s + key(box->lineWrapMode())
              << u"vscroll="_s + key(box->verticalScrollBarPolicy()) << u"hscroll="_s + key(box->horizontalScrollBarPolicy());
    if (const auto* list = qobject_cast<const QListWidget*>(w))
        parts << u"selection="_s + key(list->selectionMode());
    if (const auto* frame = qobject_cast<const QFrame*>(w); frame && w->metaObject() == &QFrame::staticMetaObject)
        parts << u"frame=%1,%2"_s.arg(key(frame->frameShape()), key(frame->frameShadow()));
    if (textLabel)
        parts << u"text="_s + quoted(label->text());
    else if (label)
        parts << u"align=%1 scaled=%2"_s.arg(QString::fromLatin1(QMetaEnum::fromType<Qt::Alignment>().valueToKeys(int(label->alignment()))))
                     .arg(label->hasScaledContents());
    if (!w->toolTip().isEmpty())
        parts << u"tip="_s + quoted(w->toolTip());
    return parts.join(u' ');
}

// The form's controls are the named children, each indented under its parent;
// Qt's own parts of a control (viewports, scroll bars) are not the form's.
void describeChildren(const QWidget* parent, int depth, QStringList& out)
{
    for (const QObject* child : parent->children()) {
        const auto* w = qobject_cast<const QWidget*>(child);
        if (w && !w->isWindow() && !w->objectName().isEmpty() && !w->objectName().startsWith(u"qt_"_s)) {
            out << QString(2 * depth, u' ') + describe(w);
            describeChildren(w, depth + 1, out);
        }
    }
}

// The window's own line, its controls, and the controls Tab visits in order.
QStringList dump(QWidget* window)
{
    QStringList out{describe(window) + u" title="_s + quoted(window->windowTitle()) + u' ' + fontOf(window)};
    describeChildren(window, 1, out);
    QStringList order;
    for (QWidget* w = window->nextInFocusChain(); w != window; w = w->nextInFocusChain())
        if (w->focusPolicy() & Qt::TabFocus)
            order << w->objectName();
    return out << u"tab order: "_s + order.join(u' ');
}

} // namespace

class TestFormDump : public QObject {
    Q_OBJECT
private slots:
    void initTestCase()
    {
        const QStringList installed = QFontDatabase::families();
        if (!std::any_of(installed.begin(), installed.end(), [](const QString& f) { return f.startsWith(DumpFont); })) {
            // Files written in another font would fail everywhere else.
            const QByteArray missing = (DumpFont + u" is not installed here (Debian package fonts-urw-base35)"_s).toUtf8();
            if (updating())
                QFAIL(missing.constData());
            QSKIP(missing.constData());
        }
        installFontSubstitutes();
        for (const QString& designed : {u"MS Sans Serif"_s, u"Arial"_s}) {
            QFont::removeSubstitutions(designed);
            QFont::insertSubstitution(designed, DumpFont);
        }
    }

    void matchesGolden_data()
    {
        QTest::addColumn<QString>("window");
        QTest::newRow("main window") << u"TForm1"_s;
        QTest::newRow("new-entry dialog") << u"TForm2"_s;
    }

    void matchesGolden()
    {
        QFETCH(QString, window);
        QTemporaryDir dir;
        testing::RecordingNotices notices;
        std::unique_ptr<QWidget> shown;
        if (window == u"TForm1"_s)
            shown = std::make_unique<MainWindow>(notices, dir.path());
        else
            shown = std::make_unique<NewEntryDialog>(notices);
        QVERIFY2(QFontInfo(shown->font()).family().startsWith(DumpFont), qPrintable(QFontInfo(shown->font()).family()));
        const QStringList actual = dump(shown.get());
        QCOMPARE(notices.log, QStringList());

        QFile file(QStringLiteral(LINKWELL_GOLDEN_DIR "/%1.txt").arg(window));
        if (updating()) {
            QVERIFY2(file.open(QIODevice::WriteOnly | QIODevice::Truncate), qPrintable(file.fileName()));
            const QByteArray bytes = (actual.join(u'\n') + u'\n').toUtf8();
            QCOMPARE(file.write(bytes), bytes.size());
            qInfo("wrote %s", qPrintable(file.fileName()));
            return;
        }
        QVERIFY2(file.open(QIODevice::ReadOnly), qPrintable(file.fileName() + u" is missing; "_s + RegenerateHint));
        QStringList expected = QString::fromUtf8(file.readAll()).split(u'\n');
        if (expected.last().isEmpty())
            expected.removeLast();
        for (qsizetype i = 0; i < std::max(expected.size(), actual.size()); ++i) {
            const QString want = i < expected.size() ? expected.at(i) : u"<end of file>"_s;
            const QString got = i < actual.size() ? actual.at(i) : u"<end of window>"_s;
            QVERIFY2(want == got, qPrintable(u"%1 line %2 differs\n   expected: %3\n   actual:   %4\n   %5"_s.arg(file.fileName())
                                                 .arg(i + 1)
                                                 .arg(want, got, RegenerateHint)));
        }
    }
};

QTEST_MAIN(TestFormDump)
#include "tst_formdump.moc"
