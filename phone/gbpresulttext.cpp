#include "gbpresulttext.h"

namespace linkwell {

namespace {

QString initText(std::int32_t code)
{
    switch (code) {
    case 0: return QStringLiteral("Everything OK, GBP mode is initialized.");
    case -1:
        return QStringLiteral("The library is already accessed to some port, it cannot use two ports at "
                              "once. Call the EndGBPMode first.");
    case -2:
        return QStringLiteral("Unable to access the specified device (port). May be the bad port number "
                              "(i.e. it does not exist).");
    case -3:
        return QStringLiteral("The phone does not respond to AT commands. May be it's not properly "
                              "connected.");
    default: return {};
    }
}

QString endText(std::int32_t code)
{
    switch (code) {
    case 0: return QStringLiteral("Everything OK, GBP mode closed.");
    case -4:
        return QStringLiteral("No port is open now, you can call this only after successfully initialize "
                              "of GBP mode.");
    default: return {};
    }
}

QString sizeText(std::int32_t code)
{
    switch (code) {
    case 0: return QStringLiteral("Zero-length section.");
    case -4: return QStringLiteral("The GBP mode is not initialized. Call the InitGBPMode function first.");
    case -5:
        return QStringLiteral("Communication error. An error occured in the GBP protocol (bad checksum etc.).");
    case -7: return QStringLiteral("Some argument passed to function is invalid (the OutBuf is NULL).");
    default:
        return QStringLiteral("The status of GBP frame wasn't zero (OK). May occur when the specified "
                              "section/subsection does not exist, but can mean anything.");
    }
}

QString readText(std::int32_t code)
{
    if (code >= 1 && code <= 22000)
        return QStringLiteral("Real size of received NVM file: %1 byte(s).").arg(code);
    switch (code) {
    case 0:
    case -4:
    case -5:
    case -7: return sizeText(code);
    default:
        return QStringLiteral("The status byte of the GBP frame wasn't zero. This may means that the "
                              "specified NVM file is clean or does not exist.");
    }
}

QString writeText(std::int32_t code)
{
    switch (code) {
    case 0: return QStringLiteral("Everything OK, your data are now stored in the phone.");
    case -4:
        return QStringLiteral("No port is open. You have to initialize the GBP mode on some port to call "
                              "this.");
    case -5:
        return QStringLiteral("Communication error. This means that some went wrong in the communication "
                              "protocol, i.e. wrong checksum, timeout, etc. or the specified "
                              "section/subsection does not exist.");
    case -7: return QStringLiteral("Some argument passed to function is invalid (the InBuf is NULL).");
    default:
        return QStringLiteral("The status byte of the GBP frame wasn't zero. That means an error in the "
                              "parameters or the phone state.");
    }
}

QString clearText(std::int32_t code)
{
    switch (code) {
    case 0: return QStringLiteral("Everything OK, the file is successfully cleared.");
    case -4:
        return QStringLiteral("The port is not open. You can call this only with GBP mode properly "
                              "initialized.");
    case -5:
        return QStringLiteral("An communication error occured (received a bad GBP frame, no response, etc.)");
    case -7: return QStringLiteral("Some argument passed to function is invalid (the InBuf is NULL).");
    default:
        return QStringLiteral("The status of GBP frame wasn't zero (OK). This may occur when the specified "
                              "section/subsection does not exist, but it can mean anything.");
    }
}

} // namespace

QString GbpResultText(const QString& operation, std::int32_t code)
{
    if (operation == QLatin1String("InitGBPMode"))
        return initText(code);
    if (operation == QLatin1String("EndGBPMode"))
        return endText(code);
    if (operation == QLatin1String("GetNVMFileSize"))
        return sizeText(code);
    if (operation == QLatin1String("ReadNVMFile"))
        return readText(code);
    if (operation == QLatin1String("WriteNVMFile"))
        return writeText(code);
    if (operation == QLatin1String("ClearNVMFile"))
        return clearText(code);
    return {};
}

} // namespace linkwell
