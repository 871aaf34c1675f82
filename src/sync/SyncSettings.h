#pragma once

#include <QString>

// How this computer takes part in keeping copies in step, kept in the user's settings file and
// never in the data file: a copied data file must not carry the computer's identity. The device
// id names this computer's own file in the sync folder; it goes with the machine it was made on,
// so a settings file copied to another machine is noticed there and gets an id of its own.
struct TSyncSettings
{
    QString Folder;     // the folder the sync program keeps in step; empty while sync is off
    QString DeviceName; // "本机名称": the host name unless the user named it
    QString Device;     // letters and digits only, as the sync folder's file names take them

    bool On() const { return !Folder.isEmpty(); }

    // The settings as saved; a device id that is missing or was made on another machine is
    // replaced by a new one, saved at once. machine is what tells this machine from others.
    static TSyncSettings Load();
    static TSyncSettings Load(const QString& machine);
    void Save() const;

    static QString NewDeviceId();
    // The machine's id (/etc/machine-id), or its host name where it has none.
    static QString MachineIdentity();
};
