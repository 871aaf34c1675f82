#include "ScriptedDialogs.h"

#include "common/Errors.h"
#include "controls/CardEdtBut.h"

#include <QImage>
#include <QToolButton>
#include <QtTest>

namespace {

QImage Half(const QImage& strip, int half)
{
    return strip.copy(half * ButtonGlyphSide, 0, ButtonGlyphSide, ButtonGlyphSide)
        .convertToFormat(QImage::Format_ARGB32_Premultiplied);
}

QImage IconPicture(const QToolButton* button, QIcon::Mode mode)
{
    return button->icon()
        .pixmap(QSize(ButtonGlyphSide, ButtonGlyphSide), 1.0, mode)
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

} // namespace

class TestCardEdtBut : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // The button stays square and flush with the right inner edge, and the text stops before it.
    void layoutFollowsSize()
    {
        QWidget window;
        TCardEdtBut& edit = *new TCardEdtBut(&window);
        window.show();
        edit.resize(150, 21);
        QCOMPARE(edit.Button()->parentWidget()->geometry(), QRect(150 - 2 - 17, 2, 17, 17));
        QCOMPARE(edit.Button()->geometry(), QRect(0, 0, 17, 17));
        QCOMPARE(edit.textMargins().right(), 17);

        edit.resize(220, 27);
        QCOMPARE(edit.Button()->parentWidget()->geometry(), QRect(220 - 2 - 23, 2, 23, 23));
        QCOMPARE(edit.textMargins().right(), 23);

        // Without the sunken frame the button takes the full height.
        edit.setFrame(false);
        edit.resize(100, 20);
        QCOMPARE(edit.Button()->parentWidget()->geometry(), QRect(80, 0, 20, 20));
        QCOMPARE(edit.textMargins().right(), 20);
    }

    void hiddenButtonGivesFullWidth()
    {
        QWidget window;
        TCardEdtBut& edit = *new TCardEdtBut(&window);
        window.show();
        edit.setTextMargins(3, 0, 0, 0);
        edit.resize(150, 21);
        QVERIFY(edit.ButVisible());

        edit.SetButVisible(false);
        QCOMPARE(edit.textMargins(), QMargins(3, 0, 0, 0));
        QVERIFY(edit.Button()->parentWidget()->geometry().isEmpty());
        // A resize while hidden does not bring the button back.
        edit.resize(160, 21);
        QCOMPARE(edit.textMargins().right(), 0);

        edit.SetButVisible(true);
        QCOMPARE(edit.textMargins(), QMargins(3, 0, 17, 0));
        QCOMPARE(edit.Button()->parentWidget()->geometry(), QRect(160 - 19, 2, 17, 17));

        // Setting the present value lays out nothing.
        edit.Button()->parentWidget()->move(0, 0);
        edit.SetButVisible(true);
        QCOMPARE(edit.Button()->parentWidget()->pos(), QPoint(0, 0));
    }

    void glyphs()
    {
        // Each strip is painted once and shared: later requests hand back the same pixels.
        QList<QImage> normals;
        for (int i = 0; i < ButtonGlyphCount; ++i) {
            const auto bmp = static_cast<TBmpCount>(i);
            const QImage& strip = LoadButtonGlyph(bmp);
            QCOMPARE(strip.size(), QSize(20, 10));
            QCOMPARE(LoadButtonGlyph(bmp).cacheKey(), strip.cacheKey());
            QVERIFY(HasInk(Half(strip, 0)));
            QVERIFY(HasInk(Half(strip, 1)));
            QVERIFY(Half(strip, 0) != Half(strip, 1));
            normals << Half(strip, 0);
        }
        for (int i = 0; i < normals.size(); ++i)
            for (int j = i + 1; j < normals.size(); ++j)
                QVERIFY2(normals[i] != normals[j],
                         qPrintable(QStringLiteral("%1 %2").arg(i).arg(j)));

        TCardEdtBut edit;
        QCOMPARE(edit.ButtonBmp(), TBmpCount::CardDown);
        QCOMPARE(IconPicture(edit.Button(), QIcon::Normal),
                 Half(LoadButtonGlyph(TBmpCount::CardDown), 0));
        edit.SetButtonBmp(TBmpCount::CardFind);
        QCOMPARE(edit.ButtonBmp(), TBmpCount::CardFind);
        const QImage& find = LoadButtonGlyph(TBmpCount::CardFind);
        QCOMPARE(IconPicture(edit.Button(), QIcon::Normal), Half(find, 0));
        QCOMPARE(IconPicture(edit.Button(), QIcon::Disabled), Half(find, 1));
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
