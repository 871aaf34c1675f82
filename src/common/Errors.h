#pragma once

#include <QByteArray>
#include <QString>

#include <exception>

// A refused input or a failed action: the message is what the user is shown.
class ECardError : public std::exception
{
public:
    explicit ECardError(QString message);

    const QString& Message() const noexcept { return FMessage; }
    const char* what() const noexcept override { return FUtf8.constData(); }

private:
    QString FMessage;
    QByteArray FUtf8;
};

// A database failure: the engine's own text as message, the headline shown above it and the
// statement or batch that failed (empty when none).
class EDBException final : public ECardError
{
public:
    EDBException(QString message, QString hint, QString sql);

    const QString& Hint() const noexcept { return FHint; }
    const QString& Sql() const noexcept { return FSql; }

private:
    QString FHint;
    QString FSql;
};

// The silent abort: the user answered No, the action stops and nothing is shown.
class EAbort final : public std::exception
{
public:
    const char* what() const noexcept override { return "aborted"; }
};
