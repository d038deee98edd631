#include "gbpresulttext.h"

#include <optional>

namespace linkwell {

namespace {

// The library's functions, one bit each, so that a sentence two of them
// share is written once.
enum Operation : unsigned { Init = 1, End = 2, Size = 4, Read = 8, Write = 16, Clear = 32 };

struct OperationName {
    const char* name;
    Operation operation;
};

constexpr OperationName OperationNames[] = {
    {"InitGBPMode", Init}, {"EndGBPMode", End},     {"GetNVMFileSize", Size},
    {"ReadNVMFile", Read}, {"WriteNVMFile", Write}, {"ClearNVMFile", Clear},
};

struct ResultRow {
    unsigned operations;
    std::optional<std::int32_t> code; // none: every code the operation's other rows do not name
    const char* text;
};

// The product's words, one row a result, each sentence on one line so that a
// search for it lands here. A ReadNVMFile result from 1 to 22000 is the size
// received, not a failure, and has a sentence of its own (readSizeText).
constexpr ResultRow ResultRows[] = {
    {Init, 0, "Everything OK, GBP mode is initialized."},
    {Init, -1, "The library is already accessed to some port, it cannot use two ports at once. Call the EndGBPMode first."},
    {Init, -2, "Unable to access the specified device (port). May be the bad port number (i.e. it does not exist)."},
    {Init, -3, "The phone does not respond to AT commands. May be it's not properly connected."},

    {End, 0, "Everything OK, GBP mode closed."},
    {End, -4, "No port is open now, you can call this only after successfully initialize of GBP mode."},

    {Size | Read, 0, "Zero-length section."},
    {Size | Read, -4, "The GBP mode is not initialized. Call the InitGBPMode function first."},
    {Size | Read, -5, "Communication error. An error occured in the GBP protocol (bad checksum etc.)."},
    {Size | Read, -7, "Some argument passed to function is invalid (the OutBuf is NULL)."},
    {Size, std::nullopt,
     "The status of GBP frame wasn't zero (OK). May occur when the specified section/subsection does not exist, but "
     "can mean anything."},
    {Read, std::nullopt,
     "The status byte of the GBP frame wasn't zero. This may means that the specified NVM file is clean or does not "
     "exist."},

    {Write, 0, "Everything OK, your data are now stored in the phone."},
    {Write, -4, "No port is open. You have to initialize the GBP mode on some port to call this."},
    {Write, -5,
     "Communication error. This means that some went wrong in the communication protocol, i.e. wrong checksum, "
     "timeout, etc. or the specified section/subsection does not exist."},
    {Write | Clear, -7, "Some argument passed to function is invalid (the InBuf is NULL)."},
    {Write, std::nullopt, "The status byte of the GBP frame wasn't zero. That means an error in the parameters or the phone state."},

    {Clear, 0, "Everything OK, the file is successfully cleared."},
    {Clear, -4, "The port is not open. You can call this only with GBP mode properly initialized."},
    {Clear, -5, "An communication error occured (received a bad GBP frame, no response, etc.)"},
    {Clear, std::nullopt,
     "The status of GBP frame wasn't zero (OK). This may occur when the specified section/subsection does not exist, "
     "but it can mean anything."},
};

std::optional<Operation> operationNamed(const QString& name)
{
    for (const OperationName& entry : OperationNames) {
        if (name == QLatin1String(entry.name))
            return entry.operation;
    }
    return std::nullopt;
}

std::optional<QString> readSizeText(Operation operation, std::int32_t code)
{
    if (operation == Read && code >= 1 && code <= 22000)
        return QStringLiteral("Real size of received NVM file: %1 byte(s).").arg(code);
    return std::nullopt;
}

} // namespace

QString GbpResultText(const QString& operation, std::int32_t code)
{
    const std::optional<Operation> named = operationNamed(operation);
    if (!named)
        return {};
    if (const std::optional<QString> size = readSizeText(*named, code))
        return *size;
    const char* other = nullptr;
    for (const ResultRow& row : ResultRows) {
        if (!(row.operations & *named))
            continue;
        if (row.code == code)
            return QString::fromLatin1(row.text);
        if (!row.code)
            other = row.text;
    }
    return other ? QString::fromLatin1(other) : QString();
}

} // namespace linkwell
