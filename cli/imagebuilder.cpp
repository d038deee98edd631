#include "imagebuilder.h"

#include "cp1250text.h"
#include "printable.h"

#include "store/favouritesstore.h"
#include "store/limits.h"

#include <algorithm>

namespace linkwell::cli {

namespace {

// Links a WAP browser has no way to open: a browser's own pages and
// bookmarklets. The last kind is a link with no URL at all.
const char* const SkippedSchemes[] = {"place", "javascript", "data", "about", "chrome", "file"};
constexpr int SchemeCount = int(std::size(SkippedSchemes));
constexpr int NoUrl = SchemeCount;

int skippedKind(const QString& url)
{
    const QString trimmed = url.trimmed();
    if (trimmed.isEmpty())
        return NoUrl;
    const qsizetype colon = trimmed.indexOf(u':');
    if (colon <= 0)
        return -1;
    const QString scheme = trimmed.left(colon).toLower();
    for (int i = 0; i < SchemeCount; ++i)
        if (scheme == QLatin1String(SkippedSchemes[i]))
            return i;
    return -1;
}

// The first `units` UTF-16 units, never half a surrogate pair.
QString leftUnits(const QString& text, qsizetype units)
{
    if (text.size() <= units)
        return text;
    qsizetype cut = units;
    if (text[cut - 1].isHighSurrogate())
        --cut;
    return text.left(cut);
}

qsizetype firstUnstorable(const QByteArray& bytes)
{
    const qsizetype zero = bytes.indexOf('\0');
    const qsizetype one = bytes.indexOf('\x01');
    if (zero < 0)
        return one;
    return one < 0 ? zero : std::min(zero, one);
}

} // namespace

QString ImageBuilder::entryName(const Bookmark& b) const
{
    return QStringLiteral("%1: entry %2 (\"%3\")")
        .arg(printable(b.source))
        .arg(b.position)
        .arg(quoted(b.name.isEmpty() ? b.url : b.name, 40));
}

bool ImageBuilder::judge(const QString& entry, const char* what, const Field& field)
{
    if (!characterProblem_.isEmpty())
        return false;
    const qsizetype unstorable = firstUnstorable(field.bytes);
    const bool missing = field.missingAt >= 0 && field.missingAt < field.bytes.size();
    if (missing && (unstorable < 0 || field.missingAt < unstorable)) {
        characterProblem_ = entry
                            + QStringLiteral(": the character %1 in its %2 cannot be written in Windows-1250")
                                  .arg(describeCharacter(field.missing), QLatin1String(what));
        missingCharacter_ = true;
        return true;
    }
    if (unstorable >= 0) {
        characterProblem_ = entry
                            + QStringLiteral(": the character %1 in its %2 cannot be stored in the phone")
                                  .arg(describeCharacter(char32_t(field.bytes[unstorable])), QLatin1String(what));
        return true;
    }
    return false;
}

bool ImageBuilder::add(Bookmark&& b)
{
    if (settled_)
        return false;

    const int kind = skippedKind(b.url);
    if (kind >= 0 && !options_.keepAll) {
        ++skipped_[kind];
        return true;
    }
    const QString entry = entryName(b);
    const QString where = QStringLiteral("%1: entry %2").arg(printable(b.source)).arg(b.position);

    // Kept or not, by the entries before this one alone.
    if (kept_.size() == limits::MaxEntries) {
        if (options_.truncate)
            truncation_ = QStringLiteral(
                              "No. of entries truncated to 100(=max).: %1 and every entry after it "
                              "are left out")
                              .arg(entry);
        else
            sizeProblem_ = QStringLiteral(
                               "too much for the phone: %1 is one more than the %2 entries it holds "
                               "(--truncate keeps what fits)")
                               .arg(entry)
                               .arg(limits::MaxEntries);
        settled_ = true;
        return false;
    }
    if (options_.truncate && offset_ >= limits::UrlCutOffset)
        return endCut(entry, "and every entry after it are left out");

    if (b.url.isEmpty() && emptyUrlProblem_.isEmpty()) {
        // A record that opens with 0x00 ends the image's list: this entry and
        // every one after it would be lost.
        emptyUrlProblem_ = entry + QStringLiteral(": the URL is empty");
    }

    const QString name = b.name.isEmpty() ? leftUnits(b.url, limits::MaxTypedChars) : b.name;
    const PhoneText nameText = toPhoneText(name, options_.transliterate);
    const PhoneText urlText = toPhoneText(b.url, options_.transliterate);
    Field nameField{nameText.bytes, nameText.missingAt, nameText.missing};
    Field urlField{urlText.bytes, urlText.missingAt, urlText.missing};

    // The window lets nobody type more than 255 characters into either box.
    for (auto [field, what] : {std::pair{&nameField, "name"}, std::pair{&urlField, "URL"}}) {
        const qsizetype size = field->bytes.size();
        if (size <= limits::MaxTypedChars)
            continue;
        if (options_.truncate) {
            field->bytes.truncate(limits::MaxTypedChars);
            changes_ << where
                            + QStringLiteral(": its %1 of %2 characters cut to %3")
                                  .arg(QLatin1String(what))
                                  .arg(size)
                                  .arg(limits::MaxTypedChars);
        } else if (lengthProblem_.isEmpty()) {
            lengthProblem_ = entry
                             + QStringLiteral(
                                   ": its %1 is %2 characters, more than the %3 an entry holds "
                                   "(--truncate cuts it)")
                                   .arg(QLatin1String(what))
                                   .arg(size)
                                   .arg(limits::MaxTypedChars);
        }
    }

    // The record against the image's limits, as the window's builder measures
    // it: the URL must end before the URL cut, the whole before 1998 bytes.
    QByteArray& url = urlField.bytes;
    QByteArray& nameBytes = nameField.bytes;
    const qint64 excess = recordExcess(offset_, url.size(), nameBytes.size());
    bool cut = false;
    if (excess > 0) {
        if (!options_.truncate) {
            sizeProblem_ = QStringLiteral(
                               "too much for the phone: up to %1 the entries need %2 bytes more than "
                               "the %3 the image holds (--truncate keeps what fits)")
                               .arg(entry)
                               .arg(excess)
                               .arg(limits::MaxImageSize);
            settled_ = true;
            return false;
        }
        url.truncate(qsizetype(std::max<qint64>(0, limits::UrlCutOffset - offset_)));
        nameBytes.truncate(qsizetype(std::max<qint64>(0, limits::NameCutOffset - (offset_ + url.size() + 2))));
        cut = true;
    }

    if (!judge(entry, "name", nameField))
        judge(entry, "URL", urlField);
    // Listed only where a replacement survives the cuts, with what is stored.
    if (nameText.transliterated && nameText.transliteratedAt < nameBytes.size())
        changes_ << where + QStringLiteral(": name \"%1\" written as \"%2\"").arg(quoted(name), quoted(decodeCp1250(nameBytes)));
    if (urlText.transliterated && urlText.transliteratedAt < url.size())
        changes_ << where + QStringLiteral(": URL \"%1\" written as \"%2\"").arg(quoted(b.url), quoted(decodeCp1250(url)));

    kept_.append({nameBytes, url});
    offset_ += url.size() + 2 + nameBytes.size() + 2;
    if (cut)
        return endCut(entry, "is cut short and nothing after it is kept");
    return true;
}

bool ImageBuilder::endCut(const QString& entry, const char* whatOfIt)
{
    truncation_ = QStringLiteral("Too many characters. Truncated.: the image is %1 bytes with %2 entries; %3 ")
                      .arg(offset_)
                      .arg(kept_.size())
                      .arg(entry)
                  + QLatin1String(whatOfIt);
    settled_ = true;
    return false;
}

BuildResult ImageBuilder::finish()
{
    BuildResult out;
    int skippedTotal = 0;
    QStringList kinds;
    for (auto it = skipped_.cbegin(); it != skipped_.cend(); ++it) {
        skippedTotal += it.value();
        kinds << (it.key() == NoUrl ? QStringLiteral("%1 with no URL").arg(it.value())
                                    : QStringLiteral("%1 %2:").arg(it.value()).arg(QLatin1String(SkippedSchemes[it.key()])));
    }
    if (skippedTotal > 0)
        out.notes << QStringLiteral("left out %1 %2 a WAP phone cannot open (%3); --keep-all keeps them")
                         .arg(skippedTotal)
                         .arg(skippedTotal == 1 ? QStringLiteral("link") : QStringLiteral("links"))
                         .arg(kinds.join(QStringLiteral(", ")));

    for (const QString* problem : {&sizeProblem_, &lengthProblem_, &characterProblem_}) {
        if (problem->isEmpty())
            continue;
        out.refusal << *problem;
        if (problem == &characterProblem_ && missingCharacter_ && !options_.transliterate)
            out.refusal << QStringLiteral(
                "--transliterate writes a Latin reading of the characters "
                "Windows-1250 lacks instead");
    }
    if (!emptyUrlProblem_.isEmpty())
        out.refusal << emptyUrlProblem_;
    if (out.refusal.isEmpty() && kept_.isEmpty() && !options_.allowEmpty)
        out.refusal << QStringLiteral(
            "no entries: an empty image would clear the phone (--allow-empty writes "
            "it anyway)");
    if (!out.refusal.isEmpty())
        return out;

    out.notes << changes_;
    if (!truncation_.isEmpty())
        out.notes << truncation_;

    // The builder is the window's; what it made is read back before anything
    // is written, so a fault in either side cannot reach a file or a phone.
    const linkwell::BuiltImage image = BuildSection(kept_);
    const QString mismatch = readBackMismatch(image);
    if (!mismatch.isEmpty()) {
        out.refusal << QStringLiteral("the image built does not read back as meant: %1; nothing written").arg(mismatch);
        return out;
    }
    out.bytes = image.bytes;
    out.entries = int(kept_.size());
    return out;
}

BuildResult buildImage(const Bookmarks& bookmarks, const BuildOptions& options)
{
    ImageBuilder builder(options);
    for (Bookmark b : bookmarks)
        if (!builder.add(std::move(b)))
            break;
    return builder.finish();
}

qint64 recordExcess(qint64 offset, qint64 urlSize, qint64 nameSize)
{
    const qint64 overSize = imageSizeWithRecord(offset, nameSize, urlSize) - limits::MaxImageSize;
    // A record that starts where no URL byte may stand is never written.
    if (offset >= limits::UrlCutOffset)
        return std::max<qint64>(1, overSize);
    return std::max<qint64>({0, offset + urlSize - limits::UrlCutOffset, overSize});
}

} // namespace linkwell::cli
