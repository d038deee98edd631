#include "files.h"
#include "recordingnotices.h"
#include "entries.h"
#include "store/favouritesstore.h"
#include "ui/sectionfiles.h"

#include <QDir>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

using namespace linkwell;
using namespace linkwell::testing;

namespace {

class RecordingView : public SectionFilesView {
public:
    void showLoadedList() override { calls << QStringLiteral("showLoadedList"); }
    void setCaption(const QString& caption) override { this->caption = caption; }
    QStringList calls;
    QString caption = QStringLiteral("Linkwell");
};

const Entries Kept{{"kept", "kept.url"}, {"also kept", "also.url"}};

struct Bench {
    QTemporaryDir dir;
    RecordingNotices notices;
    FavouritesStore store;
    RecordingView view;
    SectionFiles files{store, notices, view, QStringLiteral("/the/program/folder")};

    QString path(const QString& name) const { return dir.filePath(name); }
};

} // namespace

class TestSectionFiles : public QObject {
    Q_OBJECT

private slots:
    void filterInQtForm();
    void cancelledDialogsStartInTheProgramFolder();
    void dialogsFollowTheLastFile();
    void savedStoreOpensBack();
    void savesExactBytes_data();
    void savesExactBytes();
    void overwriteQuestion_data();
    void overwriteQuestion();
    void failedSaveKeepsTheOldFile();
    void saveToFullDiskKeepsTheOldFile();
    void opens_data();
    void opens();
    void openUsesOnlyFirst2048Bytes();
};

void TestSectionFiles::filterInQtForm()
{
    QCOMPARE(qtFileFilter("Binary file (*.bin)|*.bin|All files (*.*)|*.*"), QStringLiteral("Binary file (*.bin);;All files (*.*)"));
    QCOMPARE(qtFileFilter("Images|*.bin;*.img"), QStringLiteral("Images (*.bin *.img)"));
}

void TestSectionFiles::cancelledDialogsStartInTheProgramFolder()
{
    Bench b;
    fill(b.store, Kept);
    b.files.save();
    b.files.open();
    QCOMPARE(b.notices.dialogRequests.size(), 2);
    for (const FileDialogRequest& r : b.notices.dialogRequests) {
        QCOMPARE(r.directory, QStringLiteral("/the/program/folder"));
        QCOMPARE(r.filter, QStringLiteral("Binary file (*.bin);;All files (*.*)"));
    }
    QCOMPARE(b.notices.dialogRequests[0].defaultSuffix, QStringLiteral("bin"));
    // Both cancelled: nothing changes.
    QCOMPARE(b.view.caption, QStringLiteral("Linkwell"));
    QCOMPARE(entriesOf(b.store), Kept);
    QCOMPARE(QDir(b.dir.path()).entryList(QDir::Files), QStringList());
}

void TestSectionFiles::dialogsFollowTheLastFile()
{
    Bench b;
    fill(b.store, Kept);
    QTemporaryDir other;
    b.notices.saveAnswers << other.filePath("saved.bin");
    b.files.save();
    b.notices.openAnswers << QString(); // cancelled: the folder stays
    b.files.open();
    QVERIFY(writeFile(b.path("in.bin"), imageOf(Kept)));
    b.notices.openAnswers << b.path("in.bin");
    b.files.open();
    b.notices.saveAnswers << QString();
    b.files.save();
    QStringList folders;
    for (const FileDialogRequest& r : b.notices.dialogRequests)
        folders << r.directory;
    QCOMPARE(folders, (QStringList{"/the/program/folder", other.path(), other.path(), b.dir.path()}));
}

void TestSectionFiles::savedStoreOpensBack()
{
    Bench b;
    const Entries entries{
        {"Seznam", "wap.seznam.cz"}, {"Po\xe8\x61\x73\xed", "wap.pocasi.cz"}, {"Seznam", "wap.seznam.cz"}, {"", "no.name"}};
    fill(b.store, entries);
    b.notices.saveAnswers << b.path("favourites.bin");
    b.files.save();
    QCOMPARE(b.view.caption, QStringLiteral("Linkwell: favourites.bin"));

    Bench other;
    fill(other.store, Kept);
    other.notices.openAnswers << b.path("favourites.bin");
    other.files.open();
    QCOMPARE(entriesOf(other.store), entries);
    QCOMPARE(other.view.calls, QStringList{"showLoadedList"});
    QCOMPARE(other.view.caption, QStringLiteral("Linkwell: favourites.bin"));
    QVERIFY(b.notices.log.size() == 1 && other.notices.log.size() == 1); // the dialogs only
}

void TestSectionFiles::savesExactBytes_data()
{
    QTest::addColumn<Entries>("entries");
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QStringList>("notices");

    QTest::newRow("A/B: 13 bytes") << Entries{{"A", "B"}} << QByteArray("MME20C\0B\0=A\0\x01", 13) << QStringList{};
    // Saved as the bare signature, so that the file opens again.
    QTest::newRow("empty store: the signature, no message") << Entries{} << QByteArray("MME20C\0", 7) << QStringList{};
    QTest::newRow("too long: the cut image, with a message")
        << Entries{{"n", QByteArray(2000, 'u')}} << imageOf({{"n", QByteArray(1986, 'u')}})
        << QStringList{"beep", "message: Too many characters. Truncated."};
}

void TestSectionFiles::savesExactBytes()
{
    QFETCH(Entries, entries);
    QFETCH(QByteArray, bytes);
    QFETCH(QStringList, notices);

    Bench b;
    fill(b.store, entries);
    b.notices.saveAnswers << b.path("out.bin");
    b.files.save();
    QCOMPARE(readAll(b.path("out.bin")), bytes);
    QCOMPARE(b.notices.log.mid(1), notices);
    QCOMPARE(entriesOf(b.store), entries);
    QCOMPARE(b.view.caption, QStringLiteral("Linkwell: out.bin"));
}

void TestSectionFiles::overwriteQuestion_data()
{
    QTest::addColumn<bool>("answer");
    QTest::newRow("No keeps the file") << false;
    QTest::newRow("Yes replaces it") << true;
}

void TestSectionFiles::overwriteQuestion()
{
    QFETCH(bool, answer);
    Bench b;
    fill(b.store, {{"A", "B"}});
    QVERIFY(writeFile(b.path("old.bin"), "old contents"));
    b.notices.saveAnswers << b.path("old.bin");
    b.notices.confirmAnswers << answer;
    b.files.save();

    QCOMPARE(b.notices.log.at(1), QStringLiteral("confirm: File exists.\r\nOverwrite file?"));
    QCOMPARE(readAll(b.path("old.bin")), answer ? QByteArray("MME20C\0B\0=A\0\x01", 13) : QByteArray("old contents"));
    QCOMPARE(b.view.caption, answer ? QStringLiteral("Linkwell: old.bin") : QStringLiteral("Linkwell"));
    QCOMPARE(QDir(b.dir.path()).entryList(QDir::Files), QStringList{"old.bin"});
}

void TestSectionFiles::failedSaveKeepsTheOldFile()
{
    Bench b;
    fill(b.store, {{"A", QByteArray(500, 'u')}});
    const QByteArray old = imageOf(Kept);
    QVERIFY(writeFile(b.path("fav.bin"), old));
    b.notices.saveAnswers << b.path("fav.bin");
    b.notices.confirmAnswers << true;
    // The device takes half the image, then fails.
    b.files.setWriter([](QIODevice& file, const char* data, qint64 size) {
        file.write(data, size / 2);
        return qint64(-1);
    });
    b.files.save();

    QCOMPARE(readAll(b.path("fav.bin")), old);
    QCOMPARE(b.notices.log.mid(2), (QStringList{"beep", "message: Error writing binary file."}));
    QCOMPARE(b.view.caption, QStringLiteral("Linkwell"));
    QCOMPARE(QDir(b.dir.path()).entryList(QDir::Files), QStringList{"fav.bin"});
}

void TestSectionFiles::saveToFullDiskKeepsTheOldFile()
{
    // A real full disk: an 8 KiB tmpfs whose two pages hold the old file and a
    // filler, with no room for the new one. Mounting needs root; elsewhere the writer test above
    // covers the same path.
    QTemporaryDir mountPoint;
    if (QProcess::execute("mount", {"-t", "tmpfs", "-o", "size=8k", "tmpfs", mountPoint.path()}) != 0)
        QSKIP("cannot mount a small tmpfs here");
    const auto unmount = qScopeGuard([&] { QProcess::execute("umount", {mountPoint.path()}); });

    Bench b;
    const QString path = mountPoint.filePath("fav.bin");
    const QByteArray old = imageOf({{"old", QByteArray(1900, 'o')}});
    QVERIFY(writeFile(path, old));
    QVERIFY(writeFile(mountPoint.filePath("filler"), QByteArray(2048, 'f')));
    QCOMPARE(readAll(path), old);
    fill(b.store, {{"new", QByteArray(1900, 'n')}});
    b.notices.saveAnswers << path;
    b.notices.confirmAnswers << true;
    b.files.save();

    QCOMPARE(readAll(path), old);
    QCOMPARE(b.notices.log.mid(2), (QStringList{"beep", "message: Error writing binary file."}));
    QCOMPARE(b.view.caption, QStringLiteral("Linkwell"));
}

void TestSectionFiles::opens_data()
{
    QTest::addColumn<QByteArray>("file"); // "<none>" for a missing file
    QTest::addColumn<QStringList>("notices");
    QTest::addColumn<Entries>("entries"); // the store afterwards
    QTest::addColumn<QStringList>("viewCalls");
    QTest::addColumn<bool>("captionSet");

    // A refused file keeps the list, and so the caption that names it.
    const QStringList shown{"showLoadedList"};
    QTest::newRow("0 bytes: Bad header, list kept")
        << QByteArray() << QStringList{"beep", "message: Bad header", "beep"} << Kept << QStringList{} << false;
    QTest::newRow("wrong seventh byte") << QByteArray("MME20CXu\0=n\0\x01", 13) << QStringList{"beep", "message: Bad header", "beep"}
                                        << Kept << QStringList{} << false;
    QTest::newRow("signature only: the list empties quietly") << QByteArray("MME20C\0", 7) << QStringList{} << Entries{} << shown << true;
    QTest::newRow("two entries") << imageOf({{"a", "1"}, {"b", "2"}}) << QStringList{} << Entries{{"a", "1"}, {"b", "2"}} << shown << true;

    Entries hundred;
    Entries hundredAndThree;
    for (int i = 0; i < 103; ++i) {
        const QByteArray n = QByteArray::number(i);
        hundredAndThree.append({n, "u" + n});
        if (i < 100)
            hundred.append({n, "u" + n});
    }
    QTest::newRow("103 records: three truncation messages, then 100 entries")
        << imageOf(hundredAndThree) << QStringList(3, QStringLiteral("message: No. of entries truncated to 100(=max).")) << hundred << shown
        << true;
    QTest::newRow("image that does not fit: refused, list kept")
        << imageOf({{"a", QByteArray(1000, 'u')}, {"b", QByteArray(1000, 'v')}}) << QStringList{"beep", "message: Too many characters."}
        << Kept << QStringList{} << false;
    QTest::newRow("missing file: two messages, list kept")
        << QByteArray("<none>") << QStringList{"message: File not exists.", "beep", "message: Error reading binary file."} << Kept
        << QStringList{} << false;
}

void TestSectionFiles::opens()
{
    QFETCH(QByteArray, file);
    QFETCH(QStringList, notices);
    QFETCH(Entries, entries);
    QFETCH(QStringList, viewCalls);
    QFETCH(bool, captionSet);

    Bench b;
    fill(b.store, Kept);
    if (file != "<none>")
        QVERIFY(writeFile(b.path("in.bin"), file));
    b.notices.openAnswers << b.path("in.bin");
    b.files.open();

    QCOMPARE(b.notices.log.mid(1), notices);
    QCOMPARE(entriesOf(b.store), entries);
    QCOMPARE(b.view.calls, viewCalls);
    QCOMPARE(b.view.caption, captionSet ? QStringLiteral("Linkwell: in.bin") : QStringLiteral("Linkwell"));
}

void TestSectionFiles::openUsesOnlyFirst2048Bytes()
{
    Bench b;
    QByteArray file = imageOf({{"a", "1"}, {"b", "2"}});
    file += QByteArray(2048 - file.size(), '\0');
    file += imageOf({{"beyond", "the.buffer"}}) + QByteArray(3000, 'x');
    QVERIFY(writeFile(b.path("big.bin"), file));
    b.notices.openAnswers << b.path("big.bin");
    b.files.open();
    QCOMPARE(entriesOf(b.store), (Entries{{"a", "1"}, {"b", "2"}}));
    QCOMPARE(readImageFile(b.path("big.bin")).bytes, file.left(2048));
}

QTEST_GUILESS_MAIN(TestSectionFiles)
#include "tst_sectionfiles.moc"
