#pragma once

#include <QWidget>

class QCheckBox;
class QHBoxLayout;
class QPushButton;
class QTabWidget;

// The application title: the main window's caption and the name of the run-at-login entry.
QString ApplicationTitle();

// The main window: the notebook page "记事本", the web address page "网址管理" and the bottom
// bar with "开机运行" and "软件设置".
class TFormMain final : public QWidget
{
    Q_OBJECT

public:
    explicit TFormMain(QWidget* parent = nullptr);
    ~TFormMain() override;

    QTabWidget* pgc1 = nullptr;
    QWidget* ts2 = nullptr; // "记事本"
    QWidget* ts1 = nullptr; // "网址管理"
    QWidget* pnl1 = nullptr;
    QCheckBox* chk1 = nullptr;
    QPushButton* btnSystem = nullptr;

protected:
    void showEvent(QShowEvent* event) override;

private:
    bool FSized = false;
};
