#include "webaddr/BookmarkFile.h"

#include "common/Errors.h"

#include "webaddr/BookmarkImport.h"

#include <QCoreApplication>
#include <QHash>
#include <QStringDecoder>
#include <QStringList>

#include <algorithm>
#include <optional>

namespace {

QString NotBookmarkFileMessage()
{
    return QCoreApplication::translate(
        "BookmarkFile",
        "所选文件不是浏览器导出的书签文件（NETSCAPE-Bookmark-file-1 格式），未导入任何内容。");
}

QString TruncatedMessage()
{
    return QCoreApplication::translate("BookmarkFile",
                                       "书签文件不完整（可能在中途被截断），未导入任何内容。");
}

// The encoding named by a charset= in the file's head; empty when there is none.
QByteArray DeclaredCharset(const QByteArray& bytes)
{
    const QByteArray head = bytes.left(64 * 1024).toLower();
    const qsizetype at = head.indexOf("charset=");
    if (at < 0)
        return {};
    qsizetype from = at + 8;
    while (from < head.size() &&
           (head.at(from) == '"' || head.at(from) == '\'' || head.at(from) == ' '))
        ++from;
    qsizetype to = from;
    while (to < head.size()) {
        const char c = head.at(to);
        if (!((c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' || c == '_' ||
              c == '.' || c == ':'))
            break;
        ++to;
    }
    return bytes.mid(from, to - from);
}

// The decoder for a file that begins with these bytes.
QStringDecoder FileDecoder(const QByteArray& head)
{
    // A byte order mark says more than any tag.
    if (head.startsWith("\xEF\xBB\xBF") || head.startsWith("\xFF\xFE") ||
        head.startsWith("\xFE\xFF"))
        return QStringDecoder(
            QStringConverter::encodingForData(head).value_or(QStringConverter::Utf8));
    QByteArray charset = DeclaredCharset(head);
    if (charset.isEmpty())
        charset = "UTF-8";
    QStringDecoder decoder(charset.constData());
    if (!decoder.isValid())
        throw ECardError(QCoreApplication::translate("BookmarkFile",
                                                     "书签文件的编码“%1”无法识别，未导入任何内容。")
                             .arg(QString::fromLatin1(charset)));
    return decoder;
}

bool IsSpace(QChar c)
{
    return c == QLatin1Char(' ') || c == QLatin1Char('\t') || c == QLatin1Char('\n') ||
           c == QLatin1Char('\r') || c == QLatin1Char('\f');
}

const QHash<QString, char16_t>& NamedEntities()
{
    static const QHash<QString, char16_t> names{
        {QStringLiteral("amp"), u'&'},    {QStringLiteral("lt"), u'<'},
        {QStringLiteral("gt"), u'>'},     {QStringLiteral("quot"), u'"'},
        {QStringLiteral("apos"), u'\''},  {QStringLiteral("nbsp"), u' '},
        {QStringLiteral("copy"), u'©'},   {QStringLiteral("reg"), u'®'},
        {QStringLiteral("trade"), u'™'},  {QStringLiteral("hellip"), u'…'},
        {QStringLiteral("mdash"), u'—'},  {QStringLiteral("ndash"), u'–'},
        {QStringLiteral("middot"), u'·'}, {QStringLiteral("laquo"), u'«'},
        {QStringLiteral("raquo"), u'»'},  {QStringLiteral("lsquo"), u'‘'},
        {QStringLiteral("rsquo"), u'’'},  {QStringLiteral("ldquo"), u'“'},
        {QStringLiteral("rdquo"), u'”'},  {QStringLiteral("times"), u'×'},
        {QStringLiteral("yen"), u'¥'},    {QStringLiteral("euro"), u'€'},
    };
    return names;
}

// Character references become the characters they stand for; anything unknown stays as written.
QString DecodeEntities(QStringView text)
{
    QString out;
    out.reserve(text.size());
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n; ++i) {
        const QChar c = text.at(i);
        if (c != QLatin1Char('&')) {
            out += c;
            continue;
        }
        // References are short: looking further would make a text of many '&' slow.
        const qsizetype ahead = text.mid(i + 1, 12).indexOf(QLatin1Char(';'));
        const qsizetype semicolon = ahead < 0 ? -1 : i + 1 + ahead;
        if (semicolon < 0) {
            out += c;
            continue;
        }
        const QStringView name = text.mid(i + 1, semicolon - i - 1);
        if (name.startsWith(QLatin1Char('#'))) {
            bool ok = false;
            uint code = 0;
            if (name.size() > 1 &&
                (name.at(1) == QLatin1Char('x') || name.at(1) == QLatin1Char('X')))
                code = name.mid(2).toUInt(&ok, 16);
            else
                code = name.mid(1).toUInt(&ok, 10);
            if (!ok) {
                out += c;
                continue;
            }
            if (code == 0 || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF))
                code = 0xFFFD;
            const char32_t wide = code;
            out += QString::fromUcs4(&wide, 1);
            i = semicolon;
            continue;
        }
        const auto found = NamedEntities().constFind(name.toString());
        if (found == NamedEntities().constEnd()) {
            out += c;
            continue;
        }
        out += QChar(found.value());
        i = semicolon;
    }
    return out;
}

// Text as a browser shows it: every run of white space one blank, none at either end, then the
// references decoded (so a written &#10; or &#32; survives).
QString ShownText(const QString& raw)
{
    QString collapsed;
    collapsed.reserve(raw.size());
    bool pendingSpace = false;
    for (const QChar c : raw) {
        if (IsSpace(c)) {
            pendingSpace = !collapsed.isEmpty();
            continue;
        }
        if (pendingSpace)
            collapsed += QLatin1Char(' ');
        pendingSpace = false;
        collapsed += c;
    }
    return DecodeEntities(collapsed);
}

// One tag: its lower-case name ("/dl" for an end tag) and the raw text of its attributes.
struct TTag
{
    QString Name;
    QStringView Attributes;
};

// The value of one attribute, references decoded; empty when the tag has none.
QString Attribute(QStringView attributes, QLatin1String wanted)
{
    const qsizetype n = attributes.size();
    qsizetype i = 0;
    while (i < n) {
        while (i < n && (IsSpace(attributes.at(i)) || attributes.at(i) == QLatin1Char('/')))
            ++i;
        const qsizetype nameFrom = i;
        while (i < n && !IsSpace(attributes.at(i)) && attributes.at(i) != QLatin1Char('='))
            ++i;
        const QStringView name = attributes.mid(nameFrom, i - nameFrom);
        while (i < n && IsSpace(attributes.at(i)))
            ++i;
        QStringView value;
        if (i < n && attributes.at(i) == QLatin1Char('=')) {
            ++i;
            while (i < n && IsSpace(attributes.at(i)))
                ++i;
            if (i < n &&
                (attributes.at(i) == QLatin1Char('"') || attributes.at(i) == QLatin1Char('\''))) {
                const QChar quote = attributes.at(i);
                const qsizetype close = attributes.indexOf(quote, i + 1);
                const qsizetype end = close < 0 ? n : close;
                value = attributes.mid(i + 1, end - i - 1);
                i = end + 1;
            } else {
                const qsizetype from = i;
                while (i < n && !IsSpace(attributes.at(i)))
                    ++i;
                value = attributes.mid(from, i - from);
            }
        }
        if (name.compare(wanted, Qt::CaseInsensitive) == 0)
            return DecodeEntities(value.trimmed());
        if (name.isEmpty() && i < n)
            ++i;
    }
    return {};
}

// A description as written: its line breaks kept (each as one LF), only the layout around it
// removed, the references decoded.
QString DescriptionText(const QString& raw)
{
    QString text = raw;
    text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    qsizetype from = 0;
    qsizetype to = text.size();
    while (from < to && IsSpace(text.at(from)))
        ++from;
    while (to > from && IsSpace(text.at(to - 1)))
        --to;
    return DecodeEntities(QStringView(text).mid(from, to - from));
}

QStringList Tags(const QString& attribute)
{
    QStringList tags;
    for (const QString& tag : attribute.split(QLatin1Char(','))) {
        const QString trimmed = tag.trimmed();
        if (!trimmed.isEmpty())
            tags << trimmed;
    }
    return tags;
}

// Reads the decoded text as it comes and hands folders and links to the sink in file order. Only
// the markup not yet complete is held, so a file of any size is read in little memory.
class TBookmarkParser final
{
public:
    explicit TBookmarkParser(TBookmarkSink& sink) : FSink(sink) {}

    void Feed(QStringView text)
    {
        FText += text;
        Run(false);
    }

    void Finish()
    {
        Run(true);
        if (FMode == TMode::LinkTitle || FMode == TMode::FolderTitle || !FOpenLists.empty() ||
            !FSawList)
            throw ECardError(TruncatedMessage());
        FinishDescription();
        FinishPending();
    }

private:
    enum class TMode
    {
        None,
        FolderTitle,
        LinkTitle,
        Description
    };

    void Run(bool atEnd)
    {
        if (!FHeadChecked) {
            // The document type comes first, perhaps after blanks or a comment.
            constexpr qsizetype HeadSize = 4096;
            if (FText.size() < HeadSize && !atEnd)
                return;
            if (!QStringView(FText).left(HeadSize).contains(
                    QLatin1String("NETSCAPE-Bookmark-file-1"), Qt::CaseInsensitive))
                throw ECardError(NotBookmarkFileMessage());
            FHeadChecked = true;
        }
        const qsizetype n = FText.size();
        qsizetype i = 0;
        while (i < n) {
            const qsizetype open = FText.indexOf(QLatin1Char('<'), i);
            const qsizetype textEnd = open < 0 ? n : open;
            if (FMode != TMode::None)
                FBuffer += QStringView(FText).mid(i, textEnd - i);
            if (open < 0) {
                i = n;
                break;
            }
            if (open + 1 >= n && !atEnd) {
                i = open;
                break;
            }
            // A '<' that starts no tag ("a < b" in a hand-edited title) is text.
            const QChar next = open + 1 < n ? FText.at(open + 1) : QChar();
            if (!next.isLetter() && next != QLatin1Char('/') && next != QLatin1Char('!')) {
                if (FMode != TMode::None)
                    FBuffer += QLatin1Char('<');
                i = open + 1;
                continue;
            }
            const qsizetype after = SkipMarkup(open);
            if (after < 0) {
                if (atEnd)
                    throw ECardError(TruncatedMessage());
                // The markup goes on in the text still to come: kept, and its scan resumes
                // where it stopped.
                FResumeAt -= open;
                i = open;
                break;
            }
            FResumeAt = 0;
            FResumeQuote = QChar();
            i = after;
        }
        FText.remove(0, i);
    }

    // Handles the markup at a '<' and returns where the text after it begins; -1 when it does
    // not end in the text read so far.
    qsizetype SkipMarkup(qsizetype open)
    {
        const QStringView rest = QStringView(FText).mid(open);
        if (rest.startsWith(QLatin1String("<!--"))) {
            const qsizetype from = std::max(open + 4, open + FResumeAt - 2);
            const qsizetype close = FText.indexOf(QLatin1String("-->"), from);
            if (close < 0) {
                FResumeAt = FText.size();
                return -1;
            }
            return close + 3;
        }
        if (rest.size() < 4 && QStringView(u"<!--").startsWith(rest)) {
            FResumeAt = open;
            return -1;
        }
        const qsizetype close = TagEnd(open + 1, open + std::max<qsizetype>(FResumeAt, 1));
        if (close < 0)
            return -1;
        qsizetype nameEnd = open + 1;
        if (nameEnd < close && FText.at(nameEnd) == QLatin1Char('/'))
            ++nameEnd;
        while (nameEnd < close && FText.at(nameEnd).isLetterOrNumber())
            ++nameEnd;
        Handle(FText.mid(open + 1, nameEnd - open - 1).toLower(),
               QStringView(FText).mid(nameEnd, close - nameEnd));
        return close + 1;
    }

    // The '>' that ends a tag whose name begins at from, outside quoted attribute values,
    // looking from resume on; -1 when the text ends first (the scan's state is kept).
    qsizetype TagEnd(qsizetype from, qsizetype resume)
    {
        const qsizetype n = FText.size();
        QChar quote = FResumeQuote;
        for (qsizetype i = resume; i < n; ++i) {
            const QChar c = FText.at(i);
            if (!quote.isNull()) {
                if (c == quote)
                    quote = QChar();
            } else if (c == QLatin1Char('"') || c == QLatin1Char('\'')) {
                // Only a quote that opens an attribute value counts; one inside a word doesn't.
                if (i > from && FText.at(i - 1) == QLatin1Char('='))
                    quote = c;
            } else if (c == QLatin1Char('>')) {
                return i;
            }
        }
        FResumeAt = n;
        FResumeQuote = quote;
        return -1;
    }

    void Handle(const QString& name, QStringView attributes)
    {
        // Inside a title other markup is dropped; only the closing tag ends it.
        if (FMode == TMode::FolderTitle) {
            if (name == QLatin1String("/h3")) {
                FPendingFolder = true;
                FFolderTitle = ShownText(FBuffer);
                FMode = TMode::None;
            }
            return;
        }
        if (FMode == TMode::LinkTitle) {
            if (name == QLatin1String("/a")) {
                FHasLink = true;
                FLinkTitle = ShownText(FBuffer);
                FMode = TMode::None;
            }
            return;
        }
        const bool structural = name == QLatin1String("dt") || name == QLatin1String("dl") ||
                                name == QLatin1String("/dl") || name == QLatin1String("h3") ||
                                name == QLatin1String("a") || name == QLatin1String("dd") ||
                                name == QLatin1String("hr");
        if (!structural)
            return;
        FinishDescription();
        // A description belongs to the link or folder just read; a folder's has nowhere to go.
        if (name == QLatin1String("dd")) {
            StartText(TMode::Description);
            return;
        }
        if (name == QLatin1String("dl")) {
            FinishLink();
            FSawList = true;
            FOpenLists.push_back(FPendingFolder);
            if (FPendingFolder)
                FSink.BeginFolder(FFolderTitle);
            FPendingFolder = false;
            return;
        }
        FinishPending();
        if (name == QLatin1String("h3")) {
            StartText(TMode::FolderTitle);
        } else if (name == QLatin1String("a")) {
            FUrl = Attribute(attributes, QLatin1String("href"));
            FTags = Tags(Attribute(attributes, QLatin1String("tags")));
            FDescription.clear();
            StartText(TMode::LinkTitle);
        } else if (name == QLatin1String("/dl") && !FOpenLists.empty()) {
            if (FOpenLists.back())
                FSink.EndFolder();
            FOpenLists.pop_back();
        }
    }

    void StartText(TMode mode)
    {
        FMode = mode;
        FBuffer.clear();
    }

    void FinishDescription()
    {
        if (FMode != TMode::Description)
            return;
        FMode = TMode::None;
        if (FHasLink)
            FDescription = DescriptionText(FBuffer);
    }

    void FinishLink()
    {
        if (!FHasLink)
            return;
        FHasLink = false;
        FSink.Link(FUrl, FLinkTitle, RemarkWithTags(FDescription, FTags));
    }

    // What was read waits for what may still belong to it; anything else comes first.
    void FinishPending()
    {
        FinishLink();
        if (FPendingFolder) {
            // A folder without a list of its own holds nothing.
            FPendingFolder = false;
            FSink.BeginFolder(FFolderTitle);
            FSink.EndFolder();
        }
    }

    TBookmarkSink& FSink;
    QString FText; // decoded and not yet read
    bool FHeadChecked = false;
    qsizetype FResumeAt = 0; // where the scan of unfinished markup goes on
    QChar FResumeQuote;
    std::vector<bool> FOpenLists; // each open <DL>: whether it is a folder's
    bool FSawList = false;
    TMode FMode = TMode::None;
    QString FBuffer;
    bool FPendingFolder = false; // a folder whose <DL> is expected next
    QString FFolderTitle;
    bool FHasLink = false; // a link whose <DD> may follow
    QString FUrl;
    QString FLinkTitle;
    QStringList FTags;
    QString FDescription;
};

// Text for the file: markup characters as references, and line breaks, tabs and the blanks that
// a browser would fold as numeric references, so that the text reads back exactly.
QString Escaped(const QString& text)
{
    QString out;
    out.reserve(text.size() + 16);
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n; ++i) {
        const QChar c = text.at(i);
        switch (c.unicode()) {
        case u'&':
            out += QLatin1String("&amp;");
            break;
        case u'<':
            out += QLatin1String("&lt;");
            break;
        case u'>':
            out += QLatin1String("&gt;");
            break;
        case u'"':
            out += QLatin1String("&quot;");
            break;
        case u' ':
            if (i == 0 || i == n - 1 || text.at(i - 1) == QLatin1Char(' ') ||
                text.at(i + 1) == QLatin1Char(' '))
                out += QLatin1String("&#32;");
            else
                out += c;
            break;
        default:
            if (c.unicode() < 32)
                out += QStringLiteral("&#%1;").arg(c.unicode());
            else
                out += c;
        }
    }
    return out;
}

} // namespace

QString BrowserUrl(const QString& url)
{
    QString address;
    address.reserve(url.size());
    for (const QChar c : url)
        if (c != QLatin1Char('\t') && c != QLatin1Char('\n') && c != QLatin1Char('\r'))
            address += c;
    qsizetype from = 0;
    qsizetype to = address.size();
    while (from < to && address.at(from).unicode() <= 0x20)
        ++from;
    while (to > from && address.at(to - 1).unicode() <= 0x20)
        --to;
    return address.mid(from, to - from);
}

bool IsWebAddress(const QString& url)
{
    const QString address = BrowserUrl(url);
    if (address.isEmpty())
        return false;
    qsizetype i = 0;
    while (i < address.size() && address.at(i).unicode() < 128 &&
           (address.at(i).isLetterOrNumber() || address.at(i) == QLatin1Char('+') ||
            address.at(i) == QLatin1Char('-') || address.at(i) == QLatin1Char('.')))
        ++i;
    // No scheme: a bare host name, which the program opens as a web address.
    if (i == 0 || i >= address.size() || address.at(i) != QLatin1Char(':') ||
        !address.at(0).isLetter())
        return true;
    // A host with a port, "www.example.org:8080", is no scheme either.
    if (address.left(i).contains(QLatin1Char('.')))
        return true;
    const QString scheme = address.left(i).toLower();
    return scheme == QLatin1String("http") || scheme == QLatin1String("https") ||
           scheme == QLatin1String("ftp");
}

// The file's head is held until the encoding can be told from it.
constexpr qsizetype HeadBytes = 64 * 1024;

struct TBookmarkFileReader::TState
{
    explicit TState(TBookmarkSink& sink) : Parser(sink) {}
    TBookmarkParser Parser;
    QByteArray Head;
    std::optional<QStringDecoder> Decoder;

    void StartDecoding()
    {
        Decoder.emplace(FileDecoder(Head));
        Parser.Feed(QString((*Decoder)(Head)));
        Head = QByteArray();
    }
};

TBookmarkFileReader::TBookmarkFileReader(TBookmarkSink& sink)
    : FState(std::make_unique<TState>(sink))
{}

TBookmarkFileReader::~TBookmarkFileReader() = default;

void TBookmarkFileReader::Feed(const QByteArray& bytes)
{
    if (FState->Decoder) {
        FState->Parser.Feed(QString((*FState->Decoder)(bytes)));
        return;
    }
    FState->Head += bytes;
    if (FState->Head.size() >= HeadBytes)
        FState->StartDecoding();
}

void TBookmarkFileReader::Finish()
{
    if (!FState->Decoder)
        FState->StartDecoding();
    FState->Parser.Finish();
}

QByteArray WriteBookmarkFile(const std::vector<TBookmark>& items)
{
    const int count = int(items.size());
    std::vector<std::vector<int>> children(size_t(count) + 1); // [count] is the top level
    for (int i = 0; i < count; ++i) {
        const int parent = items[size_t(i)].Parent;
        const bool valid = parent >= 0 && parent < i && items[size_t(parent)].Folder;
        children[size_t(valid ? parent : count)].push_back(i);
    }

    QString out =
        QStringLiteral("<!DOCTYPE NETSCAPE-Bookmark-file-1>\n"
                       "<!-- This is an automatically generated file.\n"
                       "     It will be read and overwritten.\n"
                       "     DO NOT EDIT! -->\n"
                       "<META HTTP-EQUIV=\"Content-Type\" CONTENT=\"text/html; charset=UTF-8\">\n"
                       "<TITLE>Bookmarks</TITLE>\n"
                       "<H1>Bookmarks</H1>\n"
                       "<DL><p>\n");

    // An explicit stack of (list, next position) walks folders of any depth.
    std::vector<std::pair<int, size_t>> stack{{count, 0}};
    while (!stack.empty()) {
        auto& [list, next] = stack.back();
        const std::vector<int>& members = children[size_t(list)];
        const QString indent(qsizetype(stack.size()) * 4, QLatin1Char(' '));
        if (next >= members.size()) {
            stack.pop_back();
            out += QString(qsizetype(stack.size()) * 4, QLatin1Char(' ')) +
                   QLatin1String("</DL><p>\n");
            continue;
        }
        const int index = members[next++];
        const TBookmark& item = items[size_t(index)];
        if (item.Folder) {
            out += indent + QLatin1String("<DT><H3>") + Escaped(item.Title) +
                   QLatin1String("</H3>\n") + indent + QLatin1String("<DL><p>\n");
            stack.emplace_back(index, 0);
            continue;
        }
        out += indent + QLatin1String("<DT><A HREF=\"") + Escaped(item.Url) + QLatin1String("\">") +
               Escaped(item.Title) + QLatin1String("</A>\n");
        if (!item.Description.isEmpty())
            out += indent + QLatin1String("<DD>") + Escaped(item.Description) + QLatin1Char('\n');
    }
    return out.toUtf8();
}
