#pragma once

#include <QString>

// What a screen reader calls a control whose caption carries a mnemonic: the caption without the
// key mark, "数据文件夹(&D)：" read as "数据文件夹：", "&Open" as "Open". The key itself is
// announced as the control's shortcut.
QString WithoutMnemonic(const QString& caption);
