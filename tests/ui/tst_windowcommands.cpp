#include "windowhistory.h"
#include "recordingnotices.h"
#include "scriptedphone.h"
#include "entries.h"
#include "ui/Unit1.h"
#include "ui/controls.h"

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
        return names == o.names && urls == o.urls && items == o.items && selected == o.selected &&
               memo1 == o.memo1 && memo2 == o.memo2 && labels == o.labels && enabled == o.enabled;
    }
};

struct Window {
    Window()
    {
        form = std::make_unique<TForm1>(notices, dir.path());
        form->setPhone(phone);
        for (const auto& [name, url] : Entries{{"kept 1", "k1.url"}, {"kept 2", "k2.url"}, {"kept 3", "k3.url"}})
            form->store().append(name, url);
        form->FillListBox();
        form->ListBox1->setItemIndex(1);
        form->ShowSelected();
        notices.clear();
    }

    Snapshot snapshot() const
    {
        QList<bool> enabled;
        for (QWidget* c : std::initializer_list<QWidget*>{
                 form->ListBox1, form->chShowStyle, form->EditStyle, form->btnDelete, form->btnUp, form->btnDown,
                 form->btnSaveFile, form->btnUpload, form->btnNew, form->btnDownload, form->btnOpenFile})
            enabled << c->isEnabled();
        return {form->store().NameList(),
                form->store().UrlList(),
                form->ListBox1->itemTexts(),
                form->ListBox1->itemIndex(),
                form->Memo1->text(),
                form->Memo2->text(),
                {form->Label3->text(), form->Label4->text(), form->Label7->text(), form->Label18->text()},
                enabled};
    }

    QString file(const QString& name, const QByteArray& bytes)
    {
        QFile f(dir.filePath(name));
        f.open(QIODevice::WriteOnly);
        f.write(bytes);
        return f.fileName();
    }

    QStringList history() const { return historyLines(*form); }

    QTemporaryDir dir;
    testing::RecordingNotices notices;
    ScriptedPhone phone;
    std::unique_ptr<TForm1> form;
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
};

void TestWindowCommands::openFillsTheList()
{
    Window w;
    w.notices.openAnswers << w.file("phone.bin", imageOf({{"Seznam", "wap.seznam.cz"}, {"Idnes", "wap.idnes.cz"}}));
    w.form->btnOpenFile->click();
    QCOMPARE(w.form->ListBox1->itemTexts(), (QList<QByteArray>{"Seznam", "Idnes"}));
    QCOMPARE(w.form->ListBox1->itemIndex(), 0);
    QCOMPARE(w.form->Memo1->text(), QByteArray("Seznam"));
    QCOMPARE(w.form->Memo2->text(), QByteArray("wap.seznam.cz"));
    QCOMPARE(w.form->Label7->text(), QStringLiteral("2"));
    QCOMPARE(w.form->Label18->text(), QStringLiteral("1"));
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
    w.form->btnOpenFile->click();
    QVERIFY(w.snapshot() == before);
    QCOMPARE(w.form->windowTitle(), caption);
    QVERIFY(w.notices.count("beep") >= 1);
}

void TestWindowCommands::saveWritesTheImageAndNamesTheFile()
{
    Window w;
    w.notices.saveAnswers << w.dir.filePath("saved.bin");
    w.form->btnSaveFile->click();
    QFile f(w.dir.filePath("saved.bin"));
    QVERIFY(f.open(QIODevice::ReadOnly));
    QCOMPARE(f.readAll(), imageOf({{"kept 1", "k1.url"}, {"kept 2", "k2.url"}, {"kept 3", "k3.url"}}));
    QCOMPARE(w.form->windowTitle(), QStringLiteral("Linkwell: saved.bin"));
    QCOMPARE(w.notices.dialogRequests.at(0).directory, QCoreApplication::applicationDirPath());
}

void TestWindowCommands::downloadShowsThePhonesList()
{
    Window w;
    w.form->RadioButtons[2]->setChecked(true);
    w.phone.file = imageOf({{"Seznam", "wap.seznam.cz"}, {"Idnes", "wap.idnes.cz"}, {"Jizdni rady", "wap.idos.cz"}});
    w.form->btnDownload->click();

    QCOMPARE(w.phone.calls.first(), QStringLiteral("InitGBPMode(3)"));
    QCOMPARE(w.form->ListBox1->itemTexts(), (QList<QByteArray>{"Seznam", "Idnes", "Jizdni rady"}));
    QCOMPARE(w.form->ListBox1->itemIndex(), 0);
    QCOMPARE(w.form->Memo1->text(), QByteArray("Seznam"));
    QCOMPARE(w.form->Label7->text(), QStringLiteral("3"));
    QCOMPARE(w.form->windowTitle(), QStringLiteral("Linkwell: downloaded phone data"));
    QCOMPARE(w.history().mid(2), (QStringList{"* Everything OK, GBP mode is initialized.",
                                              "* Real size of received NVM file: 77 byte(s).",
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
    w.form->btnDownload->click();
    QVERIFY(w.snapshot() == before);
    QCOMPARE(w.form->windowTitle(), caption);
    QCOMPARE(w.notices.log.first(), QStringLiteral("beep"));
    QVERIFY(!QGuiApplication::overrideCursor());
}

void TestWindowCommands::downloadOfAnEmptyPhoneEmptiesTheList()
{
    Window w;
    w.phone.file = imageOf({});
    w.form->btnDownload->click();
    QCOMPARE(w.form->store().count(), 0);
    QCOMPARE(w.form->ListBox1->itemCount(), 0);
    QCOMPARE(w.form->windowTitle(), QStringLiteral("Linkwell: downloaded phone data"));
    QVERIFY(w.notices.log.isEmpty());
}

void TestWindowCommands::uploadSendsTheList()
{
    Window w;
    const Snapshot before = w.snapshot();
    w.form->btnUpload->click();
    const QByteArray image = imageOf({{"kept 1", "k1.url"}, {"kept 2", "k2.url"}, {"kept 3", "k3.url"}});
    QCOMPARE(w.phone.file, image + QByteArray(2000 - image.size(), '\0'));
    QCOMPARE(w.history().at(3), QStringLiteral("* Uploaded %1/2000 bytes (max. 1998).").arg(image.size()));
    QVERIFY(w.snapshot() == before);
    QCOMPARE(w.form->windowTitle(), QStringLiteral("Linkwell"));
}

QTEST_MAIN(TestWindowCommands)
#include "tst_windowcommands.moc"
