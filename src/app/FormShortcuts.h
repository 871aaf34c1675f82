#pragma once

#include <QDialog>
#include <QKeySequence>
#include <QList>

#include <vector>

class QPushButton;
class QTreeWidget;

// One key of the program: its keys (alternatives) and what it does, untranslated.
struct TShortcutEntry
{
    QList<QKeySequence> Keys;
    const char* Action;
};

// The keys of one page or dialog, under its title, untranslated.
struct TShortcutSection
{
    const char* Title;
    std::vector<TShortcutEntry> Entries;
};

// Every key of the program, by the place where it works.
const std::vector<TShortcutSection>& ShortcutSections();

// The names of keys as the user's desktop writes them, alternatives separated.
QString KeyNames(const QList<QKeySequence>& keys);

// "键盘快捷键" (F1): every key of the program, grouped by page and dialog, read-only. It stays
// open beside the main window while the user works; Esc closes it.
class TFormShortcuts final : public QDialog
{
    Q_OBJECT

public:
    explicit TFormShortcuts(QWidget* parent);

    QTreeWidget* tvKeys = nullptr;
    QPushButton* btnClose = nullptr;

private:
    void FitToContent();
};
