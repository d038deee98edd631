#pragma once

#include "gbp/protocol.h"
#include "nvmstore.h"

#include <QByteArray>
#include <QString>
#include <cstdint>
#include <functional>
#include <optional>
#include <set>

namespace phonesim {

// Which answer frames a fault touches, counted from 1 in the order the phone
// sends them (a repeated answer counts again). Written as a list of numbers
// and ranges: "1", "2,5", "3-4", "2-" (the 2nd and every later), "all".
class AnswerSet {
public:
    static std::optional<AnswerSet> parse(const QString& text);
    bool contains(int answer) const;
    bool empty() const { return numbers_.empty() && from_ == 0; }

private:
    std::set<int> numbers_;
    int from_ = 0; // 0: no open range
};

struct Faults {
    bool silentToAt = false;   // never answers an AT command
    int stopAfterAnswers = -1; // answers this many frames, then nothing at all
    AnswerSet corrupt;         // answers sent with a spoilt CRC
    AnswerSet garbage;         // answers with noise before them
    int garbageBytes = 24;
    std::uint8_t readStatus = 0;  // the status of every size and read answer
    std::uint8_t writeStatus = 0; // of every write answer
    int writeStatusFrom = 1;      // from this write chunk on (counted from 1), not before
    std::uint8_t clearStatus = 0; // of every clear answer
};

// The emulated phone, bytes in and bytes out. In command mode it takes AT
// command lines; "AT+GBP" switches it to service mode, where it answers
// request frames until a Leave frame switches it back.
class PhoneCore {
public:
    explicit PhoneCore(NvmStore& store, Faults faults = {});

    // Takes bytes off the line; gives the bytes it sends back.
    QByteArray receive(const QByteArray& bytes);

    bool inServiceMode() const { return serviceMode_; }
    int answersSent() const { return answersSent_; }
    // Set while a write is gathered and not yet committed.
    bool writePending() const { return staging_.has_value(); }

    // One line per request and answer for the log, when a logger is set.
    void setLogger(std::function<void(const QString&)> logger) { log_ = std::move(logger); }

private:
    struct Staging {
        NvmStore::Key key;
        std::uint32_t total = 0;
        QByteArray bytes;
    };

    QByteArray commandByte(char byte);
    QByteArray commandLine(const QByteArray& line);
    QByteArray request(const gbp::protocol::Frame& frame);
    gbp::protocol::Frame execute(const gbp::protocol::Frame& frame);
    QByteArray send(const gbp::protocol::Frame& answer);
    void log(const QString& line) const;

    NvmStore& store_;
    Faults faults_;
    bool serviceMode_ = false;
    bool stopped_ = false;
    int answersSent_ = 0;
    int writeChunks_ = 0; // write requests carried out, repeats not counted
    std::uint32_t noise_ = 0x2545F491u;

    // Command mode: whether "AT" has been seen, and the line after it.
    char previous_ = 0;
    bool gathering_ = false;
    QByteArray line_;

    gbp::protocol::Decoder decoder_;
    std::optional<gbp::protocol::Frame> lastRequest_;
    gbp::protocol::Frame lastAnswer_;
    std::optional<Staging> staging_;
    std::function<void(const QString&)> log_;
};

} // namespace phonesim
