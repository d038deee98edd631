#include "gbpresulttext.h"

namespace linkwell {

namespace {

// The texts for the codes every operation but the link's own shares.
struct CommonTexts {
    const char* notInitialized; // -4
    const char* communication;  // -5
    const char* invalidArgument; // -7
    const char* status;         // any other
};

QString common(const CommonTexts& texts, std::int32_t code)
{
    switch (code) {
    case -4:
        return QString::fromLatin1(texts.notInitialized);
    case -5:
        return QString::fromLatin1(texts.communication);
    case -7:
        return QString::fromLatin1(texts.invalidArgument);
    default:
        return QString::fromLatin1(texts.status);
    }
}

QString initText(std::int32_t code)
{
    switch (code) {
    case 0:
        return QStringLiteral("Everything OK, GBP mode is initialized.");
    case -1:
        return QStringLiteral("The library is already accessed to some port, it cannot use two ports at "
                              "once. Call the EndGBPMode first.");
    case -2:
        return QStringLiteral("Unable to access the specified device (port). May be the bad port number "
                              "(i.e. it does not exist).");
    case -3:
        return QStringLiteral("The phone does not respond to AT commands. May be it's not properly "
                              "connected.");
    default:
        return {};
    }
}

QString endText(std::int32_t code)
{
    switch (code) {
    case 0:
        return QStringLiteral("Everything OK, GBP mode closed.");
    case -4:
        return QStringLiteral("No port is open now, you can call this only after successfully initialize "
                              "of GBP mode.");
    default:
        return {};
    }
}

const CommonTexts FileSizeTexts{
    "The GBP mode is not initialized. Call the InitGBPMode function first.",
    "Communication error. An error occured in the GBP protocol (bad checksum etc.).",
    "Some argument passed to function is invalid (the OutBuf is NULL).",
    "The status of GBP frame wasn't zero (OK). May occur when the specified section/subsection does "
    "not exist, but can mean anything.",
};

const CommonTexts ReadTexts{
    "The GBP mode is not initialized. Call the InitGBPMode function first.",
    "Communication error. An error occured in the GBP protocol (bad checksum etc.).",
    "Some argument passed to function is invalid (the OutBuf is NULL).",
    "The status byte of the GBP frame wasn't zero. This may means that the specified NVM file is "
    "clean or does not exist.",
};

const CommonTexts WriteTexts{
    "No port is open. You have to initialize the GBP mode on some port to call this.",
    "Communication error. This means that some went wrong in the communication protocol, i.e. wrong "
    "checksum, timeout, etc. or the specified section/subsection does not exist.",
    "Some argument passed to function is invalid (the InBuf is NULL).",
    "The status byte of the GBP frame wasn't zero. That means an error in the parameters or the phone "
    "state.",
};

const CommonTexts ClearTexts{
    "The port is not open. You can call this only with GBP mode properly initialized.",
    "An communication error occured (received a bad GBP frame, no response, etc.)",
    "Some argument passed to function is invalid (the InBuf is NULL).",
    "The status of GBP frame wasn't zero (OK). This may occur when the specified section/subsection "
    "does not exist, but it can mean anything.",
};

// The largest file size a read reports as a size rather than as a status.
constexpr std::int32_t LargestReportedSize = 22000;

} // namespace

QString GbpResultText(const QString& operation, std::int32_t code)
{
    if (operation == QLatin1String("InitGBPMode"))
        return initText(code);
    if (operation == QLatin1String("EndGBPMode"))
        return endText(code);
    if (operation == QLatin1String("GetNVMFileSize"))
        return code == 0 ? QStringLiteral("Zero-length section.") : common(FileSizeTexts, code);
    if (operation == QLatin1String("ReadNVMFile")) {
        if (code >= 1 && code <= LargestReportedSize)
            return QStringLiteral("Real size of received NVM file: %1 byte(s).").arg(code);
        return code == 0 ? QStringLiteral("Zero-length section.") : common(ReadTexts, code);
    }
    if (operation == QLatin1String("WriteNVMFile"))
        return code == 0 ? QStringLiteral("Everything OK, your data are now stored in the phone.")
                         : common(WriteTexts, code);
    if (operation == QLatin1String("ClearNVMFile"))
        return code == 0 ? QStringLiteral("Everything OK, the file is successfully cleared.")
                         : common(ClearTexts, code);
    return {};
}

} // namespace linkwell
