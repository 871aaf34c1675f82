#include "sync/SyncSettings.h"

#include <QFile>
#include <QSettings>
#include <QSysInfo>

#include <sodium.h>

#include <memory>

namespace {
const QString FolderKey = QStringLiteral("Sync/Folder");
const QString NameKey = QStringLiteral("Sync/DeviceName");
const QString DeviceKey = QStringLiteral("Sync/Device");
const QString MachineKey = QStringLiteral("Sync/Machine");

// The same file as the window's state and the lock's settings.
std::unique_ptr<QSettings> OpenSettings()
{
    return std::make_unique<QSettings>(QSettings::NativeFormat, QSettings::UserScope,
                                       QStringLiteral("Velmora"), QStringLiteral("Velmora"));
}

// Only a hash of the machine's id goes into the settings file.
QString MachineHash(const QString& machine)
{
    const QByteArray text = machine.toUtf8();
    unsigned char hash[crypto_generichash_BYTES];
    crypto_generichash(hash, sizeof hash, reinterpret_cast<const unsigned char*>(text.constData()),
                       static_cast<unsigned long long>(text.size()), nullptr, 0);
    return QString::fromLatin1(
        QByteArray(reinterpret_cast<const char*>(hash), sizeof hash).toHex());
}

bool IsDeviceId(const QString& id)
{
    if (id.size() < 8)
        return false;
    for (const QChar c : id)
        if (c.unicode() > 127 || !c.isLetterOrNumber())
            return false;
    return true;
}
} // namespace

QString TSyncSettings::MachineIdentity()
{
    QFile file(QStringLiteral("/etc/machine-id"));
    if (file.open(QIODevice::ReadOnly)) {
        const QString id = QString::fromLatin1(file.readAll()).trimmed();
        if (!id.isEmpty())
            return id;
    }
    return QSysInfo::machineHostName();
}

QString TSyncSettings::NewDeviceId()
{
    if (sodium_init() < 0)
        qFatal("libsodium cannot start");
    static const char Alphabet[] = "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";
    QString id;
    for (int i = 0; i < 16; ++i)
        id += QLatin1Char(Alphabet[randombytes_uniform(sizeof Alphabet - 1)]);
    return id;
}

TSyncSettings TSyncSettings::Load()
{
    return Load(MachineIdentity());
}

TSyncSettings TSyncSettings::Load(const QString& machine)
{
    const std::unique_ptr<QSettings> settings = OpenSettings();
    TSyncSettings sync;
    sync.Folder = settings->value(FolderKey).toString();
    sync.DeviceName = settings->value(NameKey).toString().trimmed();
    if (sync.DeviceName.isEmpty())
        sync.DeviceName = QSysInfo::machineHostName();
    sync.Device = settings->value(DeviceKey).toString();
    const QString hash = MachineHash(machine);
    // Two machines writing one id would overwrite each other's file in the folder.
    if (!IsDeviceId(sync.Device) || settings->value(MachineKey).toString() != hash) {
        sync.Device = NewDeviceId();
        settings->setValue(DeviceKey, sync.Device);
        settings->setValue(MachineKey, hash);
    }
    return sync;
}

void TSyncSettings::Save() const
{
    const std::unique_ptr<QSettings> settings = OpenSettings();
    settings->setValue(FolderKey, Folder);
    settings->setValue(NameKey, DeviceName);
    settings->setValue(DeviceKey, Device);
}
