#pragma once

#include "bookmarks.h"

#include "store/imagecheck.h"
#include "store/limits.h"

#include <QByteArray>
#include <QMap>
#include <QString>
#include <QStringList>

namespace linkwell::cli {

struct BuildOptions {
    bool truncate = false;      // cut as the window cuts instead of refusing
    bool transliterate = false; // a Latin reading for characters Windows-1250 lacks
    bool keepAll = false;       // keep links a WAP phone cannot open
    bool allowEmpty = false;    // write an image of no entries
};

struct BuildResult {
    QByteArray bytes;    // empty when refused
    int entries = 0;     // entries the image holds
    QStringList notes;   // what was left out, cut or replaced, one line each
    QStringList refusal; // why nothing may be written, one line each; empty when built
};

// The entries of `build` one by one as the readers hand them over, judged
// as they come so that reading can stop once the outcome is settled.
//
// Which entries go onto the phone is decided before anything about them is
// judged: whether an entry is kept depends only on the entries before it (100
// entries, a record starting where a URL byte may stand), so an entry is
// converted and checked only once it is known to be kept, and with --truncate
// only its part that the cut keeps. Without --truncate the refusal names the
// count or size problem first, then the first name or URL over 255
// characters, then the first character the phone cannot hold, so that one
// pass fixes everything.
class ImageBuilder {
public:
    explicit ImageBuilder(BuildOptions options) : options_(options) {}

    // False once no further entry can change the outcome.
    bool add(Bookmark&& bookmark);
    // The image checked against what was meant, or the refusal.
    BuildResult finish();

private:
    struct Field {
        QByteArray bytes;
        qsizetype missingAt = -1;
        char32_t missing = 0;
    };
    QString entryName(const Bookmark& b) const;
    bool judge(const QString& entry, const char* what, const Field& field);
    // Settles the build as cut at `entry` with the image as it stands;
    // `whatOfIt` says what became of that entry. False, for add() to return.
    bool endCut(const QString& entry, const char* whatOfIt);

    BuildOptions options_;
    ImageEntries kept_;
    qint64 offset_ = limits::SignatureSize; // where the next record would start
    bool settled_ = false;
    QString sizeProblem_;
    QString lengthProblem_;
    QString characterProblem_;
    bool missingCharacter_ = false;
    QString emptyUrlProblem_;
    QMap<int, int> skipped_; // by the kind's place in SkippedKinds
    QStringList changes_;    // transliterations and 255-character cuts
    QString truncation_;
};

// The image of these entries, as `build` makes it.
BuildResult buildImage(const Bookmarks& bookmarks, const BuildOptions& options);

// How many bytes too many a record of these sizes starting at `offset` is,
// 0 when the window's image builder keeps every byte of it.
qint64 recordExcess(qint64 offset, qint64 urlSize, qint64 nameSize);

} // namespace linkwell::cli
