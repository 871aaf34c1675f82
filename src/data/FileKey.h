#pragma once

#include <QByteArray>
#include <QString>

#include <array>
#include <optional>

// The key a database file is opened with: the program's standard key, which every copy of the
// program knows, or a raw key derived from the login password and the file's own salt. The salt
// is the file's first bytes, readable before the file opens, so every byte copy of the file
// carries what its key needs. Key bytes are wiped when their holder goes.
class TFileKey final
{
public:
    static constexpr int KeyBytes = 32;
    static constexpr int SaltBytes = 16;

    TFileKey() = default; // the standard key
    ~TFileKey();
    TFileKey(const TFileKey& other);
    TFileKey& operator=(const TFileKey& other);

    // Argon2id over the password and the salt; takes a noticeable part of a second on purpose.
    // Throws when the salt has the wrong size or the memory cannot be had.
    static TFileKey Derive(const QString& password, const QByteArray& salt);
    // A fresh random salt for a file about to be written.
    static QByteArray NewSalt();
    // The salt of a keyed file: its first bytes; empty when the file cannot be one (too short,
    // not whole pages, a plain database) or cannot be read.
    static QByteArray SaltOf(const QString& path);

    bool IsStandard() const { return !FDerived; }
    // Another derived key sealed under this derived one: only this key opens the seal again.
    QByteArray Seal(const TFileKey& sealed) const;
    // The key a seal made by Seal holds; nothing when the seal is not this key's.
    std::optional<TFileKey> Unseal(const QByteArray& seal) const;
    QByteArray Salt() const;
    bool operator==(const TFileKey& other) const;

    // The statement that keys a connection ("PRAGMA key = ..."), and the key's value as ATTACH
    // takes it; with the salt, a file created under the key takes that salt. The caller wipes
    // the text after use (WipeBytes) and never logs it.
    QByteArray KeyStatement() const;
    QByteArray KeyValue(bool withSalt) const;

private:
    bool FDerived = false;
    std::array<unsigned char, KeyBytes> FKey{};
    std::array<unsigned char, SaltBytes> FSalt{};
};

// Overwrites the bytes of a buffer that held a secret; the buffer is empty afterwards.
void WipeBytes(QByteArray& bytes);
// The same for a text: the characters are overwritten where the text owns them alone.
void WipeText(QString& text);
