#pragma once

#include <QObject>
#include <QStringList>

class QTextDocument;

// A document's text as QTextDocument::toRawText gives it, kept in step with every change, in
// pieces of about PieceSize characters. Handing a large note to the writer's thread then costs
// the window a list of shared pieces instead of a copy of the whole document made between two
// keys; a key typed while the writer still holds the pieces copies only the piece it falls in.
class TTextMirror final : public QObject
{
public:
    static constexpr qsizetype PieceSize = 16 * 1024;

    explicit TTextMirror(QTextDocument& document, QObject* parent = nullptr);

    // The text; joined, it is the document's raw text.
    QStringList Pieces();
    // Reads the document whole: after a new text was put on screen, so that the first save
    // while typing finds the pieces made.
    void Reread();

private:
    void Change(int at, int removed, int added);

    QTextDocument& FDocument;
    QStringList FPieces;
    qsizetype FSize = 0;
    bool FStale = true;
};
