#include "phone/gbpresulttext.h"

#include <QTest>

using linkwell::GbpResultText;

class TestGbpResultText : public QObject {
    Q_OBJECT
private slots:
    void texts_data();
    void texts();
};

void TestGbpResultText::texts_data()
{
    QTest::addColumn<QString>("operation");
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("text");

    const QString notInit = "The GBP mode is not initialized. Call the InitGBPMode function first.";
    const QString gbpError = "Communication error. An error occured in the GBP protocol (bad checksum etc.).";
    const QString outBuf = "Some argument passed to function is invalid (the OutBuf is NULL).";
    const QString inBuf = "Some argument passed to function is invalid (the InBuf is NULL).";
    const QString readStatus = "The status byte of the GBP frame wasn't zero. This may means that the specified "
                               "NVM file is clean or does not exist.";
    const QString sizeStatus = "The status of GBP frame wasn't zero (OK). May occur when the specified "
                               "section/subsection does not exist, but can mean anything.";
    const QString writeStatus = "The status byte of the GBP frame wasn't zero. That means an error in the "
                                "parameters or the phone state.";
    const QString clearStatus = "The status of GBP frame wasn't zero (OK). This may occur when the specified "
                                "section/subsection does not exist, but it can mean anything.";

    struct Row {
        const char* operation;
        int code;
        QString text;
    };
    const Row rows[] = {
        {"InitGBPMode", 0, "Everything OK, GBP mode is initialized."},
        {"InitGBPMode", -1, "The library is already accessed to some port, it cannot use two ports at once. "
                            "Call the EndGBPMode first."},
        {"InitGBPMode", -2, "Unable to access the specified device (port). May be the bad port number (i.e. it "
                            "does not exist)."},
        {"InitGBPMode", -3, "The phone does not respond to AT commands. May be it's not properly connected."},
        {"InitGBPMode", -4, ""},
        {"InitGBPMode", 1, ""},
        {"EndGBPMode", 0, "Everything OK, GBP mode closed."},
        {"EndGBPMode", -4, "No port is open now, you can call this only after successfully initialize of GBP "
                           "mode."},
        {"EndGBPMode", -5, ""},
        {"GetNVMFileSize", 0, "Zero-length section."},
        {"GetNVMFileSize", -4, notInit},
        {"GetNVMFileSize", -5, gbpError},
        {"GetNVMFileSize", -7, outBuf},
        {"GetNVMFileSize", -6, sizeStatus},
        {"GetNVMFileSize", 2000, sizeStatus},
        {"ReadNVMFile", 1, "Real size of received NVM file: 1 byte(s)."},
        {"ReadNVMFile", 2000, "Real size of received NVM file: 2000 byte(s)."},
        {"ReadNVMFile", 22000, "Real size of received NVM file: 22000 byte(s)."},
        {"ReadNVMFile", 22001, readStatus},
        {"ReadNVMFile", 0, "Zero-length section."},
        {"ReadNVMFile", -1, readStatus},
        {"ReadNVMFile", -3, readStatus},
        {"ReadNVMFile", -4, notInit},
        {"ReadNVMFile", -5, gbpError},
        {"ReadNVMFile", -6, readStatus},
        {"ReadNVMFile", -7, outBuf},
        {"ReadNVMFile", -8, readStatus},
        {"WriteNVMFile", 0, "Everything OK, your data are now stored in the phone."},
        {"WriteNVMFile", -4, "No port is open. You have to initialize the GBP mode on some port to call this."},
        {"WriteNVMFile", -5, "Communication error. This means that some went wrong in the communication "
                             "protocol, i.e. wrong checksum, timeout, etc. or the specified section/subsection "
                             "does not exist."},
        {"WriteNVMFile", -7, inBuf},
        {"WriteNVMFile", 3, writeStatus},
        {"ClearNVMFile", 0, "Everything OK, the file is successfully cleared."},
        {"ClearNVMFile", -4, "The port is not open. You can call this only with GBP mode properly initialized."},
        {"ClearNVMFile", -5, "An communication error occured (received a bad GBP frame, no response, etc.)"},
        {"ClearNVMFile", -7, inBuf},
        {"ClearNVMFile", -2, clearStatus},
        {"initgbpmode", 0, ""},
        {"ReadNvmFile", 100, ""},
        {"", 0, ""},
    };
    for (const Row& r : rows)
        QTest::addRow("%s %d", r.operation, r.code) << QString::fromLatin1(r.operation) << r.code << r.text;
}

void TestGbpResultText::texts()
{
    QFETCH(QString, operation);
    QFETCH(int, code);
    QFETCH(QString, text);
    QCOMPARE(GbpResultText(operation, code), text);
}

QTEST_APPLESS_MAIN(TestGbpResultText)
#include "tst_gbpresulttext.moc"
