#include "windowhistory.h"
#include "recordingnotices.h"
#include "scriptedphone.h"
#include "entries.h"
#include "ui/mainwindow.h"
#include "files.h"

#include <QGuiApplication>
#include <functional>

#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QtTest>

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

struct Window {
    Window()
    {
        form = std::make_unique<MainWindow>(notices, dir.path());
        form->setPhone(phone);
        for (const auto& [name, url] : Entries{{"kept 1", "k1.url"}, {"kept 2", "k2.url"}, {"kept 3", "k3.url"}})
            form->store().append(name, url);
        form->FillListBox();
        control<ListBox>(*form, "ListBox1")->setItemIndex(1);
        form->ShowSelected();
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
    void refusedOpenKeepsEverything_data();
    void refusedOpenKeepsEverything();
    void saveWritesTheImageAndNamesTheFile();
    void downloadShowsThePhonesList();
    void failedDownloadKeepsEverything_data();
    void failedDownloadKeepsEverything();
    void downloadOfAnEmptyPhoneEmptiesTheList();
    void uploadSendsTheList();

    void loadThatEmptiesTheListShowsAnEmptyList_data();
    void loadThatEmptiesTheListShowsAnEmptyList();
    void refusedLoadKeepsTheCaption_data();
    void refusedLoadKeepsTheCaption();
    void uploadOfAnEmptyListAsksFirst_data();
    void uploadOfAnEmptyListAsksFirst();
    void failedWriteIsNotReportedAsAnUpload();
    void emptyListSavedOpensAgain();
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

void TestWindowCommands::refusedOpenKeepsEverything_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<bool>("missing");
    QTest::addColumn<QString>("caption");
    // The list is kept, so the caption keeps naming it.
    QTest::newRow("empty file") << QByteArray() << false << QStringLiteral("Linkwell");
    QTest::newRow("not an image") << QByteArray("PK\x03\x04 some archive") << false << QStringLiteral("Linkwell");
    QTest::newRow("does not fit") << imageOf({{"a", QByteArray(1200, 'u')}, {"b", QByteArray(1200, 'v')}}) << false
                                  << QStringLiteral("Linkwell");
    QTest::newRow("missing") << QByteArray() << true << QStringLiteral("Linkwell");
}

void TestWindowCommands::refusedOpenKeepsEverything()
{
    QFETCH(QByteArray, bytes);
    QFETCH(bool, missing);
    QFETCH(QString, caption);

    Window w;
    const Snapshot before = w.snapshot();
    w.notices.openAnswers << (missing ? w.dir.filePath("wrong.bin") : w.file("wrong.bin", bytes));
    control<QPushButton>(*w.form, "btnOpenFile")->click();
    QVERIFY(w.snapshot() == before);
    QCOMPARE(w.form->windowTitle(), caption);
    QVERIFY(w.notices.count("beep") >= 1);
}

void TestWindowCommands::saveWritesTheImageAndNamesTheFile()
{
    Window w;
    w.notices.saveAnswers << w.dir.filePath("saved.bin");
    control<QPushButton>(*w.form, "btnSaveFile")->click();
    QFile f(w.dir.filePath("saved.bin"));
    QVERIFY(f.open(QIODevice::ReadOnly));
    QCOMPARE(f.readAll(), imageOf({{"kept 1", "k1.url"}, {"kept 2", "k2.url"}, {"kept 3", "k3.url"}}));
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

void TestWindowCommands::failedDownloadKeepsEverything_data()
{
    QTest::addColumn<int>("initResult");
    QTest::addColumn<int>("readResult");
    QTest::addColumn<QString>("caption");
    QTest::newRow("no link") << -3 << 0 << QStringLiteral("Linkwell");
    QTest::newRow("read fails") << 0 << -5 << QStringLiteral("Linkwell");
}

void TestWindowCommands::failedDownloadKeepsEverything()
{
    QFETCH(int, initResult);
    QFETCH(int, readResult);
    QFETCH(QString, caption);

    Window w;
    const Snapshot before = w.snapshot();
    w.phone.initResults << initResult;
    w.phone.readResults << readResult;
    control<QPushButton>(*w.form, "btnDownload")->click();
    QVERIFY(w.snapshot() == before);
    QCOMPARE(w.form->windowTitle(), caption);
    QCOMPARE(w.notices.log.first(), QStringLiteral("beep"));
    QVERIFY(!QGuiApplication::overrideCursor());
}

void TestWindowCommands::downloadOfAnEmptyPhoneEmptiesTheList()
{
    Window w;
    w.phone.file = imageOf({});
    control<QPushButton>(*w.form, "btnDownload")->click();
    QCOMPARE(w.form->store().count(), 0);
    QCOMPARE(control<ListBox>(*w.form, "ListBox1")->itemCount(), 0);
    QCOMPARE(w.form->windowTitle(), QStringLiteral("Linkwell: downloaded phone data"));
    QVERIFY(w.notices.log.isEmpty());
}

void TestWindowCommands::uploadSendsTheList()
{
    Window w;
    const Snapshot before = w.snapshot();
    control<QPushButton>(*w.form, "btnUpload")->click();
    const QByteArray image = imageOf({{"kept 1", "k1.url"}, {"kept 2", "k2.url"}, {"kept 3", "k3.url"}});
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

enum class Load { OpenSignatureOnly, DownloadEmptyPhone };

} // namespace

void TestWindowCommands::loadThatEmptiesTheListShowsAnEmptyList_data()
{
    QTest::addColumn<int>("load");
    QTest::newRow("open a file of the signature only") << int(Load::OpenSignatureOnly);
    QTest::newRow("download a phone with no entries") << int(Load::DownloadEmptyPhone);
}

void TestWindowCommands::loadThatEmptiesTheListShowsAnEmptyList()
{
    QFETCH(int, load);
    Window w;
    if (Load(load) == Load::OpenSignatureOnly) {
        w.notices.openAnswers << w.file("empty.bin", imageOf({}));
        control<QPushButton>(*w.form, "btnOpenFile")->click();
    } else {
        w.phone.file = imageOf({});
        control<QPushButton>(*w.form, "btnDownload")->click();
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
    QCOMPARE(w.notices.unanswered, QStringList());
    QVERIFY(!w.notices.log.contains("error: List index out of bounds (-1)."));
}

enum class Refusal { BadHeader, TooManyCharacters, MissingFile, LinkFails, ReadFails };

void TestWindowCommands::refusedLoadKeepsTheCaption_data()
{
    QTest::addColumn<int>("refusal");
    QTest::newRow("Bad header") << int(Refusal::BadHeader);
    QTest::newRow("Too many characters.") << int(Refusal::TooManyCharacters);
    QTest::newRow("a file that cannot be read") << int(Refusal::MissingFile);
    QTest::newRow("a link that does not open") << int(Refusal::LinkFails);
    QTest::newRow("a read that fails") << int(Refusal::ReadFails);
}

void TestWindowCommands::refusedLoadKeepsTheCaption()
{
    QFETCH(int, refusal);
    Window w;
    w.notices.openAnswers << w.file("first.bin", imageOf({{"a", "b"}}));
    control<QPushButton>(*w.form, "btnOpenFile")->click();
    QCOMPARE(w.form->windowTitle(), QStringLiteral("Linkwell: first.bin"));
    switch (Refusal(refusal)) {
    case Refusal::BadHeader:
        w.notices.openAnswers << w.file("bad.bin", "not an image");
        control<QPushButton>(*w.form, "btnOpenFile")->click();
        break;
    case Refusal::TooManyCharacters:
        w.notices.openAnswers << w.file("big.bin", imageOf({{"a", QByteArray(1200, 'u')}, {"b", QByteArray(1200, 'v')}}));
        control<QPushButton>(*w.form, "btnOpenFile")->click();
        break;
    case Refusal::MissingFile:
        w.notices.openAnswers << w.dir.filePath("missing.bin");
        control<QPushButton>(*w.form, "btnOpenFile")->click();
        break;
    case Refusal::LinkFails:
        w.phone.initResults << -3;
        control<QPushButton>(*w.form, "btnDownload")->click();
        break;
    case Refusal::ReadFails:
        w.phone.readResults << -5;
        control<QPushButton>(*w.form, "btnDownload")->click();
        break;
    }
    QVERIFY(w.notices.count("beep") >= 1);
    QCOMPARE(w.form->windowTitle(), QStringLiteral("Linkwell: first.bin"));
    QCOMPARE(control<ListBox>(*w.form, "ListBox1")->itemTexts(), QList<QByteArray>{"a"});
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
    QTemporaryDir dir;
    RecordingNotices notices;
    ScriptedPhone phone;
    phone.file = imageOf({{"on the phone", "kept.url"}});
    MainWindow form(notices, dir.path());
    form.setPhone(phone);
    const QStringList before = historyLines(form);
    notices.confirmAnswers << answer;
    control<QPushButton>(form, "btnUpload")->click();

    QCOMPARE(notices.log.value(0), QStringLiteral("confirm: The list is empty. Uploading it clears all favourites in the "
                                                  "phone. Upload anyway?"));
    if (!answer) {
        QCOMPARE(notices.log.size(), 1);
        QCOMPARE(phone.calls, QStringList());
        QCOMPARE(historyLines(form), before);
        QCOMPARE(phone.file, imageOf({{"on the phone", "kept.url"}}));
        return;
    }
    QCOMPARE(phone.file, QByteArray("MME20C", 7) + QByteArray(1993, '\0'));
    QCOMPARE(historyLines(form).mid(before.size()),
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

void TestWindowCommands::emptyListSavedOpensAgain()
{
    Window w;
    w.notices.openAnswers << w.file("empty.bin", imageOf({}));
    control<QPushButton>(*w.form, "btnOpenFile")->click();
    QVERIFY(control<QPushButton>(*w.form, "btnSaveFile")->isEnabled());
    w.notices.saveAnswers << w.dir.filePath("saved.bin");
    control<QPushButton>(*w.form, "btnSaveFile")->click();
    QCOMPARE(readAll(w.dir.filePath("saved.bin")), QByteArray("MME20C", 7));

    w.notices.clear();
    w.notices.openAnswers << w.dir.filePath("saved.bin");
    control<QPushButton>(*w.form, "btnOpenFile")->click();
    QCOMPARE(w.notices.log.size(), 1); // the dialog, and no "Bad header"
    QCOMPARE(w.form->windowTitle(), QStringLiteral("Linkwell: saved.bin"));
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
