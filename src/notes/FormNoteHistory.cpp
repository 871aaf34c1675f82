#include "notes/FormNoteHistory.h"

#include "common/CardException.h"
#include "common/gui/Contrast.h"
#include "notes/TextHunks.h"

#include <QDateTime>
#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLocale>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSplitter>
#include <QTextBlock>
#include <QTreeWidget>
#include <QVBoxLayout>

TFormNoteHistory::TFormNoteHistory(const std::vector<TNoteHistory::TVersion>& versions,
                                   QString current, std::function<QString(qint64)> text,
                                   std::function<void(const QString&)> restore, QWidget* parent)
    : QDialog(parent), FCurrent(std::move(current)), FText(std::move(text)),
      FRestore(std::move(restore))
{
    setObjectName(QStringLiteral("FormNoteHistory"));
    setWindowTitle(tr("历史版本"));

    auto* splitter = new QSplitter(Qt::Horizontal, this);
    splitter->setChildrenCollapsible(false);
    auto* left = new QWidget(splitter);
    auto* leftLayout = new QVBoxLayout(left);
    leftLayout->setContentsMargins(0, 0, 0, 0);
    lblVersions = new QLabel(tr("版本(&V)："), left);
    tvVersions = new QTreeWidget(left);
    tvVersions->setObjectName(QStringLiteral("tvVersions"));
    tvVersions->setAccessibleName(tr("版本"));
    tvVersions->setAccessibleDescription(tr("笔记保存过的版本，最新的在前"));
    lblVersions->setBuddy(tvVersions);
    tvVersions->setColumnCount(3);
    tvVersions->setHeaderLabels({tr("时间"), tr("大小"), tr("第一行")});
    tvVersions->setRootIsDecorated(false);
    tvVersions->setUniformRowHeights(true);
    tvVersions->setSelectionMode(QAbstractItemView::SingleSelection);
    tvVersions->setEditTriggers(QAbstractItemView::NoEditTriggers);
    const QLocale locale;
    QList<QTreeWidgetItem*> rows;
    rows.reserve(qsizetype(versions.size()));
    for (const TNoteHistory::TVersion& version : versions) {
        auto* row = new QTreeWidgetItem(
            // As the recycle bin dates its items, to the second: versions come minutes apart.
            {QDateTime::fromMSecsSinceEpoch(version.Saved)
                 .toString(QStringLiteral("yyyy-MM-dd hh:mm:ss")),
             tr("%1 字").arg(locale.toString(version.Length)), version.FirstLine});
        row->setData(0, Qt::UserRole, version.VersionId);
        row->setTextAlignment(1, Qt::AlignRight | Qt::AlignVCenter);
        rows << row;
    }
    tvVersions->addTopLevelItems(rows);
    tvVersions->header()->setSectionResizeMode(0, QHeaderView::ResizeToContents);
    tvVersions->header()->setSectionResizeMode(1, QHeaderView::ResizeToContents);
    leftLayout->addWidget(lblVersions);
    leftLayout->addWidget(tvVersions, 1);

    auto* right = new QWidget(splitter);
    auto* rightLayout = new QVBoxLayout(right);
    rightLayout->setContentsMargins(0, 0, 0, 0);
    lblVersion = new QLabel(tr("所选版本(&T)："), right);
    mmoVersion = new QPlainTextEdit(right);
    mmoVersion->setObjectName(QStringLiteral("mmoVersion"));
    mmoVersion->setReadOnly(true);
    // Read-only, yet the caret moves through it for the keyboard and a screen reader.
    mmoVersion->setTextInteractionFlags(Qt::TextSelectableByKeyboard | Qt::TextSelectableByMouse);
    mmoVersion->setAccessibleName(tr("所选版本"));
    lblVersion->setBuddy(mmoVersion);
    lblDiffers = new QLabel(right);
    lblDiffers->setObjectName(QStringLiteral("lblDiffers"));
    // It says what the marks in the text mean.
    lblDiffers->setBuddy(mmoVersion);
    rightLayout->addWidget(lblVersion);
    rightLayout->addWidget(mmoVersion, 1);
    rightLayout->addWidget(lblDiffers);
    splitter->addWidget(left);
    splitter->addWidget(right);
    splitter->setStretchFactor(1, 1);
    splitter->setSizes({360, 480});

    btnRestore = new QPushButton(tr("恢复此版本"), this);
    btnRestore->setObjectName(QStringLiteral("btnRestore"));
    btnRestore->setAccessibleName(tr("恢复此版本"));
    btnRestore->setAccessibleDescription(tr("所选版本成为笔记的内容，当前内容先存为一个版本"));
    btnRestore->setAutoDefault(false);
    btnClose = new QPushButton(tr("关闭"), this);
    btnClose->setObjectName(QStringLiteral("btnClose"));
    btnClose->setAccessibleName(tr("关闭"));
    btnClose->setAutoDefault(false);
    auto* buttons = new QDialogButtonBox(this);
    buttons->addButton(btnRestore, QDialogButtonBox::ActionRole);
    buttons->addButton(btnClose, QDialogButtonBox::RejectRole);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    ConnectGuarded(btnRestore, &QPushButton::clicked, this, [this] { btnRestoreClick(); });
    ConnectGuarded(tvVersions, &QTreeWidget::currentItemChanged, this, [this] { ShowSelected(); });

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(splitter, 1);
    layout->addWidget(buttons);
    resize(860, 520);

    tvVersions->setFocus();
    if (!rows.isEmpty())
        tvVersions->setCurrentItem(rows.front());
    else
        ShowSelected();
}

void TFormNoteHistory::ShowSelected()
{
    const QTreeWidgetItem* row = tvVersions->currentItem();
    btnRestore->setEnabled(row != nullptr);
    if (!row) {
        mmoVersion->clear();
        lblDiffers->setText(tr("这条笔记还没有保存过的版本。"));
        return;
    }
    const QString text = FText(row->data(0, Qt::UserRole).toLongLong());
    mmoVersion->setPlainText(text);
    // The stretches of lines in which the version differs from the note, where they stand in
    // the version.
    const QColor base = mmoVersion->palette().color(QPalette::Base);
    QTextCharFormat marked;
    marked.setBackground(
        ReadableBackground(Mixed(QColor(0x3C, 0xB3, 0x71), base, IsDark(base) ? 0.35 : 0.2),
                           mmoVersion->palette().color(QPalette::Text)));
    marked.setProperty(QTextFormat::FullWidthSelection, true);
    QList<QTextEdit::ExtraSelection> marks;
    qsizetype shift = 0;
    int lines = 0;
    for (const TTextHunk& hunk : LineHunks(FCurrent, text)) {
        const qsizetype at = hunk.At + shift;
        shift += hunk.Text.size() - hunk.Length;
        // Each line of the stretch is marked across the whole width, the last as well.
        const auto blockAt = [&](qsizetype position) {
            return mmoVersion->document()->findBlock(int(std::min(position, text.size())));
        };
        const QTextBlock first = blockAt(at);
        const QTextBlock last = blockAt(at + std::max<qsizetype>(hunk.Text.size() - 1, 0));
        for (QTextBlock block = first; block.isValid(); block = block.next()) {
            marks << QTextEdit::ExtraSelection{QTextCursor(block), marked};
            ++lines;
            if (block == last)
                break;
        }
    }
    mmoVersion->setExtraSelections(marks);
    lblDiffers->setText(marks.isEmpty() ? tr("与笔记当前的内容相同。")
                                        : tr("与笔记当前的内容不同的 %1 行已标出。").arg(lines));
    mmoVersion->setAccessibleDescription(lblDiffers->text());
}

void TFormNoteHistory::btnRestoreClick()
{
    const QTreeWidgetItem* row = tvVersions->currentItem();
    if (!row)
        return;
    FRestore(FText(row->data(0, Qt::UserRole).toLongLong()));
    accept();
}
