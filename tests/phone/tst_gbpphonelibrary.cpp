// The binding hands each call and its arguments to the library unchanged:
// checked against the emulator, where a mix-up would show in the results.

#include "phone/gbpphonelibrary.h"
#include "phonesimprocess.h"

#include <QTemporaryDir>
#include <QTest>

using linkwell::GbpPhoneLibrary;
using linkwell::testing::PhonesimProcess;

class TestGbpPhoneLibrary : public QObject {
    Q_OBJECT

private slots:
    void forwardsEveryOperation()
    {
        PhonesimProcess phone(QStringLiteral(PHONESIM_PATH));
        QVERIFY(phone.start({}));
        qputenv("LINKWELL_COM3", phone.device().toLocal8Bit());
        GbpPhoneLibrary library;

        QCOMPARE(library.EndGBPMode(), -4);
        QCOMPARE(library.InitGBPMode(2), -2); // COM2 names no such device here
        QCOMPARE(library.InitGBPMode(3), 0);
        QCOMPARE(library.InitGBPMode(3), -1);

        QByteArray image(2000, '\0');
        for (int i = 0; i < 700; ++i)
            image[i] = char('a' + i % 26);
        QCOMPARE(library.WriteNVMFile(linkwell::FavouritesSection, linkwell::FavouritesSubsection, image.constData(), 700), 0);
        QByteArray back(2000, '\0');
        QCOMPARE(library.ReadNVMFile(2, 1, back.data(), 100), 700); // real size, 100 bytes copied
        QCOMPARE(back.left(100), image.left(100));
        QCOMPARE(back.mid(100, 10), QByteArray(10, '\0'));
        QCOMPARE(library.ReadNVMFile(2, 7, back.data(), 2000), -257); // no file 2/7 on the phone
        QCOMPARE(library.ClearNVMFile(2, 1), 0);
        QCOMPARE(library.ReadNVMFile(2, 1, back.data(), 2000), 0);
        QCOMPARE(library.ReadNVMFile(2, 1, nullptr, 2000), -7);
        QCOMPARE(library.WriteNVMFile(2, 1, nullptr, 2000), -7);
        QCOMPARE(library.EndGBPMode(), 0);
        QCOMPARE(library.ClearNVMFile(2, 1), -4);
    }
};

QTEST_GUILESS_MAIN(TestGbpPhoneLibrary)
#include "tst_gbpphonelibrary.moc"
