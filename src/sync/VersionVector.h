#pragma once

#include <QString>
#include <QStringView>

#include <map>

// How many changes each computer made to a row: a row's version that has seen another's counts
// at least as many of every computer's changes. Kept as text "device=count;..." in key order.
class TVersionVector final
{
public:
    enum class TOrder
    {
        Equal,
        Before,
        After,
        Concurrent
    };

    TVersionVector() = default;
    static TVersionVector Parse(const QString& text);
    QString Text() const;
    // Whether the text is this version as Text() writes it, found without parsing it: a text in
    // another order or form reads as another version.
    bool Is(QStringView text) const;

    // This version against another: Before when the other has seen it and more.
    TOrder Compare(const TVersionVector& other) const;
    // Whether this version has seen the other (Equal or After).
    bool Covers(const TVersionVector& other) const;
    // What both have seen.
    TVersionVector Joined(const TVersionVector& other) const;
    // One more change by a computer.
    void Bump(const QString& device);
    void Set(const QString& key, qint64 count) { FCounts[key] = count; }
    bool IsEmpty() const { return FCounts.empty(); }

    bool operator==(const TVersionVector&) const = default;

private:
    std::map<QString, qint64> FCounts;
};
