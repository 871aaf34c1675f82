#include "settings/FileKeyPrompt.h"

#include "data/Sqlite.h"
#include "settings/FormPass.h"

#include <vector>

namespace {
bool OpensWith(const QString& path, const TFileKey& key, QString* error)
{
    return DatabaseFile::OpenReadOnly(path, error, key) != nullptr;
}
} // namespace

std::optional<TFileKey> KeyForFile(const TFileKey& current, TUserDialogs& dialogs,
                                   const QString& path, const QString& caption)
{
    QString error;
    std::vector<TFileKey> keys{current};
    if (!current.IsStandard())
        keys.emplace_back();
    for (const TFileKey& key : keys) {
        if (OpensWith(path, key, &error))
            return key;
        if (!DatabaseFile::IsWrongKey(error))
            return key;
    }
    const QByteArray salt = TFileKey::SaltOf(path);
    if (salt.isEmpty())
        return current;
    TFileKey found;
    const auto accepts = [&](const QString& password) {
        const std::optional<TFileKey> key =
            TFileKey::KeyThatOpens(password, salt, [&path](const TFileKey& tried) {
                QString failure;
                return OpensWith(path, tried, &failure);
            });
        if (key)
            found = *key;
        return key.has_value();
    };
    if (AskPasswordFor(dialogs, accepts, caption) != mrOK)
        return std::nullopt;
    return found;
}
