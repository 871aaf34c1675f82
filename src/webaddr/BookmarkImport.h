#pragma once

#include <QSet>
#include <QString>
#include <QStringList>

#include <memory>
#include <vector>

class TDbAccess;
class TWriteTransaction;

// Receives a browser's bookmarks in the order the browser keeps them: a folder opens, what
// follows until it closes is inside it.
class TBookmarkSink
{
public:
    virtual ~TBookmarkSink() = default;
    // A root is one of the browser's own folders (the toolbar, the menu): it is made only when
    // something in it is, never for itself.
    virtual void BeginFolder(const QString& title, bool root = false) = 0;
    virtual void EndFolder() = 0;
    virtual void Link(const QString& url, const QString& title, const QString& remark) = 0;
};

// What an import did, for the summary box.
struct TBookmarkImport
{
    int Addresses = 0;  // addresses added
    int Groups = 0;     // groups made from the folders
    int Duplicates = 0; // links whose address was already stored
    int NonWeb = 0;     // links that are not web addresses
    int TooDeep = 0;    // folders below the deepest level kept; their links went into that level
};

// The remark of a link: its description, then its tags as a last line "标签：a, b".
QString RemarkWithTags(const QString& description, const QStringList& tags);

// The number of a new group, the largest number so far plus one, worked out in 64 bits: past
// the largest a group number can hold it refuses with the plain error and takes none.
qint32 TakeGroupNumber(qint64& next);

// Files what a sink receives into the address tree, all in one transaction: a new group (its
// caption numbered when it is taken) holds the folders as nested groups and the links as
// addresses. Links whose address is stored already are left out, and so are folders that would
// hold nothing but them; folders empty at the source are made, unless the import stores no
// address at all, which makes no group. Folders nested deeper than the tree keeps go no further:
// what they hold is filed at the deepest level kept. Nothing is written unless Commit is
// reached: an error or a cancel leaves the database as it was.
class TBookmarkImporter final : public TBookmarkSink
{
public:
    // The depth of folders below the new group that the tree keeps.
    static constexpr int MaxDepth = 100;

    TBookmarkImporter(TDbAccess& dbAccess, const QString& caption);
    ~TBookmarkImporter() override;

    void BeginFolder(const QString& title, bool root = false) override;
    void EndFolder() override;
    void Link(const QString& url, const QString& title, const QString& remark) override;

    TBookmarkImport Commit();

private:
    struct TFolder
    {
        QString Title;
        bool Root = false;
        bool Held = false; // anything stood in it at the source
        qint32 Number = 0; // 0 until the group is made
    };
    // Makes the open folders that are not made yet, outer ones first.
    qint32 MakeOpenFolders();

    std::unique_ptr<TWriteTransaction> FWrite;
    std::vector<TFolder> FOpen; // [0] is the new group itself
    int FBelowDeepest = 0;      // folders open below the deepest one kept
    QSet<QString> FCaptions;
    QSet<QString> FStored;
    qint64 FNextGroup = 1;
    TBookmarkImport FDone;
};
