#pragma once

#include <QByteArray>
#include <QString>

#include <memory>
#include <vector>

// One entry of a browser bookmark file: a folder or a link. Entries stand in file order, each
// folder before what it holds; Parent is the index of the holding folder, -1 at the top level.
struct TBookmark
{
    int Parent = -1;
    bool Folder = false;
    QString Title;       // as a browser shows it: entities decoded, markup removed
    QString Url;         // links only
    QString Description; // links only
};

class TBookmarkSink;

// Reads a bookmark file in the HTML format browsers export ("NETSCAPE-Bookmark-file-1"), in the
// encoding its meta tag names (UTF-8 without one), piece by piece as it is fed, and hands its
// folders and links to a sink in file order. A link's description keeps its line breaks, and its
// tags become the remark's last line; separators and folder descriptions have nowhere to go.
// A file that is not such a file, is cut short, or declares an encoding that cannot be read
// throws the plain error with a message for the user, perhaps after a part went to the sink.
// Nesting of any depth is read without recursion.
class TBookmarkFileReader final
{
public:
    explicit TBookmarkFileReader(TBookmarkSink& sink);
    ~TBookmarkFileReader();
    TBookmarkFileReader(const TBookmarkFileReader&) = delete;
    TBookmarkFileReader& operator=(const TBookmarkFileReader&) = delete;

    void Feed(const QByteArray& bytes);
    // The file has ended.
    void Finish();

private:
    struct TState;
    std::unique_ptr<TState> FState;
};

// Writes entries (each folder before what it holds) as such a file, in UTF-8, so that
// a browser or this program reads back the same folders, links, titles and descriptions.
QByteArray WriteBookmarkFile(const std::vector<TBookmark>& items);

// A link as a browser reads it: tabs and line breaks anywhere removed, blanks and control
// characters at either end too.
QString BrowserUrl(const QString& url);

// Whether a link is kept, judged as a browser reads it: http, https and ftp addresses, and bare
// host names, which the program opens as web addresses. file:, javascript:, data: and every other
// scheme are not.
bool IsWebAddress(const QString& url);
