#include "webaddr/BookmarkFile.h"

#include "common/Errors.h"

#include <QHash>
#include <QStringDecoder>

namespace {

const QString& NotBookmarkFileMessage()
{
    static const QString message = QStringLiteral(
        "所选文件不是浏览器导出的书签文件（NETSCAPE-Bookmark-file-1 格式），未导入任何内容。");
    return message;
}

const QString& TruncatedMessage()
{
    static const QString message =
        QStringLiteral("书签文件不完整（可能在中途被截断），未导入任何内容。");
    return message;
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

QString DecodeFile(const QByteArray& bytes)
{
    // A byte order mark says more than any tag.
    if (bytes.startsWith("\xEF\xBB\xBF") || bytes.startsWith("\xFF\xFE") ||
        bytes.startsWith("\xFE\xFF")) {
        const auto encoding = QStringConverter::encodingForData(bytes);
        QStringDecoder decoder(encoding.value_or(QStringConverter::Utf8));
        return decoder(bytes);
    }
    QByteArray charset = DeclaredCharset(bytes);
    if (charset.isEmpty())
        charset = "UTF-8";
    QStringDecoder decoder(charset.constData());
    if (!decoder.isValid())
        throw ECardError(QStringLiteral("书签文件的编码“") + QString::fromLatin1(charset) +
                         QStringLiteral("”无法识别，未导入任何内容。"));
    return decoder(bytes);
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

class TBookmarkParser final
{
public:
    explicit TBookmarkParser(const QString& text) : FText(text) {}

    TBookmarkList Parse()
    {
        const qsizetype n = FText.size();
        qsizetype i = 0;
        while (i < n) {
            const qsizetype open = FText.indexOf(QLatin1Char('<'), i);
            const qsizetype textEnd = open < 0 ? n : open;
            if (FMode != TMode::None)
                FBuffer += QStringView(FText).mid(i, textEnd - i);
            if (open < 0)
                break;
            // A '<' that starts no tag ("a < b" in a hand-edited title) is text.
            const QChar next = open + 1 < n ? FText.at(open + 1) : QChar();
            if (!next.isLetter() && next != QLatin1Char('/') && next != QLatin1Char('!')) {
                if (FMode != TMode::None)
                    FBuffer += QLatin1Char('<');
                i = open + 1;
                continue;
            }
            i = SkipMarkup(open);
        }
        if (FMode == TMode::LinkTitle || FMode == TMode::FolderTitle || !FOpenLists.empty() ||
            !FSawList)
            throw ECardError(TruncatedMessage());
        FinishDescription();
        return std::move(FResult);
    }

private:
    enum class TMode
    {
        None,
        FolderTitle,
        LinkTitle,
        Description
    };

    // Handles the markup at a '<' and returns where the text after it begins.
    qsizetype SkipMarkup(qsizetype open)
    {
        const QStringView rest = QStringView(FText).mid(open);
        if (rest.startsWith(QLatin1String("<!--"))) {
            const qsizetype close = FText.indexOf(QLatin1String("-->"), open + 4);
            if (close < 0)
                throw ECardError(TruncatedMessage());
            return close + 3;
        }
        const qsizetype close = TagEnd(open + 1);
        if (close < 0)
            throw ECardError(TruncatedMessage());
        qsizetype nameEnd = open + 1;
        if (nameEnd < close && FText.at(nameEnd) == QLatin1Char('/'))
            ++nameEnd;
        while (nameEnd < close && FText.at(nameEnd).isLetterOrNumber())
            ++nameEnd;
        TTag tag{FText.mid(open + 1, nameEnd - open - 1).toLower(),
                 QStringView(FText).mid(nameEnd, close - nameEnd)};
        Handle(tag);
        return close + 1;
    }

    // The '>' that ends a tag begun at from, outside quoted attribute values; -1 when the file
    // ends first.
    qsizetype TagEnd(qsizetype from) const
    {
        const qsizetype n = FText.size();
        QChar quote;
        for (qsizetype i = from; i < n; ++i) {
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
        return -1;
    }

    int CurrentFolder() const { return FOpenLists.empty() ? -1 : FOpenLists.back(); }

    void Handle(const TTag& tag)
    {
        const QString& name = tag.Name;
        // Inside a title other markup is dropped; only the closing tag ends it.
        if (FMode == TMode::FolderTitle) {
            if (name == QLatin1String("/h3"))
                FinishFolder();
            return;
        }
        if (FMode == TMode::LinkTitle) {
            if (name == QLatin1String("/a"))
                FinishLink();
            return;
        }
        const bool structural = name == QLatin1String("dt") || name == QLatin1String("dl") ||
                                name == QLatin1String("/dl") || name == QLatin1String("h3") ||
                                name == QLatin1String("a") || name == QLatin1String("dd");
        if (FMode == TMode::Description) {
            if (!structural)
                return;
            FinishDescription();
        }
        if (name == QLatin1String("h3")) {
            StartText(TMode::FolderTitle);
        } else if (name == QLatin1String("a")) {
            FUrl = Attribute(tag.Attributes, QLatin1String("href"));
            StartText(TMode::LinkTitle);
        } else if (name == QLatin1String("dd")) {
            StartText(TMode::Description);
        } else if (name == QLatin1String("dl")) {
            FSawList = true;
            FOpenLists.push_back(FPendingFolder >= 0 ? FPendingFolder : CurrentFolder());
            FPendingFolder = -1;
            FLastLink = -1;
        } else if (name == QLatin1String("/dl")) {
            if (!FOpenLists.empty())
                FOpenLists.pop_back();
            FPendingFolder = -1;
            FLastLink = -1;
        } else if (name == QLatin1String("dt")) {
            FLastLink = -1;
        }
    }

    void StartText(TMode mode)
    {
        FMode = mode;
        FBuffer.clear();
    }

    void FinishFolder()
    {
        TBookmark folder;
        folder.Parent = CurrentFolder();
        folder.Folder = true;
        folder.Title = ShownText(FBuffer);
        FResult.Items.push_back(std::move(folder));
        FPendingFolder = int(FResult.Items.size()) - 1;
        FLastLink = -1;
        FMode = TMode::None;
    }

    void FinishLink()
    {
        FMode = TMode::None;
        FLastLink = -1;
        if (!IsWebAddress(FUrl)) {
            ++FResult.NonWeb;
            return;
        }
        TBookmark link;
        link.Parent = CurrentFolder();
        link.Title = ShownText(FBuffer);
        link.Url = FUrl;
        FResult.Items.push_back(std::move(link));
        FLastLink = int(FResult.Items.size()) - 1;
    }

    void FinishDescription()
    {
        if (FMode != TMode::Description)
            return;
        FMode = TMode::None;
        // A folder's description, or one after a skipped link, belongs to nothing kept.
        if (FLastLink >= 0)
            FResult.Items[size_t(FLastLink)].Description = ShownText(FBuffer);
        FLastLink = -1;
    }

    const QString& FText;
    TBookmarkList FResult;
    std::vector<int> FOpenLists; // the folder each open <DL> fills, -1 for the top level
    int FPendingFolder = -1;     // a folder whose <DL> is expected next
    int FLastLink = -1;          // the link a <DD> describes
    bool FSawList = false;
    TMode FMode = TMode::None;
    QString FBuffer;
    QString FUrl;
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

bool IsWebAddress(const QString& url)
{
    const QString address = url.trimmed();
    if (address.isEmpty())
        return false;
    qsizetype i = 0;
    while (i < address.size() &&
           (address.at(i).isLetterOrNumber() || address.at(i) == QLatin1Char('+') ||
            address.at(i) == QLatin1Char('-') || address.at(i) == QLatin1Char('.')) &&
           address.at(i).unicode() < 128)
        ++i;
    // No scheme (a bare host name, or a drive letter): kept as typed.
    if (i < 2 || i >= address.size() || address.at(i) != QLatin1Char(':') ||
        !address.at(0).isLetter())
        return true;
    // A host with a port, "www.example.org:8080", is no scheme either.
    if (address.left(i).contains(QLatin1Char('.')))
        return true;
    const QString scheme = address.left(i).toLower();
    return scheme == QLatin1String("http") || scheme == QLatin1String("https") ||
           scheme == QLatin1String("ftp") || scheme == QLatin1String("file");
}

TBookmarkList ParseBookmarkFile(const QByteArray& bytes)
{
    const QString text = DecodeFile(bytes);
    // The document type comes first, perhaps after blanks or a comment.
    if (!QStringView(text).left(4096).contains(QLatin1String("NETSCAPE-Bookmark-file-1"),
                                               Qt::CaseInsensitive))
        throw ECardError(NotBookmarkFileMessage());
    return TBookmarkParser(text).Parse();
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
