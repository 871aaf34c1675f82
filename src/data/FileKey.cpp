#include "data/FileKey.h"

#include "common/Errors.h"

#include <QCoreApplication>
#include <QFile>

#include <sodium.h>

namespace {

// Argon2id's costs are part of every encrypted file's format: a key derived at other costs
// would not open it. Files keyed before the salt named its costs were keyed at the first ones
// (128 MiB, five passes), and still open with them. Every new key takes the newest marked
// costs: 64 MiB and two passes, the library's own level for a password typed to unlock; a
// guesser still pays 64 MiB of memory and a tenth of a second or more per password tried
// against a copy of the file, while the user's unlock no longer waits a second for it.
constexpr TFileKey::TCosts FirstCosts{size_t(128) << 20, 5};
// Written out rather than taken from the library, whose levels may move: a file's mark must
// name the same costs for good. New costs are added at the end.
constexpr TFileKey::TCosts MarkedCosts[] = {{size_t(64) << 20, 2}};
constexpr size_t CurrentMark = std::size(MarkedCosts) - 1;
static_assert(MarkedCosts[CurrentMark].Memory >= size_t(64) << 20 &&
                  MarkedCosts[CurrentMark].Passes >= 2,
              "a key is never derived at less than 64 MiB and two passes");

// A salt names marked costs by its first bytes: a hash of the costs' number and the rest of the
// salt. The file keeps looking like random bytes, and a random salt bears a given mark once in
// 2^32.
constexpr int MarkBytes = 4;

QByteArray Mark(size_t costs, QByteArrayView rest)
{
    QByteArray message = QByteArrayLiteral("Velmora key costs ") + char('1' + costs) +
                         QByteArray(rest.data(), rest.size());
    unsigned char hash[crypto_generichash_BYTES_MIN];
    crypto_generichash(hash, sizeof hash, reinterpret_cast<const unsigned char*>(message.data()),
                       size_t(message.size()), nullptr, 0);
    return QByteArray(reinterpret_cast<const char*>(hash), MarkBytes);
}

void EnsureSodium()
{
    static const bool ready = sodium_init() >= 0;
    if (!ready)
        throw ECardError(QCoreApplication::translate("FileKey", "无法初始化加密库 libsodium"));
}

QByteArray Hex(const unsigned char* bytes, size_t size)
{
    QByteArray hex(int(size * 2 + 1), Qt::Uninitialized);
    sodium_bin2hex(hex.data(), size_t(hex.size()), bytes, size);
    hex.chop(1);
    return hex;
}

} // namespace

TFileKey::~TFileKey()
{
    sodium_memzero(FKey.data(), FKey.size());
}

TFileKey::TFileKey(const TFileKey& other) = default;

TFileKey& TFileKey::operator=(const TFileKey& other) = default;

TFileKey::TCosts TFileKey::CurrentCosts()
{
    return MarkedCosts[CurrentMark];
}

TFileKey::TCosts TFileKey::CostsOf(const QByteArray& salt)
{
    if (salt.size() == SaltBytes) {
        EnsureSodium();
        for (size_t costs = 0; costs < std::size(MarkedCosts); ++costs)
            if (salt.first(MarkBytes) == Mark(costs, salt.sliced(MarkBytes)))
                return MarkedCosts[costs];
    }
    return FirstCosts;
}

TFileKey TFileKey::Derive(const QString& password, const QByteArray& salt)
{
    return Derive(password, salt, CostsOf(salt));
}

TFileKey TFileKey::Derive(const QString& password, const QByteArray& salt, const TCosts& costs)
{
    EnsureSodium();
    if (salt.size() != SaltBytes)
        throw ECardError(
            QCoreApplication::translate("FileKey", "数据文件太短，不是加密的数据文件"));
    QByteArray secret = password.toUtf8();
    TFileKey key;
    key.FDerived = true;
    std::copy(salt.begin(), salt.end(), key.FSalt.begin());
    const int rc =
        crypto_pwhash(key.FKey.data(), key.FKey.size(), secret.constData(), size_t(secret.size()),
                      key.FSalt.data(), costs.Passes, costs.Memory, crypto_pwhash_ALG_ARGON2ID13);
    WipeBytes(secret);
    if (rc != 0)
        throw ECardError(
            QCoreApplication::translate("FileKey", "内存不足，无法由密码算出数据文件的密钥"));
    return key;
}

std::optional<TFileKey> TFileKey::KeyThatOpens(const QString& password, const QByteArray& salt,
                                               const std::function<bool(const TFileKey&)>& opens)
{
    TFileKey key = Derive(password, salt);
    if (opens(key))
        return key;
    if (CostsOf(salt) == FirstCosts)
        return std::nullopt;
    key = Derive(password, salt, FirstCosts);
    if (opens(key))
        return key;
    return std::nullopt;
}

QByteArray TFileKey::NewSalt()
{
    EnsureSodium();
    QByteArray salt(SaltBytes, Qt::Uninitialized);
    randombytes_buf(salt.data(), size_t(salt.size()));
    salt.replace(0, MarkBytes, Mark(CurrentMark, QByteArrayView(salt).sliced(MarkBytes)));
    return salt;
}

QByteArray TFileKey::SaltOf(const QString& path)
{
    // An encrypted file is whole pages of at least 512 bytes; a plain database starts with the
    // engine's own header.
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly) || file.size() < 1024 || file.size() % 512 != 0)
        return {};
    QByteArray salt = file.read(SaltBytes);
    // Nor is a run of zeros, a file that was never written (sparse), a salt.
    if (salt.size() != SaltBytes || salt == QByteArrayView("SQLite format 3\0", SaltBytes) ||
        salt.count('\0') == SaltBytes)
        return {};
    return salt;
}

QByteArray TFileKey::Salt() const
{
    return FDerived ? QByteArray(reinterpret_cast<const char*>(FSalt.data()), SaltBytes)
                    : QByteArray();
}

namespace {
constexpr size_t SealedBytes = TFileKey::KeyBytes + TFileKey::SaltBytes;
constexpr size_t SealBytes = crypto_secretbox_NONCEBYTES + crypto_secretbox_MACBYTES + SealedBytes;
static_assert(TFileKey::KeyBytes == crypto_secretbox_KEYBYTES);
} // namespace

QByteArray TFileKey::Seal(const TFileKey& sealed) const
{
    EnsureSodium();
    std::array<unsigned char, SealedBytes> plain{};
    std::copy(sealed.FKey.begin(), sealed.FKey.end(), plain.begin());
    std::copy(sealed.FSalt.begin(), sealed.FSalt.end(), plain.begin() + KeyBytes);
    QByteArray seal(qsizetype(SealBytes), Qt::Uninitialized);
    auto* out = reinterpret_cast<unsigned char*>(seal.data());
    randombytes_buf(out, crypto_secretbox_NONCEBYTES);
    crypto_secretbox_easy(out + crypto_secretbox_NONCEBYTES, plain.data(), plain.size(), out,
                          FKey.data());
    sodium_memzero(plain.data(), plain.size());
    return seal;
}

std::optional<TFileKey> TFileKey::Unseal(const QByteArray& seal) const
{
    EnsureSodium();
    if (!FDerived || size_t(seal.size()) != SealBytes)
        return std::nullopt;
    std::array<unsigned char, SealedBytes> plain{};
    const auto* in = reinterpret_cast<const unsigned char*>(seal.constData());
    if (crypto_secretbox_open_easy(plain.data(), in + crypto_secretbox_NONCEBYTES,
                                   SealBytes - crypto_secretbox_NONCEBYTES, in, FKey.data()) != 0)
        return std::nullopt;
    TFileKey key;
    key.FDerived = true;
    std::copy(plain.begin(), plain.begin() + KeyBytes, key.FKey.begin());
    std::copy(plain.begin() + KeyBytes, plain.end(), key.FSalt.begin());
    sodium_memzero(plain.data(), plain.size());
    return key;
}

bool TFileKey::operator==(const TFileKey& other) const
{
    return FDerived == other.FDerived &&
           (!FDerived || (sodium_memcmp(FKey.data(), other.FKey.data(), FKey.size()) == 0 &&
                          FSalt == other.FSalt));
}

QByteArray TFileKey::KeyValue(bool withSalt) const
{
    if (!FDerived)
        return QByteArrayLiteral("58203917460385");
    // A raw key: SQLCipher takes it as it is, without deriving again.
    QByteArray key = Hex(FKey.data(), FKey.size());
    if (withSalt)
        key += Hex(FSalt.data(), FSalt.size());
    QByteArray value = "x'" + key + "'";
    WipeBytes(key);
    return value;
}

QByteArray TFileKey::KeyStatement() const
{
    QByteArray value = KeyValue(false);
    QByteArray statement = "PRAGMA key = \"" + value + "\"";
    WipeBytes(value);
    return statement;
}

void WipeBytes(QByteArray& bytes)
{
    // Bytes shared with another holder are that holder's to wipe.
    if (bytes.isDetached() && !bytes.isEmpty())
        sodium_memzero(bytes.data(), size_t(bytes.size()));
    bytes.clear();
}

void WipeText(QString& text)
{
    if (text.isDetached() && !text.isEmpty())
        sodium_memzero(text.data(), size_t(text.size()) * sizeof(QChar));
    text.clear();
}
