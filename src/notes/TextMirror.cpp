#include "notes/TextMirror.h"

#include <QTextDocument>

#include <algorithm>

TTextMirror::TTextMirror(QTextDocument& document, QObject* parent)
    : QObject(parent), FDocument(document)
{
    connect(&document, &QTextDocument::contentsChange, this,
            [this](int at, int removed, int added) { Change(at, removed, added); });
}

QStringList TTextMirror::Pieces()
{
    // The length is checked every time: a change that went untold is read again rather than
    // written wrong.
    if (FStale || FSize != FDocument.characterCount() - 1)
        Reread();
    return FPieces;
}

void TTextMirror::Reread()
{
    const QString text = FDocument.toRawText();
    FPieces.clear();
    for (qsizetype at = 0; at < text.size(); at += PieceSize)
        FPieces.append(text.mid(at, PieceSize));
    if (FPieces.isEmpty())
        FPieces.append(QString());
    FSize = text.size();
    FStale = false;
}

void TTextMirror::Change(int at, int removed, int added)
{
    if (FStale)
        return;
    // A change that reaches the end counts the document's closing separator, which the raw text
    // leaves out.
    const qsizetype length = FDocument.characterCount() - 1;
    const qsizetype gone = std::min<qsizetype>(removed, FSize - at);
    const qsizetype come = std::min<qsizetype>(added, length - at);
    // A large change is read whole, once, when the text is next asked for.
    if (at < 0 || gone < 0 || come < 0 || FSize - gone + come != length ||
        gone + come > PieceSize) {
        FStale = true;
        return;
    }
    qsizetype start = 0;
    qsizetype piece = 0;
    for (; piece < FPieces.size() - 1 && at >= start + FPieces.at(piece).size(); ++piece)
        start += FPieces.at(piece).size();
    QString& text = FPieces[piece];
    if (at + gone > start + text.size()) {
        FStale = true;
        return;
    }
    QString inserted(come, Qt::Uninitialized);
    for (qsizetype i = 0; i < come; ++i)
        inserted[i] = FDocument.characterAt(int(at + i));
    text.replace(at - start, gone, inserted);
    if (text.size() > 2 * PieceSize) {
        const QString tail = text.mid(PieceSize);
        text.truncate(PieceSize);
        FPieces.insert(piece + 1, tail);
    } else if (text.isEmpty() && FPieces.size() > 1) {
        FPieces.removeAt(piece);
    }
    FSize = length;
}
