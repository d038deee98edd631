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
        // One row for each code, named after the operation and the code.
        auto rows = [](const char* prefix, const QString& op, const QString& text, std::initializer_list<std::int32_t> codes) {
            for (std::int32_t code : codes) {
                const QString number = code == Min ? "min" : code == Max ? "max" : QString::number(code);
                QTest::newRow(qPrintable(prefix + (' ' + number))) << op << int(code) << text;
            }
        };
        rows("init", "InitGBPMode", initOk, {0});
        rows("init", "InitGBPMode", initBusy, {-1});
        rows("init", "InitGBPMode", initNoDevice, {-2});
        rows("init", "InitGBPMode", initNoAnswer, {-3});
        rows("init", "InitGBPMode", "", {-4, 1, -5, Min});

        rows("end", "EndGBPMode", endOk, {0});
        rows("end", "EndGBPMode", endNotOpen, {-4});
        rows("end", "EndGBPMode", "", {-1, -5});

        rows("size", "GetNVMFileSize", zeroLength, {0});
        rows("size", "GetNVMFileSize", notInitialized, {-4});
        rows("size", "GetNVMFileSize", protocolError, {-5});
        rows("size", "GetNVMFileSize", nullOutBuf, {-7});
        rows("size", "GetNVMFileSize", sizeStatus, {-6, -1, 2000, Max});

        rows("read", "ReadNVMFile", "Real size of received NVM file: 1 byte(s).", {1});
        rows("read", "ReadNVMFile", "Real size of received NVM file: 2000 byte(s).", {2000});
        rows("read", "ReadNVMFile", "Real size of received NVM file: 22000 byte(s).", {22000});
        rows("read", "ReadNVMFile", zeroLength, {0});
        rows("read", "ReadNVMFile", notInitialized, {-4});
        rows("read", "ReadNVMFile", protocolError, {-5});
        rows("read", "ReadNVMFile", nullOutBuf, {-7});
        rows("read", "ReadNVMFile", readStatus, {22001, Max, -1, -2, -3, -6, -8, -261, Min});

        rows("write", "WriteNVMFile", writeOk, {0});
        rows("write", "WriteNVMFile", writeNotOpen, {-4});
        rows("write", "WriteNVMFile", writeProtocol, {-5});
        rows("write", "WriteNVMFile", nullInBuf, {-7});
        rows("write", "WriteNVMFile", writeStatus, {1, -1, -265});

        rows("clear", "ClearNVMFile", clearOk, {0});
        rows("clear", "ClearNVMFile", clearNotOpen, {-4});
        rows("clear", "ClearNVMFile", clearProtocol, {-5});
        rows("clear", "ClearNVMFile", nullInBuf, {-7});
        rows("clear", "ClearNVMFile", clearStatus, {3, -257});

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
