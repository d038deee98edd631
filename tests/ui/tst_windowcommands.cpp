#include "windowhistory.h"
#include "recordingnotices.h"
#include "scriptedphone.h"
#include "entries.h"
#include "ui/mainwindow.h"
#include "files.h"

#include <QFile>
#include <QGuiApplication>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QtTest>

#include <functional>
#include <memory>

using namespace linkwell;
using namespace linkwell::testing;

namespace {

// What a user sees of the list: enough to tell whether a command changed it.
struct Snapshot {
    QList<QByteArray> names, urls, items;
    int selected;
    QByteArray memo1, memo2;
    QStringList labels;
    QList<bool> enabled;
    bool operator==(const Snapshot& o) const
    {
        return names == o.names && urls == o.urls && items == o.items && selected == o.selected && memo1 == o.memo1 && memo2 == o.memo2
               && labels == o.labels && enabled == o.enabled;
    }
};

const Entries Kept{{"kept 1", "k1.url"}, {"kept 2", "k2.url"}, {"kept 3", "k3.url"}};

// A main window on the scripted phone; a list given is shown with its second
// entry selected.
struct Window {
    explicit Window(const Entries& entries = Kept)
    {
        form = std::make_unique<MainWindow>(notices, dir.path());
        form->setPhone(phone);
        fill(form->store(), entries);
        if (!entries.isEmpty()) {
            form->FillListBox();
            control<ListBox>(*form, "ListBox1")->setItemIndex(1);
            form->ShowSelected();
        }
        notices.clear();
    }

    Snapshot snapshot() const
    {
        QList<bool> enabled;
        for (const char* name : {"ListBox1", "chShowStyle", "EditStyle", "btnDelete", "btnUp", "btnDown", "btnSaveFile", "btnUpload",
                                 "btnNew", "btnDownload", "btnOpenFile"})
            enabled << control(*form, name)->isEnabled();
        QStringList labels;
        for (const char* name : {"Label3", "Label4", "Label7", "Label18"})
            labels << control<QLabel>(*form, name)->text();
        const ListBox* list = control<ListBox>(*form, "ListBox1");
        return {form->store().NameList(),
                form->store().UrlList(),
                list->itemTexts(),
                list->itemIndex(),
                control<TextBox>(*form, "Memo1")->text(),
                control<TextBox>(*form, "Memo2")->text(),
                labels,
                enabled};
    }

    QString file(const QString& name, const QByteArray& bytes)
    {
        const QString path = dir.filePath(name);
        return writeFile(path, bytes) ? path : QString();
    }

    QStringList history() const { return historyLines(*form); }

    QTemporaryDir dir;
    testing::RecordingNotices notices;
    ScriptedPhone phone;
    std::unique_ptr<MainWindow> form;
};

} // namespace

class TestWindowCommands : public QObject {
    Q_OBJECT
private slots:
    void openFillsTheList();
    void refusedLoadKeepsEverything_data();
    void refusedLoadKeepsEverything();
    void saveWritesTheImageAndNamesTheFile();
    void downloadShowsThePhonesList();
    void uploadSendsTheList();

    void loadThatEmptiesTheListShowsAnEmptyList_data();
    void loadThatEmptiesTheListShowsAnEmptyList();
    void uploadOfAnEmptyListAsksFirst_data();
    void uploadOfAnEmptyListAsksFirst();
    void failedWriteIsNotReportedAsAnUpload();
    void boxesDuringAPhoneCommandHaveTheNormalCursor();
    void historyIsPaintedLineByLine();
    void imageThatWouldNotReadBackIsNeverWritten_data();
    void imageThatWouldNotReadBackIsNeverWritten();
    void keysOnAFocusedButton_data();
    void keysOnAFocusedButton();
};

void TestWindowCommands::openFillsTheList()
{
    Window w;
    w.notices.openAnswers << w.file("phone.bin", imageOf({{"Seznam", "wap.seznam.cz"}, {"Idnes", "wap.idnes.cz"}}));
    control<QPushButton>(*w.form, "btnOpenFile")->click();
    QCOMPARE(control<ListBox>(*w.form, "ListBox1")->itemTexts(), (QList<QByteArray>{"Seznam", "Idnes"}));
    QCOMPARE(control<ListBox>(*w.form, "ListBox1")->itemIndex(), 0);
    QCOMPARE(control<TextBox>(*w.form, "Memo1")->text(), QByteArray("Seznam"));
    QCOMPARE(control<TextBox>(*w.form, "Memo2")->text(), QByteArray("wap.seznam.cz"));
    QCOMPARE(control<QLabel>(*w.form, "Label7")->text(), QStringLiteral("2"));
    QCOMPARE(control<QLabel>(*w.form, "Label18")->text(), QStringLiteral("1"));
    QCOMPARE(w.form->windowTitle(), QStringLiteral("Linkwell: phone.bin"));
    QCOMPARE(w.notices.log.size(), 1); // the dialog only
}

void TestWindowCommands::refusedLoadKeepsEverything_data()
{
    QTest::addColumn<bool>("download");
    QTest::addColumn<QByteArray>("bytes"); // of the file opened; "<none>" for a missing file
    QTest::addColumn<int>("initResult");
    QTest::addColumn<int>("readResult");
    QTest::newRow("open: empty file") << false << QByteArray() << 0 << 0;
    QTest::newRow("open: not an image") << false << QByteArray("PK\x03\x04 some archive") << 0 << 0;
    QTest::newRow("open: Bad header") << false << QByteArray("not an image") << 0 << 0;
    QTest::newRow("open: Too many characters.") << false << imageOf({{"a", QByteArray(1200, 'u')}, {"b", QByteArray(1200, 'v')}}) << 0 << 0;
    QTest::newRow("open: a file that cannot be read") << false << QByteArray("<none>") << 0 << 0;
    QTest::newRow("download: a link that does not open") << true << QByteArray() << -3 << 0;
    QTest::newRow("download: a read that fails") << true << QByteArray() << 0 << -5;
}

void TestWindowCommands::refusedLoadKeepsEverything()
{
    QFETCH(bool, download);
    QFETCH(QByteArray, bytes);
    QFETCH(int, initResult);
    QFETCH(int, readResult);

    Window w;
    // The list is kept, so the caption keeps naming it: first the window's
    // own list, then one opened from a file.
    for (const QString& caption : {QStringLiteral("Linkwell"), QStringLiteral("Linkwell: first.bin")}) {
        if (caption != "Linkwell") {
            w.notices.openAnswers << w.file("first.bin", imageOf({{"a", "b"}}));
            control<QPushButton>(*w.form, "btnOpenFile")->click();
            QCOMPARE(w.form->windowTitle(), caption);
            QCOMPARE(w.snapshot().items, QList<QByteArray>{"a"});
            w.notices.clear();
        }
        const Snapshot before = w.snapshot();
        if (download) {
            w.phone.initResults << initResult;
            w.phone.readResults << readResult;
            control<QPushButton>(*w.form, "btnDownload")->click();
            QCOMPARE(w.notices.log.first(), QStringLiteral("beep"));
        } else {
            w.notices.openAnswers << (bytes == "<none>" ? w.dir.filePath("wrong.bin") : w.file("wrong.bin", bytes));
            control<QPushButton>(*w.form, "btnOpenFile")->click();
        }
        QVERIFY(w.snapshot() == before);
        QCOMPARE(w.form->windowTitle(), caption);
        QVERIFY(w.notices.count("beep") >= 1);
        QVERIFY(!QGuiApplication::overrideCursor());
    }
}

void TestWindowCommands::saveWritesTheImageAndNamesTheFile()
{
    Window w;
    w.notices.saveAnswers << w.dir.filePath("saved.bin");
    control<QPushButton>(*w.form, "btnSaveFile")->click();
    QCOMPARE(readAll(w.dir.filePath("saved.bin")), imageOf(Kept));
    QCOMPARE(w.form->windowTitle(), QStringLiteral("Linkwell: saved.bin"));
    QCOMPARE(w.notices.dialogRequests.at(0).directory, QCoreApplication::applicationDirPath());
}

void TestWindowCommands::downloadShowsThePhonesList()
{
    Window w;
    control<QRadioButton>(*w.form, "RadioButton3")->setChecked(true);
    w.phone.file = imageOf({{"Seznam", "wap.seznam.cz"}, {"Idnes", "wap.idnes.cz"}, {"Jizdni rady", "wap.idos.cz"}});
    control<QPushButton>(*w.form, "btnDownload")->click();

    QCOMPARE(w.phone.calls.first(), QStringLiteral("InitGBPMode(3)"));
    QCOMPARE(control<ListBox>(*w.form, "ListBox1")->itemTexts(), (QList<QByteArray>{"Seznam", "Idnes", "Jizdni rady"}));
    QCOMPARE(control<ListBox>(*w.form, "ListBox1")->itemIndex(), 0);
    QCOMPARE(control<TextBox>(*w.form, "Memo1")->text(), QByteArray("Seznam"));
    QCOMPARE(control<QLabel>(*w.form, "Label7")->text(), QStringLiteral("3"));
    QCOMPARE(w.form->windowTitle(), QStringLiteral("Linkwell: downloaded phone data"));
    QCOMPARE(w.history().mid(2), (QStringList{"* Everything OK, GBP mode is initialized.", "* Real size of received NVM file: 77 byte(s).",
                                              "* Actual data size: 77", "* Everything OK, GBP mode closed."}));
    QVERIFY(!QGuiApplication::overrideCursor());
}

void TestWindowCommands::uploadSendsTheList()
{
    Window w;
    const Snapshot before = w.snapshot();
    control<QPushButton>(*w.form, "btnUpload")->click();
    const QByteArray image = imageOf(Kept);
    QCOMPARE(w.phone.file, image + QByteArray(2000 - image.size(), '\0'));
    QCOMPARE(w.history().at(3), QStringLiteral("* Uploaded %1/2000 bytes (max. 1998).").arg(image.size()));
    QVERIFY(w.snapshot() == before);
    QCOMPARE(w.form->windowTitle(), QStringLiteral("Linkwell"));
}

namespace {

// The scripted phone, with a look at the window at every call.
class WatchedPhone : public PhoneLibrary {
public:
    explicit WatchedPhone(PhoneLibrary& inner) : inner_(inner) {}
    std::function<void(const char* call)> onCall;

    std::int32_t InitGBPMode(std::uint8_t port) override { return seen("Init"), inner_.InitGBPMode(port); }
    std::int32_t EndGBPMode() override { return seen("End"), inner_.EndGBPMode(); }
    std::int32_t ReadNVMFile(std::int32_t section, std::int32_t subsection, char* buffer, std::int32_t size) override
    {
        return seen("Read"), inner_.ReadNVMFile(section, subsection, buffer, size);
    }
    std::int32_t WriteNVMFile(std::int32_t section, std::int32_t subsection, const char* data, std::int32_t size) override
    {
        return seen("Write"), inner_.WriteNVMFile(section, subsection, data, size);
    }
    std::int32_t ClearNVMFile(std::int32_t section, std::int32_t subsection) override
    {
        return seen("Clear"), inner_.ClearNVMFile(section, subsection);
    }

private:
    void seen(const char* call)
    {
        if (onCall)
            onCall(call);
    }
    PhoneLibrary& inner_;
};

// Notes whether the wait cursor was up when each box appeared.
class CursorNotices : public RecordingNotices {
public:
    void message(const QString& text) override
    {
        RecordingNotices::message(text);
        log << (QGuiApplication::overrideCursor() ? QStringLiteral("cursor: wait") : QStringLiteral("cursor: normal"));
    }
};

} // namespace

void TestWindowCommands::loadThatEmptiesTheListShowsAnEmptyList_data()
{
    QTest::addColumn<bool>("download");
    QTest::addColumn<QString>("caption");
    QTest::newRow("open a file of the signature only") << false << QStringLiteral("Linkwell: empty.bin");
    QTest::newRow("download a phone with no entries") << true << QStringLiteral("Linkwell: downloaded phone data");
}

void TestWindowCommands::loadThatEmptiesTheListShowsAnEmptyList()
{
    QFETCH(bool, download);
    QFETCH(QString, caption);
    Window w;
    if (download) {
        w.phone.file = imageOf({});
        control<QPushButton>(*w.form, "btnDownload")->click();
    } else {
        w.notices.openAnswers << w.file("empty.bin", imageOf({}));
        control<QPushButton>(*w.form, "btnOpenFile")->click();
    }
    QCOMPARE(w.form->store().count(), 0);
    const Snapshot after = w.snapshot();
    QCOMPARE(after.items, QList<QByteArray>{});
    QCOMPARE(after.memo1, QByteArray());
    QCOMPARE(after.memo2, QByteArray());
    QCOMPARE(after.labels, (QStringList{"0", "0", "0", "0"}));
    // ListBox1, WAP style, Edit, Delete, Up, Down, Save, Upload, New, Download, Open: as after deleting
    // the last entry, except that the empty list can be saved.
    QCOMPARE(after.enabled, (QList<bool>{true, false, false, false, false, false, true, true, true, true, true}));
    QCOMPARE(w.form->windowTitle(), caption);
    QCOMPARE(w.notices.unanswered, QStringList());
    QCOMPARE(w.notices.log.size(), download ? 0 : 1); // the file dialog only

    // Saved, the empty list is the bare signature, which opens again.
    w.notices.saveAnswers << w.dir.filePath("saved.bin");
    control<QPushButton>(*w.form, "btnSaveFile")->click();
    QCOMPARE(readAll(w.dir.filePath("saved.bin")), QByteArray("MME20C", 7));
    w.notices.clear();
    w.notices.openAnswers << w.dir.filePath("saved.bin");
    control<QPushButton>(*w.form, "btnOpenFile")->click();
    QCOMPARE(w.notices.log.size(), 1); // the dialog, and no "Bad header"
    QCOMPARE(w.form->windowTitle(), QStringLiteral("Linkwell: saved.bin"));
}

void TestWindowCommands::uploadOfAnEmptyListAsksFirst_data()
{
    QTest::addColumn<bool>("answer");
    QTest::newRow("No: nothing happens") << false;
    QTest::newRow("Yes: the phone is cleared") << true;
}

void TestWindowCommands::uploadOfAnEmptyListAsksFirst()
{
    QFETCH(bool, answer);
    Window w(Entries{});
    w.phone.file = imageOf({{"on the phone", "kept.url"}});
    const QStringList before = w.history();
    w.notices.confirmAnswers << answer;
    control<QPushButton>(*w.form, "btnUpload")->click();

    QCOMPARE(w.notices.log.value(0), QStringLiteral("confirm: The list is empty. Uploading it clears all favourites in the "
                                                    "phone. Upload anyway?"));
    if (!answer) {
        QCOMPARE(w.notices.log.size(), 1);
        QCOMPARE(w.phone.calls, QStringList());
        QCOMPARE(w.history(), before);
        QCOMPARE(w.phone.file, imageOf({{"on the phone", "kept.url"}}));
        return;
    }
    QCOMPARE(w.phone.file, QByteArray("MME20C", 7) + QByteArray(1993, '\0'));
    QCOMPARE(w.history().mid(before.size()),
             (QStringList{"* Everything OK, GBP mode is initialized.", "* Everything OK, your data are now stored in the phone.",
                          "* Uploaded 0/2000 bytes (max. 1998).", "* Everything OK, GBP mode closed."}));
}

void TestWindowCommands::failedWriteIsNotReportedAsAnUpload()
{
    Window w;
    w.phone.writeResults << -5;
    control<QPushButton>(*w.form, "btnUpload")->click();
    QCOMPARE(w.history().mid(1), (QStringList{"* Everything OK, GBP mode is initialized.",
                                              "* Communication error. This means that some went wrong in the communication protocol, i.e. "
                                              "wrong checksum, timeout, etc. or the specified section/subsection does not exist.",
                                              "* Everything OK, GBP mode closed."}));
    QCOMPARE(w.notices.log, QStringList{"beep"});
    QVERIFY(!w.phone.linkOpen);
}

void TestWindowCommands::boxesDuringAPhoneCommandHaveTheNormalCursor()
{
    QTemporaryDir dir;
    CursorNotices notices;
    ScriptedPhone scripted;
    WatchedPhone phone(scripted);
    QStringList cursorAtCalls;
    phone.onCall = [&](const char* call) {
        cursorAtCalls << QStringLiteral("%1: %2").arg(call, QGuiApplication::overrideCursor() ? "wait" : "normal");
    };
    MainWindow form(notices, dir.path());
    form.setPhone(phone);
    scripted.file = "no image";
    control<QPushButton>(form, "btnDownload")->click();
    QCOMPARE(notices.log, (QStringList{"beep", "message: Bad header", "cursor: normal"}));
    // Up before the box and again after it, while the link is still busy.
    QCOMPARE(cursorAtCalls, (QStringList{"Init: wait", "Read: wait", "End: wait"}));
    QVERIFY(!QGuiApplication::overrideCursor());
}

void TestWindowCommands::historyIsPaintedLineByLine()
{
    QTemporaryDir dir;
    RecordingNotices notices;
    ScriptedPhone scripted;
    scripted.file = imageOf({{"a", "b"}});
    WatchedPhone phone(scripted);
    MainWindow form(notices, dir.path());
    form.setPhone(phone);
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));

    struct PaintCounter : QObject {
        int paints = 0;
        bool eventFilter(QObject*, QEvent* e) override
        {
            if (e->type() == QEvent::Paint)
                ++paints;
            return false;
        }
    } counter;
    control<TextBox>(form, "Memo3")->viewport()->installEventFilter(&counter);
    QList<QPair<int, int>> atCalls; // (history lines, paints) when each call starts
    phone.onCall = [&](const char*) { atCalls.append({int(historyLines(form).size()), counter.paints}); };
    control<QPushButton>(form, "btnDownload")->click();

    QCOMPARE(atCalls.size(), 3);
    for (int i = 1; i < atCalls.size(); ++i) {
        QVERIFY2(atCalls[i].first > atCalls[i - 1].first, "a line is added between two calls");
        QVERIFY2(atCalls[i].second > atCalls[i - 1].second, "and painted before the next call blocks");
    }
}

void TestWindowCommands::imageThatWouldNotReadBackIsNeverWritten_data()
{
    QTest::addColumn<bool>("upload");
    QTest::newRow("Save to file...") << false;
    QTest::newRow("Upload") << true;
}

void TestWindowCommands::imageThatWouldNotReadBackIsNeverWritten()
{
    QFETCH(bool, upload);
    // A name with 0x01 in it reads back cut short and shifts the entries
    // after it; no edit box lets one in, but nothing may write it if it came.
    Window w;
    w.form->store().replace(0, QByteArray("bad\x01name"), "bad.url");
    w.phone.file = "on the phone";
    if (upload) {
        control<QPushButton>(*w.form, "btnUpload")->click();
        QCOMPARE(w.phone.calls, (QStringList{"InitGBPMode(1)", "EndGBPMode()"}));
        QCOMPARE(w.phone.file, QByteArray("on the phone"));
        QVERIFY(!w.phone.linkOpen);
    } else {
        w.notices.saveAnswers << w.dir.filePath("out.bin");
        control<QPushButton>(*w.form, "btnSaveFile")->click();
        QVERIFY(!QFile::exists(w.dir.filePath("out.bin")));
        QCOMPARE(w.form->windowTitle(), QStringLiteral("Linkwell"));
    }
    QCOMPARE(w.notices.log.filter("error: ").size(), 1);
    QVERIFY2(w.notices.log.filter("error: ").first().contains("does not read back"), qPrintable(w.notices.log.join('|')));
}

void TestWindowCommands::keysOnAFocusedButton_data()
{
    QTest::addColumn<int>("key");
    QTest::addColumn<bool>("pressed");
    QTest::newRow("Enter") << int(Qt::Key_Return) << true;
    QTest::newRow("keypad Enter") << int(Qt::Key_Enter) << true;
    QTest::newRow("Space") << int(Qt::Key_Space) << true;
    QTest::newRow("a letter") << int(Qt::Key_A) << false;
}

void TestWindowCommands::keysOnAFocusedButton()
{
    QFETCH(int, key);
    QFETCH(bool, pressed);
    Window w;
    control<QPushButton>(*w.form, "btnUp")->setFocus();
    QTest::keyClick(control<QPushButton>(*w.form, "btnUp"), Qt::Key(key));
    QCOMPARE(control<ListBox>(*w.form, "ListBox1")->itemTexts(),
             pressed ? (QList<QByteArray>{"kept 2", "kept 1", "kept 3"}) : (QList<QByteArray>{"kept 1", "kept 2", "kept 3"}));
    // Enter in a text box is still a line break.
    control<CheckBox>(*w.form, "EditStyle")->setChecked(true);
    control<TextBox>(*w.form, "Memo1")->moveCursor(QTextCursor::End);
    QTest::keyClick(control<TextBox>(*w.form, "Memo1"), Qt::Key_Return);
    QCOMPARE(control<TextBox>(*w.form, "Memo1")->text(), QByteArray("kept 2\r\n"));
}

QTEST_MAIN(TestWindowCommands)
#include "tst_windowcommands.moc"
