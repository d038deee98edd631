#include "control.h"
#include "recordingnotices.h"
#include "entries.h"
#include "ui/mainwindow.h"
#include "ui/controls.h"
#include "ui/newentrydialog.h"
#include "ui/entrychecks.h"

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

#include <memory>

using namespace linkwell;
using namespace linkwell::testing;

namespace {

// One entry whose image takes exactly `size` bytes (at least 13).
Entries imageOfSize(int size)
{
    return {{"a", QByteArray(size - 7 - 1 - 4, 'u')}};
}

// Types into a box as the user does; '|' stands for the Enter key.
void type(TextBox* box, const QByteArray& text)
{
    box->setFocus();
    box->moveCursor(QTextCursor::End);
    for (const char c : text) {
        if (c == '|')
            QTest::keyClick(box, Qt::Key_Return);
        else
            QTest::keyClicks(box, QString(QLatin1Char(c)));
    }
}

// The main window with its real new-entry dialog, the list loaded as a
// download leaves it.
struct Window {
    explicit Window(const Entries& entries = {}, int selected = 0)
    {
        form = std::make_unique<MainWindow>(notices, dir.path());
        dialog = std::make_unique<NewEntryDialog>(notices, form.get());
        form->setNewEntryDialog(*dialog);
        fill(form->store(), entries);
        if (!entries.isEmpty()) {
            form->FillListBox();
            control<ListBox>(*form, "ListBox1")->setItemIndex(selected);
            form->ShowSelected();
        }
        notices.clear();
    }

    // Clicks "Insert new" and, once the dialog is modal, runs what the user
    // does there. A dialog the steps leave open is closed, and noted.
    void insert(const std::function<void(NewEntryDialog&)>& steps)
    {
        leftOpen = false;
        QTimer::singleShot(0, [this, steps] { whenModal(steps, 200); });
        control<QPushButton>(*form, "btnNew")->click();
    }

    void whenModal(const std::function<void(NewEntryDialog&)>& steps, int triesLeft)
    {
        if (QApplication::activeModalWidget() != dialog.get()) {
            if (triesLeft > 0)
                QTimer::singleShot(5, [this, steps, triesLeft] { whenModal(steps, triesLeft - 1); });
            return;
        }
        steps(*dialog);
        if (dialog->isVisible()) {
            leftOpen = true;
            dialog->reject();
        }
    }

    QTemporaryDir dir;
    testing::RecordingNotices notices;
    std::unique_ptr<MainWindow> form;
    std::unique_ptr<NewEntryDialog> dialog;
    bool leftOpen = false;
};

void fillAndAdd(NewEntryDialog& d, const QByteArray& name, const QByteArray& url)
{
    type(control<TextBox>(d, "Memo1"), name);
    type(control<TextBox>(d, "Memo2"), url);
    control<QPushButton>(d, "Button1")->click();
}

} // namespace

class TestNewEntry : public QObject {
    Q_OBJECT
private slots:
    void addToListRefusal_data();
    void addToListRefusal();

    void insertsAfterTheSelectedRow_data();
    void insertsAfterTheSelectedRow();
    void refusedBeforeTheDialogOpens_data();
    void refusedBeforeTheDialogOpens();
    void sizeLimitInTheDialog_data();
    void sizeLimitInTheDialog();
    void checksRunInOrder();
    void textsAreTakenAsTyped();
    void cancelAfterARefusal();
    void closeBoxInsertsNothing();
    void keysOnTheDialog_data();
    void keysOnTheDialog();
};

void TestNewEntry::addToListRefusal_data()
{
    QTest::addColumn<QByteArray>("name");
    QTest::addColumn<QByteArray>("url");
    QTest::addColumn<int>("baseSize");
    QTest::addColumn<QString>("refusal");

    const QString tooMany = QStringLiteral("Too many characters.");
    QTest::newRow("both empty: the name is reported") << QByteArray() << QByteArray() << 0 << QStringLiteral("Name section is empty.");
    QTest::newRow("empty URL") << QByteArray("n") << QByteArray() << 0 << QStringLiteral("URL section is empty.");
    QTest::newRow("empty name and too long: the name first")
        << QByteArray() << QByteArray(300, 'u') << 1990 << QStringLiteral("Name section is empty.");
    QTest::newRow("1998 exactly") << QByteArray(2, 'n') << QByteArray(2, 'u') << 1990 << QString();
    QTest::newRow("1999") << QByteArray(3, 'n') << QByteArray(2, 'u') << 1990 << tooMany;
    QTest::newRow("empty store: 255 + 255 fit") << QByteArray(255, 'n') << QByteArray(255, 'u') << 0 << QString();
    QTest::newRow("a base size that would wrap 32 bits")
        << QByteArray("n") << QByteArray("u") << int(std::numeric_limits<std::int32_t>::max()) << tooMany;
}

void TestNewEntry::addToListRefusal()
{
    QFETCH(QByteArray, name);
    QFETCH(QByteArray, url);
    QFETCH(int, baseSize);
    QFETCH(QString, refusal);
    QCOMPARE(AddToListRefusal(name, url, baseSize), refusal);
}

void TestNewEntry::insertsAfterTheSelectedRow_data()
{
    QTest::addColumn<int>("entries");
    QTest::addColumn<int>("selected");
    QTest::addColumn<int>("position");
    QTest::newRow("empty list: row 0") << 0 << -1 << 0;
    QTest::newRow("middle") << 3 << 1 << 2;
    QTest::newRow("first") << 3 << 0 << 1;
    QTest::newRow("last row: appended") << 3 << 2 << 3;
}

void TestNewEntry::insertsAfterTheSelectedRow()
{
    QFETCH(int, entries);
    QFETCH(int, selected);
    QFETCH(int, position);

    Window w(numbered(entries), selected);
    w.insert([](NewEntryDialog& d) { fillAndAdd(d, "New", "new.url"); });
    QVERIFY(!w.leftOpen);

    QList<QByteArray> expected;
    for (const auto& e : numbered(entries))
        expected << e.first;
    expected.insert(position, "New");
    QCOMPARE(control<ListBox>(*w.form, "ListBox1")->itemTexts(), expected);
    QCOMPARE(w.form->store().name(position), QByteArray("New"));
    QCOMPARE(w.form->store().url(position), QByteArray("new.url"));
    QCOMPARE(w.form->store().UrlList().size(), entries + 1);
    QCOMPARE(control<ListBox>(*w.form, "ListBox1")->itemIndex(), position);
    QCOMPARE(control<QLabel>(*w.form, "Label7")->text(), QString::number(entries + 1));
    QCOMPARE(control<QLabel>(*w.form, "Label18")->text(), QString::number(position + 1));
    QCOMPARE(control<TextBox>(*w.form, "Memo1")->text(), QByteArray("New"));
    QCOMPARE(control<TextBox>(*w.form, "Memo2")->text(), QByteArray("new.url"));
    for (const char* name : {"EditStyle", "chShowStyle", "btnSaveFile", "btnUpload", "btnDelete", "btnUp", "btnDown"})
        QVERIFY2(control(*w.form, name)->isEnabled(), name);
    QVERIFY(w.notices.log.isEmpty());
}

void TestNewEntry::refusedBeforeTheDialogOpens_data()
{
    QTest::addColumn<Entries>("entries");
    QTest::addColumn<QString>("message");
    QTest::newRow("100 small entries") << numbered(100) << QStringLiteral("Too many entries (100=max)");
    Entries bigHundred = numbered(99);
    bigHundred << qMakePair(QByteArray("x"), QByteArray(1500, 'u'));
    QTest::newRow("100 entries, image too big as well") << bigHundred << QStringLiteral("Too many entries (100=max)");
    QTest::newRow("image of 1993 bytes") << imageOfSize(1993) << QStringLiteral("Not enough memory");
    QTest::newRow("image that would not even fit") << imageOfSize(2500) << QStringLiteral("Not enough memory");
}

void TestNewEntry::refusedBeforeTheDialogOpens()
{
    QFETCH(Entries, entries);
    QFETCH(QString, message);

    Window w(entries);
    int opened = 0;
    w.form->setNewEntryOpener([&](std::int32_t) {
        ++opened;
        return std::optional<EntNameUrl>();
    });
    control<QPushButton>(*w.form, "btnNew")->click();
    QCOMPARE(opened, 0);
    QCOMPARE(w.notices.log, (QStringList{"beep", "message: " + message}));
    QCOMPARE(w.form->store().count(), entries.size());
    QCOMPARE(control<ListBox>(*w.form, "ListBox1")->itemCount(), int(entries.size()));
}

void TestNewEntry::sizeLimitInTheDialog_data()
{
    QTest::addColumn<QByteArray>("name");
    QTest::addColumn<bool>("accepted");
    QTest::newRow("one-character pair fits 1992") << QByteArray("n") << true;
    QTest::newRow("two-character name does not") << QByteArray("nn") << false;
}

void TestNewEntry::sizeLimitInTheDialog()
{
    QFETCH(QByteArray, name);
    QFETCH(bool, accepted);

    Window w(imageOfSize(1992));
    w.insert([&](NewEntryDialog& d) {
        QCOMPARE(d.BaseSize, 1992);
        fillAndAdd(d, name, "u");
    });
    QCOMPARE(w.leftOpen, !accepted);
    QCOMPARE(w.form->store().count(), accepted ? 2 : 1);
    QCOMPARE(w.notices.log, accepted ? QStringList() : (QStringList{"beep", "message: Too many characters."}));
}

void TestNewEntry::checksRunInOrder()
{
    Window w;
    QStringList afterEachClick;
    w.insert([&](NewEntryDialog& d) {
        control<QPushButton>(d, "Button1")->click();
        afterEachClick << w.notices.log.join('/');
        type(control<TextBox>(d, "Memo1"), "n");
        control<QPushButton>(d, "Button1")->click();
        afterEachClick << w.notices.log.join('/');
    });
    QVERIFY(w.leftOpen);
    QCOMPARE(afterEachClick, (QStringList{"beep/message: Name section is empty.",
                                          "beep/message: Name section is empty./beep/message: URL section is empty."}));
    QCOMPARE(w.form->store().count(), 0);
}

void TestNewEntry::textsAreTakenAsTyped()
{
    Window w(numbered(1));
    QStringList counts;
    w.insert([&](NewEntryDialog& d) {
        type(control<TextBox>(d, "Memo1"), "   |x");
        type(control<TextBox>(d, "Memo2"), "u");
        counts << control<QLabel>(d, "Label5")->text() << control<QLabel>(d, "Label6")->text();
        control<QPushButton>(d, "Button1")->click();
    });
    QVERIFY(!w.leftOpen);
    QCOMPARE(counts, (QStringList{"6", "1"})); // a line break counts two
    QCOMPARE(w.form->store().name(1), QByteArray("   \r\nx"));
    QCOMPARE(w.form->store().url(1), QByteArray("u"));
}

void TestNewEntry::cancelAfterARefusal()
{
    Window w(numbered(2));
    w.insert([](NewEntryDialog& d) {
        type(control<TextBox>(d, "Memo1"), "only a name");
        control<QPushButton>(d, "Button1")->click();
        QVERIFY(d.isVisible()); // refused: the texts stay
        QCOMPARE(control<TextBox>(d, "Memo1")->text(), QByteArray("only a name"));
        control<QPushButton>(d, "Button3")->click();
    });
    QVERIFY(!w.leftOpen);
    QCOMPARE(w.form->store().count(), 2);
    QVERIFY(w.dialog->result == std::nullopt);

    // The next opening starts empty, with both counts "0".
    QStringList seen;
    w.insert([&](NewEntryDialog& d) {
        seen << QString::fromLatin1(control<TextBox>(d, "Memo1")->text()) << QString::fromLatin1(control<TextBox>(d, "Memo2")->text())
             << control<QLabel>(d, "Label5")->text() << control<QLabel>(d, "Label6")->text();
        control<QPushButton>(d, "Button3")->click();
    });
    QCOMPARE(seen, (QStringList{"", "", "0", "0"}));
    QCOMPARE(w.form->focusWidget(), control<ListBox>(*w.form, "ListBox1"));
}

void TestNewEntry::closeBoxInsertsNothing()
{
    Window w;
    w.insert([](NewEntryDialog& d) {
        type(control<TextBox>(d, "Memo1"), "name");
        type(control<TextBox>(d, "Memo2"), "url");
        d.close(); // the close box
    });
    QVERIFY(!w.leftOpen);
    QCOMPARE(w.form->store().count(), 0);
    QCOMPARE(control<ListBox>(*w.form, "ListBox1")->itemCount(), 0);
    QCOMPARE(control<TextBox>(*w.dialog, "Memo1")->text(), QByteArray());
    QCOMPARE(control<QLabel>(*w.dialog, "Label5")->text(), QStringLiteral("0"));
    QVERIFY(w.notices.log.isEmpty());
}

void TestNewEntry::keysOnTheDialog_data()
{
    QTest::addColumn<QByteArray>("focus");
    QTest::addColumn<int>("key");
    QTest::addColumn<bool>("open");
    QTest::addColumn<int>("inserted");
    QTest::addColumn<QByteArray>("name"); // in Memo1 afterwards, when the dialog stays open
    QTest::newRow("Enter on Add to list") << QByteArray("Button1") << int(Qt::Key_Return) << false << 1 << QByteArray();
    QTest::newRow("keypad Enter on Add to list") << QByteArray("Button1") << int(Qt::Key_Enter) << false << 1 << QByteArray();
    QTest::newRow("Space on Add to list") << QByteArray("Button1") << int(Qt::Key_Space) << false << 1 << QByteArray();
    QTest::newRow("Enter on Cancel") << QByteArray("Button3") << int(Qt::Key_Return) << false << 0 << QByteArray();
    // Nothing typed is thrown away.
    QTest::newRow("Esc does nothing") << QByteArray("Memo2") << int(Qt::Key_Escape) << true << 0 << QByteArray("name");
    QTest::newRow("Esc on a button does nothing") << QByteArray("Button3") << int(Qt::Key_Escape) << true << 0 << QByteArray("name");
    // No button is the default one.
    QTest::newRow("Enter in a memo is a line break") << QByteArray("Memo1") << int(Qt::Key_Return) << true << 0 << QByteArray("name\r\n");
}

void TestNewEntry::keysOnTheDialog()
{
    QFETCH(QByteArray, focus);
    QFETCH(int, key);
    QFETCH(bool, open);
    QFETCH(int, inserted);
    QFETCH(QByteArray, name);
    Window w;
    bool stillOpen = false;
    QByteArray typed;
    w.insert([&](NewEntryDialog& d) {
        type(control<TextBox>(d, "Memo1"), "name");
        type(control<TextBox>(d, "Memo2"), "url");
        auto* target = d.findChild<QWidget*>(QString::fromLatin1(focus));
        target->setFocus();
        QTest::keyClick(target, Qt::Key(key));
        stillOpen = d.isVisible();
        typed = control<TextBox>(d, "Memo1")->text();
    });
    QCOMPARE(stillOpen, open);
    QCOMPARE(w.leftOpen, open);
    if (open)
        QCOMPARE(typed, name);
    QCOMPARE(w.form->store().count(), inserted);
}

QTEST_MAIN(TestNewEntry)
#include "tst_newentry.moc"
