#include "controls/GridSource.h"

#include <QCoreApplication>

namespace {

// The column titles are the statement's column names, the Chinese words of the address list;
// the user reads them in the program's language.
[[maybe_unused]] constexpr const char* ColumnNames[] = {
    QT_TRANSLATE_NOOP("GridColumns", "标题"),
    QT_TRANSLATE_NOOP("GridColumns", "备注"),
    QT_TRANSLATE_NOOP("GridColumns", "网址"),
};

QStringList Titles(const QStringList& fieldNames)
{
    QStringList titles;
    titles.reserve(fieldNames.size());
    for (const QString& name : fieldNames)
        titles << QCoreApplication::translate("GridColumns", name.toUtf8().constData());
    return titles;
}

} // namespace

TGridSource::TGridSource(TGridSet& set) : FSet(set)
{
    FCaptionFields = FSet.FieldNames();
    FCaptions = Titles(FCaptionFields);
}

TGridSource::~TGridSource() = default;

TGridSource& TGridSource::Of(TGridSet& set)
{
    if (auto* source = dynamic_cast<TGridSource*>(set.Listener()))
        return *source;
    // The constructor is private: only the set may own its model.
    std::unique_ptr<TGridSource> source(new TGridSource(set));
    TGridSource& made = *source;
    set.SetListener(std::move(source));
    return made;
}

QString TGridSource::FieldName(int column) const
{
    return FSet.FieldNames().value(column);
}

int TGridSource::ColumnOf(const QString& fieldName) const
{
    return FSet.FindField(fieldName);
}

int TGridSource::CurrentRow() const
{
    return FSet.Eof() ? -1 : FSet.CurrentRow();
}

void TGridSource::SetCurrentRow(int row)
{
    if (row >= 0 && row < FSet.RecordCount())
        FSet.SetCurrentRow(row);
}

int TGridSource::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : FSet.RecordCount();
}

int TGridSource::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : FSet.FieldCount();
}

QString TGridSource::DisplayText(const QVariant& value)
{
    QString text = value.toString();
    if (text.contains(QLatin1Char('\n')) || text.contains(QLatin1Char('\r'))) {
        text.replace(QLatin1String("\r\n"), QLatin1String(" "));
        text.replace(QLatin1Char('\n'), QLatin1Char(' '));
        text.replace(QLatin1Char('\r'), QLatin1Char(' '));
    }
    return text;
}

QVariant TGridSource::data(const QModelIndex& index, int role) const
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return {};
    const QVariant value = FSet.Value(index.row(), index.column());
    switch (role) {
    case Qt::DisplayRole:
        return value.isNull() ? QVariant() : QVariant(DisplayText(value));
    case Qt::TextAlignmentRole: {
        const bool number =
            value.typeId() == QMetaType::LongLong || value.typeId() == QMetaType::Double;
        return QVariant::fromValue(Qt::Alignment(Qt::AlignVCenter) |
                                   (number ? Qt::AlignRight : Qt::AlignLeft));
    }
    default:
        return {};
    }
}

QVariant TGridSource::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole)
        return section >= 0 && section < FCaptions.size() ? QVariant(FCaptions.at(section))
                                                          : QVariant();
    return QAbstractTableModel::headerData(section, orientation, role);
}

bool TGridSource::setHeaderData(int section, Qt::Orientation orientation, const QVariant& value,
                                int role)
{
    if (orientation != Qt::Horizontal || (role != Qt::EditRole && role != Qt::DisplayRole) ||
        section < 0 || section >= FCaptions.size())
        return false;
    FCaptions[section] = value.toString();
    Q_EMIT headerDataChanged(orientation, section, section);
    return true;
}

Qt::ItemFlags TGridSource::flags(const QModelIndex& index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemNeverHasChildren;
}

void TGridSource::GridSetAboutToChange()
{
    beginResetModel();
}

void TGridSource::GridSetChanged(bool fieldsRebuilt)
{
    // A re-read that failed has no fields for a while; its titles come back with its rows.
    const QStringList& fields = FSet.FieldNames();
    if (fieldsRebuilt || (!fields.isEmpty() && fields != FCaptionFields)) {
        FCaptionFields = fields;
        FCaptions = Titles(fields);
    }
    endResetModel();
    Q_EMIT CurrentRowChanged(CurrentRow());
}

void TGridSource::GridSetCurrentMoved()
{
    Q_EMIT CurrentRowChanged(CurrentRow());
}
