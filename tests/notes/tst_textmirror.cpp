#include "notes/TextMirror.h"

#include <QPlainTextEdit>
#include <QRandomGenerator>
#include <QTextCursor>
#include <QtTest>

// The saves of a large note while typing are made of the mirror: an edit it missed is stored.
class TTestTextMirror final : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void followsEveryEdit_data()
    {
        QTest::addColumn<int>("longest"); // the most characters an edit inserts
        QTest::newRow("keys") << 1;
        QTest::newRow("pastes") << 300;
        QTest::newRow("pastes larger than a piece") << int(TTextMirror::PieceSize + 7);
    }

    void followsEveryEdit()
    {
        QFETCH(int, longest);
        QPlainTextEdit editor;
        QTextDocument& document = *editor.document();
        TTextMirror mirror(document);
        const auto note = [](int size, int seed) {
            QString text;
            for (int i = 0; text.size() < size; ++i)
                text += QStringLiteral("第%1行 line\u00A0\u2028x\n").arg(i + seed);
            return text.left(size);
        };
        editor.setPlainText(note(3 * int(TTextMirror::PieceSize), 0));
        QRandomGenerator random(7);
        for (int step = 0; step < 400; ++step) {
            const int length = document.characterCount() - 1;
            QTextCursor cursor(&document);
            cursor.setPosition(random.bounded(length + 1));
            switch (random.bounded(4)) {
            case 0: // a selection removed, now and then across pieces
                cursor.setPosition(std::min(length, cursor.position() + random.bounded(40)),
                                   QTextCursor::KeepAnchor);
                cursor.removeSelectedText();
                break;
            case 1:
                random.bounded(2) ? document.undo() : document.redo();
                break;
            case 2: // several edits in one step
                cursor.beginEditBlock();
                cursor.insertText(QStringLiteral("ab\ncd"));
                cursor.setPosition(random.bounded(length + 1));
                cursor.insertText(QStringLiteral("é"));
                cursor.endEditBlock();
                break;
            default: // half of them at the end, where typing goes as a rule
                if (random.bounded(2))
                    cursor.movePosition(QTextCursor::End);
                cursor.insertText(note(random.bounded(1, longest + 1), step));
            }
            // A new text of the same length, put on screen as a shown note is.
            if (step % 100 == 99)
                editor.setPlainText(note(length, step));
            QCOMPARE(mirror.Pieces().join(QString()), document.toRawText());
        }
    }
};

QTEST_MAIN(TTestTextMirror)
#include "tst_textmirror.moc"
