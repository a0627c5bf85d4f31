#include "gui/ResultGridModel.h"

#include "common/TextEncoding.h"

#include <algorithm>
#include <limits>

namespace tallivo {

namespace {
// The grid's row count includes the header row; a view shows at most INT_MAX rows.
int ToModelCount(std::size_t count)
{
    return static_cast<int>(std::min<std::size_t>(count, std::numeric_limits<int>::max()));
}
} // namespace

QString FromPaymentText(std::string_view text)
{
    return QString::fromStdString(Windows874ToUtf8(text));
}

ResultGridModel::ResultGridModel(const ResultGrid& grid, QObject* parent)
    : QAbstractTableModel(parent), m_grid(grid), m_generation(grid.Generation())
{
}

int ResultGridModel::rowCount(const QModelIndex& parent) const
{
    if (parent.isValid() || m_frozen || m_grid.RowCount() == 0)
        return 0;
    return ToModelCount(m_grid.RowCount() - 1);
}

int ResultGridModel::columnCount(const QModelIndex& parent) const
{
    if (parent.isValid())
        return 0;
    return m_frozen ? static_cast<int>(m_frozenHeaders.size()) : ToModelCount(m_grid.ColCount());
}

Qt::Alignment ResultGridModel::CellAlignment(std::size_t col, std::size_t row)
{
    const Qt::Alignment horizontal = (row == 0 || col <= 3) ? Qt::AlignHCenter : Qt::AlignLeft;
    return horizontal | Qt::AlignTop;
}

QVariant ResultGridModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || m_frozen)
        return {};
    const auto col = static_cast<std::size_t>(index.column());
    const auto row = static_cast<std::size_t>(index.row()) + 1;
    switch (role) {
    case Qt::DisplayRole:
        return FromPaymentText(m_grid.Cell(col, row));
    case Qt::TextAlignmentRole:
        return static_cast<int>(CellAlignment(col, row).toInt());
    default:
        return {};
    }
}

QVariant ResultGridModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (section < 0)
        return {};
    const auto s = static_cast<std::size_t>(section);
    // Horizontal: row 0 of column `section`. Vertical: column 0 of body row `section`.
    const std::size_t col = orientation == Qt::Horizontal ? s : 0;
    const std::size_t row = orientation == Qt::Horizontal ? 0 : s + 1;
    switch (role) {
    case Qt::DisplayRole:
        if (m_frozen)
            return orientation == Qt::Horizontal && section < m_frozenHeaders.size() ? m_frozenHeaders[section]
                                                                                    : QVariant();
        return FromPaymentText(m_grid.Cell(col, row));
    case Qt::TextAlignmentRole:
        return static_cast<int>(CellAlignment(col, row).toInt());
    default:
        return {};
    }
}

Qt::ItemFlags ResultGridModel::flags(const QModelIndex& index) const
{
    return index.isValid() ? Qt::ItemIsEnabled | Qt::ItemIsSelectable : Qt::NoItemFlags;
}

bool ResultGridModel::Refresh()
{
    if (m_frozen || m_grid.Generation() == m_generation)
        return false;
    beginResetModel();
    m_generation = m_grid.Generation();
    endResetModel();
    return true;
}

} // namespace tallivo

namespace tallivo {

void ResultGridModel::SetFrozen(bool frozen)
{
    if (frozen == m_frozen)
        return;
    beginResetModel();
    m_frozenHeaders.clear();
    if (frozen)
        for (std::size_t c = 0; c < m_grid.ColCount(); ++c)
            m_frozenHeaders << FromPaymentText(m_grid.Cell(c, 0));
    m_frozen = frozen;
    m_generation = m_grid.Generation();
    endResetModel();
}

} // namespace tallivo
