#include "phonecore.h"

#include <QStringList>

namespace phonesim {

using namespace gbp::protocol;

std::optional<AnswerSet> AnswerSet::parse(const QString& text)
{
    AnswerSet set;
    if (text.trimmed() == QLatin1String("all")) {
        set.from_ = 1;
        return set;
    }
    const QStringList parts = text.split(QLatin1Char(','), Qt::SkipEmptyParts);
    for (const QString& raw : parts) {
        const QString part = raw.trimmed();
        bool ok = false;
        const int dash = int(part.indexOf(QLatin1Char('-')));
        if (dash < 0) {
            const int n = part.toInt(&ok);
            if (!ok || n < 1)
                return std::nullopt;
            set.numbers_.insert(n);
            continue;
        }
        const int first = part.left(dash).toInt(&ok);
        if (!ok || first < 1)
            return std::nullopt;
        const QString rest = part.mid(dash + 1);
        if (rest.isEmpty()) {
            set.from_ = set.from_ == 0 ? first : std::min(set.from_, first);
            continue;
        }
        const int last = rest.toInt(&ok);
        if (!ok || last < first || last - first > 100000)
            return std::nullopt;
        for (int n = first; n <= last; ++n)
            set.numbers_.insert(n);
    }
    if (set.empty())
        return std::nullopt;
    return set;
}

bool AnswerSet::contains(int answer) const
{
    return (from_ != 0 && answer >= from_) || numbers_.count(answer) != 0;
}

PhoneCore::PhoneCore(NvmStore& store, Faults faults) : store_(store), faults_(std::move(faults)) {}

void PhoneCore::log(const QString& line) const
{
    if (log_)
        log_(line);
}

QByteArray PhoneCore::receive(const QByteArray& bytes)
{
    QByteArray out;
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        if (!serviceMode_) {
            out += commandByte(bytes[i]);
            continue;
        }
        std::vector<DecodeResult> found;
        decoder_.feed(reinterpret_cast<const std::uint8_t*>(bytes.constData() + i), 1, found);
        for (const DecodeResult& result : found) {
            if (const auto* error = std::get_if<FrameError>(&result)) {
                // No answer: the host asks again when its wait is over.
                log(QStringLiteral("bad request frame: %1").arg(QLatin1String(describe(*error))));
                continue;
            }
            out += request(std::get<Frame>(result));
        }
    }
    return out;
}

QByteArray PhoneCore::commandByte(char byte)
{
    // Like a modem, the phone looks for the "AT" that opens a command and
    // skips whatever comes before it, so noise on the line does no harm.
    const char upper = (byte >= 'a' && byte <= 'z') ? char(byte - 'a' + 'A') : byte;
    if (!gathering_) {
        if (previous_ == 'A' && upper == 'T') {
            gathering_ = true;
            line_.clear();
            previous_ = 0;
        } else {
            previous_ = upper;
        }
        return {};
    }
    if (byte == '\r') {
        gathering_ = false;
        return commandLine(line_);
    }
    if (byte == '\n')
        return {};
    if (line_.size() >= 64) { // no command is that long: drop it
        gathering_ = false;
        previous_ = 0;
        return {};
    }
    line_ += upper;
    return {};
}

QByteArray PhoneCore::commandLine(const QByteArray& line)
{
    log(QStringLiteral("AT%1").arg(QString::fromLatin1(line)));
    if (faults_.silentToAt || stopped_)
        return {};
    if (line.isEmpty())
        return "\r\nOK\r\n";
    if (line == "+GBP") {
        serviceMode_ = true;
        decoder_.reset();
        lastRequest_.reset();
        staging_.reset();
        return "\r\nOK\r\n";
    }
    return "\r\nERROR\r\n";
}

QByteArray PhoneCore::request(const Frame& frame)
{
    if (frame.command & AnswerBit)
        return {}; // an answer frame is nothing to act on
    if (lastRequest_ && *lastRequest_ == frame) {
        // A repeat: the host missed the answer. Send it again, act once.
        log(QStringLiteral("repeat of request %1").arg(frame.sequence));
        return send(lastAnswer_);
    }
    lastAnswer_ = execute(frame);
    lastRequest_ = frame;
    const QByteArray out = send(lastAnswer_);
    if (frame.command == Leave) {
        serviceMode_ = false;
        gathering_ = false;
        previous_ = 0;
    }
    return out;
}

namespace {

NvmStore::Key keyOf(const Bytes& payload)
{
    return {std::int32_t(getU32(payload, 0)), std::int32_t(getU32(payload, 4))};
}

} // namespace

Frame PhoneCore::execute(const Frame& frame)
{
    Frame answer;
    answer.command = std::uint8_t(frame.command | AnswerBit);
    answer.sequence = frame.sequence;
    const Bytes& in = frame.payload;
    auto fail = [&answer](std::uint8_t status) {
        answer.status = status;
        return answer;
    };
    // A request about one file is refused for its length first, then for a
    // fault set up for it, then for a file that is not there; Ok if none.
    auto fileRefusal = [this, &in](std::size_t length, std::uint8_t fault) -> std::uint8_t {
        if (in.size() != length)
            return BadRequest;
        if (fault)
            return fault;
        return store_.contains(keyOf(in)) ? std::uint8_t(Ok) : std::uint8_t(NoSuchFile);
    };

    switch (frame.command) {
    case FileSize: {
        if (const std::uint8_t refusal = fileRefusal(8, faults_.readStatus))
            return fail(refusal);
        putU32(answer.payload, std::uint32_t(store_.file(keyOf(in)).size()));
        return answer;
    }
    case ReadChunk: {
        if (const std::uint8_t refusal = fileRefusal(14, faults_.readStatus))
            return fail(refusal);
        const QByteArray file = store_.file(keyOf(in));
        const std::uint32_t offset = getU32(in, 8);
        const std::uint16_t count = getU16(in, 12);
        if (count > ChunkSize || offset > std::uint32_t(file.size()))
            return fail(BadArgument);
        const QByteArray part = file.mid(qsizetype(offset), count);
        answer.payload.assign(part.begin(), part.end());
        return answer;
    }
    case WriteChunk: {
        if (in.size() < 16 || in.size() - 16 > ChunkSize)
            return fail(BadRequest);
        // A refusal part way through leaves a write open that never ends:
        // what a phone does when it runs out of room in the middle.
        if (faults_.writeStatus && ++writeChunks_ >= faults_.writeStatusFrom)
            return fail(faults_.writeStatus);
        const NvmStore::Key key = keyOf(in);
        if (!store_.contains(key))
            return fail(NoSuchFile);
        const std::uint32_t offset = getU32(in, 8);
        const std::uint32_t total = getU32(in, 12);
        const QByteArray data(reinterpret_cast<const char*>(in.data()) + 16, qsizetype(in.size() - 16));
        if (total > std::uint32_t(NvmStore::MaxFileSize))
            return fail(BadArgument);
        if (offset == 0)
            staging_ = Staging{key, total, {}};
        // Chunks come in order and belong to the write the first one opened.
        if (!staging_ || staging_->key != key || staging_->total != total || offset != std::uint32_t(staging_->bytes.size())
            || std::uint64_t(offset) + std::uint64_t(data.size()) > total) {
            staging_.reset();
            return fail(BadArgument);
        }
        staging_->bytes += data;
        if (std::uint32_t(staging_->bytes.size()) == total) {
            // Only a complete write replaces the file: a broken-off one leaves
            // the old contents.
            store_.setFile(key, staging_->bytes);
            staging_.reset();
        }
        return answer;
    }
    case ClearFile: {
        if (const std::uint8_t refusal = fileRefusal(8, faults_.clearStatus))
            return fail(refusal);
        store_.setFile(keyOf(in), QByteArray());
        return answer;
    }
    case Leave: return answer;
    default: return fail(UnknownCommand);
    }
}

QByteArray PhoneCore::send(const Frame& answer)
{
    if (stopped_)
        return {};
    if (faults_.stopAfterAnswers >= 0 && answersSent_ >= faults_.stopAfterAnswers) {
        log(QStringLiteral("fell silent after %1 answers").arg(answersSent_));
        stopped_ = true;
        return {};
    }
    const int number = ++answersSent_;
    Bytes bytes = *encode(answer);
    if (faults_.corrupt.contains(number)) {
        // Spoil the CRC's low byte; pick a change that stays a plain data byte
        // so the frame keeps its length on the line.
        std::uint8_t& last = bytes[bytes.size() - 2];
        for (std::uint8_t mask : {0x01, 0x02, 0x04}) {
            const std::uint8_t spoilt = std::uint8_t(last ^ mask);
            if (spoilt != Flag && spoilt != Escape) {
                last = spoilt;
                break;
            }
        }
    }
    QByteArray out;
    if (faults_.garbage.contains(number)) {
        // Noise holds no flag byte: the host must skip it to find the frame.
        for (int i = 0; i < faults_.garbageBytes; ++i) {
            noise_ ^= noise_ << 13;
            noise_ ^= noise_ >> 17;
            noise_ ^= noise_ << 5;
            const char byte = char(noise_ & 0xFF);
            out += byte == char(Flag) ? '\0' : byte;
        }
    }
    out += QByteArray(reinterpret_cast<const char*>(bytes.data()), qsizetype(bytes.size()));
    log(QStringLiteral("answer %1: command 0x%2 sequence %3 status %4 payload %5%6%7")
            .arg(number)
            .arg(answer.command, 2, 16, QLatin1Char('0'))
            .arg(answer.sequence)
            .arg(answer.status)
            .arg(answer.payload.size())
            .arg(faults_.corrupt.contains(number) ? QStringLiteral(" (spoilt)") : QString())
            .arg(faults_.garbage.contains(number) ? QStringLiteral(" (after noise)") : QString()));
    return out;
}

} // namespace phonesim
