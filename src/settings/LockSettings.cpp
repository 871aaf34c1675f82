#include "settings/LockSettings.h"

#include <QSettings>

namespace {
const QString IdleKey = QStringLiteral("Lock/IdleMinutes");
const QString MinimizeKey = QStringLiteral("Lock/OnMinimize");
} // namespace

std::unique_ptr<QSettings> OpenUserSettings()
{
    return std::make_unique<QSettings>(QSettings::NativeFormat, QSettings::UserScope,
                                       QStringLiteral("Velmora"), QStringLiteral("Velmora"));
}

TLockSettings TLockSettings::Load()
{
    const std::unique_ptr<QSettings> settings = OpenUserSettings();
    TLockSettings lock;
    bool ok = false;
    const int minutes = settings->value(IdleKey).toInt(&ok);
    if (ok && minutes >= 0 && minutes <= MaxIdleMinutes)
        lock.IdleMinutes = minutes;
    lock.OnMinimize = settings->value(MinimizeKey).toString() == QLatin1String("true");
    return lock;
}

void TLockSettings::Save() const
{
    const std::unique_ptr<QSettings> settings = OpenUserSettings();
    settings->setValue(IdleKey, IdleMinutes);
    settings->setValue(MinimizeKey, OnMinimize);
}
