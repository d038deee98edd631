#include "control.h"
#include "recordingnotices.h"
#include "entries.h"
#include "ui/mainwindow.h"
#include "ui/controls.h"
#include "ui/entrychecks.h"

#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

using namespace linkwell;
using namespace linkwell::testing;

namespace {

// A store whose image is 1990 bytes, entry 0 having a 10-character name and
// a 20-character URL, so everything else takes 1956 bytes.
Entries nearlyFull()
{
    Entries out{{QByteArray(10, 'N'), QByteArray(20, 'U')}};
    for (int i = 0; i < 7; ++i)
        out << qMakePair(QByteArray(20, 'n'), QByteArray(250, 'u'));
    out << qMakePair(QByteArray(7, 'm'), QByteArray(20, 'v'));
    return out;
}

// A main window on a temporary settings folder, its list loaded as a download
// or an opened file leaves it.
struct Window {
    explicit Window(const Entries& entries = {}, bool load = true)
    {
        form = std::make_unique<MainWindow>(notices, dir.path());
        fill(form->store(), entries);
        if (load) {
            form->FillListBox();
            form->ShowSelected();
        }
        notices.clear();
    }

    void select(int index)
    {
        // As the user does: a click on the row of the window on screen.
        if (!form->isVisible()) {
            form->show();
            QVERIFY(QTest::qWaitForWindowExposed(form.get()));
        }
        QListWidget* list = control<ListBox>(*form, "ListBox1");
        const QRect row = list->visualItemRect(list->item(index));
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, row.center());
    }

    QByteArray memo1() const { return control<TextBox>(*form, "Memo1")->text(); }
    QByteArray memo2() const { return control<TextBox>(*form, "Memo2")->text(); }
    QString label(const char* name) const { return control<QLabel>(*form, name)->text(); }

    QTemporaryDir dir;
    testing::RecordingNotices notices;
    std::unique_ptr<MainWindow> form;
};

void clearBox(TextBox* box)
{
    box->selectAll();
    QTest::keyClick(box, Qt::Key_Backspace);
}

// Types text at the end of a box; '|' stands for the Enter key.
void typeAtEnd(TextBox* box, const QByteArray& text)
{
    box->moveCursor(QTextCursor::End);
    for (const char c : text) {
        if (c == '|')
            QTest::keyClick(box, Qt::Key_Return);
        else
            QTest::keyClicks(box, QString(QLatin1Char(c)));
    }
}

} // namespace

class TestListView : public QObject {
    Q_OBJECT
private slots:
    void collapseSpaces_data();
    void collapseSpaces();
    void checkEditExit_data();
    void checkEditExit();

    void showsSelectedEntry();
    void wapStyleCollapsesAndRestores();
    void editModeShowsStoredTexts();
    void otherSizeIsTheSameInEitherView();

    void leaveEditModeAtTheSizeLimit_data();
    void leaveEditModeAtTheSizeLimit();
    void leaveEditModeRefusals_data();
    void leaveEditModeRefusals();

    void deleteEntry_data();
    void deleteEntry();
    void deleteQuestionUsesCollapsedStoredTexts();

    void moveEntry_data();
    void moveEntry();

    void enabledStates_data();
    void enabledStates();

    void nothingSelectedRefusesQuietly();
    void failureInAHandlerReachesTheErrorBox();
};

void TestListView::collapseSpaces_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QByteArray>("collapsed");
    QTest::newRow("runs at start, middle and end") << QByteArray("  a   b  ") << QByteArray(" a b ");
    QTest::newRow("empty") << QByteArray() << QByteArray();
    QTest::newRow("no two blanks in a row") << QByteArray("a b c") << QByteArray("a b c");
    QTest::newRow("only blanks") << QByteArray("     ") << QByteArray(" ");
    QTest::newRow("tabs untouched") << QByteArray("a\t\tb") << QByteArray("a\t\tb");
    QTest::newRow("tab between blanks") << QByteArray("a \t  b") << QByteArray("a \t b");
    QTest::newRow("line breaks untouched") << QByteArray("a\r\n\r\n  b") << QByteArray("a\r\n\r\n b");
    QTest::newRow("no-break space is no blank") << QByteArray("a\xA0\xA0 b") << QByteArray("a\xA0\xA0 b");
    QByteArray longText, longCollapsed;
    for (int i = 0; i < 75; ++i) {
        longText += "x   ";
        longCollapsed += "x ";
    }
    QTest::newRow("300 characters, collapsed in full") << longText << longCollapsed;
}

void TestListView::collapseSpaces()
{
    QFETCH(QByteArray, text);
    QFETCH(QByteArray, collapsed);
    QCOMPARE(CollapseSpaces(text), collapsed);
    QCOMPARE(CollapseSpaces(collapsed), collapsed);
}

void TestListView::checkEditExit_data()
{
    QTest::addColumn<int>("nameLength");
    QTest::addColumn<int>("urlLength");
    QTest::addColumn<int>("otherSize");
    QTest::addColumn<int>("verdict");
    const int commit = int(EditExit::Commit);
    const int tooMany = int(EditExit::TooManyCharacters);
    QTest::newRow("1998 exactly") << 10 << 28 << 1956 << commit;
    QTest::newRow("1999") << 10 << 29 << 1956 << tooMany;
    QTest::newRow("empty name, too long") << 0 << 39 << 1956 << tooMany;
    QTest::newRow("empty name and URL") << 0 << 0 << 1956 << int(EditExit::NameEmpty);
    QTest::newRow("empty URL") << 1 << 0 << 7 << int(EditExit::UrlEmpty);
    QTest::newRow("empty name, empty URL, too long") << 0 << 0 << 1995 << tooMany;
    QTest::newRow("small store") << 255 << 255 << 7 << commit;
}

void TestListView::checkEditExit()
{
    QFETCH(int, nameLength);
    QFETCH(int, urlLength);
    QFETCH(int, otherSize);
    QFETCH(int, verdict);
    QCOMPARE(int(CheckEditExit(QByteArray(nameLength, 'a'), QByteArray(urlLength, 'b'), otherSize)), verdict);
    QCOMPARE(imageSizeWithoutRecord(1990, QByteArray(10, 'n'), QByteArray(20, 'u')), 1956);
}

void TestListView::showsSelectedEntry()
{
    Window w(numbered(3));
    QCOMPARE(control<ListBox>(*w.form, "ListBox1")->itemTexts(), QList<QByteArray>({"name1", "name2", "name3"}));
    QCOMPARE(control<ListBox>(*w.form, "ListBox1")->itemIndex(), 0);
    QCOMPARE(w.label("Label7"), QStringLiteral("3"));
    QCOMPARE(w.label("Label18"), QStringLiteral("1"));
    QCOMPARE(w.memo1(), QByteArray("name1"));
    w.select(2);
    QCOMPARE(w.memo1(), QByteArray("name3"));
    QCOMPARE(w.memo2(), QByteArray("url3"));
    QCOMPARE(w.label("Label18"), QStringLiteral("3"));
    QCOMPARE(w.label("Label3"), QStringLiteral("5"));
    QCOMPARE(w.label("Label4"), QStringLiteral("4"));
    QTest::keyClick(control<ListBox>(*w.form, "ListBox1"), Qt::Key_Up);
    QCOMPARE(w.memo1(), QByteArray("name2"));
    QVERIFY(w.notices.log.isEmpty());
}

void TestListView::wapStyleCollapsesAndRestores()
{
    Window w(Entries{{"ab  cd", "u   v"}, {"x  y", "z"}});
    QCOMPARE(w.label("Label3"), QStringLiteral("6"));
    control<CheckBox>(*w.form, "chShowStyle")->click();
    QCOMPARE(w.memo1(), QByteArray("ab cd"));
    QCOMPARE(w.memo2(), QByteArray("u v"));
    QCOMPARE(w.label("Label3"), QStringLiteral("5"));
    QCOMPARE(w.label("Label4"), QStringLiteral("3"));
    w.select(1);
    QCOMPARE(w.memo1(), QByteArray("x y"));
    QCOMPARE(w.label("Label3"), QStringLiteral("3"));
    w.select(0);
    control<CheckBox>(*w.form, "chShowStyle")->click();
    QCOMPARE(w.memo1(), QByteArray("ab  cd"));
    QCOMPARE(w.memo2(), QByteArray("u   v"));
    QCOMPARE(w.label("Label3"), QStringLiteral("6"));
    QCOMPARE(w.form->store().name(0), QByteArray("ab  cd"));
    QVERIFY(w.notices.log.isEmpty());
}

void TestListView::editModeShowsStoredTexts()
{
    Window w(Entries{{"ab  cd", "u   v"}});
    control<CheckBox>(*w.form, "chShowStyle")->click();
    control<CheckBox>(*w.form, "EditStyle")->click();
    QCOMPARE(w.memo1(), QByteArray("ab  cd"));
    QCOMPARE(w.memo2(), QByteArray("u   v"));
    QCOMPARE(w.label("Label3"), QStringLiteral("6"));
    QVERIFY(control<CheckBox>(*w.form, "chShowStyle")->isChecked());
    QVERIFY(!control<CheckBox>(*w.form, "chShowStyle")->isEnabled());
    QVERIFY(!control<TextBox>(*w.form, "Memo1")->isReadOnly());
    // Typing in edit mode only counts.
    typeAtEnd(control<TextBox>(*w.form, "Memo1"), "  e");
    QCOMPARE(w.memo1(), QByteArray("ab  cd  e"));
    QCOMPARE(w.label("Label3"), QStringLiteral("9"));
    control<CheckBox>(*w.form, "EditStyle")->click();
    QCOMPARE(w.form->store().name(0), QByteArray("ab  cd  e"));
    QCOMPARE(control<ListBox>(*w.form, "ListBox1")->itemText(0), QByteArray("ab  cd  e"));
    QCOMPARE(w.memo1(), QByteArray("ab cd e"));
    QCOMPARE(w.memo2(), QByteArray("u v"));
    QVERIFY(control<CheckBox>(*w.form, "chShowStyle")->isEnabled());
    QVERIFY(control<TextBox>(*w.form, "Memo1")->isReadOnly());
    QVERIFY(w.notices.log.isEmpty());
}

void TestListView::otherSizeIsTheSameInEitherView()
{
    Window w(Entries{{"a   b", "c    d"}, {"x", "y"}});
    control<CheckBox>(*w.form, "EditStyle")->click();
    const int plain = w.form->OtherSize();
    QCOMPARE(plain, 7 + (1 + 1 + 4));
    control<CheckBox>(*w.form, "EditStyle")->click();
    control<CheckBox>(*w.form, "chShowStyle")->click();
    control<CheckBox>(*w.form, "EditStyle")->click();
    QCOMPARE(w.form->OtherSize(), plain);
}

void TestListView::leaveEditModeAtTheSizeLimit_data()
{
    QTest::addColumn<int>("added");
    QTest::addColumn<bool>("accepted");
    QTest::newRow("28-character URL, 1998 bytes") << 8 << true;
    QTest::newRow("29-character URL, 1999 bytes") << 9 << false;
}

void TestListView::leaveEditModeAtTheSizeLimit()
{
    QFETCH(int, added);
    QFETCH(bool, accepted);
    Window w(nearlyFull());
    control<CheckBox>(*w.form, "EditStyle")->click();
    QCOMPARE(BuildSection(w.form->store().entries()).size, 1990);
    QCOMPARE(w.form->OtherSize(), 1956);
    const QByteArray stored = w.form->store().url(0);
    const QByteArray edited = stored + QByteArray(added, 'x');

    typeAtEnd(control<TextBox>(*w.form, "Memo2"), QByteArray(added, 'x'));
    control<CheckBox>(*w.form, "EditStyle")->click();
    if (accepted) {
        QVERIFY(w.notices.log.isEmpty());
        QVERIFY(!control<CheckBox>(*w.form, "EditStyle")->isChecked());
        QCOMPARE(w.form->store().url(0), edited);
        QVERIFY(control<QPushButton>(*w.form, "btnNew")->isEnabled());
        return;
    }
    // Refused: the stored entry is back, edit mode goes on, and the same texts
    // are refused again.
    for (int attempt = 1; attempt <= 2; ++attempt) {
        QCOMPARE(w.notices.log, QStringList({"beep", "message: Too many characters."}));
        QVERIFY(control<CheckBox>(*w.form, "EditStyle")->isChecked());
        QCOMPARE(w.memo2(), stored);
        QCOMPARE(w.label("Label4"), QStringLiteral("20"));
        QVERIFY(!control<QPushButton>(*w.form, "btnNew")->isEnabled());
        QVERIFY(!control<ListBox>(*w.form, "ListBox1")->isEnabled());
        QVERIFY(!control<TextBox>(*w.form, "Memo2")->isReadOnly());
        QCOMPARE(w.form->OtherSize(), 1956);
        QCOMPARE(w.form->store().url(0), stored);
        w.notices.clear();
        typeAtEnd(control<TextBox>(*w.form, "Memo2"), QByteArray(added, 'x'));
        control<CheckBox>(*w.form, "EditStyle")->click();
    }
}

void TestListView::leaveEditModeRefusals_data()
{
    QTest::addColumn<bool>("clearName");
    QTest::addColumn<QByteArray>("typeName");
    QTest::addColumn<bool>("clearUrl");
    QTest::addColumn<int>("addToUrl");
    QTest::addColumn<QString>("message");
    QTest::addColumn<QByteArray>("storedName");

    const QByteArray stored(10, 'N');
    QTest::newRow("empty name and too long: size first") << true << QByteArray() << false << 19 << "Too many characters." << stored;
    QTest::newRow("empty name and empty URL: name first") << true << QByteArray() << true << 0 << "Name section is clear!" << stored;
    QTest::newRow("empty URL") << false << QByteArray() << true << 0 << "URL section is clear!" << stored;
    QTest::newRow("one blank is a name") << true << QByteArray(" ") << false << 0 << "" << QByteArray(" ");
    QTest::newRow("line break kept") << true << QByteArray("a|b") << false << 0 << "" << QByteArray("a\r\nb");
}

void TestListView::leaveEditModeRefusals()
{
    QFETCH(bool, clearName);
    QFETCH(QByteArray, typeName);
    QFETCH(bool, clearUrl);
    QFETCH(int, addToUrl);
    QFETCH(QString, message);
    QFETCH(QByteArray, storedName);

    Window w(nearlyFull());
    control<CheckBox>(*w.form, "EditStyle")->click();
    if (clearName)
        clearBox(control<TextBox>(*w.form, "Memo1"));
    typeAtEnd(control<TextBox>(*w.form, "Memo1"), typeName);
    QCOMPARE(w.label("Label3"), QString::number(w.memo1().size()));
    if (clearUrl)
        clearBox(control<TextBox>(*w.form, "Memo2"));
    typeAtEnd(control<TextBox>(*w.form, "Memo2"), QByteArray(addToUrl, 'x'));
    control<CheckBox>(*w.form, "EditStyle")->click();

    if (message.isEmpty()) {
        QVERIFY(w.notices.log.isEmpty());
        QVERIFY(!control<CheckBox>(*w.form, "EditStyle")->isChecked());
    } else {
        QCOMPARE(w.notices.log, QStringList({"beep", "message: " + message}));
        QVERIFY(control<CheckBox>(*w.form, "EditStyle")->isChecked());
        QCOMPARE(w.memo1(), storedName);
    }
    QCOMPARE(w.form->store().name(0), storedName);
    QCOMPARE(control<ListBox>(*w.form, "ListBox1")->itemText(0), storedName);
    QCOMPARE(w.label("Label3"), QString::number(storedName.size()));
}

void TestListView::deleteEntry_data()
{
    QTest::addColumn<int>("count");
    QTest::addColumn<int>("index");
    QTest::addColumn<bool>("yes");
    QTest::addColumn<QList<QByteArray>>("names");
    QTest::addColumn<int>("selected");
    QTest::addColumn<QByteArray>("shown");
    QTest::addColumn<QString>("position");

    QTest::newRow("3 of 5") << 5 << 2 << true << QList<QByteArray>{"name1", "name2", "name4", "name5"} << 2 << QByteArray("name4") << "3";
    QTest::newRow("5 of 5") << 5 << 4 << true << QList<QByteArray>{"name1", "name2", "name3", "name4"} << 3 << QByteArray("name4") << "4";
    QTest::newRow("the only entry") << 1 << 0 << true << QList<QByteArray>{} << -1 << QByteArray() << "0";
    QTest::newRow("answered No") << 5 << 2 << false << QList<QByteArray>{"name1", "name2", "name3", "name4", "name5"} << 2
                                 << QByteArray("name3") << "3";
}

void TestListView::deleteEntry()
{
    QFETCH(int, count);
    QFETCH(int, index);
    QFETCH(bool, yes);
    QFETCH(QList<QByteArray>, names);
    QFETCH(int, selected);
    QFETCH(QByteArray, shown);
    QFETCH(QString, position);

    Window w(numbered(count));
    w.form->show();
    QVERIFY(QTest::qWaitForWindowActive(w.form.get()));
    w.select(index);
    control<QPushButton>(*w.form, "btnNew")->setFocus();
    w.notices.confirmAnswers << yes;
    QTest::mouseClick(control<QPushButton>(*w.form, "btnDelete"), Qt::LeftButton);

    const QByteArray n = QByteArray::number(index + 1);
    QCOMPARE(w.notices.log, QStringList({"confirm: Delete entry?\r\nName: name" + n + "\r\nURL: url" + n}));
    QCOMPARE(w.form->store().NameList(), names);
    QCOMPARE(control<ListBox>(*w.form, "ListBox1")->itemTexts(), names);
    QCOMPARE(w.form->store().count(), names.size());
    QCOMPARE(control<ListBox>(*w.form, "ListBox1")->itemIndex(), selected);
    QCOMPARE(w.memo1(), shown);
    QCOMPARE(w.memo2(), shown.isEmpty() ? QByteArray() : "url" + shown.mid(4));
    QCOMPARE(w.label("Label18"), position);
    QCOMPARE(w.label("Label7"), QString::number(names.size()));
    QCOMPARE(w.label("Label3"), QString::number(shown.size()));
    QCOMPARE(w.form->focusWidget(), control<ListBox>(*w.form, "ListBox1"));
    const bool entriesLeft = !names.isEmpty();
    for (const char* name : {"btnDelete", "EditStyle", "chShowStyle", "btnSaveFile", "btnUp", "btnDown"})
        QCOMPARE(control(*w.form, name)->isEnabled(), entriesLeft);
    QVERIFY(control<QPushButton>(*w.form, "btnUpload")->isEnabled());
    QVERIFY(control<QPushButton>(*w.form, "btnNew")->isEnabled());
}

void TestListView::deleteQuestionUsesCollapsedStoredTexts()
{
    Window w(Entries{{"a  b", "c   d"}});
    w.notices.confirmAnswers << false;
    control<QPushButton>(*w.form, "btnDelete")->click();
    QCOMPARE(w.notices.log, QStringList({"confirm: Delete entry?\r\nName: a b\r\nURL: c d"}));
    QCOMPARE(DeleteQuestion("a  b", "c   d"), QByteArray("Delete entry?\r\nName: a b\r\nURL: c d"));
}

void TestListView::moveEntry_data()
{
    QTest::addColumn<int>("count");
    QTest::addColumn<int>("index");
    QTest::addColumn<bool>("down");
    QTest::addColumn<QList<QByteArray>>("names");
    QTest::addColumn<int>("selected");

    const QList<QByteArray> abc{"name1", "name2", "name3"};
    QTest::newRow("up on the first") << 3 << 0 << false << abc << 0;
    QTest::newRow("down on the last") << 3 << 2 << true << abc << 2;
    QTest::newRow("up on the only") << 1 << 0 << false << QList<QByteArray>{"name1"} << 0;
    QTest::newRow("down on the only") << 1 << 0 << true << QList<QByteArray>{"name1"} << 0;
    QTest::newRow("down on the first") << 3 << 0 << true << QList<QByteArray>{"name2", "name1", "name3"} << 1;
    QTest::newRow("up on the last") << 3 << 2 << false << QList<QByteArray>{"name1", "name3", "name2"} << 1;
    QTest::newRow("up in the middle") << 3 << 1 << false << QList<QByteArray>{"name2", "name1", "name3"} << 0;
}

void TestListView::moveEntry()
{
    QFETCH(int, count);
    QFETCH(int, index);
    QFETCH(bool, down);
    QFETCH(QList<QByteArray>, names);
    QFETCH(int, selected);

    Window w(numbered(count));
    w.select(index);
    const QByteArray name = w.memo1();
    const QByteArray url = w.memo2();
    (down ? control<QPushButton>(*w.form, "btnDown") : control<QPushButton>(*w.form, "btnUp"))->click();

    QList<QByteArray> urls;
    for (const QByteArray& n : names)
        urls << "url" + n.mid(4);
    QCOMPARE(w.form->store().NameList(), names);
    QCOMPARE(w.form->store().UrlList(), urls);
    QCOMPARE(control<ListBox>(*w.form, "ListBox1")->itemTexts(), names);
    QCOMPARE(control<ListBox>(*w.form, "ListBox1")->itemIndex(), selected);
    QCOMPARE(w.form->store().name(selected), name);
    QCOMPARE(w.memo1(), name);
    QCOMPARE(w.memo2(), url);
    QCOMPARE(w.label("Label18"), QString::number(selected + 1));
    QCOMPARE(w.label("Label7"), QString::number(count));
    QVERIFY(w.notices.log.isEmpty());
}

// The columns of the enabled-state table, in this order.
static const char* const StateControls[] = {"ListBox1",    "chShowStyle", "EditStyle", "btnDelete",   "btnUp",      "btnDown",
                                            "btnSaveFile", "btnUpload",   "btnNew",    "btnDownload", "btnOpenFile"};

void TestListView::enabledStates_data()
{
    QTest::addColumn<QString>("condition");
    QTest::addColumn<QString>("enabled"); // one 1 or 0 per column above
    QTest::addColumn<bool>("memosReadOnly");
    QTest::newRow("at start") << "start"
                              << "10000001111" << true;
    QTest::newRow("list filled") << "filled"
                                 << "11111111111" << true;
    QTest::newRow("edit mode") << "edit"
                               << "00100000000" << false;
    QTest::newRow("after leaving edit mode") << "left"
                                             << "11111111111" << true;
    QTest::newRow("last entry deleted") << "deleted"
                                        << "10000001111" << true;
    QTest::newRow("a load left the list empty") << "emptied"
                                                << "10000011111" << true;
}

void TestListView::enabledStates()
{
    QFETCH(QString, condition);
    QFETCH(QString, enabled);
    QFETCH(bool, memosReadOnly);

    Window w(numbered(condition == "emptied" ? 0 : condition == "deleted" ? 1 : 2), condition != "start" && condition != "emptied");
    if (condition == "emptied")
        w.form->showLoadedList();
    if (condition == "edit" || condition == "left")
        control<CheckBox>(*w.form, "EditStyle")->click();
    if (condition == "left")
        control<CheckBox>(*w.form, "EditStyle")->click();
    if (condition == "deleted") {
        w.notices.confirmAnswers << true;
        control<QPushButton>(*w.form, "btnDelete")->click();
    }
    for (size_t i = 0; i < std::size(StateControls); ++i)
        QVERIFY2(control(*w.form, StateControls[i])->isEnabled() == (enabled.at(qsizetype(i)) == u'1'), StateControls[i]);
    QCOMPARE(control<TextBox>(*w.form, "Memo1")->isReadOnly(), memosReadOnly);
    QCOMPARE(control<TextBox>(*w.form, "Memo2")->isReadOnly(), memosReadOnly);
    for (QRadioButton* port : w.form->findChildren<QRadioButton*>())
        QVERIFY(port->isEnabled());
    QVERIFY(!w.notices.log.contains(QRegularExpression("^error: ")));
}

void TestListView::nothingSelectedRefusesQuietly()
{
    // A load that emptied the store but left the entry controls enabled.
    Window w(Entries{}, true);
    QVERIFY(control<CheckBox>(*w.form, "EditStyle")->isEnabled());
    control<CheckBox>(*w.form, "EditStyle")->click();
    QVERIFY(!control<CheckBox>(*w.form, "EditStyle")->isChecked());
    QVERIFY(control<QPushButton>(*w.form, "btnNew")->isEnabled());
    QVERIFY(control<ListBox>(*w.form, "ListBox1")->isEnabled());
    QVERIFY(control<TextBox>(*w.form, "Memo1")->isReadOnly());
    for (const char* name : {"btnDelete", "btnUp", "btnDown", "chShowStyle", "chShowStyle"})
        control<QAbstractButton>(*w.form, name)->click();
    w.form->ShowSelected();
    QCOMPARE(w.memo1(), QByteArray());
    QCOMPARE(w.label("Label18"), QStringLiteral("0"));
    QVERIFY(w.notices.log.isEmpty());
}

void TestListView::failureInAHandlerReachesTheErrorBox()
{
    Window w(numbered(2));
    // The list shows an entry the store no longer holds.
    w.form->store().removeAt(1);
    QTest::keyClick(control<ListBox>(*w.form, "ListBox1"), Qt::Key_Down);
    QCOMPARE(w.notices.log, QStringList({"error: List index out of bounds (1)"}));
    // The program goes on.
    QTest::keyClick(control<ListBox>(*w.form, "ListBox1"), Qt::Key_Up);
    QCOMPARE(w.memo1(), QByteArray("name1"));
}

QTEST_MAIN(TestListView)
#include "tst_listview.moc"
