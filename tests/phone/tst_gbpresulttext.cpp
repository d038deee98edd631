#include "phone/gbpresulttext.h"

#include <QTest>
#include <limits>

using linkwell::GbpResultText;

namespace {

const QString initOk = "Everything OK, GBP mode is initialized.";
const QString initBusy =
    "The library is already accessed to some port, it cannot use two ports at once. "
    "Call the EndGBPMode first.";
const QString initNoDevice =
    "Unable to access the specified device (port). May be the bad port number "
    "(i.e. it does not exist).";
const QString initNoAnswer = "The phone does not respond to AT commands. May be it's not properly connected.";
const QString endOk = "Everything OK, GBP mode closed.";
const QString endNotOpen =
    "No port is open now, you can call this only after successfully initialize of "
    "GBP mode.";
const QString zeroLength = "Zero-length section.";
const QString notInitialized = "The GBP mode is not initialized. Call the InitGBPMode function first.";
const QString protocolError = "Communication error. An error occured in the GBP protocol (bad checksum etc.).";
const QString nullOutBuf = "Some argument passed to function is invalid (the OutBuf is NULL).";
const QString sizeStatus =
    "The status of GBP frame wasn't zero (OK). May occur when the specified "
    "section/subsection does not exist, but can mean anything.";
const QString readStatus =
    "The status byte of the GBP frame wasn't zero. This may means that the specified "
    "NVM file is clean or does not exist.";
const QString writeOk = "Everything OK, your data are now stored in the phone.";
const QString writeNotOpen = "No port is open. You have to initialize the GBP mode on some port to call this.";
const QString writeProtocol =
    "Communication error. This means that some went wrong in the communication "
    "protocol, i.e. wrong checksum, timeout, etc. or the specified "
    "section/subsection does not exist.";
const QString nullInBuf = "Some argument passed to function is invalid (the InBuf is NULL).";
const QString writeStatus =
    "The status byte of the GBP frame wasn't zero. That means an error in the "
    "parameters or the phone state.";
const QString clearOk = "Everything OK, the file is successfully cleared.";
const QString clearNotOpen = "The port is not open. You can call this only with GBP mode properly initialized.";
const QString clearProtocol = "An communication error occured (received a bad GBP frame, no response, etc.)";
const QString clearStatus =
    "The status of GBP frame wasn't zero (OK). This may occur when the specified "
    "section/subsection does not exist, but it can mean anything.";

constexpr std::int32_t Min = std::numeric_limits<std::int32_t>::min();
constexpr std::int32_t Max = std::numeric_limits<std::int32_t>::max();

} // namespace

class TestGbpResultText : public QObject {
    Q_OBJECT

private slots:
    void table_data()
    {
        QTest::addColumn<QString>("operation");
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("text");
        auto row = [](const char* name, const QString& op, int code, const QString& text) { QTest::newRow(name) << op << code << text; };
        row("init 0", "InitGBPMode", 0, initOk);
        row("init -1", "InitGBPMode", -1, initBusy);
        row("init -2", "InitGBPMode", -2, initNoDevice);
        row("init -3", "InitGBPMode", -3, initNoAnswer);
        row("init -4", "InitGBPMode", -4, "");
        row("init 1", "InitGBPMode", 1, "");
        row("init -5", "InitGBPMode", -5, "");
        row("init min", "InitGBPMode", Min, "");

        row("end 0", "EndGBPMode", 0, endOk);
        row("end -4", "EndGBPMode", -4, endNotOpen);
        row("end -1", "EndGBPMode", -1, "");
        row("end -5", "EndGBPMode", -5, "");

        row("size 0", "GetNVMFileSize", 0, zeroLength);
        row("size -4", "GetNVMFileSize", -4, notInitialized);
        row("size -5", "GetNVMFileSize", -5, protocolError);
        row("size -7", "GetNVMFileSize", -7, nullOutBuf);
        row("size -6", "GetNVMFileSize", -6, sizeStatus);
        row("size -1", "GetNVMFileSize", -1, sizeStatus);
        row("size 2000", "GetNVMFileSize", 2000, sizeStatus);
        row("size max", "GetNVMFileSize", Max, sizeStatus);

        row("read 1", "ReadNVMFile", 1, "Real size of received NVM file: 1 byte(s).");
        row("read 2000", "ReadNVMFile", 2000, "Real size of received NVM file: 2000 byte(s).");
        row("read 22000", "ReadNVMFile", 22000, "Real size of received NVM file: 22000 byte(s).");
        row("read 22001", "ReadNVMFile", 22001, readStatus);
        row("read max", "ReadNVMFile", Max, readStatus);
        row("read 0", "ReadNVMFile", 0, zeroLength);
        row("read -1", "ReadNVMFile", -1, readStatus);
        row("read -2", "ReadNVMFile", -2, readStatus);
        row("read -3", "ReadNVMFile", -3, readStatus);
        row("read -4", "ReadNVMFile", -4, notInitialized);
        row("read -5", "ReadNVMFile", -5, protocolError);
        row("read -6", "ReadNVMFile", -6, readStatus);
        row("read -7", "ReadNVMFile", -7, nullOutBuf);
        row("read -8", "ReadNVMFile", -8, readStatus);
        row("read -261", "ReadNVMFile", -261, readStatus);
        row("read min", "ReadNVMFile", Min, readStatus);

        row("write 0", "WriteNVMFile", 0, writeOk);
        row("write -4", "WriteNVMFile", -4, writeNotOpen);
        row("write -5", "WriteNVMFile", -5, writeProtocol);
        row("write -7", "WriteNVMFile", -7, nullInBuf);
        row("write 1", "WriteNVMFile", 1, writeStatus);
        row("write -1", "WriteNVMFile", -1, writeStatus);
        row("write -265", "WriteNVMFile", -265, writeStatus);

        row("clear 0", "ClearNVMFile", 0, clearOk);
        row("clear -4", "ClearNVMFile", -4, clearNotOpen);
        row("clear -5", "ClearNVMFile", -5, clearProtocol);
        row("clear -7", "ClearNVMFile", -7, nullInBuf);
        row("clear 3", "ClearNVMFile", 3, clearStatus);
        row("clear -257", "ClearNVMFile", -257, clearStatus);

        // Names are compared exactly.
        row("lower-case init", "initgbpmode", 0, "");
        row("upper-case read", "READNVMFILE", 5, "");
        row("trailing space", "ClearNVMFile ", 0, "");
        row("empty name", "", 0, "");
        row("unknown name", "FormatPhone", -5, "");
    }

    void table()
    {
        QFETCH(QString, operation);
        QFETCH(int, code);
        QFETCH(QString, text);
        QCOMPARE(GbpResultText(operation, code), text);
    }
};

QTEST_GUILESS_MAIN(TestGbpResultText)
#include "tst_gbpresulttext.moc"
