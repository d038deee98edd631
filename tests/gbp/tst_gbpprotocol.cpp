// The frame codec, and the emulator core driven byte by byte through it.

#include "gbp/protocol.h"
#include "phonesim/phonecore.h"

#include <QDir>
#include <QFile>
#include <QTest>
#include <set>

using namespace gbp::protocol;
using phonesim::AnswerSet;
using phonesim::Faults;
using phonesim::NvmStore;
using phonesim::PhoneCore;

Q_DECLARE_METATYPE(Bytes)

namespace {

QByteArray line(const Bytes& in)
{
    return QByteArray(reinterpret_cast<const char*>(in.data()), qsizetype(in.size()));
}

Frame frame(std::uint8_t command, std::uint8_t sequence, Bytes payload = {})
{
    Frame f;
    f.command = command;
    f.sequence = sequence;
    f.payload = std::move(payload);
    return f;
}

std::vector<DecodeResult> decode(const QByteArray& bytes)
{
    return decodeAll(reinterpret_cast<const std::uint8_t*>(bytes.constData()), size_t(bytes.size()));
}

Bytes fileRequest(std::int32_t section, std::int32_t subsection)
{
    Bytes p;
    putU32(p, std::uint32_t(section));
    putU32(p, std::uint32_t(subsection));
    return p;
}

Bytes writeRequest(std::uint32_t offset, std::uint32_t total, const QByteArray& data)
{
    Bytes p = fileRequest(2, 1);
    putU32(p, offset);
    putU32(p, total);
    p.insert(p.end(), data.begin(), data.end());
    return p;
}

// The answers the core gives to `request`, decoded.
std::vector<Frame> answersTo(PhoneCore& phone, const Frame& request)
{
    std::vector<Frame> out;
    for (const DecodeResult& r : decode(phone.receive(line(*encode(request)))))
        if (const auto* f = std::get_if<Frame>(&r))
            out.push_back(*f);
    return out;
}

} // namespace

class TestGbpProtocol : public QObject {
    Q_OBJECT

private slots:
    void crcCheckValue()
    {
        const QByteArray text("123456789");
        QCOMPARE(crc16(reinterpret_cast<const std::uint8_t*>(text.constData()), 9), std::uint16_t(0x29B1));
    }

    void documentedExamples_data()
    {
        // The two frames docs/phone-protocol.md gives, byte for byte. The
        // emulator shares this codec, so only literal bytes catch a length
        // or a CRC sent in the wrong byte order.
        QTest::addColumn<int>("command");
        QTest::addColumn<Bytes>("payload");
        QTest::addColumn<Bytes>("onTheLine");
        QTest::newRow("size of file 2/1, sequence 01")
            << int(FileSize) << Bytes{0x02, 0x00, 0x00, 0x00, 0x01, 0x00, 0x00, 0x00}
            << Bytes{0x7E, 0x10, 0x01, 0x00, 0x08, 0x00, 0x02, 0x00, 0x00, 0x00, 0x01, 0x00, 0x00, 0x00, 0x8E, 0x94, 0x7E};
        QTest::newRow("its answer, 2000 bytes") << int(FileSize | AnswerBit) << Bytes{0xD0, 0x07, 0x00, 0x00}
                                                << Bytes{0x7E, 0x90, 0x01, 0x00, 0x04, 0x00, 0xD0, 0x07, 0x00, 0x00, 0x98, 0xDF, 0x7E};
    }

    void documentedExamples()
    {
        QFETCH(int, command);
        QFETCH(Bytes, payload);
        QFETCH(Bytes, onTheLine);
        const Frame expected = frame(std::uint8_t(command), 0x01, payload);
        QCOMPARE(*encode(expected), onTheLine);
        const auto found = decodeAll(onTheLine.data(), onTheLine.size());
        QCOMPARE(found.size(), size_t(1));
        const Frame* decoded = std::get_if<Frame>(&found[0]);
        QVERIFY(decoded);
        QVERIFY(*decoded == expected);
    }

    void documentedFields()
    {
        // The little-endian fields of the same two payloads.
        const Bytes request = fileRequest(2, 1);
        QCOMPARE(request, (Bytes{0x02, 0x00, 0x00, 0x00, 0x01, 0x00, 0x00, 0x00}));
        QCOMPARE(getU32(Bytes{0xD0, 0x07, 0x00, 0x00}, 0), std::uint32_t(2000));
        QCOMPARE(getU16(Bytes{0x0E, 0x02}, 0), std::uint16_t(526));
    }

    void frameSeedsAreFrames()
    {
        // fuzz_frame starts from these; a change of the codec that left them
        // behind would quietly send the fuzzer back to one-byte payloads.
        const QDir folder(QStringLiteral(FRAME_SEEDS));
        const QStringList names = folder.entryList(QDir::Files);
        QVERIFY2(names.size() >= 20, qPrintable(folder.path()));
        std::set<int> commands;
        std::size_t longest = 0;
        for (const QString& name : names) {
            QFile file(folder.filePath(name));
            QVERIFY(file.open(QIODevice::ReadOnly));
            int frames = 0;
            for (const DecodeResult& result : decode(file.readAll())) {
                const Frame* found = std::get_if<Frame>(&result);
                if (!found)
                    QFAIL(qPrintable(name + ": " + describe(std::get<FrameError>(result))));
                ++frames;
                commands.insert(found->command);
                longest = std::max(longest, found->payload.size());
            }
            QVERIFY2(frames > 0, qPrintable(name));
        }
        for (int command : {FileSize, ReadChunk, WriteChunk, ClearFile, Leave}) {
            QVERIFY2(commands.count(command), qPrintable(QString::number(command, 16)));
            QVERIFY2(commands.count(command | AnswerBit), qPrintable(QString::number(command, 16)));
        }
        QCOMPARE(longest, MaxPayload);
    }

    void roundTrips_data()
    {
        QTest::addColumn<Bytes>("payload");
        QTest::newRow("empty") << Bytes{};
        QTest::newRow("flag and escape") << Bytes{0x7E, 0x7D, 0x7E, 0x5E, 0x5D, 0x20};
        QTest::newRow("largest") << Bytes(MaxPayload, 0x7E);
    }

    void roundTrips()
    {
        QFETCH(Bytes, payload);
        Frame sent = frame(ReadChunk | AnswerBit, 200, payload);
        sent.status = 7;
        const Bytes bytes = *encode(sent);
        // Flags only at the two ends: stuffing keeps them out of the body.
        QCOMPARE(std::count(bytes.begin(), bytes.end(), Flag), 2);
        const auto found = decode(line(bytes));
        QCOMPARE(found.size(), size_t(1));
        QVERIFY(std::get<Frame>(found[0]) == sent);
    }

    void tooLargeToEncode() { QVERIFY(!encode(frame(WriteChunk, 1, Bytes(MaxPayload + 1, 0)))); }

    void findsFrameAfterNoise_data()
    {
        QTest::addColumn<QByteArray>("noise");
        QTest::addColumn<int>("errors");
        QTest::newRow("no flag") << QByteArray("\x01\x02garbage\x7D", 11) << 0;
        QTest::newRow("a flag inside") << QByteArray("ab\x7E", 3) + "cdefghij" << 1;
        QTest::newRow("escape before the frame") << QByteArray("\x7E\x7D", 2) << 1;
        QTest::newRow("overlong") << QByteArray(1, '\x7E') + QByteArray(int(MaxBody) + 10, 'z') << 1;
    }

    void findsFrameAfterNoise()
    {
        QFETCH(QByteArray, noise);
        QFETCH(int, errors);
        const Frame sent = frame(FileSize, 9, {1, 2, 3});
        const auto found = decode(noise + line(*encode(sent)));
        QCOMPARE(int(found.size()), errors + 1);
        QVERIFY(std::get<Frame>(found.back()) == sent);
    }

    void rejects_data()
    {
        QTest::addColumn<int>("position"); // byte of the body to change, from the flag
        QTest::addColumn<int>("error");
        QTest::newRow("payload byte") << 6 << int(FrameError::BadCrc);
        QTest::newRow("length field") << 4 << int(FrameError::LengthMismatch);
        QTest::newRow("crc byte") << 9 << int(FrameError::BadCrc);
    }

    void rejects()
    {
        QFETCH(int, position);
        QFETCH(int, error);
        QByteArray bytes = line(*encode(frame(FileSize, 1, {0x11, 0x22, 0x33})));
        bytes[position] = char(bytes[position] ^ 0x01);
        const auto found = decode(bytes);
        QCOMPARE(found.size(), size_t(1));
        QCOMPARE(int(std::get<FrameError>(found[0])), error);
        QCOMPARE(int(std::get<FrameError>(decode(QByteArray("\x7E\x01\x02\x7E", 4))[0])), int(FrameError::TooShort));
    }

    void decodesInPieces()
    {
        const Frame a = frame(ReadChunk, 1, Bytes(300, 0x7D));
        const Frame b = frame(ClearFile, 2, {9});
        const QByteArray bytes = line(*encode(a)) + line(*encode(b));
        Decoder decoder;
        std::vector<DecodeResult> found;
        for (char c : bytes)
            decoder.feed(std::string_view(&c, 1), found);
        QCOMPARE(found.size(), size_t(2));
        QVERIFY(std::get<Frame>(found[0]) == a);
        QVERIFY(std::get<Frame>(found[1]) == b);
    }

    void answerSets_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("valid");
        QTest::addColumn<QList<int>>("members");
        QTest::addColumn<QList<int>>("others");
        QTest::newRow("list") << "2,5" << true << QList<int>{2, 5} << QList<int>{1, 3, 6};
        QTest::newRow("range") << "3-4" << true << QList<int>{3, 4} << QList<int>{2, 5};
        QTest::newRow("open range") << "2-" << true << QList<int>{2, 99} << QList<int>{1};
        QTest::newRow("all") << "all" << true << QList<int>{1, 1000} << QList<int>{};
        QTest::newRow("zero") << "0" << false << QList<int>{} << QList<int>{};
        QTest::newRow("word") << "x" << false << QList<int>{} << QList<int>{};
        QTest::newRow("backwards") << "4-3" << false << QList<int>{} << QList<int>{};
    }

    void answerSets()
    {
        QFETCH(QString, text);
        QFETCH(bool, valid);
        QFETCH(QList<int>, members);
        QFETCH(QList<int>, others);
        const auto set = AnswerSet::parse(text);
        QCOMPARE(set.has_value(), valid);
        for (int n : members)
            QVERIFY(set->contains(n));
        for (int n : others)
            QVERIFY(!set->contains(n));
    }

    void commandModeSkipsNoise()
    {
        NvmStore store;
        PhoneCore phone(store);
        QCOMPARE(phone.receive("\x7E\x1F\x05\r"), QByteArray());
        QCOMPARE(phone.receive("xxaT\r"), QByteArray("\r\nOK\r\n"));
        QCOMPARE(phone.receive("ATZZ\r"), QByteArray("\r\nERROR\r\n"));
        QVERIFY(!phone.inServiceMode());
        QCOMPARE(phone.receive("AT+GBP\r"), QByteArray("\r\nOK\r\n"));
        QVERIFY(phone.inServiceMode());
        const auto left = answersTo(phone, frame(Leave, 1));
        QCOMPARE(left.size(), size_t(1));
        QCOMPARE(left[0].status, std::uint8_t(Ok));
        QVERIFY(!phone.inServiceMode());
    }

    void repeatedWriteActsOnce()
    {
        // The second chunk sent twice with one sequence number: acted on
        // once, answered twice, and the file is what was meant.
        NvmStore store;
        PhoneCore phone(store);
        phone.receive("AT+GBP\r");
        QCOMPARE(answersTo(phone, frame(WriteChunk, 1, writeRequest(0, 6, "abc")))[0].status, std::uint8_t(Ok));
        QVERIFY(phone.writePending());
        const Frame second = frame(WriteChunk, 2, writeRequest(3, 6, "def"));
        QCOMPARE(answersTo(phone, second)[0].status, std::uint8_t(Ok));
        QCOMPARE(answersTo(phone, second)[0].status, std::uint8_t(Ok));
        QCOMPARE(phone.answersSent(), 3);
        QCOMPARE(store.file(NvmStore::Favourites), QByteArray("abcdef"));
        // The same chunk under a new number is a new request, out of order.
        QCOMPARE(answersTo(phone, frame(WriteChunk, 3, writeRequest(3, 6, "def")))[0].status, std::uint8_t(BadArgument));
    }

    void brokenOffWriteKeepsFile()
    {
        NvmStore store;
        store.setFile(NvmStore::Favourites, "old");
        PhoneCore phone(store);
        phone.receive("AT+GBP\r");
        answersTo(phone, frame(WriteChunk, 1, writeRequest(0, 10, "new")));
        QCOMPARE(store.file(NvmStore::Favourites), QByteArray("old"));
        // A chunk that skips ahead is refused and drops the gathered part.
        QCOMPARE(answersTo(phone, frame(WriteChunk, 2, writeRequest(5, 10, "xx")))[0].status, std::uint8_t(BadArgument));
        QVERIFY(!phone.writePending());
        QCOMPARE(store.file(NvmStore::Favourites), QByteArray("old"));
    }

    void malformedRequests_data()
    {
        QTest::addColumn<int>("command");
        QTest::addColumn<Bytes>("payload");
        QTest::addColumn<int>("status");
        QTest::newRow("size, short") << int(FileSize) << Bytes(7, 0) << int(BadRequest);
        QTest::newRow("read, long") << int(ReadChunk) << Bytes(15, 0) << int(BadRequest);
        QTest::newRow("write, short") << int(WriteChunk) << Bytes(15, 0) << int(BadRequest);
        QTest::newRow("unknown command") << 0x55 << Bytes{} << int(UnknownCommand);
        Bytes past = fileRequest(2, 1);
        putU32(past, 10);
        putU16(past, 4);
        QTest::newRow("read past the end") << int(ReadChunk) << past << int(BadArgument);
        Bytes huge = fileRequest(2, 1);
        putU32(huge, 0);
        putU32(huge, std::uint32_t(NvmStore::MaxFileSize) + 1);
        QTest::newRow("write too large") << int(WriteChunk) << huge << int(BadArgument);
    }

    void malformedRequests()
    {
        QFETCH(int, command);
        QFETCH(Bytes, payload);
        QFETCH(int, status);
        NvmStore store;
        PhoneCore phone(store);
        phone.receive("AT+GBP\r");
        const auto answers = answersTo(phone, frame(std::uint8_t(command), 4, payload));
        QCOMPARE(answers.size(), size_t(1));
        QCOMPARE(int(answers[0].status), status);
        QCOMPARE(int(answers[0].command), command | AnswerBit);
        QCOMPARE(int(answers[0].sequence), 4);
    }

    void corruptAnswerFaultSpoilsOnlyThatAnswer()
    {
        NvmStore store;
        Faults faults;
        faults.corrupt = *AnswerSet::parse("1");
        PhoneCore phone(store, faults);
        phone.receive("AT+GBP\r");
        const QByteArray request = line(*encode(frame(FileSize, 1, fileRequest(2, 1))));
        const auto first = decode(phone.receive(request));
        QCOMPARE(first.size(), size_t(1));
        QCOMPARE(int(std::get<FrameError>(first[0])), int(FrameError::BadCrc));
        const auto second = decode(phone.receive(request));
        QVERIFY(std::holds_alternative<Frame>(second.at(0)));
    }
};

QTEST_GUILESS_MAIN(TestGbpProtocol)
#include "tst_gbpprotocol.moc"
