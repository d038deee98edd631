#include "recordingnotices.h"
#include "store/favouritesstore.h"
#include "ui/controls.h"
#include "store/cp1250.h"
#include "ui/guard.h"

#include <QClipboard>
#include <QMimeData>
#include <QGuiApplication>
#include <QSignalSpy>
#include <QtTest>
#include <stdexcept>

using namespace linkwell;

namespace {

// QTest::keyClicks knows only ASCII; this types any character.
void typeText(QWidget* widget, const QString& text)
{
    for (const QChar c : text) {
        QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString(c));
        QCoreApplication::sendEvent(widget, &press);
    }
}

} // namespace

class TestControls : public QObject {
    Q_OBJECT
private slots:
    void errorBoxText_data();
    void errorBoxText();
    void guardShowsEscapedFailures();

    void cp1250RoundTripsEveryByte();
    void cp1250Refuses_data();
    void cp1250Refuses();

    void textBoxRunsHandlerOnlyOnRealChange();
    void textBoxTypingSignalsEveryChange();
    void textBoxLineBreakIsCrLfCountingTwo();
    void textBoxStopsTypingAtLimit();
    void textBoxShowsLongerProgramTextWhole();
    void textBoxPasteIsFilteredAndCut();
    void textBoxHistoryLines();
    void textBoxKeepsWhatTheUserDidNotType_data();
    void textBoxKeepsWhatTheUserDidNotType();
    void textBoxRefusalsAreHeard_data();
    void textBoxRefusalsAreHeard();
    void textBoxDropFitsWholeOrNotAtAll_data();
    void textBoxDropFitsWholeOrNotAtAll();

    void listBoxProgramIndexRunsNoClick();
    void listBoxKeyboardSelectionClicks();
    void listBoxReplaceKeepsSelection();
    void listBoxClickOnEmptyPartKeepsSelection();
    void listBoxExchangeMovesSelection_data();
    void listBoxExchangeMovesSelection();

    void checkBoxProgramStateRunsHandlerOnChange();
    void checkBoxUserClickSignals();
    void checkBoxHandlerMayCheckItAgain();
};

void TestControls::errorBoxText_data()
{
    QTest::addColumn<QString>("failure");
    QTest::addColumn<QString>("shown");
    // ")" sorts before ".", so the store's index failure is shown as it is.
    QTest::newRow("ends in parenthesis") << "List index out of bounds (-1)"
                                         << "List index out of bounds (-1)";
    QTest::newRow("ends in full stop") << "Disk full."
                                       << "Disk full.";
    QTest::newRow("ends in comma") << "Odd,"
                                   << "Odd,";
    QTest::newRow("ends in exclamation") << "Stop!"
                                         << "Stop!";
    QTest::newRow("ends in hyphen") << "a-"
                                    << "a-";
    QTest::newRow("ends in slash") << "a/"
                                   << "a/.";
    QTest::newRow("ends in digit") << "Code 7"
                                   << "Code 7.";
    QTest::newRow("empty") << ""
                           << "";
}

void TestControls::errorBoxText()
{
    QFETCH(QString, failure);
    QFETCH(QString, shown);
    QCOMPARE(ErrorBoxText(failure), shown);
}

void TestControls::guardShowsEscapedFailures()
{
    testing::RecordingNotices notices;
    FavouritesStore store;
    runGuarded(notices, [&] { (void)store.name(-1); });
    runGuarded(notices, [] { throw std::runtime_error("Broken"); });
    runGuarded(notices, [] { throw 42; });
    int ran = 0;
    runGuarded(notices, [&] { ++ran; });
    QCOMPARE(ran, 1);
    QCOMPARE(notices.log, QStringList({"error: List index out of bounds (-1)", "error: Broken", "error: Unknown failure"}));
}

void TestControls::cp1250RoundTripsEveryByte()
{
    QByteArray all;
    for (int b = 0; b < 256; ++b)
        all += char(b);
    const QString text = cp1250::decode(all);
    QCOMPARE(text.size(), 256);
    QCOMPARE(cp1250::encode(text), all);
    // A few letters of the code page where Latin-1 differs.
    QCOMPARE(cp1250::decode("\x8A\xE8\xF8\x80"), QString::fromUtf8("Ščř€"));
}

void TestControls::cp1250Refuses_data()
{
    QTest::addColumn<QString>("character");
    QTest::addColumn<bool>("accepted");
    QTest::newRow("ascii") << "a" << true;
    QTest::newRow("czech r caron") << QString::fromUtf8("ř") << true;
    QTest::newRow("polish l stroke") << QString::fromUtf8("ł") << true;
    QTest::newRow("euro") << QString::fromUtf8("€") << true;
    QTest::newRow("spanish n tilde") << QString::fromUtf8("ñ") << false;
    QTest::newRow("cyrillic") << QString::fromUtf8("Ж") << false;
}

void TestControls::cp1250Refuses()
{
    QFETCH(QString, character);
    QFETCH(bool, accepted);
    QCOMPARE(cp1250::canEncode(character.at(0)), accepted);
    if (!accepted)
        QCOMPARE(cp1250::encode(character), QByteArray("?"));
}

void TestControls::textBoxRunsHandlerOnlyOnRealChange()
{
    TextBox box;
    int runs = 0;
    box.setChangeHandler([&] { ++runs; });
    QSignalSpy user(&box, &TextBox::userChanged);
    for (const auto& [text, runsAfter] : {std::pair<const char*, int>{"abc", 1}, {"abc", 1}, {"abd", 2}, {"", 3}, {"", 3}}) {
        box.setText(text);
        QCOMPARE(runs, runsAfter);
    }
    QCOMPARE(user.count(), 0);
    QCOMPARE(box.toPlainText(), QString());
}

void TestControls::textBoxTypingSignalsEveryChange()
{
    TextBox box;
    int programRuns = 0;
    box.setChangeHandler([&] { ++programRuns; });
    QSignalSpy user(&box, &TextBox::userChanged);
    QTest::keyClicks(&box, "abc");
    QCOMPARE(user.count(), 3);
    QTest::keyClick(&box, Qt::Key_Backspace);
    QCOMPARE(user.count(), 4);
    QCOMPARE(box.text(), QByteArray("ab"));
    QCOMPARE(programRuns, 0);
}

void TestControls::textBoxLineBreakIsCrLfCountingTwo()
{
    TextBox box;
    QTest::keyClicks(&box, "ab");
    QTest::keyClick(&box, Qt::Key_Return);
    QTest::keyClick(&box, Qt::Key_Return, Qt::ShiftModifier);
    QTest::keyClicks(&box, "c");
    QCOMPARE(box.text(), QByteArray("ab\r\n\r\nc"));
    QCOMPARE(box.length(), 7);
    box.setText("x\r\ny");
    QCOMPARE(box.toPlainText(), QStringLiteral("x\ny"));
    QCOMPARE(box.length(), 4);
}

void TestControls::textBoxStopsTypingAtLimit()
{
    TextBox box;
    QCOMPARE(box.maxTyped(), 255);
    box.setText(QByteArray(254, 'a'));
    box.moveCursor(QTextCursor::End);
    QTest::keyClick(&box, Qt::Key_Return); // needs two characters of room
    QCOMPARE(box.length(), 254);
    QTest::keyClicks(&box, "bc");
    QCOMPARE(box.text(), QByteArray(254, 'a') + "b");
    // Typing over a selection counts what it replaces.
    box.selectAll();
    QTest::keyClicks(&box, "z");
    QCOMPARE(box.text(), QByteArray("z"));
}

void TestControls::textBoxShowsLongerProgramTextWhole()
{
    TextBox box;
    box.setText(QByteArray(300, 'q'));
    QCOMPARE(box.length(), 300);
    QCOMPARE(box.toPlainText().size(), 300);
    box.moveCursor(QTextCursor::End);
    QTest::keyClicks(&box, "r");
    QCOMPARE(box.length(), 300);
    QTest::keyClick(&box, Qt::Key_Backspace);
    QCOMPARE(box.length(), 299);
}

void TestControls::textBoxPasteIsFilteredAndCut()
{
    QClipboard* clipboard = QGuiApplication::clipboard();
    clipboard->setText(QString::fromUtf8("xñy\r\nz"));
    if (clipboard->text() != QString::fromUtf8("xñy\r\nz"))
        QSKIP("no clipboard on this platform");
    TextBox box;
    box.paste();
    QCOMPARE(box.text(), QByteArray("xy\r\nz"));
    box.setText(QByteArray(252, 'a'));
    box.moveCursor(QTextCursor::End);
    box.paste(); // room for "xy" only: the line break needs two
    QCOMPARE(box.text(), QByteArray(252, 'a') + "xy");
}

void TestControls::textBoxHistoryLines()
{
    TextBox box;
    box.setMaxTyped(TextBox::Unlimited);
    box.appendLine("* one");
    box.appendLine("* two");
    QCOMPARE(box.lines(), QList<QByteArray>({"* one", "* two"}));
    QCOMPARE(box.text(), QByteArray("* one\r\n* two"));
    QCOMPARE(box.document()->blockCount(), 2);
}

enum class Edit { TypeAtEnd, EnterAtStart, DeleteFirstBreak, ReplaceAll };

void TestControls::textBoxKeepsWhatTheUserDidNotType_data()
{
    QTest::addColumn<QByteArray>("stored");
    QTest::addColumn<int>("edit");
    QTest::addColumn<QByteArray>("after");
    const QByteArray mixed("a\rb\nc\r\nd");
    QTest::newRow("bare CR, a character typed elsewhere") << QByteArray("a\rb") << int(Edit::TypeAtEnd) << QByteArray("a\rbx");
    QTest::newRow("bare LF, a character typed elsewhere") << QByteArray("a\nb") << int(Edit::TypeAtEnd) << QByteArray("a\nbx");
    QTest::newRow("all three kinds, typed elsewhere") << mixed << int(Edit::TypeAtEnd) << mixed + "x";
    QTest::newRow("no-break space, typed elsewhere") << QByteArray("a\xA0") + "b" << int(Edit::TypeAtEnd) << QByteArray("a\xA0") + "bx";
    QTest::newRow("a typed break is CR LF, the others stay") << mixed << int(Edit::EnterAtStart) << QByteArray("\r\n") + mixed;
    QTest::newRow("the deleted break goes, the others stay") << mixed << int(Edit::DeleteFirstBreak) << QByteArray("ab\nc\r\nd");
    QTest::newRow("retyped from scratch: CR LF") << QByteArray("a\rb") << int(Edit::ReplaceAll) << QByteArray("p\r\nq");
}

void TestControls::textBoxKeepsWhatTheUserDidNotType()
{
    QFETCH(QByteArray, stored);
    QFETCH(int, edit);
    QFETCH(QByteArray, after);
    TextBox box;
    box.setText(stored);
    switch (Edit(edit)) {
    case Edit::TypeAtEnd:
        box.moveCursor(QTextCursor::End);
        QTest::keyClicks(&box, "x");
        break;
    case Edit::EnterAtStart:
        box.moveCursor(QTextCursor::Start);
        QTest::keyClick(&box, Qt::Key_Return);
        break;
    case Edit::DeleteFirstBreak:
        box.moveCursor(QTextCursor::Start);
        box.moveCursor(QTextCursor::Right);
        QTest::keyClick(&box, Qt::Key_Delete);
        break;
    case Edit::ReplaceAll:
        box.selectAll();
        QTest::keyClicks(&box, "p");
        QTest::keyClick(&box, Qt::Key_Return);
        QTest::keyClicks(&box, "q");
        break;
    }
    QCOMPARE(box.text(), after);
    QCOMPARE(box.length(), int(after.size()));
}

void TestControls::textBoxRefusalsAreHeard_data()
{
    QTest::addColumn<QByteArray>("stored");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QByteArray>("after");
    QTest::addColumn<int>("refusals");
    QTest::newRow("a character the code page lacks") << QByteArray("a") << QString::fromUtf8("Ж") << QByteArray("a") << 1;
    QTest::newRow("held characters on either side kept") << QByteArray() << QString::fromUtf8("aЖř") << QByteArray("a\xF8") << 1;
    QTest::newRow("past the limit") << QByteArray(255, 'a') << QStringLiteral("b") << QByteArray(255, 'a') << 1;
    QTest::newRow("one refusal each") << QByteArray("a") << QString::fromUtf8("ЖbЖ") << QByteArray("ab") << 2;
    QTest::newRow("held characters are heard as nothing") << QByteArray() << QString::fromUtf8("řł€") << QByteArray("\xF8\xB3\x80") << 0;
}

void TestControls::textBoxRefusalsAreHeard()
{
    QFETCH(QByteArray, stored);
    QFETCH(QString, typed);
    QFETCH(QByteArray, after);
    QFETCH(int, refusals);
    TextBox box;
    int heard = 0;
    box.setRefusalHandler([&] { ++heard; });
    box.setText(stored);
    box.moveCursor(QTextCursor::End);
    typeText(&box, typed);
    QCOMPARE(box.text(), after);
    QCOMPARE(heard, refusals);
}

void TestControls::textBoxDropFitsWholeOrNotAtAll_data()
{
    QTest::addColumn<QByteArray>("stored");
    QTest::addColumn<QString>("dropped");
    QTest::addColumn<QByteArray>("after");
    QTest::addColumn<bool>("accepted");
    QTest::newRow("fits") << QByteArray("ab") << QStringLiteral("xy") << QByteArray("xyab") << true;
    QTest::newRow("fits exactly") << QByteArray(253, 'a') << QStringLiteral("xy") << "xy" + QByteArray(253, 'a') << true;
    QTest::newRow("one too many: refused whole") << QByteArray(254, 'a') << QStringLiteral("xy") << QByteArray(254, 'a') << false;
    QTest::newRow("a character the box cannot hold: refused whole")
        << QByteArray("ab") << QString::fromUtf8("xЖ") << QByteArray("ab") << false;
    QTest::newRow("U+0001, which would end a name in the image: refused whole")
        << QByteArray("ab") << QStringLiteral("x\x01") << QByteArray("ab") << false;
}

void TestControls::textBoxDropFitsWholeOrNotAtAll()
{
    QFETCH(QByteArray, stored);
    QFETCH(QString, dropped);
    QFETCH(QByteArray, after);
    QFETCH(bool, accepted);
    struct DroppedOn : TextBox {
        using TextBox::dropEvent;
    } box;
    box.resize(200, 200);
    int heard = 0;
    box.setRefusalHandler([&] { ++heard; });
    box.setText(stored);
    QMimeData data;
    data.setText(dropped);
    // Dropped at the very start, from another box that moves its text:
    // the source deletes what it dragged only when the drop is accepted.
    QDropEvent drop(QPointF(1, 1), Qt::MoveAction, &data, Qt::LeftButton, Qt::NoModifier);
    box.dropEvent(&drop);
    QCOMPARE(box.text(), after);
    QCOMPARE(drop.isAccepted(), accepted);
    QCOMPARE(heard, accepted ? 0 : 1);
}

void TestControls::listBoxProgramIndexRunsNoClick()
{
    ListBox list;
    QSignalSpy clicks(&list, &ListBox::userClicked);
    list.addItem("a");
    list.addItem("b");
    QCOMPARE(list.itemIndex(), -1);
    list.setItemIndex(1);
    QCOMPARE(list.itemIndex(), 1);
    list.insertItem(0, "c");
    list.deleteItem(0);
    list.setItemIndex(-1);
    QCOMPARE(list.itemIndex(), -1);
    list.setItemIndex(0);
    list.clearItems();
    QCOMPARE(list.itemIndex(), -1);
    QCOMPARE(clicks.count(), 0);
}

void TestControls::listBoxKeyboardSelectionClicks()
{
    ListBox list;
    list.addItem("a");
    list.addItem("b");
    list.setItemIndex(0);
    QSignalSpy clicks(&list, &ListBox::userClicked);
    QTest::keyClick(&list, Qt::Key_Down);
    QCOMPARE(clicks.count(), 1);
    QCOMPARE(list.itemIndex(), 1);
}

void TestControls::listBoxReplaceKeepsSelection()
{
    ListBox list;
    list.addItem("a");
    list.addItem("b");
    list.setItemIndex(1);
    QSignalSpy clicks(&list, &ListBox::userClicked);
    list.replaceItem(1, "B\x9A");
    QCOMPARE(list.itemIndex(), 1);
    QCOMPARE(list.itemText(1), QByteArray("B\x9A"));
    QCOMPARE(list.item(1)->text(), QString::fromUtf8("Bš"));
    QCOMPARE(clicks.count(), 0);
}

void TestControls::listBoxClickOnEmptyPartKeepsSelection()
{
    ListBox list;
    list.resize(100, 200);
    list.addItem("a");
    list.addItem("b");
    list.show();
    QVERIFY(QTest::qWaitForWindowExposed(&list));
    list.setItemIndex(1);
    QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, QPoint(50, 190));
    QCOMPARE(list.itemIndex(), 1);
    QVERIFY(list.item(1)->isSelected());
    QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, list.visualItemRect(list.item(0)).center());
    QCOMPARE(list.itemIndex(), 0);
    QVERIFY(list.item(0)->isSelected());
}

void TestControls::listBoxExchangeMovesSelection_data()
{
    QTest::addColumn<int>("selected");
    QTest::addColumn<int>("selectedAfter");
    QTest::newRow("first of the pair") << 1 << 2;
    QTest::newRow("second of the pair") << 2 << 1;
    QTest::newRow("outside the pair") << 0 << 0;
}

void TestControls::listBoxExchangeMovesSelection()
{
    QFETCH(int, selected);
    QFETCH(int, selectedAfter);
    ListBox list;
    for (const char* t : {"a", "b", "c"})
        list.addItem(t);
    list.setItemIndex(selected);
    QSignalSpy clicks(&list, &ListBox::userClicked);
    list.exchange(1, 2);
    QCOMPARE(list.itemTexts(), QList<QByteArray>({"a", "c", "b"}));
    QCOMPARE(list.itemIndex(), selectedAfter);
    QCOMPARE(clicks.count(), 0);
}

void TestControls::checkBoxProgramStateRunsHandlerOnChange()
{
    CheckBox box;
    int runs = 0;
    box.setClickHandler([&] { ++runs; });
    QSignalSpy user(&box, &CheckBox::userClicked);
    box.setChecked(true);
    QCOMPARE(runs, 1);
    box.setChecked(true);
    QCOMPARE(runs, 1);
    box.setChecked(false);
    QCOMPARE(runs, 2);
    QCOMPARE(user.count(), 0);
}

void TestControls::checkBoxUserClickSignals()
{
    CheckBox box;
    int programRuns = 0;
    box.setClickHandler([&] { ++programRuns; });
    QSignalSpy user(&box, &CheckBox::userClicked);
    box.click();
    QVERIFY(box.isChecked());
    QCOMPARE(user.count(), 1);
    QCOMPARE(programRuns, 0);
}

void TestControls::checkBoxHandlerMayCheckItAgain()
{
    // A refused uncheck puts the tick back from inside the user's click.
    CheckBox box;
    QList<bool> seen;
    box.setClickHandler([&] { seen << box.isChecked(); });
    connect(&box, &CheckBox::userClicked, &box, [&] {
        seen << box.isChecked();
        if (!box.isChecked())
            box.setChecked(true);
    });
    box.setChecked(true);
    box.click();
    QVERIFY(box.isChecked());
    QCOMPARE(seen, QList<bool>({true, false, true}));
}

QTEST_MAIN(TestControls)
#include "tst_controls.moc"
