// libgbp from a plain C program that has never heard of Qt: it must read
// the right bytes from a thread of its own and print nothing on standard
// error (no warnings about event loops or notifiers).

#include "phonesimprocess.h"

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

using linkwell::testing::PhonesimProcess;

class TestGbpPlainC : public QObject {
    Q_OBJECT

private slots:
    void readsFromPlainC_data()
    {
        QTest::addColumn<QStringList>("options");
        QTest::addColumn<int>("size");
        QTest::newRow("a clean line") << QStringList{} << 1998;
        QTest::newRow("noise and a spoilt answer") << QStringList{"--garbage", "all", "--corrupt", "2"} << 1100;
        QTest::newRow("an empty file") << QStringList{} << 0;
    }

    void readsFromPlainC()
    {
        QFETCH(QStringList, options);
        QFETCH(int, size);
        QTemporaryDir folder;
        const QString seed = folder.filePath(QStringLiteral("seed.bin"));
        QByteArray image = QByteArray("MME20C", 7);
        for (int i = 7; i < size; ++i)
            image += char((i * 13) & 0xFF);
        image.truncate(size);
        {
            QFile file(seed);
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(image);
        }
        PhonesimProcess phone(QStringLiteral(PHONESIM_PATH));
        QVERIFY(phone.start(QStringList{"--seed", seed} + options));

        QProcess program;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("LINKWELL_COM1"), phone.device());
        program.setProcessEnvironment(environment);
        program.start(QStringLiteral(PLAINC_PATH), {seed});
        QVERIFY(program.waitForFinished(30000));
        const QByteArray output = program.readAllStandardOutput();
        const QByteArray errors = program.readAllStandardError();
        QVERIFY2(program.exitStatus() == QProcess::NormalExit && program.exitCode() == 0, output.constData());
        QCOMPARE(output, QByteArray("read ") + QByteArray::number(size) + " bytes\n");
        QCOMPARE(errors, QByteArray());
    }
};

QTEST_GUILESS_MAIN(TestGbpPlainC)
#include "tst_gbpplainc.moc"
