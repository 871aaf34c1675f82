#pragma once

#include "data/NoteHistory.h"

#include <QDialog>

#include <functional>
#include <vector>

class QLabel;
class QPlainTextEdit;
class QPushButton;
class QTreeWidget;

// "历史版本": the versions kept of the shown note, newest first (when, how long, the first
// line); the one selected shows read-only beside the list with the lines that differ from the
// note's text marked. "恢复此版本" hands it to restore and closes; Esc closes.
class TFormNoteHistory final : public QDialog
{
    Q_OBJECT

public:
    // current: the note's text as stored; text unpacks a version.
    TFormNoteHistory(const std::vector<TNoteHistory::TVersion>& versions, QString current,
                     std::function<QString(qint64)> text,
                     std::function<void(const QString&)> restore, QWidget* parent = nullptr);

    QLabel* lblVersions = nullptr;
    QTreeWidget* tvVersions = nullptr;
    QLabel* lblVersion = nullptr;
    QPlainTextEdit* mmoVersion = nullptr;
    QLabel* lblDiffers = nullptr; // what the marks say, for every reader
    QPushButton* btnRestore = nullptr;
    QPushButton* btnClose = nullptr;

private:
    // Shows the selected version with its differing lines marked.
    void ShowSelected();
    void btnRestoreClick();

    QString FCurrent;
    std::function<QString(qint64)> FText;
    std::function<void(const QString&)> FRestore;
};
