#include "bookmarks.h"

#include <gumbo.h>

#include <cstring>
#include <vector>

namespace linkwell::cli {

namespace {

// Gumbo's tree builder walks the stack of open elements for most tags, so a
// document nested n deep costs n² and its tree costs memory in proportion to
// the whole file. The file is therefore parsed in pieces of about this size,
// each cut just before a tag at a point where the cut changes nothing about
// which links there are or what they say; a piece's tree is read and freed
// before the next is parsed.
constexpr qsizetype PieceBytes = 4 * 1024;
// Past this size a piece is cut at the next tag even where the cut is not
// clean (inside a table, a link or foreign content), so that no document,
// however it is nested, costs more than linear time. Only documents that
// hold no clean point for this long are read differently from a browser.
constexpr qsizetype ForcedCutBytes = 8 * 1024;
// Appended at the end of a piece: where the parser puts it tells whether the
// cut before it was clean. A name no document of ours uses.
constexpr char CutMark[] = "<linkwell-cut>";
// Opens the piece after a cut inside a link, so that the rest of the link's
// text still lands in a link and joins the name read so far.
constexpr char ContinueMark[] = "<a href=\"\">";

bool isHtmlSpace(char16_t c)
{
    return c == u' ' || c == u'\t' || c == u'\n' || c == u'\r' || c == u'\f';
}

// What a browser shows of a link's text: a run of white space is one space,
// none at the ends. A zero-width no-break space (a byte order mark left in a
// title) shows as nothing and goes too: Gumbo keeps it in some places and
// not in others, so it could never be written back as it was read.
QString collapseSpace(const QString& raw)
{
    QString out;
    out.reserve(raw.size());
    bool pendingSpace = false;
    for (const QChar c : raw) {
        if (c.unicode() == 0xFEFF)
            continue;
        if (isHtmlSpace(c.unicode())) {
            pendingSpace = !out.isEmpty();
            continue;
        }
        if (pendingSpace)
            out += u' ';
        pendingSpace = false;
        out += c;
    }
    return out;
}

// A URL attribute as a browser takes it: without the white space around it,
// and without zero-width no-break spaces, which Gumbo drops at the start of
// a value and keeps elsewhere.
QString trimmedUrl(const char* value)
{
    QString url = QString::fromUtf8(value);
    url.remove(QChar(0xFEFF));
    qsizetype begin = 0;
    qsizetype end = url.size();
    while (begin < end && isHtmlSpace(url[begin].unicode()))
        ++begin;
    while (end > begin && isHtmlSpace(url[end - 1].unicode()))
        --end;
    return url.mid(begin, end - begin);
}

qsizetype lineAt(const QByteArray& content, qsizetype offset)
{
    return QByteArrayView(content.constData(), offset).count('\n') + 1;
}

// The offset of the first byte that is not well-formed UTF-8, or -1. Gumbo
// would quietly turn such bytes into U+FFFD; a file in another encoding is
// better refused than read with its accented letters lost.
qsizetype invalidUtf8At(const QByteArray& content, qsizetype from)
{
    const auto* bytes = reinterpret_cast<const unsigned char*>(content.constData());
    const qsizetype size = content.size();
    qsizetype i = from;
    while (i < size) {
        const unsigned char c = bytes[i];
        if (c < 0x80) {
            ++i;
            continue;
        }
        int length = 0;
        unsigned char low = 0x80;
        unsigned char high = 0xBF;
        if (c >= 0xC2 && c <= 0xDF) {
            length = 2;
        } else if (c >= 0xE0 && c <= 0xEF) {
            length = 3;
            if (c == 0xE0)
                low = 0xA0; // overlong
            if (c == 0xED)
                high = 0x9F; // surrogates
        } else if (c >= 0xF0 && c <= 0xF4) {
            length = 4;
            if (c == 0xF0)
                low = 0x90;
            if (c == 0xF4)
                high = 0x8F;
        } else {
            return i;
        }
        if (i + length > size || bytes[i + 1] < low || bytes[i + 1] > high)
            return i;
        for (int k = 2; k < length; ++k)
            if ((bytes[i + k] & 0xC0) != 0x80)
                return i;
        i += length;
    }
    return -1;
}

// The next '<' at or after `from` that can open a tag, or -1.
qsizetype nextTagStart(const QByteArray& content, qsizetype from)
{
    for (qsizetype i = content.indexOf('<', from); i >= 0; i = content.indexOf('<', i + 1)) {
        const char next = i + 1 < content.size() ? content[i + 1] : '\0';
        if ((next >= 'a' && next <= 'z') || (next >= 'A' && next <= 'Z'))
            return i;
    }
    return -1;
}

class ParsedPiece {
public:
    explicit ParsedPiece(const QByteArray& bytes) : options_(kGumboDefaultOptions)
    {
        // The messages Gumbo records are never shown, and recording each
        // copies the stack of open elements.
        options_.max_errors = 0;
        output_ = gumbo_parse_with_options(&options_, bytes.constData(), size_t(bytes.size()));
    }
    ~ParsedPiece() { gumbo_destroy_output(&options_, output_); }
    ParsedPiece(const ParsedPiece&) = delete;
    ParsedPiece& operator=(const ParsedPiece&) = delete;

    const GumboOutput* output() const { return output_; }

private:
    GumboOptions options_;
    GumboOutput* output_ = nullptr;
};

enum class Cut {
    Clean,      // the mark stands in body text, outside any link
    InsideLink, // the mark was tokenized as a tag, but inside a link
    Unclean,    // tokenized, but in a table, a select, a template, a frameset or foreign content
    NotATag,    // inside a comment, an attribute, a title or a script: no tag could start there
};

struct Link {
    QString name; // as written, white space not yet collapsed
    QString url;
    qsizetype at = 0;       // offset within the piece, then within the file
    bool continues = false; // ContinueMark's link: the rest of the last piece's open link
};

struct PieceLinks {
    std::vector<Link> links;
    Cut cut = Cut::NotATag;
    qsizetype openLink = -1; // the link the mark stands in
};

bool unsafeContainer(const GumboElement& element)
{
    if (element.tag_namespace != GUMBO_NAMESPACE_HTML)
        return true;
    switch (element.tag) {
    case GUMBO_TAG_TABLE:
    case GUMBO_TAG_SELECT:
    case GUMBO_TAG_TEMPLATE:
    case GUMBO_TAG_FRAMESET: return true;
    default: return false;
    }
}

bool hiddenText(const GumboElement& element)
{
    return element.tag == GUMBO_TAG_SCRIPT || element.tag == GUMBO_TAG_STYLE || element.tag == GUMBO_TAG_TEMPLATE;
}

// Every link of the piece's tree in document order, and where the mark
// landed. Walks the tree with a stack of its own: its depth is the
// document's.
PieceLinks linksOf(const GumboOutput* output, const char* mark, const char* continuation)
{
    PieceLinks out;
    struct Frame {
        const GumboNode* node;
        unsigned next; // the child to visit next
        bool unsafe;   // inside a container a cut must not split
        bool hidden;   // text no browser shows
        bool opensLink;
    };
    std::vector<Frame> stack;
    std::vector<size_t> openLinks; // indices into out.links
    stack.push_back({output->document, 0, false, false, false});
    while (!stack.empty()) {
        Frame& frame = stack.back();
        const GumboVector* children =
            frame.node->type == GUMBO_NODE_DOCUMENT ? &frame.node->v.document.children : &frame.node->v.element.children;
        if (frame.next >= children->length) {
            if (frame.opensLink)
                openLinks.pop_back();
            stack.pop_back();
            continue;
        }
        const auto* child = static_cast<const GumboNode*>(children->data[frame.next++]);
        const bool unsafe = frame.unsafe;
        const bool hidden = frame.hidden;
        switch (child->type) {
        case GUMBO_NODE_TEXT:
        case GUMBO_NODE_WHITESPACE:
        case GUMBO_NODE_CDATA:
            if (!hidden) {
                const QString text = QString::fromUtf8(child->v.text.text);
                for (const size_t link : openLinks)
                    out.links[link].name += text;
            }
            break;
        case GUMBO_NODE_ELEMENT:
        case GUMBO_NODE_TEMPLATE: {
            const GumboElement& element = child->v.element;
            if (element.original_tag.data == mark) {
                out.cut = !openLinks.empty() ? Cut::InsideLink : unsafe ? Cut::Unclean : Cut::Clean;
                if (!openLinks.empty())
                    out.openLink = qsizetype(openLinks.back());
                break;
            }
            bool opensLink = false;
            if (element.tag == GUMBO_TAG_A && element.tag_namespace == GUMBO_NAMESPACE_HTML) {
                if (const GumboAttribute* href = gumbo_get_attribute(&element.attributes, "href")) {
                    Link link;
                    link.url = trimmedUrl(href->value);
                    link.at = qsizetype(element.start_pos.offset);
                    link.continues = continuation && element.original_tag.data == continuation;
                    out.links.push_back(std::move(link));
                    openLinks.push_back(out.links.size() - 1);
                    opensLink = true;
                }
            }
            stack.push_back({child, 0, unsafe || unsafeContainer(element), hidden || hiddenText(element), opensLink});
            break;
        }
        default: break;
        }
    }
    return out;
}

class HtmlReader {
public:
    HtmlReader(const QByteArray& content, const QString& source, const BookmarkSink& sink) : content_(content), source_(source), sink_(sink)
    {
    }

    void read()
    {
        qsizetype pos = content_.startsWith("\xEF\xBB\xBF") ? 3 : 0;
        if (const qsizetype bad = invalidUtf8At(content_, pos); bad >= 0)
            throw CliError(source_
                           + QStringLiteral(": not valid UTF-8 (line %1); bookmark files are read as UTF-8").arg(lineAt(content_, bad)));
        bool first = true;
        for (;;) {
            qsizetype want = PieceBytes;
            for (;;) {
                const qsizetype cut = nextTagStart(content_, pos + want);
                const bool last = cut < 0;
                const qsizetype end = last ? content_.size() : cut;
                // At the end of the file the mark tells whether it ends in
                // the middle of something, as a file cut short does.
                const QByteArray prefix = hasPending_ ? QByteArray(ContinueMark) : QByteArray();
                const QByteArray piece = prefix + content_.mid(pos, end - pos) + CutMark;
                const ParsedPiece parsed(piece);
                if (first)
                    requireDoctype(parsed.output());
                PieceLinks found =
                    linksOf(parsed.output(), piece.constData() + prefix.size() + (end - pos), hasPending_ ? piece.constData() : nullptr);
                const bool forced = want >= ForcedCutBytes && found.cut != Cut::NotATag;
                if (!last && found.cut != Cut::Clean && !forced) {
                    // Geometric growth keeps the retries linear in all.
                    want *= 2;
                    continue;
                }
                for (Link& link : found.links)
                    link.at = link.continues ? pending_.at : pos - prefix.size() + link.at;
                if (last && found.cut == Cut::InsideLink)
                    fail(
                        QStringLiteral("the <A> on line %1 is never closed").arg(lineAt(content_, found.links[size_t(found.openLink)].at)));
                if (last && found.cut == Cut::NotATag)
                    fail(QStringLiteral("it ends inside a tag, a comment or a title; is it cut short?"));
                first = false;
                if (!hand(found))
                    return;
                if (last)
                    return;
                pos = end;
                break;
            }
        }
    }

private:
    [[noreturn]] void fail(const QString& what) const { throw CliError(source_ + QStringLiteral(": not a valid bookmark file: ") + what); }

    void requireDoctype(const GumboOutput* output) const
    {
        const GumboDocument& document = output->document->v.document;
        if (!document.has_doctype || qstricmp(document.name, "NETSCAPE-Bookmark-file-1") != 0)
            fail(QStringLiteral("it does not begin with <!DOCTYPE NETSCAPE-Bookmark-file-1>"));
    }

    // The piece's links to the sink, but the one a forced cut leaves open,
    // which waits for the rest of its text in the next piece.
    bool hand(PieceLinks& found)
    {
        const bool hadPending = hasPending_;
        bool continued = false;
        for (qsizetype i = 0; i < qsizetype(found.links.size()); ++i) {
            Link& link = found.links[size_t(i)];
            const bool open = i == found.openLink;
            if (link.continues) {
                continued = true;
                pending_.name += link.name;
                if (open)
                    continue;
                link = std::move(pending_);
                hasPending_ = false;
            } else if (open) {
                if (hasPending_ && !handPending())
                    return false;
                pending_ = std::move(link);
                hasPending_ = true;
                continue;
            }
            if (!handLink(link))
                return false;
        }
        // A link whose continuation the parser did not keep has all of
        // its text.
        if (hadPending && !continued && hasPending_)
            return handPending();
        return true;
    }

    bool handPending()
    {
        hasPending_ = false;
        return handLink(pending_);
    }

    bool handLink(Link& link)
    {
        Bookmark bookmark{collapseSpace(link.name), std::move(link.url), source_, ++handed_};
        return sink_(std::move(bookmark));
    }

    const QByteArray& content_;
    const QString& source_;
    const BookmarkSink& sink_;
    int handed_ = 0;
    Link pending_;
    bool hasPending_ = false;
};

// Characters an HTML parser takes for an error when they stand in the file as
// they are (it reads U+FFFD instead) but keeps when they are written as a
// character reference.
bool needsReference(char32_t c)
{
    // Gumbo also drops a byte order mark wherever it stands.
    return c < 0x20 || (c >= 0x7F && c <= 0x9F) || (c >= 0xFDD0 && c <= 0xFDEF) || (c & 0xFFFE) == 0xFFFE || c == 0xFEFF;
}

QString escape(const QString& text)
{
    QString out;
    out.reserve(text.size());
    for (const char32_t c : text.toUcs4()) {
        switch (c) {
        case '&': out += QLatin1String("&amp;"); break;
        case '<': out += QLatin1String("&lt;"); break;
        case '>': out += QLatin1String("&gt;"); break;
        case '"': out += QLatin1String("&quot;"); break;
        case '\'': out += QLatin1String("&#39;"); break;
        default:
            if (needsReference(c))
                out += QStringLiteral("&#%1;").arg(uint(c));
            else
                out += QString::fromUcs4(&c, 1);
        }
    }
    return out;
}

} // namespace

void readHtml(const QByteArray& content, const QString& source, const BookmarkSink& sink)
{
    HtmlReader(content, source, sink).read();
}

QByteArray writeHtml(const Bookmarks& bookmarks)
{
    QString out = QStringLiteral(
        "<!DOCTYPE NETSCAPE-Bookmark-file-1>\n"
        "<!-- This is an automatically generated file.\n"
        "     It will be read and overwritten.\n"
        "     DO NOT EDIT! -->\n"
        "<META HTTP-EQUIV=\"Content-Type\" CONTENT=\"text/html; charset=UTF-8\">\n"
        "<TITLE>Bookmarks</TITLE>\n"
        "<H1>Bookmarks</H1>\n"
        "<DL><p>\n");
    for (const Bookmark& b : bookmarks)
        out += QStringLiteral("    <DT><A HREF=\"%1\">%2</A>\n").arg(escape(b.url), escape(b.name));
    out += QStringLiteral("</DL><p>\n");
    return out.toUtf8();
}

} // namespace linkwell::cli
