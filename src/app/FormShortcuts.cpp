#include "app/FormShortcuts.h"

#include <QDialogButtonBox>
#include <QHeaderView>
#include <QPushButton>
#include <QScreen>
#include <QTreeWidget>
#include <QVBoxLayout>

const std::vector<TShortcutSection>& ShortcutSections()
{
    using K = QKeySequence;
    static const std::vector<TShortcutSection> sections{
        {QT_TRANSLATE_NOOP("TFormShortcuts", "整个窗口"),
         {{{K(Qt::CTRL | Qt::Key_K)}, QT_TRANSLATE_NOOP("TFormShortcuts", "搜索笔记和网址")},
          {{K(Qt::CTRL | Qt::Key_L)}, QT_TRANSLATE_NOOP("TFormShortcuts", "锁定")},
          {{K(Qt::Key_F1)}, QT_TRANSLATE_NOOP("TFormShortcuts", "键盘快捷键")},
          {{K(Qt::Key_F10)},
           QT_TRANSLATE_NOOP("TFormShortcuts", "打开“软件设置”菜单：软件主页、设置、锁定、备份、"
                                               "恢复、导入导出、关于")},
          {{K(Qt::CTRL | Qt::Key_Tab), K(Qt::CTRL | Qt::SHIFT | Qt::Key_Tab)},
           QT_TRANSLATE_NOOP("TFormShortcuts", "切换到另一页（焦点在页面中时）")}}},
        {QT_TRANSLATE_NOOP("TFormShortcuts", "搜索结果"),
         {{{K(Qt::Key_Up), K(Qt::Key_Down)}, QT_TRANSLATE_NOOP("TFormShortcuts", "选择结果")},
          {{K(Qt::Key_Enter)}, QT_TRANSLATE_NOOP("TFormShortcuts", "转到选中的结果")},
          {{K(Qt::Key_Escape)}, QT_TRANSLATE_NOOP("TFormShortcuts", "清空搜索，关闭结果列表")}}},
        {QT_TRANSLATE_NOOP("TFormShortcuts", "分组树（记事本和网址管理）"),
         {{{K(Qt::Key_Insert)}, QT_TRANSLATE_NOOP("TFormShortcuts", "新建组")},
          {{K(Qt::Key_F2)}, QT_TRANSLATE_NOOP("TFormShortcuts", "重命名组")},
          {{K(Qt::Key_Delete)}, QT_TRANSLATE_NOOP("TFormShortcuts", "删除组")},
          {{K(Qt::Key_Asterisk)},
           QT_TRANSLATE_NOOP("TFormShortcuts", "展开选中分组下的全部分组")}}},
        {QT_TRANSLATE_NOOP("TFormShortcuts", "笔记"),
         {{{K(Qt::CTRL | Qt::Key_D)}, QT_TRANSLATE_NOOP("TFormShortcuts", "插入日期")},
          {{K(Qt::CTRL | Qt::Key_T)}, QT_TRANSLATE_NOOP("TFormShortcuts", "插入日期时间")},
          {{K(QKeySequence::Find)}, QT_TRANSLATE_NOOP("TFormShortcuts", "查找")},
          {{K(Qt::CTRL | Qt::Key_H)}, QT_TRANSLATE_NOOP("TFormShortcuts", "历史版本")},
          {{K(Qt::Key_Enter), K(Qt::Key_F3)},
           QT_TRANSLATE_NOOP("TFormShortcuts", "查找下一个（在查找框中）")}}},
        {QT_TRANSLATE_NOOP("TFormShortcuts", "网址列表"),
         {{{K(Qt::Key_Enter)}, QT_TRANSLATE_NOOP("TFormShortcuts", "打开网页")},
          {{K(Qt::Key_Insert)}, QT_TRANSLATE_NOOP("TFormShortcuts", "新建")},
          {{K(Qt::Key_F2)}, QT_TRANSLATE_NOOP("TFormShortcuts", "修改")},
          {{K(Qt::Key_Delete)}, QT_TRANSLATE_NOOP("TFormShortcuts", "删除")}}},
        {QT_TRANSLATE_NOOP("TFormShortcuts", "新建网址、修改网址"),
         {{{K(Qt::Key_F4), K(Qt::ALT | Qt::Key_Down)},
           QT_TRANSLATE_NOOP("TFormShortcuts", "选择分组")},
          {{K(Qt::CTRL | Qt::Key_Enter)}, QT_TRANSLATE_NOOP("TFormShortcuts", "确定")}}},
        {QT_TRANSLATE_NOOP("TFormShortcuts", "新建组"),
         {{{K(Qt::CTRL | Qt::Key_D)}, QT_TRANSLATE_NOOP("TFormShortcuts", "在名称中插入日期")},
          {{K(Qt::CTRL | Qt::Key_T)},
           QT_TRANSLATE_NOOP("TFormShortcuts", "在名称中插入日期时间")}}},
        {QT_TRANSLATE_NOOP("TFormShortcuts", "所有对话框"),
         {{{K(Qt::Key_Enter)}, QT_TRANSLATE_NOOP("TFormShortcuts", "确定（网址的备注框中为换行）")},
          {{K(Qt::Key_Escape)}, QT_TRANSLATE_NOOP("TFormShortcuts", "取消")}}},
    };
    return sections;
}

QString KeyNames(const QList<QKeySequence>& keys)
{
    QStringList names;
    for (const QKeySequence& key : keys)
        names << key.toString(QKeySequence::NativeText);
    return names.join(QStringLiteral(" / "));
}

TFormShortcuts::TFormShortcuts(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("FormShortcuts"));
    setWindowTitle(tr("键盘快捷键"));
    setModal(false);

    tvKeys = new QTreeWidget(this);
    tvKeys->setObjectName(QStringLiteral("tvKeys"));
    tvKeys->setAccessibleName(tr("键盘快捷键"));
    tvKeys->setAccessibleDescription(tr("程序的全部按键，按页面和对话框分组"));
    tvKeys->setColumnCount(2);
    tvKeys->setHeaderLabels({tr("按键"), tr("作用")});
    tvKeys->setRootIsDecorated(false);
    tvKeys->setItemsExpandable(false);
    tvKeys->setUniformRowHeights(true);
    tvKeys->setSelectionMode(QAbstractItemView::SingleSelection);
    tvKeys->setEditTriggers(QAbstractItemView::NoEditTriggers);
    for (const TShortcutSection& section : ShortcutSections()) {
        auto* title = new QTreeWidgetItem(tvKeys, {tr(section.Title)});
        title->setFirstColumnSpanned(true);
        QFont bold = tvKeys->font();
        bold.setBold(true);
        title->setFont(0, bold);
        for (const TShortcutEntry& entry : section.Entries)
            new QTreeWidgetItem(title, {KeyNames(entry.Keys), tr(entry.Action)});
    }
    tvKeys->expandAll();
    tvKeys->setCurrentItem(tvKeys->topLevelItem(0));

    btnClose = new QPushButton(tr("关闭"), this);
    btnClose->setObjectName(QStringLiteral("btnClose"));
    btnClose->setAccessibleName(tr("关闭"));
    auto* buttons = new QDialogButtonBox(this);
    buttons->addButton(btnClose, QDialogButtonBox::RejectRole);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::close);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(tvKeys, 1);
    layout->addWidget(buttons);
    FitToContent();
}

void TFormShortcuts::FitToContent()
{
    // Every line shows without scrolling where the screen has room for it.
    tvKeys->resizeColumnToContents(0);
    tvKeys->resizeColumnToContents(1);
    int rows = 0;
    for (int i = 0; i < tvKeys->topLevelItemCount(); ++i)
        rows += 1 + tvKeys->topLevelItem(i)->childCount();
    const int frame = 2 * tvKeys->frameWidth();
    const int gap = tvKeys->fontMetrics().averageCharWidth() * 4;
    QSize content(tvKeys->columnWidth(0) + tvKeys->columnWidth(1) + frame + gap,
                  tvKeys->header()->sizeHint().height() + rows * tvKeys->sizeHintForRow(0) + frame);
    if (const QScreen* screen = parentWidget() ? parentWidget()->screen() : this->screen())
        content = content.boundedTo(screen->availableGeometry().size() * 3 / 4);
    tvKeys->setMinimumSize(content);
    adjustSize();
}
