// What the bookmark fuzz targets check of every file a reader accepts: the
// entries are numbered in order, and what a writer makes of them reads back
// as exactly the same entries.
#pragma once

#include "cli/bookmarks.h"

#include <cstdint>
#include <cstdlib>

namespace fuzzcheck {

inline void check(bool condition)
{
    if (!condition)
        std::abort();
}

inline bool samePairs(const linkwell::cli::Bookmarks& a, const linkwell::cli::Bookmarks& b)
{
    if (a.size() != b.size())
        return false;
    for (qsizetype i = 0; i < a.size(); ++i)
        if (a[i].name != b[i].name || a[i].url != b[i].url)
            return false;
    return true;
}

// Reads `data` as `format`, once more stopping after the first entry to see
// that the sink is obeyed, then round-trips what it read.
inline void readAndRoundTrip(linkwell::cli::Format format, const std::uint8_t* data, std::size_t size)
{
    using namespace linkwell::cli;
    const QByteArray content(reinterpret_cast<const char*>(data), qsizetype(size));
    Bookmarks read;
    try {
        read = readBookmarks(format, content, QStringLiteral("fuzz"));
    } catch (const CliError&) {
        return;
    }
    for (qsizetype i = 0; i < read.size(); ++i)
        check(read[i].position == i + 1);

    if (!read.isEmpty()) {
        int seen = 0;
        try {
            readBookmarks(format, content, QStringLiteral("fuzz"), [&seen](Bookmark&&) { return ++seen < 1; });
        } catch (const CliError&) {
            check(false); // the same bytes read once already
        }
        check(seen == 1);
    }

    const QByteArray written = writeBookmarks(format, read);
    Bookmarks back;
    try {
        back = readBookmarks(format, written, QStringLiteral("written"));
    } catch (const CliError&) {
        check(false); // a writer made a file its reader refuses
    }
    check(samePairs(read, back));
    check(writeBookmarks(format, back) == written);
}

} // namespace fuzzcheck
