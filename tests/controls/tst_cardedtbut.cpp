#include "ScriptedDialogs.h"

#include "common/Errors.h"
#include "controls/CardEdtBut.h"

#include <QImage>
#include <QToolButton>
#include <QtTest>

namespace {

QImage Picture(const QIcon& icon, QIcon::Mode mode)
{
    return icon.pixmap(QSize(16, 16), 1.0, mode)
        .toImage()
        .convertToFormat(QImage::Format_ARGB32_Premultiplied);
}

bool HasInk(const QImage& image)
{
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (qAlpha(image.pixel(x, y)) != 0)
                return true;
    return false;
}

// Where the text cursor ends on the right, with a text longer than the edit and the cursor at its
// end.
int TextEnd(TCardEdtBut& edit)
{
    edit.setText(QString(80, QLatin1Char('x')));
    edit.repaint(); // the edit scrolls its text while it paints
    return edit.inputMethodQuery(Qt::ImCursorRectangle).toRect().left();
}

} // namespace

class TestCardEdtBut : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // The button sits in the right end and the text stops before it; hidden, it gives the text
    // the full width, and shown again it is back.
    void buttonTakesTheRightEnd()
    {
        QWidget window;
        TCardEdtBut& edit = *new TCardEdtBut(&window);
        edit.resize(150, 21);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        const QRect button = edit.Button()->geometry();
        QVERIFY(edit.Button()->isVisible());
        QVERIFY(edit.rect().contains(button));
        QVERIFY(button.left() > edit.width() / 2);
        QVERIFY(TextEnd(edit) < button.left());

        edit.SetButVisible(false);
        QVERIFY(!edit.ButVisible());
        QVERIFY(!edit.Button()->isVisible());
        QVERIFY(TextEnd(edit) > button.left());

        edit.SetButVisible(true);
        QVERIFY(edit.ButVisible());
        QVERIFY(edit.Button()->isVisible());
        QVERIFY(TextEnd(edit) < button.left());
    }

    // Every glyph loads from the program's pictures (so the SVG icon engine is there): 16 pixels,
    // inked, a greyed picture of its own, and no two alike. The button shows the chosen one.
    void glyphs()
    {
        QList<QImage> normals;
        for (int i = 0; i < ButtonGlyphCount; ++i) {
            const QIcon icon = ButtonGlyphIcon(static_cast<TButtonGlyph>(i));
            QVERIFY(!icon.isNull());
            const QImage normal = Picture(icon, QIcon::Normal);
            QCOMPARE(normal.size(), QSize(16, 16));
            QVERIFY(HasInk(normal));
            QVERIFY(HasInk(Picture(icon, QIcon::Disabled)));
            QVERIFY(normal != Picture(icon, QIcon::Disabled));
            normals << normal;
        }
        for (int i = 0; i < normals.size(); ++i)
            for (int j = i + 1; j < normals.size(); ++j)
                QVERIFY2(normals[i] != normals[j],
                         qPrintable(QStringLiteral("%1 %2").arg(i).arg(j)));

        TCardEdtBut edit;
        QCOMPARE(edit.ButtonBmp(), TButtonGlyph::CardDown);
        QCOMPARE(Picture(edit.Button()->icon(), QIcon::Normal), normals[0]);
        edit.SetButtonBmp(TButtonGlyph::CardFind);
        QCOMPARE(edit.ButtonBmp(), TButtonGlyph::CardFind);
        const QIcon find = ButtonGlyphIcon(TButtonGlyph::CardFind);
        QCOMPARE(Picture(edit.Button()->icon(), QIcon::Normal), Picture(find, QIcon::Normal));
        QCOMPARE(Picture(edit.Button()->icon(), QIcon::Disabled), Picture(find, QIcon::Disabled));
        QVERIFY(!edit.Button()->accessibleName().isEmpty());
    }

    // A click focuses the edit and calls OnButClick even when the edit is read-only; typing
    // still does nothing. Without a handler only the focus moves.
    void click()
    {
        QWidget window;
        auto* other = new QLineEdit(&window);
        auto* edit = new TCardEdtBut(&window);
        edit->setGeometry(10, 40, 150, 21);
        edit->setReadOnly(true);
        edit->setText(QStringLiteral("未分组"));
        window.show();
        window.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&window));

        other->setFocus();
        QVERIFY(other->hasFocus());
        QTest::mouseClick(edit->Button(), Qt::LeftButton);
        QVERIFY(edit->hasFocus());

        QList<TCardEdtBut*> senders;
        edit->OnButClick = [&](TCardEdtBut* sender) {
            senders << sender;
        };
        other->setFocus();
        QTest::mouseClick(edit->Button(), Qt::LeftButton);
        QCOMPARE(senders, QList<TCardEdtBut*>({edit}));
        QVERIFY(edit->hasFocus());
        QVERIFY(!edit->Button()->hasFocus());
        QTest::keyClicks(edit, QStringLiteral("abc"));
        QCOMPARE(edit->text(), QStringLiteral("未分组"));

        // An error raised by the handler is shown, not thrown into Qt.
        TScriptedDialogs dialogs;
        edit->OnButClick = [](TCardEdtBut*) {
            throw ECardError(QStringLiteral("按钮出错"));
        };
        QTest::mouseClick(edit->Button(), Qt::LeftButton);
        QCOMPARE(dialogs.Texts(), QStringList({QStringLiteral("按钮出错")}));
    }
};

QTEST_MAIN(TestCardEdtBut)
#include "tst_cardedtbut.moc"
