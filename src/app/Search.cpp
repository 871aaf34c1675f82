#include "app/Search.h"

#include "data/DbAccess.h"
#include "data/Sql.h"

#include <QSet>
#include <QStringList>

#include <algorithm>

namespace {

constexpr qint64 AddressesPerStep = 10000;
constexpr qint64 NotesPerStep = 80;
constexpr qsizetype ContextBefore = 20;
constexpr qsizetype ContextAfter = 40;

char16_t Folded(QChar c)
{
    const char16_t code = c.unicode();
    return code >= u'A' && code <= u'Z' ? char16_t(code + 32) : code;
}

QString LikePattern(const QString& query)
{
    QString pattern = QStringLiteral("%");
    for (const QChar c : query) {
        if (c == QLatin1Char('\\') || c == QLatin1Char('%') || c == QLatin1Char('_'))
            pattern += QLatin1Char('\\');
        pattern += c;
    }
    return pattern + QLatin1Char('%');
}

} // namespace

qsizetype FindFolded(QStringView text, QStringView query, qsizetype from)
{
    const qsizetype n = text.size();
    const qsizetype m = query.size();
    if (m == 0 || from < 0)
        return -1;
    const char16_t first = Folded(query.at(0));
    for (qsizetype i = from; i + m <= n; ++i) {
        if (Folded(text.at(i)) != first)
            continue;
        qsizetype k = 1;
        while (k < m && Folded(text.at(i + k)) == Folded(query.at(k)))
            ++k;
        if (k == m)
            return i;
    }
    return -1;
}

TSearchRun::TSearchRun(TDbAccess& dbAccess, QString query, int limit)
    : FDbAccess(dbAccess), FQuery(std::move(query)), FPattern(LikePattern(FQuery)), FLimit(limit)
{
    if (FQuery.isEmpty())
        FStage = TStage::Done;
}

bool TSearchRun::Step()
{
    switch (FStage) {
    case TStage::NoteGroups:
        FNoteGroups = LoadGroups(QStringLiteral("NoteType"), TSearchHit::TKind::Note);
        FStage = TStage::AddressGroups;
        break;
    case TStage::AddressGroups:
        FAddressGroups = LoadGroups(QStringLiteral("IEType"), TSearchHit::TKind::Address);
        FStage = TStage::Addresses;
        FAfter = 0;
        FLast = FDbAccess.QueryInteger(QString::fromUtf16(SqlTemplate::LastAddressId));
        break;
    case TStage::Addresses:
        SearchAddresses();
        // Titles outrank notes: only once enough names and titles are in do the rest wait.
        if (FAfter >= FLast || Count(1) >= FLimit) {
            FStage = TStage::Notes;
            FAfter = -1;
            FLast = FDbAccess.QueryInteger(QString::fromUtf16(SqlTemplate::LastNoteRow));
        }
        break;
    case TStage::Notes:
        SearchNotes();
        if (FAfter >= FLast || Count(2) >= FLimit)
            FStage = TStage::Done;
        break;
    case TStage::Done:
        break;
    }
    return FStage != TStage::Done;
}

std::vector<TSearchHit> TSearchRun::Hits() const
{
    std::vector<TSearchHit> hits;
    for (const std::vector<TSearchHit>& rank : FHits)
        for (const TSearchHit& hit : rank) {
            if (int(hits.size()) >= FLimit)
                return hits;
            hits.push_back(hit);
        }
    return hits;
}

int TSearchRun::Count(int maxRank) const
{
    int count = 0;
    for (int rank = 0; rank <= maxRank; ++rank)
        count += int(FHits[size_t(rank)].size());
    return count;
}

TGroupPaths TSearchRun::LoadGroups(const QString& table, TSearchHit::TKind kind)
{
    const std::vector<TGroupRow> rows = ReadGroupRows(FDbAccess, table);
    const TGroupPaths paths(rows);
    const QString root = kind == TSearchHit::TKind::Note ? tr("根目录") : tr("全部");
    QSet<qint32> seen; // where two rows share a number, the first is the group
    for (const TGroupRow& row : rows) {
        const qint32 self = row.Key.SelfIndex;
        if (seen.contains(self))
            continue;
        seen.insert(self);
        const qsizetype at = FindFolded(row.Caption, FQuery);
        if (at < 0)
            continue;
        TSearchHit hit;
        hit.Kind = kind;
        hit.Rank = 0;
        hit.Group = self;
        hit.Path = paths.Path(root, self);
        Add(std::move(hit), row.Caption, at);
    }
    return paths;
}

void TSearchRun::SearchAddresses()
{
    const qint64 to = FAfter + AddressesPerStep;
    const Sql::TArg like = Sql::Quoted(FPattern);
    FDbAccess.OpenQuery(Sql::Format(SqlTemplate::SearchAddresses,
                                    {Sql::Number(FAfter), Sql::Number(to), like, like, like}));
    for (TResultSet& set = FDbAccess.QuerySet(); !set.Eof(); set.Next()) {
        TSearchHit hit;
        hit.Kind = TSearchHit::TKind::Address;
        hit.Group = set.AsInteger(QStringLiteral("TypeID"));
        hit.AddressId = set.AsString(QStringLiteral("ID"));
        hit.Path = FAddressGroups.Path(tr("全部"), hit.Group);
        // The title counts most; the address and the remark alike.
        const std::array<const char16_t*, 3> fields{u"IEName", u"IEUrl", u"ReMark"};
        for (size_t field = 0; field < fields.size(); ++field) {
            const QString text = set.AsString(QString::fromUtf16(fields[field]));
            const qsizetype at = FindFolded(text, FQuery);
            if (at < 0)
                continue;
            hit.Rank = field == 0 ? 1 : 2;
            Add(std::move(hit), text, at);
            break;
        }
    }
    FDbAccess.QuerySet().Close();
    FAfter = to;
}

void TSearchRun::SearchNotes()
{
    const qint64 to = FAfter + NotesPerStep;
    FDbAccess.OpenQuery(Sql::Format(SqlTemplate::SearchNotes,
                                    {Sql::Number(FAfter), Sql::Number(to), Sql::Quoted(FPattern)}));
    for (TResultSet& set = FDbAccess.QuerySet(); !set.Eof(); set.Next()) {
        const qint32 group = set.AsInteger(QStringLiteral("TypeID"));
        if (FNotesSeen.contains(group))
            continue;
        const QString text = set.AsString(QStringLiteral("ReMark"));
        const qsizetype at = FindFolded(text, FQuery);
        if (at < 0)
            continue;
        FNotesSeen.insert(group, true);
        TSearchHit hit;
        hit.Kind = TSearchHit::TKind::Note;
        hit.Rank = 2;
        hit.Group = group;
        hit.Offset = at;
        hit.Path = FNoteGroups.Path(tr("根目录"), group);
        Add(std::move(hit), text, at);
    }
    FDbAccess.QuerySet().Close();
    FAfter = to;
}

void TSearchRun::Add(TSearchHit hit, const QString& text, qsizetype at)
{
    std::vector<TSearchHit>& rank = FHits[size_t(hit.Rank)];
    if (int(rank.size()) >= FLimit)
        return;
    const qsizetype from = std::max<qsizetype>(0, at - ContextBefore);
    const qsizetype to = std::min(text.size(), at + FQuery.size() + ContextAfter);
    QString context = text.mid(from, to - from);
    for (QChar& c : context)
        if (c.unicode() < 32)
            c = QLatin1Char(' ');
    hit.MarkFrom = at - from;
    if (from > 0) {
        context.prepend(QStringLiteral("…"));
        ++hit.MarkFrom;
    }
    if (to < text.size())
        context += QStringLiteral("…");
    hit.Context = context;
    hit.MarkLength = FQuery.size();
    rank.push_back(std::move(hit));
}
